// The module properties dialog's content and the child frame's command rules, from the document.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "document/codes.h"
#include "tests/support/module_factory.h"
#include "view/frame_commands.h"
#include "view/module_properties.h"

namespace {

constexpr int kDriver = (1 << 8) | 255;  // a loadable driver's protocol code

std::map<std::string, std::string> valuesOf(const ModuleProperties& p) {
    std::map<std::string, std::string> values;
    for (const auto& g : p.groups)
        for (const auto& l : g.lines) values[l.label] = l.value;
    return values;
}

void identify(CPtpDoc& doc) {
    doc.m_szModuleName = "CP 731";
    doc.m_szOrderNo = "9QX4 731-1L";
    doc.m_szStationName = "S1";
    doc.m_strRack = "0";
    doc.m_strSlot = "5";
    doc.m_nInterfaceNo = 2;
    doc.m_szInterfaceName = "V.24";
}

}  // namespace

TEST(ModuleProperties, FormFollowsTheModuleType) {
    const struct {
        int module;
        ModuleProperties::Form form;
        int helpTopic;
    } cases[] = {
        {kCP730, ModuleProperties::Form::Module, 0x20000 + 177},
        {kCP731, ModuleProperties::Form::Module, 0x20000 + 177},
        {kCP830, ModuleProperties::Form::Module, 0x20000 + 177},
        {kCP8311, ModuleProperties::Form::Interface, 0x20000 + 183},
        {kCP8312, ModuleProperties::Form::Interface, 0x20000 + 183},
        {kModuleUnknown, ModuleProperties::Form::None, 0},
    };
    for (const auto& c : cases) {
        support::ModuleDocument m(c.module, kProt3964, kIfRs232);
        const ModuleProperties p = DescribeModuleProperties(m.doc);
        EXPECT_EQ(p.form, c.form) << c.module;
        EXPECT_EQ(p.helpTopic, c.helpTopic) << c.module;
        if (c.form == ModuleProperties::Form::None) {
            EXPECT_TRUE(p.groups.empty());
        }
    }
}

// CP 730/731/830: the module group and the alarm line of the basic parameters; no interface.
TEST(ModuleProperties, ModuleFormShowsIdentificationAndAlarm) {
    const struct {
        uint8_t first;
        const char* alarm;
    } cases[] = {{1, "ja"}, {0, "nein"}, {2, ""}, {255, ""}};
    for (const auto& c : cases) {
        support::ModuleDocument m(kCP731, kProt3964, kIfRs232);
        identify(m.doc);
        m.doc.m_HeaderRecord.bytes[0] = c.first;
        const ModuleProperties p = DescribeModuleProperties(m.doc);
        ASSERT_EQ(p.groups.size(), 2u);
        EXPECT_EQ(p.groups[0].title, "Baugruppe");
        EXPECT_EQ(p.groups[1].title, "Grundparameter");
        const auto values = valuesOf(p);
        EXPECT_EQ(values.at("Kurzbezeichnung:"), "CP 731");
        EXPECT_EQ(values.at("Bestellnummer:"), "9QX4 731-1L");
        EXPECT_EQ(values.at("Station:"), "S1");
        EXPECT_EQ(values.at("Baugruppenträger:"), "0");
        EXPECT_EQ(values.at("Steckplatz (S):"), "5");
        EXPECT_EQ(values.at("Alarmgenerierung:"), c.alarm) << int(c.first);
        EXPECT_FALSE(values.count("Schnittstelle:"));
        EXPECT_FALSE(values.count("Modul:"));
    }
}

// A new document carries a header record of zero bytes: "nein".
TEST(ModuleProperties, NewDocumentSaysNoAlarm) {
    support::ModuleDocument m(kCP830, kProtAscii, kIfRs232);
    EXPECT_EQ(valuesOf(DescribeModuleProperties(m.doc)).at("Alarmgenerierung:"), "nein");
}

TEST(ModuleProperties, InterfaceFormShowsInterfaceAndNoAlarm) {
    support::ModuleDocument m(kCP8312, kProt3964, kIfHostRs232);
    identify(m.doc);
    m.doc.m_HeaderRecord.bytes[0] = 1;
    const ModuleProperties p = DescribeModuleProperties(m.doc);
    ASSERT_EQ(p.groups.size(), 1u);
    const auto& lines = p.groups[0].lines;
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[5].label, "Schnittstelle:");
    EXPECT_EQ(lines[5].value, "2");
    EXPECT_EQ(lines[6].label, "Modul:");
    EXPECT_EQ(lines[6].value, "V.24");
    EXPECT_FALSE(valuesOf(p).count("Alarmgenerierung:"));
}

TEST(FrameCommands, EnablingFollowsModuleProtocolAndOnline) {
    const struct {
        int module, protocol, online, extended;
        bool driverLoad, driverInfo, firmware;
    } cases[] = {
        {kCP731, kDriver, 0, 0, true, false, true},
        {kCP731, kDriver, 1, 0, false, false, false},     // online: none of the three
        {kCP731, kProt3964, 0, 0, false, false, true},    // no driver configured
        {kCP8312, kDriver, 0, 0, false, true, false},     // not extended: no firmware update
        {kCP8312, kDriver, 0, 1, false, true, true},
        {kCP8312, kDriver, 1, 1, false, false, false},
        {kCP8311, kProt3964, 0, 0, false, false, false},
        {kCP8311, kProt3964, 0, 1, false, false, true},
        {kCP830, kProtAscii, 0, 0, false, false, true},
        {kCP730, kProt3964, 0, 1, false, false, false},
    };
    for (const auto& c : cases) {
        support::ModuleDocument m(c.module, c.protocol, kIfRs232);
        m.doc.m_bOnline = c.online;
        m.doc.m_bExtendedModule = c.extended;
        SCOPED_TRACE(testing::Message() << c.module << " protocol " << c.protocol << " online " << c.online
                                        << " extended " << c.extended);
        EXPECT_EQ(GoToDriverLoadEnabled(m.doc), c.driverLoad);
        EXPECT_EQ(GoToDriverInfoEnabled(m.doc), c.driverInfo);
        EXPECT_EQ(FirmwareUpdateEnabled(m.doc), c.firmware);
    }
}

TEST(FrameCommands, NewerCp731RefusesTheFirmwareUpdate) {
    const struct {
        int module;
        unsigned version;
        int refusal;
    } cases[] = {{kCP731, 0, 0}, {kCP731, 1, 0}, {kCP731, 2, 615}, {kCP731, 3, 615}, {kCP830, 2, 0}, {kCP8312, 2, 0}};
    for (const auto& c : cases) {
        support::ModuleDocument m(c.module, kProt3964, kIfRs232, c.version);
        EXPECT_EQ(FirmwareUpdateRefusal(m.doc), c.refusal) << c.module << " version " << c.version;
    }
}

TEST(FrameCommands, InterfaceNumberOnlyForCp8312) {
    const struct {
        int module, interfaceNo;
        const char* text;
    } cases[] = {{kCP8312, 2, "2   "}, {kCP8312, 1, "1   "}, {kCP8311, 1, ""}, {kCP731, 1, ""}};
    for (const auto& c : cases) {
        support::ModuleDocument m(c.module, kProt3964, kIfHostRs232);
        m.doc.m_nInterfaceNo = c.interfaceNo;
        EXPECT_EQ(ShowsInterfaceNumber(m.doc), c.module == kCP8312) << c.module;
        EXPECT_EQ(InterfaceNumberText(m.doc), c.text) << c.module;
    }
}

TEST(FrameCommands, CommandHelpTopic) {
    const struct {
        int command, topic;
    } cases[] = {{32773, 32773 + 65536}, {57603, 57603 + 65536}, {61184, 0}, {61190, 0}, {61202, 0}, {61191, 61191 + 65536}};
    for (const auto& c : cases) EXPECT_EQ(CommandHelpTopic(c.command), c.topic) << c.command;
}

// Online, or without a change, nothing is stored and the document stays as it was.
TEST(FrameCommands, StoreThatStoresNothing) {
    const struct {
        int online;
        bool modified;
        StoreOutcome outcome;
    } cases[] = {{1, true, StoreOutcome::Online}, {1, false, StoreOutcome::Online}, {0, false, StoreOutcome::NothingToStore}};
    for (const auto& c : cases) {
        support::ModuleDocument m(kCP731, kProt3964, kIfRs232);
        m.doc.m_bOnline = c.online;
        m.doc.SetModifiedFlag(c.modified);
        m.messages.shown.clear();
        EXPECT_EQ(StoreDocument(m.doc), c.outcome);
        EXPECT_EQ(m.doc.IsModified(), c.modified);
        EXPECT_TRUE(m.messages.shown.empty());
    }
    EXPECT_NE(StoreOutcomeText(StoreOutcome::Online), StoreOutcomeText(StoreOutcome::NothingToStore));
}

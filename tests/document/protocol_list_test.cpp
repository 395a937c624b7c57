#include <gtest/gtest.h>

#include "document/protocol_list.h"
#include "document/ptp_doc.h"
#include "tests/support/memory_project.h"
#include "tests/support/message_recorder.h"
#include "tests/support/scratch_dir.h"

namespace {
std::vector<int> codes(const ProtocolChoice& c) {
    std::vector<int> v;
    for (const auto& i : c.items) v.push_back(i.code);
    return v;
}
}  // namespace

TEST(ProtocolList, OrderNumberTable) {
    struct Case { int module; const char* order; bool matched; std::vector<int> items; int version; };
    constexpr int P3964 = kProt3964, Ascii = kProtAscii, Rk512 = kProtRk512, Printer = kProtPrinter;
    const Case cases[] = {
        {kCP730, "9QX4 730-1KM00", true, {P3964, Ascii}, 0},
        {kCP730, "9qx4 730-1km02", true, {P3964, Ascii, Printer}, 2},
        {kCP730, "9QX4 730-1LM00", true, {P3964, Ascii, Printer}, 0},
        {kCP730, "9QX4 730-1NM02", true, {P3964, Ascii, Printer}, 2},
        {kCP730, "9QX4 730-1KM03", false, {}, 0},
        {kCP730, "9QX4 730-1K", false, {}, 0},
        {kCP731, "9QX4 731-1LE01-0AB0", true, {P3964, Rk512, Ascii}, 1},  // ninth character from "731-1": '1'
        {kCP731, "9QX4 731-1LE02-0AB0", true, {P3964, Rk512, Ascii, Printer}, 2},
        {kCP731, "9QX4 731-1L", true, {P3964, Rk512, Ascii}, 0},           // too short for a version: none
        {kCP830, "anything", true, {P3964, Ascii}, 0},
        {kCP8311, "9QX4 831-1KK00", true, {P3964}, 0},
        {kCP8311, "9QX4 831-1KK04", true, {P3964, Ascii, Printer}, 4},
        {kCP8312, "9QX4 831-2KK00", true, {P3964, Rk512}, 0},
        {kCP8312, "9QX4 831-2KK05", true, {P3964, Rk512, Ascii, Printer}, 5},
        {kCP8312, "9QX4 831-2KK06", false, {}, 0},
        {kModuleUnknown, "9QX4 731-1L", false, {}, 0},
    };
    for (const auto& c : cases) {
        auto r = ProtocolsForOrderNumber(c.module, c.order);
        EXPECT_EQ(r.matched, c.matched) << c.module << " " << c.order;
        EXPECT_EQ(codes(r), c.items) << c.module << " " << c.order;
        EXPECT_EQ(r.productVersion, c.version) << c.module << " " << c.order;
    }
    EXPECT_EQ(ProtocolsForOrderNumber(kCP731, "731-1LE02").items[3].text, "DRUCKER");
}

// Start-up derives the protocol with the module's first protocol for identifiers of no
// protocol; the fallback to the default block takes 3964(R) on every module.
TEST(ProtocolList, StoredIdentifier) {
    const int driver = driverProtocol(2), unknown = -7;
    struct Case { uint16_t id; int protocol; };
    const Case cases[] = {
        {kId3964, kProt3964},   {kIdAscii, kProtAscii}, {kIdRk512, kProtRk512}, {kIdPrinter, kProtPrinter},
        {kIdDriverBase, driver}, {0x1234, driver},       {0xFFFF, driver},       {0, unknown},
        {0x21, unknown},         {0x0FFF, unknown},
    };
    for (const auto& c : cases) EXPECT_EQ(ProtocolFromIdentifier(c.id, driver, unknown), c.protocol) << c.id;

    support::MessageRecorder messages;
    AppSettings app;
    CPtpDoc doc(app);
    doc.m_nDriverProtocol = driver;
    for (int module : {kCP730, kCP731, kCP830, kCP8311, kCP8312, kModuleUnknown}) {
        doc.m_nModuleType = module;
        EXPECT_EQ(doc.ProtocolFromIdentifier(0x21), module == kCP830 ? kProtAscii : kProt3964) << module;
        EXPECT_EQ(doc.ProtocolFromIdentifier(kIdRk512), kProtRk512) << module;
        EXPECT_EQ(doc.ProtocolFromIdentifier(0x1001), driver) << module;
    }
}

namespace {
struct FirstUpdateTest : ::testing::Test {
    support::MessageRecorder messages;
    AppSettings app;
    support::MemoryProject project{support::MemoryProject::Empty{}};
};
}  // namespace

TEST_F(FirstUpdateTest, UnknownOrderNumberEndsTheStart) {
    CPtpDoc doc(app);
    EXPECT_EQ(doc.ParseStartupString("x.sdb,CP730,0,0,CP 730,9QX4 730-1K"), -1);
    EXPECT_EQ(doc.m_nStartResult, -1);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().id, 613);
    EXPECT_EQ(messages.shown.back().title, "Projektierter CP ( MLFB-Nr) unbekannt");
    EXPECT_TRUE(doc.m_ProtocolList.empty());
}

// Without any view the document knows what the module offers: the overview and the
// printout only show it.
TEST_F(FirstUpdateTest, TheDocumentKeepsTheProtocolList) {
    struct Case { const char* line; std::vector<int> offered; unsigned version; int protocol; };
    const Case cases[] = {
        {"x.sdb,CP731,81,0,CP 731,9QX4 731-1LE02-0AB0", {kProt3964, kProtRk512, kProtAscii, kProtPrinter}, 2, kProt3964},
        {"x.sdb,CP830,0,0,CP 830,9QX4 830", {kProt3964, kProtAscii}, 0, kProtAscii},
        {"x.sdb,CP730,0,0,CP 730,9QX4 730-1NM02", {kProt3964, kProtAscii, kProtPrinter}, 2, kProt3964},
    };
    for (const auto& c : cases) {
        CPtpDoc doc(app);
        ASSERT_EQ(doc.ParseStartupString(c.line), 0) << c.line;
        std::vector<int> offered;
        for (const auto& i : doc.m_ProtocolList) offered.push_back(i.code);
        EXPECT_EQ(offered, c.offered) << c.line;
        EXPECT_EQ(doc.m_nProductVersion, c.version) << c.line;
        EXPECT_EQ(doc.m_nProtocol, c.protocol) << c.line;
        EXPECT_EQ(doc.m_nStartResult, 0) << c.line;
    }
}

TEST_F(FirstUpdateTest, StoredProtocolTheModuleDoesNotOfferFallsBack) {
    support::ScratchDir dir("ptp_protocols");
    const std::string file = (dir / "cp831.sdb").string();
    const std::string line = file + ",CP8312,66,1,CP 831,9QX4 831-2KK05";
    {   // a printer block stored for a module version that offers the printer
        CPtpDoc doc(app);
        ASSERT_EQ(doc.ParseStartupString(line), 0);
        EXPECT_EQ(doc.m_nProductVersion, 5u);
        doc.m_nProtocol = kProtPrinter;
        doc.BuildDefaults(doc.m_DefParams);
        doc.m_CurParams = doc.m_DefParams;
        doc.SetModifiedFlag(true);
        ASSERT_EQ(doc.Store(), 1);
    }
    messages.shown.clear();
    CPtpDoc doc(app);
    ASSERT_EQ(doc.ParseStartupString(file + ",CP8312,66,1,CP 831,9QX4 831-2KK00"), 0);
    EXPECT_EQ(messages.ids(), std::vector<int>{610});
    EXPECT_EQ(doc.m_nProtocol, kProtRk512);  // the CP 831-2 default protocol
    EXPECT_EQ(+doc.m_CurParams.wProtocolId, kIdRk512);
    EXPECT_TRUE(doc.IsModified());
}

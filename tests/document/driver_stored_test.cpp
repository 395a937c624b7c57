// A loadable driver in the stored block: stored and loaded again with the installed driver,
// given up when it is not installed, a version difference, and the driver's parts in the
// section file of a CP 831-2.
#include <gtest/gtest.h>

#include <cstring>

#include "document/ptp_doc.h"
#include "sdb/container.h"
#include "sdb/driver_image.h"
#include "tests/document/driver_fixture.h"
#include "tests/support/memory_project.h"
#include "tests/support/module_factory.h"
#include "tests/support/scratch_dir.h"

namespace {

using drvtest::Rec;
using support::StartupString;

const std::string kOrder731 = "9QX4 731-1KE02-0AB0";
const std::string kOrder8312 = "9QX4 831-2KK02";

std::string name8(const char* p) { return std::string(p, 8); }

std::array<uint8_t, 64> image(const CDbSon& son) {
    std::array<uint8_t, 64> b{};
    sdb::WriteSon(son, b);
    return b;
}

// Code, firmware and protocol part, described for both modules.
drvtest::Package package(const std::string& codeName = "TSTDRV00", uint8_t verHi = 1, uint8_t verLo = 2) {
    drvtest::Package p;
    p.code = {Rec{"OTHER000", 9, 9, 0x1009, 0x102, 36}, Rec{codeName, verHi, verLo, 0x1001, 0x102, 1000}};
    p.code[1].tail[0] = 0x42;
    p.firmware = {Rec{"TSTFW000", 3, 4, 0x2001, 0x102, 300}};
    p.protocol = {Rec{"TSTPTP00", 5, 6, 0x3001, 0x102, 200}};
    const std::string parts = "KP_TYP=1001\nKP_VERS=" + std::to_string(verHi) + "." + std::to_string(verLo) +
                              "\nSCC_TYP=2001\nSCC_VERS=3.4\nPTP_TYP=3001\nPTP_VERS=5.6\n";
    p.description = "[9QX4_731_1KE02_0AB0]\n" + parts + "[9QX4_831_2KK02]\n" + parts;
    return p;
}

// The build time of every block head of a record container or section file, zeroed.
void clearTimes(std::vector<uint8_t>& bytes, bool sectionFile) {
    auto zero = [&](size_t head) {
        for (size_t i = head + 16; i < head + 22 && i < bytes.size(); ++i) bytes[i] = 0;
    };
    if (sectionFile) {
        size_t at = 6;
        for (int i = 0; i < bytes[1] && at + 5 <= bytes.size(); ++i) {
            const size_t len = (size_t{bytes[at + 1]} << 24) | (size_t{bytes[at + 2]} << 16) | (size_t{bytes[at + 3]} << 8) | bytes[at + 4];
            zero(at + 5);
            at += 5 + len;
        }
        return;
    }
    SdbRecordList* raw = nullptr;
    const int n = SdbUnpackRecords(bytes.data(), bytes.size(), &raw);
    SdbRecordListPtr list(raw);
    for (int i = 0; i < n; ++i)
        if (list->pEntries[i].byNumber == 128 || list->pEntries[i].byNumber == 135)
            zero(static_cast<size_t>(list->pEntries[i].pData - bytes.data()));
}

struct Section { uint8_t type; std::vector<uint8_t> data; };
std::vector<Section> sections(const std::vector<uint8_t>& bytes) {
    std::vector<Section> out;
    size_t at = 6;
    for (int i = 0; i < bytes[1]; ++i) {
        const size_t len = (size_t{bytes[at + 1]} << 24) | (size_t{bytes[at + 2]} << 16) | (size_t{bytes[at + 3]} << 8) | bytes[at + 4];
        out.push_back({bytes[at], std::vector<uint8_t>(bytes.begin() + static_cast<long>(at + 5), bytes.begin() + static_cast<long>(at + 5 + len))});
        at += 5 + len;
    }
    return out;
}

struct StoredDriver : ::testing::Test {
    support::MessageRecorder messages;
    support::MemoryProject project;
    support::ScratchDir dir{"ptp_drvstored"};
    AppSettings app;

    void SetUp() override { app.releaseVersion = "5.1.2.3"; }
    void install(const drvtest::Package& p) {
        app.drivers.clear();
        drvtest::Install(app, dir / "Y5DRIVER", p);
    }
    std::vector<uint8_t> attribute() {
        return host::currentProject()->binary(project.module, kAttrParameterBlock).value_or(std::vector<uint8_t>{});
    }
    // Opens the module, changes it to the installed driver with its defaults and stores it.
    std::unique_ptr<CPtpDoc> storeWithDriver(const std::string& line) {
        auto d = support::OpenDocument(app, line);
        d->m_nProtocol = driverProtocol(0);
        EXPECT_EQ(d->ApplyDriverDefaults(d->m_DefParams), 0);
        d->m_CurParams = d->m_DefParams;
        d->SetModifiedFlag(true);
        EXPECT_EQ(d->Store(), 1);
        messages.shown.clear();
        return d;
    }
};

}  // namespace

TEST_F(StoredDriver, Cp731LoadsStoresAndLoadsAgain) {
    install(package());
    const std::string line = StartupString("0", "CP731", 81, kOrder731);
    auto d = storeWithDriver(line);
    auto first = attribute();
    ASSERT_FALSE(first.empty());

    auto e = support::OpenDocument(app, line);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(e->IsModified());
    EXPECT_EQ(e->m_nProtocol, driverProtocol(0));
    EXPECT_EQ(name8(e->m_CurParams.achDriverName), "TSTDRV00");
    EXPECT_EQ(+e->m_CurParams.wRecvDbNo, 4711);  // the library's default, as stored
    ASSERT_EQ(e->m_nDriverDataLen, 40u);
    EXPECT_TRUE(std::equal(e->m_pDriverData->begin(), e->m_pDriverData->begin() + 40, d->m_pDriverData->begin()));
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(image(e->m_DrvSon[i]), image(d->m_DrvSon[i])) << i;
    EXPECT_EQ(std::memcmp(&e->m_DriverInfo, &d->m_DriverInfo, sizeof(PtpDriverInfo)), 0);
    EXPECT_EQ(e->m_nDrvBlockMask, 0x111);
    EXPECT_EQ(e->m_DriverFileOffsets, (std::array<int64_t, 3>{100, 0, 0}));
    EXPECT_EQ(e->BlockLengths, (std::array<uint16_t, 11>{2, 24, 49, 40}));

    e->SetModifiedFlag(true);
    ASSERT_EQ(e->Store(), 1);
    auto second = attribute();
    clearTimes(first, false);
    clearTimes(second, false);
    EXPECT_EQ(second, first);
    auto f = support::OpenDocument(app, line);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(std::equal(f->m_pDriverData->begin(), f->m_pDriverData->begin() + 40, d->m_pDriverData->begin()));
}

TEST_F(StoredDriver, NotInstalledAsksWithTheDriversName) {
    struct Case { const char* stored; const char* shown; };
    const Case cases[] = {{"Y5WFPA1X", "MODBUS Master"}, {"Y5WFPB1X", "MODBUS Slave"}, {"Y5WFPE1X", "Data Highway DF1"},
                          {"TSTDRV00", "TSTDRV00"}};
    const std::string line = StartupString("0", "CP731", 81, kOrder731);
    for (const Case& c : cases) {
        install(package(c.stored));
        const uint8_t empty = 0;
        ASSERT_TRUE(host::currentProject()->setBinary(project.module, kAttrParameterBlock, &empty, 0));
        storeWithDriver(line);
        app.drivers.clear();
        messages.answer(host::kNo);
        CPtpDoc e(app);
        EXPECT_NE(e.ParseStartupString(line), 0) << c.stored;
        ASSERT_EQ(messages.ids(), std::vector<int>{595});
        EXPECT_NE(messages.shown[0].text.find(std::string("\"") + c.shown + "\""), std::string::npos) << messages.shown[0].text;
        EXPECT_EQ(messages.shown[0].defaultButton, host::kNo);
        messages.shown.clear();
    }
    // installed, but its code file holds no record of the stored name
    install(package("ANDERER0"));
    messages.answer(host::kNo);
    CPtpDoc e(app);
    EXPECT_NE(e.ParseStartupString(line), 0);
    EXPECT_EQ(messages.ids(), std::vector<int>{595});
}

TEST_F(StoredDriver, NotInstalledYesTakesTheDefaultProtocol) {
    install(package());
    const std::string line = StartupString("0", "CP731", 81, kOrder731);
    storeWithDriver(line);
    const auto stored = attribute();
    app.drivers.clear();

    messages.answer(host::kYes);
    auto e = support::OpenDocument(app, line);
    EXPECT_EQ(messages.ids(), std::vector<int>{595});
    EXPECT_EQ(e->m_nProtocol, kProt3964);
    EXPECT_EQ(+e->m_CurParams.wProtocolId, 0x31);
    EXPECT_EQ(e->BlockLengths, (std::array<uint16_t, 11>{2, 24, 49}));
    EXPECT_EQ(e->m_nDrvBlockMask, 0);
    EXPECT_EQ(e->m_nBlockCount, 1);
    EXPECT_TRUE(e->IsModified());
    EXPECT_EQ(attribute(), stored);  // nothing written by loading

    // online the program cannot go on with another protocol
    messages.shown.clear();
    messages.answer(host::kYes);
    CPtpDoc f(app);
    EXPECT_NE(f.ParseStartupString(StartupString("0", "CP731", 81, kOrder731, 1)), 0);
    EXPECT_EQ(messages.ids(), (std::vector<int>{2045, 595, 590}));
    EXPECT_EQ(messages.shown[2].title, "Punkt-zu-Punkt-Kopplung parametrieren");
}

TEST_F(StoredDriver, VersionDifferenceMarksTheDriverPending) {
    struct Case { uint8_t hi, lo; bool differs; };
    const Case cases[] = {{1, 3, true}, {1, 1, true}, {0, 2, true}, {2, 2, true}, {1, 2, false}};
    const std::string line = StartupString("0", "CP731", 81, kOrder731);
    install(package());
    storeWithDriver(line);
    for (const Case& c : cases) {
        install(package("TSTDRV00", c.hi, c.lo));
        auto e = support::OpenDocument(app, line);
        SCOPED_TRACE(std::to_string(c.hi) + "." + std::to_string(c.lo));
        EXPECT_EQ(messages.ids(), c.differs ? std::vector<int>{602} : std::vector<int>{});
        EXPECT_EQ(e->m_bDriverPending, c.differs ? 1 : 0);
        EXPECT_EQ(e->IsModified(), c.differs);
        // the record names the installed driver's version; its descriptors are taken over
        EXPECT_EQ(e->m_CurParams.byDriverVerHi, c.hi);
        EXPECT_EQ(e->m_CurParams.byDriverVerLo, c.lo);
        EXPECT_EQ(e->m_DriverInfo.driverVerLo, c.lo);
        EXPECT_EQ(e->m_nDrvBlockMask, 0x111);
        messages.shown.clear();
    }
}

TEST_F(StoredDriver, CheckErrorKeepsTheStoredParameters) {
    install(package());
    const std::string line = StartupString("0", "CP731", 81, kOrder731);
    storeWithDriver(line);
    drvtest::Package p = package();
    p.firmware[0].verLo = 5;  // the described firmware version is no longer installed
    install(p);
    auto e = support::OpenDocument(app, line);
    ASSERT_EQ(messages.ids(), std::vector<int>{598});
    EXPECT_EQ(messages.shown[0].title, "Punkt-zu-Punkt-Kopplung parametrieren");
    EXPECT_EQ(e->m_nProtocol, driverProtocol(0));
    EXPECT_EQ(name8(e->m_CurParams.achDriverName), "TSTDRV00");
    EXPECT_EQ(+e->m_CurParams.wRecvDbNo, 4711);
    EXPECT_EQ(e->m_nDriverDataLen, 40u);
    EXPECT_EQ(e->m_nDrvBlockMask, 0);
}

TEST_F(StoredDriver, Cp8312SectionFileCarriesTheDriverParts) {
    const drvtest::Package p = package();
    install(p);
    const std::string file = (dir / "ptpsdb.sdb").string();
    const std::string line = StartupString(file, "CP8312", 81, kOrder8312);
    auto d = storeWithDriver(line);
    auto first = drvtest::ReadFile(file);
    const auto s = sections(first);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(first[1], 4);
    const std::vector<std::pair<uint8_t, const Rec*>> parts = {{3, &p.code[1]}, {4, &p.firmware[0]}, {5, &p.protocol[0]}};
    for (size_t i = 0; i < parts.size(); ++i) {
        const auto& [type, rec] = parts[i];
        ASSERT_EQ(s[i + 1].type, type);
        const auto img = sdb::ReadDriverImage(s[i + 1].data);
        ASSERT_TRUE(img.has_value());
        EXPECT_EQ(img->head.byKind, type);
        EXPECT_EQ(img->head.wBodyLen, rec->body);
        EXPECT_EQ(image(img->son), image(d->m_DrvSon[i]));
        EXPECT_EQ(std::vector<uint8_t>(img->body.begin(), img->body.end()), drvtest::Body(*rec)) << int{type};
    }

    auto e = support::OpenDocument(app, line);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(e->IsModified());
    EXPECT_EQ(e->m_nProtocol, driverProtocol(0));
    EXPECT_EQ(e->m_nDrvBlockMask, 0x111);
    EXPECT_EQ(e->m_nBlockCount, 4);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(image(e->m_DrvSon[i]), image(d->m_DrvSon[i])) << i;
        EXPECT_FALSE(e->m_DriverSections[i].has_value());
        EXPECT_EQ(e->m_DrvHead[i].byKind, 3 + i);
    }
    e->SetModifiedFlag(true);
    ASSERT_EQ(e->Store(), 1);
    auto second = drvtest::ReadFile(file);
    clearTimes(first, true);
    clearTimes(second, true);
    EXPECT_EQ(second, first);

    // a driver file that changed under the stored offsets refuses the store and keeps the file
    drvtest::Package shorter = p;
    shorter.code[0].body = 20;
    install(shorter);
    e->SetModifiedFlag(true);
    EXPECT_EQ(e->Store(), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("DRVCODE0.KPC"), std::string::npos);
    EXPECT_EQ(drvtest::ReadFile(file).size(), first.size());
}

TEST_F(StoredDriver, Cp8312TextsOfADriverWithoutTextsAreDropped) {
    drvtest::Package p = package();
    p.texts = true;
    install(p);
    const std::string file = (dir / "ptpsdb.sdb").string();
    const std::string line = StartupString(file, "CP8312", 81, kOrder8312);
    auto d = support::OpenDocument(app, line);
    d->m_nProtocol = driverProtocol(0);
    ASSERT_EQ(d->ApplyDriverDefaults(d->m_DefParams), 0);
    d->m_CurParams = d->m_DefParams;
    d->m_bTextPresent = 1;
    d->m_pTexts->setText(3, "Meldung");
    ++d->m_nBlockCount;
    d->SetModifiedFlag(true);
    ASSERT_EQ(d->Store(), 1);
    ASSERT_EQ(drvtest::ReadFile(file)[1], 5);
    messages.shown.clear();

    auto e = support::OpenDocument(app, line);  // installed with texts: kept
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(e->m_bTextPresent, 1);
    EXPECT_EQ(e->m_nBlockCount, 5);
    EXPECT_EQ(e->BlockLengths[10], 40);  // the driver's data behind the printer-output block

    p.texts = false;
    install(p);
    auto f = support::OpenDocument(app, line);
    EXPECT_EQ(f->m_bTextPresent, 0);
    EXPECT_EQ(f->m_nBlockCount, 4);
    // stored again, the driver's data takes the place of the printer-output block
    f->SetModifiedFlag(true);
    ASSERT_EQ(f->Store(), 1);
    auto g = support::OpenDocument(app, line);
    EXPECT_EQ(g->m_nBlockCount, 4);
    EXPECT_EQ(g->BlockLengths, (std::array<uint16_t, 11>{0, 24, 49, 40}));
    EXPECT_TRUE(std::equal(g->m_pDriverData->begin(), g->m_pDriverData->begin() + 40, d->m_pDriverData->begin()));
}

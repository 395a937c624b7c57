#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "document/ptp_doc.h"
#include "document/record_fields.h"
#include "sdb/container.h"
#include "tests/support/memory_project.h"
#include "tests/support/module_factory.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

using support::StartupString;

// A project with one module object, and a folder for data transfer files.
struct Store : ::testing::Test {
    support::MessageRecorder messages;
    AppSettings app;
    support::MemoryProject project;
    host::ObjectHandle module = project.module;
    support::ScratchDir dir{"ptp_store"};

    void SetUp() override { app.releaseVersion = "5.1.2.3"; }
    std::unique_ptr<CPtpDoc> open(const std::string& line) { return support::OpenDocument(app, line); }
    std::vector<uint8_t> attribute() { return host::currentProject()->binary(module, kAttrParameterBlock).value_or(std::vector<uint8_t>{}); }
};

std::vector<uint8_t> readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Time bytes of every block head (bytes 16 to 21 of a head) change with the clock.
void clearHeadTimes(std::vector<uint8_t>& container) {
    SdbRecordList* list = nullptr;
    int n = SdbUnpackRecords(container.data(), container.size(), &list);
    ASSERT_GT(n, 0);
    for (int i = 0; i < n; ++i) {
        const SdbRecord& r = list->pEntries[i];
        if (r.byNumber == 128 || r.byNumber == 135) {
            size_t at = static_cast<size_t>(r.pData - container.data()) + 16;
            std::memset(container.data() + at, 0, 6);
        }
    }
    SdbFreeRecordList(list);
}

}  // namespace

TEST_F(Store, NothingStoredGivesDefaultsReadErrorAndModified) {
    auto d = open(StartupString("0", "CP731", 81, "9QX4 731-1L"));
    EXPECT_EQ(messages.ids(), std::vector<int>{0});
    EXPECT_EQ(messages.shown[0].text, "Start ohne OM: Lesefehler bei GetData730()");
    EXPECT_TRUE(d->IsModified());
    EXPECT_EQ(+d->m_CurParams.wCharDelay, 22);
}

TEST_F(Store, EmptyStoredBlockLoadsDefaultsQuietlyAndIsStoredAtExit) {
    // a container whose parameter record holds a head with bytes 0 and 6 both 0
    std::vector<uint8_t> empty(80, 0);
    SdbRecordListPtr list(SdbNewRecordList(1));
    list->byKind = 2;
    list->wBlockType = 7363;
    list->pEntries[0] = {empty.data(), 1, 128, 80, 0};
    std::vector<uint8_t> container(200);
    int size = SdbPackRecords(list.get(), container.data(), container.size());
    ASSERT_GT(size, 0);
    ASSERT_TRUE(host::currentProject()->setBinary(module, kAttrParameterBlock, container.data(), size));

    auto d = open(StartupString("0", "CP731", 81, "9QX4 731-1L"));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(d->IsModified());
    EXPECT_EQ(d->m_bSaveOnExit, 1);
    EXPECT_EQ(+d->m_CurParams.wProtocolId, 0x31);

    EXPECT_EQ(d->SaveModified(), 1);
    EXPECT_TRUE(messages.shown.empty());  // no question
    EXPECT_GT(attribute().size(), static_cast<size_t>(size));
    EXPECT_EQ(d->m_bSaveOnExit, 0);
    EXPECT_FALSE(d->IsModified());
}

// Store, load, store again: the same fields and the same bytes but for the build time.
TEST_F(Store, RoundTripForEveryModuleAndProtocol) {
    struct Case { const char* model; int iface; const char* order; int protocol; };
    const Case cases[] = {
        {"CP730", 0, "9QX4 730-1KM00", kProt3964},         {"CP730", 0, "9QX4 730-1NM00", kProtAscii},
        {"CP730", 0, "9QX4 730-1LM02", kProtPrinter},      {"CP731", 0, "9QX4 731-1L", kProt3964},
        {"CP731", 0, "9QX4 731-1N", kProtAscii},           {"CP731", 0, "9QX4 731-1K", kProtRk512},
        {"CP731", 0, "9QX4 731-1NE02-0AB0", kProtPrinter}, {"CP830", 0, "9QX4 830", kProt3964},
        {"CP830", 0, "9QX4 830", kProtAscii},              {"CP8311", 81, "9QX4 831-1KK02", kProt3964},
        {"CP8311", 66, "9QX4 831-1KK02", kProtAscii},      {"CP8312", 67, "9QX4 831-2KK02", kProtRk512},
        {"CP8312", 66, "9QX4 831-2KK02", kProtPrinter},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " protocol " + std::to_string(c.protocol));
        const bool cp831 = std::string(c.model).rfind("CP831", 0) == 0;
        const std::string file = cp831 ? (dir / ("m" + std::to_string(n++) + ".sdb")).string() : "0";
        const std::string line = StartupString(file, c.model, c.iface, c.order);

        auto d = open(line);
        d->m_nProtocol = c.protocol;
        d->BuildDefaults(d->m_DefParams);
        d->m_CurParams = d->m_DefParams;
        d->m_CurPrinter = d->m_DefPrinter;
        d->m_CurParams.wCharDelay = 33;      // something that is not a default
        d->m_CurParams.byBaud = 9;
        if (c.protocol == 4) {
            d->m_CurPrinter.byLeftMargin = 7;
            d->m_pTexts->setText(5, "Kessel");
            d->m_pTexts->setText(7, "leer");
            d->m_bTextPresent = 1;
            d->m_nBlockCount = 2;
        }
        d->SetModifiedFlag(true);
        ASSERT_EQ(d->Store(), 1);
        EXPECT_FALSE(d->IsModified());
        std::vector<uint8_t> first = cp831 ? readAll(file) : attribute();
        const std::string fields = FormatFields(DescribeDb(d->m_CurParams)) + FormatFields(DescribeDbdr(d->m_CurPrinter));

        messages.shown.clear();
        auto e = open(line);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_FALSE(e->IsModified());
        EXPECT_EQ(e->m_nProtocol, c.protocol);
        EXPECT_EQ(FormatFields(DescribeDb(e->m_CurParams)) + FormatFields(DescribeDbdr(e->m_CurPrinter)), fields);
        EXPECT_EQ(e->BlockLengths, d->BlockLengths);
        if (c.protocol == 4) {
            EXPECT_EQ(e->m_bTextPresent, 1);
            EXPECT_EQ(e->m_pTexts->text(5), "Kessel");
            EXPECT_EQ(e->m_pTexts->text(7), "leer");
        }
        e->SetModifiedFlag(true);
        ASSERT_EQ(e->Store(), 1);
        std::vector<uint8_t> second = cp831 ? readAll(file) : attribute();
        if (cp831) {
            // the section file: parameter head at 6 + 5, text head behind the parameter image
            ASSERT_EQ(first.size(), second.size());
            std::memset(first.data() + 11 + 16, 0, 6);
            std::memset(second.data() + 11 + 16, 0, 6);
            if (c.protocol == 4) {
                size_t paramLen = (first[7] << 24) | (first[8] << 16) | (first[9] << 8) | first[10];
                size_t text = 11 + paramLen + 5;
                std::memset(first.data() + text + 16, 0, 6);
                std::memset(second.data() + text + 16, 0, 6);
            }
        } else {
            clearHeadTimes(first);
            clearHeadTimes(second);
        }
        EXPECT_EQ(first, second);
    }
}

TEST_F(Store, Cp831WithFirstTokenZeroUsesAFileNamedZero) {
    const fs::path cwd = fs::current_path();
    fs::current_path(dir.path);
    {
        auto d = open(StartupString("0", "CP8311", 81, "9QX4 831-1KK00"));
        EXPECT_EQ(d->m_bFromProject, 1);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].id, 556);  // no file yet
        d->m_CurParams.wCharDelay = 44;
        ASSERT_EQ(d->Store(), 1);
        EXPECT_TRUE(fs::exists(dir / "0"));
        EXPECT_TRUE(attribute().empty());      // the project is not written
        messages.shown.clear();
        auto e = open(StartupString("0", "CP8311", 81, "9QX4 831-1KK00"));
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(+e->m_CurParams.wCharDelay, 44);
    }
    fs::current_path(cwd);
}

TEST_F(Store, OnlineStoresNothingAndAsksNothing) {
    auto d = open(StartupString("0", "CP731", 81, "9QX4 731-1L", 1));
    ASSERT_EQ(messages.ids(), (std::vector<int>{2045, 0}));
    messages.shown.clear();
    d->SetModifiedFlag(true);
    EXPECT_EQ(d->Store(), 1);
    EXPECT_EQ(d->SaveModified(), 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(attribute().empty());
}

TEST_F(Store, ExitQuestions) {
    auto d = open(StartupString("0", "CP731", 81, "9QX4 731-1L"));
    messages.shown.clear();
    // Cancel stays, No closes without storing
    messages.answer(host::kCancel);
    EXPECT_EQ(d->SaveModified(), 0);
    messages.answer(host::kNo);
    EXPECT_EQ(d->SaveModified(), 1);
    EXPECT_TRUE(attribute().empty());
    EXPECT_EQ(messages.ids(), (std::vector<int>{566, 566}));
    EXPECT_EQ(messages.shown[0].title, "Beenden von Punkt-zu-Punkt-Kopplung parametrieren");

    // a driver loaded in this run: No is asked again with 2041
    messages.shown.clear();
    d->m_bDriverLoaded = 1;
    messages.answer(host::kNo);
    messages.answer(host::kYes);
    EXPECT_EQ(d->SaveModified(), 1);
    EXPECT_EQ(messages.ids(), (std::vector<int>{566, 2041}));
    EXPECT_FALSE(attribute().empty());

    // missing firmware: Yes keeps the program open
    messages.shown.clear();
    d->m_bFirmwareMissing = 1;
    messages.answer(host::kYes);
    EXPECT_EQ(d->SaveModified(), 0);
    messages.answer(host::kNo);
    EXPECT_EQ(d->SaveModified(), 1);
    EXPECT_EQ(messages.ids(), (std::vector<int>{2032, 2032}));

    // CP 731 with driver blocks and no driver on the module: a notice
    messages.shown.clear();
    d->m_bFirmwareMissing = 0;
    d->m_nDrvBlockMask = 1;
    d->m_byModuleDrvVerHi = d->m_byModuleDrvVerLo = 0;
    EXPECT_EQ(d->SaveModified(), 1);
    EXPECT_EQ(messages.ids(), std::vector<int>{2042});
}

TEST_F(Store, PendingDriverAsksBeforeStoring) {
    auto d = open(StartupString("0", "CP731", 81, "9QX4 731-1L"));
    messages.shown.clear();
    d->m_bDriverPending = 1;
    messages.answer(host::kYes);
    EXPECT_EQ(d->Store(), 0);
    messages.answer(host::kNo);
    EXPECT_EQ(d->Store(), 1);
    EXPECT_EQ(messages.ids(), (std::vector<int>{2044, 2044}));
    EXPECT_TRUE(attribute().empty());  // nothing stored either way
    d->m_nProductVersion = 2;           // from product version 2 on the module takes the driver itself
    EXPECT_EQ(d->Store(), 1);
    EXPECT_FALSE(attribute().empty());
}

TEST_F(Store, StoredLoadableDriverWithoutInstalledDrivers) {
    auto d = open(StartupString("0", "CP731", 81, "9QX4 731-1L"));
    std::memcpy(d->m_CurParams.achDriverName, "Y5WFPA1X", 8);
    d->m_CurParams.wProtocolId = 0x1001;
    d->SetModifiedFlag(true);
    ASSERT_EQ(d->Store(), 1);
    const auto stored = attribute();

    // No: the program ends
    messages.shown.clear();
    messages.answer(host::kNo);
    CPtpDoc e(app);
    EXPECT_NE(e.ParseStartupString(StartupString("0", "CP731", 81, "9QX4 731-1L")), 0);
    ASSERT_EQ(messages.ids(), std::vector<int>{595});
    EXPECT_NE(messages.shown[0].text.find("\"MODBUS Master\""), std::string::npos);

    // Yes: the default protocol, modified
    messages.answer(host::kYes);
    auto f = open(StartupString("0", "CP731", 81, "9QX4 731-1L"));
    EXPECT_EQ(+f->m_CurParams.wProtocolId, 0x31);
    EXPECT_EQ(f->m_nProtocol, 1);
    EXPECT_TRUE(f->IsModified());
    EXPECT_EQ(attribute(), stored);  // nothing written by loading
}

TEST_F(Store, TooManyTextRecordsRefusesAndKeepsTheOldBlock) {
    auto d = open(StartupString("0", "CP731", 81, "9QX4 731-1L"));
    d->m_nProtocol = 4;
    d->BuildDefaults(d->m_DefParams);
    d->m_CurParams = d->m_DefParams;
    ASSERT_EQ(d->Store(), 1);
    const auto before = attribute();

    d->m_bTextPresent = 1;
    const std::string text(250, 'x');
    for (int n = 0; n < 70; ++n) d->m_pTexts->setText(n, text);  // more than 65 records
    d->SetModifiedFlag(true);
    messages.shown.clear();
    EXPECT_EQ(d->Store(), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Die max. DS-Anzahl für Texte wurde überschritten!\nBitte Texte überprüfen");
    EXPECT_TRUE(d->IsModified());
    EXPECT_EQ(attribute(), before);
}

TEST_F(Store, DataTransferFileSurvivesAFailedOrKilledStore) {
    const std::string file = (dir / "ptpsdb.sdb").string();
    auto d = open(StartupString(file, "CP730", 0, "9QX4 730-1KM00"));
    ASSERT_EQ(d->Store(), 1);
    const auto before = readAll(file);
    ASSERT_FALSE(before.empty());

    for (auto stage : {transfer::WriteStage::CreateTemp, transfer::WriteStage::Write, transfer::WriteStage::Sync,
                       transfer::WriteStage::Rename}) {
        messages.shown.clear();
        d->m_CurParams.wCharDelay += 1;
        d->SetModifiedFlag(true);
        d->m_writeFailure = [stage](transfer::WriteStage s) { return s == stage; };
        EXPECT_EQ(d->Store(), 0);
        EXPECT_EQ(messages.ids(), std::vector<int>{556});
        EXPECT_TRUE(d->IsModified());
        EXPECT_EQ(readAll(file), before);
    }
    // the process dies between writing the new data and the rename
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        d->m_writeFailure = [](transfer::WriteStage s) {
            if (s == transfer::WriteStage::Rename) _exit(0);
            return false;
        };
        d->Store();
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readAll(file), before);
    auto e = open(StartupString(file, "CP730", 0, "9QX4 730-1KM00"));
    EXPECT_EQ(+e->m_CurParams.wCharDelay, 22);

    d->m_writeFailure = {};
    ASSERT_EQ(d->Store(), 1);
    EXPECT_NE(readAll(file), before);
}

TEST_F(Store, ShowMarksTheObjectSetForSaving) {
    CPtpDoc d(app);
    app.initDone = 1;
    EXPECT_EQ(d.Show(1, 2, 3, 4, 5, 6, "x"), 0);
    EXPECT_EQ(d.m_bSaveObjectSet, 1);
    EXPECT_EQ(app.initDone, 0);
}

// Damaged stored blocks never stop the program: each loads to something usable.
TEST_F(Store, DamagedBlocksLoadWithoutHarm) {
    auto d = open(StartupString("0", "CP731", 81, "9QX4 731-1NE02-0AB0"));
    d->m_nProtocol = kProtPrinter;
    d->BuildDefaults(d->m_DefParams);
    d->m_CurParams = d->m_DefParams;
    d->m_bTextPresent = 1;
    d->m_pTexts->setText(3, "Text");
    ASSERT_EQ(d->Store(), 1);
    const auto good = attribute();

    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 300; ++round) {
        auto bytes = good;
        const int flips = 1 + static_cast<int>(next() % 8);
        for (int i = 0; i < flips; ++i) bytes[next() % bytes.size()] = static_cast<uint8_t>(next() >> 16);
        if (round % 10 == 0) bytes.resize(next() % bytes.size());
        if (bytes.empty()) bytes.push_back(0);
        ASSERT_TRUE(host::currentProject()->setBinary(module, kAttrParameterBlock, bytes.data(), bytes.size()));
        messages.shown.clear();
        messages.answer(host::kYes);  // a driver identifier met by chance: go on with the default
        CPtpDoc e(app);
        e.ParseStartupString(StartupString("0", "CP731", 81, "9QX4 731-1NE02-0AB0"));
        e.SetModifiedFlag(true);
        e.Store();  // whatever was read can be stored again
    }
}

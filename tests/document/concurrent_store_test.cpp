// Two programs storing the same module: neither change may be lost without a word.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "document/ptp_doc.h"
#include "document/stored_block.h"
#include "host/project.h"
#include "tests/support/memory_project.h"
#include "tests/support/module_factory.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

using support::StartupString;

constexpr int kChangedElsewhere = 3101;
constexpr int kChangedElsewhereNotStored = 3102;

std::vector<uint8_t> readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The three places a module's block is kept: the project attribute of a CP 731, the data
// transfer file of a CP 730 started without project access, the section file of a CP 831.
struct Place {
    const char* name;
    const char* model;
    int iface;
    const char* order;
    bool inFile;
};
const Place kPlaces[] = {
    {"Projektattribut", "CP731", 81, "9QX4 731-1L", false},
    {"Datenübergabedatei CP 730", "CP730", 0, "9QX4 730-1KM00", true},
    {"Abschnittsdatei CP 831", "CP8311", 81, "9QX4 831-1KK02", true},
};

struct TwoStores : ::testing::Test {
    support::MessageRecorder messages;
    AppSettings app;
    support::MemoryProject project;
    support::ScratchDir dir{"ptp_two_stores"};

    void SetUp() override { app.releaseVersion = "5.1.2.3"; }
    std::string line(const Place& p) {
        return StartupString(p.inFile ? (dir / "ptpsdb.sdb").string() : "0", p.model, p.iface, p.order);
    }
    std::unique_ptr<CPtpDoc> open(const Place& p) { return support::OpenDocument(app, line(p)); }
    std::vector<uint8_t> stored(const Place& p) {
        if (p.inFile) return readAll(dir / "ptpsdb.sdb");
        return host::currentProject()->binary(project.module, kAttrParameterBlock).value_or(std::vector<uint8_t>{});
    }
    // The first store of the module, so that both documents load a block.
    void storeOnce(const Place& p) {
        auto d = open(p);
        d->SetModifiedFlag(true);
        ASSERT_EQ(d->Store(), 1);
        messages.shown.clear();
    }
};

// Both documents load the same block; the first stores a change; then the second stores
// one of its own. It is asked first, and only "Ja" overwrites the first one's change.
TEST_F(TwoStores, TheSecondIsAskedBeforeOverwritingTheFirstsChange) {
    for (const Place& p : kPlaces) {
        for (const int answer : {host::kNo, host::kYes}) {
            SCOPED_TRACE(std::string(p.name) + (answer == host::kYes ? ": Ja" : ": Nein"));
            fs::remove(dir / "ptpsdb.sdb");
            project.project().setBinary(project.module, kAttrParameterBlock, nullptr, 0);
            storeOnce(p);
            auto first = open(p);
            auto second = open(p);
            first->m_CurParams.wCharDelay = 33;
            first->SetModifiedFlag(true);
            ASSERT_EQ(first->Store(), 1);
            const std::vector<uint8_t> firsts = stored(p);
            EXPECT_TRUE(messages.shown.empty());

            second->m_CurParams.byBaud = 9;
            second->SetModifiedFlag(true);
            messages.answer(answer);
            const int result = second->Store();
            ASSERT_EQ(messages.ids(), std::vector<int>{kChangedElsewhere});
            EXPECT_EQ(messages.shown[0].buttons, host::Buttons::YesNo);
            EXPECT_EQ(messages.shown[0].defaultButton, host::kNo);
            if (answer == host::kNo) {
                EXPECT_EQ(result, 0);
                EXPECT_TRUE(second->IsModified());
                EXPECT_EQ(stored(p), firsts);
            } else {
                EXPECT_EQ(result, 1);
                EXPECT_FALSE(second->IsModified());
                auto third = open(p);
                EXPECT_EQ(third->m_CurParams.byBaud, 9);
                EXPECT_NE(stored(p), firsts);
            }
            messages.shown.clear();
        }
    }
}

// A document that stored asks nothing at its next store, nor when only it stores; one that
// refuses instead of asking (the command line) says why and leaves the other change.
TEST_F(TwoStores, OwnStoresAskNothingAndARefusalKeepsTheOtherChange) {
    for (const Place& p : kPlaces) {
        SCOPED_TRACE(p.name);
        fs::remove(dir / "ptpsdb.sdb");
        project.project().setBinary(project.module, kAttrParameterBlock, nullptr, 0);
        storeOnce(p);
        auto d = open(p);
        for (int delay : {30, 31, 32}) {
            d->m_CurParams.wCharDelay = static_cast<uint16_t>(delay);
            d->SetModifiedFlag(true);
            EXPECT_EQ(d->Store(), 1);
        }
        EXPECT_TRUE(messages.shown.empty());

        auto other = open(p);
        other->m_CurParams.wCharDelay = 40;
        other->SetModifiedFlag(true);
        ASSERT_EQ(other->Store(), 1);
        const std::vector<uint8_t> others = stored(p);
        d->m_bAskBeforeOverwrite = 0;
        d->m_CurParams.wCharDelay = 41;
        d->SetModifiedFlag(true);
        EXPECT_EQ(d->Store(), 0);
        EXPECT_EQ(messages.ids(), std::vector<int>{kChangedElsewhereNotStored});
        EXPECT_EQ(stored(p), others);
        messages.shown.clear();
    }
}

// A data transfer file that appears after both documents found none is another program's.
TEST_F(TwoStores, AFileThatAppearedSinceLoadingIsNotOverwrittenUnasked) {
    const Place& p = kPlaces[2];
    auto first = open(p);
    auto second = open(p);
    messages.shown.clear();
    first->SetModifiedFlag(true);
    ASSERT_EQ(first->Store(), 1);
    const std::vector<uint8_t> firsts = stored(p);
    second->m_CurParams.byBaud = 9;
    second->SetModifiedFlag(true);
    EXPECT_EQ(second->Store(), 0);
    EXPECT_EQ(messages.ids(), std::vector<int>{kChangedElsewhere});
    EXPECT_EQ(stored(p), firsts);
}

// A document that holds its block from loading to storing keeps a second holder out until
// it has stored: the data transfer file by its lock, the project file by its write hold.
TEST_F(TwoStores, AHeldBlockKeepsOthersOutUntilStored) {
    const Place& inFile = kPlaces[2];
    storeOnce(inFile);
    const std::string file = (dir / "ptpsdb.sdb").string();
    {
        CPtpDoc d(app);
        d.m_bHoldStoredBlock = 1;
        ASSERT_EQ(d.ParseStartupString(line(inFile)), 0);
        std::string why;
        EXPECT_EQ(stored::HoldFile(file, 50, &why), nullptr);
        EXPECT_NE(why.find("anderen Programm"), std::string::npos) << why;
        d.m_CurParams.wCharDelay = 35;
        d.SetModifiedFlag(true);
        ASSERT_EQ(d.Store(), 1);
        // the store replaced the file: the next holder locks the new one, complete
        auto next = stored::HoldFile(file, 50, &why);
        EXPECT_NE(next, nullptr) << why;
        EXPECT_TRUE(d.ReleaseStoredBlock());
        next.reset();
        CPtpDoc e(app);
        ASSERT_EQ(e.ParseStartupString(line(inFile)), 0);
        EXPECT_EQ(+e.m_CurParams.wCharDelay, 35);
    }

    // the same with two connections to one project file
    const std::string path = (dir / "P.qorb").string();
    {
        auto made = host::Project::open(path, true);
        ASSERT_TRUE(made);
        ASSERT_TRUE(made->create({1322001, 1, 3, 1, 1, 1}, "CP", 0, 0));
    }
    host::setCurrentProject(host::Project::open(path, false));
    auto other = host::Project::open(path, false);
    ASSERT_TRUE(host::currentProject() && other);
    const Place& inProject = kPlaces[0];
    CPtpDoc d(app);
    d.m_bHoldStoredBlock = 1;
    ASSERT_EQ(d.ParseStartupString(line(inProject)), 0);
    EXPECT_FALSE(other->hold(50));
    d.SetModifiedFlag(true);
    ASSERT_EQ(d.Store(), 1);
    EXPECT_FALSE(other->hold(50));
    EXPECT_FALSE(other->binary(d.m_hModuleObject, kAttrParameterBlock).has_value());
    EXPECT_TRUE(d.ReleaseStoredBlock());
    EXPECT_TRUE(other->binary(d.m_hModuleObject, kAttrParameterBlock).has_value());
    EXPECT_TRUE(other->hold(50));
    EXPECT_TRUE(other->release(false));
}

}  // namespace

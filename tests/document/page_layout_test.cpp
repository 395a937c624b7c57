#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <utility>
#include <vector>

#include "document/ptp_doc.h"
#include "tests/support/message_recorder.h"
#include "tests/support/scratch_dir.h"

namespace {

// A project file with its page-layout object, and a second connection that sees every change
// another connection commits (its data version moves).
struct LayoutProject : ::testing::Test {
    support::ScratchDir dir{"ptp_layout"};
    support::MessageRecorder messages;
    AppSettings app;
    std::string path = (dir / "P1.qorb").string();
    host::ObjectHandle layout = 0;
    sqlite3* watcher = nullptr;

    void SetUp() override {
        auto p = host::Project::open(path, true);
        ASSERT_TRUE(p);
        layout = p->create({kPageLayoutObjectType, 1, 0, 0, 0, 0}, "Seitenlayout", 0, 0);
        ASSERT_NE(layout, 0);
        host::setCurrentProject(std::move(p));
        ASSERT_EQ(sqlite3_open(path.c_str(), &watcher), SQLITE_OK);
    }
    void TearDown() override {
        sqlite3_close(watcher);
        host::setCurrentProject(nullptr);
    }
    long dataVersion() {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(watcher, "PRAGMA data_version", -1, &s, nullptr);
        const long v = sqlite3_step(s) == SQLITE_ROW ? static_cast<long>(sqlite3_column_int64(s, 0)) : -1;
        sqlite3_finalize(s);
        return v;
    }
};

}  // namespace

// The product texts of the printout head are written when the project lacks them or holds
// others, and left alone when they are there already: a read-only look changes nothing.
TEST_F(LayoutProject, ProductTextsAreWrittenOnlyWhenTheyDiffer) {
    struct Case {
        const char* what;
        std::vector<std::pair<long, std::string>> stored;
        bool written;
    };
    const Case cases[] = {
        {"none stored", {}, true},
        {"all three stored", {{50, "TARVIK Y5"}, {53, "Parlino"}, {54, "Quenral AG"}}, false},
        {"one of them differs", {{50, "TARVIK Y5"}, {53, "Parlino"}, {54, "anderer Hersteller"}}, true},
        {"the others' texts are not ours to set",
         {{50, "TARVIK Y5"}, {51, "Zeile"}, {52, ""}, {53, "Parlino"}, {54, "Quenral AG"}, {55, "Fuß"}}, false},
    };
    host::Project& project = *host::currentProject();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(sqlite3_exec(watcher, "DELETE FROM attributes", nullptr, nullptr, nullptr), SQLITE_OK);
        for (const auto& [attr, text] : c.stored) ASSERT_TRUE(project.setString(layout, attr, text));

        const long before = dataVersion();
        CPtpDoc doc(app);
        EXPECT_EQ(dataVersion() != before, c.written);
        EXPECT_EQ(doc.m_strPageLayout[0], "TARVIK Y5");
        EXPECT_EQ(doc.m_strPageLayout[3], "Parlino");
        EXPECT_EQ(doc.m_strPageLayout[4], "Quenral AG");
        for (const auto& [attr, text] : c.stored) {
            if (attr != 50 && attr != 53 && attr != 54) {
                EXPECT_EQ(doc.m_strPageLayout[attr - 50], text);
            }
        }
    }
}

// A project another program is writing to does not hold up a start whose texts are stored.
TEST_F(LayoutProject, StartDoesNotWaitForABusyProject) {
    host::Project& project = *host::currentProject();
    for (const auto& [attr, text] : {std::pair<long, const char*>{50, "TARVIK Y5"}, {53, "Parlino"}, {54, "Quenral AG"}})
        ASSERT_TRUE(project.setString(layout, attr, text));
    ASSERT_EQ(sqlite3_exec(watcher, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    CPtpDoc doc(app);
    sqlite3_exec(watcher, "ROLLBACK", nullptr, nullptr, nullptr);
    EXPECT_EQ(doc.m_strPageLayout[4], "Quenral AG");
    // a single write would have waited out the project's busy time and found it locked
    EXPECT_EQ(project.lastFault(), host::ProjectFault::None);
}

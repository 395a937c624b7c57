#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/messages.h"
#include "host/project.h"
#include "tests/support/message_recorder.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

// QORB4_PROJECT for one test; the variable is restored afterwards.
struct Environment : ::testing::Test {
    support::ScratchDir dir{"ptp_opening"};
    support::MessageRecorder messages;
    std::string saved;
    bool hadValue = false;

    void SetUp() override {
        if (const char* v = std::getenv("QORB4_PROJECT")) {
            hadValue = true;
            saved = v;
        }
    }
    void TearDown() override {
        if (hadValue) setenv("QORB4_PROJECT", saved.c_str(), 1);
        else unsetenv("QORB4_PROJECT");
        host::setCurrentProject(nullptr);
        host::setErrorLogPath("");
    }
    static std::string read(const fs::path& p) {
        std::ifstream in(p);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

}  // namespace

TEST_F(Environment, NamedProjectBecomesCurrentWithItsErrorLog) {
    const std::string path = (dir / "P1.qorb").string();
    {
        auto p = host::Project::open(path, true);
        ASSERT_TRUE(p);
        ASSERT_NE(p->create({5, 5, 0, 0, 0, 0}, "M", 0, 0), 0);
    }
    setenv("QORB4_PROJECT", path.c_str(), 1);
    std::string error = "untouched";
    EXPECT_EQ(host::OpenProjectFromEnvironment(&error), host::ProjectOpening::Opened);
    EXPECT_EQ(error, "untouched");
    ASSERT_NE(host::currentProject(), nullptr);
    EXPECT_EQ(host::currentProject()->path(), path);
    EXPECT_NE(host::currentProject()->findByName("M"), 0);

    host::showMessage("Titel", 563);
    EXPECT_NE(read(path + ".errors.log").find("[563] Titel: Das direkte Starten"), std::string::npos);
}

// Without a name nothing is opened and a project set before (a test's in-memory one) stays.
TEST_F(Environment, UnsetOrEmptyNameLeavesTheCurrentProject) {
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        if (value) setenv("QORB4_PROJECT", value, 1);
        else unsetenv("QORB4_PROJECT");
        host::setCurrentProject(host::Project::open(":memory:", true));
        host::Project* before = host::currentProject();
        EXPECT_EQ(host::OpenProjectFromEnvironment(), host::ProjectOpening::NotNamed);
        EXPECT_EQ(host::currentProject(), before);
    }
    host::setCurrentProject(nullptr);
    EXPECT_EQ(host::OpenProjectFromEnvironment(), host::ProjectOpening::NotNamed);
    EXPECT_EQ(host::currentProject(), nullptr);
}

TEST_F(Environment, ProjectThatCannotBeOpenedIsReportedAndChangesNothing) {
    const fs::path garbage = dir / "garbage.qorb";
    std::ofstream(garbage) << "this is not a database, just some text that is long enough to be read";
    for (const fs::path& path : {dir / "missing.qorb", garbage}) {
        SCOPED_TRACE(path.string());
        host::setCurrentProject(nullptr);
        setenv("QORB4_PROJECT", path.c_str(), 1);
        std::string error;
        EXPECT_EQ(host::OpenProjectFromEnvironment(&error), host::ProjectOpening::Failed);
        EXPECT_EQ(error.rfind("Projekt " + path.string(), 0), 0u) << error;
        EXPECT_EQ(host::currentProject(), nullptr);  // not opened behind the caller's back either
        host::showMessage("Titel", 563);
        EXPECT_FALSE(fs::exists(path.string() + ".errors.log"));
    }
    EXPECT_FALSE(fs::exists(dir / "missing.qorb"));  // opening never creates the file
}

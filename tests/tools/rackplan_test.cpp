#include <gtest/gtest.h>

#include "tests/support/scratch_dir.h"
#include "tools/rackplan/rackplan.h"

namespace {
struct Rackplan : ::testing::Test {
    support::ScratchDir dir{"rackplan"};
    std::string project = (dir / "P1.qorb").string();
    int run(std::vector<std::string> args, std::string* outText = nullptr, std::string* errText = nullptr) {
        std::string out, err;
        int rc = rackplan::Run(args, out, err);
        if (outText) *outText = out;
        if (errText) *errText = err;
        return rc;
    }
};
}  // namespace

TEST_F(Rackplan, StartupStringCarriesEveryToken) {
    ASSERT_EQ(run({"new", project}), 0);
    ASSERT_EQ(run({"add-station", project, "S1"}), 0);
    ASSERT_EQ(run({"add-module", project, "S1", "--model", "CP731", "--order", "9QX4 731-1L", "--interface", "81",
                   "--interface-no", "1", "--name", "CP 731", "--rack", "0", "--slot", "5", "--address", "3",
                   "--online", "1", "--extended"}),
              0);
    std::string out;
    ASSERT_EQ(run({"startup-string", project, "CP 731 (R0/S5)"}, &out), 0);
    EXPECT_EQ(out, "0,CP731,81,1,CP 731,9QX4 731-1L,S1,0,5,1,0,3,1322005,1,3,1,1,1\n");
}

TEST_F(Rackplan, Cp831UsesADataTransferFileNextToTheProject) {
    run({"new", project});
    run({"add-station", project, "S1"});
    ASSERT_EQ(run({"add-module", project, "S1", "--model", "CP8312", "--order", "9QX4 831-2KK02", "--rack", "1",
                   "--slot", "4"}),
              0);
    std::string out;
    ASSERT_EQ(run({"startup-string", project, "4"}, &out), 0);
    EXPECT_EQ(out.substr(0, out.find(',')), (dir / "S1_R1S4.sdb").string());
}

TEST_F(Rackplan, BadArgumentsAreRefusedClearly) {
    run({"new", project});
    run({"add-station", project, "S1"});
    struct Case { std::vector<std::string> args; const char* says; };
    const Case cases[] = {
        {{"new", project}, "existiert bereits"},
        {{"add-station", project, "S1"}, "existiert bereits"},
        {{"add-station", project, "S,2"}, "Komma"},
        {{"add-module", project, "S1", "--model", "CP731", "--rack", "0", "--slot", "1"}, "Bestellnummer"},
        {{"add-module", project, "S1", "--model", "CP731", "--order", "x", "--rack", "a", "--slot", "1"}, "keine Zahl"},
        {{"add-module", project, "S1", "--model", "CP731", "--order", "x", "--rack"}, "Wert fehlt"},
        {{"startup-string", project, "nix"}, "nicht gefunden"},
        {{"list", (dir / "none.qorb").string()}, "kann nicht"},
        {{"frobnicate"}, "unbekannter Befehl"},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(run(c.args, nullptr, &err), 1) << c.args[0];
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
    }
}

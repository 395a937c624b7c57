#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <system_error>

#include "host/project.h"
#include "tests/support/full_disk.h"
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
        {{"list", (dir / "none.qorb").string()}, "fehlt"},
        {{"frobnicate"}, "unbekannter Befehl"},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(run(c.args, nullptr, &err), 1) << c.args[0];
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
    }
}

namespace {
// Sets environment variables for one test and puts the old values back.
struct ScopedEnv {
    explicit ScopedEnv(const std::map<std::string, std::optional<std::string>>& values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
            set(name, value);
        }
    }
    ~ScopedEnv() {
        for (const auto& [name, value] : saved_) set(name, value);
    }
    static void set(const std::string& name, const std::optional<std::string>& value) {
        if (value) setenv(name.c_str(), value->c_str(), 1);
        else unsetenv(name.c_str());
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

const std::vector<std::string> kCp731 = {"--model", "CP731", "--order", "9QX4 731-1L", "--name", "CP 731"};

std::vector<std::string> addModule(const std::string& project, const std::string& station,
                                   std::vector<std::string> model, const std::string& rack, const std::string& slot) {
    std::vector<std::string> args = {"add-module", project, station};
    args.insert(args.end(), model.begin(), model.end());
    for (const std::string& a : {std::string("--rack"), rack, std::string("--slot"), slot}) args.push_back(a);
    return args;
}
}  // namespace

TEST_F(Rackplan, OccupiedSlotIsRefusedAndNothingIsAdded) {
    run({"new", project});
    run({"add-station", project, "S1"});
    run({"add-station", project, "S2"});
    ASSERT_EQ(run(addModule(project, "S1", kCp731, "0", "5")), 0);
    struct Case { const char* station; const char* rack; const char* slot; bool refused; };
    const Case cases[] = {
        {"S1", "0", "5", true},    // the same slot again
        {"S1", "00", "5", true},   // the same rack written otherwise
        {"S1", "1", "5", false},   // the same slot number in another rack
        {"S1", "0", "6", false},   // the next slot
        {"S2", "0", "5", false},   // the same slot in another station
    };
    for (const auto& c : cases) {
        std::string before, after, err;
        run({"list", project}, &before);
        const int rc = run(addModule(project, c.station, {"--model", "CP8312", "--order", "9QX4 831-2KK02"}, c.rack,
                                     c.slot),
                           nullptr, &err);
        run({"list", project}, &after);
        const std::string what = std::string(c.station) + " R" + c.rack + "/S" + c.slot;
        if (c.refused) {
            EXPECT_EQ(rc, 1) << what;
            EXPECT_NE(err.find("belegt"), std::string::npos) << what << ": " << err;
            EXPECT_NE(err.find("\"CP 731 (R0/S5)\""), std::string::npos) << what << ": " << err;
            EXPECT_EQ(after, before) << what;
        } else {
            EXPECT_EQ(rc, 0) << what << ": " << err;
            EXPECT_NE(after, before) << what;
        }
    }
}

TEST_F(Rackplan, NameOfSeveralModulesIsRefusedWithTheList) {
    run({"new", project});
    run({"add-station", project, "S1"});
    run({"add-station", project, "S2"});
    std::string made1, made2;
    ASSERT_EQ(run(addModule(project, "S1", kCp731, "0", "5"), &made1), 0);
    ASSERT_EQ(run(addModule(project, "S2", kCp731, "0", "5"), &made2), 0);
    auto objectOf = [](const std::string& made) {
        std::smatch m;
        EXPECT_TRUE(std::regex_search(made, m, std::regex("\\(Objekt ([0-9]+)\\)"))) << made;
        return m.size() > 1 ? m[1].str() : std::string("?");
    };
    const std::string first = objectOf(made1), second = objectOf(made2);

    for (const char* command : {"startup-string", "open"}) {
        std::string out, err;
        EXPECT_EQ(run({command, project, "CP 731 (R0/S5)"}, &out, &err), 1) << command;
        EXPECT_EQ(out, "") << command;
        EXPECT_NE(err.find("nicht eindeutig"), std::string::npos) << err;
        EXPECT_NE(err.find("Objekt " + first + "  \"CP 731 (R0/S5)\"  in Station \"S1\""), std::string::npos) << err;
        EXPECT_NE(err.find("Objekt " + second + "  \"CP 731 (R0/S5)\"  in Station \"S2\""), std::string::npos) << err;
        EXPECT_NE(err.find("--station"), std::string::npos) << err;
    }

    // Either way of telling them apart gives the module of station S2.
    const std::vector<std::vector<std::string>> unique = {
        {"startup-string", project, "CP 731 (R0/S5)", "--station", "S2"},
        {"startup-string", project, second},
    };
    for (const auto& args : unique) {
        std::string out, err;
        ASSERT_EQ(run(args, &out, &err), 0) << args.back() << ": " << err;
        EXPECT_NE(out.find(",S2,0,5,"), std::string::npos) << out;
        EXPECT_NE(out.find(",1322001," + std::to_string(2) + ","), std::string::npos) << out;
    }
    std::string err;
    EXPECT_EQ(run({"startup-string", project, "CP 731 (R0/S5)", "--station", "S3"}, nullptr, &err), 1);
    EXPECT_NE(err.find("in Station \"S3\" nicht gefunden"), std::string::npos) << err;
}

TEST(RackplanDisplay, WindowNeedsADisplayOrAPlatformWithoutOne) {
    struct Case { const char* display; const char* wayland; const char* platform; bool missing; };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, true},
        {"", "", "", true},  // set but empty is no display
        {":0", nullptr, nullptr, false},
        {nullptr, "wayland-0", nullptr, false},
        {nullptr, nullptr, "offscreen", false},
        {nullptr, nullptr, "offscreen:fontengine=freetype", false},
        {nullptr, nullptr, "minimal", false},
        {nullptr, nullptr, "xcb", true},
        {nullptr, "wayland-0", "xcb", true},  // the named platform decides which display counts
        {":0", nullptr, "wayland", true},
        {":0", nullptr, "wayland;xcb", false},
        {nullptr, "wayland-0", "wayland-egl", false},
        {":0", nullptr, "nosuchplatform", true},
    };
    for (const auto& c : cases) {
        auto env = [&](const char* name) -> const char* {
            const std::string n = name;
            return n == "DISPLAY" ? c.display : n == "WAYLAND_DISPLAY" ? c.wayland : n == "QT_QPA_PLATFORM" ? c.platform
                                                                                                       : nullptr;
        };
        const std::string why = rackplan::MissingDisplay(env);
        EXPECT_EQ(!why.empty(), c.missing) << (c.display ? c.display : "-") << " " << (c.wayland ? c.wayland : "-")
                                           << " " << (c.platform ? c.platform : "-") << ": " << why;
    }
}

TEST_F(Rackplan, OpenWithoutDisplaySaysHowAndExits1) {
    run({"new", project});
    run({"add-station", project, "S1"});
    run(addModule(project, "S1", kCp731, "0", "5"));
    std::string startup;
    ASSERT_EQ(run({"startup-string", project, "CP 731 (R0/S5)"}, &startup), 0);
    startup.pop_back();

    ScopedEnv env({{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt}});
    std::string out, err;
    EXPECT_EQ(run({"open", project, "CP 731 (R0/S5)"}, &out, &err), 1);
    EXPECT_EQ(out, "");
    for (const std::string& says : {std::string("braucht einen Bildschirm"), std::string("DISPLAY"),
                                    std::string("Desktop-Sitzung"),
                                    "xvfb-run -a rackplan open " + project + " 'CP 731 (R0/S5)'",
                                    "QORB4_PROJECT=" + project + " ptpcfg show '" + startup + "'"})
        EXPECT_NE(err.find(says), std::string::npos) << says << "\n" << err;
}

TEST_F(Rackplan, MissingProjectIsToldApartFromAFileThatIsNoProject) {
    const std::string missing = (dir / "none.qorb").string();
    const std::string text = (dir / "notes.txt").string();
    std::ofstream(text) << "keine Datenbank\n";
    std::filesystem::create_directory(dir / "folder.qorb");
    struct Case { std::string path; std::string says; };
    const Case cases[] = {
        {missing, "Projekt " + missing + " fehlt: " + std::generic_category().message(ENOENT)},
        {text, "Projekt " + text + " ist keine Projektdatei"},
        {(dir / "folder.qorb").string(), "ist ein Ordner"},
    };
    for (const auto& c : cases) {
        for (const std::vector<std::string>& args : {std::vector<std::string>{"list", c.path},
                                                    {"add-station", c.path, "S1"},
                                                    {"startup-string", c.path, "1"}}) {
            std::string err;
            EXPECT_EQ(run(args, nullptr, &err), 1) << args[0] << " " << c.path;
            EXPECT_NE(err.find(c.says), std::string::npos) << err;
        }
    }
}

TEST_F(Rackplan, UsageErrorsPrintTheUsageToStandardError) {
    run({"new", project});
    run({"add-station", project, "S1"});
    struct Case { std::vector<std::string> args; const char* says; };
    const Case cases[] = {
        {{}, "BEFEHL fehlt"},
        {{"frobnicate"}, "unbekannter Befehl"},
        {{"list"}, "PROJEKT erwartet"},
        {{"add-module", project, "S1", "--model", "CP731", "--order", "x", "--rack", "0", "--slott", "1"},
         "unbekannte Option --slott"},
        {{"add-module", project, "S1", "--extended=1", "--model", "CP731", "--order", "x", "--rack", "0", "--slot", "1"},
         "--extended nimmt keinen Wert"},
        {{"startup-string", project, "1", "--model", "CP731"}, "unbekannte Option --model"},
    };
    for (const auto& c : cases) {
        std::string out, err;
        EXPECT_EQ(run(c.args, &out, &err), 1) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(out, "");
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_NE(err.find("Aufruf: rackplan"), std::string::npos) << err;
    }
}

TEST_F(Rackplan, HelpListsCommandsOptionsModelsAndInterfaceCodes) {
    const std::vector<std::vector<std::string>> asks = {{"--help"}, {"-h"}, {"help"}, {"add-module", "--help"}};
    std::string help;
    ASSERT_EQ(run({"--help"}, &help), 0);
    for (const auto& args : asks) {
        std::string out, err;
        EXPECT_EQ(run(args, &out, &err), 0) << args[0];
        EXPECT_EQ(out, help) << args[0];
        EXPECT_EQ(err, "");
    }
    for (const char* word : {"new PROJEKT", "add-station PROJEKT STATION", "add-module PROJEKT STATION", "list PROJEKT",
                             "startup-string PROJEKT BAUGRUPPE", "open PROJEKT BAUGRUPPE", "install ORDNER", "--version",
                             "--name", "--model", "--order", "--rack", "--slot", "--interface ", "--interface-no",
                             "--address", "--online", "--io-address", "--extended", "--file", "--station",
                             "--language", "--release", "--host-version", "xvfb-run", "Beispiel:"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
    // Each interface code on a line of its own with its interface.
    for (const char* line : {"\n  81   RS 232\n", "\n  67   TTY\n", "\n  66   RS 422/485", "\n  0    keine"})
        EXPECT_NE(help.find(line), std::string::npos) << line;

    // Every model the help lists is one that add-module takes, and it lists all five.
    run({"new", project});
    run({"add-station", project, "S1"});
    std::istringstream lines(help.substr(help.find("\nModelle")));
    std::string line;
    int slot = 0;
    std::vector<std::string> models;
    while (std::getline(lines, line) && line.rfind("Schnittstellen", 0) != 0) {
        if (line.rfind("  CP", 0) != 0) continue;
        const std::string model = line.substr(2, line.find(' ', 2) - 2);
        models.push_back(model);
        std::string err;
        EXPECT_EQ(run(addModule(project, "S1", {"--model", model, "--order", "9QX4"}, "0", std::to_string(++slot)),
                      nullptr, &err),
                  0)
            << model << ": " << err;
    }
    EXPECT_EQ(models, (std::vector<std::string>{"CP730", "CP731", "CP830", "CP8311", "CP8312"}));
}

TEST_F(Rackplan, VersionIsTheProjectVersion) {
    // The version the top CMakeLists.txt gives the project.
    const std::filesystem::path top = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    std::ifstream cmake(top / "CMakeLists.txt");
    std::stringstream text;
    text << cmake.rdbuf();
    std::smatch m;
    const std::string cmakeText = text.str();
    ASSERT_TRUE(std::regex_search(cmakeText, m, std::regex("project\\(ptpcfg VERSION ([0-9.]+)"))) << top;
    std::string out, err;
    EXPECT_EQ(run({"--version"}, &out, &err), 0);
    EXPECT_EQ(out, "rackplan " + m[1].str() + "\n");
    EXPECT_EQ(err, "");
}

// Every number is decimal (hexadecimal after 0x) and inside what the module can carry; one
// outside is refused with its option and range, and nothing is added.
TEST_F(Rackplan, NumbersAreDecimalAndRangeChecked) {
    run({"new", project});
    run({"add-station", project, "S1"});
    struct Case {
        std::vector<std::string> options;  // after model and order; --rack and --slot default to 0 and 1
        const char* says;                  // the refusal, or null when the module is added
        const char* name;                  // the name it is added as
    };
    const Case cases[] = {
        {{"--slot", "9223372036854775807"}, "--slot: \"9223372036854775807\" liegt nicht im Bereich 0 bis 31", nullptr},
        {{"--rack", "99999999999999999999"}, "--rack: \"99999999999999999999\" liegt nicht im Bereich 0 bis 7", nullptr},
        {{"--rack", "-1"}, "--rack: \"-1\" liegt nicht im Bereich 0 bis 7", nullptr},
        {{"--slot", "32"}, "--slot: \"32\" liegt nicht im Bereich 0 bis 31", nullptr},
        {{"--interface", "256"}, "--interface: \"256\" liegt nicht im Bereich 0 bis 255", nullptr},
        {{"--interface-no", "-3"}, "--interface-no: \"-3\" liegt nicht im Bereich 0 bis 255", nullptr},
        {{"--address", "4294967298"}, "--address: \"4294967298\" liegt nicht im Bereich 0 bis 255", nullptr},
        {{"--online", "2"}, "--online: \"2\" liegt nicht im Bereich 0 bis 1", nullptr},
        {{"--io-address", "0x10000"}, "--io-address: \"0x10000\" liegt nicht im Bereich 0 bis 65535", nullptr},
        {{"--slot", "5x"}, "--slot: \"5x\" ist keine Zahl", nullptr},
        {{"--slot", "0x"}, "--slot: \"0x\" ist keine Zahl", nullptr},
        {{"--slot", ""}, "--slot: \"\" ist keine Zahl", nullptr},
        {{"--slot", "010"}, nullptr, "CP 731 (R0/S10)"},  // ten, not octal eight
        {{"--rack", "7", "--slot", "0x1f", "--io-address", "65535", "--address", "255"}, nullptr, "CP 731 (R7/S31)"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"add-module", project, "S1", "--model", "CP731", "--order", "9QX4 731-1L",
                                         "--rack", "0", "--slot", "1"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::string before, after, out, err;
        run({"list", project}, &before);
        const int rc = run(args, &out, &err);
        run({"list", project}, &after);
        SCOPED_TRACE(c.options.front() + " " + c.options[1]);
        if (c.says) {
            EXPECT_EQ(rc, 1);
            EXPECT_NE(err.find(c.says), std::string::npos) << err;
            EXPECT_EQ(after, before);
        } else {
            EXPECT_EQ(rc, 0) << err;
            EXPECT_NE(out.find(c.name), std::string::npos) << out;
        }
    }
}

// A CP 831 names its data transfer file after its station; a module whose station is gone from
// the project gets no start-up string, and is told so, instead of a name made of nothing.
TEST_F(Rackplan, Cp831WithoutItsStationIsRefused) {
    run({"new", project});
    host::ObjectHandle orphan = 0;
    {
        auto p = host::Project::open(project, false);
        ASSERT_TRUE(p);
        orphan = p->create({rackplan::kModuleType, 1, rackplan::kUnitRackType, 1, rackplan::kEnvironmentType, 1},
                           "CP 831-1 (R0/S6)", 1, 4711);
        ASSERT_NE(orphan, 0);
        ASSERT_TRUE(p->setString(orphan, 1, "CP8311") && p->setLong(orphan, 6, 0) && p->setLong(orphan, 7, 6));
    }
    std::string out, err;
    EXPECT_EQ(run({"startup-string", project, std::to_string(orphan)}, &out, &err), 1);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("Station (Objekt 4711) fehlt im Projekt"), std::string::npos) << err;
}

// A disk that is full while a project is made leaves nothing behind: once there is space again,
// the same command makes it.
TEST_F(Rackplan, NewProjectOnAFullDiskLeavesNoFile) {
    support::FullDisk disk;
    disk.fill();
    std::string out, err;
    EXPECT_EQ(run({"new", project}, &out, &err), 1);
    EXPECT_NE(err.find("Projekt " + project + " kann nicht angelegt werden: kein Platz mehr auf dem Datenträger"),
              std::string::npos)
        << err;
    EXPECT_EQ(out, "");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path));

    disk.clear();
    EXPECT_EQ(run({"new", project}, &out, &err), 0) << err;
    EXPECT_EQ(run({"add-station", project, "S1"}), 0);
    std::string list;
    EXPECT_EQ(run({"list", project}, &list), 0);
    EXPECT_NE(list.find("Umgebung\tP1"), std::string::npos) << list;
    // readable as any project SQLite makes, not private like the temporary file it was made in
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(static_cast<unsigned>(std::filesystem::status(project).permissions()), 0644u & ~mask);
}

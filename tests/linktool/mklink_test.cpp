#include "linktool/mklink.h"

#include <acl/libacl.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/acl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using mklink::Environment;

namespace {

// ---- helpers -----------------------------------------------------------------------------------

void writeFile(const std::string& path, const std::string& content, mode_t mode = 0644) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
    ::chmod(path.c_str(), mode);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool exists(const std::string& path) { return fs::exists(fs::symlink_status(path)); }

// Every entry below a folder: "file:<content>", "dir" or "link:<target>", by relative path.
std::map<std::string, std::string> tree(const std::string& root) {
    std::map<std::string, std::string> out;
    if (!fs::is_directory(root)) return out;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string rel = fs::relative(it->path(), root).string();
        if (it->is_symlink()) out[rel] = "link:" + fs::read_symlink(it->path()).string();
        else if (it->is_directory()) out[rel] = "dir";
        else if (it->is_regular_file()) out[rel] = "file:" + readFile(it->path().string());
        else out[rel] = "special";
    }
    return out;
}

// Abbreviated ACL text with numeric ids, e.g. "u::rw-,g::r--,g:100:rw-,m::rw-,o::r--".
std::string aclText(const std::string& path, acl_type_t type) {
    acl_t acl = acl_get_file(path.c_str(), type);
    if (!acl) return "?";
    char* text = acl_to_any_text(acl, nullptr, ',', TEXT_ABBREVIATE | TEXT_NUMERIC_IDS);
    std::string out = text ? text : "?";
    acl_free(text);
    acl_free(acl);
    return out;
}

bool setAcl(const std::string& path, acl_type_t type, const std::string& text) {
    acl_t acl = acl_from_text(text.c_str());
    if (!acl) return false;
    const bool ok = acl_set_file(path.c_str(), type, acl) == 0;
    acl_free(acl);
    return ok;
}

bool aclSupported(const std::string& folder) {
    const std::string probe = folder + "/acl-probe";
    fs::create_directory(probe);
    const bool ok = setAcl(probe, ACL_TYPE_DEFAULT, "u::rwx,g::r-x,g:0:rwx,m::rwx,o::r-x");
    fs::remove(probe);
    return ok;
}

gid_t usersGid() {
    const group* g = ::getgrnam("users");
    return g ? g->gr_gid : static_cast<gid_t>(-1);
}

// Runs a program without a shell; returns its exit status, or -1.
int runProgram(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct ProgramRun {
    int status = -1;
    std::string out, err;
};

// Runs the tool itself in `folder` with PROGRAMDATA as given (unset when empty), standard output and
// error caught in files below `captureFolder`. With `fileSizeLimit` the system kills the tool
// (SIGXFSZ) the moment it writes a file beyond that size; status is then -1.
ProgramRun runTool(const std::vector<std::string>& args, const std::string& folder,
                   const std::string& programData, const std::string& captureFolder,
                   rlim_t fileSizeLimit = RLIM_INFINITY) {
    const std::string outFile = captureFolder + "/stdout", errFile = captureFolder + "/stderr";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 || ::chdir(folder.c_str()) != 0) ::_exit(127);
        const rlimit noCore{0, 0}, size{fileSizeLimit, fileSizeLimit};
        if (::setrlimit(RLIMIT_CORE, &noCore) != 0 || ::setrlimit(RLIMIT_FSIZE, &size) != 0) ::_exit(127);
        if (programData.empty()) ::unsetenv("PROGRAMDATA");
        else ::setenv("PROGRAMDATA", programData.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(Y5MKLINK_PROGRAM)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ProgramRun r;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) r.status = WEXITSTATUS(status);
    r.out = readFile(outFile);
    r.err = readFile(errFile);
    return r;
}

const std::string kBegin = "\r\n\r\n---------------- BEGIN SETTING SYMBOLIC LINK ----------------";
const std::string kEnd = "\r\n\r\n---------------- END SETTING SYMBOLIC LINK ------------------";

std::string changeDir(const std::string& folder, const char* result) {
    return "\r\n\r\nCHANGE DIRECTORY TO:  " + folder + "     RESULT = " + result;
}

// ---- fixture -----------------------------------------------------------------------------------

// One staged installation: a common application-data folder and a link folder of its own.
struct Scenario {
    std::string root, programData, linkFolder, link, target, log;
    Environment env;

    std::string backup(const std::string& suffix = "") const { return link + "_backup" + suffix; }
    // The folder that holds the data folder, its lock file and, while a copy is made, its staging.
    std::string dataParent() const { return programData + "/Quenral/Automation/Qorb4"; }
    std::string command() const {
        return "setfacl -R -m g:users:rwX,d:g:users:rwX \"" + target + "\"";
    }
    // The log of a run that finds the link folder and changes back to `root`.
    std::string linkedLog(const std::string& middle, const char* linkResult, const char* grant = "ok") const {
        return kBegin + changeDir(linkFolder, "ok") + middle +
               "\r\n\r\nCREATE SYMBOLIC LINK: \"Vemtro\" ---> \"" + target + "\"   RESULT = " + linkResult +
               changeDir(root, "ok") + "\r\n\r\nEXECUTE COMMAND:  " + (std::string(grant) == "ok" ? command() : "") +
               "     RESULT = " + grant + kEnd;
    }
    std::string moveLines(const std::string& backupName) const {
        return "\r\n\r\nCOPY DIRECTORY: \"" + link + "\" TO: \"" + target + "\"   RESULT = ok" +
               "\r\n\r\nRENAME DIRECTORY: \"" + link + "\" TO: \"" + backupName + "\"   RESULT = ok";
    }
};

class LinktoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "linktool-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        root_ = fs::canonical(tmpl).string();
        startFolder_ = fs::current_path();
        realGrant_ = usersGid() != static_cast<gid_t>(-1) && aclSupported(root_);
    }
    void TearDown() override {
        fs::current_path(startFolder_);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    Scenario scenario(const std::string& name) {
        Scenario s;
        s.root = root_ + "/" + name;
        s.programData = s.root + "/programdata";
        s.linkFolder = s.root + "/install";
        s.link = s.linkFolder + "/Vemtro";
        s.target = s.programData + "/Quenral/Automation/Qorb4/Vemtro";
        s.log = s.root + "/mklink.log";
        fs::create_directories(s.programData);
        const std::string pd = s.programData;
        s.env.variable = [pd](const char* n) -> std::optional<std::string> {
            if (std::string(n) == "PROGRAMDATA") return pd;
            return std::nullopt;
        };
        // Without ACLs on this file system the grant cannot be shown; the rest of the run can.
        if (!realGrant_) s.env.grant = [](int, gid_t, const mklink::PassOverFn&) { return true; };
        out_.str("");
        err_.str("");
        s.env.out = &out_;
        s.env.err = &err_;
        return s;
    }

    // Runs from the scenario's root folder, as an installation would from its own folder.
    int run(const Scenario& s, const std::vector<std::string>& args) {
        fs::current_path(s.root);
        const int code = mklink::run(args, s.env);
        EXPECT_EQ(fs::current_path().string(), s.root) << "the tool must return to its start folder";
        return code;
    }

    // Where a run must not reach: the tree and the ACLs of the scenario's folders.
    static std::string untouched(const Scenario& s) { return stateOf(s.root); }

    // A folder's tree with the ACLs of everything in it.
    static std::string stateOf(const std::string& root) {
        std::string state;
        for (const auto& [path, what] : tree(root)) {
            state += path + "=" + what + ";";
            if (what == "dir" || what.rfind("file:", 0) == 0) {
                state += aclText(root + "/" + path, ACL_TYPE_ACCESS) + ";";
                if (what == "dir") state += aclText(root + "/" + path, ACL_TYPE_DEFAULT) + ";";
            }
        }
        return state + aclText(root, ACL_TYPE_ACCESS) + aclText(root, ACL_TYPE_DEFAULT);
    }

    std::string root_;
    fs::path startFolder_;
    bool realGrant_ = false;
    std::ostringstream out_, err_;
};

// ---- runs --------------------------------------------------------------------------------------

// Each case runs twice in fresh scenarios: with a log (exact bytes) and without one (no log,
// same exit code except that a link folder that cannot be made only shows up when changing to it).
TEST_F(LinktoolTest, LogLinesAndExitCodes) {
    struct Case {
        const char* name;
        std::function<void(Scenario&)> setup;
        int code;
        int codeWithoutLog;
        std::function<std::string(const Scenario&)> log;
    };
    const Case cases[] = {
        {"old folder moved",
         [](Scenario& s) { writeFile(s.link + "/a.txt", "old"); }, 0, 0,
         [](const Scenario& s) { return s.linkedLog(s.moveLines(s.backup()), "ok"); }},
        {"link folder missing",
         [](Scenario&) {}, -5, -4,
         [](const Scenario& s) {
             return kBegin + "\r\n\r\nLINK DIRECTORY NOT FOUND:  " + s.linkFolder +
                    "     RESULT = failure (No such file or directory)";
         }},
        {"link folder below a plain file",
         [](Scenario& s) {
             writeFile(s.root + "/plainfile", "x");
             s.linkFolder = s.root + "/plainfile/install";
         },
         -5, -4,
         [](const Scenario& s) {
             return kBegin + "\r\n\r\nLINK DIRECTORY NOT FOUND:  " + s.linkFolder +
                    "     RESULT = failure (Not a directory)";
         }},
        {"no common folder",
         [](Scenario& s) {
             fs::create_directories(s.linkFolder);
             s.env.variable = [](const char*) -> std::optional<std::string> { return "relative/programdata"; };
         },
         -2, -2,
         [](const Scenario&) { return kBegin + "\r\n\r\nERROR READING COMMOM APPLICATION DATA FOLDER"; }},
        {"users group missing",
         [](Scenario& s) {
             fs::create_directories(s.linkFolder);
             s.env.usersGroup = "y5mklink-no-such-group";
         },
         -4, -4,
         [](const Scenario& s) { return s.linkedLog("", "ok", "failure"); }},
        {"grant refused",
         [](Scenario& s) {
             fs::create_directories(s.linkFolder);
             s.env.grant = [](int, gid_t, const mklink::PassOverFn&) { return false; };
         },
         -4, -4,
         [](const Scenario& s) {
             std::string log = s.linkedLog("", "ok");
             return log.replace(log.rfind("RESULT = ok"), 11, "RESULT = failure");
         }},
        {"plain file in the link's place",
         [](Scenario& s) { writeFile(s.link, "not a folder"); }, -3, -3,
         [](const Scenario& s) { return s.linkedLog("", "failure"); }},
        {"copy fails",
         [](Scenario& s) {
             writeFile(s.link + "/a.txt", "old");
             ::mkfifo((s.link + "/pipe").c_str(), 0644);
         },
         -3, -3,
         [](const Scenario& s) {
             return s.linkedLog("\r\n\r\nCOPY DIRECTORY: \"" + s.link + "\" TO: \"" + s.target + "\"   RESULT = failure",
                                "failure");
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario logged = scenario("logged" + std::to_string(n));
        c.setup(logged);
        EXPECT_EQ(run(logged, {logged.linkFolder, logged.log}), c.code);
        EXPECT_EQ(readFile(logged.log), c.log(logged));

        Scenario silent = scenario("silent" + std::to_string(n++));
        c.setup(silent);
        const auto before = tree(silent.root);
        EXPECT_EQ(run(silent, {silent.linkFolder}), c.codeWithoutLog);
        for (const auto& [path, what] : tree(silent.root)) {
            if (before.count(path) || path.rfind("install", 0) == 0 || path.rfind("programdata", 0) == 0) continue;
            ADD_FAILURE() << "unexpected new entry " << path;
        }
    }
}

// A link folder that is not there is a mistake of the caller: nothing is made for it, nothing
// granted, wherever the common folder is and whether or not there is a log.
TEST_F(LinktoolTest, MissingLinkFolderChangesNothing) {
    struct Case {
        const char* name;
        std::string linkFolder;  // relative to the scenario's root, where the tool starts
        const char* reason;
    };
    const Case cases[] = {
        {"missing", "install", "No such file or directory"},
        {"missing parents", "a/b/install", "No such file or directory"},
        {"plain file", "plainfile", "Not a directory"},
        {"below a plain file", "plainfile/install", "Not a directory"},
        {"blank", "  ", "No such file or directory"},
    };
    int n = 0;
    for (const Case& c : cases) {
        for (const bool logged : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (logged ? " with log" : " without log"));
            Scenario s = scenario("missing" + std::to_string(n++));
            writeFile(s.root + "/plainfile", "x");
            writeFile(s.target + "/earlier.txt", "from an earlier installation");
            bool granted = false;
            s.env.grant = [&granted](int, gid_t, const mklink::PassOverFn&) { return granted = true; };
            const std::string log = s.root + "/../" + fs::path(s.root).filename().string() + ".log";
            const std::string before = untouched(s);

            EXPECT_EQ(run(s, logged ? std::vector<std::string>{c.linkFolder, log} : std::vector<std::string>{c.linkFolder}),
                      logged ? -5 : -4);

            EXPECT_EQ(untouched(s), before);
            EXPECT_FALSE(granted);
            EXPECT_EQ(readFile(log), logged ? kBegin + "\r\n\r\nLINK DIRECTORY NOT FOUND:  " +
                                                  (std::string(c.name) == "blank" ? "" : c.linkFolder) +
                                                  "     RESULT = failure (" + c.reason + ")"
                                            : "");
            EXPECT_EQ(out_.str() + err_.str(), "") << "a run speaks only through its log";
        }
    }
}

TEST_F(LinktoolTest, FirstRunMovesFolderBehindLink) {
    Scenario s = scenario("move");
    writeFile(s.link + "/a.txt", "alpha");
    writeFile(s.link + "/sub/b.dat", "beta");
    const auto old = tree(s.link);

    ASSERT_EQ(run(s, {s.linkFolder, s.log}), 0);

    EXPECT_EQ(fs::read_symlink(s.link).string(), s.target);
    EXPECT_EQ(tree(s.target), old);
    EXPECT_EQ(tree(s.backup()), old) << "the old folder stays whole as the backup";
    EXPECT_EQ(tree(s.link + "/"), old) << "the link leads to the data";
}

TEST_F(LinktoolTest, SecondRunFindsLinkAndCopiesNothing) {
    Scenario s = scenario("twice");
    writeFile(s.link + "/a.txt", "alpha");
    ASSERT_EQ(run(s, {s.linkFolder, s.log}), 0);
    const std::string firstLog = readFile(s.log);
    const auto data = tree(s.target);
    const auto install = tree(s.linkFolder);

    EXPECT_EQ(run(s, {s.linkFolder, s.log}), 0);

    EXPECT_EQ(readFile(s.log), firstLog + s.linkedLog("", "link already found"));
    EXPECT_EQ(tree(s.target), data);
    EXPECT_EQ(tree(s.linkFolder), install) << "no second backup";
}

TEST_F(LinktoolTest, BackupTakesFirstFreeName) {
    struct Case {
        std::vector<std::string> taken;  // suffixes after "_backup"; "=" marks a plain file
        std::string expected;
    };
    const Case cases[] = {
        {{}, ""},
        {{""}, "_1"},
        {{"", "_1"}, "_2"},
        {{"_1"}, ""},
        {{"="}, "_1"},
    };
    int n = 0;
    for (const Case& c : cases) {
        Scenario s = scenario("backup" + std::to_string(n++));
        SCOPED_TRACE(s.root);
        writeFile(s.link + "/a.txt", "current");
        for (const std::string& t : c.taken) {
            if (t == "=") writeFile(s.backup(), "a file in the way");
            else writeFile(s.backup(t) + "/a.txt", "older backup " + t);
        }
        const auto before = tree(s.linkFolder);

        ASSERT_EQ(run(s, {s.linkFolder, s.log}), 0);

        EXPECT_EQ(readFile(s.backup(c.expected) + "/a.txt"), "current");
        for (const auto& [path, what] : before) {
            if (path.rfind("Vemtro/", 0) == 0 || path == "Vemtro") continue;
            EXPECT_EQ(tree(s.linkFolder)[path], what) << "earlier backup changed: " << path;
        }
        EXPECT_NE(readFile(s.log).find(s.moveLines(s.backup(c.expected))), std::string::npos);
    }
}

TEST_F(LinktoolTest, CopyRenamesOnCollision) {
    Scenario s = scenario("collide");
    // Already in the data folder, from an earlier installation.
    writeFile(s.target + "/a.txt", "T a");
    writeFile(s.target + "/a_1.txt", "T a_1");
    writeFile(s.target + "/sub/b.dat", "T b");
    writeFile(s.target + "/noext", "T noext");
    writeFile(s.target + "/.hidden", "T hidden");
    writeFile(s.target + "/clash", "T clash is a file");
    // The folder being moved.
    writeFile(s.link + "/a.txt", "L a");
    writeFile(s.link + "/sub/b.dat", "L b");
    writeFile(s.link + "/sub/new.dat", "L new");
    writeFile(s.link + "/noext", "L noext");
    writeFile(s.link + "/.hidden", "L hidden");
    writeFile(s.link + "/clash/c.txt", "L c");
    fs::create_symlink("../elsewhere", s.link + "/ln");

    ASSERT_EQ(run(s, {s.linkFolder, s.log}), 0);

    const std::map<std::string, std::string> expected = {
        {"a.txt", "file:T a"},          {"a_1.txt", "file:T a_1"},  {"a_2.txt", "file:L a"},
        {"sub", "dir"},                 {"sub/b.dat", "file:T b"},  {"sub/b_1.dat", "file:L b"},
        {"sub/new.dat", "file:L new"},  {"noext", "file:T noext"},  {"noext_1", "file:L noext"},
        {".hidden", "file:T hidden"},   {".hidden_1", "file:L hidden"},
        {"clash", "file:T clash is a file"}, {"clash_1", "dir"},    {"clash_1/c.txt", "file:L c"},
        {"ln", "link:../elsewhere"},
    };
    EXPECT_EQ(tree(s.target), expected) << "nothing overwritten, no temporary files left";
}

TEST_F(LinktoolTest, CopyKeepsModesButNotSetIdBits) {
    Scenario s = scenario("modes");
    writeFile(s.link + "/tool", "#!/bin/sh\n", 04751);
    writeFile(s.link + "/private", "p", 0600);

    ASSERT_EQ(run(s, {s.linkFolder}), 0);

    struct stat st;
    ASSERT_EQ(::stat((s.target + "/tool").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & (S_ISUID | S_ISGID), 0u);
    // Owner and other bits as before; the group bits now show the ACL mask.
    EXPECT_EQ(st.st_mode & 0707, 0701u);
    ASSERT_EQ(::stat((s.target + "/private").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0707, 0600u);
}

TEST_F(LinktoolTest, FailedCopyLeavesOldFolderInUse) {
    Scenario s = scenario("fifo");
    writeFile(s.link + "/a.txt", "alpha");
    ASSERT_EQ(::mkfifo((s.link + "/pipe").c_str(), 0644), 0);

    EXPECT_EQ(run(s, {s.linkFolder, s.log}), -3);

    EXPECT_TRUE(fs::is_directory(fs::symlink_status(s.link))) << "still the real folder, not a link";
    EXPECT_EQ(readFile(s.link + "/a.txt"), "alpha");
    EXPECT_FALSE(exists(s.backup()));
}

TEST_F(LinktoolTest, CopyIntoItselfIsRefused) {
    // The common folder chosen so that the data folder is the old folder itself.
    Scenario s = scenario("self");
    s.linkFolder = s.programData + "/Quenral/Automation/Qorb4";
    s.link = s.linkFolder + "/Vemtro";
    writeFile(s.link + "/a.txt", "alpha");

    EXPECT_EQ(run(s, {s.linkFolder, s.log}), -3);

    EXPECT_EQ(tree(s.link), (std::map<std::string, std::string>{{"a.txt", "file:alpha"}}));
    EXPECT_FALSE(exists(s.backup()));
}

TEST_F(LinktoolTest, UnsupportedSystemDoesNothing) {
    for (int major : {5, 10}) {
        Scenario s = scenario("os" + std::to_string(major));
        s.env.osMajorVersion = [major] { return major; };
        const auto before = tree(s.root);

        EXPECT_EQ(run(s, {s.linkFolder, s.log}), -6) << major;

        EXPECT_EQ(tree(s.root), before) << "no log, no folders, no link";
    }
}

TEST_F(LinktoolTest, CommandLine) {
    Scenario s = scenario("args");
    EXPECT_EQ(run(s, {}), -1);
    EXPECT_EQ(tree(s.root), (std::map<std::string, std::string>{{"programdata", "dir"}}));

    // Surrounding blanks are not part of the paths.
    fs::create_directories(s.linkFolder);
    EXPECT_EQ(run(s, {"  " + s.linkFolder + "\t ", " " + s.log + "  "}), 0);
    EXPECT_TRUE(fs::is_symlink(s.link));
    EXPECT_TRUE(exists(s.log));

    // Relative folders are taken from where the tool starts, also after it changed folders.
    Scenario r = scenario("relative");
    writeFile(r.root + "/inst/Vemtro/a.txt", "alpha");
    EXPECT_EQ(run(r, {"inst", "rel.log"}), 0);
    EXPECT_EQ(fs::read_symlink(r.root + "/inst/Vemtro").string(), r.target);
    EXPECT_EQ(readFile(r.root + "/inst/Vemtro_backup/a.txt"), "alpha");
    const std::string log = readFile(r.root + "/rel.log");
    EXPECT_NE(log.find(changeDir("inst", "ok")), std::string::npos) << "the link folder as given";
    EXPECT_NE(log.find("COPY DIRECTORY: \"" + r.root + "/inst/Vemtro\""), std::string::npos);
}

// Options are never folders and never start a run; only -h, --help and --version are known, and
// the first option decides.
TEST_F(LinktoolTest, OptionsChangeNothing) {
    const std::string usage = mklink::usage();
    const std::string version = std::string("y5mklink ") + PTP_VERSION + "\n";
    auto refusal = [&](const std::string& option) {
        return "y5mklink: unbekannte Option \"" + option + "\"\n\n" + usage;
    };
    struct Case {
        std::vector<std::string> args;  // "LINK" and "LOG" stand for the scenario's paths
        int code;
        std::string out, err;
    };
    const Case cases[] = {
        {{}, -1, "", usage},
        {{"--help"}, 0, usage, ""},
        {{"-h"}, 0, usage, ""},
        {{" --help\t"}, 0, usage, ""},
        {{"--version"}, 0, version, ""},
        {{"LINK", "LOG", "--help"}, 0, usage, ""},
        {{"-h", "LINK", "LOG"}, 0, usage, ""},
        {{"LINK", "--version", "LOG"}, 0, version, ""},
        {{"--help", "--bogus"}, 0, usage, ""},
        {{"--bogus", "--help"}, -1, "", refusal("--bogus")},
        {{"--bogus"}, -1, "", refusal("--bogus")},
        {{"LINK", "LOG", "-v"}, -1, "", refusal("-v")},
        {{"-"}, -1, "", refusal("-")},
        {{"--"}, -1, "", refusal("--")},
        {{"-help"}, -1, "", refusal("-help")},
        {{"--HELP"}, -1, "", refusal("--HELP")},
    };
    int n = 0;
    for (const Case& c : cases) {
        Scenario s = scenario("options" + std::to_string(n++));
        std::string shown;
        std::vector<std::string> args;
        for (const std::string& a : c.args) {
            args.push_back(a == "LINK" ? s.linkFolder : a == "LOG" ? s.log : a);
            shown += "[" + a + "]";
        }
        SCOPED_TRACE(shown);
        writeFile(s.link + "/a.txt", "would be moved by a run");
        bool granted = false;
        s.env.grant = [&granted](int, gid_t, const mklink::PassOverFn&) { return granted = true; };
        const std::string before = untouched(s);

        EXPECT_EQ(run(s, args), c.code);

        EXPECT_EQ(out_.str(), c.out);
        EXPECT_EQ(err_.str(), c.err);
        EXPECT_EQ(untouched(s), before) << "no folder, no log, no link";
        EXPECT_FALSE(granted);
    }
}

TEST_F(LinktoolTest, UsageNamesEverythingACallerNeeds) {
    const std::string usage = mklink::usage();
    for (const char* word : {"y5mklink LINKORDNER [PROTOKOLLDATEI]", "-h, --help", "--version", "PROGRAMDATA",
                             "/var/lib", "Quenral/Automation/Qorb4/Vemtro", "Vemtro_backup", "\"users\""}) {
        EXPECT_NE(usage.find(word), std::string::npos) << word;
    }
    for (int code : {mklink::kDone, mklink::kBadCommandLine, mklink::kNoCommonFolder, mklink::kLinkFailed,
                     mklink::kChangeDirOrGrantFailed, mklink::kLinkFolderMissing, mklink::kUnsupportedSystem}) {
        const std::string entry = std::to_string(code) + " (" + std::to_string(code & 0xFF) + ")";
        EXPECT_NE(usage.find(entry), std::string::npos) << "exit code " << entry;
    }
}

TEST_F(LinktoolTest, CommonFolder) {
    writeFile(root_ + "/file", "x");
    struct Case {
        std::optional<std::string> variable;
        std::optional<std::string> folder;
    };
    const Case cases[] = {
        {std::nullopt, "/var/lib"},
        {"", "/var/lib"},
        {root_, root_},
        {"relative/folder", std::nullopt},
        {root_ + "/missing", std::nullopt},
        {root_ + "/file", std::nullopt},
    };
    for (const Case& c : cases) {
        Environment env;
        env.variable = [&c](const char* n) -> std::optional<std::string> {
            return std::string(n) == "PROGRAMDATA" ? c.variable : std::nullopt;
        };
        EXPECT_EQ(mklink::commonAppDataFolder(env), c.folder) << c.variable.value_or("(unset)");
    }
}

TEST_F(LinktoolTest, ProgramExitStatus) {
    Scenario s = scenario("program");
    fs::create_directories(s.linkFolder);
    writeFile(s.link + "/a.txt", "alpha");
    const std::string capture = root_ + "/capture";
    fs::create_directories(capture);
    const std::string usage = mklink::usage();

    // Started in its scratch folder, as a newcomer would try it: none of these may leave anything.
    struct Case {
        std::vector<std::string> args;
        int status;
        bool usageOut, usageErr;
    };
    const Case cases[] = {
        {{}, 255, false, true},
        {{"--help"}, 0, true, false},
        {{"-h"}, 0, true, false},
        {{"--version"}, 0, false, false},
        {{"--bogus"}, 255, false, true},
        {{"missing"}, 252, false, false},
        {{"missing", "../missing.log"}, 251, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(no arguments)" : c.args.front());
        const std::string before = untouched(s);
        const ProgramRun r = runTool(c.args, s.root, s.programData, capture);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out == usage, c.usageOut);
        EXPECT_EQ(r.err.find(usage) != std::string::npos, c.usageErr);
        EXPECT_EQ(untouched(s), before);
    }
    EXPECT_EQ(runTool({"--version"}, s.root, s.programData, capture).out, std::string("y5mklink ") + PTP_VERSION + "\n");
    EXPECT_NE(readFile(root_ + "/missing.log").find("LINK DIRECTORY NOT FOUND:  missing     RESULT = failure"),
              std::string::npos);

    // Without PROGRAMDATA the common folder is /var/lib; help must not go near it either.
    const bool hadCommon = exists("/var/lib/Quenral");
    EXPECT_EQ(runTool({"--help"}, s.root, "", capture).status, 0);
    EXPECT_EQ(exists("/var/lib/Quenral"), hadCommon);

    const ProgramRun done = runTool({s.linkFolder, s.log}, s.root, s.programData, capture);
    EXPECT_EQ(done.status, realGrant_ ? 0 : 252);
    EXPECT_EQ(done.out + done.err, "");
    EXPECT_EQ(fs::read_symlink(s.link).string(), s.target);
}

// ---- the data folder's path, interrupted and concurrent runs -------------------------------------

// Top-level names in a folder.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// What the folder that holds the data folder keeps after a finished run: the data folder and the
// lock file, no staging.
const std::vector<std::string> kFinishedParent = {".Vemtro.lock", "Vemtro"};

// A symbolic link from the common folder down to the data folder would send the copy and the
// grant wherever it points: the run is refused before anything is copied, linked or granted.
TEST_F(LinktoolTest, DataFolderPathWithSymbolicLinkIsRefused) {
    struct Case {
        const char* linked;  // below the common folder
        bool dangling;
    };
    const Case cases[] = {
        {"Quenral", false},
        {"Quenral/Automation", false},
        {"Quenral/Automation/Qorb4", false},
        {"Quenral/Automation/Qorb4/Vemtro", false},
        {"Quenral", true},
        {"Quenral/Automation/Qorb4/Vemtro", true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.linked) + (c.dangling ? " (dangling)" : ""));
        Scenario s = scenario("symlinked" + std::to_string(n++));
        writeFile(s.link + "/a.txt", "alpha");
        const std::string elsewhere = s.root + "/elsewhere";
        if (!c.dangling) writeFile(elsewhere + "/kept.txt", "not ours", 0600);
        const std::string linked = s.programData + "/" + c.linked;
        fs::create_directories(fs::path(linked).parent_path());
        fs::create_symlink(elsewhere, linked);
        const std::string before = stateOf(elsewhere);

        EXPECT_EQ(run(s, {s.linkFolder, s.log}), -3);

        EXPECT_EQ(stateOf(elsewhere), before) << "nothing copied to or granted on the link's target";
        EXPECT_FALSE(exists(elsewhere + "/Automation"));
        EXPECT_EQ(tree(s.linkFolder), (std::map<std::string, std::string>{{"Vemtro", "dir"}, {"Vemtro/a.txt", "file:alpha"}}))
            << "the old folder stays in use, no backup, no link";
        EXPECT_EQ(readFile(s.log), kBegin + changeDir(s.linkFolder, "ok") + "\r\n\r\nCREATE DIRECTORY:  " + s.target +
                                       "     RESULT = failure (symbolic link in the path: " + linked + ")" +
                                       changeDir(s.root, "ok") + kEnd);
    }
}

// The common folder itself is the installation's choice and may be a link; only what lies below
// it is walked without following links.
TEST_F(LinktoolTest, CommonFolderMayBeALink) {
    Scenario s = scenario("commonlink");
    writeFile(s.link + "/a.txt", "alpha");
    const std::string real = s.programData;
    s.programData = s.root + "/programdata-link";
    fs::create_directory_symlink(real, s.programData);
    const std::string pd = s.programData;
    s.env.variable = [pd](const char* n) -> std::optional<std::string> {
        if (std::string(n) == "PROGRAMDATA") return pd;
        return std::nullopt;
    };
    s.target = s.programData + "/Quenral/Automation/Qorb4/Vemtro";

    EXPECT_EQ(run(s, {s.linkFolder, s.log}), 0);
    EXPECT_EQ(readFile(real + "/Quenral/Automation/Qorb4/Vemtro/a.txt"), "alpha");
    EXPECT_EQ(readFile(s.log), s.linkedLog(s.moveLines(s.backup()), "ok"));
}

// A run killed while it copies (here by the file-size limit, in the middle of a large file) leaves
// the old folder in use; the next run copies it once, as if nothing had happened.
TEST_F(LinktoolTest, RunKilledDuringCopyIsCompletedByNextRun) {
    Scenario s = scenario("killed");
    for (int i = 0; i < 200; ++i) writeFile(s.link + "/a" + std::to_string(1000 + i) + ".txt", "early " + std::to_string(i));
    writeFile(s.link + "/m/large.bin", std::string(256 * 1024, 'x'));
    for (int i = 0; i < 100; ++i) writeFile(s.link + "/z" + std::to_string(1000 + i) + ".txt", "late " + std::to_string(i));
    const auto old = tree(s.link);
    const std::string capture = root_ + "/capture";
    fs::create_directories(capture);

    const ProgramRun killed = runTool({s.linkFolder, s.log}, s.root, s.programData, capture, 64 * 1024);
    ASSERT_EQ(killed.status, -1) << "the size limit ends the run while it copies";
    ASSERT_TRUE(fs::is_directory(fs::symlink_status(s.link))) << "killed before the old folder was moved";

    const ProgramRun rerun = runTool({s.linkFolder, s.log}, s.root, s.programData, capture);

    EXPECT_EQ(rerun.status, realGrant_ ? 0 : 252);
    EXPECT_EQ(tree(s.target), old) << "every file once, no numbered duplicates, no temporary files";
    EXPECT_EQ(tree(s.backup()), old);
    EXPECT_FALSE(exists(s.backup("_1")));
    EXPECT_EQ(fs::read_symlink(s.link).string(), s.target);
    EXPECT_EQ(namesIn(s.dataParent()), kFinishedParent);
}

// What a run killed at each later point leaves behind, staged by hand: the next run finishes the
// move without putting anything in twice.
TEST_F(LinktoolTest, LeftoversOfAnInterruptedRunAreFinished) {
    using Tree = std::map<std::string, std::string>;
    struct Case {
        const char* name;
        std::function<void(const Scenario&)> stage;
        Tree backup;  // expected afterwards
    };
    const Tree both = {{"a.txt", "file:alpha"}, {"b.txt", "file:beta"}};
    const Case cases[] = {
        {"incomplete copy, old folder in place",
         [](const Scenario& s) {
             writeFile(s.link + "/a.txt", "alpha");
             writeFile(s.link + "/b.txt", "beta");
             writeFile(s.dataParent() + "/.Vemtro.staging/a.txt", "alpha");
             writeFile(s.dataParent() + "/.Vemtro.staging/.y5mklink-1-1.part", "be");
         },
         both},
        {"complete copy, old folder not yet moved",
         [](const Scenario& s) {
             writeFile(s.link + "/a.txt", "alpha");
             writeFile(s.link + "/b.txt", "beta");
             writeFile(s.dataParent() + "/.Vemtro.ready/a.txt", "alpha");
             writeFile(s.dataParent() + "/.Vemtro.ready/b.txt", "beta");
         },
         both},
        {"copy partly moved in, old folder already backed up",
         [](const Scenario& s) {
             writeFile(s.backup() + "/a.txt", "alpha");
             writeFile(s.backup() + "/b.txt", "beta");
             writeFile(s.target + "/a.txt", "alpha");
             writeFile(s.dataParent() + "/.Vemtro.ready/b.txt", "beta");
         },
         both},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario s = scenario("leftover" + std::to_string(n++));
        fs::create_directories(s.linkFolder);
        c.stage(s);

        EXPECT_EQ(run(s, {s.linkFolder, s.log}), 0);

        EXPECT_EQ(tree(s.target), both);
        EXPECT_EQ(tree(s.backup()), c.backup);
        EXPECT_FALSE(exists(s.backup("_1")));
        EXPECT_EQ(fs::read_symlink(s.link).string(), s.target);
        EXPECT_EQ(namesIn(s.dataParent()), kFinishedParent);
        EXPECT_EQ(readFile(s.log).find("failure"), std::string::npos) << readFile(s.log);
    }
}

// While one run is at work (it holds the lock), a second one changes nothing and says why.
TEST_F(LinktoolTest, SecondRunIsKeptOutWhileOneIsAtWork) {
    Scenario s = scenario("locked");
    writeFile(s.link + "/a.txt", "alpha");
    const std::string lockFile = s.dataParent() + "/.Vemtro.lock";
    fs::create_directories(s.dataParent());
    const int held = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const auto before = tree(s.root);

    EXPECT_EQ(run(s, {s.linkFolder, s.log}), -3);

    EXPECT_EQ(readFile(s.log), kBegin + changeDir(s.linkFolder, "ok") + "\r\n\r\nLOCK DATA DIRECTORY:  " + lockFile +
                                   "     RESULT = failure (another run of y5mklink is at work)" +
                                   changeDir(s.root, "ok") + kEnd);
    auto after = tree(s.root);
    after.erase("mklink.log");
    EXPECT_EQ(after, before);

    ::close(held);
    EXPECT_EQ(run(s, {s.linkFolder, s.log}), 0);
    EXPECT_EQ(tree(s.target), (std::map<std::string, std::string>{{"a.txt", "file:alpha"}}));
}

// Two runs started together: whichever order they take, every file arrives once.
TEST_F(LinktoolTest, TwoRunsAtOnceCopyEveryFileOnce) {
    Scenario s = scenario("together");
    for (int i = 0; i < 300; ++i) writeFile(s.link + "/f" + std::to_string(1000 + i) + ".txt", std::to_string(i));
    const auto old = tree(s.link);

    std::vector<pid_t> runs;
    for (int i = 0; i < 2; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            if (::chdir(s.root.c_str()) != 0) ::_exit(127);
            ::setenv("PROGRAMDATA", s.programData.c_str(), 1);
            ::execl(Y5MKLINK_PROGRAM, Y5MKLINK_PROGRAM, s.linkFolder.c_str(), nullptr);
            ::_exit(127);
        }
        ASSERT_GT(pid, 0);
        runs.push_back(pid);
    }
    const int done = realGrant_ ? 0 : 252;
    for (const pid_t pid : runs) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_TRUE(WEXITSTATUS(status) == done || WEXITSTATUS(status) == 253) << WEXITSTATUS(status);
    }

    EXPECT_EQ(tree(s.target), old);
    EXPECT_EQ(tree(s.backup()), old);
    EXPECT_FALSE(exists(s.backup("_1")));
    EXPECT_EQ(fs::read_symlink(s.link).string(), s.target);
    EXPECT_EQ(namesIn(s.dataParent()), kFinishedParent);
}

// ---- access ------------------------------------------------------------------------------------

TEST_F(LinktoolTest, GrantAddsToExistingRightsAndSkipsLinks) {
    if (!realGrant_) GTEST_SKIP() << "no ACL support in " << root_ << " or no group 'users'";
    Scenario s = scenario("acl");
    const std::string g = "g:" + std::to_string(usersGid()) + ":";
    writeFile(s.target + "/kept.txt", "k", 0600);
    ASSERT_TRUE(setAcl(s.target + "/kept.txt", ACL_TYPE_ACCESS, "u::rw-,u:12345:r--,g::---," + g + "r--,m::r--,o::---"));
    writeFile(s.link + "/run.sh", "#!/bin/sh\n", 0700);
    writeFile(s.link + "/data.txt", "d", 0600);
    fs::create_directories(s.link + "/sub/deeper");
    writeFile(s.root + "/outside.txt", "o", 0600);
    fs::create_symlink(s.root + "/outside.txt", s.link + "/outside");
    fs::create_symlink(s.root, s.link + "/sub/up");

    ASSERT_EQ(run(s, {s.linkFolder}), 0);

    EXPECT_EQ(aclText(s.target + "/kept.txt", ACL_TYPE_ACCESS), "u::rw-,u:12345:r--,g::---," + g + "rw-,m::rw-,o::---");
    EXPECT_EQ(aclText(s.target + "/run.sh", ACL_TYPE_ACCESS), "u::rwx,g::---," + g + "rwx,m::rwx,o::---");
    EXPECT_EQ(aclText(s.target + "/data.txt", ACL_TYPE_ACCESS), "u::rw-,g::---," + g + "rw-,m::rw-,o::---");
    for (const std::string& folder : {s.target, s.target + "/sub", s.target + "/sub/deeper"}) {
        EXPECT_NE(aclText(folder, ACL_TYPE_ACCESS).find(g + "rwx"), std::string::npos) << folder;
        EXPECT_NE(aclText(folder, ACL_TYPE_DEFAULT).find(g + "rwx"), std::string::npos) << folder;
    }
    EXPECT_EQ(aclText(s.root + "/outside.txt", ACL_TYPE_ACCESS), "u::rw-,g::---,o::---") << "link followed";
    EXPECT_EQ(aclText(s.root, ACL_TYPE_DEFAULT), "") << "link followed";

    // Granting again changes nothing.
    const std::string once = aclText(s.target + "/kept.txt", ACL_TYPE_ACCESS);
    ASSERT_EQ(run(s, {s.linkFolder}), 0);
    EXPECT_EQ(aclText(s.target + "/kept.txt", ACL_TYPE_ACCESS), once);
}

// A hard link in the data folder may name a file anywhere on the same file system: granting it
// would open that file to the group. Such files are left out and named in the log.
TEST_F(LinktoolTest, HardLinkedFileIsNotGranted) {
    if (!realGrant_) GTEST_SKIP() << "no ACL support in " << root_ << " or no group 'users'";
    Scenario s = scenario("hardlink");
    const std::string g = "g:" + std::to_string(usersGid()) + ":";
    const std::string outside = s.root + "/outside.txt";
    writeFile(outside, "o", 0600);
    writeFile(s.target + "/own.txt", "own", 0600);
    fs::create_directories(s.target + "/sub");
    ASSERT_EQ(::link(outside.c_str(), (s.target + "/planted.txt").c_str()), 0);
    ASSERT_EQ(::link(outside.c_str(), (s.target + "/sub/deep.txt").c_str()), 0);
    fs::create_directories(s.linkFolder);

    EXPECT_EQ(run(s, {s.linkFolder, s.log}), 0);

    EXPECT_EQ(aclText(outside, ACL_TYPE_ACCESS), "u::rw-,g::---,o::---");
    EXPECT_EQ(aclText(s.target + "/own.txt", ACL_TYPE_ACCESS), "u::rw-,g::---," + g + "rw-,m::rw-,o::---");
    EXPECT_NE(aclText(s.target + "/sub", ACL_TYPE_DEFAULT).find(g + "rwx"), std::string::npos);
    std::string expected = s.linkedLog("", "ok");
    expected.insert(expected.find("\r\n\r\nEXECUTE COMMAND"),
                    "\r\n\r\nNOT GRANTED: \"" + s.target + "/planted.txt\"   RESULT = skipped (3 hard links)"
                    "\r\n\r\nNOT GRANTED: \"" + s.target + "/sub/deep.txt\"   RESULT = skipped (3 hard links)");
    EXPECT_EQ(readFile(s.log), expected);
}

// Throwaway accounts in group "users", removed again however the test ends.
class TestUsers {
public:
    ~TestUsers() {
        for (const auto& name : names_) {
            runProgram({"userdel", name});
            runProgram({"groupdel", name});
        }
    }
    bool add(const std::string& name) {
        if (runProgram({"useradd", "-M", "-U", "-G", "users", "-s", "/usr/sbin/nologin", name}) != 0) return false;
        names_.push_back(name);
        return ::getpwnam(name.c_str()) != nullptr;
    }
    // Runs `job` in a child process as that user with its groups; returns the job's result.
    static int as(const std::string& name, const std::function<int()>& job) {
        const passwd* pw = ::getpwnam(name.c_str());
        if (!pw) return -1;
        const uid_t uid = pw->pw_uid;
        const gid_t gid = pw->pw_gid;
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::initgroups(name.c_str(), gid) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(90);
            ::umask(022);
            ::_exit(job());
        }
        int status = 0;
        if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
private:
    std::vector<std::string> names_;
};

int createFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0) return 1;
    const bool ok = ::write(fd, "A", 1) == 1;
    return ::close(fd) == 0 && ok ? 0 : 2;
}

int appendToFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
    if (fd < 0) return 1;
    const bool ok = ::write(fd, "B", 1) == 1;
    return ::close(fd) == 0 && ok ? 0 : 2;
}

TEST_F(LinktoolTest, NewFileOfOneUserIsWritableByAnother) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to create test users";
    if (!realGrant_) GTEST_SKIP() << "no ACL support in " << root_ << " or no group 'users'";
    TestUsers users;
    const std::string a = "lkta" + std::to_string(::getpid()), b = "lktb" + std::to_string(::getpid());
    if (!users.add(a) || !users.add(b)) GTEST_SKIP() << "useradd is not available";

    Scenario s = scenario("shared");
    writeFile(s.link + "/old.txt", "old");
    ::chmod(root_.c_str(), 0755);
    ::chmod(s.root.c_str(), 0755);
    ASSERT_EQ(run(s, {s.linkFolder}), 0);

    // Through the link, as the program would use it.
    const std::string file = s.link + "/from_a.txt", sub = s.link + "/made_by_a", subFile = sub + "/inner.txt";
    ASSERT_EQ(TestUsers::as(a, [&] {
                  if (createFile(file) != 0) return 1;
                  if (::mkdir(sub.c_str(), 0777) != 0) return 2;
                  return createFile(subFile) == 0 ? 0 : 3;
              }), 0);
    EXPECT_EQ(TestUsers::as(b, [&] { return appendToFile(file); }), 0);
    EXPECT_EQ(TestUsers::as(b, [&] { return appendToFile(subFile); }), 0);
    EXPECT_EQ(TestUsers::as(b, [&] { return createFile(sub + "/from_b.txt"); }), 0);
    EXPECT_EQ(readFile(file), "AB");

    // The same file outside the granted folder stays closed to the other user.
    const std::string outside = s.root + "/outside_a.txt";
    ::chmod(s.root.c_str(), 0777);
    ASSERT_EQ(TestUsers::as(a, [&] { return createFile(outside); }), 0);
    EXPECT_NE(TestUsers::as(b, [&] { return appendToFile(outside); }), 0);
}

}  // namespace

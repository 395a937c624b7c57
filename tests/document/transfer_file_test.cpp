// The data transfer file on disk: a store updates the file a link names and keeps its mode,
// owner and group, says why it failed, clears what a killed store left; a read never waits on
// something that is not a regular file.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/cli.h"
#include "document/ptp_doc.h"
#include "document/transfer_file.h"
#include "tests/support/module_factory.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

const std::vector<uint8_t> kOld = {'a', 'l', 't'};
const std::vector<uint8_t> kNew = {1, 2, 3, 4, 5};

void writeBytes(const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::set<std::string> entries(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

// Runs `body` in a child process that is killed after `seconds`: a read that waits on a FIFO
// fails the test instead of hanging it. Returns the child's exit code, or -1 when it was killed.
template <typename F>
int inChild(F body, int seconds = 10) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(static_cast<unsigned>(seconds));
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The id of a process that has ended.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

}  // namespace

TEST(TransferFile, StoreUpdatesTheFileALinkNames) {
    struct Case {
        const char* what;
        const char* link;    // in links/
        const char* target;  // what it points to, absolute when it starts with '/' (then below the scratch folder)
        const char* second;  // a link in between, or nullptr
        bool targetExists;
    };
    const Case cases[] = {
        {"relative link to another folder", "cp.sdb", "../real/shared.sdb", nullptr, true},
        {"absolute link", "cp.sdb", "/real/shared.sdb", nullptr, true},
        {"link to a link", "cp.sdb", "hop.sdb", "../real/shared.sdb", true},
        {"link to a file not made yet", "cp.sdb", "../real/shared.sdb", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        support::ScratchDir dir("ptp_link");
        fs::create_directories(dir / "real");
        fs::create_directories(dir / "links");
        const fs::path real = dir / "real" / "shared.sdb";
        if (c.targetExists) writeBytes(real, kOld);
        auto to = [&](const char* t) { return t[0] == '/' ? fs::path(dir.path.string() + t) : fs::path(t); };
        fs::create_symlink(to(c.target), dir / "links" / c.link);
        if (c.second) fs::create_symlink(to(c.second), dir / "links" / c.target);
        const auto linksBefore = entries(dir / "links");

        std::string error;
        ASSERT_TRUE(transfer::WriteFile((dir / "links" / c.link).string(), kNew, &error)) << error;
        EXPECT_TRUE(fs::is_symlink(dir / "links" / c.link));
        EXPECT_EQ(fs::read_symlink(dir / "links" / c.link), to(c.target));
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(real)));
        EXPECT_EQ(readBytes(real), kNew);
        EXPECT_EQ(entries(dir / "real"), std::set<std::string>{"shared.sdb"});
        EXPECT_EQ(entries(dir / "links"), linksBefore);
    }
}

TEST(TransferFile, StoreKeepsModeOwnerAndGroup) {
    const bool root = ::geteuid() == 0;
    struct Case {
        mode_t mode;
        uid_t uid;  // kept as it is when not running as root
        gid_t gid;
    };
    const Case cases[] = {
        {0600, 4242, 4343},
        {0640, 4242, 0},
        {0664, 0, 4343},
        {0604, 4242, 4343},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        support::ScratchDir dir("ptp_mode");
        const fs::path file = dir / "cp.sdb";
        writeBytes(file, kOld);
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        if (root) {
            ASSERT_EQ(::chown(file.c_str(), c.uid, c.gid), 0);
        }
        struct stat before;
        ASSERT_EQ(::stat(file.c_str(), &before), 0);

        std::string error;
        ASSERT_TRUE(transfer::WriteFile(file.string(), kNew, &error)) << error;
        struct stat after;
        ASSERT_EQ(::stat(file.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & 07777, c.mode);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(readBytes(file), kNew);
    }
}

// A store that fails says so with the file's message and the system's reason, and leaves the
// old file as it was.
TEST(TransferFile, FailedStoreNamesTheReason) {
    using transfer::WriteStage;
    struct Case {
        WriteStage stage;
        int error;
        const char* reason;
    };
    const Case cases[] = {
        {WriteStage::CreateTemp, ENOSPC, "der Datenträger ist voll"},
        {WriteStage::Write, ENOSPC, "der Datenträger ist voll"},
        {WriteStage::Write, EDQUOT, "der Datenträger ist voll"},
        {WriteStage::Sync, EIO, "Ein-/Ausgabefehler"},
        {WriteStage::CreateTemp, EROFS, "das Dateisystem ist schreibgeschützt"},
        {WriteStage::Rename, EACCES, "keine Berechtigung"},
    };
    support::ScratchDir dir("ptp_reason");
    const fs::path file = dir / "ptpsdb.sdb";
    support::MessageRecorder messages;
    AppSettings app;
    app.releaseVersion = "5.1.2.3";
    auto d = support::OpenDocument(app, support::StartupString(file.string(), "CP730", 0, "9QX4 730-1KM00"));
    ASSERT_EQ(d->Store(), 1);
    const auto stored = readBytes(file);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        messages.shown.clear();
        d->m_CurParams.wCharDelay += 1;
        d->SetModifiedFlag(true);
        d->m_writeFailure = [&c](WriteStage s) { return s == c.stage ? c.error : 0; };
        EXPECT_EQ(d->Store(), 0);
        ASSERT_EQ(messages.ids(), std::vector<int>{556});
        const std::string& text = messages.shown[0].text;
        EXPECT_EQ(text.rfind("Die Datenübergabedatei kann nicht geöffnet werden.", 0), 0u) << text;
        EXPECT_NE(text.find(file.string() + ": " + c.reason), std::string::npos) << text;
        EXPECT_TRUE(d->IsModified());
        EXPECT_EQ(readBytes(file), stored);
        EXPECT_EQ(entries(dir.path), std::set<std::string>{"ptpsdb.sdb"});
    }
}

// Someone who may not write the folder or the file gets "keine Berechtigung", and the file is
// not replaced behind its owner's back even where the folder lets the rename through.
TEST(TransferFile, StoreRefusedWhereTheUserMayNotWrite) {
    support::ScratchDir dir("ptp_perm");
    const fs::path closed = dir / "closed", open = dir / "open";
    fs::create_directories(closed);
    fs::create_directories(open);
    writeBytes(closed / "cp.sdb", kOld);
    writeBytes(open / "cp.sdb", kOld);
    ASSERT_EQ(::chmod(closed.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    ASSERT_EQ(::chmod((closed / "cp.sdb").c_str(), 0666), 0);
    ASSERT_EQ(::chmod((open / "cp.sdb").c_str(), 0644), 0);
    ASSERT_EQ(::chmod(dir.path.c_str(), 0755), 0);
    const bool root = ::geteuid() == 0;
    if (!root) {
        ASSERT_EQ(::chmod(closed.c_str(), 0555), 0);
    }

    struct Case {
        fs::path file;
        const char* says;
    };
    const Case cases[] = {
        {closed / "cp.sdb", "im Ordner"},
        {closed / "new.sdb", "im Ordner"},
        {open / "cp.sdb", "cp.sdb: keine Berechtigung"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.string());
        // not as root, who may write anything: as nobody
        const int rc = inChild([&] {
            if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 10;
            std::string error;
            if (transfer::WriteFile(c.file.string(), kNew, &error)) return 1;
            if (error.find(c.says) != std::string::npos && error.find("keine Berechtigung") != std::string::npos) return 0;
            std::fprintf(stderr, "%s\n", error.c_str());
            return 2;
        });
        EXPECT_EQ(rc, 0);
    }
    EXPECT_EQ(readBytes(closed / "cp.sdb"), kOld);
    EXPECT_EQ(readBytes(open / "cp.sdb"), kOld);
    EXPECT_FALSE(fs::exists(closed / "new.sdb"));
    EXPECT_EQ(entries(open), std::set<std::string>{"cp.sdb"});
    ::chmod(closed.c_str(), 0755);
}

TEST(TransferFile, NextStoreRemovesWhatAKilledStoreLeft) {
    support::ScratchDir dir("ptp_stale");
    const fs::path file = dir / "cp.sdb";
    writeBytes(file, kOld);
    // killed between writing the new data and the rename
    const int rc = inChild([&] {
        transfer::WriteFile(file.string(), kNew, nullptr, [](transfer::WriteStage s) {
            if (s == transfer::WriteStage::Rename) ::_exit(0);
            return 0;
        });
        return 1;
    });
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(entries(dir.path).size(), 2u);
    EXPECT_EQ(readBytes(file), kOld);

    std::string error;
    ASSERT_TRUE(transfer::WriteFile(file.string(), kNew, &error)) << error;
    EXPECT_EQ(entries(dir.path), std::set<std::string>{"cp.sdb"});
    EXPECT_EQ(readBytes(file), kNew);
}

// Only temporary files of this file whose store can no longer finish are removed.
TEST(TransferFile, AbandonedTemporaryFilesAreToldApart) {
    support::ScratchDir dir("ptp_temps");
    const fs::path file = dir / "cp.sdb";
    writeBytes(file, kOld);
    const pid_t sleeper = ::fork();
    if (sleeper == 0) {
        ::alarm(30);
        ::pause();
        ::_exit(0);
    }
    const std::string mine = transfer::TempPrefix("cp.sdb");
    const std::string ended = std::to_string(endedProcess());
    struct Case {
        std::string name;
        bool old;  // last written long before the process with that id started
        bool removed;
    };
    const Case cases[] = {
        {mine + ended + ".a1B2c3", false, true},                             // its store was killed
        {mine + std::to_string(sleeper) + ".a1B2c3", false, false},          // a store still running
        {mine + std::to_string(sleeper) + ".x9Y8z7", true, true},            // the id was used again since
        {mine + std::to_string(::getpid()) + ".a1B2c3", false, false},       // this process's own
        {transfer::TempPrefix("other.sdb") + ended + ".a1B2c3", false, false},  // another file's
        {mine + "x" + ended + ".a1B2c3", false, false},                      // not a name a store makes
        {mine + ended + ".toolong", false, false},
        {".cp.sdb.a1B2c3", false, false},
    };
    for (const Case& c : cases) {
        writeBytes(dir / c.name, kOld);
        if (c.old) {
            const struct timeval times[2] = {{946684800, 0}, {946684800, 0}};  // 1 January 2000
            ASSERT_EQ(::utimes((dir / c.name).c_str(), times), 0);
        }
    }
    std::string error;
    const bool stored = transfer::WriteFile(file.string(), kNew, &error);
    ::kill(sleeper, SIGKILL);
    ::waitpid(sleeper, nullptr, 0);
    ASSERT_TRUE(stored) << error;
    for (const Case& c : cases) EXPECT_EQ(fs::exists(dir / c.name), !c.removed) << c.name;
}

TEST(TransferFile, ReadRefusesWhatIsNoRegularFile) {
    support::ScratchDir dir("ptp_fifo");
    const fs::path fifo = dir / "cp.sdb";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    struct Case {
        fs::path path;
        const char* why;
    };
    const Case cases[] = {
        {fifo, "FIFO"},
        {dir.path, "Ordner"},
        {"/dev/null", "Gerät"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.string());
        const int rc = inChild([&] {
            const transfer::ReadResult r = transfer::ReadFile(c.path.string(), 65536);
            if (r.status != transfer::ReadStatus::NotRegular) return 1;
            return r.why.find(c.why) == std::string::npos ? 2 : 0;
        });
        EXPECT_EQ(rc, 0);
    }
    // nor is a FIFO replaced by a store
    std::string error;
    EXPECT_FALSE(transfer::WriteFile(fifo.string(), kNew, &error));
    EXPECT_NE(error.find("FIFO"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// ptpcfg show and ptpcfg sdb on a FIFO: refused at once, never waited on.
TEST(TransferFile, PtpcfgRefusesAFifo) {
    support::ScratchDir dir("ptp_cli_fifo");
    const fs::path fifo = dir / "cp.sdb";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    struct Case {
        std::vector<std::string> args;
        int exit;
        const char* says;
    };
    const Case cases[] = {
        {{"show", support::StartupString(fifo.string(), "CP730", 0, "9QX4 730-1KM00")}, 0, "556: "},
        {{"show", support::StartupString(fifo.string(), "CP8311", 81, "9QX4 831-1KK02")}, 0, "556: "},
        {{"sdb", fifo.string()}, 1, "ist eine FIFO"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const fs::path err = dir / "stderr.txt";
        const int rc = inChild([&] {
            ::unsetenv("QORB4_PROJECT");
            if (!std::freopen(err.c_str(), "w", stderr)) return 100;
            std::string out;
            const int exit = cli::Run(c.args, out);
            std::fflush(stderr);
            return exit;
        });
        EXPECT_EQ(rc, c.exit);
        std::ifstream in(err);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        EXPECT_TRUE(fs::is_fifo(fifo));
    }
}

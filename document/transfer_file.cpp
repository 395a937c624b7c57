#include "document/transfer_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace transfer {
namespace fs = std::filesystem;

namespace {

std::string notRegular(mode_t mode) {
    if (S_ISDIR(mode)) return "ist ein Ordner, keine Datei";
    if (S_ISFIFO(mode)) return "ist eine FIFO, keine gewöhnliche Datei";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "ist ein Gerät, keine gewöhnliche Datei";
    if (S_ISSOCK(mode)) return "ist ein Socket, keine gewöhnliche Datei";
    return "ist keine gewöhnliche Datei";
}

// Follows a chain of symbolic links to the file it ends in, which need not exist yet.
bool resolveLinks(const std::string& path, fs::path& out, int& err) {
    fs::path p(path);
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                err = errno;
                return false;
            }
            out = p;
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            out = p;
            return true;
        }
        std::vector<char> buf(PATH_MAX + 1);
        const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size() - 1);
        if (n < 0) {
            err = errno;
            return false;
        }
        const fs::path next(std::string(buf.data(), static_cast<size_t>(n)));
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    err = ELOOP;
    return false;
}

// When the process with id `pid` started, in seconds since the epoch; nullopt when unknown.
std::optional<long long> processStart(long pid) {
    std::ifstream statFile("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(statFile, line)) return std::nullopt;
    const size_t close = line.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    unsigned long long ticks = 0;
    for (int i = 3; i <= 22 && fields >> field; ++i)  // field 22: start time in clock ticks after boot
        if (i == 22) ticks = std::strtoull(field.c_str(), nullptr, 10);
    if (ticks == 0) return std::nullopt;
    std::ifstream proc("/proc/stat");
    long long boot = -1;
    while (std::getline(proc, line))
        if (line.rfind("btime ", 0) == 0) boot = std::atoll(line.c_str() + 6);
    const long hz = ::sysconf(_SC_CLK_TCK);
    if (boot < 0 || hz <= 0) return std::nullopt;
    return boot + static_cast<long long>(ticks / static_cast<unsigned long long>(hz));
}

// A temporary file of a write that can no longer finish it: its process is gone, or the
// process with that id started after the file was last written (the id was used again).
bool abandoned(long pid, const struct stat& st) {
    if (pid <= 0 || pid == ::getpid()) return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return true;
    const auto start = processStart(pid);
    return start && static_cast<long long>(st.st_mtime) + 1 < *start;
}

// Removes the temporary files of `fileName` in `dir` that abandoned writes left behind.
void removeAbandoned(const fs::path& dir, const std::string& fileName) {
    const std::string prefix = TempPrefix(fileName);
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return;
    const int dfd = ::dirfd(d);
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        // what follows the prefix: <pid>.<six characters>
        const std::string rest = name.substr(prefix.size());
        const size_t dot = rest.find('.');
        if (dot == std::string::npos || dot == 0 || rest.size() - dot - 1 != 6) continue;
        long pid = 0;
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + dot, pid);
        if (ec != std::errc() || end != rest.data() + dot) continue;
        struct stat st;
        if (::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (abandoned(pid, st)) ::unlinkat(dfd, e->d_name, 0);
    }
    ::closedir(d);
}

}  // namespace

std::string Reason(int error) {
    switch (error) {
    case EACCES:
    case EPERM: return "keine Berechtigung";
    case ENOSPC:
    case EDQUOT: return "der Datenträger ist voll";
    case EROFS: return "das Dateisystem ist schreibgeschützt";
    case ENOENT: return "nicht vorhanden";
    case ENOTDIR: return "ein Teil des Pfades ist kein Ordner";
    case EISDIR: return "ist ein Ordner";
    case ELOOP: return "zu viele symbolische Verknüpfungen";
    case ENAMETOOLONG: return "der Name ist zu lang";
    case EIO: return "Ein-/Ausgabefehler";
    case EMFILE:
    case ENFILE: return "zu viele offene Dateien";
    default: return std::strerror(error);
    }
}

std::string TempPrefix(const std::string& fileName) { return ".~ptp." + fileName + "."; }

ReadResult ReadFile(const std::string& path, size_t limit) {
    ReadResult r;
    auto cannot = [&](int err) {
        r.status = ReadStatus::CannotOpen;
        r.error = err;
        r.why = Reason(err);
        return r;
    };
    auto refuse = [&](mode_t mode) {
        r.status = ReadStatus::NotRegular;
        r.error = 0;
        r.why = notRegular(mode);
        return r;
    };
    // A FIFO would block the open and a device may do anything on it: look before opening, and
    // open without waiting in case the file was swapped in between.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return cannot(errno);
    if (!S_ISREG(st.st_mode)) return refuse(st.st_mode);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return cannot(errno);
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return cannot(err);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return refuse(st.st_mode);
    }
    r.status = ReadStatus::Ok;
    r.bytes.resize(limit);
    size_t have = 0;
    while (have < limit) {
        ssize_t n = ::read(fd, r.bytes.data() + have, limit - have);
        if (n < 0) {
            if (errno == EINTR) continue;
            r.status = ReadStatus::ReadError;
            r.error = errno;
            r.why = Reason(errno);
            break;
        }
        if (n == 0) break;
        have += static_cast<size_t>(n);
    }
    ::close(fd);
    r.bytes.resize(have);
    return r;
}

bool WriteFile(const std::string& path, std::span<const uint8_t> bytes, std::string* error, const FailureHook& hook) {
    auto fail = [&](const std::string& why) {
        if (error) *error = path + ": " + why;
        return false;
    };
    // the error number a test hook puts in at this stage; 0 when it lets the step run
    auto injected = [&](WriteStage s) {
        const int e = hook ? hook(s) : 0;
        return e == 1 ? EIO : e;
    };

    // A symbolic link stays a link: the file it names is the one replaced.
    fs::path target;
    int err = 0;
    if (!resolveLinks(path, target, err)) return fail(Reason(err));
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return fail(notRegular(old.st_mode));
    // A file the user may not write is not replaced behind their back.
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return fail(Reason(errno));

    const fs::path dir = target.parent_path();
    const std::string fileName = target.filename().string();
    removeAbandoned(dir, fileName);

    const std::string pattern = (dir.empty() ? fs::path(".") : dir).string() + "/" + TempPrefix(fileName) +
                                std::to_string(::getpid()) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');

    int fd = -1;
    if (int e = injected(WriteStage::CreateTemp)) return fail(Reason(e));
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        return fail("im Ordner " + (dir.empty() ? std::string(".") : dir.string()) +
                    " kann keine Datei angelegt werden: " + Reason(e));
    }
    auto abandon = [&](int e) {
        ::close(fd);
        ::unlink(name.data());
        return fail(Reason(e));
    };

    size_t done = 0;
    while (done < bytes.size()) {
        if (int e = injected(WriteStage::Write)) return abandon(e);
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return abandon(errno);
        }
        done += static_cast<size_t>(n);
    }
    if (exists) {
        // Owner and group first (a change of owner clears the set-id bits), where the system
        // lets us; then the old file's mode.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        if (::fchmod(fd, old.st_mode & 07777) != 0) return abandon(errno);
    } else {
        // A new file gets the usual permissions, not mkstemp's private ones.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd, 0666 & ~mask) != 0) return abandon(errno);
    }
    if (int e = injected(WriteStage::Sync)) return abandon(e);
    if (::fsync(fd) != 0) return abandon(errno);
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(name.data());
        return fail(Reason(e));
    }
    int e = injected(WriteStage::Rename);
    if (e == 0 && ::rename(name.data(), target.c_str()) != 0) e = errno;
    if (e != 0) {
        ::unlink(name.data());
        return fail(Reason(e));
    }
    // the rename itself is made durable with the folder
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

}  // namespace transfer

#include "linktool/mklink.h"

#include <acl/libacl.h>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/acl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iostream>
#include <string_view>
#include <system_error>

#ifndef PTP_VERSION
#error "PTP_VERSION (the project's version) has to be defined by the build"
#endif

namespace mklink {
namespace {

// Folder trees deeper than this are refused rather than walked (each level holds open folders).
constexpr int kMaxDepth = 256;

const char* kBeginLine = "\r\n\r\n---------------- BEGIN SETTING SYMBOLIC LINK ----------------";
const char* kEndLine = "\r\n\r\n---------------- END SETTING SYMBOLIC LINK ------------------";

const char* result(bool ok) { return ok ? "ok" : "failure"; }

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) { reset(); fd_ = o.fd_; o.fd_ = -1; }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset() { if (fd_ >= 0) ::close(fd_); fd_ = -1; }
    int release() { int fd = fd_; fd_ = -1; return fd; }
private:
    int fd_;
};

class Acl {
public:
    explicit Acl(acl_t a = nullptr) : a_(a) {}
    Acl(Acl&& o) noexcept : a_(o.a_) { o.a_ = nullptr; }
    Acl(const Acl&) = delete;
    Acl& operator=(const Acl&) = delete;
    ~Acl() { if (a_) acl_free(a_); }
    acl_t get() const { return a_; }
    acl_t* ptr() { return &a_; }
    explicit operator bool() const { return a_ != nullptr; }
private:
    acl_t a_;
};

// The log is written as raw bytes and flushed after every line, so that whatever happened up to
// an abnormal end is on disk. Paths are data, never format strings.
class Log {
public:
    explicit Log(const std::string& path) {
        if (!path.empty()) f_ = std::fopen(path.c_str(), "abe");
    }
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;
    ~Log() { close(); }
    bool isOpen() const { return f_ != nullptr; }
    void line(std::initializer_list<std::string_view> parts) {
        if (!f_) return;
        std::string text;
        for (auto p : parts) text += p;
        std::fwrite(text.data(), 1, text.size(), f_);
        std::fflush(f_);
    }
    void close() {
        if (f_) std::fclose(f_);
        f_ = nullptr;
    }
private:
    std::FILE* f_ = nullptr;
};

std::string trimBlanks(const std::string& s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string withSlash(std::string s) {
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}

std::string currentFolder() {
    std::string buf(256, '\0');
    for (;;) {
        if (::getcwd(buf.data(), buf.size())) return std::string(buf.c_str());
        if (errno != ERANGE || buf.size() > (1u << 20)) return {};
        buf.resize(buf.size() * 2);
    }
}

bool isFolder(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Why `path` is not a folder, in the system's words; empty when it is one.
std::string whyNotFolder(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return std::strerror(ENOTDIR);
    return {};
}

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> entryNames(int dirFd) {
    std::vector<std::string> names;
    int copy = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return names;
    DIR* d = ::fdopendir(copy);
    if (!d) { ::close(copy); return names; }
    ::rewinddir(d);
    while (dirent* e = ::readdir(d)) {
        std::string_view n = e->d_name;
        if (n == "." || n == "..") continue;
        names.emplace_back(n);
    }
    ::closedir(d);
    // A fixed order makes collision numbers the same on every run.
    std::sort(names.begin(), names.end());
    return names;
}

Fd openFolderAt(int dirFd, const std::string& name) {
    return Fd(::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// ---- copy --------------------------------------------------------------------------------------

// name, name_1, name_2, ... ; a file keeps its extension at the end (report_1.txt). A leading
// dot does not start an extension (.settings_1).
std::string numberedName(const std::string& name, int n, bool keepExtension) {
    if (n == 0) return name;
    const std::string suffix = "_" + std::to_string(n);
    const size_t dot = keepExtension ? name.rfind('.') : std::string::npos;
    if (dot == std::string::npos || dot == 0) return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

bool writeAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// Puts the finished temporary file under the first free name without replacing anything.
bool placeUnderFreeName(int dirFd, const std::string& tmp, const std::string& name) {
    for (int n = 0; n <= kMaxNameNumber; ++n) {
        const std::string candidate = numberedName(name, n, true);
        if (::renameat2(dirFd, tmp.c_str(), dirFd, candidate.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) return false;
        // File systems without no-replace renames: a hard link fails the same way when taken.
        if (::linkat(dirFd, tmp.c_str(), dirFd, candidate.c_str(), 0) == 0) {
            ::unlinkat(dirFd, tmp.c_str(), 0);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool copyFile(int srcDir, const std::string& name, int dstDir) {
    Fd in(::openat(srcDir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!in.valid() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;

    static unsigned counter = 0;
    std::string tmp;
    Fd out;
    for (int attempt = 0; attempt < 100 && !out.valid(); ++attempt) {
        tmp = ".y5mklink-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".part";
        out = Fd(::openat(dstDir, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!out.valid() && errno != EEXIST) return false;
    }
    if (!out.valid()) return false;

    bool ok = true;
    std::vector<char> buf(1 << 16);
    for (;;) {
        ssize_t r = ::read(in.get(), buf.data(), buf.size());
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) { ok = false; break; }
        if (r == 0) break;
        if (!writeAll(out.get(), buf.data(), static_cast<size_t>(r))) { ok = false; break; }
    }
    // Set-user and set-group bits are not carried over: the copy may have a different owner.
    if (ok) ok = ::fchmod(out.get(), st.st_mode & 0777) == 0;
    if (ok) {
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out.get(), times);
    }
    // A failed close can mean lost data (network and full file systems): it counts.
    if (::close(out.release()) != 0) ok = false;
    if (ok && placeUnderFreeName(dstDir, tmp, name)) return true;
    // Only our own unfinished temporary file is removed.
    ::unlinkat(dstDir, tmp.c_str(), 0);
    return false;
}

bool copyLink(int srcDir, const std::string& name, int dstDir) {
    std::string target(256, '\0');
    for (;;) {
        ssize_t n = ::readlinkat(srcDir, name.c_str(), target.data(), target.size());
        if (n < 0) return false;
        if (static_cast<size_t>(n) < target.size()) { target.resize(static_cast<size_t>(n)); break; }
        if (target.size() > (1u << 16)) return false;
        target.resize(target.size() * 2);
    }
    for (int n = 0; n <= kMaxNameNumber; ++n) {
        if (::symlinkat(target.c_str(), dstDir, numberedName(name, n, true).c_str()) == 0) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

bool copyContents(int srcDir, int dstDir, int depth);

bool copyFolder(int srcDir, const std::string& name, int dstDir, int depth) {
    Fd src = openFolderAt(srcDir, name);
    struct stat st;
    if (!src.valid() || ::fstat(src.get(), &st) != 0) return false;

    // A folder of the same name merges; anything else there makes this folder take a new name.
    Fd dst;
    bool created = false;
    for (int n = 0; n <= kMaxNameNumber && !dst.valid(); ++n) {
        const std::string candidate = numberedName(name, n, false);
        if (::mkdirat(dstDir, candidate.c_str(), 0700) == 0) {
            created = true;
        } else if (errno != EEXIST) {
            return false;
        } else if (n > 0) {
            continue;  // a numbered name is only ever a new folder
        }
        dst = openFolderAt(dstDir, candidate);
        if (!dst.valid() && (created || (errno != ENOTDIR && errno != ELOOP))) return false;
    }
    if (!dst.valid()) return false;
    if (!copyContents(src.get(), dst.get(), depth + 1)) return false;
    // The new folder stays private until it is filled, then takes the old folder's mode.
    return !created || ::fchmod(dst.get(), st.st_mode & 0777) == 0;
}

bool copyContents(int srcDir, int dstDir, int depth) {
    if (depth > kMaxDepth) return false;
    for (const std::string& name : entryNames(srcDir)) {
        struct stat st;
        if (::fstatat(srcDir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
        bool ok = false;
        if (S_ISDIR(st.st_mode)) ok = copyFolder(srcDir, name, dstDir, depth);
        else if (S_ISREG(st.st_mode)) ok = copyFile(srcDir, name, dstDir);
        else if (S_ISLNK(st.st_mode)) ok = copyLink(srcDir, name, dstDir);
        // Devices, pipes and sockets are not data: the old folder stays in use.
        if (!ok) return false;
    }
    return true;
}

// True when the folder open as `fd` is the folder (dev, ino) or lies below it.
bool isSameOrBelow(int fd, dev_t dev, ino_t ino) {
    Fd cur(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    for (int level = 0; cur.valid() && level < 4096; ++level) {
        struct stat st;
        if (::fstat(cur.get(), &st) != 0) return true;  // unknown: treat as unsafe
        if (st.st_dev == dev && st.st_ino == ino) return true;
        Fd parent(::openat(cur.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat pst;
        if (!parent.valid() || ::fstat(parent.get(), &pst) != 0) return true;
        if (pst.st_dev == st.st_dev && pst.st_ino == st.st_ino) return false;  // reached the root
        cur = std::move(parent);
    }
    return true;
}

// ---- the data folder ---------------------------------------------------------------------------

// Names beside the data folder: the lock that keeps a second run out, the copy while it is made and
// the copy once it is complete. Only a complete copy is ever moved into the data folder, and the
// old folder is renamed to its backup only after that, so a run killed at any point leaves either
// an incomplete copy (thrown away and made again) or a complete one whose old folder is already
// backed up (moved in by the next run).
std::string lockName() { return std::string(".") + kDataFolderName + ".lock"; }
std::string stagingName() { return std::string(".") + kDataFolderName + ".staging"; }
std::string readyName() { return std::string(".") + kDataFolderName + ".ready"; }

// Renames without replacing anything; 0 or the errno.
int moveNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to) {
    if (::renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without no-replace renames: the lock keeps other runs out, so a look first does.
    struct stat st;
    if (::fstatat(toDir, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    return ::renameat(fromDir, from.c_str(), toDir, to.c_str()) == 0 ? 0 : errno;
}

// Removes an entry and, for a folder, everything below it; symbolic links are removed, never
// followed.
bool removeTree(int dirFd, const std::string& name, int depth = 0) {
    struct stat st;
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    if (!S_ISDIR(st.st_mode)) return ::unlinkat(dirFd, name.c_str(), 0) == 0;
    if (depth > kMaxDepth) return false;
    Fd sub = openFolderAt(dirFd, name);
    if (!sub.valid()) return false;
    bool ok = true;
    for (const std::string& entry : entryNames(sub.get())) ok = removeTree(sub.get(), entry, depth + 1) && ok;
    return ok && ::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) == 0;
}

bool exists(int dirFd, const std::string& name) {
    struct stat st;
    return ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Moves every entry of the complete copy `from` into `to`, each by one rename: folders merge into a
// folder of the same name, anything whose name is taken gets the first free numbered name. What is
// moved is gone from `from`, so an interrupted move goes on where it stopped.
bool mergeInto(int from, int to, int depth) {
    if (depth > kMaxDepth) return false;
    for (const std::string& name : entryNames(from)) {
        struct stat st;
        if (::fstatat(from, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
        const bool folder = S_ISDIR(st.st_mode);
        int err = moveNoReplace(from, name, to, name);
        if (err == 0) continue;
        if (err != EEXIST) return false;
        if (folder) {
            if (Fd there = openFolderAt(to, name); there.valid()) {
                Fd here = openFolderAt(from, name);
                if (!here.valid() || !mergeInto(here.get(), there.get(), depth + 1)) return false;
                if (::unlinkat(from, name.c_str(), AT_REMOVEDIR) != 0) return false;
                continue;
            }
        }
        for (int n = 1; n <= kMaxNameNumber && err == EEXIST; ++n)
            err = moveNoReplace(from, name, to, numberedName(name, n, !folder));
        if (err != 0) return false;
    }
    return true;
}

// Puts the complete copy `ready` in place as the data folder: a single rename when there is none
// yet, else entry by entry into the one there.
bool moveIntoPlace(int parent, const std::string& ready) {
    const int err = moveNoReplace(parent, ready, parent, kDataFolderName);
    if (err == 0) return true;
    if (err != EEXIST) return false;
    Fd from = openFolderAt(parent, ready), to = openFolderAt(parent, kDataFolderName);
    if (!from.valid() || !to.valid() || !mergeInto(from.get(), to.get(), 0)) return false;
    return ::unlinkat(parent, ready.c_str(), AT_REMOVEDIR) == 0;
}

// Copies the old folder's contents into a new staging folder beside the data folder and, once
// complete, renames it to `ready`. `target` is the data folder's state (absent: st_nlink == 0).
bool copyToStaging(const std::string& from, int parent, const struct stat& target) {
    Fd src(::open(from.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat sst;
    if (!src.valid() || ::fstat(src.get(), &sst) != 0) return false;
    // Copying a folder into itself would never end and would duplicate every file.
    if (target.st_nlink != 0 && target.st_dev == sst.st_dev && target.st_ino == sst.st_ino) return false;
    if (isSameOrBelow(parent, sst.st_dev, sst.st_ino)) return false;
    if (::mkdirat(parent, stagingName().c_str(), 0700) != 0) return false;
    Fd dst = openFolderAt(parent, stagingName());
    if (!dst.valid() || !copyContents(src.get(), dst.get(), 0)) return false;
    // The mode a data folder made by this tool has: the chain down to it stays traversable.
    if (::fchmod(dst.get(), 0755) != 0) return false;
    return moveNoReplace(parent, stagingName(), parent, readyName()) == 0;
}

// Walks from the common folder down to the folder that holds the data folder, creating what is
// missing (mode 0755 regardless of the umask: the users who get access have to pass through) and
// never following a symbolic link. On failure `why` says what stopped the walk.
Fd openDataParent(const std::string& common, std::string& why) {
    Fd dir(::open(common.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid()) {
        why = std::string(std::strerror(errno)) + ": " + common;
        return Fd();
    }
    std::string path = common;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    std::string_view rest = kCommonSubPath;
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string name(rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        path += "/" + name;
        const bool created = ::mkdirat(dir.get(), name.c_str(), 0755) == 0;
        if (!created && errno != EEXIST) {
            why = std::string(std::strerror(errno)) + ": " + path;
            return Fd();
        }
        Fd sub = openFolderAt(dir.get(), name);
        if (!sub.valid()) {
            const int err = errno;
            struct stat st;
            const bool link = ::fstatat(dir.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
            why = link ? "symbolic link in the path: " + path : std::string(std::strerror(err)) + ": " + path;
            return Fd();
        }
        if (created) ::fchmod(sub.get(), 0755);
        dir = std::move(sub);
    }
    return dir;
}

// Renames the old folder to the first free backup name; `used` receives the name tried last.
bool renameToBackup(const std::string& folder, std::string& used) {
    const std::string base = folder + "_backup";
    for (int n = 0; n <= kMaxNameNumber; ++n) {
        used = n == 0 ? base : base + "_" + std::to_string(n);
        if (exists(used)) continue;
        if (::renameat2(AT_FDCWD, folder.c_str(), AT_FDCWD, used.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) return false;
        // No no-replace rename here: the existence check above has to do.
        return ::rename(folder.c_str(), used.c_str()) == 0;
    }
    return false;
}

// ---- command line ------------------------------------------------------------------------------

struct CommandLine {
    enum class Action { Run, Help, Version, NoArgument, UnknownOption };
    Action action = Action::NoArgument;
    std::string linkFolder, logFile;  // for Run, trimmed
    std::string option;               // for UnknownOption, as given
};

// An argument starting with "-" is an option wherever it stands, and the first option decides; so
// "--help" can never become a folder, and an option the tool does not know stops everything.
CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    std::vector<std::string> positional;
    for (const std::string& arg : args) {
        const std::string a = trimBlanks(arg);
        if (a.empty() || a.front() != '-') {
            positional.push_back(a);
            continue;
        }
        if (a == "-h" || a == "--help") cl.action = CommandLine::Action::Help;
        else if (a == "--version") cl.action = CommandLine::Action::Version;
        else {
            cl.action = CommandLine::Action::UnknownOption;
            cl.option = arg;
        }
        return cl;
    }
    if (positional.empty()) return cl;
    cl.action = CommandLine::Action::Run;
    cl.linkFolder = positional[0];
    // Further arguments have never meant anything; they stay ignored.
    if (positional.size() > 1) cl.logFile = positional[1];
    return cl;
}

// ---- access ------------------------------------------------------------------------------------

bool addGroupRights(acl_t* acl, gid_t group, bool read, bool write, bool execute) {
    acl_entry_t entry;
    bool found = false;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(*acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t tag;
        if (acl_get_tag_type(entry, &tag) != 0) return false;
        if (tag != ACL_GROUP) continue;
        auto* id = static_cast<gid_t*>(acl_get_qualifier(entry));
        if (!id) return false;
        found = *id == group;
        acl_free(id);
        if (found) break;
    }
    if (!found) {
        if (acl_create_entry(acl, &entry) != 0 || acl_set_tag_type(entry, ACL_GROUP) != 0 ||
            acl_set_qualifier(entry, &group) != 0)
            return false;
    }
    acl_permset_t perms;
    if (acl_get_permset(entry, &perms) != 0) return false;
    if (!found && acl_clear_perms(perms) != 0) return false;
    // Rights are only ever added to what the entry already had.
    if (read && acl_add_perm(perms, ACL_READ) != 0) return false;
    if (write && acl_add_perm(perms, ACL_WRITE) != 0) return false;
    if (execute && acl_add_perm(perms, ACL_EXECUTE) != 0) return false;
    if (acl_set_permset(entry, perms) != 0) return false;
    return acl_calc_mask(acl) == 0 && acl_valid(*acl) == 0;
}

// A new default ACL starts from the owner, owning group and other entries of the access ACL.
Acl baseEntriesOf(acl_t access) {
    Acl base(acl_init(5));
    if (!base) return base;
    acl_entry_t from, to;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(access, which, &from) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t tag;
        if (acl_get_tag_type(from, &tag) != 0) return Acl();
        if (tag != ACL_USER_OBJ && tag != ACL_GROUP_OBJ && tag != ACL_OTHER) continue;
        if (acl_create_entry(base.ptr(), &to) != 0 || acl_copy_entry(to, from) != 0) return Acl();
    }
    return base;
}

// `fd` is open on the entry itself (never through a symbolic link); the ACL calls go through its
// /proc name so that a name swapped in the meantime cannot redirect them.
bool grantOn(int fd, const struct stat& st, gid_t group) {
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const bool folder = S_ISDIR(st.st_mode);
    Acl access(acl_get_file(path.c_str(), ACL_TYPE_ACCESS));
    if (!access) return false;
    const bool execute = folder || (st.st_mode & 0111) != 0;
    if (!addGroupRights(access.ptr(), group, true, true, execute) ||
        acl_set_file(path.c_str(), ACL_TYPE_ACCESS, access.get()) != 0)
        return false;
    if (!folder) return true;
    Acl inherited(acl_get_file(path.c_str(), ACL_TYPE_DEFAULT));
    if (!inherited) return false;
    if (acl_entries(inherited.get()) <= 0) {
        Acl base = baseEntriesOf(access.get());
        if (!base) return false;
        std::swap(*inherited.ptr(), *base.ptr());
    }
    return addGroupRights(inherited.ptr(), group, true, true, true) &&
           acl_set_file(path.c_str(), ACL_TYPE_DEFAULT, inherited.get()) == 0;
}

bool grantBelow(int dirFd, const std::string& prefix, gid_t group, int depth, const PassOverFn& passOver) {
    if (depth > kMaxDepth) return false;
    bool ok = true;
    for (const std::string& name : entryNames(dirFd)) {
        struct stat st;
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) { ok = false; continue; }
        if (S_ISDIR(st.st_mode)) {
            Fd sub = openFolderAt(dirFd, name);
            if (!sub.valid() || ::fstat(sub.get(), &st) != 0) { ok = false; continue; }
            ok = grantOn(sub.get(), st, group) && ok;
            ok = grantBelow(sub.get(), prefix + name + "/", group, depth + 1, passOver) && ok;
        } else if (S_ISREG(st.st_mode)) {
            Fd file(::openat(dirFd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
            if (!file.valid() || ::fstat(file.get(), &st) != 0) { ok = false; continue; }
            if (!S_ISREG(st.st_mode)) continue;  // replaced by a link meanwhile: not ours to change
            // Another name of the same file may lie anywhere on this file system; a grant here
            // would open it there too. Counted on the open file, so no rename can slip one in.
            if (st.st_nlink > 1) {
                if (passOver) passOver(prefix + name, std::to_string(st.st_nlink) + " hard links");
                continue;
            }
            ok = grantOn(file.get(), st, group) && ok;
        }
        // Symbolic links are skipped: their targets may lie anywhere.
    }
    return ok;
}

}  // namespace

bool grantChangeAccess(int folder, gid_t group, const PassOverFn& passOver) {
    struct stat st;
    if (folder < 0 || ::fstat(folder, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    bool ok = grantOn(folder, st, group);
    return grantBelow(folder, "", group, 0, passOver) && ok;
}

Environment::Environment()
    : variable([](const char* name) -> std::optional<std::string> {
          const char* v = std::getenv(name);
          if (!v) return std::nullopt;
          return std::string(v);
      }),
      osMajorVersion([] { return kSupportedMajorVersion; }),
      out(&std::cout),
      err(&std::cerr) {}

std::string usage() {
    return std::string(
               "Aufruf: y5mklink LINKORDNER [PROTOKOLLDATEI]\n"
               "        y5mklink -h | --help | --version\n"
               "\n"
               "Verlegt den Datenordner \"") + kDataFolderName + "\" des Parametrierprogramms aus LINKORDNER in den\n"
           "gemeinsamen Anwendungsdatenordner: kopiert seinen Inhalt nach\n"
           "  <PROGRAMDATA>/" + kCommonSubPath + "/" + kDataFolderName + "\n"
           "(belegte Namen bekommen _1, _2, ...; nichts wird überschrieben), benennt den alten Ordner in\n"
           + kDataFolderName + "_backup (oder " + kDataFolderName + "_backup_1, _2, ...) um, legt an seiner Stelle den symbolischen Link\n"
           "LINKORDNER/" + kDataFolderName + " auf den neuen Ordner an und gibt der Gruppe \"" + kUsersGroup + "\" Änderungsrechte\n"
           "(ACL: lesen, schreiben, Ordner öffnen; vererbt an alles, was darin entsteht; Dateien mit mehr als\n"
           "einem harten Link bekommen sie nicht). Ein weiterer Lauf findet den Link und lässt ihn stehen.\n"
           "Scheitert das Kopieren, bleibt der alte Ordner in Gebrauch. Kopiert wird zuerst in einen Ordner\n"
           "neben dem Datenordner, der erst vollständig an seinen Platz kommt; ein abgebrochener Lauf wird\n"
           "vom nächsten zu Ende geführt, ohne dass eine Datei doppelt ankommt. Ein symbolischer Link auf dem\n"
           "Weg unterhalb von PROGRAMDATA zum Datenordner verhindert den Lauf, ebenso ein zweiter Lauf, der\n"
           "gerade arbeitet (Sperrdatei ." + kDataFolderName + ".lock neben dem Datenordner).\n"
           "\n"
           "Argumente (umgebende Leerzeichen zählen nicht):\n"
           "  LINKORDNER      der Ordner, in dem der Link entsteht; er muss bestehen. Ein relativer Pfad\n"
           "                  gilt vom aktuellen Ordner aus; ein Name, der mit \"-\" beginnt, wird als\n"
           "                  ./-name angegeben, denn alles mit \"-\" am Anfang ist eine Option.\n"
           "  PROTOKOLLDATEI  Protokoll jedes Schritts mit \"ok\" oder \"failure\"; die Datei wird angelegt\n"
           "                  oder fortgeschrieben. Ohne sie läuft das Programm ohne jede Ausgabe.\n"
           "  -h, --help      diese Übersicht; ändert nichts\n"
           "  --version       Programmname und Version; ändert nichts\n"
           "\n"
           "Umgebung:\n"
           "  " + kCommonFolderVariable + "     der gemeinsame Anwendungsdatenordner, ein absoluter Pfad auf einen\n"
           "                  bestehenden Ordner; nicht gesetzt oder leer: " + kDefaultCommonFolder + "\n"
           "\n"
           "Exit-Codes (in Klammern der Exit-Status, wie die Shell ihn zeigt):\n"
           "   0 (0)    erledigt, auch wenn der Link schon bestand\n"
           "  -1 (255)  kein Argument oder eine unbekannte Option\n"
           "  -2 (254)  der gemeinsame Anwendungsdatenordner ist nicht bestimmbar\n"
           "  -3 (253)  der Link ist nicht angelegt (auch wenn das Kopieren scheiterte, der Weg zum\n"
           "            Datenordner einen symbolischen Link enthält oder ein anderer Lauf gerade arbeitet)\n"
           "  -4 (252)  der Wechsel in den Linkordner scheiterte (ohne Protokolldatei auch: der\n"
           "            Linkordner fehlt) oder die Änderungsrechte sind nicht vergeben\n"
           "  -5 (251)  der Linkordner fehlt (nur mit Protokolldatei)\n"
           "  -6 (250)  das Betriebssystem wird nicht unterstützt\n";
}

std::optional<std::string> commonAppDataFolder(const Environment& env) {
    std::string folder = kDefaultCommonFolder;
    if (env.variable) {
        if (auto v = env.variable(kCommonFolderVariable); v && !v->empty()) folder = *v;
    }
    // A relative folder would depend on where the installation happened to start the tool.
    if (folder.front() != '/' || !isFolder(folder)) return std::nullopt;
    return folder;
}

std::string permissionCommand(const std::string& target, const std::string& group) {
    return "setfacl -R -m g:" + group + ":rwX,d:g:" + group + ":rwX \"" + target + "\"";
}

int run(const std::vector<std::string>& args, const Environment& env) {
    const CommandLine cl = parseCommandLine(args);
    switch (cl.action) {
    case CommandLine::Action::Help:
        if (env.out) *env.out << usage() << std::flush;
        return kDone;
    case CommandLine::Action::Version:
        if (env.out) *env.out << "y5mklink " PTP_VERSION "\n" << std::flush;
        return kDone;
    case CommandLine::Action::UnknownOption:
        if (env.err) *env.err << "y5mklink: unbekannte Option \"" << cl.option << "\"\n\n" << usage() << std::flush;
        return kBadCommandLine;
    case CommandLine::Action::NoArgument:
        if (env.err) *env.err << usage() << std::flush;
        return kBadCommandLine;
    case CommandLine::Action::Run:
        break;
    }
    if (!env.osMajorVersion || env.osMajorVersion() != kSupportedMajorVersion) return kUnsupportedSystem;

    const std::string& linkFolder = cl.linkFolder;
    Log log(cl.logFile);
    log.line({kBeginLine});

    // Remembered before anything moves, so that relative paths mean what the caller meant.
    const std::string startFolder = currentFolder();

    // A link folder is named, not made: a mistyped one would otherwise get a link and a data
    // folder with granted rights somewhere nobody looks.
    if (const std::string why = whyNotFolder(linkFolder); !why.empty()) {
        log.line({"\r\n\r\nLINK DIRECTORY NOT FOUND:  ", linkFolder, "     RESULT = failure (", why, ")"});
        return log.isOpen() ? kLinkFolderMissing : kChangeDirOrGrantFailed;
    }

    const auto common = commonAppDataFolder(env);
    if (!common) {
        log.line({"\r\n\r\nERROR READING COMMOM APPLICATION DATA FOLDER"});
        return kNoCommonFolder;
    }

    const std::string linkDir =
        withSlash(linkFolder.empty() || linkFolder.front() == '/' || startFolder.empty()
                      ? linkFolder
                      : withSlash(startFolder) + linkFolder);
    const std::string target = withSlash(*common) + kCommonSubPath + "/" + kDataFolderName;
    const std::string link = linkDir + kDataFolderName;

    const bool inLinkFolder = !linkFolder.empty() && ::chdir(linkDir.c_str()) == 0;
    log.line({"\r\n\r\nCHANGE DIRECTORY TO:  ", linkFolder, "     RESULT = ", result(inLinkFolder)});
    if (!inLinkFolder) return kChangeDirOrGrantFailed;

    const auto changeBack = [&] {
        const bool back = !startFolder.empty() && ::chdir(startFolder.c_str()) == 0;
        log.line({"\r\n\r\nCHANGE DIRECTORY TO:  ", startFolder, "     RESULT = ", result(back)});
    };
    // Nothing copied, linked or granted: the old folder stays in use.
    const auto refuse = [&](std::initializer_list<std::string_view> why) {
        log.line(why);
        changeBack();
        log.line({kEndLine});
        return kLinkFailed;
    };

    std::string why;
    const Fd parent = openDataParent(*common, why);
    if (!parent.valid())
        return refuse({"\r\n\r\nCREATE DIRECTORY:  ", target, "     RESULT = failure (", why, ")"});
    const std::string parentPath = target.substr(0, target.rfind('/') + 1);

    // One run at a time: a second one would copy every file again beside the first one's.
    const Fd lock(::openat(parent.get(), lockName().c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    if (!lock.valid() || ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        const std::string reason =
            lock.valid() && errno == EWOULDBLOCK ? "another run of y5mklink is at work" : std::strerror(errno);
        return refuse({"\r\n\r\nLOCK DATA DIRECTORY:  ", parentPath, lockName(), "     RESULT = failure (", reason, ")"});
    }

    struct stat tst {};
    if (::fstatat(parent.get(), kDataFolderName, &tst, AT_SYMLINK_NOFOLLOW) != 0) {
        tst = {};
    } else if (S_ISLNK(tst.st_mode)) {
        return refuse({"\r\n\r\nCREATE DIRECTORY:  ", target, "     RESULT = failure (symbolic link in the path: ", target, ")"});
    } else if (!S_ISDIR(tst.st_mode)) {
        return refuse({"\r\n\r\nCREATE DIRECTORY:  ", target, "     RESULT = failure (", std::strerror(ENOTDIR), ")"});
    }

    struct stat st;
    const bool present = ::lstat(link.c_str(), &st) == 0;
    const bool isLink = present && S_ISLNK(st.st_mode);
    const bool oldFolder = present && S_ISDIR(st.st_mode);

    // What an interrupted run left: a copy still being made is never used; a complete one is used
    // only when its old folder is already backed up, else the old folder is copied afresh.
    for (const std::string& leftover : {stagingName(), readyName()}) {
        if (!exists(parent.get(), leftover) || (leftover == readyName() && !oldFolder)) continue;
        const bool removed = removeTree(parent.get(), leftover);
        log.line({"\r\n\r\nREMOVE UNFINISHED COPY: \"", parentPath, leftover, "\"   RESULT = ", result(removed)});
    }
    bool placed = true;
    if (!oldFolder && exists(parent.get(), readyName())) {
        placed = moveIntoPlace(parent.get(), readyName());
        log.line({"\r\n\r\nMOVE DIRECTORY: \"", parentPath, readyName(), "\" TO: \"", target, "\"   RESULT = ", result(placed)});
    }

    if (oldFolder) {
        const bool copied = copyToStaging(link, parent.get(), tst);
        log.line({"\r\n\r\nCOPY DIRECTORY: \"", link, "\" TO: \"", target, "\"   RESULT = ", result(copied)});
        if (!copied) removeTree(parent.get(), stagingName());
        if (copied) {
            std::string backup;
            const bool renamed = renameToBackup(link, backup);
            log.line({"\r\n\r\nRENAME DIRECTORY: \"", link, "\" TO: \"", backup, "\"   RESULT = ", result(renamed)});
            if (renamed) {
                placed = moveIntoPlace(parent.get(), readyName());
                if (!placed)
                    log.line({"\r\n\r\nMOVE DIRECTORY: \"", parentPath, readyName(), "\" TO: \"", target,
                              "\"   RESULT = failure"});
            } else {
                // The old folder stays in use; its copy would only be found and thrown away later.
                removeTree(parent.get(), readyName());
            }
        }
    }

    // The data folder itself, when nothing was moved in to become it.
    if (::mkdirat(parent.get(), kDataFolderName, 0755) == 0) {
        if (Fd made = openFolderAt(parent.get(), kDataFolderName); made.valid()) ::fchmod(made.get(), 0755);
    }
    const Fd data = openFolderAt(parent.get(), kDataFolderName);

    bool linkFailed = false;
    const char* linkResult = "link already found";
    if (!isLink) {
        // Fails while the old folder is still there, so a failed copy never loses it; and a copy
        // that is not all in place yet gets no link to a data folder that lacks part of it.
        linkFailed = !placed || ::symlink(target.c_str(), link.c_str()) != 0;
        linkResult = result(!linkFailed);
    }
    log.line({"\r\n\r\nCREATE SYMBOLIC LINK: \"", kDataFolderName, "\" ---> \"", target, "\"   RESULT = ", linkResult});

    changeBack();

    // Without the group there is nothing to grant, and that is a failed grant, not a success.
    std::string command;
    bool granted = false;
    if (const group* g = ::getgrnam(env.usersGroup.c_str())) {
        const gid_t gid = g->gr_gid;
        command = permissionCommand(target, g->gr_name);
        const PassOverFn passOver = [&](const std::string& entry, const std::string& reason) {
            log.line({"\r\n\r\nNOT GRANTED: \"", target, "/", entry, "\"   RESULT = skipped (", reason, ")"});
        };
        granted = data.valid() && env.grant && env.grant(data.get(), gid, passOver);
    }
    log.line({"\r\n\r\nEXECUTE COMMAND:  ", command, "     RESULT = ", result(granted)});
    log.line({kEndLine});
    log.close();

    if (!granted) return kChangeDirOrGrantFailed;
    return linkFailed ? kLinkFailed : kDone;
}

}  // namespace mklink

#include "document/transfer_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace transfer {

ReadResult ReadFile(const std::string& path, size_t limit) {
    ReadResult r;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        r.error = errno;
        return r;
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
        if (error) *error = why;
        return false;
    };
    auto injected = [&](WriteStage s) { return hook && hook(s); };

    namespace fs = std::filesystem;
    fs::path target(path);
    fs::path dir = target.parent_path();
    std::string pattern = (dir.empty() ? fs::path(".") : dir).string() + "/." + target.filename().string() + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');

    int fd = injected(WriteStage::CreateTemp) ? -1 : ::mkstemp(name.data());
    if (fd < 0) return fail(path + ": " + std::strerror(errno ? errno : EIO));
    auto abandon = [&](const std::string& why) {
        ::close(fd);
        ::unlink(name.data());
        return fail(why);
    };

    size_t done = 0;
    while (done < bytes.size()) {
        if (injected(WriteStage::Write)) return abandon(path + ": Schreibfehler");
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return abandon(path + ": " + std::strerror(errno));
        }
        done += static_cast<size_t>(n);
    }
    // The new file gets the usual permissions, not mkstemp's private ones.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    if (injected(WriteStage::Sync) || ::fsync(fd) != 0) return abandon(path + ": Schreibfehler beim Sichern");
    ::close(fd);
    if (injected(WriteStage::Rename) || ::rename(name.data(), path.c_str()) != 0) {
        ::unlink(name.data());
        return fail(path + ": Datei kann nicht ersetzt werden");
    }
    return true;
}

}  // namespace transfer

#include "document/stored_block.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "host/project.h"

namespace stored {
namespace {

class ProjectHold : public Hold {
public:
    explicit ProjectHold(host::Project& p) : project_(p) {}
    ~ProjectHold() override {
        if (open_ && host::currentProject() == &project_) project_.release(false);
    }
    bool keep(std::string* why) override {
        open_ = false;
        if (host::currentProject() != &project_) {
            if (why) *why = "das Projekt wurde geschlossen";
            return false;
        }
        if (project_.release(true)) return true;
        if (why) *why = project_.lastError();
        return false;
    }

private:
    host::Project& project_;
    bool open_ = true;
};

class FileHold : public Hold {
public:
    explicit FileHold(int fd) : fd_(fd) {}
    ~FileHold() override { unlock(); }
    bool keep(std::string*) override {
        unlock();
        return true;
    }

private:
    void unlock() {
        if (fd_ < 0) return;
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
    int fd_;
};

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

std::unique_ptr<Hold> HoldProject(host::Project& project, int waitMs, std::string* why) {
    if (project.hold(waitMs)) return std::make_unique<ProjectHold>(project);
    if (why) *why = project.lastError();
    return nullptr;
}

std::unique_ptr<Hold> HoldFile(const std::string& path, int waitMs, std::string* why) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    const std::string folder = parent.empty() ? std::string(".") : parent.string();
    auto fail = [&](const std::string& text) -> std::unique_ptr<Hold> {
        if (why) *why = text;
        return nullptr;
    };
    for (;;) {
        // Non-blocking open: a FIFO in the file's place is not waited on here.
        bool onFolder = false;
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0 && errno == ENOENT) {
            onFolder = true;
            fd = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
        }
        if (fd < 0) {
            const int err = errno;
            return fail((onFolder ? folder : path) + ": " + std::strerror(err));
        }
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            if (err != EWOULDBLOCK && err != EINTR) {
                ::close(fd);
                return fail(path + ": " + std::strerror(err));
            }
            if (Clock::now() >= deadline) {
                ::close(fd);
                return fail(path + ": wird von einem anderen Programm gespeichert");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        // Granted: the path must still name what was locked, else the lock protects nothing.
        struct stat held{}, named{};
        const bool fileThere = ::stat(path.c_str(), &named) == 0;
        const int statError = fileThere ? 0 : errno;
        if (onFolder ? statError == ENOENT : fileThere && ::fstat(fd, &held) == 0 && sameFile(held, named))
            return std::make_unique<FileHold>(fd);
        ::flock(fd, LOCK_UN);
        ::close(fd);
        if (statError != 0 && statError != ENOENT) return fail(path + ": " + std::strerror(statError));
        if (Clock::now() >= deadline) return fail(path + ": wird von einem anderen Programm gespeichert");
    }
}

}  // namespace stored

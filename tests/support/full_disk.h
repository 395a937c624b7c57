#pragma once
// A disk that can fill up under SQLite: while it is full, every write to a project file (and
// to its journal) fails the way a full disk makes it fail, so the messages and clean-up of a
// full disk can be seen without one.
#include <atomic>

struct sqlite3_vfs;

namespace support {

// Becomes the default SQLite file layer for its lifetime; projects opened while it exists
// write through it. Not thread-safe against other tests changing the default layer.
class FullDisk {
public:
    FullDisk();
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    void fill() { full_ = true; }   // from now on no byte more fits
    void clear() { full_ = false; }  // space again
    bool full() const { return full_; }

private:
    sqlite3_vfs* real_ = nullptr;
    std::atomic<bool> full_{false};
};

}  // namespace support

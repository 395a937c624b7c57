#pragma once
// Reading and writing the data transfer file. A write goes to a temporary file beside the file
// it replaces (the target of a symbolic link, not the link) and is renamed over it, so a
// failure at any point leaves the old file; the new file keeps the old one's mode, owner and
// group. A read refuses anything but a regular file instead of waiting on it.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace transfer {

enum class ReadStatus { Ok, CannotOpen, ReadError, NotRegular };

struct ReadResult {
    ReadStatus status = ReadStatus::CannotOpen;
    std::vector<uint8_t> bytes;  // at most the limit
    int error = 0;               // the system's error number when the file could not be opened or read
    std::string why;             // what went wrong, in the words the user is shown; empty when Ok
};

// Reads at most `limit` bytes of the file. A FIFO, device or folder is refused unread.
ReadResult ReadFile(const std::string& path, size_t limit);

// The system's reason for error number `error` as the user is shown it ("keine Berechtigung",
// "der Datenträger ist voll", ...).
std::string Reason(int error);

// The steps of a write; a test hook may stop the write at any of them.
enum class WriteStage { CreateTemp, Write, Sync, Rename };
// 0: go on; otherwise the write fails at this stage with that error number (true, i.e. 1,
// stands for an input/output error).
using FailureHook = std::function<int(WriteStage)>;

// Writes `bytes` to `path` through a temporary file and a rename. False (with `error`, which
// names the file and the reason) when any step fails; the old file is then untouched and the
// temporary file removed. Temporary files of this file left by a store that was killed are
// removed first.
bool WriteFile(const std::string& path, std::span<const uint8_t> bytes, std::string* error = nullptr,
               const FailureHook& hook = {});

// The name prefix of the temporary files a write of the file named `fileName` makes beside it:
// ".~ptp.<fileName>." followed by the writing process's id, a dot and six random characters.
std::string TempPrefix(const std::string& fileName);

}  // namespace transfer

#pragma once
// Reading and writing the data transfer file. A write goes to a temporary file in the same
// folder that is renamed over the old one, so a failure at any point leaves the old file.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace transfer {

enum class ReadStatus { Ok, CannotOpen, ReadError };

struct ReadResult {
    ReadStatus status = ReadStatus::CannotOpen;
    std::vector<uint8_t> bytes;  // at most the limit
    int error = 0;               // the system's error number when the file could not be opened or read
};

// Reads at most `limit` bytes of the file.
ReadResult ReadFile(const std::string& path, size_t limit);

// The steps of a write; a test hook may stop the write at any of them.
enum class WriteStage { CreateTemp, Write, Sync, Rename };
using FailureHook = std::function<bool(WriteStage)>;  // true: fail at this stage

// Writes `bytes` to `path` through a temporary file and a rename. False (with `error`)
// when any step fails; the old file is then untouched and the temporary file removed.
bool WriteFile(const std::string& path, std::span<const uint8_t> bytes, std::string* error = nullptr,
               const FailureHook& hook = {});

}  // namespace transfer

#pragma once
// A folder of its own for a test's files.
#include <filesystem>
#include <string>

namespace support {

// A fresh, empty folder below the system's temporary folder, named after `stem`, the process
// and the running test; removed with everything in it when the object goes.
struct ScratchDir {
    explicit ScratchDir(const std::string& stem);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::filesystem::path operator/(const std::string& name) const { return path / name; }
    std::filesystem::path path;
};

}  // namespace support

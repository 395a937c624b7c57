#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace support {

namespace fs = std::filesystem;

ScratchDir::ScratchDir(const std::string& stem) {
    std::string name = stem + "_" + std::to_string(::getpid());
    if (const auto* test = ::testing::UnitTest::GetInstance()->current_test_info()) name += std::string("_") + test->name();
    path = fs::temp_directory_path() / name;
    fs::remove_all(path);
    fs::create_directories(path);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
}

}  // namespace support

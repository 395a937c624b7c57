// A loadable driver's code, firmware or protocol file: the record chain walked to its end and
// up to a record picked by the input, on the bytes and through the file reader. A matched
// record lies whole inside the file, the walk visits the chain's offsets in order, reads only
// heads inside the file, and both walks agree.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "document/driver_files.h"

namespace fs = std::filesystem;

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

fs::path scratchFile() {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    static const fs::path file = base / ("ptp_fuzz_records_" + std::to_string(::getpid()));
    std::atexit([] {
        std::error_code e;
        fs::remove(file, e);
    });
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // the first byte picks the record to look for: the n-th of the chain (255: none)
    const int wanted = data[0];
    const std::span<const uint8_t> file(data + 1, size - 1);

    uint64_t expectedAt = 0;
    int seen = 0;
    auto read = [&](uint64_t offset, std::span<uint8_t, drv::kRecordHeadSize> out) {
        check(offset == expectedAt);
        check(offset <= file.size() && file.size() - offset >= out.size());
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
        return true;
    };
    auto match = [&](const drv::DriverRecord& r) {
        check(r.offset == expectedAt);
        check(r.offset + r.size() <= file.size());
        check(r.bodyLength == ((file[r.offset + 14] << 8) | file[r.offset + 15]));
        expectedAt += r.size();
        return seen++ == wanted;
    };
    const drv::RecordSearch walked = drv::FindRecord(file.size(), read, match);
    check(walked.result != drv::WalkResult::ReadError);
    if (walked.result == drv::WalkResult::Found) {
        check(seen == wanted + 1);
        check(walked.record.offset + walked.record.size() <= file.size());
    }

    // the same chain through the file reader
    static const fs::path path = scratchFile();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    int again = 0;
    const auto fromFile = drv::FindRecordInFile(path.string(), [&](const drv::DriverRecord&) { return again++ == wanted; });
    check(fromFile.has_value());
    check(fromFile->result == walked.result && again == seen);
    if (walked.result == drv::WalkResult::Found) {
        check(fromFile->record.offset == walked.record.offset && fromFile->record.head == walked.record.head);
        const auto body = drv::ReadRecordBody(path.string(), walked.record.offset, walked.record.bodyLength);
        check(body && body->size() == walked.record.bodyLength);
        check(std::equal(body->begin(), body->end(), file.begin() + static_cast<std::ptrdiff_t>(walked.record.offset + 64)));
    }
    return 0;
}

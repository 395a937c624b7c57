// A loadable driver's description file: any text read for a module pattern taken from the
// input, from memory and from a file; both readings agree, the parts mask follows the types
// and every version read lies in 0..255 (by its type).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "document/driver_files.h"

namespace fs = std::filesystem;

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

fs::path scratchFile() {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    static const fs::path file = base / ("ptp_fuzz_description_" + std::to_string(::getpid()));
    std::atexit([] {
        std::error_code e;
        fs::remove(file, e);
    });
    return file;
}

bool same(const drv::PartDescription& a, const drv::PartDescription& b) {
    return a.type == b.type && a.version == b.version;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // the first byte: how many of the following bytes are the order number
    const size_t orderLength = std::min<size_t>(data[0] % 40, size - 1);
    const std::string_view order(reinterpret_cast<const char*>(data + 1), orderLength);
    const std::string_view text(reinterpret_cast<const char*>(data + 1 + orderLength), size - 1 - orderLength);

    const std::string pattern = drv::ModulePattern(order);
    check(pattern.size() == order.size());
    const drv::Description d = drv::ParseDescription(text, pattern);
    check(d.partsMask == ((d.firmware.type ? 1 : 0) | (d.protocol.type ? 2 : 0) | (d.code.type ? 4 : 0)));
    if (!d.found) check(d.partsMask == 0 && !d.code.version && !d.firmware.version && !d.protocol.version);

    static const fs::path path = scratchFile();
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(text.size()));
    const auto fromFile = drv::ReadDescriptionFile(path.string(), pattern);
    check(fromFile.has_value());
    check(fromFile->found == d.found && fromFile->partsMask == d.partsMask);
    check(same(fromFile->code, d.code) && same(fromFile->firmware, d.firmware) && same(fromFile->protocol, d.protocol));
    return 0;
}

#include "tests/document/driver_fixture.h"

#include <algorithm>
#include <fstream>

namespace drvtest {

std::array<uint8_t, 64> Head(const Rec& r) {
    std::array<uint8_t, 64> h{};
    std::copy_n(r.name.begin(), std::min<size_t>(8, r.name.size()), h.begin());
    h[8] = r.verHi;
    h[9] = r.verLo;
    h[12] = static_cast<uint8_t>(r.type >> 8);
    h[13] = static_cast<uint8_t>(r.type);
    h[14] = static_cast<uint8_t>(r.body >> 8);
    h[15] = static_cast<uint8_t>(r.body);
    for (int i = 0; i < 4; ++i) h[18 + i] = static_cast<uint8_t>(r.hwBits >> (24 - 8 * i));
    std::copy(r.tail.begin(), r.tail.end(), h.begin() + 42);
    h[54] = r.longDriver;
    return h;
}

std::vector<uint8_t> Body(const Rec& r) {
    const size_t n = r.writtenBody == 0xFFFFFFFF ? r.body : r.writtenBody;
    std::vector<uint8_t> b(n);
    const uint8_t seed = static_cast<uint8_t>(r.name[0] + r.name[7] + r.verLo + r.type);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i);
    return b;
}

void WriteDriverFile(const std::filesystem::path& file, const std::vector<Rec>& records) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const Rec& r : records) {
        const auto h = Head(r);
        const auto b = Body(r);
        out.write(reinterpret_cast<const char*>(h.data()), static_cast<std::streamsize>(h.size()));
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int Install(AppSettings& app, const std::filesystem::path& folder, const Package& p) {
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    app.driverFolder = folder.string() + "/";
    InstalledDriver d;
    d.displayName = p.displayName;
    d.library = "testdrvA.so";
    d.codeFile = "DRVCODE0.KPC";
    d.firmwareFile = "DRVFIRM0.SCC";
    d.protocolFile = "DRVPROT0.PTP";
    d.texts = p.texts;
    WriteDriverFile(folder / d.codeFile, p.code);
    WriteDriverFile(folder / d.firmwareFile, p.firmware);
    WriteDriverFile(folder / d.protocolFile, p.protocol);
    if (!p.description.empty()) {
        d.descriptionFile = "DRVDESC0.CPZ";
        std::ofstream(folder / d.descriptionFile, std::ios::binary | std::ios::trunc) << p.description;
    }
    if (p.library) fs::copy_file(PTP_TEST_DRIVER_LIBRARY, folder / d.library, fs::copy_options::overwrite_existing);
    app.drivers.push_back(d);
    return static_cast<int>(app.drivers.size()) - 1;
}

}  // namespace drvtest

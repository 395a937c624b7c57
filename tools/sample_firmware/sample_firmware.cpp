#include "tools/sample_firmware/sample_firmware.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace samplefw {

std::vector<std::uint8_t> MakeImage(std::size_t size) {
    std::vector<std::uint8_t> image(size);
    std::uint32_t x = 0x2545F491u;
    for (auto& b : image) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    return image;
}

std::string HeaderText(const Options& o) {
    return "; firmware update set\r\n[BG_ABL]\r\nfile_name_1=bg_abl\r\n\r\n[komp_1]\r\nfile_name_1=" + o.imageName + "\r\n";
}

std::string DescriptionText(const Options& o) {
    const int declared = o.declaredEntries < 0 ? static_cast<int>(o.entries.size()) : o.declaredEntries;
    std::string t = "[bg_abl]\r\nkomp_name=bg_abl\r\nanzahl_einträge=" + std::to_string(declared) +
                    "\r\nstrukturselektor=" + std::to_string(o.structureSelector) + "\r\n\r\n[n_Einträge]\r\n";
    for (std::size_t i = 0; i < o.entries.size(); ++i) {
        const std::string k = std::to_string(i + 1);
        t += "ablaufkennung_" + k + "=" + std::to_string(o.entries[i].sequence) + "\r\n";
        t += "mlfb_" + k + "=" + o.entries[i].orderNo + "\r\n";
        t += "version_stand_" + k + "=" + o.entries[i].version + "\r\n";
    }
    if (o.diagnostics) t += "\r\n[test]\r\nDS_Ablauf_Info=1\r\n";
    return t;
}

bool WriteUpdateSet(const std::string& folder, const Options& o, std::string* problem) {
    const auto image = MakeImage(o.size);
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    struct File {
        std::string name;
        std::string bytes;
    } files[] = {
        {"header.upd", HeaderText(o)},
        {"bg_abl.upd", DescriptionText(o)},
        {o.imageName + ".upd", std::string(image.begin(), image.end())},
    };
    for (const auto& f : files) {
        std::ofstream out(base + f.name, std::ios::binary | std::ios::trunc);
        if (!out.write(f.bytes.data(), static_cast<std::streamsize>(f.bytes.size())) || !out.flush()) {
            if (problem) *problem = base + f.name + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

}  // namespace samplefw

#include "document/driver_table.h"

#include <algorithm>
#include <filesystem>

namespace drv {
namespace {

constexpr auto kMachine = host::Hive::LocalMachine;
const std::string kApplications = "Software\\Quenral\\QORB4\\2.0\\Applications\\";

// A registry folder name with '/' between its parts and one at its end.
std::string folderName(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

}  // namespace

std::string DriverKey(host::Registry& r) {
    const std::string extended = kApplications + "vemtrox";
    if (r.keyExists(kMachine, extended) && r.keyExists(kMachine, extended + "\\Y5Driver")) return extended + "\\Y5Driver";
    for (const char* key : {"vemtro\\Y5Driver", "vemtro\\Driver"})
        if (r.keyExists(kMachine, kApplications + key)) return kApplications + key;
    return {};
}

bool TextsFlag(std::string_view value) { return value.find_first_of("yYjJ") != std::string_view::npos; }

std::string LibraryFileName(const std::string& value, const std::string& extension, const std::string& folder) {
    std::string name = value;
    if (const auto at = name.find("x."); at != std::string::npos) name.replace(at, 2, extension + ".");
    std::error_code ec;
    if (!std::filesystem::exists(folder + name, ec) && name.size() >= 8) name[7] = 'B';
    return name;
}

InstalledDrivers ReadInstalledDrivers(host::Registry& r, const std::string& installPath, const std::string& extension) {
    InstalledDrivers out;
    const std::string key = DriverKey(r);
    out.folder = installPath + (key.empty() ? std::string(kDefaultSubPath)
                                            : folderName(r.read(kMachine, key, "SubPath").value_or(kDefaultSubPath)));
    if (key.empty()) return out;
    for (const std::string& sub : r.subKeys(kMachine, key)) {
        const std::string at = key + "\\" + sub;
        auto value = [&](const std::string& name) { return r.read(kMachine, at, name).value_or(""); };
        InstalledDriver d;
        d.displayName = value("Name_" + extension);
        // A driver without a name in this language cannot be offered in the protocol list.
        if (d.displayName.empty()) continue;
        d.library = LibraryFileName(value("DLL"), extension, out.folder);
        d.codeFile = value("KP");
        d.firmwareFile = value("SCC");
        d.protocolFile = value("PTP");
        d.descriptionFile = value("CPZ");
        d.texts = TextsFlag(value("Texte"));
        out.drivers.push_back(std::move(d));
    }
    return out;
}

}  // namespace drv

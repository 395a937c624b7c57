#include "app/configuration.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "resources/strings.h"

namespace config {
namespace {

const char* kGeneral = "Software\\Quenral\\QORB4\\2.0\\General\\";
const char* kVirtualStore = "Software\\Classes\\VirtualStore\\MACHINE\\";
const char* kProgram = "Software\\Quenral\\QORB4\\2.0\\Applications\\vemtro";

// The three places of a language value, each tried only while the earlier ones failed.
std::optional<std::string> readLanguageValue(host::Registry& r, const std::string& sub, const std::string& value) {
    const std::string key = std::string(kGeneral) + sub;
    if (auto v = r.read(host::Hive::CurrentUser, key, value)) return v;
    if (auto v = r.read(host::Hive::CurrentUser, std::string(kVirtualStore) + key, value)) return v;
    return r.read(host::Hive::LocalMachine, key, value);
}

void replaceFirst(std::string& s, const std::string& what, const std::string& with) {
    if (auto at = s.find(what); at != std::string::npos) s.replace(at, what.size(), with);
}

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

std::string ProgramFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    // Without it there is no safe relative place; the root folder is none a user can write.
    return ec || exe.parent_path().empty() ? std::string() : exe.parent_path().string();
}

std::string UpToComma(const std::string& text) { return text.substr(0, text.find(',')); }

int HostNewFeatures(const std::string& v, const std::string& technical) {
    const auto point = v.find('.');
    const std::string major = point == std::string::npos ? std::string() : v.substr(0, point);
    if (major == "4") return 0;
    if (major == "5") {
        const size_t k = major.size();
        const bool zeros = v.size() >= k && std::all_of(v.end() - static_cast<long>(k), v.end(), [](char c) { return c == '0'; });
        if (zeros) {
            // the third point-separated number of the technical version, 0 when missing
            int part = 0, third = 0;
            size_t start = 0;
            while (part < 2 && start != std::string::npos) {
                start = technical.find('.', start);
                if (start != std::string::npos) ++start;
                ++part;
            }
            if (start != std::string::npos && start < technical.size()) third = std::atoi(technical.c_str() + start);
            return third >= 2 ? 1 : 0;
        }
    }
    return 1;
}

Result Configure(host::Registry& r, const std::string& executableName, const LibraryLoader& load) {
    Result out;
    AppSettings& s = out.settings;
    using host::Hive;

    out.languageName = readLanguageValue(r, "Languages", "Current").value_or("");
    std::string extension = readLanguageValue(r, "LangExtensions", out.languageName).value_or("B");
    if (extension.empty() || extension[0] < 'A' || extension[0] > 'E') extension = "B";
    s.language = extension[0];

    const std::string hostDir = r.read(Hive::LocalMachine, "Software\\Quenral\\QORB4\\2.0\\General\\Paths", "QORB4_Dir").value_or(".");
    std::string subPath = r.read(Hive::LocalMachine, kProgram, "SubPath").value_or("/");
    std::replace(subPath.begin(), subPath.end(), '\\', '/');
    s.installPath = hostDir + subPath;
    // A relative place (the default "." among them) is the program's own folder, never the
    // folder the program was started in: whoever can write there must not get code loaded.
    if (s.installPath.empty() || s.installPath.front() != '/') s.installPath = ProgramFolder() + "/" + s.installPath;
    if (s.installPath.back() != '/') s.installPath += '/';

    s.releaseVersion = UpToComma(r.read(Hive::LocalMachine, kProgram, "ReleaseVersion").value_or("0.0"));
    s.versionString = r.read(Hive::LocalMachine, "Software\\Quenral\\AUTSW\\CPPARL", "VersionString").value_or("V5.0");
    const std::string hostVersion = UpToComma(r.read(Hive::LocalMachine, "Software\\Quenral\\AUTSW\\QORB4", "Version").value_or("4.0"));
    const std::string technical =
        UpToComma(r.read(Hive::LocalMachine, "Software\\Quenral\\AUTSW\\QORB4", "TechnVersion").value_or("5.0.0"));
    s.hostNewFeatures = HostNewFeatures(hostVersion, technical);

    // N: the program name without extension, lower case, its first "x" replaced by the extension.
    std::string n = lower(executableName.substr(0, executableName.find('.')));
    replaceFirst(n, "x", extension);
    out.triedLibraries.push_back(s.installPath + n + ".so");
    out.languageLibrary = load ? load(out.triedLibraries.back()) : nullptr;
    if (out.languageLibrary) {
        out.languageLibraryPath = out.triedLibraries.back();
    } else {
        out.triedLibraries.push_back(s.installPath + "vemtro" + "_b.so");
        out.languageLibrary = load ? load(out.triedLibraries.back()) : nullptr;
        if (out.languageLibrary) {
            out.languageLibraryPath = out.triedLibraries.back();
            if (n.size() >= 8) n[7] = 'B';
        }
    }
    out.baseName = n;

    std::string help = n;
    s.help730 = s.installPath + help + ".html";
    replaceFirst(help, "_", "1");
    s.help831 = s.installPath + help + ".html";
    replaceFirst(help, "1", "2");
    s.help731 = s.installPath + help + ".html";
    replaceFirst(help, "2", "3");
    s.help830 = s.installPath + help + ".html";
    s.currentHelp = s.help730;

    InstalledDrivers drivers = drv::ReadInstalledDrivers(r, s.installPath, extension);
    s.driverFolder = std::move(drivers.folder);
    s.drivers = std::move(drivers.drivers);
    return out;
}

void* LoadLanguageLibrary(const std::string& path) {
    void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) return nullptr;
    using TableFn = const res::StringEntry* (*)(size_t*);
    auto table = reinterpret_cast<TableFn>(::dlsym(h, "vemtro_string_table"));
    size_t count = 0;
    const res::StringEntry* entries = table ? table(&count) : nullptr;
    if (!entries) {
        ::dlclose(h);
        return nullptr;
    }
    res::setLanguageTable(entries, count);
    return h;
}

void FreeLanguageLibrary(void* handle) {
    if (!handle) return;
    res::setLanguageTable(nullptr, 0);
    ::dlclose(handle);
}

}  // namespace config

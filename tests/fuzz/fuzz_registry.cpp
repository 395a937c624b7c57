// The registry values the program reads: two INI files of any content (the machine file,
// then the user file, split where the first byte says) read through the host registry by
// the program's configuration. Every value it hands on is at most 255 characters, and the
// configuration always ends with a language A to E, an installation folder ending in '/'
// and language libraries named below it, and with the installed loadable drivers.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/configuration.h"
#include "host/registry.h"

namespace fs = std::filesystem;

namespace {

// Memory-backed when there is such a folder: a store syncs what it writes.
fs::path scratchBase() {
    std::error_code ec;
    return fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
}

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// Passes every read on and checks what comes back.
struct Checked : host::Registry {
    host::Registry& inner;
    explicit Checked(host::Registry& r) : inner(r) {}
    std::optional<std::string> read(host::Hive h, const std::string& k, const std::string& v) override {
        auto text = inner.read(h, k, v);
        check(!text || text->size() <= 255);
        return text;
    }
    bool write(host::Hive, const std::string&, const std::string&, const std::string&) override { return false; }
    bool keyExists(host::Hive h, const std::string& k) override { return inner.keyExists(h, k); }
    std::vector<std::string> subKeys(host::Hive h, const std::string& k) override { return inner.subKeys(h, k); }
};

void put(const fs::path& file, const uint8_t* data, size_t size) {
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // a folder of its own for every input: the INI reader keeps what it read of a file
    static const fs::path base = [] {
        static fs::path made = scratchBase() / ("ptp_fuzz_registry_" + std::to_string(::getpid()));
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(made, ec);
        });
        return made;
    }();
    static unsigned long serial = 0;
    const fs::path dir = base / std::to_string(serial++);
    fs::create_directories(dir);
    const size_t split = std::min<size_t>(size - 1, (size - 1) * data[0] / 255);
    put(dir / "hklm.ini", data + 1, split);
    put(dir / "hkcu.ini", data + 1 + split, size - 1 - split);
    ::setenv("QORB4_REGISTRY", dir.c_str(), 1);

    host::IniRegistry ini;
    Checked registry(ini);
    // the first library loads when the first byte is odd, else the second, or none
    const bool first = data[0] & 1, second = data[0] & 2;
    int calls = 0;
    const auto result = config::Configure(registry, "vemtro_x", [&](const std::string& path) -> void* {
        check(path.size() > 3 && path.compare(path.size() - 3, 3, ".so") == 0);
        ++calls;
        return (calls == 1 ? first : second) ? reinterpret_cast<void*>(1) : nullptr;
    });
    const AppSettings& s = result.settings;
    check(s.language >= 'A' && s.language <= 'E');
    check(!s.installPath.empty() && s.installPath.back() == '/');
    check(!result.triedLibraries.empty() && result.triedLibraries.size() <= 2);
    check((result.languageLibrary != nullptr) == !result.languageLibraryPath.empty());
    check(s.hostNewFeatures == 0 || s.hostNewFeatures == 1);
    check(!s.help730.empty() && s.currentHelp == s.help730);
    // the installed drivers: a folder below the installation folder, each driver with a name
    check(s.driverFolder.rfind(s.installPath, 0) == 0 && s.driverFolder.back() == '/');
    for (const auto& d : s.drivers) check(!d.displayName.empty() && d.displayName.size() <= 255);
    fs::remove_all(dir);
    return 0;
}

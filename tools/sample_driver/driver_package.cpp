#include "tools/sample_driver/driver_package.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace driverpkg {
namespace {

const char* kUsage =
    "Aufruf:\n"
    "  ptp_make_driver ORDNER [OPTIONEN]\n"
    "      schreibt die Dateien des Beispieltreibers in ORDNER: SAMPLDRV.KPC (Treibercode), SAMPLDRV.SCC (Firmware),\n"
    "      SAMPLDRV.PTP (Protokollteil), SAMPLDRV.CPZ (Beschreibung)\n"
    "  ptp_make_driver --install TREIBERORDNER [--registry REGISTRIERUNG] [OPTIONEN]\n"
    "      schreibt die Dateien in TREIBERORDNER, kopiert die Treiberbibliothek dorthin (sampdrvA.so,\n"
    "      sampdrvB.so) und trägt den Treiber \"Beispieltreiber\" in die Registrierung ein (hklm.ini im\n"
    "      Ordner REGISTRIERUNG, Vorgabe: der Ordner aus QORB4_REGISTRY)\n"
    "\n"
    "Optionen:\n"
    "  --module BESTELLNUMMER  ein Abschnitt der Beschreibung für diese Baugruppe (CP 731 oder CP 831-2);\n"
    "                          mehrfach erlaubt; Vorgabe 9QX4-731-1KE02-0AB0 und 9QX4-831-2KK02\n"
    "  --code-length N         Länge des Treibercodes je Satz (0 bis 65535, Vorgabe 1000)\n"
    "  --firmware-length N     Länge der Firmware je Satz (Vorgabe 300)\n"
    "  --protocol-length N     Länge des Protokollteils (Vorgabe 200)\n"
    "  --long                  ein überlanger Treiber (nur auf Schnittstelle 1)\n"
    "  --no-texts              ein Treiber ohne Meldetexte und Druckerausgabe\n"
    "  --no-description        keine Beschreibungsdatei (die Teile werden nach der Hardware gewählt)\n"
    "  --library DATEI         die Treiberbibliothek (Vorgabe: sampdrvA.so neben ptp_make_driver)\n"
    "\n"
    "Exit-Codes: 0 erledigt, 1 Fehler (Meldung auf der Standardfehlerausgabe).\n";

// A module that runs loadable drivers, as the package serves it.
struct Family {
    const char* module;
    uint32_t hwBits;
    uint16_t codeType, firmwareType;
    const char *codeName, *firmwareName;
};
constexpr Family kCp731{"CP 731", 256, 0x5301, 0x5311, "SAMPK731", "SAMPF731"};
constexpr Family kCp8312{"CP 831-2", 2, 0x5302, 0x5312, "SAMPK831", "SAMPF831"};
constexpr uint16_t kProtocolType = 0x5320;
constexpr uint8_t kCodeVer[2] = {1, 2}, kFirmwareVer[2] = {1, 0}, kProtocolVer[2] = {1, 1};

std::string upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

const Family* familyOf(const std::string& orderNo) {
    const std::string u = upper(orderNo);
    for (const char* v : {"831-2KK02", "831-2KK03", "831-2KK04", "831-2KK05"})
        if (u.find(v) != std::string::npos) return &kCp8312;
    if (u.find("731-1") != std::string::npos) return &kCp731;
    return nullptr;
}

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// A body that differs from record to record and from byte to byte.
std::vector<uint8_t> body(const Record& r) {
    uint32_t seed = r.type;
    for (char c : r.name) seed = seed * 31 + static_cast<unsigned char>(c);
    std::vector<uint8_t> b(r.bodyLength);
    for (auto& x : b) {
        seed = seed * 1103515245u + 12345u;
        x = static_cast<uint8_t>(seed >> 16);
    }
    return b;
}

void writeAtomically(const fs::path& target, const void* data, size_t size, fs::perms perms) {
    const fs::path temp = target.parent_path() / ("." + target.filename().string() + ".neu-" + std::to_string(::getpid()));
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        f.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        f.close();
        if (!f) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            throw std::runtime_error(target.string() + " kann nicht geschrieben werden");
        }
    }
    std::error_code ec;
    fs::permissions(temp, perms, ec);
    if (!ec) fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw std::runtime_error(target.string() + " kann nicht geschrieben werden: " + ec.message());
    }
}

std::string versionText(const uint8_t (&v)[2]) { return std::to_string(v[0]) + "." + std::to_string(v[1]); }

std::string hex(uint16_t v) {
    char b[8];
    std::snprintf(b, sizeof b, "%X", v);
    return b;
}

}  // namespace

std::string ModulePattern(const std::string& orderNo) {
    std::string p = upper(orderNo);
    if (auto blank = p.find(' '); blank != std::string::npos) p[blank] = '_';
    for (int i = 0; i < 2; ++i)
        if (auto hyphen = p.find('-'); hyphen != std::string::npos) p[hyphen] = '_';
    if (auto at = p.find("831_2KK0"); at != std::string::npos && at + 8 < p.size() && p[at + 8] > '2') p[at + 8] = '2';
    return p;
}

std::vector<Record> CodeRecords(const Options& o) {
    // The CP 831-2 record comes first, so that a CP 731 is only found by walking on.
    std::vector<Record> r;
    for (const Family* f : {&kCp8312, &kCp731})
        r.push_back({f->codeName, kCodeVer[0], kCodeVer[1], f->codeType, f->hwBits, o.codeLength, o.longDriver, 42});
    return r;
}

std::vector<Record> FirmwareRecords(const Options& o) {
    std::vector<Record> r;
    for (const Family* f : {&kCp731, &kCp8312})
        r.push_back({f->firmwareName, kFirmwareVer[0], kFirmwareVer[1], f->firmwareType, f->hwBits, o.firmwareLength,
                     false, 50});
    return r;
}

std::vector<Record> ProtocolRecords(const Options& o) {
    return {{"SAMPP001", kProtocolVer[0], kProtocolVer[1], kProtocolType, kCp731.hwBits | kCp8312.hwBits,
             o.protocolLength, false, 46}};
}

std::vector<uint8_t> BuildRecordFile(const std::vector<Record>& records) {
    std::vector<uint8_t> out;
    for (const Record& r : records) {
        std::vector<uint8_t> head(64, 0);
        for (size_t i = 0; i < 8; ++i) head[i] = i < r.name.size() ? static_cast<uint8_t>(r.name[i]) : ' ';
        head[8] = r.verHi;
        head[9] = r.verLo;
        put16(head, 12, r.type);
        put16(head, 14, r.bodyLength);
        put32(head, 18, r.hwBits);
        const std::vector<uint8_t> b = body(r);
        if (r.checksumAt >= 0) {
            uint32_t sum = 0;
            for (uint8_t x : b) sum += x;
            put32(head, static_cast<size_t>(r.checksumAt), sum);
        }
        head[54] = r.longDriver ? 1 : 0;
        out.insert(out.end(), head.begin(), head.end());
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

std::string BuildDescription(const Options& o) {
    std::string text =
        "; Beispieltreiber: Typen und Versionen der Treiberteile je Baugruppe\n"
        "; (ein Beispielpaket zum Testen und Zeigen)\n";
    std::vector<std::string> done;
    for (const std::string& order : o.orderNumbers) {
        const Family* f = familyOf(order);
        if (!f) throw std::invalid_argument("\"" + order + "\" ist keine Bestellnummer eines CP 731 oder CP 831-2");
        const std::string pattern = ModulePattern(order);
        if (std::ranges::find(done, pattern) != done.end()) continue;
        done.push_back(pattern);
        text += "[" + pattern + "]\n";
        text += "KP_TYP=" + hex(f->codeType) + "\n";
        text += "KP_VERS=" + versionText(kCodeVer) + "\n";
        text += "SCC_TYP=" + hex(f->firmwareType) + "\n";
        text += "SCC_VERS=" + versionText(kFirmwareVer) + "\n";
        text += "PTP_TYP=" + hex(kProtocolType) + "\n";
        text += "PTP_VERS=" + versionText(kProtocolVer) + "\n";
    }
    return text;
}

std::vector<std::string> WritePackage(const fs::path& folder, const Options& o) {
    constexpr auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read;
    const std::string description = o.description ? BuildDescription(o) : std::string();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder)) throw std::runtime_error("Ordner " + folder.string() + " kann nicht angelegt werden");
    std::vector<std::string> names;
    const std::pair<const char*, std::vector<Record>> files[] = {
        {kCodeFile, CodeRecords(o)}, {kFirmwareFile, FirmwareRecords(o)}, {kProtocolFile, ProtocolRecords(o)}};
    for (const auto& [name, records] : files) {
        const std::vector<uint8_t> bytes = BuildRecordFile(records);
        writeAtomically(folder / name, bytes.data(), bytes.size(), perms);
        names.push_back(name);
    }
    if (o.description) {
        writeAtomically(folder / kDescriptionFile, description.data(), description.size(), perms);
        names.push_back(kDescriptionFile);
    }
    return names;
}

Installed Install(const fs::path& driverFolder, const fs::path& library, host::Registry& registry, const Options& o) {
    using host::Hive;
    Installed result;
    const fs::path folder = fs::absolute(driverFolder).lexically_normal();
    std::ifstream in(library, std::ios::binary);
    const std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) throw std::runtime_error("Treiberbibliothek " + library.string() + " kann nicht gelesen werden");
    if (image.empty()) throw std::runtime_error("Treiberbibliothek " + library.string() + " fehlt");
    result.files = WritePackage(folder, o);
    for (const char* name : {"sampdrvA.so", "sampdrvB.so"}) {
        writeAtomically(folder / name, image.data(), image.size(),
                        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                            fs::perms::others_exec);
        result.files.push_back(name);
    }

    // The installation folder as the program finds it: the host folder and the program's
    // SubPath. Without a host folder in the registry the driver folder's parent stands for it.
    fs::path install = folder.parent_path();
    if (auto hostDir = registry.read(Hive::LocalMachine, "Software\\Quenral\\QORB4\\2.0\\General\\Paths", "QORB4_Dir")) {
        std::string sub = registry.read(Hive::LocalMachine, "Software\\Quenral\\QORB4\\2.0\\Applications\\vemtro", "SubPath")
                              .value_or("/");
        std::replace(sub.begin(), sub.end(), '\\', '/');
        install = fs::absolute(*hostDir + sub).lexically_normal();
    }
    std::string sub = folder.lexically_relative(install).generic_string();
    if (sub.empty() || sub == ".") sub = ".";
    result.subPath = sub + "/";

    // The driver's own sub-key: the one that already names this driver, else the first free one.
    const std::string nameValue = "Name_A";
    std::string key;
    for (int n = 0; n < 1000 && key.empty(); ++n) {
        const std::string k = std::string(kDriverKey) + "\\" + std::to_string(n);
        const auto name = registry.read(Hive::LocalMachine, k, nameValue);
        if (name && *name == kDisplayName) key = k;
    }
    for (int n = 0; n < 1000 && key.empty(); ++n) {
        const std::string k = std::string(kDriverKey) + "\\" + std::to_string(n);
        if (!registry.read(Hive::LocalMachine, k, nameValue) && !registry.read(Hive::LocalMachine, k, "DLL")) key = k;
    }
    if (key.empty()) throw std::runtime_error("kein freier Schlüssel unter " + std::string(kDriverKey));
    result.key = key;

    const std::pair<std::string, std::string> values[] = {
        {"Name_A", kDisplayName},
        {"Name_B", "Sample driver"},
        {"Name_C", "Sample driver"},
        {"Name_D", "Sample driver"},
        {"Name_E", "Sample driver"},
        {"DLL", kLibraryValue},
        {"KP", kCodeFile},
        {"SCC", kFirmwareFile},
        {"PTP", kProtocolFile},
        {"CPZ", o.description ? kDescriptionFile : ""},
        {"Texte", o.texts ? "Ja" : "Nein"},
    };
    bool ok = true;
    for (const auto& [value, data] : values) ok = ok && registry.write(Hive::LocalMachine, key, value, data);
    ok = ok && registry.write(Hive::LocalMachine, kDriverKey, "SubPath", result.subPath);
    if (!ok) throw std::runtime_error("die Registrierung kann nicht geschrieben werden");
    return result;
}

namespace {

struct Usage {
    std::string text;
};

uint16_t length(const std::string& option, const std::string& text) {
    unsigned v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v > 65535)
        throw Usage{"--" + option + ": \"" + text + "\" ist keine Länge von 0 bis 65535"};
    return static_cast<uint16_t>(v);
}

}  // namespace

int Run(const std::vector<std::string>& args, std::string& out, std::string& err, const std::string& self) {
    Options o;
    std::vector<std::string> positional, modules;
    std::map<std::string, std::string> values;
    try {
        for (size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a == "--help" || a == "-h") {
                out += kUsage;
                return 0;
            }
            if (a.rfind("--", 0) != 0) {
                positional.push_back(a);
                continue;
            }
            const std::string key = a.substr(2);
            if (key == "long") o.longDriver = true;
            else if (key == "no-texts") o.texts = false;
            else if (key == "no-description") o.description = false;
            else if (key == "module" || key == "code-length" || key == "firmware-length" || key == "protocol-length" ||
                     key == "library" || key == "install" || key == "registry") {
                if (i + 1 >= args.size()) throw Usage{"Wert fehlt für --" + key};
                if (key == "module") modules.push_back(args[++i]);
                else values[key] = args[++i];
            } else {
                throw Usage{"unbekannte Option --" + key};
            }
        }
        if (!modules.empty()) o.orderNumbers = modules;
        if (values.count("code-length")) o.codeLength = length("code-length", values["code-length"]);
        if (values.count("firmware-length")) o.firmwareLength = length("firmware-length", values["firmware-length"]);
        if (values.count("protocol-length")) o.protocolLength = length("protocol-length", values["protocol-length"]);
        const bool install = values.count("install") != 0;
        if (install ? !positional.empty() : positional.size() != 1)
            throw Usage{install ? "zu --install gehört kein ORDNER" : "ORDNER erwartet"};
        if (!install && (values.count("registry") || values.count("library")))
            throw Usage{"--registry und --library gehören zu --install"};
        for (const auto& order : o.orderNumbers)
            if (!familyOf(order)) throw Usage{"--module: \"" + order + "\" ist keine Bestellnummer eines CP 731 oder CP 831-2"};

        if (!install) {
            for (const auto& name : WritePackage(positional[0], o)) out += (fs::path(positional[0]) / name).string() + "\n";
            return 0;
        }
        if (values.count("registry")) ::setenv("QORB4_REGISTRY", values["registry"].c_str(), 1);
        const char* regdir = std::getenv("QORB4_REGISTRY");
        if (!regdir || !*regdir) throw Usage{"--registry fehlt und QORB4_REGISTRY ist nicht gesetzt"};
        fs::path library = values.count("library") ? fs::path(values["library"]) : fs::path();
        if (library.empty()) {
            std::error_code ec;
            fs::path program = fs::read_symlink("/proc/self/exe", ec);
            if (ec && !self.empty()) program = fs::absolute(self);
            library = program.parent_path() / kBuiltLibrary;
        }
        host::IniRegistry registry;
        const Installed done = Install(values["install"], library, registry, o);
        const fs::path folder = fs::absolute(values["install"]).lexically_normal();
        for (const auto& name : done.files) out += (folder / name).string() + "\n";
        out += "Registrierung " + registry.file(host::Hive::LocalMachine) + ": " + done.key + " (" + kDisplayName +
               "), SubPath " + done.subPath + "\n";
        return 0;
    } catch (const Usage& u) {
        err += "ptp_make_driver: " + u.text + "\n" + kUsage;
    } catch (const std::exception& e) {
        err += std::string("ptp_make_driver: ") + e.what() + "\n";
    }
    return 1;
}

}  // namespace driverpkg

// The sample driver package: its files read as the installation check reads them, its
// library's exports, and its installation into a driver folder and the registry.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "document/driver_abi.h"
#include "document/driver_table.h"
#include "document/ptp_doc.h"
#include "host/registry.h"
#include "sdb/driver_image.h"
#include "view/driver_properties.h"
#include "tests/support/memory_project.h"
#include "tests/support/message_recorder.h"
#include "tests/support/scratch_dir.h"
#include "tools/sample_driver/driver_package.h"

namespace fs = std::filesystem;
using driverpkg::Options;

namespace {

std::vector<uint8_t> readBytes(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string readText(const fs::path& p) {
    std::ifstream f(p);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

uint16_t be16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] << 8 | b[at + 1]); }
uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// One record as the check sees it: its head read at byte positions, and where it lies.
struct Walked {
    std::string name;
    uint8_t verHi, verLo;
    uint16_t type, bodyLength;
    uint32_t hwBits;
    uint8_t longFlag;
    size_t offset;
    uint32_t bodySum;
};

// Walks a driver file record by record (next record at offset + 64 + body length). nullopt
// when a head or a body runs past the end of the file.
std::optional<std::vector<Walked>> walk(const std::vector<uint8_t>& f) {
    std::vector<Walked> out;
    size_t at = 0;
    while (at < f.size()) {
        if (at + 64 > f.size()) return std::nullopt;
        Walked w{std::string(f.begin() + at, f.begin() + at + 8), f[at + 8], f[at + 9], be16(f, at + 12), be16(f, at + 14),
                 be32(f, at + 18), f[at + 54], at, 0};
        if (at + 64 + w.bodyLength > f.size()) return std::nullopt;
        for (size_t i = 0; i < w.bodyLength; ++i) w.bodySum += f[at + 64 + i];
        // what the program's own descriptor reader makes of the same head
        const auto son = sdb::ReadSon(std::span<const uint8_t>(f).subspan(at, 64));
        EXPECT_TRUE(son);
        if (son) {
            EXPECT_EQ(std::string(son->achName.begin(), son->achName.end()), w.name);
            EXPECT_EQ(son->wType, w.type);
            EXPECT_EQ(son->wBodyLen, w.bodyLength);
            EXPECT_EQ(son->dwHwBits, w.hwBits);
            EXPECT_EQ(son->abyBytes[0], w.longFlag);
        }
        out.push_back(w);
        at += 64 + w.bodyLength;
    }
    return out;
}

// The entries of a description file's section, read as the check reads them: the section
// starts at a line containing the pattern (upper case) and ends before a line beginning with "[".
struct Section {
    std::map<std::string, std::string> values;
};
std::optional<Section> readSection(const std::string& text, const std::string& pattern) {
    std::istringstream in(text);
    std::string line;
    bool inside = false;
    Section s;
    while (std::getline(in, line)) {
        for (auto& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (inside) {
            if (!line.empty() && line[0] == '[') break;
            for (const char* key : {"KP_TYP", "KP_VERS", "SCC_TYP", "SCC_VERS", "PTP_TYP", "PTP_VERS"})
                if (line.find(key) != std::string::npos && line.find('=') != std::string::npos)
                    s.values[key] = line.substr(line.find('=') + 1);
        } else if (line.find(pattern) != std::string::npos) {
            inside = true;
        }
    }
    if (!inside) return std::nullopt;
    return s;
}

unsigned hexValue(const std::string& t) {
    unsigned v = 0;
    EXPECT_EQ(std::sscanf(t.c_str(), "%x", &v), 1) << t;
    return v;
}
std::pair<int, int> version(const std::string& t) {
    int hi = -1, lo = -1;
    EXPECT_EQ(std::sscanf(t.c_str(), " %d.%d ", &hi, &lo), 2) << t;
    return {hi, lo};
}

struct Package : ::testing::Test {
    support::ScratchDir dir{"sample_driver"};
    std::vector<Walked> records(const fs::path& folder, const char* file) {
        auto w = walk(readBytes(folder / file));
        EXPECT_TRUE(w) << file << ": a record runs past the end of the file";
        return w.value_or(std::vector<Walked>{});
    }
};

}  // namespace

TEST_F(Package, RecordsWalkToTheEndOfEachFile) {
    struct Case {
        const char* what;
        Options o;
    };
    Options shortBodies;
    shortBodies.codeLength = 0;
    shortBodies.firmwareLength = 1;
    shortBodies.protocolLength = 16;
    Options longest;
    longest.codeLength = longest.firmwareLength = longest.protocolLength = 65535;
    Options longDriver;
    longDriver.longDriver = true;
    const Case cases[] = {{"defaults", Options{}}, {"short bodies", shortBodies}, {"65535-byte bodies", longest},
                          {"long driver", longDriver}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path folder = dir / c.what;
        const auto written = driverpkg::WritePackage(folder, c.o);
        ASSERT_EQ(written.size(), 4u);
        for (const auto& name : written) {
            EXPECT_EQ(name.size(), 12u) << name;
            EXPECT_EQ(name[8], '.') << name;
        }
        const std::pair<const char*, uint16_t> files[] = {{driverpkg::kCodeFile, c.o.codeLength},
                                                          {driverpkg::kFirmwareFile, c.o.firmwareLength},
                                                          {driverpkg::kProtocolFile, c.o.protocolLength}};
        for (const auto& [file, length] : files) {
            const auto rs = records(folder, file);
            ASSERT_FALSE(rs.empty()) << file;
            for (const auto& r : rs) {
                EXPECT_EQ(r.bodyLength, length) << file << " " << r.name;
                EXPECT_NE(r.type, 0) << r.name;
                EXPECT_TRUE(std::all_of(r.name.begin(), r.name.end(), [](char ch) { return std::isprint(ch); }))
                    << r.name;
                EXPECT_EQ(r.longFlag, file == std::string(driverpkg::kCodeFile) && c.o.longDriver ? 1 : 0) << r.name;
            }
        }
    }
}

TEST_F(Package, HeadsCarryTheirBodysSumAtThePartsOwnPlace) {
    driverpkg::WritePackage(dir.path, Options{});
    const std::pair<const char*, size_t> files[] = {
        {driverpkg::kCodeFile, 42}, {driverpkg::kFirmwareFile, 50}, {driverpkg::kProtocolFile, 46}};
    for (const auto& [file, at] : files) {
        const auto bytes = readBytes(dir / file);
        for (const auto& r : records(dir.path, file)) EXPECT_EQ(be32(bytes, r.offset + at), r.bodySum) << file << " " << r.name;
    }
}

TEST(ModulePattern, OrderNumberBecomesTheSectionName) {
    const std::pair<const char*, const char*> cases[] = {
        {"9QX4-731-1KE02-0AB0", "9QX4_731_1KE02-0AB0"},  // the third hyphen stays
        {"9QX4 731-1LE02", "9QX4_731_1LE02"},            // blank and the one hyphen
        {"9qx4 731-1ke02-0ab0", "9QX4_731_1KE02_0AB0"},  // upper case; blank, then two hyphens
        {"9QX4-831-2KK02", "9QX4_831_2KK02"},
        {"9QX4 831-2KK05", "9QX4_831_2KK02"},            // later versions use the section of 02
        {"9QX4-831-2KK09", "9QX4_831_2KK02"},
        {"9QX4-831-2KK01", "9QX4_831_2KK01"},            // a lower digit stays
        {"9QX4-831-2KK0", "9QX4_831_2KK0"},              // nothing after the fragment
    };
    for (const auto& [order, pattern] : cases) EXPECT_EQ(driverpkg::ModulePattern(order), pattern) << order;
}

// The package as the installation check meets it for each module that runs it: the module's
// section names a code, firmware and protocol record that the files hold, on the module's
// hardware; without the description, records are found by the hardware bits alone.
TEST_F(Package, EveryModuleFindsItsPartsByTheDescription) {
    Options o;
    o.orderNumbers = {"9QX4-731-1KE02-0AB0", "9QX4-831-2KK02", "9QX4 731-1LE01"};
    driverpkg::WritePackage(dir.path, o);
    const std::string description = readText(dir / driverpkg::kDescriptionFile);
    {
        std::istringstream in(description);
        std::string line;
        while (std::getline(in, line)) EXPECT_LE(line.size(), 80u) << line;
    }
    struct Case {
        const char* order;
        uint32_t hwMask;
    };
    const Case cases[] = {{"9QX4-731-1KE02-0AB0", 256}, {"9QX4-731-1KE02", 256}, {"9QX4 731-1LE01", 256},
                          {"9QX4-831-2KK02", 2},        {"9QX4 831-2KK04", 2}};
    const auto code = records(dir.path, driverpkg::kCodeFile);
    const auto firmware = records(dir.path, driverpkg::kFirmwareFile);
    const auto protocol = records(dir.path, driverpkg::kProtocolFile);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.order);
        const auto section = readSection(description, driverpkg::ModulePattern(c.order));
        ASSERT_TRUE(section);
        ASSERT_EQ(section->values.size(), 6u);
        auto find = [&](const std::vector<Walked>& rs, const char* typ, const char* vers, bool hw) -> const Walked* {
            const unsigned type = hexValue(section->values.at(typ));
            const auto [hi, lo] = version(section->values.at(vers));
            for (const auto& r : rs)
                if (r.type == type && r.verHi == hi && r.verLo == lo && (!hw || (r.hwBits & c.hwMask) == c.hwMask))
                    return &r;
            return nullptr;
        };
        const Walked* k = find(code, "KP_TYP", "KP_VERS", false);
        ASSERT_TRUE(k);
        EXPECT_EQ(k->hwBits & c.hwMask, c.hwMask) << "code record of another module";
        EXPECT_GE(k->type, 0x1000) << "a stored driver block is known by a protocol identifier from 0x1000 on";
        EXPECT_GE(hexValue(section->values.at("SCC_TYP")), 0x1000u) << "firmware read from the file";
        EXPECT_TRUE(find(firmware, "SCC_TYP", "SCC_VERS", true));
        EXPECT_TRUE(find(protocol, "PTP_TYP", "PTP_VERS", true));
        for (const auto* rs : {&code, &firmware})
            EXPECT_TRUE(std::any_of(rs->begin(), rs->end(), [&](const Walked& r) { return (r.hwBits & c.hwMask) == c.hwMask; }));
    }
    // a module of another version has no section and is served by the hardware bits
    EXPECT_FALSE(readSection(description, driverpkg::ModulePattern("9QX4-731-1KE01")));
}

TEST(Description, OnlyModulesWithLoadableDriversGetASection) {
    Options o;
    o.orderNumbers = {"9QX4-730-1KM02"};
    EXPECT_THROW(driverpkg::BuildDescription(o), std::invalid_argument);
    o.orderNumbers = {"9QX4-831-2KK02", "9QX4 831-2KK05"};  // one section for both
    const std::string d = driverpkg::BuildDescription(o);
    EXPECT_EQ(d.find("[9QX4_831_2KK02]"), d.rfind("[9QX4_831_2KK02]"));
}

// ---- the library ----------------------------------------------------------------------------

namespace {

struct Library : ::testing::Test {
    void SetUp() override {
        handle = ::dlopen(PTP_SAMPLE_DRIVER, RTLD_NOW | RTLD_LOCAL);
        ASSERT_TRUE(handle) << ::dlerror();
        doDefault = reinterpret_cast<PtpDoDefault>(::dlsym(handle, kPtpDoDefault));
        doProperty = reinterpret_cast<PtpDoProperty>(::dlsym(handle, kPtpDoProperty));
        doDruck = reinterpret_cast<PtpDoDruck>(::dlsym(handle, kPtpDoDruck));
        ASSERT_TRUE(doDefault && doProperty && doDruck);
        std::memcpy(info.driverName, "SAMPK731", 8);
        info.driverVerHi = 1;
        info.driverVerLo = 2;
        info.codeType = 0x5301;
        std::strcpy(info.moduleName, "CP 731");
        area = PtpDriverData{bytes.data(), static_cast<uint32_t>(bytes.size()), &length};
    }
    void TearDown() override {
        if (handle) ::dlclose(handle);
    }
    std::vector<std::string> printout() {
        std::vector<std::string> lines;
        doDruck(&db, &info, &area, [](void* l, const char* t) { static_cast<std::vector<std::string>*>(l)->push_back(t); },
                &lines);
        return lines;
    }
    void* handle = nullptr;
    PtpDoDefault doDefault = nullptr;
    PtpDoProperty doProperty = nullptr;
    PtpDoDruck doDruck = nullptr;
    CDb db{};
    PtpDriverInfo info{};
    std::vector<uint8_t> bytes = std::vector<uint8_t>(sdb::kDriverDataCapacity, 0);
    uint32_t length = 0;
    PtpDriverData area{};
};

size_t chars(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

}  // namespace

TEST_F(Library, DefaultFillsTheRecordAndItsDataArea) {
    doDefault(&db, &info, &area);
    EXPECT_EQ(std::string(db.achDriverName, 8), "SAMPK731");
    EXPECT_EQ(db.byDriverVerHi, 1);
    EXPECT_EQ(db.byDriverVerLo, 2);
    EXPECT_EQ(db.wProtocolId, 0x5301);
    EXPECT_EQ(db.byBaud, 8);
    EXPECT_EQ(db.byDataBits, 8);
    ASSERT_EQ(length, 8u);
    const std::vector<uint8_t> layout = {'B', 'T', 1, 8, 0, 1, 0x03, 0xE8};  // station 1, 1000 ms
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8), layout);
    EXPECT_TRUE(std::all_of(bytes.begin() + 8, bytes.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(Library, AreaTooSmallIsLeftAlone) {
    area.capacity = 7;
    doDefault(&db, &info, &area);
    EXPECT_EQ(length, 0u);
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(db.wProtocolId, 0x5301);
}

TEST_F(Library, PrintoutShowsTheAreasValuesInOneColumn) {
    doDefault(&db, &info, &area);
    bytes[5] = 17;                      // station 17
    bytes[6] = 0x00, bytes[7] = 250;    // 250 ms
    const auto lines = printout();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("SAMPK731 V1.2"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("Stationsadresse"), std::string::npos);
    EXPECT_EQ(lines[1].substr(lines[1].size() - 3), " 17");
    EXPECT_EQ(lines[2].substr(lines[2].size() - 7), " 250 ms");
    for (const auto& l : lines) {
        // label column of 42 characters after two blanks: the value starts at character 45
        const size_t valueAt = l.find_first_not_of(' ', l.find("  ", 2));
        EXPECT_EQ(chars(l.substr(0, valueAt)), 45u) << l;
    }
}

TEST_F(Library, ForeignOrBrokenAreaPrintsTheDefaults) {
    struct Case {
        const char* what;
        std::vector<uint8_t> area;
        uint32_t length;
    };
    const Case cases[] = {
        {"empty", {}, 0},
        {"other layout version", {'B', 'T', 2, 8, 0, 17, 0, 250}, 8},
        {"other mark", {'X', 'T', 1, 8, 0, 17, 0, 250}, 8},
        {"shorter than the layout", {'B', 'T', 1, 8, 0, 17, 0}, 7},
        {"station 0", {'B', 'T', 1, 8, 0, 0, 0x03, 0xE8}, 8},
        {"station 248", {'B', 'T', 1, 8, 0, 248, 0x03, 0xE8}, 8},
        {"timeout 9 ms", {'B', 'T', 1, 8, 0, 1, 0, 9}, 8},
    };
    for (const auto& c : cases) {
        std::fill(bytes.begin(), bytes.end(), 0);
        std::copy(c.area.begin(), c.area.end(), bytes.begin());
        length = c.length;
        const auto lines = printout();
        ASSERT_EQ(lines.size(), 3u) << c.what;
        EXPECT_EQ(lines[1].substr(lines[1].size() - 2), " 1") << c.what;
        EXPECT_EQ(lines[2].substr(lines[2].size() - 8), " 1000 ms") << c.what;
    }
}

TEST_F(Library, PropertiesWithoutAWindowSystemChangeNothing) {
    doDefault(&db, &info, &area);
    const auto before = bytes;
    EXPECT_EQ(doProperty(&db, &info, &area, nullptr), 0);
    EXPECT_EQ(bytes, before);
}

// ---- installation ---------------------------------------------------------------------------

namespace {

const std::string kDriverKey = driverpkg::kDriverKey;

struct Installation : ::testing::Test {
    support::ScratchDir dir{"sample_driver_install"};
    fs::path reg = dir / "reg", install = dir / "inst";
    void SetUp() override {
        ::setenv("QORB4_REGISTRY", reg.c_str(), 1);
        fs::create_directories(install);
        // the host folder and the program's SubPath, as the launcher's installation writes them
        host::IniRegistry r;
        r.write(host::Hive::LocalMachine, "Software\\Quenral\\QORB4\\2.0\\General\\Paths", "QORB4_Dir", install.string());
        r.write(host::Hive::LocalMachine, "Software\\Quenral\\QORB4\\2.0\\Applications\\vemtro", "SubPath", "/");
    }
    void TearDown() override { ::unsetenv("QORB4_REGISTRY"); }
    std::optional<std::string> value(const std::string& key, const std::string& name) {
        host::IniRegistry r;
        return r.read(host::Hive::LocalMachine, key, name);
    }
    int run(std::vector<std::string> args, std::string* err = nullptr) {
        std::string out, e;
        const int rc = driverpkg::Run(args, out, e);
        if (err) *err = e;
        return rc;
    }
};

}  // namespace

TEST_F(Installation, RegistryNamesTheFilesTheProgramFinds) {
    std::string err;
    ASSERT_EQ(run({"--install", (install / "Y5DRIVER").string(), "--registry", reg.string(), "--library", PTP_SAMPLE_DRIVER},
                  &err),
              0)
        << err;
    const std::string key = kDriverKey + "\\0";
    const std::map<std::string, std::string> expected = {
        {"Name_A", "Beispieltreiber"}, {"DLL", "sampdrvx.so"},   {"KP", "SAMPLDRV.KPC"}, {"SCC", "SAMPLDRV.SCC"},
        {"PTP", "SAMPLDRV.PTP"},       {"CPZ", "SAMPLDRV.CPZ"}, {"Texte", "Ja"}};
    for (const auto& [name, data] : expected) EXPECT_EQ(value(key, name), data) << name;
    for (const char* other : {"Name_B", "Name_C", "Name_D", "Name_E"}) EXPECT_TRUE(value(key, other)) << other;
    ASSERT_EQ(value(kDriverKey, "SubPath"), "Y5DRIVER/");

    // the driver folder as the program builds it: host folder, program SubPath, driver SubPath
    const std::string folder = *value("Software\\Quenral\\QORB4\\2.0\\General\\Paths", "QORB4_Dir") +
                               *value("Software\\Quenral\\QORB4\\2.0\\Applications\\vemtro", "SubPath") +
                               *value(kDriverKey, "SubPath");
    for (const char* file : {"KP", "SCC", "PTP", "CPZ"}) EXPECT_TRUE(fs::is_regular_file(folder + *value(key, file))) << file;
    std::string library = *value(key, "DLL");
    for (char letter : {'A', 'B'}) {  // language A, and the fallback of every other language
        std::string name = library;
        name.replace(name.find("x."), 2, std::string(1, letter) + ".");
        void* h = ::dlopen((folder + name).c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_TRUE(h) << name << ": " << ::dlerror();
        EXPECT_TRUE(::dlsym(h, kPtpDoDefault));
        ::dlclose(h);
    }
}

TEST_F(Installation, ReinstallKeepsTheKeyAndAnotherDriverKeepsItsOwn) {
    host::IniRegistry r;
    const std::string other = kDriverKey + "\\0";
    r.write(host::Hive::LocalMachine, other, "Name_A", "Anderer Treiber");
    r.write(host::Hive::LocalMachine, other, "DLL", "anderx.so");

    Options o;
    auto done = driverpkg::Install(install / "Y5DRIVER", PTP_SAMPLE_DRIVER, r, o);
    EXPECT_EQ(done.key, kDriverKey + "\\1");
    o.texts = false;
    o.description = false;
    done = driverpkg::Install(install / "Y5DRIVER", PTP_SAMPLE_DRIVER, r, o);
    EXPECT_EQ(done.key, kDriverKey + "\\1");
    EXPECT_EQ(value(kDriverKey + "\\1", "Texte"), "Nein");
    EXPECT_EQ(value(kDriverKey + "\\1", "CPZ"), "");
    EXPECT_EQ(value(other, "Name_A"), "Anderer Treiber");
    EXPECT_EQ(value(other, "DLL"), "anderx.so");
    EXPECT_FALSE(value(kDriverKey + "\\2", "Name_A"));
}

TEST_F(Installation, DriverFolderOutsideTheInstallationIsReachedFromIt) {
    host::IniRegistry r;
    const fs::path elsewhere = dir / "other" / "drivers";
    const auto done = driverpkg::Install(elsewhere, PTP_SAMPLE_DRIVER, r, Options{});
    EXPECT_EQ(done.subPath, "../other/drivers/");
    EXPECT_TRUE(fs::equivalent(install.string() + "/" + done.subPath, elsewhere));
}

TEST_F(Installation, MissingLibraryInstallsNothing) {
    host::IniRegistry r;
    EXPECT_THROW(driverpkg::Install(install / "Y5DRIVER", dir / "none.so", r, Options{}), std::runtime_error);
    EXPECT_FALSE(fs::exists(install / "Y5DRIVER" / "sampdrvA.so"));
    EXPECT_FALSE(value(kDriverKey + "\\0", "Name_A"));
}

TEST_F(Installation, CommandLineRefusesWhatItCannotDo) {
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const std::string folder = (dir / "out").string();
    const Case cases[] = {
        {{}, "ORDNER erwartet"},
        {{folder, "--bogus"}, "unbekannte Option --bogus"},
        {{folder, "--code-length", "65536"}, "keine Länge"},
        {{folder, "--code-length", "-1"}, "keine Länge"},
        {{folder, "--module", "9QX4-730-1KM02"}, "keine Bestellnummer eines CP 731 oder CP 831-2"},
        {{folder, "--registry", reg.string()}, "gehören zu --install"},
        {{"--install", folder, folder}, "kein ORDNER"},
        {{folder, "--module"}, "Wert fehlt für --module"},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(run(c.args, &err), 1) << c.says;
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
    }
    EXPECT_FALSE(fs::exists(folder));
}

// ---- the program's check on the installed package --------------------------------------------

namespace {

struct ProgramCheck : Installation {
    support::MessageRecorder messages;
    support::MemoryProject project;
    AppSettings app;

    // Installs the package and reads the installed drivers as the program does at start-up.
    void installPackage(const Options& o) {
        host::IniRegistry r;
        driverpkg::Install(install / "Y5DRIVER", PTP_SAMPLE_DRIVER, r, o);
        app.installPath = install.string() + "/";
        const InstalledDrivers found = drv::ReadInstalledDrivers(r, app.installPath, "A");
        app.driverFolder = found.folder;
        app.drivers = found.drivers;
    }
    // A module as its start-up string sets it up, with the sample driver chosen.
    std::unique_ptr<CPtpDoc> module(int type, const std::string& order, int interfaceNo) {
        auto doc = std::make_unique<CPtpDoc>(app);
        doc->m_nModuleType = type;
        doc->m_szOrderNo = order;
        doc->m_nInterfaceNo = interfaceNo;
        doc->m_nInterfaceCode = type == kCP731 ? kIfTty : kIfHostTty;
        doc->m_nDriverParts = 5;
        doc->m_nDriverHwMask = type == kCP731 ? 256 : 2;
        doc->m_nProtocol = driverProtocol(0);
        return doc;
    }
};

}  // namespace

TEST_F(ProgramCheck, EachModuleTakesTheDefaultsOfThePackage) {
    installPackage(Options{});
    ASSERT_EQ(app.drivers.size(), 1u);
    EXPECT_EQ(app.drivers[0].displayName, "Beispieltreiber");
    EXPECT_EQ(app.drivers[0].library, "sampdrvA.so");
    EXPECT_TRUE(app.drivers[0].texts);
    EXPECT_EQ(app.driverFolder, (install / "Y5DRIVER").string() + "/");
    struct Case {
        int type;
        const char* order;
        const char* driver;
        uint16_t type16;
        int blockMask;  // the protocol part only where the description names it
    };
    const Case cases[] = {
        {kCP731, "9QX4-731-1KE02-0AB0", "SAMPK731", 0x5301, 0x111},
        {kCP8312, "9QX4-831-2KK02", "SAMPK831", 0x5302, 0x111},
        {kCP8312, "9QX4 831-2KK05", "SAMPK831", 0x5302, 0x111},
        {kCP731, "9QX4 731-1LE01", "SAMPK731", 0x5301, 0x011},  // no section: by hardware bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.order);
        auto doc = module(c.type, c.order, 1);
        CDb params{};
        ASSERT_EQ(doc->ApplyDriverDefaults(params), 0) << "messages: " << ::testing::PrintToString(messages.ids());
        EXPECT_EQ(std::string(params.achDriverName, 8), c.driver);
        EXPECT_EQ(params.wProtocolId, c.type16);
        EXPECT_EQ(doc->m_nDrvBlockMask, c.blockMask);
        EXPECT_EQ(std::string(doc->m_DriverInfo.driverName, 8), c.driver);
        EXPECT_EQ(doc->m_DriverInfo.codeLength, 1000u);
        ASSERT_EQ(doc->m_nDriverDataLen, 8u);
        EXPECT_EQ((*doc->m_pDriverData)[0], 'B');
        EXPECT_EQ((*doc->m_pDriverData)[1], 'T');
    }
    EXPECT_TRUE(messages.ids().empty());
}

TEST_F(ProgramCheck, LongDriverRunsOnInterfaceOneOnly) {
    Options o;
    o.longDriver = true;
    installPackage(o);
    CDb params{};
    EXPECT_EQ(module(kCP8312, "9QX4-831-2KK02", 2)->ApplyDriverDefaults(params), -1);
    EXPECT_EQ(messages.ids(), std::vector<int>{599});
    EXPECT_EQ(module(kCP8312, "9QX4-831-2KK02", 1)->ApplyDriverDefaults(params), 0);
    EXPECT_EQ(messages.ids(), (std::vector<int>{599, 604}));
}

// The overview's call of the driver's own dialog: the identification record gets the fields
// only the overview knows; a library that cannot be loaded gives message 603; no change
// (here: no window system for the dialog) leaves the document unmodified.
TEST_F(ProgramCheck, DriverPropertiesThroughTheLibrary) {
    installPackage(Options{});
    auto doc = module(kCP731, "9QX4-731-1KE02-0AB0", 1);
    doc->m_nInterfaceCode = kIfRs422;
    doc->m_nProductVersion = 2;
    doc->m_bExtendedModule = 1;
    ASSERT_EQ(doc->ApplyDriverDefaults(doc->m_CurParams), 0);
    doc->SetModifiedFlag(false);
    EXPECT_FALSE(CallDriverProperty(*doc, nullptr));
    EXPECT_EQ(doc->m_CurParams.byInterface, 'B');
    EXPECT_EQ(doc->m_DriverInfo.use, 'U');
    EXPECT_EQ(doc->m_DriverInfo.driverFlag, 1);
    EXPECT_EQ(doc->m_DriverInfo.productVersion, 2);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(messages.ids().empty());

    app.driverFolder = (install / "elsewhere").string() + "/";
    EXPECT_FALSE(CallDriverProperty(*doc, nullptr));
    EXPECT_EQ(messages.ids(), std::vector<int>{603});
}

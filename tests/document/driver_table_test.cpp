// The installed-driver table as start-up reads it from the registry, and the drivers the
// protocol list offers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "app/configuration.h"
#include "document/codes.h"
#include "document/driver_table.h"
#include "document/protocol_list.h"
#include "tests/support/memory_registry.h"
#include "tests/support/scratch_dir.h"

namespace {

constexpr auto HKLM = host::Hive::LocalMachine;
const std::string kApps = "Software\\Quenral\\QORB4\\2.0\\Applications\\";

void putDriver(support::MemoryRegistry& r, const std::string& key, const std::string& sub,
               const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [name, data] : values) r.write(HKLM, key + "\\" + sub, name, data);
}

}  // namespace

TEST(DriverTable, WhichKeyListsTheDrivers) {
    struct Case { std::vector<std::string> keys; std::string expected; };
    const Case cases[] = {
        {{"vemtrox\\Y5Driver\\A", "vemtro\\Y5Driver\\A", "vemtro\\Driver\\A"}, "vemtrox\\Y5Driver"},
        {{"vemtrox\\Other\\A", "vemtro\\Y5Driver\\A", "vemtro\\Driver\\A"}, "vemtro\\Y5Driver"},
        {{"vemtro\\Driver\\A"}, "vemtro\\Driver"},
        {{"vemtrox\\Y5Driver\\A"}, "vemtrox\\Y5Driver"},
        {{"vemtro\\Other\\A"}, ""},
    };
    for (const Case& c : cases) {
        support::MemoryRegistry r;
        for (const auto& k : c.keys) r.write(HKLM, kApps + k, "KP", "x");
        EXPECT_EQ(drv::DriverKey(r), c.expected.empty() ? "" : kApps + c.expected) << c.expected;
    }
}

TEST(DriverTable, EntriesInEnumerationOrderWithTheirValues) {
    support::ScratchDir dir("ptp_drvtable");
    const std::string install = dir.path.string() + "/";
    const std::string key = kApps + "vemtro\\Y5Driver";
    support::MemoryRegistry r;
    r.write(HKLM, key, "SubPath", "treiber\\neu");
    std::filesystem::create_directories(dir / "treiber/neu");
    std::ofstream(dir / "treiber/neu/modbusC.so") << "";  // the library of language C is installed
    putDriver(r, key, "Modbus", {{"Name_C", "MODBUS Master"}, {"Name_A", "MODBUS Master (A)"}, {"DLL", "modbusx.so"},
                                 {"KP", "Y5WFPA1X.KPC"}, {"SCC", "Y5WFPA1X.SCC"}, {"PTP", "Y5WFPA1X.PTP"},
                                 {"CPZ", "Y5WFPA1X.CPZ"}, {"Texte", "nein"}});
    putDriver(r, key, "df1", {{"Name_C", "Data Highway DF1"}, {"DLL", "df1drv_x.so"}, {"Texte", "Ja"}});
    putDriver(r, key, "Anders", {{"Name_A", "nur deutsch"}, {"DLL", "x.so"}});
    putDriver(r, key, "Zeta", {{"Name_C", "Letzter"}});

    const InstalledDrivers t = drv::ReadInstalledDrivers(r, install, "C");
    EXPECT_EQ(t.folder, install + "treiber/neu/");
    // "Anders" has no name in language C: it is left out and the others keep their order
    ASSERT_EQ(t.drivers.size(), 3u);
    EXPECT_EQ(t.drivers[0].displayName, "Data Highway DF1");
    EXPECT_EQ(t.drivers[1].displayName, "MODBUS Master");
    EXPECT_EQ(t.drivers[2].displayName, "Letzter");

    const InstalledDriver& df1 = t.drivers[0];
    EXPECT_EQ(df1.library, "df1drv_B.so");  // df1drv_C.so is not installed: the eighth character becomes B
    EXPECT_TRUE(df1.texts);
    EXPECT_TRUE(df1.codeFile.empty());

    const InstalledDriver& modbus = t.drivers[1];
    EXPECT_EQ(modbus.library, "modbusC.so");
    EXPECT_EQ(modbus.codeFile, "Y5WFPA1X.KPC");
    EXPECT_EQ(modbus.firmwareFile, "Y5WFPA1X.SCC");
    EXPECT_EQ(modbus.protocolFile, "Y5WFPA1X.PTP");
    EXPECT_EQ(modbus.descriptionFile, "Y5WFPA1X.CPZ");
    EXPECT_FALSE(modbus.texts);
}

TEST(DriverTable, NoKeyNoDriversAndTheDefaultFolder) {
    support::MemoryRegistry r;
    const InstalledDrivers t = drv::ReadInstalledDrivers(r, "/opt/v/", "A");
    EXPECT_TRUE(t.drivers.empty());
    EXPECT_EQ(t.folder, "/opt/v/Y5DRIVER/");
    r.write(HKLM, kApps + "vemtro\\Driver\\X", "Name_A", "X");
    EXPECT_EQ(drv::ReadInstalledDrivers(r, "/opt/v/", "A").folder, "/opt/v/Y5DRIVER/");
}

TEST(DriverTable, TextsFlagAndLibraryName) {
    for (const char* yes : {"y", "Y", "ja", "J", "no way"}) EXPECT_TRUE(drv::TextsFlag(yes)) << yes;
    for (const char* no : {"", "N", "nein", "1"}) EXPECT_FALSE(drv::TextsFlag(no)) << no;
    EXPECT_EQ(drv::LibraryFileName("drvx.so", "A", "/nowhere/"), "drvA.so");       // shorter than 8: no fallback
    EXPECT_EQ(drv::LibraryFileName("longnamx.so", "D", "/nowhere/"), "longnamB.so");
    EXPECT_EQ(drv::LibraryFileName("ax_x.so", "A", "/nowhere/"), "ax_A.so");      // the first "x." only
}

TEST(DriverTable, ConfigureReadsThemLast) {
    support::MemoryRegistry r;
    r.write(HKLM, "Software\\Quenral\\QORB4\\2.0\\General\\Paths", "QORB4_Dir", "/opt/host");
    r.write(HKLM, kApps + "vemtro", "SubPath", "\\prog\\");
    r.write(HKLM, "Software\\Quenral\\QORB4\\2.0\\General\\LangExtensions", "", "D");
    putDriver(r, kApps + "vemtro\\Y5Driver", "M", {{"Name_B", "Treiber B"}, {"Name_D", "Treiber D"}});
    const auto c = config::Configure(r, "vemtro_x", nullptr);
    EXPECT_EQ(c.settings.driverFolder, "/opt/host/prog/Y5DRIVER/");
    ASSERT_EQ(c.settings.drivers.size(), 1u);
    EXPECT_EQ(c.settings.drivers[0].displayName, "Treiber D");
}

TEST(DriverTable, IniRegistryEnumeratesSubKeys) {
    support::ScratchDir dir("ptp_drvini");
    ::setenv("QORB4_REGISTRY", dir.path.c_str(), 1);
    host::IniRegistry ini;
    const std::string key = kApps + "vemtro\\Y5Driver";
    ini.write(HKLM, key, "SubPath", "D\\");
    ini.write(HKLM, key + "\\zweiter", "Name_A", "Z");
    ini.write(HKLM, key + "\\Erster Treiber", "Name_A", "E");
    ini.write(HKLM, key + "\\b", "Name_A", "B");
    EXPECT_TRUE(ini.keyExists(HKLM, key));
    EXPECT_TRUE(ini.keyExists(HKLM, kApps + "vemtro"));
    EXPECT_FALSE(ini.keyExists(HKLM, kApps + "vemtrox"));
    EXPECT_EQ(ini.subKeys(HKLM, key), (std::vector<std::string>{"b", "Erster Treiber", "zweiter"}));
    EXPECT_TRUE(ini.subKeys(HKLM, kApps + "none").empty());
    const auto t = drv::ReadInstalledDrivers(ini, "/i/", "A");
    EXPECT_EQ(t.folder, "/i/D/");
    ASSERT_EQ(t.drivers.size(), 3u);
    EXPECT_EQ(t.drivers[1].displayName, "E");
    ::unsetenv("QORB4_REGISTRY");
}

TEST(DriverTable, ProtocolListOffersTheDrivers) {
    const std::vector<std::string> drivers = {"MODBUS Master", "DF1"};
    auto codes = [&](int module, const char* order) {
        std::vector<int> v;
        for (const auto& i : ProtocolsForOrderNumber(module, order, drivers).items) v.push_back(i.code);
        return v;
    };
    // CP 731: behind the built-in protocols, from list position 3 without the printer, 4 with it
    EXPECT_EQ(codes(kCP731, "9QX4 731-1LE01"), (std::vector<int>{1, 3, 2, 255, 511}));
    EXPECT_EQ(codes(kCP731, "9QX4 731-1LE02"), (std::vector<int>{1, 3, 2, 4, 255, 511}));
    EXPECT_EQ(codes(kCP8312, "9QX4 831-2KK02"), (std::vector<int>{1, 3, 2, 4, 255, 511}));
    EXPECT_EQ(codes(kCP8312, "9QX4 831-2KK05"), (std::vector<int>{1, 3, 2, 4, 255, 511}));
    EXPECT_EQ(codes(kCP8312, "9QX4 831-2KK01"), (std::vector<int>{1, 3, 2, 4}));
    EXPECT_EQ(codes(kCP8311, "9QX4 831-1KK04"), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(codes(kCP730, "9QX4 730-1KM02"), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(ProtocolsForOrderNumber(kCP731, "9QX4 731-1L", drivers).items[4].text, "DF1");
}

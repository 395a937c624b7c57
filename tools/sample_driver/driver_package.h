#pragma once
// The sample driver package "Beispieltreiber": its code, firmware and protocol files, its
// description file, and its installation (library copied into the driver folder, registry
// entries of the installed driver). The program's tests and the demo install it; the program
// never depends on what the package holds, only on the layouts of its files.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "host/registry.h"

namespace driverpkg {

// File names as the registry names them: 8 characters, a point, 3 characters.
inline constexpr const char* kCodeFile = "SAMPLDRV.KPC";
inline constexpr const char* kFirmwareFile = "SAMPLDRV.SCC";
inline constexpr const char* kProtocolFile = "SAMPLDRV.PTP";
inline constexpr const char* kDescriptionFile = "SAMPLDRV.CPZ";
// The library value: its "x." becomes the language extension, so language A loads
// sampdrvA.so; a missing one falls back to sampdrvB.so. The installation provides both.
inline constexpr const char* kLibraryValue = "sampdrvx.so";
inline constexpr const char* kBuiltLibrary = "sampdrvA.so";
inline constexpr const char* kDisplayName = "Beispieltreiber";
inline constexpr const char* kDriverKey = "Software\\Quenral\\QORB4\\2.0\\Applications\\vemtro\\Y5Driver";

// One record of a driver file: a 64-byte head and `bodyLength` bytes of body.
struct Record {
    std::string name;           // 8 characters
    uint8_t verHi = 0, verLo = 0;
    uint16_t type = 0;
    uint32_t hwBits = 0;        // the modules the record runs on (CP 731: 256, CP 831-2: 2)
    uint16_t bodyLength = 0;
    bool longDriver = false;    // code records: a driver too long for interface 2
    int checksumAt = -1;        // head position of the body's 32-bit sum, -1 for none
};

struct Options {
    // The order numbers the description file has a section for.
    std::vector<std::string> orderNumbers{"9QX4-731-1KE02-0AB0", "9QX4-831-2KK02"};
    uint16_t codeLength = 1000, firmwareLength = 300, protocolLength = 200;
    bool longDriver = false;
    bool texts = true;          // the driver uses the printer-output and message blocks
    bool description = true;    // write the description file and name it in the registry
};

// The section name a module looks for in a description file: the order number in upper
// case, its first blank and first two hyphens replaced by "_"; a CP 831-2 of version 03 to
// 09 looks for the section of version 02.
std::string ModulePattern(const std::string& orderNo);

// The records of the three files.
std::vector<Record> CodeRecords(const Options& o);
std::vector<Record> FirmwareRecords(const Options& o);
std::vector<Record> ProtocolRecords(const Options& o);

// A driver file: each record's head (big-endian fields in a zeroed head) and its body.
std::vector<uint8_t> BuildRecordFile(const std::vector<Record>& records);

// The description file: a section per order number with the types and versions of the
// module's records. An order number of a module without loadable drivers is refused
// (std::invalid_argument).
std::string BuildDescription(const Options& o);

// Writes the driver files (and the description file unless left out) into `folder`, each to
// a temporary file first and renamed over the old one. Returns the names written.
std::vector<std::string> WritePackage(const std::filesystem::path& folder, const Options& o);

struct Installed {
    std::string key;            // the driver's registry key
    std::string subPath;        // "SubPath" of the driver key
    std::vector<std::string> files;
};

// Writes the package into `driverFolder`, copies `library` there as sampdrvA.so and
// sampdrvB.so, and writes the driver's values under a sub-key of kDriverKey (the one that
// already carries the display name, else the first free number) and the driver key's
// SubPath: the driver folder relative to the installation folder the registry names.
// Throws std::runtime_error on a failure.
Installed Install(const std::filesystem::path& driverFolder, const std::filesystem::path& library,
                  host::Registry& registry, const Options& o);

// The command line of ptp_make_driver (args without the program name); `self` is the
// program's path, to find the library built beside it.
int Run(const std::vector<std::string>& args, std::string& out, std::string& err, const std::string& self = {});

}  // namespace driverpkg

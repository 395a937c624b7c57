#pragma once
// The command line of cpsim and the station it makes of it: the controller (state, faults) and
// one communication module with its records 200 (driver jobs), 239 (firmware jobs) and 248
// (identification), whose identification list is also the controller's SZL 0x0011.
#include <cstdint>
#include <optional>
#include <string>

#include "tools/cpsim/driver_records.h"
#include "tools/cpsim/firmware_records.h"
#include "tools/cpsim/ident_records.h"
#include "tools/cpsim/station.h"

namespace cpsim {

extern const char* const kUsage;

struct Options {
    std::uint16_t port = online::kDefaultPort;  // 0: any free port
    int state = kStop;
    Faults faults;
    // The module's address; without it the module answers every address.
    std::optional<std::uint16_t> moduleAddress;
    DriverRecords::Options driver;
    FirmwareRecords::Options firmware;
    IdentRecords::Form identForm = IdentRecords::Form::Long;
    ModuleIdent ident;
    std::uint16_t shortVersion = 0;
    bool help = false;
    // Serve from a child process once the port listens; the parent prints its number and ends.
    bool detach = false;
};

// false with `error` for an unknown option or a value that does not fit.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);
// The station the options describe: state, faults, the module's record servers and SZL 0x0011.
void Configure(Station& station, const Options& options);

}  // namespace cpsim

#pragma once
// The command line of cpsim and the station it makes of it.
#include <cstdint>
#include <string>

#include "tools/cpsim/station.h"

namespace cpsim {

extern const char* const kUsage;

struct Options {
    std::uint16_t port = online::kDefaultPort;  // 0: any free port
    int state = kStop;
    Faults faults;
    bool help = false;
};

// false with `error` for an unknown option or a value that does not fit.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);
// The station the options describe: state and faults.
void Configure(Station& station, const Options& options);

}  // namespace cpsim

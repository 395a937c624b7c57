#pragma once
// rackplan: the stand-in for the host's hardware configurator.
#include <functional>
#include <string>
#include <vector>

namespace rackplan {

// Object types of the objects the launcher creates.
constexpr long kEnvironmentType = 1;
constexpr long kStationType = 2;
constexpr long kModuleType = 1322001;          // a module without the extended functions
constexpr long kExtendedModuleType = 1322005;  // one that has them
constexpr long kUnitRackType = 3;

// Runs one command (args without the program name); output to `out`, errors to `err`.
// `self` is the path of the running launcher, used to find the program next to it.
int Run(const std::vector<std::string>& args, std::string& out, std::string& err, const std::string& self = {});

// Why the window program would find no display, in words for the user ("weder DISPLAY noch
// WAYLAND_DISPLAY ist gesetzt"); empty when it has one. `env` reads an environment variable
// (null when unset), as std::getenv does.
std::string MissingDisplay(const std::function<const char*(const char*)>& env);

}  // namespace rackplan

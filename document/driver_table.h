#pragma once
// The loadable drivers installed on this machine, as the registry describes them: each
// driver is a set of files in the driver folder (library, code, firmware and protocol file,
// description file) with a display name per language.
#include <string>
#include <string_view>
#include <vector>

#include "host/registry.h"

struct InstalledDriver {
    std::string displayName;      // "Name_" + language extension: the protocol list's text
    std::string library;          // "DLL" with the language extension put in
    std::string codeFile;         // "KP"
    std::string firmwareFile;     // "SCC"
    std::string protocolFile;     // "PTP"
    std::string descriptionFile;  // "CPZ"
    bool texts = false;           // "Texte": the driver uses the printer-output and message blocks
};

struct InstalledDrivers {
    std::string folder;                  // installation folder + "SubPath" of the driver key
    std::vector<InstalledDriver> drivers;
};

namespace drv {

// The driver folder below an installation folder when the registry names none.
inline constexpr const char* kDefaultSubPath = "Y5DRIVER/";

// The key that lists the installed drivers, one sub-key each; empty when there is none.
std::string DriverKey(host::Registry& registry);

// Reads the installed drivers at start-up. `installPath` ends with '/'; `extension` is the
// language extension text ("A" for German). A sub-key without a display name in this
// language is not offered: the entries keep their order without it.
InstalledDrivers ReadInstalledDrivers(host::Registry& registry, const std::string& installPath,
                                      const std::string& extension);

// The library file of a "DLL" value: its first "x." becomes the extension and "."; when
// that file is not in `folder`, the eighth character becomes 'B' (the fallback language).
std::string LibraryFileName(const std::string& value, const std::string& extension, const std::string& folder);

// The "Texte" value: yes when it holds any of y, Y, j, J.
bool TextsFlag(std::string_view value);

}  // namespace drv

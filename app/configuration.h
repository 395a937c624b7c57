#pragma once
// Configuration of the program from the host suite's registry: language, installation
// folder, versions, host features, language library and help files.
#include <functional>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "host/registry.h"

namespace config {

// The host-version rule for the newer functions (extended page options, extended driver flag).
int HostNewFeatures(const std::string& hostVersion, const std::string& technicalVersion);

// Text up to the first comma.
std::string UpToComma(const std::string& text);

// Loads a library by path; returns an opaque handle or nullptr.
using LibraryLoader = std::function<void*(const std::string& path)>;

struct Result {
    AppSettings settings;
    std::string languageName;
    std::string baseName;          // N, e.g. "vemtro_A"
    void* languageLibrary = nullptr;
    std::string languageLibraryPath;
    std::vector<std::string> triedLibraries;
};

// The folder of the running program (absolute); empty when it cannot be found.
std::string ProgramFolder();

// Reads everything InitInstance reads from the registry, in its order, and loads the
// language library (`installPath + N + ".so"`, then `installPath + "vemtro_b.so"`). A relative
// installation folder is taken relative to the program's own folder. Last come the installed
// loadable drivers and their folder.
// `executableName` is the program's file name ("vemtro_x").
Result Configure(host::Registry& registry, const std::string& executableName, const LibraryLoader& load);

// Loads a language library with dlopen and makes its string table the source of all texts.
void* LoadLanguageLibrary(const std::string& path);
void FreeLanguageLibrary(void* handle);

}  // namespace config

#pragma once
// The start-up parameter string the launcher passes as the whole command line, and the
// identification of the module it names.
#include <string>
#include <string_view>
#include <vector>

namespace startup {

// Capacity of the working buffer, terminator included: longer strings are cut.
constexpr size_t kBufferSize = 300;
constexpr size_t kTokenCount = 18;

// Splits at commas. A run of commas is one separator and leading commas are skipped, so
// an empty field is no token; blanks belong to the tokens.
std::vector<std::string> Tokenize(std::string_view text);

// A decimal number as the module expects it: leading blanks skipped, optional sign,
// digits up to the first other character; no digits gives 0. Clamped to int.
int ReadNumber(std::string_view token);

// Copies `text` into a fixed field of `capacity` bytes (terminator included), cutting it.
std::string Fit(std::string_view text, size_t capacity);

// The tokens with the default of every missing one filled in (always 18 entries).
std::vector<std::string> WithDefaults(std::vector<std::string> tokens);

// What the string says about the module, before any host object is looked at.
struct Identification {
    std::string transferFile;     // token 1, at most 199 characters
    int fromProject = 0;
    int moduleType = 0;
    int protocol = 0;             // initial protocol of the module type; unchanged when unknown
    int interfaceCode = 0;
    int interfaceNo = 0;
    std::string moduleName;       // at most 29
    std::string orderNo;          // at most 29
    std::string interfaceName;    // at most 29
    std::string stationName;      // at most 49
    std::string rackText, slotText;
    int rack = 0, slot = 0;
    int online = 0;
    int stationAddress = 0;
    long objectIds[6] = {0, 0, 0, 0, 0, 0};  // object type, id, unit type, id, environment type, id
    int driverParts = 0;
    int driverHwMask = 0;
};

// The display name of an interface code ("xxx" for a code the program does not know).
std::string InterfaceName(int interfaceCode);

// Module type and initial protocol for the second token (compared in upper case);
// false when it names no known model.
bool LookupModule(std::string_view token, int& moduleType, int& protocol);

// Applies the order-number rules: loadable-driver requirements and, for CP 730, CP 731
// and CP 830, the interface that the order number fixes.
void ApplyOrderNumber(Identification& id);

// Parses the whole command line. `protocolBefore` is kept when the module is unknown.
Identification Parse(std::string_view commandLine, int protocolBefore = 0);

// The object type identifiers of modules that allow the extended functions.
bool IsExtendedObjectType(long objectType);

// "%s  (R%s/S%s) " + " -- " + station path.
std::string DocumentTitle(const std::string& moduleName, const std::string& rack, const std::string& slot,
                          const std::string& stationPath);

}  // namespace startup

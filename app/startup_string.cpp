#include "app/startup_string.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "document/codes.h"
#include "resources/strings.h"

namespace startup {
namespace {

std::string upper(std::string_view s) {
    std::string u(s);
    for (auto& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

bool contains(const std::string& hay, const char* needle) { return hay.find(needle) != std::string::npos; }

enum InterfaceNameId { kNoModule = 10640, kRs232 = 10641, kTty = 10642, kRs422 = 10643 };

}  // namespace

std::vector<std::string> Tokenize(std::string_view text) {
    if (text.size() > kBufferSize - 1) text = text.substr(0, kBufferSize - 1);
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ',') ++i;
        if (i >= text.size()) break;
        size_t end = text.find(',', i);
        if (end == std::string_view::npos) end = text.size();
        tokens.emplace_back(text.substr(i, end - i));
        i = end;
    }
    return tokens;
}

int ReadNumber(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    long long v = 0;
    for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) {
        v = v * 10 + (t[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) v = -v;
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

std::string Fit(std::string_view text, size_t capacity) {
    return std::string(text.substr(0, capacity > 0 ? std::min(text.size(), capacity - 1) : 0));
}

std::vector<std::string> WithDefaults(std::vector<std::string> tokens) {
    static const char* const defaults[kTokenCount] = {
        "ptpsdb.sdb", "CP730", "0", "0", "CP    ", "9QX4 ...", "TARVIK", "0", "0",
        "0",          "0",     "0", "0", "0",      "0",        "0",      "0", "0"};
    tokens.resize(std::max(tokens.size(), kTokenCount));
    for (size_t i = 0; i < kTokenCount; ++i)
        if (tokens[i].empty()) tokens[i] = defaults[i];
    return tokens;
}

std::string InterfaceName(int code) {
    switch (code) {
    case kIfNone: return res::text(kNoModule);
    case kIfHostRs232:
    case kIfRs232: return res::text(kRs232);
    case kIfHostTty:
    case kIfTty: return res::text(kTty);
    case kIfHostRs422:
    case kIfRs422: return res::text(kRs422);
    default: return "xxx";
    }
}

bool LookupModule(std::string_view token, int& moduleType, int& protocol) {
    struct Row { const char* token; int type; int protocol; };
    static const Row rows[] = {
        {"CP730", kCP730, kProt3964},   {"CP731", kCP731, kProt3964},    {"CP830", kCP830, kProtAscii},
        {"CP8311", kCP8311, kProt3964}, {"CP8312", kCP8312, kProtRk512}};
    const std::string u = upper(token);
    for (const Row& r : rows) {
        if (u == r.token) {
            moduleType = r.type;
            protocol = r.protocol;
            return true;
        }
    }
    return false;
}

void ApplyOrderNumber(Identification& id) {
    const std::string order = upper(id.orderNo);
    if (contains(order, "831-2KK02") || contains(order, "831-2KK03") || contains(order, "831-2KK04") ||
        contains(order, "831-2KK05")) {
        id.driverParts = 5;
        id.driverHwMask = 2;
    }
    if (contains(order, "731-1")) {
        id.driverParts = 5;
        id.driverHwMask = 256;
    }
    auto setInterface = [&](int code) {
        id.interfaceCode = code;
        id.interfaceName = Fit(InterfaceName(code), 30);
    };
    // Each fragment is tested; a later match overrides an earlier one.
    auto variants = [&](const char* k, const char* l, const char* n) {
        if (contains(order, k)) setInterface(kIfRs232);
        if (contains(order, l)) setInterface(kIfTty);
        if (contains(order, n)) setInterface(kIfRs422);
    };
    if (id.moduleType == kCP730) variants("730-1K", "730-1L", "730-1N");
    if (id.moduleType == kCP731) variants("731-1K", "731-1L", "731-1N");
    if (id.moduleType == kCP830) setInterface(kIfRs422);
}

Identification Parse(std::string_view commandLine, int protocolBefore) {
    const std::vector<std::string> t = WithDefaults(Tokenize(commandLine));
    Identification id;
    id.protocol = protocolBefore;
    id.transferFile = Fit(t[0], 200);
    id.fromProject = upper(t[0]) == "0" ? 1 : 0;
    LookupModule(t[1], id.moduleType, id.protocol);
    id.interfaceCode = ReadNumber(t[2]);
    id.interfaceName = Fit(InterfaceName(id.interfaceCode), 30);
    id.interfaceNo = ReadNumber(t[3]);
    id.moduleName = Fit(t[4], 30);
    id.orderNo = Fit(t[5], 30);
    ApplyOrderNumber(id);
    id.stationName = Fit(t[6], 50);
    id.rackText = t[7];
    id.rack = ReadNumber(t[7]);
    id.slotText = t[8];
    id.slot = ReadNumber(t[8]);
    id.online = ReadNumber(t[9]);
    // token 11 has no meaning
    id.stationAddress = ReadNumber(t[11]);
    for (int i = 0; i < 6; ++i) id.objectIds[i] = ReadNumber(t[12 + i]);
    return id;
}

bool IsExtendedObjectType(long t) {
    return (t >= 1322005 && t <= 1322009) || (t >= 2363921 && t <= 2363922) || (t >= 2365012 && t <= 2365013) ||
           (t >= 2366919 && t <= 2366921);
}

std::string DocumentTitle(const std::string& moduleName, const std::string& rack, const std::string& slot,
                          const std::string& stationPath) {
    return moduleName + "  (R" + rack + "/S" + slot + ") " + " -- " + stationPath;
}

}  // namespace startup

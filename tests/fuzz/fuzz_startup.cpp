// Start-up string: splitting, numbers, fixed fields and the identification of the module.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/startup_string.h"
#include "document/codes.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// The number as the module reads it, worked out apart: blanks and tabs, a sign, digits.
long long referenceNumber(std::string_view t) {
    size_t i = t.find_first_not_of(" \t");
    if (i == std::string_view::npos) return 0;
    bool negative = false;
    if (t[i] == '+' || t[i] == '-') negative = t[i++] == '-';
    long long v = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i)
        if (v <= LLONG_MAX / 100) v = v * 10 + (t[i] - '0');
    v = negative ? -v : v;
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // Tokens: never empty, never a comma, together the kept text without its commas.
    const auto tokens = startup::Tokenize(text);
    const std::string_view kept = text.substr(0, startup::kBufferSize - 1);
    std::string joined, withoutCommas;
    for (const auto& t : tokens) {
        check(!t.empty() && t.find(',') == std::string::npos);
        joined += t;
    }
    for (char c : kept)
        if (c != ',') withoutCommas += c;
    check(joined == withoutCommas);

    const auto full = startup::WithDefaults(tokens);
    check(full.size() >= startup::kTokenCount);
    for (size_t i = 0; i < startup::kTokenCount; ++i) check(!full[i].empty());

    for (const auto& t : full) check(startup::ReadNumber(t) == referenceNumber(t));
    check(startup::ReadNumber(text) == referenceNumber(text));

    const auto id = startup::Parse(text, 77);
    check(id.transferFile.size() <= 199 && id.moduleName.size() <= 29 && id.orderNo.size() <= 29 &&
          id.interfaceName.size() <= 29 && id.stationName.size() <= 49);
    check(id.fromProject == (full[0] == "0"));
    const int m = id.moduleType;
    check(m == 0 || m == kCP730 || m == kCP731 || m == kCP830 || isCP831(m));
    check(m != 0 || id.protocol == 77);
    check(id.rack == referenceNumber(id.rackText) && id.slot == referenceNumber(id.slotText));
    check(id.driverParts == 0 || id.driverParts == 5);
    startup::DocumentTitle(id.moduleName, id.rackText, id.slotText, id.stationName);
    return 0;
}

// Message text files: any bytes parse without harm; what parses writes and parses again to
// the same list, and the written file is stable.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "printer/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const printer::MessageLimits kLimits[] = {
        printer::LimitsFor(730, 0), printer::LimitsFor(731, 0), printer::LimitsFor(830, 1), printer::LimitsFor(8312, 2)};
    const printer::MessageLimits& limits = kLimits[data[0] % 4];
    const bool replace = data[0] & 4;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto first = printer::ParseTextFile(bytes, limits, [&](const printer::TextMessage&) { return replace; });
    if (first.list.size() > limits.size) __builtin_trap();
    for (const auto& e : first.list.entries()) {
        if (e.number < 0 || e.number >= limits.numbers || e.text.empty()) __builtin_trap();
    }
    const auto written = printer::BuildTextFile(first.version, first.list);
    if (written.refusal) return 0;
    if (written.bytes.size() > printer::kTextFileCapacity) __builtin_trap();
    const auto second = printer::ParseTextFile(written.bytes, limits);
    if (!second.messages.empty() || second.version != first.version || !(second.list == first.list)) __builtin_trap();
    if (printer::BuildTextFile(second.version, second.list).bytes != written.bytes) __builtin_trap();
    return 0;
}

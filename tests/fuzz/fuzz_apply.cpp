// NAME=VALUE settings applied to the sheet of a module on a stored record of any content:
// the module, protocol, interface and flags, then the record, the page layout and the
// settings text. Settings shown as NAME=VALUE and taken back, shown and taken again, are
// accepted and change nothing the second time ("show --pages" and back stores the same block).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "document/codes.h"
#include "pages/apply_values.h"
#include "pages/sheet_model.h"

namespace {

// What a finding was about, printed before the trap.
std::string gContext;

void check(bool ok) {
    if (ok) return;
    std::fprintf(stderr, "%s\n", gContext.c_str());
    __builtin_trap();
}

constexpr size_t kHeader = 4;
constexpr size_t kLayoutBytes = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeader + sizeof(CDb) + kLayoutBytes) return 0;
    static const int modules[] = {kCP730, kCP731, kCP830, kCP8311, kCP8312};
    static const int interfaces[] = {kIfRs232, kIfTty, kIfRs422, kIfHostRs232, kIfHostTty, kIfHostRs422, kIfNone, 5};
    rules::SheetContext ctx;
    const uint8_t flags = data[3];
    ctx.check = rules::makeCheckContext(modules[data[0] % 5], interfaces[data[2] % 8], flags & 3, (flags >> 2) & 1,
                                        (flags >> 3) & 1, (flags >> 4) & 1);
    ctx.protocol = data[1] % 6;
    ctx.interfaceNo = (flags >> 5) & 3;

    CDb db;
    std::memcpy(&db, data + kHeader, sizeof db);
    // the page layout: its leading fields from the input, the tables filled from it over and over
    CDbdr dr;
    const uint8_t* layout = data + kHeader + sizeof db;
    uint8_t* fields[] = {&dr.byCharSet, &dr.byEmulation, &dr.byLinesPerPage, &dr.byLeftMargin, &dr.byHeaderLines,
                         &dr.byFooterLines, &dr.byLineEnd, &dr.byCtrlCount, &dr.byCtrlLength};
    for (size_t i = 0; i < 9; ++i) *fields[i] = layout[i];
    for (size_t i = 0; i < dr.abyCtrlTable.size(); ++i) dr.abyCtrlTable[i] = layout[9 + i % 7];
    for (size_t i = 0; i < dr.abyCharTable.size(); ++i) dr.abyCharTable[i] = static_cast<uint8_t>(i ^ layout[9 + i % 7]);
    for (auto& line : dr.achTextLine) line.fill(static_cast<char>(layout[15]));

    const size_t at = kHeader + sizeof db + kLayoutBytes;
    const std::string_view text(reinterpret_cast<const char*>(data + at), size - at);
    const auto parsed = rules::parseLines(text);
    if (parsed.badLine != 0) {
        // the single lines still go through the assignment reader
        for (size_t from = 0; from < text.size();) {
            size_t end = text.find('\n', from);
            if (end == std::string_view::npos) end = text.size();
            if (auto nv = rules::parseAssignment(text.substr(from, end - from))) check(!nv->name.empty());
            from = end + 1;
        }
        return 0;
    }
    const auto r = rules::applyValues(ctx, db, dr, parsed.values);
    if (!r.ok) {
        check(!r.text.empty());
        return 0;
    }
    // the settings `show --pages` prints for a result, applied to it
    auto showAndApply = [&](const rules::ApplyResult& from) -> std::optional<rules::ApplyResult> {
        auto sheet = rules::SheetModel::open(ctx, from.db);
        if (!sheet) return std::nullopt;
        const std::string shown = rules::describePages(*sheet, ctx.protocol == kProtPrinter ? &from.dr : nullptr);
        const auto lines = rules::parseLines(shown);
        gContext += "\nmodule " + std::to_string(ctx.check.moduleType) + " protocol " + std::to_string(ctx.protocol) +
                   " interface " + std::to_string(ctx.check.interfaceCode) + "\nshown:\n" + shown;
        check(lines.badLine == 0);
        auto out = rules::applyValues(ctx, from.db, from.dr, lines.values);
        gContext += "\nrefused: " + out.text;
        return out;
    };
    // A record of any content may hold a value no page shows (and the settings then name
    // none); once the settings were taken, showing and taking them again changes nothing.
    const auto r2 = showAndApply(r);
    if (!r2 || !r2->ok) return 0;
    const auto r3 = showAndApply(*r2);
    check(r3 && r3->ok);
    const auto* was = reinterpret_cast<const uint8_t*>(&r2->db);
    const auto* now = reinterpret_cast<const uint8_t*>(&r3->db);
    for (size_t i = 0; i < sizeof(CDb); ++i)
        if (was[i] != now[i])
            gContext += "\nrecord byte " + std::to_string(i) + ": " + std::to_string(was[i]) + " -> " + std::to_string(now[i]);
    check(std::memcmp(&r3->db, &r2->db, sizeof r2->db) == 0);
    check(r3->dr.byLeftMargin == r2->dr.byLeftMargin && r3->dr.byLinesPerPage == r2->dr.byLinesPerPage &&
          r3->dr.byLineEnd == r2->dr.byLineEnd);
    return 0;
}

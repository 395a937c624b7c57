#include "tools/cpsim/ident_records.h"

#include <algorithm>

namespace cpsim {
namespace {

constexpr std::int32_t kNoSuchRecord = static_cast<std::int32_t>(0xFFF60007);
constexpr std::int32_t kBadRequest = static_cast<std::int32_t>(0xFFF60006);

void put16(std::vector<std::uint8_t>& b, size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}

}  // namespace

std::vector<std::uint8_t> ModuleIdentList(const ModuleIdent& ident) {
    constexpr size_t kRecordLength = 28;
    std::vector<std::uint8_t> list(8 + 2 * kRecordLength, 0);
    put16(list, 0, 0x0011);
    put16(list, 2, 1);
    put16(list, 4, kRecordLength);
    put16(list, 6, 2);
    auto record = [&](size_t n, std::uint16_t index, const std::array<std::uint8_t, 4>& version) {
        const size_t at = 8 + n * kRecordLength;
        put16(list, at, index);
        for (size_t i = 0; i < 20; ++i) list[at + 2 + i] = i < ident.orderNo.size() ? ident.orderNo[i] : ' ';
        std::copy(version.begin(), version.end(), list.begin() + static_cast<std::ptrdiff_t>(at + 24));
    };
    record(0, 1, ident.hardware);
    record(1, 7, ident.firmware);
    return list;
}

RecordResult IdentRecords::Write(std::uint16_t, std::span<const std::uint8_t>) { return {kBadRequest, {}}; }

RecordResult IdentRecords::Read(std::uint16_t record, std::uint16_t length) {
    std::vector<std::uint8_t> d;
    if (record == 248) {
        if (form_ == Form::Missing) return {kNoSuchRecord, {}};
        d.assign(8 + 4, 0);
        put16(d, 0, 0x0001);
        put16(d, 4, 4);
        put16(d, 6, 1);
        switch (form_) {
        case Form::Long: put16(d, 8, 0x0011); put16(d, 10, kLongRecord); break;
        case Form::Short: put16(d, 8, 0x0111); put16(d, 10, kShortRecord); break;
        default: put16(d, 8, 0x0022); put16(d, 10, 251); break;
        }
    } else if (record == kLongRecord && form_ == Form::Long) {
        d = ModuleIdentList(ident_);
    } else if (record == kShortRecord && form_ == Form::Short) {
        d.assign(34, 0);
        d[0] = 1;
        d[1] = 0x11;
        put16(d, 32, shortVersion_);
    } else {
        return {kNoSuchRecord, {}};
    }
    if (d.size() > length) d.resize(length);
    return {0, d};
}

}  // namespace cpsim

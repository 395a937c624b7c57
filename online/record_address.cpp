#include "online/record_address.h"

#include <stdexcept>

namespace online {
namespace {

void put16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v >> 8);
    at[1] = static_cast<std::uint8_t>(v);
}

std::uint16_t get16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}

}  // namespace

std::array<std::uint8_t, kRecordAddressSize> RecordAddress(std::uint16_t length, std::uint16_t record,
                                                           std::uint16_t moduleAddress) {
    std::array<std::uint8_t, kRecordAddressSize> a{0x12, 0x0A, 0x10, 0x03, 0, 0, 0, 0, 0x01, 0x00, 0, 0};
    put16(&a[4], length);
    put16(&a[6], record);
    put16(&a[10], moduleAddress);
    return a;
}

std::vector<std::uint8_t> RecordWriteRequest(std::uint16_t record, std::uint16_t moduleAddress,
                                             std::span<const std::uint8_t> data) {
    if (data.size() > 0xFFFF) throw std::length_error("record data longer than 65535 bytes");
    const auto n = static_cast<std::uint16_t>(data.size());
    const auto address = RecordAddress(n, record, moduleAddress);
    std::vector<std::uint8_t> out(address.begin(), address.end());
    out.push_back(0x00);
    out.push_back(0x09);
    out.push_back(static_cast<std::uint8_t>(n >> 8));
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::optional<RecordTarget> ParseRecordAddress(std::span<const std::uint8_t> a) {
    if (a.size() < kRecordAddressSize) return std::nullopt;
    if (a[0] != 0x12 || a[1] != 0x0A || a[2] != 0x10 || a[3] != 0x03 || a[8] != 0x01 || a[9] != 0x00)
        return std::nullopt;
    return RecordTarget{get16(a, 4), get16(a, 6), get16(a, 10)};
}

std::optional<RecordWrite> ParseRecordWrite(std::span<const std::uint8_t> request) {
    if (request.size() < kRecordAddressSize + kDataHeadSize) return std::nullopt;
    auto target = ParseRecordAddress(request.first(kRecordAddressSize));
    if (!target) return std::nullopt;
    auto head = request.subspan(kRecordAddressSize, kDataHeadSize);
    auto data = request.subspan(kRecordAddressSize + kDataHeadSize);
    const std::uint16_t n = get16(head, 2);
    if (head[0] != 0x00 || head[1] != 0x09 || n != data.size() || target->length != n) return std::nullopt;
    return RecordWrite{*target, {data.begin(), data.end()}};
}

std::uint16_t ModuleAddressOr(std::uint16_t address, std::uint16_t fallback) {
    return (address & 0x8000) ? fallback : address;
}

std::uint16_t RackSlotModuleAddress(int rack, int slot) {
    return static_cast<std::uint16_t>(rack * 128 + slot * 16 + 192);
}

}  // namespace online

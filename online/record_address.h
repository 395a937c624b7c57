#pragma once
// How a module data record is addressed through the controller: the 12-byte record address,
// the write request built on it, and the module address the callers fall back to.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace online {

constexpr std::size_t kRecordAddressSize = 12;
constexpr std::size_t kDataHeadSize = 4;
constexpr std::uint16_t kDriverRecord = 200;
constexpr std::uint16_t kFirmwareRecord = 239;
constexpr std::uint16_t kIdentRecord = 248;

// {0x12, 0x0A, 0x10, 0x03, length, record, 0x01, 0x00, module address}, 16-bit values big-endian.
std::array<std::uint8_t, kRecordAddressSize> RecordAddress(std::uint16_t length, std::uint16_t record,
                                                           std::uint16_t moduleAddress);

// The record address, the data head {0x00, 0x09, length} and the data: 16 + data bytes.
// The data of one request is at most 0xFFFF bytes (the length fields are 16-bit).
std::vector<std::uint8_t> RecordWriteRequest(std::uint16_t record, std::uint16_t moduleAddress,
                                             std::span<const std::uint8_t> data);

// What a record address names; nullopt when the bytes are no record address.
struct RecordTarget {
    std::uint16_t length = 0;
    std::uint16_t record = 0;
    std::uint16_t moduleAddress = 0;
    bool operator==(const RecordTarget&) const = default;
};
std::optional<RecordTarget> ParseRecordAddress(std::span<const std::uint8_t> address);

// A write request taken apart: its target and its data. nullopt when the address is wrong, the
// data head is not {0x00, 0x09, n} or n is not the number of data bytes, or the address's length
// differs from n.
struct RecordWrite {
    RecordTarget target;
    std::vector<std::uint8_t> data;
};
std::optional<RecordWrite> ParseRecordWrite(std::span<const std::uint8_t> request);

// The module address to use: `address` unless its bit 15 is set (an output address, or a failed
// read), then `fallback`.
std::uint16_t ModuleAddressOr(std::uint16_t address, std::uint16_t fallback);
// The fallback of the driver dialogs (and of the CP 731 firmware dialog): rack x 128 + slot x 16 + 192.
std::uint16_t RackSlotModuleAddress(int rack, int slot);
// The fallback of the firmware dialog on every other model.
constexpr std::uint16_t kFirmwareFallbackAddress = 512;

}  // namespace online

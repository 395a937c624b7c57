#include "online/firmware_version.h"

#include <cstdio>

#include "online/record_address.h"

namespace online {
namespace {

constexpr uint16_t kIdentList = 0x0011;  // the SZL id of the identification list
constexpr size_t kIdentRecordLength = 28;
constexpr size_t kMaxIdentRecords = 6;
constexpr uint16_t kFirmwareIndex = 7;
constexpr size_t kSzlBufferSize = 200;

uint16_t be16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] << 8 | b[at + 1]); }

std::optional<std::vector<uint8_t>> readRecord(ModuleChannel& channel, uint16_t moduleAddress, uint16_t record) {
    const auto address = RecordAddress(kIdentReadLength, record, moduleAddress);
    std::vector<uint8_t> response;
    if (channel.ReadRecord(address, response, kIdentReadLength + 4) != 0 || response.size() < 4) return std::nullopt;
    return std::vector<uint8_t>(response.begin() + 4, response.end());
}

}  // namespace

std::optional<std::string> VersionFromIdentList(const std::vector<uint8_t>& list, bool needLetter) {
    if (list.size() < 8 || be16(list, 0) != kIdentList || be16(list, 4) != kIdentRecordLength) return std::nullopt;
    const size_t count = be16(list, 6);
    if (count > kMaxIdentRecords) return std::nullopt;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 8 + i * kIdentRecordLength;
        if (at + kIdentRecordLength > list.size()) break;
        if (be16(list, at) != kFirmwareIndex) continue;
        const uint8_t letter = list[at + 24];
        if (needLetter && letter == 0) return std::nullopt;
        char text[32];
        std::snprintf(text, sizeof text, "%c%d.%d.%d", letter ? static_cast<char>(letter) : ' ', list[at + 25],
                      list[at + 26], list[at + 27]);
        return std::string(letter ? text : text + 1);
    }
    return std::nullopt;
}

std::optional<std::string> VersionFromShortIdent(const std::vector<uint8_t>& record) {
    if (record.size() < 34 || record[0] != 1 || record[1] != 0x11) return std::nullopt;
    return std::to_string(be16(record, 32));
}

std::optional<IdentDirectory> ParseIdentDirectory(const std::vector<uint8_t>& data) {
    if (data.size() < 8 || be16(data, 0) != 0x0001) return std::nullopt;
    const size_t length = be16(data, 4), count = be16(data, 6);
    if (length == 0 || count == 0 || length * count > kIdentReadLength) return std::nullopt;
    IdentDirectory d;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 8 + i * length;
        if (length < 4 || at + 4 > data.size()) break;
        const uint16_t kind = be16(data, at);
        if (kind == kIdentLong && !d.longRecord) d.longRecord = be16(data, at + 2);
        if (kind == kIdentShort && !d.shortRecord) d.shortRecord = be16(data, at + 2);
    }
    if (!d.longRecord && !d.shortRecord) return std::nullopt;
    return d;
}

std::optional<std::string> ReadVersionSzl(ModuleChannel& channel) {
    std::vector<uint8_t> response;
    if (channel.ReadSzl(kIdentList, 1, response, kSzlBufferSize) != 0) return std::nullopt;
    if (response.size() > kSzlBufferSize) response.resize(kSzlBufferSize);
    return VersionFromIdentList(response, false);
}

std::optional<std::string> ReadVersionRecords(ModuleChannel& channel, uint16_t moduleAddress) {
    const auto directory = readRecord(channel, moduleAddress, kIdentRecord);
    if (!directory) return std::nullopt;
    const auto d = ParseIdentDirectory(*directory);
    if (!d) return std::nullopt;
    if (d->longRecord) {
        const auto list = readRecord(channel, moduleAddress, d->longRecord);
        return list ? VersionFromIdentList(*list, true) : std::nullopt;
    }
    const auto record = readRecord(channel, moduleAddress, d->shortRecord);
    return record ? VersionFromShortIdent(*record) : std::nullopt;
}

std::optional<std::string> ReadModuleVersion(ModuleChannel& channel, bool throughSzl, uint16_t moduleAddress) {
    return throughSzl ? ReadVersionSzl(channel) : ReadVersionRecords(channel, moduleAddress);
}

}  // namespace online

#pragma once
// The firmware version a module reports: a CP 831 through the controller's system status list
// (SZL 0x0011), a CP 731 or CP 830 through its identification records, found in the directory
// of data record 248.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "online/module_channel.h"

namespace online {

// Directory entry kinds: the record holding the module identification, the short one.
constexpr uint16_t kIdentLong = 0x0011, kIdentShort = 0x0111;
constexpr size_t kIdentReadLength = 198;

// The version text of an identification list (SZL 0x0011 form: id, index, record length 28,
// count <= 6, then 28-byte records): record index 7, bytes 24 to 27 as "%c%d.%d.%d". nullopt when
// the list does not have that form or holds no such record, or (`needLetter`) its letter is 0.
std::optional<std::string> VersionFromIdentList(const std::vector<uint8_t>& list, bool needLetter);
// The short identification record: starts with 1, 0x11; the number at bytes 32 and 33.
std::optional<std::string> VersionFromShortIdent(const std::vector<uint8_t>& record);
// The identification records the directory (record 248's data) names: {long, short}, 0 for none.
struct IdentDirectory {
    uint16_t longRecord = 0, shortRecord = 0;
};
std::optional<IdentDirectory> ParseIdentDirectory(const std::vector<uint8_t>& data);

// The module's version over the open connection; nullopt when it cannot be read.
std::optional<std::string> ReadVersionSzl(ModuleChannel& channel);
std::optional<std::string> ReadVersionRecords(ModuleChannel& channel, uint16_t moduleAddress);
// By model: CP 831 through the SZL, the others through the records.
std::optional<std::string> ReadModuleVersion(ModuleChannel& channel, bool throughSzl, uint16_t moduleAddress);

}  // namespace online

#pragma once
// The files of an installed loadable driver: the code, firmware and protocol files (a chain
// of records, each a 64-byte head and its body) and the description file (the types and
// versions of the parts per module).
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace drv {

constexpr size_t kRecordHeadSize = 64;

// The head of one record, with the fields the driver check looks at.
struct DriverRecord {
    uint64_t offset = 0;                          // of the head in its file
    std::array<uint8_t, kRecordHeadSize> head{};  // as read
    std::array<char, 8> name{};                   // bytes 0 to 7
    uint8_t verHi = 0, verLo = 0;                 // bytes 8 and 9
    uint16_t type = 0;                            // bytes 12, 13
    uint16_t bodyLength = 0;                      // bytes 14, 15
    uint32_t hwBits = 0;                          // bytes 18 to 21
    uint8_t longDriver = 0;                       // byte 54: 1 for a driver too long for interface 2

    // Head and body: the record's size in the file.
    uint64_t size() const { return kRecordHeadSize + bodyLength; }
};

DriverRecord ParseRecordHead(std::span<const uint8_t, kRecordHeadSize> head, uint64_t offset);

enum class WalkResult {
    Found,
    NoMatch,    // no record matched, or the chain ran past the end of the file
    ReadError,  // the file could not be read
};

struct RecordSearch {
    WalkResult result = WalkResult::NoMatch;
    DriverRecord record;  // the matched record
};

using RecordMatcher = std::function<bool(const DriverRecord&)>;
// Reads the 64 head bytes at `offset` (which the walk has checked lie inside the file).
using HeadReader = std::function<bool(uint64_t offset, std::span<uint8_t, kRecordHeadSize> out)>;

// Walks the records from offset 0, each next one at the previous offset + 64 + body length,
// up to the first that matches. A record whose head or body would end behind `fileSize`
// ends the walk without a match, before the matcher sees it.
RecordSearch FindRecord(uint64_t fileSize, const HeadReader& read, const RecordMatcher& match);
RecordSearch FindRecord(std::span<const uint8_t> file, const RecordMatcher& match);
// The same on a file; nullopt when it cannot be opened.
std::optional<RecordSearch> FindRecordInFile(const std::string& path, const RecordMatcher& match);

// The body of the record at `offset`, when its head there still names `bodyLength` and the
// file holds all of it.
std::optional<std::vector<uint8_t>> ReadRecordBody(const std::string& path, uint64_t offset, uint16_t bodyLength);

// --- description file ---

struct Version {
    uint8_t hi = 0, lo = 0;
    bool operator==(const Version&) const = default;
};

// One part's entries: a type read as hexadecimal, a version as two numbers 0..255 with a
// point between them (none when it cannot be read that way).
struct PartDescription {
    uint32_t type = 0;
    std::optional<Version> version;
};

struct Description {
    bool found = false;        // a section for the module exists
    int partsMask = 0;         // bit 0 firmware, bit 1 protocol part, bit 2 code (non-zero type)
    PartDescription code;      // KP_TYP, KP_VERS
    PartDescription firmware;  // SCC_TYP, SCC_VERS
    PartDescription protocol;  // PTP_TYP, PTP_VERS
};

// The longest line the reader takes; a longer one is read as several.
constexpr size_t kDescriptionLineLength = 80;

// Reads the sections of `text` whose header line holds `modulePattern` (both compared in
// upper case).
Description ParseDescription(std::string_view text, std::string_view modulePattern);
// The same on a file; nullopt when it cannot be opened.
std::optional<Description> ReadDescriptionFile(const std::string& path, std::string_view modulePattern);

// The section name a module is described under: its order number in upper case with the
// first blank and the first two hyphens made "_"; a CP 831-2 of a version above 02 is
// described under version 02.
std::string ModulePattern(std::string_view orderNo);

}  // namespace drv

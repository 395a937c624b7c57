#pragma once
// The record container: a list of data records (DS) packed behind a directory. It is the
// value of the module object's attribute 110706 and, byte for byte, the data transfer file
// of the CP 730, CP 731 and CP 830.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// One entry of a record list. Unpacked entries point into the container they came from.
struct SdbRecord {
    const uint8_t* pData;
    uint8_t byFlag;       // 0 or 1 (bit 15 of the directory word)
    uint8_t byNumber;     // record (DS) number
    uint8_t byLength;     // data length, 0 to 255
    uint8_t byAttribute;
};

struct SdbRecordList {
    uint8_t byKind;       // list kind, low 3 bits
    uint8_t byCount;      // entries
    uint16_t wBlockType;  // 7361 CP 730, 7363 CP 731, 7304 CP 830
    SdbRecord* pEntries;  // byCount entries, in the same allocation as the list
};

// Allocates a list of `count` entries (0 to 255) in one piece, every byte 0xFB, then sets
// the count. Returns nullptr when memory runs out or the count does not fit the list.
SdbRecordList* SdbNewRecordList(int count);
// Releases a list from SdbNewRecordList or SdbUnpackRecords. Returns 0.
int SdbFreeRecordList(SdbRecordList* list);

// Packs the list into `out`. Returns the container's size; 0 for a missing list, missing
// entries, a count of 0, an entry without data, or a record whose data would start beyond
// the 15 bits of offset the directory holds. When the size exceeds `capacity` nothing is
// written and the size that would be needed is returned.
int SdbPackRecords(const SdbRecordList* list, uint8_t* out, size_t capacity);

// Unpacks a container. Returns the record count (> 0), 0 for a container without records,
// -1 when the list cannot be allocated, -2 when the directory or an entry's data runs past
// `size` (the list is then left allocated and incomplete; a container too short for its
// 6-byte start gives no list). The list, when given, must be freed by the caller.
int SdbUnpackRecords(const uint8_t* container, size_t size, SdbRecordList** list);

struct SdbRecordListDeleter {
    void operator()(SdbRecordList* l) const { SdbFreeRecordList(l); }
};
using SdbRecordListPtr = std::unique_ptr<SdbRecordList, SdbRecordListDeleter>;

namespace sdb {

constexpr int kRecordSize = 240;            // data bytes per record
constexpr int kHeaderRecordSize = 32;       // kept bytes of record 0
constexpr int kFirstParamRecord = 128;
constexpr int kLastParamRecord = 134;
constexpr int kFirstTextRecord = 135;
constexpr int kLastTextRecord = 199;
constexpr int kMaxParamRecords = kLastParamRecord - kFirstParamRecord + 1;  // 7
constexpr int kMaxTextRecords = kLastTextRecord - kFirstTextRecord + 1;     // 65
constexpr size_t kContainerCapacity = 65536;
// A record may be up to 255 bytes long, so the last record of a range can reach 15 bytes
// beyond the range's 240-byte pieces.
constexpr size_t kParamBufferSize = (kMaxParamRecords - 1) * kRecordSize + 255;
constexpr size_t kTextBufferSize = (kMaxTextRecords - 1) * kRecordSize + 255;

// The plain message boxes shown when a block needs more records than its range holds.
inline constexpr const char* kTooManyParamRecordsText =
    "Die max. DS-Anzahl für Parametrierdaten wurde überschritten!\nBitte Parametrierdaten überprüfen";
inline constexpr const char* kTooManyTextRecordsText =
    "Die max. DS-Anzahl für Texte wurde überschritten!\nBitte Texte überprüfen";

// Block type code of the module's container; 0 for a module that has none (CP 831).
uint16_t BlockTypeCode(int moduleType);

// Record 0 as carried from reading to writing: only its first byte means anything to the
// program ("Alarmgenerierung"); a stored record longer than 32 bytes keeps its whole length.
struct HeaderRecord {
    std::array<uint8_t, kHeaderRecordSize> bytes{};
    uint8_t length = kHeaderRecordSize;
    uint8_t flag = 1;
    uint8_t attribute = 0;
};

// The one flag/attribute pair given to every parameter and text record.
struct RecordPair {
    uint8_t flag = 1;
    uint8_t attribute = 0;
};

struct ContainerBuildInput {
    int moduleType = 0;
    HeaderRecord header;
    RecordPair pair;
    std::span<const uint8_t> paramImage;
    bool texts = false;                  // the text image is carried
    std::span<const uint8_t> textImage;
};

enum class ContainerBuildStatus {
    Ok,
    TooManyRecords,   // a warning is set; nothing was packed, the stored block stays as it was
    NoContainer,      // the module stores no record container
    PackFailed,
};

struct ContainerBuildResult {
    ContainerBuildStatus status = ContainerBuildStatus::PackFailed;
    std::vector<uint8_t> bytes;        // the packed container
    int paramRecords = 0;              // parameter records (128 ...)
    int textRecords = 0;               // text records (135 ...)
    bool tooManyParamRecords = false;  // show kTooManyParamRecordsText
    bool tooManyTextRecords = false;   // show kTooManyTextRecordsText
};

// Cuts the parameter image (and the text image) into records of at most 240 bytes and packs
// them with the header record. A block that needs more records than its range holds is not
// packed at all: its records would otherwise be numbered into the next range.
ContainerBuildResult BuildContainer(const ContainerBuildInput& in);

enum class ContainerReadStatus {
    Ok,
    NoRecords,   // unpacking failed or gave no records: the caller takes its defaults
};

// What a stored container gives the document.
struct ContainerContents {
    ContainerReadStatus status = ContainerReadStatus::NoRecords;
    int unpackResult = 0;              // SdbUnpackRecords' result
    bool headerPresent = false;        // record 0 was found
    HeaderRecord header;
    RecordPair pair;
    std::array<uint8_t, kParamBufferSize> param{};
    size_t paramSize = 0;              // sum of the parameter records' lengths
    std::array<uint8_t, kTextBufferSize> text{};
    size_t textSize = 0;
    bool textPresent = false;          // record 135 was found

    std::span<const uint8_t> paramImage() const { return {param.data(), paramSize}; }
    std::span<const uint8_t> textImage() const { return {text.data(), textSize}; }
};

// Reads up to 65,536 bytes of a container into `out` (it is large; keep it off the stack).
// Records other than 0 and 128 to 199 are ignored.
void ReadContainer(std::span<const uint8_t> bytes, ContainerContents& out);

}  // namespace sdb

#pragma once
// The parameter image: block head, offset table and sub-blocks (protocol block, printer
// block, loadable-driver data), built from the document's records and read back into them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "document/records.h"
#include "sdb/head.h"
#include "sdb/printer_image.h"

namespace sdb {

constexpr int kSubBlocks = 11;

// Index of the first sub-block: 1 on the CP 831 (it has no sub-block 0), 0 otherwise.
int FirstSubBlock(int moduleType);

// N words: word 0 is 2·N, word k the offset (from the table's first byte) of sub-block
// first + k, or 0 when that sub-block is empty.
struct OffsetTable {
    int first = 0;
    int count = 0;  // N
    std::array<uint16_t, kSubBlocks> words{};
};
OffsetTable MakeOffsetTable(const BlockLengths& lengths, int first);
// Lengths from the N words of a stored table and the body length B, walking from the last
// word back. A word that points before the table's end or behind the previous sub-block
// gives length 0. Indexes run from `first`; the lengths below it are 0.
// `entries` is the N the head names; `words` holds the first of them (at most 11).
BlockLengths LengthsFromOffsetTable(std::span<const uint16_t> words, int entries, int first, uint16_t bodyLength);

// Where the sub-blocks behind the protocol block start, counted from the body start.
size_t PrinterOffset(int moduleType, const BlockLengths& lengths);
size_t DriverDataOffset(int moduleType, bool oldLayout);
// The older layout of a CP 731 or CP 831: sub-blocks up to 2 end 4 bytes before the
// protocol image does (71 bytes on the CP 731, 69 on the CP 831).
bool OlderLayoutLengths(int moduleType, const BlockLengths& lengths);

// Applies the build's adjustments to the record: the interface letter (CP 730, CP 731:
// 26 'Q', 27 'C', 28 'B', else 0; CP 831: the interface code itself; CP 830 keeps it) and the
// port codes (CP 731 4, 5; CP 830 0, 0; CP 831 4, 5 when head byte 22 is 1, 3, 7 when 2).
void AdjustForBuild(CDb& db, int moduleType, int interfaceCode, uint8_t headVariant1);

struct ParamBuildInput {
    BuildContext ctx;
    CDb params{};
    CDbdr printer;                        // used for the printer protocol and printer drivers
    BlockLengths lengths{};
    CDbHead head;                         // current head: the build keeps what it does not set
    bool driverDataArea = false;          // the document holds a loadable driver's data area
    std::span<const uint8_t> driverData;  // its bytes (at most 10,240 are used)
    bool driverHasTexts = false;          // the installed driver is flagged as printer driver
    bool oldLayout = false;               // m_bOldLayout
};

enum class ParamBuildStatus { Ok, UnknownModule, TooLarge };

struct ParamBuildResult {
    ParamBuildStatus status = ParamBuildStatus::UnknownModule;
    std::vector<uint8_t> image;  // head, offset table, sub-blocks: H + B bytes
    CDbHead head;                // as written; the document keeps it as its current head
    CDb params{};                // with the build's adjustments; the document keeps it
    BlockLengths lengths{};      // after the loadable-driver and extended-module updates
    OffsetTable table;
    bool oldLayout = false;
};

ParamBuildResult BuildParamImage(const ParamBuildInput& in);

struct ParamDecodeInput {
    int moduleType = 0;
    std::span<const uint8_t> image;
    CDb params{};                        // fields the image does not carry keep these values
    CDbdr printer;                       // likewise for the printer block
    std::span<uint8_t> driverBuffer;     // caller-owned, normally 10,240 bytes
};

enum class ParamDecodeStatus {
    Ok,
    Absent,         // bytes 0 and 6 are both 0 (or no head at all): take the defaults
    UnknownModule,
};

struct ParamDecodeResult {
    ParamDecodeStatus status = ParamDecodeStatus::Absent;
    CDbHead head;
    CDb params{};
    bool printerRead = false;
    CDbdr printer;
    BlockLengths lengths{};
    OffsetTable table;                 // as stored (first, N, the first 11 words)
    size_t bodyStart = 0;              // 25 + 2·N
    bool driverDataRead = false;
    size_t driverDataLength = 0;       // bytes copied into the driver buffer
    bool driverDataTruncated = false;  // the stored data was longer than buffer or image
    bool oldLayout = false;
    bool truncated = false;            // the image is shorter than its head says
};

ParamDecodeResult DecodeParamImage(const ParamDecodeInput& in);

}  // namespace sdb

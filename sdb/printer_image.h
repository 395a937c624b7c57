#pragma once
// The printer-output record (CDbdr) as sub-blocks 3 to 9 of the parameter image.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "document/records.h"

namespace sdb {

using BlockLengths = std::array<uint16_t, 11>;

// Sub-block 3: the seven page-layout bytes.
constexpr size_t kPrinterSettingsSize = 7;

// Bytes of the printer image for these lengths: 7 + lengths 4 to 9.
size_t PrinterImageSize(const BlockLengths& lengths);

// Writes sub-block 3 (7 bytes), sub-block 4 (count, control-table length and the first
// length 4 - 2 bytes of the control table), sub-block 5 (the first length 5 bytes of the
// conversion table) and sub-blocks 6 to 9 (the first length 6..9 characters of the text
// lines). A length beyond its field is filled with zeros. Returns PrinterImageSize; bytes
// beyond `out` are not written.
size_t WritePrinterImage(const CDbdr& dr, const BlockLengths& lengths, std::span<uint8_t> out);
// Reads the same into `dr`; what the image does not hold (a shorter length, or bytes beyond
// `in`) keeps its value, and what exceeds a field is not taken. Returns PrinterImageSize.
size_t ReadPrinterImage(std::span<const uint8_t> in, const BlockLengths& lengths, CDbdr& dr);

}  // namespace sdb

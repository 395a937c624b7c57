#pragma once
// The protocol record (CDb) as each module packs it into sub-blocks 0 to 2 of the parameter
// image. Words are big-endian in the image.
#include <cstddef>
#include <cstdint>
#include <span>

#include "document/records.h"
#include "document/cdb_fields.h"

namespace sdb {

// Bytes the protocol block stands for in the parameter image.
constexpr size_t kProtocolImageSize730 = 43;
constexpr size_t kProtocolImageSize731 = 75;
constexpr size_t kProtocolImageSize830 = 189;
constexpr size_t kProtocolImageSize831 = 73;
// The CP 830 image carries fields in its first 92 bytes only; the rest is always 0.
constexpr size_t kProtocolFields830 = 92;
constexpr size_t kMaxProtocolImageSize = kProtocolImageSize830;

// One field of a module's image.
struct ImageField {
    uint16_t imageOffset;
    uint16_t recordOffset;
    FieldType type;
    uint8_t count;
};

// The fields the module's image carries, in image order; empty for an unknown module.
std::span<const ImageField> ProtocolImageFields(int moduleType);
// 43, 75, 189 or 73; 0 for an unknown module.
size_t ProtocolImageSize(int moduleType);

// Writes the module's image of `db` into the first bytes of `out` (which must be zeroed);
// returns the number of bytes the image stands for. Bytes beyond `out` are not written.
size_t WriteProtocolImage(int moduleType, const CDb& db, std::span<uint8_t> out);
// Reads the module's image into `db`; fields the image does not carry keep their value,
// and so do fields whose bytes lie beyond `in`. Returns the bytes the image stands for.
size_t ReadProtocolImage(int moduleType, std::span<const uint8_t> in, CDb& db);

}  // namespace sdb

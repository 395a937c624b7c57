#pragma once
// The fields of the protocol record by name, offset and width, so that the module images,
// the dump and the command line walk one table instead of repeating the field list.
#include <cstdint>
#include <span>

#include "document/records.h"

enum class FieldType : uint8_t {
    U8,     // one byte
    U16,    // 16-bit word (host order in the record, big-endian in images)
    Chars,  // `count` characters, not terminated
    Bytes,  // `count` bytes
};

struct CdbField {
    const char* name;     // as the record names it, e.g. "wCharDelay"
    uint16_t offset;      // in the 118-byte record
    FieldType type;
    uint8_t count;        // bytes (Chars, Bytes); 1 or 2 otherwise
};

// Every field from wRecordType to aby830Ext2, in record order.
std::span<const CdbField> CdbFields();

// Host-order access to a field of the record by its offset.
uint8_t CdbGetU8(const CDb& db, size_t offset);
uint16_t CdbGetU16(const CDb& db, size_t offset);
void CdbSetU8(CDb& db, size_t offset, uint8_t v);
void CdbSetU16(CDb& db, size_t offset, uint16_t v);
std::span<const uint8_t> CdbBytes(const CDb& db, size_t offset, size_t count);
std::span<uint8_t> CdbBytes(CDb& db, size_t offset, size_t count);


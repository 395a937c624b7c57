#pragma once
// The fields of the records by name, place and width, so that the byte images, the dump and
// the command line walk one table per record instead of repeating the field list.
#include <cstddef>
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


// One field of a record whose members do not lie as its image does (block head, driver
// descriptor, printer block, text-block name): its name, where its bytes stand in the image
// and how to reach its value. A field is one number or a row of `count` elements; the image
// holds each element big-endian in `width` bytes, the record in host order.
template <typename Record>
struct BlockField {
    const char* name;   // as the record names it, e.g. "wHeadLen"
    uint8_t part;       // printer block: the sub-block (3 to 9) that holds the field; 0 otherwise
    uint16_t at;        // first byte in the image (printer block: in its sub-block)
    uint8_t width;      // bytes of one element: 1, 2 or 4
    uint16_t count;     // elements
    bool text;          // characters, listed as text
    uint32_t (*get)(const Record&, size_t element);
    void (*set)(Record&, size_t element, uint32_t value);
    uint16_t (*listed)(const Record&) = nullptr;  // elements a listing shows, when not all of them

    constexpr size_t size() const { return size_t{width} * count; }
    constexpr size_t end() const { return at + size(); }
};

// Every field of the 25-byte block head, in image order.
std::span<const BlockField<CDbHead>> HeadFields();
// Every field of the 64-byte driver descriptor, in image order.
std::span<const BlockField<CDbSon>> SonFields();
// The printer block: sub-block 3 (the seven page-layout bytes), 4 (count, length and the
// control-character table), 5 (the character conversion table), 6 to 9 (the text lines).
std::span<const BlockField<CDbdr>> PrinterFields();
// The 10-byte name record of the text block.
std::span<const BlockField<CDbtex>> TextNameFields();

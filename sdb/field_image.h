#pragma once
// A record's image written and read through its field table: each element big-endian at its
// place, every access bounds-checked by the image's writer and reader.
#include <cstddef>
#include <cstdint>
#include <span>

#include "document/cdb_fields.h"
#include "sdb/bytes.h"

namespace sdb {

// Where the part of an image that holds a field starts, and how many of its bytes the image
// gives it. Elements beyond `length` are neither written nor read.
struct FieldPlace {
    size_t start = 0;
    size_t length = SIZE_MAX;
};

// Writes every field; `place(field)` says where its part lies.
template <typename Record, typename Place>
void WriteFields(std::span<const BlockField<Record>> fields, const Record& rec, ImageWriter& w, Place place) {
    for (const BlockField<Record>& f : fields) {
        const FieldPlace p = place(f);
        for (size_t i = 0; i < f.count && f.at + (i + 1) * f.width <= p.length; ++i) {
            const size_t at = p.start + f.at + i * f.width;
            const uint32_t v = f.get(rec, i);
            switch (f.width) {
            case 1: w.u8(at, static_cast<uint8_t>(v)); break;
            case 2: w.u16(at, static_cast<uint16_t>(v)); break;
            default: w.u32(at, v); break;
            }
        }
    }
}

// Reads every field; an element whose bytes the image does not hold keeps its value.
template <typename Record, typename Place>
void ReadFields(std::span<const BlockField<Record>> fields, const ImageReader& r, Record& rec, Place place) {
    for (const BlockField<Record>& f : fields) {
        const FieldPlace p = place(f);
        for (size_t i = 0; i < f.count && f.at + (i + 1) * f.width <= p.length; ++i) {
            const size_t at = p.start + f.at + i * f.width;
            if (at + f.width > r.size()) break;
            switch (f.width) {
            case 1: f.set(rec, i, r.u8(at)); break;
            case 2: f.set(rec, i, r.u16(at)); break;
            default: f.set(rec, i, r.u32(at)); break;
            }
        }
    }
}

// The same for a record whose image is the whole of `w` or `r`.
template <typename Record>
void WriteFields(std::span<const BlockField<Record>> fields, const Record& rec, ImageWriter& w) {
    WriteFields(fields, rec, w, [](const BlockField<Record>&) { return FieldPlace{}; });
}
template <typename Record>
void ReadFields(std::span<const BlockField<Record>> fields, const ImageReader& r, Record& rec) {
    ReadFields(fields, r, rec, [](const BlockField<Record>&) { return FieldPlace{}; });
}

}  // namespace sdb

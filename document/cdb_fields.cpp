#include "document/cdb_fields.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

#define PTP_FIELD(name, type, count) CdbField{#name, static_cast<uint16_t>(offsetof(CDb, name)), FieldType::type, count}

namespace {
const CdbField kFields[] = {
    PTP_FIELD(wRecordType, U16, 2),
    PTP_FIELD(achDriverName, Chars, 8),
    PTP_FIELD(byDriverVerHi, U8, 1),
    PTP_FIELD(byDriverVerLo, U8, 1),
    PTP_FIELD(achSccName, Chars, 8),
    PTP_FIELD(bySccVerHi, U8, 1),
    PTP_FIELD(bySccVerLo, U8, 1),
    PTP_FIELD(wReserved1, U16, 2),
    PTP_FIELD(byTypeCode1, U8, 1),
    PTP_FIELD(byTypeCode2, U8, 1),
    PTP_FIELD(wProtocolId, U16, 2),
    PTP_FIELD(wDriverWord, U16, 2),
    PTP_FIELD(byInterface, U8, 1),
    PTP_FIELD(wRecvDbNo, U16, 2),
    PTP_FIELD(wRecvAux, U16, 2),
    PTP_FIELD(byClearRecvBuf, U8, 1),
    PTP_FIELD(byBaud, U8, 1),
    PTP_FIELD(byParity, U8, 1),
    PTP_FIELD(byDataBits, U8, 1),
    PTP_FIELD(byStopBits, U8, 1),
    PTP_FIELD(byFlowCtrl, U8, 1),
    PTP_FIELD(byMode, U8, 1),
    PTP_FIELD(byPriority, U8, 1),
    PTP_FIELD(wCharDelay, U16, 2),
    PTP_FIELD(wAckDelay, U16, 2),
    PTP_FIELD(byConnectTries, U8, 1),
    PTP_FIELD(bySendTries, U8, 1),
    PTP_FIELD(byRecvEndCount, U8, 1),
    PTP_FIELD(byRecvEnd1, U8, 1),
    PTP_FIELD(byRecvEnd2, U8, 1),
    PTP_FIELD(byXonChar, U8, 1),
    PTP_FIELD(byXoffChar, U8, 1),
    PTP_FIELD(byV24Signals, U8, 1),
    PTP_FIELD(wXonWait, U16, 2),
    PTP_FIELD(wRtsOffTime, U16, 2),
    PTP_FIELD(wOutputWait, U16, 2),
    PTP_FIELD(wTelegramLen, U16, 2),
    PTP_FIELD(byBufferedTelegrams, U8, 1),
    PTP_FIELD(byNoOverwrite, U8, 1),
    PTP_FIELD(byBreakOff, U8, 1),
    PTP_FIELD(byLinePreset, U8, 1),
    PTP_FIELD(bySendMode, U8, 1),
    PTP_FIELD(bySendEndCount, U8, 1),
    PTP_FIELD(bySendEnd1, U8, 1),
    PTP_FIELD(bySendEnd2, U8, 1),
    PTP_FIELD(byExtErrDisplay, U8, 1),
    PTP_FIELD(byReserved4, U8, 1),
    PTP_FIELD(wReactionWait, U16, 2),
    PTP_FIELD(byOpMode830, U8, 1),
    PTP_FIELD(by830a, U8, 1),
    PTP_FIELD(by830b, U8, 1),
    PTP_FIELD(byEndCrit830, U8, 1),
    PTP_FIELD(byEndLink830, U8, 1),
    PTP_FIELD(aby830Ext1, Bytes, 8),
    PTP_FIELD(w830Word, U16, 2),
    PTP_FIELD(aby830Ext2, Bytes, 20),
};
}  // namespace

#undef PTP_FIELD

std::span<const CdbField> CdbFields() { return kFields; }

namespace {
const uint8_t* raw(const CDb& db) { return reinterpret_cast<const uint8_t*>(&db); }
uint8_t* raw(CDb& db) { return reinterpret_cast<uint8_t*>(&db); }
}  // namespace

// The record is packed; its words are reached through a copy, never through a pointer
// to a possibly unaligned member.
uint8_t CdbGetU8(const CDb& db, size_t offset) { return raw(db)[offset]; }
uint16_t CdbGetU16(const CDb& db, size_t offset) {
    uint16_t v;
    std::memcpy(&v, raw(db) + offset, sizeof v);
    return v;
}
void CdbSetU8(CDb& db, size_t offset, uint8_t v) { raw(db)[offset] = v; }
void CdbSetU16(CDb& db, size_t offset, uint16_t v) { std::memcpy(raw(db) + offset, &v, sizeof v); }
std::span<const uint8_t> CdbBytes(const CDb& db, size_t offset, size_t count) { return {raw(db) + offset, count}; }
std::span<uint8_t> CdbBytes(CDb& db, size_t offset, size_t count) { return {raw(db) + offset, count}; }


namespace {

// The shape of a member: one number, or a row of numbers or characters.
template <typename T>
struct Shape {
    static constexpr uint8_t width = sizeof(T);
    static constexpr uint16_t count = 1;
    static constexpr bool text = false;
};
template <typename E, size_t N>
struct Shape<std::array<E, N>> {
    static constexpr uint8_t width = sizeof(E);
    static constexpr uint16_t count = N;
    static constexpr bool text = std::is_same_v<E, char>;
};

template <typename T>
uint32_t element(const T& v, size_t) { return static_cast<uint32_t>(v); }
template <typename E, size_t N>
uint32_t element(const std::array<E, N>& a, size_t i) {
    return static_cast<uint32_t>(static_cast<std::make_unsigned_t<E>>(a[i]));
}
template <typename T>
void assign(T& v, size_t, uint32_t x) { v = static_cast<T>(x); }
template <typename E, size_t N>
void assign(std::array<E, N>& a, size_t i, uint32_t x) { a[i] = static_cast<E>(x); }

// A field named `name` whose value is `member` of the record, at `at` of sub-block `part`.
#define PTP_BLOCK_FIELD_AS(R, name, part, at, member)                                                    \
    BlockField<R> {                                                                                      \
        name, part, at, Shape<std::remove_cvref_t<decltype(std::declval<R&>().member)>>::width,          \
            Shape<std::remove_cvref_t<decltype(std::declval<R&>().member)>>::count,                      \
            Shape<std::remove_cvref_t<decltype(std::declval<R&>().member)>>::text,                       \
            [](const R& r, size_t i) { return element(r.member, i); },                                   \
            [](R& r, size_t i, uint32_t v) { assign(r.member, i, v); }                                   \
    }
#define PTP_BLOCK_FIELD(R, part, at, member) PTP_BLOCK_FIELD_AS(R, #member, part, at, member)
#define HEAD(at, member) PTP_BLOCK_FIELD(CDbHead, 0, at, member)
#define SON(at, member) PTP_BLOCK_FIELD(CDbSon, 0, at, member)
#define DR(part, at, member) PTP_BLOCK_FIELD(CDbdr, part, at, member)
#define TEX(at, member) PTP_BLOCK_FIELD(CDbtex, 0, at, member)

constexpr BlockField<CDbHead> kHead[] = {
    HEAD(0, byKind),       HEAD(1, wHeadLen),     HEAD(3, wBodyLen),     HEAD(5, byModuleCode),
    HEAD(6, byB6),         HEAD(7, byB7),         HEAD(8, wFirstIndex),  HEAD(10, wLastIndex),
    HEAD(12, abyVersion),  HEAD(16, abyTime),     HEAD(22, byVariant1),  HEAD(23, byVariant2),
    HEAD(24, byVariant3),
};

constexpr BlockField<CDbSon> kSon[] = {
    SON(0, achName),   SON(8, byVerHi),   SON(9, byVerLo),    SON(10, wZero),     SON(12, wType),
    SON(14, wBodyLen), SON(16, wWord),    SON(18, dwHwBits),  SON(22, byB22),     SON(23, byB23),
    SON(24, awWords),  SON(30, adwValues), SON(54, abyBytes), SON(60, dwValue),
};

// the control-character table is listed as far as its length says
constexpr BlockField<CDbdr> listedByCtrlLength(BlockField<CDbdr> f) {
    f.listed = [](const CDbdr& d) -> uint16_t { return d.byCtrlLength; };
    return f;
}

constexpr BlockField<CDbdr> kPrinter[] = {
    DR(3, 0, byCharSet),      DR(3, 1, byEmulation),   DR(3, 2, byLinesPerPage), DR(3, 3, byLeftMargin),
    DR(3, 4, byHeaderLines),  DR(3, 5, byFooterLines), DR(3, 6, byLineEnd),
    DR(4, 0, byCtrlCount),    DR(4, 1, byCtrlLength),  listedByCtrlLength(DR(4, 2, abyCtrlTable)),
    DR(5, 0, abyCharTable),
    PTP_BLOCK_FIELD_AS(CDbdr, "achTextLine1", 6, 0, achTextLine[0]),
    PTP_BLOCK_FIELD_AS(CDbdr, "achTextLine2", 7, 0, achTextLine[1]),
    PTP_BLOCK_FIELD_AS(CDbdr, "achTextLine3", 8, 0, achTextLine[2]),
    PTP_BLOCK_FIELD_AS(CDbdr, "achTextLine4", 9, 0, achTextLine[3]),
};

constexpr BlockField<CDbtex> kTextName[] = {
    TEX(0, achName), TEX(8, byVerHi), TEX(9, byVerLo),
};

#undef HEAD
#undef SON
#undef DR
#undef TEX
#undef PTP_BLOCK_FIELD
#undef PTP_BLOCK_FIELD_AS

// Each part of an image is covered from its first byte on, field after field, without a gap
// or an overlap, up to `size` (0: as far as the fields go).
template <typename R, size_t N>
constexpr bool tiles(const BlockField<R> (&fields)[N], int part, size_t size) {
    size_t next = 0;
    for (const auto& f : fields) {
        if (f.part != part) continue;
        if (f.at != next) return false;
        next = f.end();
    }
    return size == 0 || next == size;
}

static_assert(tiles(kHead, 0, CDbHead::kSize));
static_assert(tiles(kSon, 0, CDbSon::kSize));
static_assert(tiles(kTextName, 0, CDbtex::kSize));
static_assert(tiles(kPrinter, 3, 7));
static_assert(tiles(kPrinter, 4, 2 + CDbdr::kCtrlTableSize) && tiles(kPrinter, 5, CDbdr::kCharTableSize));
static_assert(tiles(kPrinter, 6, CDbdr::kTextLineSize) && tiles(kPrinter, 9, CDbdr::kTextLineSize));

}  // namespace

std::span<const BlockField<CDbHead>> HeadFields() { return kHead; }
std::span<const BlockField<CDbSon>> SonFields() { return kSon; }
std::span<const BlockField<CDbdr>> PrinterFields() { return kPrinter; }
std::span<const BlockField<CDbtex>> TextNameFields() { return kTextName; }

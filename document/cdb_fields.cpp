#include "document/cdb_fields.h"

#include <cstddef>
#include <cstring>

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


#include "sdb/protocol_image.h"

#include <array>
#include <cstddef>

#include "sdb/bytes.h"

namespace sdb {

namespace {

#define F8(at, name) ImageField{at, static_cast<uint16_t>(offsetof(CDb, name)), FieldType::U8, 1}
#define F16(at, name) ImageField{at, static_cast<uint16_t>(offsetof(CDb, name)), FieldType::U16, 2}
#define FCH(at, name, n) ImageField{at, static_cast<uint16_t>(offsetof(CDb, name)), FieldType::Chars, n}
#define FBY(at, name, skip, n) ImageField{at, static_cast<uint16_t>(offsetof(CDb, name) + (skip)), FieldType::Bytes, n}

const ImageField k730[] = {
    F16(0, wRecordType),     F16(2, wProtocolId),   F16(4, wDriverWord),     F8(6, byInterface),
    F16(7, wRecvDbNo),       F16(9, wRecvAux),
    F8(11, byClearRecvBuf),  F8(12, byBaud),        F8(13, byParity),        F8(14, byDataBits),
    F8(15, byStopBits),      F8(16, byFlowCtrl),    F8(17, byMode),          F8(18, byPriority),
    F16(19, wCharDelay),     F16(21, wAckDelay),
    F8(23, byConnectTries),  F8(24, bySendTries),   F8(25, byRecvEndCount),  F8(26, byRecvEnd1),
    F8(27, byRecvEnd2),      F8(28, byXonChar),     F8(29, byXoffChar),      F8(30, byV24Signals),
    F16(31, wXonWait),       F16(33, wRtsOffTime),  F16(35, wOutputWait),    F16(37, wTelegramLen),
    F8(39, byBufferedTelegrams), F8(40, byNoOverwrite), F8(41, byBreakOff),  F8(42, byLinePreset),
};

const ImageField k731[] = {
    F16(0, wRecordType),
    FCH(2, achDriverName, 8), F8(10, byDriverVerHi), F8(11, byDriverVerLo),
    FCH(12, achSccName, 8),   F8(20, bySccVerHi),    F8(21, bySccVerLo),
    F16(22, wReserved1),      F8(24, byTypeCode1),   F8(25, byTypeCode2),
    F16(26, wProtocolId),     F16(28, wDriverWord),  F8(30, byInterface),
    F16(31, wRecvDbNo),       F16(33, wRecvAux),
    F8(35, byClearRecvBuf),   F8(36, byBaud),        F8(37, byParity),       F8(38, byDataBits),
    F8(39, byStopBits),       F8(40, byFlowCtrl),    F8(41, byMode),         F8(42, byPriority),
    F16(43, wCharDelay),      F16(45, wAckDelay),
    F8(47, byConnectTries),   F8(48, bySendTries),   F8(49, byRecvEndCount), F8(50, byRecvEnd1),
    F8(51, byRecvEnd2),       F8(52, byXonChar),     F8(53, byXoffChar),     F8(54, byV24Signals),
    F16(55, wXonWait),        F16(57, wRtsOffTime),  F16(59, wOutputWait),   F16(61, wTelegramLen),
    F8(63, byBufferedTelegrams), F8(64, byNoOverwrite), F8(65, byBreakOff),  F8(66, byLinePreset),
    F8(67, bySendMode),       F8(68, bySendEndCount), F8(69, bySendEnd1),    F8(70, bySendEnd2),
    F8(71, byExtErrDisplay),  F8(72, byReserved4),
    F16(73, wReactionWait),
};

const ImageField k830[] = {
    F16(0, wRecordType),
    FCH(2, achDriverName, 8), F8(10, byDriverVerHi), F8(11, byDriverVerLo),
    FCH(12, achSccName, 8),   F8(20, bySccVerHi),    F8(21, bySccVerLo),
    F16(22, wReserved1),      F8(24, byTypeCode1),   F8(25, byTypeCode2),
    F16(26, wProtocolId),     F16(28, wDriverWord),
    F8(30, byInterface),      F8(31, byBaud),        F8(32, byDataBits),     F8(33, byParity),
    F8(34, byStopBits),       F8(35, byOpMode830),   F8(36, by830a),         F8(37, by830b),
    F8(38, byLinePreset),     F8(39, byFlowCtrl),    F8(40, byXonChar),      F8(41, byXoffChar),
    F16(42, wXonWait),        F16(44, wTelegramLen), F8(46, byClearRecvBuf),
    F8(47, byEndCrit830),     F8(48, byEndLink830),  F8(49, byPriority),
    F16(50, wCharDelay),      F16(52, wAckDelay),
    FBY(54, aby830Ext1, 0, 7),
    F8(61, bySendEndCount),   F8(62, bySendEnd1),    F8(63, bySendEnd2),
    F8(64, byRecvEndCount),   F8(65, byRecvEnd1),    F8(66, byRecvEnd2),
    FBY(67, aby830Ext1, 7, 1),
    F16(68, w830Word),
    FBY(70, aby830Ext2, 0, 20),
    F8(90, byBufferedTelegrams), F8(91, byNoOverwrite),
};

#undef F8
#undef F16
#undef FCH
#undef FBY

// The CP 831 image is the CP 731 image without its first word.
const std::array<ImageField, std::size(k731) - 1> k831 = [] {
    std::array<ImageField, std::size(k731) - 1> out{};
    for (size_t i = 1; i < std::size(k731); ++i) {
        out[i - 1] = k731[i];
        out[i - 1].imageOffset = static_cast<uint16_t>(k731[i].imageOffset - 2);
    }
    return out;
}();

}  // namespace

std::span<const ImageField> ProtocolImageFields(int moduleType) {
    switch (moduleType) {
    case kCP730: return k730;
    case kCP731: return k731;
    case kCP830: return k830;
    case kCP8311:
    case kCP8312: return k831;
    default: return {};
    }
}

size_t ProtocolImageSize(int moduleType) {
    switch (moduleType) {
    case kCP730: return kProtocolImageSize730;
    case kCP731: return kProtocolImageSize731;
    case kCP830: return kProtocolImageSize830;
    case kCP8311:
    case kCP8312: return kProtocolImageSize831;
    default: return 0;
    }
}

size_t WriteProtocolImage(int moduleType, const CDb& db, std::span<uint8_t> out) {
    ImageWriter w(out);
    for (const ImageField& f : ProtocolImageFields(moduleType)) {
        switch (f.type) {
        case FieldType::U8: w.u8(f.imageOffset, CdbGetU8(db, f.recordOffset)); break;
        case FieldType::U16: w.u16(f.imageOffset, CdbGetU16(db, f.recordOffset)); break;
        case FieldType::Chars:
        case FieldType::Bytes: w.bytes(f.imageOffset, CdbBytes(db, f.recordOffset, f.count)); break;
        }
    }
    return ProtocolImageSize(moduleType);
}

size_t ReadProtocolImage(int moduleType, std::span<const uint8_t> in, CDb& db) {
    ImageReader r(in);
    for (const ImageField& f : ProtocolImageFields(moduleType)) {
        if (static_cast<size_t>(f.imageOffset) + f.count > in.size()) continue;
        switch (f.type) {
        case FieldType::U8: CdbSetU8(db, f.recordOffset, r.u8(f.imageOffset)); break;
        case FieldType::U16: CdbSetU16(db, f.recordOffset, r.u16(f.imageOffset)); break;
        case FieldType::Chars:
        case FieldType::Bytes: r.copy(f.imageOffset, CdbBytes(db, f.recordOffset, f.count)); break;
        }
    }
    return ProtocolImageSize(moduleType);
}

}  // namespace sdb

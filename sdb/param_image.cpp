#include "sdb/param_image.h"

#include <algorithm>

#include "sdb/bytes.h"
#include "sdb/driver_image.h"
#include "sdb/protocol_image.h"

namespace sdb {

int FirstSubBlock(int moduleType) { return isCP831(moduleType) ? 1 : 0; }

OffsetTable MakeOffsetTable(const BlockLengths& lengths, int first) {
    OffsetTable t;
    t.first = first;
    int last = -1;
    for (int i = first; i < kSubBlocks; ++i)
        if (lengths[static_cast<size_t>(i)]) last = i;
    t.count = last >= first ? last - first + 1 : 0;
    if (t.count == 0) return t;
    uint32_t offset = 2u * static_cast<uint32_t>(t.count);
    t.words[0] = static_cast<uint16_t>(offset);
    for (int k = 1; k < t.count; ++k) {
        offset += lengths[static_cast<size_t>(first + k - 1)];
        const uint16_t len = lengths[static_cast<size_t>(first + k)];
        t.words[static_cast<size_t>(k)] = len ? static_cast<uint16_t>(offset) : 0;
    }
    return t;
}

BlockLengths LengthsFromOffsetTable(std::span<const uint16_t> words, int entries, int first, uint16_t bodyLength) {
    BlockLengths lengths{};
    const int usable = std::min<int>(static_cast<int>(words.size()), kSubBlocks - first);
    long end = bodyLength;
    const long table = 2L * entries;
    for (int k = usable - 1; k >= 0; --k) {
        const uint16_t w = words[static_cast<size_t>(k)];
        if (!w) continue;
        const long start = static_cast<long>(w) - table;
        // a stored table that is out of order must not produce a length nobody can hold
        if (start < 0 || start > end) continue;
        lengths[static_cast<size_t>(first + k)] = static_cast<uint16_t>(end - start);
        end = start;
    }
    if (first > 0) lengths[0] = 0;
    return lengths;
}

size_t PrinterOffset(int moduleType, const BlockLengths& lengths) {
    switch (moduleType) {
    case kCP730: return kProtocolImageSize730;
    // an older layout has a sub-block 2 of 45 bytes, so its printer block starts 4 bytes
    // earlier: at 71 on the CP 731, at 69 on the CP 831, where the offset table puts it
    case kCP731: return lengths[2] == 49 ? kProtocolImageSize731 : kProtocolImageSize731 - 4;
    case kCP8311:
    case kCP8312: return lengths[2] == 49 ? kProtocolImageSize831 : kProtocolImageSize831 - 4;
    default: return ProtocolImageSize(moduleType);
    }
}

bool OlderLayoutLengths(int moduleType, const BlockLengths& lengths) {
    if (moduleType != kCP731 && !isCP831(moduleType)) return false;
    unsigned front = 0;
    for (int i = FirstSubBlock(moduleType); i <= 2; ++i) front += lengths[static_cast<size_t>(i)];
    return front == ProtocolImageSize(moduleType) - 4;
}

size_t DriverDataOffset(int moduleType, bool oldLayout) {
    const size_t base = ProtocolImageSize(moduleType);
    return oldLayout && base >= 4 ? base - 4 : base;
}

void AdjustForBuild(CDb& db, int moduleType, int interfaceCode, uint8_t headVariant1) {
    switch (moduleType) {
    case kCP730:
    case kCP731:
        switch (interfaceCode) {
        case kIfRs232: db.byInterface = kLetterRs232; break;
        case kIfTty: db.byInterface = kLetterTty; break;
        case kIfRs422: db.byInterface = kLetterRs422; break;
        default: db.byInterface = 0; break;
        }
        break;
    case kCP8311:
    case kCP8312: db.byInterface = static_cast<uint8_t>(interfaceCode & 0xFF); break;
    default: break;
    }
    if (moduleType == kCP731) {
        db.byTypeCode1 = 4;
        db.byTypeCode2 = 5;
    } else if (moduleType == kCP830) {
        db.byTypeCode1 = db.byTypeCode2 = 0;
    } else if (isCP831(moduleType)) {
        if (headVariant1 == 1) {
            db.byTypeCode1 = 4;
            db.byTypeCode2 = 5;
        } else if (headVariant1 == 2) {
            db.byTypeCode1 = 3;
            db.byTypeCode2 = 7;
        }
    }
}

namespace {

bool driverModule(int moduleType) { return moduleType == kCP731 || isCP831(moduleType); }
// N of a block whose only sub-block behind the protocol block is the driver's data.
int driverOnlyEntries(int moduleType) { return moduleType == kCP731 ? 4 : 3; }

}  // namespace

ParamBuildResult BuildParamImage(const ParamBuildInput& in) {
    ParamBuildResult res;
    const int module = in.ctx.moduleType;
    if (ProtocolImageSize(module) == 0) return res;

    res.lengths = in.lengths;
    res.oldLayout = in.oldLayout;
    res.params = in.params;
    const bool driver = isLoadableDriver(in.ctx.protocol);
    const auto driverData = in.driverData.first(std::min(in.driverData.size(), kDriverDataCapacity));
    if ((module == kCP731 || module == kCP8312) && driver && in.driverDataArea)
        res.lengths[in.driverHasTexts ? 10 : 3] = static_cast<uint16_t>(driverData.size());
    if (in.ctx.extendedModule && driverModule(module) && res.lengths[2] <= 48) {
        res.lengths[2] = 49;
        res.oldLayout = false;
    }
    // The flag of a block read in the older layout outlives a protocol change that gives
    // sub-block 2 its 49 bytes again; the driver's data then belongs where the table says.
    if (res.oldLayout && !OlderLayoutLengths(module, res.lengths)) res.oldLayout = false;

    const int first = FirstSubBlock(module);
    res.table = MakeOffsetTable(res.lengths, first);
    uint32_t body = 0;
    for (int i = first; i < kSubBlocks; ++i) body += res.lengths[static_cast<size_t>(i)];
    const uint32_t headLen = CDbHead::kSize + 2u * static_cast<uint32_t>(res.table.count);
    if (headLen + body > 0xFFFF) {
        res.status = ParamBuildStatus::TooLarge;
        return res;
    }

    CDbHead& h = res.head;
    h = in.head;
    h.byKind = 1;
    h.wHeadLen = static_cast<uint16_t>(headLen);
    h.wBodyLen = static_cast<uint16_t>(body);
    h.byModuleCode = ModuleCode(module, in.ctx.protocol);
    h.wFirstIndex = static_cast<uint16_t>(first);
    h.wLastIndex = static_cast<uint16_t>(first + res.table.count - 1);
    FillTime(h, in.ctx.clock);
    FillVersion(h, in.ctx.releaseVersion);
    FillVariantBytes(h, ImageKind::Param, in.ctx);
    AdjustForBuild(res.params, module, in.ctx.interfaceCode, h.byVariant1);

    res.image.assign(headLen + body, 0);
    std::span<uint8_t> image(res.image);
    WriteHead(h, image.first<CDbHead::kSize>());
    ImageWriter w(image);
    for (int k = 0; k < res.table.count; ++k)
        w.u16(CDbHead::kSize + 2 * static_cast<size_t>(k), res.table.words[static_cast<size_t>(k)]);

    // The sub-blocks are laid down in order; a later one may cover the end of an earlier
    // one (the older layout puts the driver's data over the last 4 protocol bytes).
    const size_t b = headLen;
    const auto bodySpan = image.subspan(b);
    std::array<uint8_t, kMaxProtocolImageSize> proto{};
    const size_t protoSize = WriteProtocolImage(module, res.params, proto);
    std::copy_n(proto.begin(), std::min(protoSize, bodySpan.size()), bodySpan.begin());

    const bool wantsDriverData = driver && driverModule(module);
    const bool printerDriver = wantsDriverData && res.table.count > driverOnlyEntries(module);
    const bool printer = module != kCP830 && (res.params.wProtocolId == kIdPrinter || printerDriver);
    size_t printerEnd = 0;
    if (printer) {
        const size_t at = PrinterOffset(module, res.lengths);
        if (at < bodySpan.size()) WritePrinterImage(in.printer, res.lengths, bodySpan.subspan(at));
        printerEnd = at + PrinterImageSize(res.lengths);
    }
    if (wantsDriverData) {
        size_t at = 0, len = 0;
        if (res.table.count == driverOnlyEntries(module)) {
            at = DriverDataOffset(module, res.oldLayout);
            len = res.lengths[3];
        } else if (printerDriver) {
            at = printerEnd;
            len = res.lengths[10];
        }
        if (len && at < bodySpan.size()) ImageWriter(bodySpan.subspan(at)).bytes(0, driverData.first(std::min(len, driverData.size())));
    }
    res.status = ParamBuildStatus::Ok;
    return res;
}

ParamDecodeResult DecodeParamImage(const ParamDecodeInput& in) {
    ParamDecodeResult res;
    res.params = in.params;
    res.printer = in.printer;
    const int module = in.moduleType;
    if (ProtocolImageSize(module) == 0) {
        res.status = ParamDecodeStatus::UnknownModule;
        return res;
    }
    if (!HeadPresent(in.image)) {
        res.status = ParamDecodeStatus::Absent;
        return res;
    }
    std::array<uint8_t, CDbHead::kSize> headBytes{};
    ImageReader r(in.image);
    r.copy(0, headBytes);
    res.head = *ReadHead(headBytes);
    const CDbHead& h = res.head;

    const int first = FirstSubBlock(module);
    const int entries = h.wHeadLen >= CDbHead::kSize ? (h.wHeadLen - CDbHead::kSize) / 2 : 0;
    res.table.first = first;
    res.table.count = entries;
    const int stored = std::min(entries, kSubBlocks);
    for (int k = 0; k < stored; ++k)
        res.table.words[static_cast<size_t>(k)] = r.u16(CDbHead::kSize + 2 * static_cast<size_t>(k));
    res.lengths = LengthsFromOffsetTable(std::span(res.table.words).first(static_cast<size_t>(stored)), entries, first,
                                         h.wBodyLen);
    res.bodyStart = CDbHead::kSize + 2 * static_cast<size_t>(entries);
    res.truncated = in.image.size() < res.bodyStart + h.wBodyLen;

    const auto body = r.bytes(res.bodyStart, in.image.size());
    ReadProtocolImage(module, body, res.params);
    if (module == kCP830) {
        res.status = ParamDecodeStatus::Ok;
        return res;
    }

    auto readPrinter = [&](size_t at) {
        ReadPrinterImage(at < body.size() ? body.subspan(at) : std::span<const uint8_t>{}, res.lengths, res.printer);
        res.printerRead = true;
        return at + PrinterImageSize(res.lengths);
    };
    if (res.params.wProtocolId == kIdPrinter) readPrinter(PrinterOffset(module, res.lengths));

    if (driverModule(module) && res.params.wProtocolId >= kIdDriverBase) {
        size_t at = 0, len = 0;
        if (entries == driverOnlyEntries(module)) {
            res.oldLayout = OlderLayoutLengths(module, res.lengths);
            at = DriverDataOffset(module, res.oldLayout);
            len = res.lengths[3];
            res.driverDataRead = true;
        } else if (entries > driverOnlyEntries(module)) {
            at = readPrinter(PrinterOffset(module, res.lengths));
            len = res.lengths[10];
            res.driverDataRead = true;
        }
        if (res.driverDataRead) {
            const auto stored = ImageReader(body).bytes(at, len);
            const size_t n = std::min({stored.size(), in.driverBuffer.size(), kDriverDataCapacity});
            std::copy_n(stored.begin(), n, in.driverBuffer.begin());
            res.driverDataLength = n;
            res.driverDataTruncated = n < len;
        }
    }
    res.status = ParamDecodeStatus::Ok;
    return res;
}

}  // namespace sdb

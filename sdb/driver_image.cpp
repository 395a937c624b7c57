#include "sdb/driver_image.h"

#include <algorithm>

#include "sdb/bytes.h"

namespace sdb {

void WriteSon(const CDbSon& s, std::span<uint8_t, CDbSon::kSize> out) {
    ImageWriter w(out);
    w.bytes(0, {reinterpret_cast<const uint8_t*>(s.achName.data()), s.achName.size()});
    w.u8(8, s.byVerHi);
    w.u8(9, s.byVerLo);
    w.u16(10, s.wZero);
    w.u16(12, s.wType);
    w.u16(14, s.wBodyLen);
    w.u16(16, s.wWord);
    w.u32(18, s.dwHwBits);
    w.u8(22, s.byB22);
    w.u8(23, s.byB23);
    for (size_t i = 0; i < s.awWords.size(); ++i) w.u16(24 + 2 * i, s.awWords[i]);
    for (size_t i = 0; i < s.adwValues.size(); ++i) w.u32(30 + 4 * i, s.adwValues[i]);
    w.bytes(54, s.abyBytes);
    w.u32(60, s.dwValue);
}

std::optional<CDbSon> ReadSon(std::span<const uint8_t> in) {
    if (in.size() < CDbSon::kSize) return std::nullopt;
    ImageReader r(in);
    CDbSon s;
    r.copy(0, {reinterpret_cast<uint8_t*>(s.achName.data()), s.achName.size()});
    s.byVerHi = r.u8(8);
    s.byVerLo = r.u8(9);
    s.wZero = r.u16(10);
    s.wType = r.u16(12);
    s.wBodyLen = r.u16(14);
    s.wWord = r.u16(16);
    s.dwHwBits = r.u32(18);
    s.byB22 = r.u8(22);
    s.byB23 = r.u8(23);
    for (size_t i = 0; i < s.awWords.size(); ++i) s.awWords[i] = r.u16(24 + 2 * i);
    for (size_t i = 0; i < s.adwValues.size(); ++i) s.adwValues[i] = r.u32(30 + 4 * i);
    r.copy(54, s.abyBytes);
    s.dwValue = r.u32(60);
    return s;
}

CDbHead MakeDriverHead(const BuildContext& ctx, ImageKind kind, const CDbHead& paramHead, const CDbHead& current,
                       uint16_t bodyLength) {
    CDbHead h = current;
    h.byKind = static_cast<uint8_t>(kind);
    h.wHeadLen = kDriverHeadLength;
    h.wBodyLen = bodyLength;
    h.byModuleCode = paramHead.byModuleCode;
    h.byB6 = paramHead.byB6;
    h.byB7 = paramHead.byB7;
    h.wFirstIndex = 0;
    h.wLastIndex = 0;
    FillTime(h, ctx.clock);
    FillVersion(h, ctx.releaseVersion);
    FillVariantBytes(h, kind, ctx);
    return h;
}

std::vector<uint8_t> BuildDriverImage(const CDbHead& head, const CDbSon& son, std::span<const uint8_t> body) {
    if (head.byKind < 3 || head.byKind > 5 || body.size() > 0xFFFF) return {};
    std::vector<uint8_t> out(kDriverHeadLength + body.size(), 0);
    CDbHead h = head;
    h.wHeadLen = kDriverHeadLength;
    h.wBodyLen = static_cast<uint16_t>(body.size());
    WriteHead(h, std::span<uint8_t, CDbHead::kSize>(out.data(), CDbHead::kSize));
    WriteSon(son, std::span<uint8_t, CDbSon::kSize>(out.data() + CDbHead::kSize, CDbSon::kSize));
    std::copy(body.begin(), body.end(), out.begin() + kDriverHeadLength);
    return out;
}

std::optional<DriverImage> ReadDriverImage(std::span<const uint8_t> image) {
    auto head = ReadHead(image);
    if (!head || image.size() < kDriverHeadLength) return std::nullopt;
    DriverImage d;
    d.head = *head;
    d.son = *ReadSon(image.subspan(CDbHead::kSize));
    // the body starts at the head length the image names, never before the descriptor's end
    const size_t start = std::max<size_t>(head->wHeadLen, kDriverHeadLength);
    ImageReader r(image);
    d.body = r.bytes(start, head->wBodyLen);
    d.truncated = r.hitEnd();
    return d;
}

}  // namespace sdb

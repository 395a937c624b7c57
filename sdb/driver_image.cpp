#include "sdb/driver_image.h"

#include <algorithm>

#include "sdb/bytes.h"
#include "sdb/field_image.h"

namespace sdb {

void WriteSon(const CDbSon& s, std::span<uint8_t, CDbSon::kSize> out) {
    ImageWriter w(out);
    WriteFields(SonFields(), s, w);
}

std::optional<CDbSon> ReadSon(std::span<const uint8_t> in) {
    if (in.size() < CDbSon::kSize) return std::nullopt;
    CDbSon s;
    ReadFields(SonFields(), ImageReader(in), s);
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

#include "sdb/head.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "sdb/bytes.h"
#include "sdb/field_image.h"

namespace sdb {

LocalTime LocalTimeNow() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return LocalTime{tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void WriteHead(const CDbHead& h, std::span<uint8_t, CDbHead::kSize> out) {
    ImageWriter w(out);
    WriteFields(HeadFields(), h, w);
}

std::optional<CDbHead> ReadHead(std::span<const uint8_t> in) {
    if (in.size() < CDbHead::kSize) return std::nullopt;
    CDbHead h;
    ReadFields(HeadFields(), ImageReader(in), h);
    return h;
}

bool HeadPresent(std::span<const uint8_t> image) {
    ImageReader r(image);
    return r.u8(0) != 0 || r.u8(6) != 0;
}

std::array<uint8_t, 4> VersionBytes(std::string_view v) {
    std::array<uint8_t, 4> out{};
    size_t pos = 0;
    for (int i = 0; i < 4 && pos <= v.size(); ++i) {
        size_t dot = v.find('.', pos);
        std::string_view part = v.substr(pos, dot == std::string_view::npos ? v.size() - pos : dot - pos);
        unsigned value = 0;
        for (char c : part) {
            if (!std::isdigit(static_cast<unsigned char>(c))) break;
            value = std::min(255u, value * 10 + static_cast<unsigned>(c - '0'));
        }
        out[static_cast<size_t>(i)] = static_cast<uint8_t>(value);
        if (dot == std::string_view::npos) break;
        pos = dot + 1;
    }
    return out;
}

namespace {
uint8_t bcd(int v) {
    v = ((v % 100) + 100) % 100;
    return static_cast<uint8_t>(((v / 10) << 4) | (v % 10));
}
}  // namespace

std::array<uint8_t, 6> TimeBytes(const LocalTime& t) {
    return {bcd(t.day), bcd(t.month), bcd(t.year), bcd(t.hour), bcd(t.minute), bcd(t.second)};
}

void FillTime(CDbHead& head, const Clock& clock) {
    head.abyTime = TimeBytes(clock ? clock() : LocalTimeNow());
}

void FillVersion(CDbHead& head, std::string_view releaseVersion) {
    head.abyVersion = VersionBytes(releaseVersion);
}

uint8_t ModuleCode(int moduleType, int protocol) {
    switch (moduleType) {
    case kCP731: return isLoadableDriver(protocol) ? 2 : 3;
    case kCP830: return 5;
    case kCP8311:
    case kCP8312: return 2;
    default: return 0;
    }
}

uint8_t Cp831Variant(const BuildContext& ctx) {
    return ctx.moduleType == kCP8311 ? 2 : static_cast<uint8_t>(ctx.interfaceNo);
}

namespace {
// A CP 731 whose order number names version 2 or later ("731-1" and, counted from its
// "7", a ninth character of '2' or higher).
bool isCp731Version2(std::string_view orderNo) {
    std::string upper(orderNo);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    size_t at = upper.find("731-1");
    return at != std::string::npos && at + 8 < upper.size() && upper[at + 8] >= '2';
}
}  // namespace

void FillVariantBytes(CDbHead& head, ImageKind kind, const BuildContext& ctx) {
    const bool cp831 = isCP831(ctx.moduleType);
    switch (kind) {
    case ImageKind::Param:
        if (cp831) {
            head.byVariant1 = head.byVariant2 = Cp831Variant(ctx);
            head.byVariant3 = 1;
        } else if (ctx.moduleType == kCP731 && isCp731Version2(ctx.orderNo)) {
            head.byVariant1 = 240;
        }
        break;
    case ImageKind::Text:
        if (cp831) {
            head.byVariant1 = head.byVariant2 = Cp831Variant(ctx);
            head.byVariant3 = 1;
        } else if (ctx.moduleType == kCP731) {
            head.byVariant2 = 1;
            head.byVariant3 = 1;
        }
        break;
    case ImageKind::DriverCode:
    case ImageKind::DriverFirmware:
    case ImageKind::DriverProtocol:
        head.byVariant1 = head.byVariant2 = Cp831Variant(ctx);
        head.byVariant3 = 1;
        break;
    }
}

}  // namespace sdb

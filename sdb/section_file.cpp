#include "sdb/section_file.h"

#include <algorithm>

#include "sdb/bytes.h"

namespace sdb {

namespace {
constexpr size_t kStartSize = 6;
constexpr size_t kSectionHeadSize = 5;
}  // namespace

SectionWriteResult WriteSectionFile(const SectionFileInput& in) {
    SectionWriteResult res;
    std::vector<std::pair<uint8_t, std::span<const uint8_t>>> sections;
    sections.emplace_back(kSectionParam, in.paramImage);
    if (in.sectionCount > 1) {
        if (in.textImage) sections.emplace_back(kSectionText, *in.textImage);
        for (size_t i = 0; i < in.driverParts.size(); ++i)
            if (in.driverParts[i]) sections.emplace_back(static_cast<uint8_t>(kSectionDriverCode + i), *in.driverParts[i]);
    }
    size_t total = kStartSize;
    for (const auto& s : sections) total += kSectionHeadSize + s.second.size();
    if (total > kSectionFileCapacity) return res;

    res.bytes.assign(total, 0);
    ImageWriter w(res.bytes);
    w.u8(0, in.interfaceNo);
    w.u8(1, static_cast<uint8_t>(sections.size()));
    w.u16(2, std::min<uint16_t>(in.protocolId, 4096));
    w.u16(4, in.interfaceByte);
    size_t at = kStartSize;
    for (const auto& [type, data] : sections) {
        w.u8(at, type);
        w.u32(at + 1, static_cast<uint32_t>(data.size()));
        w.bytes(at + kSectionHeadSize, data);
        at += kSectionHeadSize + data.size();
    }
    res.sectionsWritten = static_cast<int>(sections.size());
    res.status = SectionWriteStatus::Ok;
    return res;
}

SectionFileContents ReadSectionFile(std::span<const uint8_t> bytes, DriverSectionSink* sink) {
    SectionFileContents out;
    const auto data = bytes.first(std::min(bytes.size(), kSectionFileCapacity));
    if (data.size() < kStartSize) return out;
    ImageReader r(data);
    out.interfaceNo = r.u8(0);
    out.sectionCount = r.u8(1);
    out.protocolId = r.u16(2);
    out.interfaceByte = r.u16(4);
    if (out.sectionCount < 1 || out.sectionCount > kMaxSections) return out;

    out.status = SectionReadStatus::Ok;
    size_t at = kStartSize;
    for (int i = 0; i < out.sectionCount; ++i) {
        if (at + kSectionHeadSize > data.size()) {
            out.status = SectionReadStatus::Truncated;
            break;
        }
        SectionEntry e{r.u8(at), at, r.u32(at + 1)};
        const size_t start = at + kSectionHeadSize;
        if (e.length > data.size() - start) {
            out.status = SectionReadStatus::Truncated;
            break;
        }
        out.directory.push_back(e);
        const auto body = data.subspan(start, e.length);
        switch (e.type) {
        case kSectionParam: out.paramImage.emplace(body.begin(), body.end()); break;
        case kSectionText: out.textImage.emplace(body.begin(), body.end()); break;
        case kSectionDriverCode:
        case kSectionDriverFirmware:
        case kSectionDriverProtocol:
            if (!sink || !sink->onDriverSection(e.type, body))
                out.driverParts[static_cast<size_t>(e.type - kSectionDriverCode)].emplace(body.begin(), body.end());
            break;
        default: break;  // unknown types are passed over by their length
        }
        at = start + e.length;
    }
    return out;
}

}  // namespace sdb

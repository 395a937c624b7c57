// Section file: the walk, then the parameter, text and driver images it carries.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "sdb/driver_image.h"
#include "sdb/param_image.h"
#include "sdb/section_file.h"
#include "sdb/text_image.h"

namespace {
struct Sink : sdb::DriverSectionSink {
    bool onDriverSection(uint8_t, std::span<const uint8_t> data) override {
        auto d = sdb::ReadDriverImage(data);
        if (d && !d->body.empty() && (d->body.data() < data.data() || d->body.data() + d->body.size() > data.data() + data.size()))
            __builtin_trap();
        return data.size() & 1;
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Sink sink;
    const auto s = sdb::ReadSectionFile({data, size}, &sink);
    if (s.paramImage) {
        std::vector<uint8_t> driver(sdb::kDriverDataCapacity);
        sdb::ParamDecodeInput in;
        in.moduleType = 8312;
        in.image = *s.paramImage;
        std::memset(&in.params, 0, sizeof in.params);
        in.driverBuffer = driver;
        sdb::DecodeParamImage(in);
    }
    if (s.textImage) {
        auto store = std::make_unique<sdb::TextStore>();
        sdb::ReadTextImage(*s.textImage, *store);
    }
    sdb::SectionFileInput w;
    w.sectionCount = s.sectionCount;
    if (s.paramImage) w.paramImage = *s.paramImage;
    if (s.textImage) w.textImage = std::span<const uint8_t>(*s.textImage);
    for (size_t i = 0; i < 3; ++i)
        if (s.driverParts[i]) w.driverParts[i] = std::span<const uint8_t>(*s.driverParts[i]);
    sdb::WriteSectionFile(w);
    return 0;
}

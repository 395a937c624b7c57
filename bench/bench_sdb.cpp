// The largest block a container holds: 7 parameter records (a CP 731 printer driver with its
// data) and 65 text records. Building and packing it is what "Speichern" does; unpacking and
// decoding it is what start-up does.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <numeric>

#include "sdb/container.h"
#include "sdb/driver_image.h"
#include "sdb/param_image.h"
#include "sdb/text_image.h"
#include "tests/sdb/sdb_fixtures.h"

using namespace sdb;

namespace {

struct LargestBlock {
    ParamBuildInput param;
    std::vector<uint8_t> driverData = std::vector<uint8_t>(900);
    std::unique_ptr<TextStore> texts = std::make_unique<TextStore>();

    LargestBlock() {
        param = sdbtest::DefaultInput(kCP731, driverProtocol(1), kIfTty);
        param.lengths = {2, 24, 49, 7, 65, 256, 60, 60, 60, 60};
        std::iota(driverData.begin(), driverData.end(), 0);
        param.driverDataArea = true;
        param.driverData = driverData;
        param.driverHasTexts = true;
        for (auto& line : param.printer.achTextLine) line.fill('-');
        for (int n = 0; n < 104; ++n) texts->setText(100 + n, std::string(146, static_cast<char>('A' + n % 26)));
    }

    std::vector<uint8_t> container() const {
        const auto p = BuildParamImage(param);
        const auto t = BuildTextImage(param.ctx, *texts);
        ContainerBuildInput c;
        c.moduleType = kCP731;
        c.paramImage = p.image;
        c.texts = true;
        c.textImage = t.image;
        return BuildContainer(c).bytes;
    }
};

void BM_BuildAndPackLargestBlock(benchmark::State& state) {
    LargestBlock block;
    size_t size = 0;
    for (auto _ : state) {
        const auto p = BuildParamImage(block.param);
        const auto t = BuildTextImage(block.param.ctx, *block.texts);
        ContainerBuildInput c;
        c.moduleType = kCP731;
        c.paramImage = p.image;
        c.texts = true;
        c.textImage = t.image;
        const auto packed = BuildContainer(c);
        size = packed.bytes.size();
        benchmark::DoNotOptimize(packed.bytes.data());
        if (packed.paramRecords != 7 || packed.textRecords != 65) state.SkipWithError("not the largest block");
    }
    state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_BuildAndPackLargestBlock);

void BM_UnpackAndDecodeLargestBlock(benchmark::State& state) {
    LargestBlock block;
    const auto bytes = block.container();
    auto contents = std::make_unique<ContainerContents>();
    auto store = std::make_unique<TextStore>();
    std::vector<uint8_t> driver(kDriverDataCapacity);
    for (auto _ : state) {
        ReadContainer(bytes, *contents);
        ParamDecodeInput in;
        in.moduleType = kCP731;
        in.image = contents->paramImage();
        std::memset(&in.params, 0, sizeof in.params);
        in.driverBuffer = driver;
        const auto r = DecodeParamImage(in);
        ReadTextImage(contents->textImage(), *store);
        benchmark::DoNotOptimize(r.driverDataLength);
        benchmark::DoNotOptimize(store->area.data());
        if (r.driverDataLength != 900 || store->count != 104) state.SkipWithError("decoded something else");
    }
}
BENCHMARK(BM_UnpackAndDecodeLargestBlock);

}  // namespace

// Writes well-formed blocks of every kind into OUT/<harness>/ as starting corpora.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "sdb/container.h"
#include "sdb/driver_image.h"
#include "sdb/section_file.h"
#include "sdb/text_image.h"
#include "tests/sdb/sdb_fixtures.h"

namespace fs = std::filesystem;
using namespace sdb;

namespace {

fs::path gOut;

void put(const std::string& harness, const std::string& name, std::span<const uint8_t> bytes) {
    fs::create_directories(gOut / harness);
    std::ofstream(gOut / harness / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> texts(int module) {
    auto store = std::make_unique<TextStore>();
    store->setText(5, "ab");
    store->setText(7, "Meldung \\B fett \\-B");
    store->setText(12, "");
    store->setText(20, "Ende");
    return BuildTextImage(sdbtest::Context(module, kProtPrinter, 26), *store).image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
        return 1;
    }
    gOut = argv[1];
    const struct { int module; int protocol; const char* harness; } combos[] = {
        {kCP730, 1, "fuzz_param_730"},  {kCP730, 2, "fuzz_param_730"},  {kCP730, 4, "fuzz_param_730"},
        {kCP731, 1, "fuzz_param_731"},  {kCP731, 4, "fuzz_param_731"},  {kCP731, 511, "fuzz_param_731"},
        {kCP830, 1, "fuzz_param_830"},  {kCP830, 2, "fuzz_param_830"},
        {kCP8312, 2, "fuzz_param_831"}, {kCP8312, 4, "fuzz_param_831"}, {kCP8312, 511, "fuzz_param_831"},
    };
    std::vector<uint8_t> data(200);
    std::iota(data.begin(), data.end(), 0);
    int n = 0;
    for (const auto& c : combos) {
        auto in = sdbtest::DefaultInput(c.module, c.protocol, 26);
        if (isLoadableDriver(c.protocol)) {
            in.driverDataArea = true;
            in.driverData = data;
        }
        const auto param = BuildParamImage(in);
        const std::string name = "seed" + std::to_string(n++);
        put(c.harness, name, param.image);
        const bool printer = c.protocol == kProtPrinter;
        const auto text = texts(c.module);
        if (isCP831(c.module)) {
            SectionFileInput s;
            s.sectionCount = printer ? 3 : 1;
            s.interfaceNo = 1;
            s.paramImage = param.image;
            if (printer) s.textImage = std::span<const uint8_t>(text);
            CDbSon son;
            SetSonDefault(son, SonDefault::Ptp);
            const auto drv = BuildDriverImage(MakeDriverHead(in.ctx, ImageKind::DriverCode, param.head, {}, 40), son,
                                              std::span(data).first(40));
            if (printer) s.driverParts[0] = std::span<const uint8_t>(drv);
            const auto file = WriteSectionFile(s);
            put("fuzz_section", name, file.bytes);
            put("fuzz_dump", name, file.bytes);
        } else {
            ContainerBuildInput ci;
            ci.moduleType = c.module;
            ci.paramImage = param.image;
            ci.texts = printer;
            ci.textImage = text;
            const auto packed = BuildContainer(ci);
            put("fuzz_container", name, packed.bytes);
            put("fuzz_dump", name, packed.bytes);
        }
        if (printer) {
            put("fuzz_text", name, text);
            std::vector<uint8_t> p;
            for (uint16_t l : in.lengths) {
                p.push_back(static_cast<uint8_t>(l >> 8));
                p.push_back(static_cast<uint8_t>(l));
            }
            std::vector<uint8_t> image(PrinterImageSize(in.lengths));
            WritePrinterImage(in.printer, in.lengths, image);
            p.insert(p.end(), image.begin(), image.end());
            put("fuzz_printer", name, p);
        }
    }
    return 0;
}

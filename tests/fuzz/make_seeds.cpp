// Writes well-formed blocks of every kind into OUT/<harness>/ as starting corpora.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "pages/apply_values.h"
#include "pages/sheet_model.h"
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

// The same bytes behind a first byte that picks the module of the store harnesses.
std::vector<uint8_t> picked(uint8_t pick, std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out{pick};
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

// Settings as `ptpcfg show --pages` prints them, behind the module, protocol, interface,
// flags, record and page layout of the settings harness.
void settingsSeed(const std::string& name, uint8_t module, int moduleType, int protocol, int interfaceCode,
                  const CDb& db) {
    rules::SheetContext ctx;
    ctx.check = rules::makeCheckContext(moduleType, interfaceCode, 0, 1, true, false);
    ctx.protocol = protocol;
    auto sheet = rules::SheetModel::open(ctx, db);
    if (!sheet) return;
    const uint8_t interfaces[] = {26, 27, 28, 81, 67, 66};
    uint8_t iface = 0;
    for (uint8_t i = 0; i < 6; ++i)
        if (interfaces[i] == interfaceCode) iface = i;
    std::vector<uint8_t> out{module, static_cast<uint8_t>(protocol), iface, 4 | 8};
    const auto* raw = reinterpret_cast<const uint8_t*>(&db);
    out.insert(out.end(), raw, raw + sizeof db);
    const uint8_t layout[16] = {0, 2, 60, 5, 1, 1, 3, 0, 0, 0x1B, 0x45, 0, 0, 0, 0, ' '};
    out.insert(out.end(), layout, layout + 16);
    CDbdr dr;
    dr.byLinesPerPage = 60;
    dr.byLineEnd = 3;
    const std::string text = rules::describePages(*sheet, protocol == kProtPrinter ? &dr : nullptr);
    out.insert(out.end(), text.begin(), text.end());
    put("fuzz_apply", name, out);
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
            put("fuzz_store_file", name, picked(c.module == kCP8311 ? 0 : 3, file.bytes));
        } else {
            ContainerBuildInput ci;
            ci.moduleType = c.module;
            ci.paramImage = param.image;
            ci.texts = printer;
            ci.textImage = text;
            const auto packed = BuildContainer(ci);
            put("fuzz_container", name, packed.bytes);
            put("fuzz_dump", name, packed.bytes);
            put("fuzz_store_block", name, picked(c.module == kCP730 ? 0 : c.module == kCP731 ? 3 : 6, packed.bytes));
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
        const uint8_t moduleIndex = c.module == kCP730 ? 0 : c.module == kCP731 ? 1 : c.module == kCP830 ? 2 : 4;
        const int iface = isCP831(c.module) ? kIfHostRs232 : kIfRs232;
        if (!isLoadableDriver(c.protocol)) settingsSeed(name, moduleIndex, c.module, c.protocol, iface, in.params);
    }
    const char* const lines[] = {
        "0,CP731,81,1,CP 731,9QX4 731-1L,S1,0,5,0,0,2,1322001,1,3,1,1,1",
        "/tmp/cp831.sdb,CP8312,66,2,CP 831-2,9QX4 831-2KK02,Station 1,0,6,1,0,2,2363921,1,3,1,1,1",
        ",,CP730,,, 26 ,x,9QX4 730-1NM00,,-0,+9999999999,2147483648",
    };
    for (size_t i = 0; i < std::size(lines); ++i)
        put("fuzz_startup", "seed" + std::to_string(i), {reinterpret_cast<const uint8_t*>(lines[i]), std::strlen(lines[i])});
    const std::string ini =
        "\xFF[Software]\nQuenral\\QORB4\\2.0\\General\\Paths\\QORB4_Dir=/opt/q\n"
        "Quenral\\QORB4\\2.0\\Applications\\vemtro\\SubPath=\\vemtro\\\n"
        "Quenral\\QORB4\\2.0\\Applications\\vemtro\\ReleaseVersion=\"5.1.2.3, x\"\n"
        "Quenral\\AUTSW\\QORB4\\Version=5.0\nQuenral\\AUTSW\\QORB4\\TechnVersion=5.0.2\n"
        "[Software]\nQuenral\\QORB4\\2.0\\General\\Languages\\Current=Deutsch\n"
        "Quenral\\QORB4\\2.0\\General\\LangExtensions\\Deutsch=A\n";
    put("fuzz_registry", "seed0", {reinterpret_cast<const uint8_t*>(ini.data()), ini.size()});

    // A driver file of three records (the first byte picks the second), and a description.
    std::vector<uint8_t> records{1};
    for (const uint16_t body : {10, 0, 300}) {
        std::vector<uint8_t> head(64, 0);
        std::memcpy(head.data(), "SEEDDRV0", 8);
        head[8] = 1;
        head[12] = 0x10;
        head[13] = static_cast<uint8_t>(body & 0xFF);
        head[14] = static_cast<uint8_t>(body >> 8);
        head[15] = static_cast<uint8_t>(body & 0xFF);
        head[21] = 2;
        records.insert(records.end(), head.begin(), head.end());
        records.insert(records.end(), body, static_cast<uint8_t>(body));
    }
    put("fuzz_driver_records", "seed0", records);
    const std::string description =
        "\x0E" "9QX4 831-2KK05; Beschreibung\r\n[9QX4_831_2KK02]\r\nKP_TYP=1001\r\nKP_VERS=1.2\r\n"
        "SCC_TYP=0FFF\r\nSCC_VERS= 3. 4\r\nPTP_TYP=3001\r\nPTP_VERS=5.6\r\n[ANDERE]\r\nKP_TYP=2\r\n";
    put("fuzz_driver_description", "seed0", {reinterpret_cast<const uint8_t*>(description.data()), description.size()});
    // A message text file; the first byte picks the module model.
    const std::string textFile = "\x03" "1.0\r\n 12 :Text\r\n12a:\r\n12:\r\n5:Gr\xf6\xdf" "e \\B\\-B\r\n900:x\r\n";
    put("fuzz_text_file", "seed0", {reinterpret_cast<const uint8_t*>(textFile.data()), textFile.size()});
    return 0;
}

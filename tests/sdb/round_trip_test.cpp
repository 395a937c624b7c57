// Encode, decode, encode: for every module and protocol, with random field values, the
// second build gives the bytes of the first.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "sdb/container.h"
#include "sdb/driver_image.h"
#include "sdb/param_image.h"
#include "sdb/section_file.h"
#include "sdb/text_image.h"
#include "sdb_fixtures.h"

using namespace sdb;

namespace {

struct Combination {
    int module;
    int protocol;
};

const Combination kCombinations[] = {
    {kCP730, 1},  {kCP730, 2},  {kCP730, 4},                                       //
    {kCP731, 1},  {kCP731, 2},  {kCP731, 3},  {kCP731, 4},  {kCP731, 511},         //
    {kCP830, 1},  {kCP830, 2},                                                     //
    {kCP8311, 1}, {kCP8311, 2}, {kCP8311, 4},                                      //
    {kCP8312, 1}, {kCP8312, 2}, {kCP8312, 3}, {kCP8312, 4}, {kCP8312, 511},
};

uint16_t ProtocolIdFor(int protocol, std::mt19937& rng) {
    switch (protocol) {
    case 1: return kId3964;
    case 2: return kIdAscii;
    case 3: return kIdRk512;
    case 4: return kIdPrinter;
    default: return static_cast<uint16_t>(0x1000 + rng() % 0xF000);
    }
}

void Randomise(CDb& db, std::mt19937& rng) {
    auto* bytes = reinterpret_cast<uint8_t*>(&db);
    for (size_t i = 0; i < sizeof db; ++i) bytes[i] = static_cast<uint8_t>(rng());
}

void Randomise(CDbdr& dr, std::mt19937& rng) {
    auto b = [&] { return static_cast<uint8_t>(rng()); };
    dr.byCharSet = b();
    dr.byEmulation = b();
    dr.byLinesPerPage = b();
    dr.byLeftMargin = b();
    dr.byHeaderLines = b();
    dr.byFooterLines = b();
    dr.byLineEnd = b();
    dr.byCtrlCount = b();
    dr.byCtrlLength = b();
    for (auto& v : dr.abyCtrlTable) v = b();
    for (auto& v : dr.abyCharTable) v = b();
    for (auto& line : dr.achTextLine)
        for (auto& c : line) c = static_cast<char>(b());
}

struct Built {
    ParamBuildResult param;
    std::vector<uint8_t> text;
};

}  // namespace

TEST(SdbRoundTrip, EveryModuleAndProtocol) {
    std::mt19937 rng(20231224);
    for (const auto& combo : kCombinations) {
        for (int round = 0; round < 25; ++round) {
            SCOPED_TRACE(testing::Message() << combo.module << " protocol " << combo.protocol << " round " << round);
            auto in = sdbtest::DefaultInput(combo.module, combo.protocol, 26 + static_cast<int>(rng() % 3));
            in.ctx.interfaceNo = 1 + static_cast<int>(rng() % 2);
            Randomise(in.params, rng);
            in.params.wProtocolId = ProtocolIdFor(combo.protocol, rng);
            Randomise(in.printer, rng);
            const bool driver = isLoadableDriver(combo.protocol);
            std::vector<uint8_t> driverData;
            if (driver) {
                in.driverDataArea = true;
                driverData.resize(rng() % 780);  // the whole block still fits its 7 records
                for (auto& v : driverData) v = static_cast<uint8_t>(rng());
                in.driverData = driverData;
                in.driverHasTexts = rng() % 2;
                if (in.driverHasTexts) {
                    in.lengths[3] = 7;
                    in.lengths[4] = 65;
                    in.lengths[5] = 256;
                } else if (rng() % 2) {
                    in.lengths[2] = 45;  // a block stored in the older layout
                    in.oldLayout = true;
                }
            }
            const bool printer = combo.protocol == kProtPrinter || in.driverHasTexts;
            if (printer) {
                in.lengths[4] = static_cast<uint16_t>(2 + rng() % 256);
                for (int i = 6; i <= 9; ++i) in.lengths[static_cast<size_t>(i)] = static_cast<uint16_t>(rng() % 61);
            }

            auto first = BuildParamImage(in);
            ASSERT_EQ(first.status, ParamBuildStatus::Ok);

            auto store = std::make_unique<TextStore>();
            if (printer) {
                const int low = static_cast<int>(rng() % 3990);
                for (int i = 0; i < 8; ++i) {
                    std::string t(rng() % 40, ' ');
                    for (auto& ch : t) ch = static_cast<char>(rng());
                    store->setText(low + static_cast<int>(rng() % 10), t);
                }
                std::memcpy(store->name.achName.data(), "TEXTE123", 8);
            }
            const auto text = BuildTextImage(in.ctx, *store);
            ASSERT_TRUE(text.ok);

            // through the stored form of the module
            std::vector<uint8_t> paramBack, textBack;
            bool textsBack = false;
            if (isCP831(combo.module)) {
                SectionFileInput s;
                s.sectionCount = printer ? 2 : 1;
                s.paramImage = first.image;
                if (printer) s.textImage = std::span<const uint8_t>(text.image);
                auto file = WriteSectionFile(s);
                ASSERT_EQ(file.status, SectionWriteStatus::Ok);
                auto r = ReadSectionFile(file.bytes);
                ASSERT_TRUE(r.paramImage);
                paramBack = *r.paramImage;
                textsBack = r.textImage.has_value();
                if (textsBack) textBack = *r.textImage;
            } else {
                ContainerBuildInput c;
                c.moduleType = combo.module;
                c.paramImage = first.image;
                c.texts = printer;
                c.textImage = text.image;
                auto packed = BuildContainer(c);
                ASSERT_EQ(packed.status, ContainerBuildStatus::Ok);
                auto r = std::make_unique<ContainerContents>();
                ReadContainer(packed.bytes, *r);
                paramBack.assign(r->paramImage().begin(), r->paramImage().end());
                textsBack = r->textPresent;
                textBack.assign(r->textImage().begin(), r->textImage().end());
            }
            EXPECT_EQ(paramBack, first.image);
            EXPECT_EQ(textsBack, printer);

            std::array<uint8_t, kDriverDataCapacity> buffer{};
            ParamDecodeInput d;
            d.moduleType = combo.module;
            d.image = paramBack;
            std::memset(&d.params, 0, sizeof d.params);
            d.driverBuffer = buffer;
            auto decoded = DecodeParamImage(d);
            ASSERT_EQ(decoded.status, ParamDecodeStatus::Ok);
            EXPECT_FALSE(decoded.truncated);
            EXPECT_EQ(decoded.printerRead, printer && combo.module != kCP830);
            EXPECT_EQ(decoded.oldLayout, in.oldLayout);

            ParamBuildInput again = in;
            again.params = decoded.params;
            again.printer = decoded.printer;
            again.lengths = decoded.lengths;
            again.head = decoded.head;
            again.driverData = std::span<const uint8_t>(buffer.data(), decoded.driverDataLength);
            again.oldLayout = decoded.oldLayout;
            auto second = BuildParamImage(again);
            EXPECT_EQ(second.image, first.image);

            if (printer) {
                auto storeBack = std::make_unique<TextStore>();
                ASSERT_EQ(ReadTextImage(textBack, *storeBack).status, TextReadStatus::Ok);
                auto textAgain = BuildTextImage(in.ctx, *storeBack);
                EXPECT_EQ(textAgain.image, text.image);
                EXPECT_EQ(storeBack->texts(), store->texts());
            }
        }
    }
}

TEST(SdbRoundTrip, DriverPartImages) {
    std::mt19937 rng(7);
    auto ctx = sdbtest::Context(kCP8312, 511, 66);
    for (int kind = 3; kind <= 5; ++kind) {
        CDbSon son;
        auto* raw = reinterpret_cast<uint8_t*>(son.achName.data());
        for (int i = 0; i < 8; ++i) raw[i] = static_cast<uint8_t>(rng());
        son.byVerHi = static_cast<uint8_t>(rng());
        son.wType = static_cast<uint16_t>(rng());
        son.dwHwBits = static_cast<uint32_t>(rng());
        for (auto& v : son.adwValues) v = static_cast<uint32_t>(rng());
        for (auto& v : son.abyBytes) v = static_cast<uint8_t>(rng());
        std::vector<uint8_t> body(rng() % 5000);
        for (auto& v : body) v = static_cast<uint8_t>(rng());
        CDbHead param;
        param.byModuleCode = 2;
        param.byB6 = param.byB7 = 1;
        const CDbHead h = MakeDriverHead(ctx, static_cast<ImageKind>(kind), param, CDbHead{}, static_cast<uint16_t>(body.size()));
        auto image = BuildDriverImage(h, son, body);
        auto back = ReadDriverImage(image);
        ASSERT_TRUE(back);
        EXPECT_EQ(BuildDriverImage(back->head, back->son, back->body), image);
    }
}

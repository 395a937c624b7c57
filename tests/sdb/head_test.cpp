#include <gtest/gtest.h>

#include "sdb/driver_image.h"
#include "sdb/head.h"
#include "sdb/text_image.h"
#include "sdb_fixtures.h"

using namespace sdb;
using sdbtest::Bytes;

TEST(SdbHead, ImageIsBigEndianAndReadsBack) {
    CDbHead h;
    h.byKind = 1;
    h.wHeadLen = 0x0123;
    h.wBodyLen = 0x4567;
    h.byModuleCode = 3;
    h.byB6 = 1;
    h.byB7 = 2;
    h.wFirstIndex = 0x0809;
    h.wLastIndex = 0x0A0B;
    h.abyVersion = {5, 0, 2, 1};
    h.abyTime = {0x24, 0x12, 0x23, 0x13, 0x45, 0x59};
    h.byVariant1 = 240;
    h.byVariant2 = 1;
    h.byVariant3 = 7;
    std::array<uint8_t, 25> out{};
    WriteHead(h, out);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.end()),
              Bytes({1, 0x01, 0x23, 0x45, 0x67, 3, 1, 2, 0x08, 0x09, 0x0A, 0x0B, 5, 0, 2, 1, 0x24, 0x12, 0x23, 0x13,
                     0x45, 0x59, 240, 1, 7}));
    auto back = ReadHead(out);
    ASSERT_TRUE(back);
    std::array<uint8_t, 25> again{};
    WriteHead(*back, again);
    EXPECT_EQ(again, out);
    EXPECT_FALSE(ReadHead(std::span(out).first(24)));
}

TEST(SdbHead, PresentWhenKindOrByteSixIsSet) {
    EXPECT_FALSE(HeadPresent(std::vector<uint8_t>(25, 0)));
    EXPECT_FALSE(HeadPresent({}));
    auto b = std::vector<uint8_t>(25, 0);
    b[6] = 1;
    EXPECT_TRUE(HeadPresent(b));
    b = Bytes({2});
    EXPECT_TRUE(HeadPresent(b));
}

TEST(SdbHead, VersionBytesFromDottedText) {
    struct Case { const char* text; std::array<uint8_t, 4> bytes; };
    const Case cases[] = {
        {"5.0.2.1", {5, 0, 2, 1}}, {"1.2", {1, 2, 0, 0}}, {"", {0, 0, 0, 0}},
        {"0.0", {0, 0, 0, 0}},     {"7", {7, 0, 0, 0}},   {"300.1b.x.4.9", {255, 1, 0, 4}},
    };
    for (const auto& c : cases) EXPECT_EQ(VersionBytes(c.text), c.bytes) << c.text;
}

TEST(SdbHead, TimeIsBcd) {
    EXPECT_EQ(TimeBytes({24, 12, 2023, 13, 45, 59}), (std::array<uint8_t, 6>{0x24, 0x12, 0x23, 0x13, 0x45, 0x59}));
    EXPECT_EQ(TimeBytes({1, 1, 2100, 0, 0, 7}), (std::array<uint8_t, 6>{0x01, 0x01, 0x00, 0x00, 0x00, 0x07}));
}

TEST(SdbHead, ModuleCode) {
    struct Case { int module; int protocol; uint8_t code; };
    const Case cases[] = {{kCP730, 1, 0}, {kCP731, 4, 3}, {kCP731, 511, 2}, {kCP830, 2, 5}, {kCP8311, 1, 2}, {kCP8312, 767, 2}};
    for (const auto& c : cases) EXPECT_EQ(ModuleCode(c.module, c.protocol), c.code) << c.module << " " << c.protocol;
}

TEST(SdbHead, VariantBytesPerImageKind) {
    struct Case {
        int module;
        int interfaceNo;
        const char* orderNo;
        ImageKind kind;
        std::array<uint8_t, 3> bytes;  // from a head holding 9, 9, 9
    };
    const Case cases[] = {
        {kCP8311, 1, "", ImageKind::Param, {2, 2, 1}},
        {kCP8312, 1, "", ImageKind::Param, {1, 1, 1}},
        {kCP8312, 2, "", ImageKind::Text, {2, 2, 1}},
        {kCP731, 0, "9qx4 731-1aa02-0ae3", ImageKind::Param, {240, 9, 9}},
        {kCP731, 0, "9QX4 731-1AA01-0AE3", ImageKind::Param, {9, 9, 9}},
        {kCP731, 0, "731-1AA0", ImageKind::Param, {9, 9, 9}},  // no ninth character
        {kCP731, 0, "", ImageKind::Text, {9, 1, 1}},
        {kCP730, 0, "", ImageKind::Text, {9, 9, 9}},
        {kCP830, 0, "", ImageKind::Param, {9, 9, 9}},
        {kCP731, 2, "", ImageKind::DriverCode, {2, 2, 1}},
        {kCP8311, 2, "", ImageKind::DriverProtocol, {2, 2, 1}},
    };
    for (const auto& c : cases) {
        BuildContext ctx;
        ctx.moduleType = c.module;
        ctx.interfaceNo = c.interfaceNo;
        ctx.orderNo = c.orderNo;
        CDbHead h;
        h.byVariant1 = h.byVariant2 = h.byVariant3 = 9;
        FillVariantBytes(h, c.kind, ctx);
        EXPECT_EQ((std::array<uint8_t, 3>{h.byVariant1, h.byVariant2, h.byVariant3}), c.bytes)
            << c.module << " " << c.orderNo << " kind " << static_cast<int>(c.kind);
    }
}

TEST(SdbSon, SixtyFourByteImage) {
    CDbSon s;
    SetSonDefault(s, SonDefault::Ptp);
    s.byVerHi = 2;
    s.byVerLo = 3;
    s.wBodyLen = 0x1234;
    s.byB22 = 7;
    s.byB23 = 4;
    s.awWords = {0x1001, 0, 0x2002};
    s.adwValues = {0, 0xFFFFFFFF, 0x10, 0, 0, 0x01020304};
    s.abyBytes = {1, 0, 0, 0, 0, 6};
    s.dwValue = 0xA0B0C0D0;
    std::array<uint8_t, 64> out{};
    WriteSon(s, out);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 24),
              Bytes({'P', 'T', 'P', '0', '0', '0', '0', '0', 2, 3, 0, 0, 0x10, 0x00, 0x12, 0x34, 0, 0, 0, 0, 0, 1, 7, 4}));
    EXPECT_EQ(out[24], 0x10);
    EXPECT_EQ(out[34], 0xFF);
    EXPECT_EQ(out[50], 0x01);
    EXPECT_EQ(out[53], 0x04);
    EXPECT_EQ(out[54], 1);
    EXPECT_EQ(out[60], 0xA0);
    auto back = ReadSon(out);
    ASSERT_TRUE(back);
    std::array<uint8_t, 64> again{};
    WriteSon(*back, again);
    EXPECT_EQ(again, out);
    EXPECT_FALSE(ReadSon(std::span(out).first(63)));
}

TEST(SdbSon, DriverImageHeadCopiesTheParameterHead) {
    auto ctx = sdbtest::Context(kCP8312, 511, 66);
    ctx.interfaceNo = 2;
    CDbHead param;
    param.byModuleCode = 2;
    param.byB6 = 1;
    param.byB7 = 5;
    CDbHead current;
    SetHeadDefault(current, HeadDefault::CP831);
    const CDbHead h = MakeDriverHead(ctx, ImageKind::DriverFirmware, param, current, 300);
    EXPECT_EQ(h.byKind, 4);
    EXPECT_EQ(h.wHeadLen, 89);
    EXPECT_EQ(h.wBodyLen, 300);
    EXPECT_EQ(h.byB7, 5);
    EXPECT_EQ(h.wFirstIndex, 0);
    EXPECT_EQ(h.wLastIndex, 0);
    EXPECT_EQ(h.byVariant1, 2);
    EXPECT_EQ(h.abyVersion, (std::array<uint8_t, 4>{5, 0, 2, 1}));

    CDbSon son;
    SetSonDefault(son, SonDefault::Scc);
    std::vector<uint8_t> body(300, 0x3C);
    auto image = BuildDriverImage(h, son, body);
    ASSERT_EQ(image.size(), 389u);
    auto back = ReadDriverImage(image);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->head.byKind, 4);
    EXPECT_EQ(std::string(back->son.achName.data(), 8), "SCC00000");
    EXPECT_EQ(back->body.size(), 300u);
    EXPECT_FALSE(back->truncated);
    // an image shorter than its head says hands out only what it holds
    auto cut = ReadDriverImage(std::span(image).first(100));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->body.size(), 11u);
    EXPECT_TRUE(cut->truncated);
}

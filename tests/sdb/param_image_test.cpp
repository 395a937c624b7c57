#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "sdb/driver_image.h"
#include "sdb/param_image.h"
#include "sdb/protocol_image.h"
#include "sdb_fixtures.h"

using namespace sdb;
using sdbtest::Bytes;
using sdbtest::DefaultInput;

namespace {

ParamDecodeResult Decode(int module, std::span<const uint8_t> image, std::span<uint8_t> driver = {}) {
    ParamDecodeInput in;
    in.moduleType = module;
    in.image = image;
    std::memset(&in.params, 0, sizeof in.params);
    in.driverBuffer = driver;
    return DecodeParamImage(in);
}

std::vector<uint16_t> Words(const OffsetTable& t) { return {t.words.begin(), t.words.begin() + t.count}; }

}  // namespace

TEST(SdbOffsetTable, BothDirections) {
    struct Case { const char* what; BlockLengths lengths; int first; std::vector<uint16_t> words; };
    const Case cases[] = {
        {"CP 730", {2, 0, 41}, 0, {6, 0, 8}},
        {"CP 731", {2, 24, 49}, 0, {6, 8, 32}},
        {"CP 830", {2, 24, 163}, 0, {6, 8, 32}},
        {"CP 831 counts from 1", {0, 24, 49}, 1, {4, 28}},
        {"CP 731 printer", {2, 24, 49, 7, 65, 256}, 0, {12, 14, 38, 87, 94, 159}},
        {"CP 831 printer driver", {0, 24, 49, 7, 65, 256, 0, 0, 0, 0, 500}, 1,
         {20, 44, 93, 100, 165, 0, 0, 0, 0, 421}},
        {"CP 731 driver", {2, 24, 49, 1000}, 0, {8, 10, 34, 83}},
        {"nothing", {}, 0, {}},
    };
    for (const auto& c : cases) {
        const OffsetTable t = MakeOffsetTable(c.lengths, c.first);
        EXPECT_EQ(Words(t), c.words) << c.what;
        uint16_t body = 0;
        for (int i = c.first; i < kSubBlocks; ++i) body = static_cast<uint16_t>(body + c.lengths[static_cast<size_t>(i)]);
        EXPECT_EQ(LengthsFromOffsetTable(c.words, static_cast<int>(c.words.size()), c.first, body), c.lengths) << c.what;
    }
}

TEST(SdbOffsetTable, MalformedWordsGiveNoImpossibleLengths) {
    // words that point behind the body or run backwards are passed over
    const std::vector<uint16_t> words = {6, 500, 2};
    const BlockLengths l = LengthsFromOffsetTable(words, 3, 0, 43);
    EXPECT_EQ(l[1], 0);
    EXPECT_EQ(l[2], 0);
    EXPECT_EQ(l[0], 43);
    // an N of 200 takes the first 11 words only
    std::vector<uint16_t> many(11, 0);
    many[0] = 400;
    EXPECT_EQ(LengthsFromOffsetTable(many, 200, 0, 10)[0], 10);
}

TEST(SdbProtocolImage, Cp830IsZeroFrom92) {
    CDb db;
    std::memset(&db, 0xFF, sizeof db);
    std::array<uint8_t, kProtocolImageSize830> out{};
    EXPECT_EQ(WriteProtocolImage(kCP830, db, out), 189u);
    EXPECT_TRUE(std::all_of(out.begin(), out.begin() + 92, [](uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(std::all_of(out.begin() + 92, out.end(), [](uint8_t b) { return b == 0; }));

    // a stored block with other bytes there reads them nowhere and writes zeros again
    auto in = DefaultInput(kCP830, kProt3964);
    auto built = BuildParamImage(in);
    std::vector<uint8_t> image = built.image;
    std::fill(image.begin() + 31 + 92, image.end(), 0xAA);
    auto r = Decode(kCP830, image);
    ASSERT_EQ(r.status, ParamDecodeStatus::Ok);
    in.params = r.params;
    in.lengths = r.lengths;
    in.head = r.head;
    auto again = BuildParamImage(in);
    EXPECT_EQ(again.image, built.image);
}

TEST(SdbProtocolImage, Cp831IsCp731WithoutItsFirstWord) {
    auto in = DefaultInput(kCP731, kProtAscii);
    std::array<uint8_t, 75> a{};
    std::array<uint8_t, 73> b{};
    WriteProtocolImage(kCP731, in.params, a);
    WriteProtocolImage(kCP8311, in.params, b);
    EXPECT_TRUE(std::equal(b.begin(), b.end(), a.begin() + 2));
    // known positions of the CP 731 image
    EXPECT_EQ(a[26], 0x00);
    EXPECT_EQ(a[27], 0x30);  // wProtocolId
    EXPECT_EQ(a[29], 60);    // wDriverWord
    EXPECT_EQ(a[43], 0);
    EXPECT_EQ(a[44], 4);     // wCharDelay
    EXPECT_EQ(a[62], 240);   // wTelegramLen
}

TEST(SdbProtocolImage, ShortInputKeepsTheFieldsItDoesNotHold) {
    CDb db;
    std::memset(&db, 0, sizeof db);
    db.wReactionWait = 1234;
    const auto stored = Bytes({0x00, 0x0E, 'K', 'P'});
    ReadProtocolImage(kCP731, stored, db);
    EXPECT_EQ(+db.wRecordType, 14);
    EXPECT_EQ(+db.wReactionWait, 1234);
    EXPECT_EQ(db.achDriverName[0], 0);  // an 8-character field is taken whole or not at all
}

TEST(SdbParamImage, BuildAdjustsInterfaceAndPortCodes) {
    struct Case { int module; int interfaceCode; int interfaceNo; uint8_t letter; uint8_t port1, port2; };
    const Case cases[] = {
        {kCP730, 26, 0, 'Q', 0, 0},  {kCP730, 27, 0, 'C', 0, 0},  {kCP731, 28, 0, 'B', 4, 5},
        {kCP731, 81, 0, 0, 4, 5},    {kCP830, 28, 0, 1, 0, 0},    {kCP8311, 66, 2, 'B', 3, 7},
        {kCP8312, 81, 1, 'Q', 4, 5}, {kCP8312, 67, 2, 'C', 3, 7},
    };
    for (const auto& c : cases) {
        auto in = DefaultInput(c.module, kProt3964, c.interfaceCode);
        in.ctx.interfaceNo = c.interfaceNo;
        auto r = BuildParamImage(in);
        ASSERT_EQ(r.status, ParamBuildStatus::Ok);
        EXPECT_EQ(r.params.byInterface, c.letter) << c.module << " " << c.interfaceCode;
        EXPECT_EQ(r.params.byTypeCode1, c.port1) << c.module;
        EXPECT_EQ(r.params.byTypeCode2, c.port2) << c.module;
        // and the image carries what the record now holds
        auto back = Decode(c.module, r.image);
        EXPECT_EQ(back.params.byInterface, c.letter);
    }
}

TEST(SdbParamImage, HeadOfEveryModule) {
    struct Case { int module; int protocol; uint16_t h, b; uint8_t code; uint16_t first, last; };
    const Case cases[] = {
        {kCP730, 1, 31, 43, 0, 0, 2},   {kCP730, 4, 37, 371, 0, 0, 5}, {kCP731, 2, 31, 75, 3, 0, 2},
        {kCP830, 1, 31, 189, 5, 0, 2},  {kCP8311, 1, 29, 73, 2, 1, 2}, {kCP8312, 4, 35, 401, 2, 1, 5},
    };
    for (const auto& c : cases) {
        auto r = BuildParamImage(DefaultInput(c.module, c.protocol));
        ASSERT_EQ(r.status, ParamBuildStatus::Ok);
        EXPECT_EQ(r.head.byKind, 1);
        EXPECT_EQ(r.head.wHeadLen, c.h) << c.module << " " << c.protocol;
        EXPECT_EQ(r.head.wBodyLen, c.b) << c.module << " " << c.protocol;
        EXPECT_EQ(r.head.byModuleCode, c.code);
        EXPECT_EQ(r.head.wFirstIndex, c.first);
        EXPECT_EQ(r.head.wLastIndex, c.last);
        EXPECT_EQ(r.head.abyTime, (std::array<uint8_t, 6>{0x24, 0x12, 0x23, 0x13, 0x45, 0x59}));
        EXPECT_EQ(r.image.size(), size_t{c.h} + c.b);
    }
}

TEST(SdbParamImage, PrinterBlockPlacement) {
    struct Case { int module; uint16_t length2; size_t at; };
    // a stored block of the older layout (sub-block 2 of 45 bytes) has its printer block where
    // the offset table says, 4 bytes earlier, on the CP 831 as on the CP 731
    const Case cases[] = {{kCP730, 41, 43}, {kCP731, 49, 75}, {kCP731, 45, 71}, {kCP8311, 49, 73}, {kCP8311, 45, 69}};
    for (const auto& c : cases) {
        auto in = DefaultInput(c.module, kProtPrinter);
        in.lengths[2] = c.length2;
        in.lengths[6] = 5;
        in.printer.byLinesPerPage = 66;
        std::memcpy(in.printer.achTextLine[0].data(), "Kopf!", 5);
        auto r = BuildParamImage(in);
        ASSERT_EQ(r.status, ParamBuildStatus::Ok);
        const size_t b = r.head.wHeadLen;
        EXPECT_EQ(r.image[b + c.at + 2], 66) << c.module << " " << c.length2;
        EXPECT_EQ(r.image.size(), b + c.at + 7 + 65 + 256 + 5) << c.module << " " << c.length2;
        EXPECT_EQ(r.image.back(), '!');

        auto back = Decode(c.module, r.image);
        ASSERT_TRUE(back.printerRead);
        EXPECT_EQ(back.lengths[2], c.length2);
        EXPECT_EQ(back.printer.byLinesPerPage, 66);
        EXPECT_EQ(back.printer.byCtrlLength, 63);
        EXPECT_EQ(back.printer.abyCharTable, in.printer.abyCharTable);
        EXPECT_EQ(std::string(back.printer.achTextLine[0].data(), 5), "Kopf!");
    }
}

TEST(SdbParamImage, Cp731PrinterReadFrom71WhenSubBlock2Has45Bytes) {
    // a stored block of the older layout, written byte by byte: 2 + 24 + 45, then the printer block
    std::vector<uint8_t> image(25 + 12 + 71 + 7 + 65 + 256, 0);
    const auto head = Bytes({1, 0, 37, 0x01, 0x8F, 3, 1, 1, 0, 0, 0, 5});
    std::copy(head.begin(), head.end(), image.begin());
    const auto table = Bytes({0, 12, 0, 14, 0, 38, 0, 83, 0, 90, 0, 155});
    std::copy(table.begin(), table.end(), image.begin() + 25);
    const size_t b = 37;
    image[b + 26] = 0;
    image[b + 27] = 0x32;        // printer
    image[b + 71] = 0xFF;        // character set
    image[b + 71 + 2] = 72;      // lines per page
    image[b + 71 + 7] = 5;       // control-sequence count
    image[b + 71 + 8] = 63;
    auto r = Decode(kCP731, image);
    ASSERT_EQ(r.status, ParamDecodeStatus::Ok);
    EXPECT_EQ(r.lengths, (BlockLengths{2, 24, 45, 7, 65, 256}));
    ASSERT_TRUE(r.printerRead);
    EXPECT_EQ(r.printer.byCharSet, 0xFF);
    EXPECT_EQ(r.printer.byLinesPerPage, 72);
    EXPECT_EQ(r.printer.byCtrlCount, 5);
    EXPECT_EQ(r.printer.byCtrlLength, 63);
}

TEST(SdbParamImage, DriverDataPlacement) {
    struct Case {
        const char* what;
        int module;
        uint16_t length2;
        bool oldLayout;
        bool texts;
        size_t at;           // from the body start
        bool oldLayoutRead;
    };
    const Case cases[] = {
        {"CP 731", kCP731, 49, false, false, 75, false},
        {"CP 731 older layout", kCP731, 45, true, false, 71, true},
        {"CP 831-2", kCP8312, 49, false, false, 73, false},
        {"CP 831-2 older layout", kCP8312, 45, true, false, 69, true},
        {"CP 731 printer driver", kCP731, 49, false, true, 75 + 7 + 65 + 256, false},
        {"CP 831-2 printer driver", kCP8312, 49, false, true, 73 + 7 + 65 + 256, false},
        // the flag of a block read in the older layout, after a protocol change gave sub-block 2
        // its 49 bytes again: the data goes where the offset table says, and the flag is cleared
        {"CP 731 stale older-layout flag", kCP731, 49, true, false, 75, false},
        {"CP 831-2 stale older-layout flag", kCP8312, 49, true, false, 73, false},
        // 2 + 24 + 301 = 327 is not the 71 bytes of the older layout, not even in its low byte
        {"CP 731 long sub-block 2", kCP731, 301, false, false, 75, false},
    };
    for (const auto& c : cases) {
        auto in = DefaultInput(c.module, 511);
        in.lengths[2] = c.length2;
        in.oldLayout = c.oldLayout;
        in.driverHasTexts = c.texts;
        if (c.texts) {
            in.lengths[3] = 7;
            in.lengths[4] = 65;
            in.lengths[5] = 256;
        }
        std::vector<uint8_t> data(300);
        std::iota(data.begin(), data.end(), 1);
        in.driverDataArea = true;
        in.driverData = data;
        auto r = BuildParamImage(in);
        ASSERT_EQ(r.status, ParamBuildStatus::Ok) << c.what;
        EXPECT_EQ(r.lengths[c.texts ? 10 : 3], 300) << c.what;
        EXPECT_EQ(r.head.byModuleCode, 2) << c.what;
        EXPECT_EQ(r.oldLayout, c.oldLayoutRead) << c.what;
        const size_t b = r.head.wHeadLen;
        ASSERT_GE(r.image.size(), b + c.at + 300) << c.what;
        EXPECT_EQ(r.image[b + c.at], 1) << c.what;
        EXPECT_EQ(r.image[b + c.at + 299], static_cast<uint8_t>(300)) << c.what;

        std::array<uint8_t, kDriverDataCapacity> buffer{};
        auto back = Decode(c.module, r.image, buffer);
        ASSERT_TRUE(back.driverDataRead) << c.what;
        EXPECT_EQ(back.driverDataLength, 300u) << c.what;
        EXPECT_TRUE(std::equal(data.begin(), data.end(), buffer.begin())) << c.what;
        EXPECT_EQ(back.oldLayout, c.oldLayoutRead) << c.what;
        EXPECT_EQ(back.printerRead, c.texts) << c.what;
    }
}

TEST(SdbParamImage, ExtendedModuleRaisesSubBlock2) {
    auto in = DefaultInput(kCP731, 511);
    in.lengths[2] = 45;
    in.oldLayout = true;
    in.ctx.extendedModule = true;
    auto r = BuildParamImage(in);
    EXPECT_EQ(r.lengths[2], 49);
    EXPECT_FALSE(r.oldLayout);
    in.ctx.moduleType = kCP830;  // only CP 731 and CP 831 are raised
    in.lengths = {2, 24, 45};
    EXPECT_EQ(BuildParamImage(in).lengths[2], 45);
}

TEST(SdbParamImage, DriverDataNeverLeavesItsBuffer) {
    // sub-block 3 claims 30000 bytes; the image holds 20000 of them, the buffer takes 10,240,
    // and a caller's smaller buffer only as many as it holds
    auto in = DefaultInput(kCP731, 511);
    in.lengths[3] = 30000;
    auto built = BuildParamImage(in);
    ASSERT_EQ(built.status, ParamBuildStatus::Ok);
    std::vector<uint8_t> image = built.image;
    image.resize(20000);
    struct Case { size_t buffer; size_t copied; };
    for (const Case c : {Case{kDriverDataCapacity, kDriverDataCapacity}, Case{100, 100}, Case{20000, kDriverDataCapacity}}) {
        std::vector<uint8_t> buffer(c.buffer + 16, 0xEE);
        auto r = Decode(kCP731, image, std::span(buffer).first(c.buffer));
        EXPECT_TRUE(r.truncated);
        EXPECT_TRUE(r.driverDataTruncated);
        EXPECT_EQ(r.driverDataLength, c.copied);
        EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<long>(c.copied), buffer.end(), [](uint8_t v) { return v == 0xEE; }));
    }
}

TEST(SdbParamImage, DecodeStatus) {
    EXPECT_EQ(Decode(kCP731, std::vector<uint8_t>(100, 0)).status, ParamDecodeStatus::Absent);
    EXPECT_EQ(Decode(kCP731, {}).status, ParamDecodeStatus::Absent);
    EXPECT_EQ(Decode(0, Bytes({1})).status, ParamDecodeStatus::UnknownModule);
    // a head alone, cut short: read as far as it goes
    auto r = Decode(kCP730, Bytes({1, 0, 31, 0, 43}));
    EXPECT_EQ(r.status, ParamDecodeStatus::Ok);
    EXPECT_TRUE(r.truncated);
    EXPECT_EQ(r.table.count, 3);
}

TEST(SdbParamImage, TooLargeForSixteenBits) {
    auto in = DefaultInput(kCP731, kProt3964);
    in.lengths[8] = 0xFFFF;
    EXPECT_EQ(BuildParamImage(in).status, ParamBuildStatus::TooLarge);
    in.ctx.moduleType = 0;
    EXPECT_EQ(BuildParamImage(in).status, ParamBuildStatus::UnknownModule);
}

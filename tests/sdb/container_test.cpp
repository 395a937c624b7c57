#include <gtest/gtest.h>

#include <memory>
#include <numeric>

#include "sdb/container.h"
#include "sdb/param_image.h"
#include "sdb_fixtures.h"

using namespace sdb;
using sdbtest::Bytes;

namespace {

// A container written by hand: directory entries {word, number, length, attribute}.
std::vector<uint8_t> Container(std::vector<std::array<int, 4>> entries, std::vector<uint8_t> data) {
    std::vector<uint8_t> c = Bytes({0, 2, 0, static_cast<int>(entries.size()), 0x1C, 0xC1});
    for (auto& e : entries) {
        c.push_back(static_cast<uint8_t>(e[0] >> 8));
        c.push_back(static_cast<uint8_t>(e[0]));
        c.push_back(static_cast<uint8_t>(e[1]));
        c.push_back(static_cast<uint8_t>(e[2]));
        c.push_back(0);
        c.push_back(static_cast<uint8_t>(e[3]));
    }
    c.insert(c.end(), data.begin(), data.end());
    return c;
}

std::unique_ptr<ContainerContents> Read(std::span<const uint8_t> bytes) {
    auto c = std::make_unique<ContainerContents>();
    ReadContainer(bytes, *c);
    return c;
}

}  // namespace

TEST(SdbRecordList, NewListIsFilledAndCounted) {
    SdbRecordListPtr list(SdbNewRecordList(3));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->byCount, 3);
    EXPECT_EQ(list->byKind, 0xFB);
    EXPECT_EQ(list->pEntries[2].byNumber, 0xFB);
    EXPECT_EQ(SdbNewRecordList(256), nullptr);
    EXPECT_EQ(SdbNewRecordList(-1), nullptr);
    EXPECT_EQ(SdbFreeRecordList(nullptr), 0);
}

TEST(SdbRecordList, PackWritesDirectoryThenData) {
    const uint8_t a[] = {1, 2, 3}, b[] = {9};
    SdbRecordListPtr list(SdbNewRecordList(2));
    list->byKind = 0xFA;  // only the low 3 bits are written
    list->wBlockType = 7363;
    list->pEntries[0] = {a, 1, 0, 3, 7};
    list->pEntries[1] = {b, 0, 128, 1, 0};
    uint8_t out[64] = {};
    ASSERT_EQ(SdbPackRecords(list.get(), out, sizeof out), 22);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 22),
              Bytes({0, 2, 0, 2, 0x1C, 0xC3, 0x80, 18, 0, 3, 0, 7, 0, 21, 128, 1, 0, 0, 1, 2, 3, 9}));
}

TEST(SdbRecordList, PackRefusals) {
    const uint8_t a[1] = {};
    SdbRecordListPtr one(SdbNewRecordList(1));
    one->byKind = 2;
    one->wBlockType = 7361;
    one->pEntries[0] = {a, 1, 0, 1, 0};
    SdbRecordListPtr empty(SdbNewRecordList(0));
    SdbRecordListPtr noData(SdbNewRecordList(1));
    noData->pEntries[0] = {nullptr, 1, 128, 5, 0};
    SdbRecordList noEntries{2, 1, 7361, nullptr};

    uint8_t out[16];
    std::fill(std::begin(out), std::end(out), 0xEE);
    EXPECT_EQ(SdbPackRecords(nullptr, out, sizeof out), 0);
    EXPECT_EQ(SdbPackRecords(empty.get(), out, sizeof out), 0);
    EXPECT_EQ(SdbPackRecords(&noEntries, out, sizeof out), 0);
    EXPECT_EQ(SdbPackRecords(noData.get(), out, sizeof out), 0);
    // too small: the size needed, nothing written
    EXPECT_EQ(SdbPackRecords(one.get(), out, 12), 13);
    EXPECT_EQ(out[0], 0xEE);
}

TEST(SdbRecordList, PackRefusesOffsetsBeyondFifteenBits) {
    std::vector<uint8_t> data(255, 1);
    SdbRecordListPtr list(SdbNewRecordList(200));
    list->byKind = 2;
    list->wBlockType = 7361;
    for (int i = 0; i < 200; ++i) list->pEntries[i] = {data.data(), 1, static_cast<uint8_t>(i), 255, 0};
    std::vector<uint8_t> out(65536);
    EXPECT_EQ(SdbPackRecords(list.get(), out.data(), out.size()), 0);
}

TEST(SdbRecordList, UnpackResults) {
    struct Case { const char* what; std::vector<uint8_t> bytes; int result; };
    const Case cases[] = {
        {"two records", Container({{0x8000 | 18, 0, 2, 5}, {20, 128, 1, 0}}, {1, 2, 3}), 2},
        {"no records", Container({}, {}), 0},
        {"second entry one byte past the end", Container({{18, 0, 2, 0}, {20, 128, 2, 0}}, {1, 2, 3}), -2},
        {"offset past the end, length 0", Container({{22, 128, 0, 0}}, {1, 2, 3}), -2},
        {"directory cut short", std::vector<uint8_t>(Bytes({0, 2, 0, 3, 0, 0, 0, 12, 128, 0, 0})), -2},
        {"shorter than the start", Bytes({0, 2, 0}), -2},
    };
    for (const auto& c : cases) {
        SdbRecordList* raw = nullptr;
        EXPECT_EQ(SdbUnpackRecords(c.bytes.data(), c.bytes.size(), &raw), c.result) << c.what;
        SdbRecordListPtr list(raw);
        if (c.result == 2) {
            EXPECT_EQ(list->pEntries[0].byFlag, 1);
            EXPECT_EQ(list->pEntries[0].byAttribute, 5);
            EXPECT_EQ(list->pEntries[1].pData, c.bytes.data() + 20);
            EXPECT_EQ(list->wBlockType, 7361);
        }
        EXPECT_EQ(Read(c.bytes)->status, c.result > 0 ? ContainerReadStatus::Ok : ContainerReadStatus::NoRecords)
            << c.what;
    }
}

TEST(SdbContainer, Cp730DefaultBlockIs124Bytes) {
    auto in = sdbtest::DefaultInput(kCP730, kProt3964, 28);
    auto param = BuildParamImage(in);
    ASSERT_EQ(param.status, ParamBuildStatus::Ok);
    EXPECT_EQ(param.table.count, 3);
    EXPECT_EQ(std::vector<uint16_t>(param.table.words.begin(), param.table.words.begin() + 3),
              (std::vector<uint16_t>{6, 0, 8}));
    ASSERT_EQ(param.image.size(), 74u);
    const auto proto = std::vector<uint8_t>(param.image.begin() + 31, param.image.end());
    EXPECT_EQ(proto, Bytes({0x00, 0x0E, 0x00, 0x31, 0x00, 0x00, 'B', 0x00, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x08,
                            0x01, 0x00, 0x02, 0x01, 0x00, 0x16, 0x00, 0xC8, 0x06, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));

    ContainerBuildInput c;
    c.moduleType = kCP730;
    c.paramImage = param.image;
    auto packed = BuildContainer(c);
    ASSERT_EQ(packed.status, ContainerBuildStatus::Ok);
    EXPECT_EQ(packed.bytes.size(), 124u);
    EXPECT_EQ(packed.paramRecords, 1);
    // kind 2, two entries, block type 7361, header record of 32 bytes with flag 1, record 128 of 74
    EXPECT_EQ(std::vector<uint8_t>(packed.bytes.begin(), packed.bytes.begin() + 18),
              Bytes({0, 2, 0, 2, 0x1C, 0xC1, 0x80, 18, 0, 32, 0, 0, 0x80, 50, 128, 74, 0, 0}));
}

TEST(SdbContainer, CutsIntoRecordsOf240) {
    struct Case { size_t param; size_t text; std::vector<int> numbers; std::vector<int> lengths; };
    const Case cases[] = {
        {480, 0, {0, 128, 129, 130}, {32, 240, 240, 0}},
        {241, 0, {0, 128, 129}, {32, 240, 1}},
        {74, 48, {0, 128, 135}, {32, 74, 48}},
        {74, 480, {0, 128, 135, 136, 137}, {32, 74, 240, 240, 0}},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> param(c.param), text(c.text);
        std::iota(param.begin(), param.end(), 0);
        std::iota(text.begin(), text.end(), 100);
        ContainerBuildInput in;
        in.moduleType = kCP731;
        in.pair = {0, 9};
        in.paramImage = param;
        in.texts = c.text > 0;
        in.textImage = text;
        auto packed = BuildContainer(in);
        ASSERT_EQ(packed.status, ContainerBuildStatus::Ok) << c.param;
        SdbRecordList* raw = nullptr;
        ASSERT_EQ(SdbUnpackRecords(packed.bytes.data(), packed.bytes.size(), &raw), static_cast<int>(c.numbers.size()));
        SdbRecordListPtr list(raw);
        for (size_t i = 0; i < c.numbers.size(); ++i) {
            EXPECT_EQ(list->pEntries[i].byNumber, c.numbers[i]) << c.param << " entry " << i;
            EXPECT_EQ(list->pEntries[i].byLength, c.lengths[i]) << c.param << " entry " << i;
            if (i > 0) {  // data records carry the document's pair, the header record its own
                EXPECT_EQ(list->pEntries[i].byFlag, 0);
                EXPECT_EQ(list->pEntries[i].byAttribute, 9);
            }
        }
        auto back = Read(packed.bytes);
        EXPECT_EQ(std::vector<uint8_t>(back->param.begin(), back->param.begin() + back->paramSize), param);
        EXPECT_EQ(back->textPresent, c.text > 0);
        EXPECT_EQ(std::vector<uint8_t>(back->text.begin(), back->text.begin() + back->textSize), text);
        EXPECT_EQ(back->pair.flag, 0);
        EXPECT_EQ(back->pair.attribute, 9);
    }
}

TEST(SdbContainer, TooManyRecordsAreRefusedWithTheirWarning) {
    struct Case { size_t param; size_t text; bool params; bool texts; };
    const Case cases[] = {
        {1679, 0, false, false},     // 128..134
        {1680, 0, true, false},      // would need record 135
        {100, 15599, false, false},  // 135..199
        {100, 15600, false, true},   // would need record 200
        {2000, 20000, true, true},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> param(c.param), text(c.text);
        ContainerBuildInput in;
        in.moduleType = kCP830;
        in.paramImage = param;
        in.texts = c.text > 0;
        in.textImage = text;
        auto r = BuildContainer(in);
        EXPECT_EQ(r.tooManyParamRecords, c.params) << c.param << "/" << c.text;
        EXPECT_EQ(r.tooManyTextRecords, c.texts) << c.param << "/" << c.text;
        if (c.params || c.texts) {
            EXPECT_EQ(r.status, ContainerBuildStatus::TooManyRecords);
            EXPECT_TRUE(r.bytes.empty());
        } else {
            EXPECT_EQ(r.status, ContainerBuildStatus::Ok);
        }
    }
    ContainerBuildInput cp831;
    cp831.moduleType = kCP8312;
    EXPECT_EQ(BuildContainer(cp831).status, ContainerBuildStatus::NoContainer);
}

TEST(SdbContainer, ReadSortsRecordsByNumber) {
    // record 0 of 40 bytes, an ignored 1 and 200, record 129 before 128, record 140 of the texts
    std::vector<uint8_t> data(40, 0x11);
    data.insert(data.end(), {0xA1, 0xA2});  // record 1
    data.insert(data.end(), {0xB1});        // record 200
    data.insert(data.end(), {0x29, 0x29});  // record 129
    data.insert(data.end(), {0x28});        // record 128
    data.insert(data.end(), {0x40, 0x41, 0x42});  // record 140
    const int d = 6 + 6 * 6;
    auto c = Container({{0x8000 | d, 0, 40, 3},
                        {d + 40, 1, 2, 0},
                        {d + 42, 200, 1, 0},
                        {d + 43, 129, 2, 4},
                        {d + 45, 128, 1, 6},
                        {0x8000 | (d + 46), 140, 3, 8}},
                       data);
    auto r = Read(c);
    ASSERT_EQ(r->status, ContainerReadStatus::Ok);
    EXPECT_TRUE(r->headerPresent);
    EXPECT_EQ(r->header.length, 40);  // kept whole, its bytes up to 32
    EXPECT_EQ(r->header.flag, 1);
    EXPECT_EQ(r->header.attribute, 3);
    EXPECT_EQ(r->header.bytes[31], 0x11);
    EXPECT_EQ(r->paramSize, 3u);
    EXPECT_EQ(r->param[0], 0x28);
    EXPECT_EQ(r->param[240], 0x29);
    EXPECT_EQ(r->pair.flag, 0);  // from record 128; record 140 does not set the pair
    EXPECT_EQ(r->pair.attribute, 6);
    EXPECT_FALSE(r->textPresent);  // only record 135 marks texts present
    EXPECT_EQ(r->textSize, 3u);
    EXPECT_EQ(r->text[1200], 0x40);
    EXPECT_EQ(r->text[1202], 0x42);
}

TEST(SdbContainer, LongHeaderRecordGoesBackWithItsLength) {
    ContainerBuildInput in;
    in.moduleType = kCP730;
    in.header.length = 40;
    in.header.bytes.fill(0x77);
    in.header.attribute = 3;
    std::vector<uint8_t> param(10, 1);
    in.paramImage = param;
    auto packed = BuildContainer(in);
    ASSERT_EQ(packed.status, ContainerBuildStatus::Ok);
    EXPECT_EQ(packed.bytes.size(), 6u + 12 + 40 + 10);
    EXPECT_EQ(packed.bytes[18 + 31], 0x77);
    EXPECT_EQ(packed.bytes[18 + 32], 0);
    auto r = Read(packed.bytes);
    EXPECT_EQ(r->header.length, 40);
    EXPECT_EQ(r->header.attribute, 3);
}

TEST(SdbContainer, DuplicateRecordsStayInsideTheirBuffers) {
    // 255 copies of records 134 and 199 with 255 bytes each: every copy lands at the same place
    std::vector<std::array<int, 4>> entries;
    const int d = 6 + 6 * 255;
    for (int i = 0; i < 255; ++i) entries.push_back({d, i % 2 ? 134 : 199, 255, 0});
    auto c = Container(entries, std::vector<uint8_t>(255, 0x5A));
    auto r = Read(c);
    ASSERT_EQ(r->status, ContainerReadStatus::Ok);
    EXPECT_EQ(r->paramSize, kParamBufferSize);
    EXPECT_EQ(r->textSize, kTextBufferSize);
    EXPECT_EQ(r->param[kParamBufferSize - 1], 0x5A);
    EXPECT_EQ(r->text[kTextBufferSize - 1], 0x5A);
}

#include <gtest/gtest.h>

#include "sdb/section_file.h"
#include "sdb_fixtures.h"

using namespace sdb;
using sdbtest::Bytes;

namespace {

struct RecordingSink : DriverSectionSink {
    bool take = true;
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> seen;
    bool onDriverSection(uint8_t type, std::span<const uint8_t> data) override {
        seen.emplace_back(type, std::vector<uint8_t>(data.begin(), data.end()));
        return take;
    }
};

}  // namespace

TEST(SdbSectionFile, WritesStartAndSectionsInOrder) {
    const auto param = Bytes({1, 2, 3});
    const auto text = Bytes({4});
    const auto code = Bytes({5, 6});
    const auto protocol = Bytes({7});
    SectionFileInput in;
    in.interfaceNo = 2;
    in.sectionCount = 4;
    in.protocolId = 0x1003;  // limited to 4096
    in.interfaceByte = 'B';
    in.paramImage = param;
    in.textImage = std::span<const uint8_t>(text);
    in.driverParts[0] = std::span<const uint8_t>(code);
    in.driverParts[2] = std::span<const uint8_t>(protocol);
    auto w = WriteSectionFile(in);
    ASSERT_EQ(w.status, SectionWriteStatus::Ok);
    EXPECT_EQ(w.bytes, Bytes({2, 4, 0x10, 0x00, 0, 'B',
                              1, 0, 0, 0, 3, 1, 2, 3,
                              2, 0, 0, 0, 1, 4,
                              3, 0, 0, 0, 2, 5, 6,
                              5, 0, 0, 0, 1, 7}));

    auto r = ReadSectionFile(w.bytes);
    ASSERT_EQ(r.status, SectionReadStatus::Ok);
    EXPECT_EQ(r.interfaceNo, 2);
    EXPECT_EQ(r.sectionCount, 4);
    EXPECT_EQ(r.protocolId, 0x1000);
    EXPECT_EQ(r.interfaceByte, 'B');
    EXPECT_EQ(*r.paramImage, param);
    EXPECT_EQ(*r.textImage, text);
    // driver parts without a sink are kept as read and go back unchanged
    EXPECT_EQ(*r.driverParts[0], code);
    EXPECT_FALSE(r.driverParts[1]);
    EXPECT_EQ(*r.driverParts[2], protocol);
    SectionFileInput again = in;
    again.protocolId = r.protocolId;
    again.driverParts[0] = std::span<const uint8_t>(*r.driverParts[0]);
    again.driverParts[2] = std::span<const uint8_t>(*r.driverParts[2]);
    EXPECT_EQ(WriteSectionFile(again).bytes, w.bytes);
}

TEST(SdbSectionFile, CountNamesTheSectionsWritten) {
    const auto param = Bytes({1});
    const auto text = Bytes({2});
    SectionFileInput in;
    in.paramImage = param;
    in.textImage = std::span<const uint8_t>(text);
    in.sectionCount = 1;  // a count of 1 writes the parameters only
    EXPECT_EQ(WriteSectionFile(in).bytes[1], 1);
    EXPECT_EQ(WriteSectionFile(in).bytes.size(), 6u + 6);
    in.sectionCount = 5;  // more than there are: the file says what it holds
    auto w = WriteSectionFile(in);
    EXPECT_EQ(w.bytes[1], 2);
    EXPECT_EQ(w.sectionsWritten, 2);
}

TEST(SdbSectionFile, ReadOutcomes) {
    struct Case { const char* what; std::vector<uint8_t> bytes; SectionReadStatus status; size_t sections; };
    const Case cases[] = {
        {"count 0", Bytes({1, 0, 0, 0x31, 0, 'Q', 1, 0, 0, 0, 0}), SectionReadStatus::BadCount, 0},
        {"count 6", Bytes({1, 6, 0, 0x31, 0, 'Q', 1, 0, 0, 0, 0}), SectionReadStatus::BadCount, 0},
        {"shorter than the start", Bytes({1, 1, 0}), SectionReadStatus::BadCount, 0},
        {"unknown type skipped by its length",
         Bytes({1, 2, 0, 0x31, 0, 'Q', 9, 0, 0, 0, 2, 0xEE, 0xEE, 1, 0, 0, 0, 1, 0x42}), SectionReadStatus::Ok, 2},
        {"section runs past the end", Bytes({1, 2, 0, 0x31, 0, 'Q', 1, 0, 0, 0, 1, 0x42, 2, 0, 0, 0, 9, 1}),
         SectionReadStatus::Truncated, 1},
        {"length near 4 GiB", Bytes({1, 1, 0, 0x31, 0, 'Q', 1, 0xFF, 0xFF, 0xFF, 0xFF, 1}), SectionReadStatus::Truncated, 0},
        {"fewer sections than counted", Bytes({1, 3, 0, 0x31, 0, 'Q', 1, 0, 0, 0, 1, 0x42}),
         SectionReadStatus::Truncated, 1},
    };
    for (const auto& c : cases) {
        auto r = ReadSectionFile(c.bytes);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.directory.size(), c.sections) << c.what;
        if (c.sections && r.directory[0].type == 1) {
            ASSERT_TRUE(r.paramImage) << c.what;
            EXPECT_EQ(*r.paramImage, Bytes({0x42})) << c.what;
        }
    }
}

TEST(SdbSectionFile, SinkTakesDriverSections) {
    const auto bytes = Bytes({1, 3, 0, 0x10, 0, 'B', 3, 0, 0, 0, 2, 8, 9, 4, 0, 0, 0, 1, 7, 1, 0, 0, 0, 0});
    RecordingSink sink;
    auto r = ReadSectionFile(bytes, &sink);
    ASSERT_EQ(sink.seen.size(), 2u);
    EXPECT_EQ(sink.seen[0].first, 3);
    EXPECT_EQ(sink.seen[0].second, Bytes({8, 9}));
    EXPECT_EQ(sink.seen[1].first, 4);
    EXPECT_FALSE(r.driverParts[0]);
    EXPECT_FALSE(r.driverParts[1]);
    sink.take = false;  // a sink that declines leaves the raw bytes to the caller
    auto kept = ReadSectionFile(bytes, &sink);
    EXPECT_EQ(*kept.driverParts[0], Bytes({8, 9}));
}

TEST(SdbSectionFile, CapacityIs0x50000) {
    std::vector<uint8_t> big(kSectionFileCapacity - 11);
    SectionFileInput in;
    in.paramImage = big;
    EXPECT_EQ(WriteSectionFile(in).status, SectionWriteStatus::Ok);
    std::vector<uint8_t> bigger(kSectionFileCapacity - 10);
    in.paramImage = bigger;
    EXPECT_EQ(WriteSectionFile(in).status, SectionWriteStatus::TooLarge);
}

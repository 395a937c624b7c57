// The printer block as far as its sub-block lengths and the image reach: what lies beyond
// either is neither written nor read.
#include <gtest/gtest.h>

#include <initializer_list>

#include "sdb/printer_image.h"
#include "sdb_fixtures.h"

using namespace sdb;
using sdbtest::Bytes;

namespace {

CDbdr Sample() {
    CDbdr d;
    d.byCharSet = 1;
    d.byEmulation = 2;
    d.byLinesPerPage = 3;
    d.byLeftMargin = 4;
    d.byHeaderLines = 5;
    d.byFooterLines = 6;
    d.byLineEnd = 7;
    d.byCtrlCount = 0x15;
    d.byCtrlLength = 0x3F;
    for (size_t i = 0; i < d.abyCtrlTable.size(); ++i) d.abyCtrlTable[i] = static_cast<uint8_t>(0x80 + i);
    for (size_t i = 0; i < d.abyCharTable.size(); ++i) d.abyCharTable[i] = static_cast<uint8_t>(0xC0 + i);
    d.achTextLine[0].fill('k');
    d.achTextLine[3].fill('f');
    return d;
}

CDbdr Filled(uint8_t v) {
    CDbdr d;
    for (uint8_t* b : {&d.byCharSet, &d.byEmulation, &d.byLinesPerPage, &d.byLeftMargin, &d.byHeaderLines,
                       &d.byFooterLines, &d.byLineEnd, &d.byCtrlCount, &d.byCtrlLength})
        *b = v;
    d.abyCtrlTable.fill(v);
    d.abyCharTable.fill(v);
    for (auto& line : d.achTextLine) line.fill(static_cast<char>(v));
    return d;
}

struct Case {
    const char* what;
    BlockLengths lengths;
    std::vector<uint8_t> image;
};

const Case kCases[] = {
    {"control sub-block holds the count only", {0, 0, 0, 7, 1}, Bytes({1, 2, 3, 4, 5, 6, 7, 0x15})},
    {"two bytes of each table, three characters of the first line", {0, 0, 0, 7, 4, 2, 3},
     Bytes({1, 2, 3, 4, 5, 6, 7, 0x15, 0x3F, 0x80, 0x81, 0xC0, 0xC1, 'k', 'k', 'k'})},
    {"a line's sub-block longer than the line is padded with zeros", {0, 0, 0, 7, 0, 0, 0, 0, 0, 62},
     [] {
         auto v = Bytes({1, 2, 3, 4, 5, 6, 7});
         v.insert(v.end(), 60, 'f');
         v.insert(v.end(), 2, 0);
         return v;
     }()},
};

}  // namespace

TEST(SdbPrinterImage, WritesAndReadsWhatTheLengthsHold) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> out(c.image.size(), 0);  // zeroed, as every image is
        out.insert(out.end(), 4, 0xAA);
        ASSERT_EQ(WritePrinterImage(Sample(), c.lengths, out), c.image.size());
        EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + static_cast<long>(c.image.size())), c.image);
        EXPECT_EQ(out[c.image.size()], 0xAA);  // nothing behind the block

        // read back over a record of 0xEE: what the image carries arrives, the rest stays
        CDbdr back = Filled(0xEE);
        ReadPrinterImage(c.image, c.lengths, back);
        std::vector<uint8_t> again(c.image.size(), 0);
        WritePrinterImage(back, c.lengths, again);
        EXPECT_EQ(again, c.image);
        const size_t ctrl = c.lengths[4];
        EXPECT_EQ(back.byCtrlCount, ctrl >= 1 ? 0x15 : 0xEE);
        EXPECT_EQ(back.byCtrlLength, ctrl >= 2 ? 0x3F : 0xEE);
        EXPECT_EQ(back.abyCtrlTable[ctrl > 2 ? ctrl - 2 : 0], 0xEE);
        EXPECT_EQ(back.abyCharTable[c.lengths[5]], 0xEE);
        EXPECT_EQ(back.achTextLine[0][c.lengths[6]], static_cast<char>(0xEE));
    }
}

TEST(SdbPrinterImage, ShortImageKeepsWhatItDoesNotHold) {
    const Case& c = kCases[1];
    CDbdr back = Filled(0xEE);
    ReadPrinterImage(std::span(c.image).first(10), c.lengths, back);  // cut inside the control table
    EXPECT_EQ(back.byLineEnd, 7);
    EXPECT_EQ(back.byCtrlLength, 0x3F);
    EXPECT_EQ(back.abyCtrlTable[0], 0x80);
    EXPECT_EQ(back.abyCtrlTable[1], 0xEE);
    EXPECT_EQ(back.abyCharTable[0], 0xEE);
    EXPECT_EQ(back.achTextLine[0][0], static_cast<char>(0xEE));

    CDbdr none = Filled(0xEE);
    ReadPrinterImage({}, c.lengths, none);
    EXPECT_EQ(none.byCharSet, 0xEE);
}

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sdb/text_image.h"
#include "sdb_fixtures.h"

using namespace sdb;
using sdbtest::Bytes;

namespace {

std::unique_ptr<TextStore> Store() { return std::make_unique<TextStore>(); }

std::vector<uint16_t> Table(const std::vector<uint8_t>& image, int words) {
    std::vector<uint16_t> t;
    for (int j = 0; j < words; ++j) t.push_back(static_cast<uint16_t>(image[25 + 2 * j] << 8 | image[26 + 2 * j]));
    return t;
}

}  // namespace

TEST(SdbTextImage, TwoMessagesMakeA48ByteImage) {
    auto s = Store();
    ASSERT_TRUE(s->setText(7, "xyz"));
    ASSERT_TRUE(s->setText(5, "ab"));
    std::memcpy(s->name.achName.data(), "MELDUNG1", 8);
    s->name.byVerHi = 2;
    s->name.byVerLo = 3;
    EXPECT_EQ(s->lowest(), 5);
    EXPECT_EQ(s->highest(), 7);
    EXPECT_EQ(s->count, 3);
    EXPECT_EQ(s->textByteCount(), 15u);

    auto ctx = sdbtest::Context(kCP731, kProtPrinter, 26);
    auto r = BuildTextImage(ctx, *s);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.image.size(), 48u);
    EXPECT_EQ(r.head.byKind, 2);
    EXPECT_EQ(r.head.wHeadLen, 33);
    EXPECT_EQ(r.head.wBodyLen, 15);
    EXPECT_EQ(r.head.wFirstIndex, 5);
    EXPECT_EQ(r.head.wLastIndex, 7);
    EXPECT_EQ(r.head.byVariant2, 1);  // CP 731
    EXPECT_EQ(r.head.byVariant3, 1);
    EXPECT_EQ(Table(r.image, 4), (std::vector<uint16_t>{8, 18, 0, 20}));
    EXPECT_EQ(std::vector<uint8_t>(r.image.begin() + 33, r.image.end()),
              Bytes({'M', 'E', 'L', 'D', 'U', 'N', 'G', '1', 2, 3, 'a', 'b', 'x', 'y', 'z'}));

    auto back = Store();
    auto rr = ReadTextImage(r.image, *back);
    ASSERT_EQ(rr.status, TextReadStatus::Ok);
    EXPECT_FALSE(rr.truncated);
    EXPECT_FALSE(rr.lengthsClipped);
    EXPECT_EQ(back->count, 3);
    EXPECT_EQ(back->lengths[5], 2);
    EXPECT_EQ(back->lengths[6], 0);
    EXPECT_EQ(back->lengths[7], 3);
    EXPECT_EQ(back->text(5), "ab");
    EXPECT_EQ(back->text(7), "xyz");
    EXPECT_EQ(back->text(6), "");
    using Texts = std::vector<std::pair<int, std::string_view>>;
    EXPECT_EQ(back->texts(), (Texts{{5, "ab"}, {7, "xyz"}}));
    EXPECT_EQ(std::string(back->name.achName.data(), 8), "MELDUNG1");
    EXPECT_EQ(back->name.byVerLo, 3);
}

TEST(SdbTextImage, AbsentHeadGivesDefaults) {
    auto s = Store();
    s->setText(3, "alt");
    std::vector<uint8_t> image(48, 0);
    image[1] = 0x21;  // only bytes 0 and 6 decide
    EXPECT_EQ(ReadTextImage(image, *s).status, TextReadStatus::Absent);
    EXPECT_EQ(std::string(s->name.achName.data(), 8), "        ");
    EXPECT_EQ(s->name.byVerHi, 0);
    EXPECT_EQ(s->name.byVerLo, 1);
    EXPECT_EQ(s->head.byKind, 2);
    EXPECT_EQ(s->head.wHeadLen, 27);
    EXPECT_EQ(s->head.wBodyLen, 10);
    EXPECT_EQ(s->lengths[3], 0);
    EXPECT_TRUE(s->area.empty());
}

TEST(SdbTextImage, EditingKeepsTheAreaInNumberOrder) {
    auto s = Store();
    s->setText(10, "zehn");
    s->setText(2, "zwei");
    s->setText(6, "sechs");
    EXPECT_EQ(std::string(s->area.begin(), s->area.end()), "zweisechszehn");
    s->setText(6, "6");  // replace
    s->setText(2, "");   // an empty text takes no room but the number stays in the range
    EXPECT_EQ(std::string(s->area.begin(), s->area.end()), "6zehn");
    EXPECT_EQ(s->lowest(), 2);
    EXPECT_EQ(s->count, 9);
    EXPECT_EQ(s->text(10), "zehn");
    EXPECT_FALSE(s->setText(4000, "x"));
    EXPECT_FALSE(s->setText(-1, "x"));
    s->clear();
    EXPECT_EQ(s->count, 0);
    EXPECT_EQ(s->textByteCount(), 10u);
}

TEST(SdbTextImage, EmptyTextStillCountsInTheTable) {
    auto s = Store();
    s->setText(0, "a");
    s->setText(2, "b");
    s->setText(1, "");
    auto r = BuildTextImage(sdbtest::Context(kCP8312, kProtPrinter, 66), *s);
    EXPECT_EQ(Table(r.image, 4), (std::vector<uint16_t>{8, 18, 0, 19}));
    EXPECT_EQ(r.image.size(), 37u + 2 * 3 + 2);
}

TEST(SdbTextImage, TextsKeepTheirNumbersThroughAStoreWhateverTheHeadsLowestSays) {
    // The table's entries end at the head's highest number. A lowest number that does not fit
    // the table must not move the texts to other numbers on every store.
    auto s = Store();
    ASSERT_TRUE(s->setText(5, "ab"));
    ASSERT_TRUE(s->setText(7, "xyz"));
    const auto ctx = sdbtest::Context(kCP731, kProtPrinter, 26);
    const auto good = BuildTextImage(ctx, *s);
    ASSERT_TRUE(good.ok);
    using Texts = std::vector<std::pair<int, std::string>>;
    auto textsOf = [](const TextStore& t) {
        Texts out;
        for (const auto& [n, text] : t.texts()) out.emplace_back(n, std::string(text));
        return out;
    };
    const struct { uint16_t first, last; Texts texts; } cases[] = {
        {5, 7, {{5, "ab"}, {7, "xyz"}}},
        {2, 7, {{5, "ab"}, {7, "xyz"}}},
        {6, 7, {{5, "ab"}, {7, "xyz"}}},
        {0, 9, {{7, "ab"}, {9, "xyz"}}},
        {300, 9, {{7, "ab"}, {9, "xyz"}}},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> image = good.image;
        image[8] = static_cast<uint8_t>(c.first >> 8);
        image[9] = static_cast<uint8_t>(c.first);
        image[10] = static_cast<uint8_t>(c.last >> 8);
        image[11] = static_cast<uint8_t>(c.last);
        auto loaded = Store();
        ASSERT_EQ(ReadTextImage(image, *loaded).status, TextReadStatus::Ok);
        EXPECT_EQ(textsOf(*loaded), c.texts) << c.first << ".." << c.last;
        const auto stored = BuildTextImage(ctx, *loaded);
        ASSERT_TRUE(stored.ok);
        auto again = Store();
        ASSERT_EQ(ReadTextImage(stored.image, *again).status, TextReadStatus::Ok);
        EXPECT_EQ(textsOf(*again), c.texts) << c.first << ".." << c.last;
        EXPECT_EQ(BuildTextImage(ctx, *again).image, stored.image) << c.first << ".." << c.last;
    }
}

TEST(SdbTextImage, MalformedTablesStayInsideImageAndTable) {
    struct Case { const char* what; std::vector<uint8_t> image; };
    const std::vector<uint8_t> head = {2, 0, 33, 0, 15, 0, 1, 1, 0, 5, 0x0F, 0xA1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    auto with = [&](std::vector<uint8_t> rest, uint16_t last = 7, uint16_t body = 15) {
        std::vector<uint8_t> i = head;
        i[3] = static_cast<uint8_t>(body >> 8);
        i[4] = static_cast<uint8_t>(body);
        i[10] = static_cast<uint8_t>(last >> 8);
        i[11] = static_cast<uint8_t>(last);
        i.insert(i.end(), rest.begin(), rest.end());
        return i;
    };
    const Case cases[] = {
        {"highest number beyond 3999", with({0, 8, 0, 18, 0, 0, 0, 20, 'n', 'a', 'm', 'e', ' ', ' ', ' ', ' ', 0, 1, 'a', 'b', 'x', 'y', 'z'}, 4001)},
        {"offsets out of order", with({0, 8, 0, 30, 0, 0, 0, 2, 'n', 'a', 'm', 'e', ' ', ' ', ' ', ' ', 0, 1, 'a', 'b', 'x', 'y', 'z'})},
        {"body longer than the image", with({0, 8, 0, 18, 0, 0, 0, 20}, 7, 60000)},
        {"head only", with({})},
    };
    for (const auto& c : cases) {
        auto s = Store();
        auto r = ReadTextImage(c.image, *s);
        EXPECT_EQ(r.status, TextReadStatus::Ok) << c.what;
        EXPECT_LE(s->area.size(), c.image.size()) << c.what;
        for (int n = 0; n < kMessageNumbers; ++n) {
            const auto t = s->text(n);
            if (!t.empty()) {
                EXPECT_GE(t.data(), reinterpret_cast<const char*>(s->area.data())) << c.what;
                EXPECT_LE(t.data() + t.size(), reinterpret_cast<const char*>(s->area.data() + s->area.size())) << c.what;
            }
        }
    }
}

TEST(SdbTextName, TenBytes) {
    CDbtex t;
    std::memcpy(t.achName.data(), "ABCDEFGH", 8);
    t.byVerHi = 1;
    t.byVerLo = 9;
    std::array<uint8_t, 10> out{};
    WriteTextName(t, out);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.end()), Bytes({'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 1, 9}));
    auto back = ReadTextName(out);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->byVerLo, 9);
    EXPECT_FALSE(ReadTextName(std::span(out).first(9)));
}

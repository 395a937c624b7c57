#include "printer/message_texts.h"

#include <gtest/gtest.h>

#include "printer/cp1252.h"

namespace printer {
namespace {

TEST(MessageLimits, ByModelAndOrderVersion) {
    struct Case { int model, digit, numbers; long size; };
    for (const Case& c : {Case{730, 0, 1000, 8192}, Case{731, 5, 2000, 15360}, Case{830, 1, 4000, 8100},
                          Case{830, 2, 4000, 56228}, Case{8311, 0, 4000, 8100}, Case{8312, 3, 4000, 56228}}) {
        const MessageLimits l = LimitsFor(c.model, c.digit);
        EXPECT_EQ(l.numbers, c.numbers) << c.model << " " << c.digit;
        EXPECT_EQ(l.size, c.size) << c.model << " " << c.digit;
    }
}

TEST(MessageList, SizeCountsTheNumbersFromLowestToHighest) {
    MessageList list;
    EXPECT_EQ(list.size(), 37);
    list.set(900, std::string(20, 'b'));
    list.set(5, std::string(10, 'a'));
    EXPECT_EQ(list.size(), 37 + 2 * 896 + 30);
    EXPECT_EQ(list.size(), 1859);
    EXPECT_EQ(list.sizeWith(0, "x"), 1859 + 2 * 5 + 1);
    EXPECT_EQ(list.sizeWith(900, "c"), 1859 - 19);
    list.remove(900);
    EXPECT_EQ(list.size(), 37 + 2 + 10);
    list.remove(5);
    EXPECT_EQ(list.size(), 37);
}

TEST(MessageList, KeepsNumbersSortedAndOnce) {
    MessageList list;
    list.set(7, "sieben");
    list.set(3, "drei");
    list.set(7, "SIEBEN");
    ASSERT_EQ(list.count(), 2u);
    EXPECT_EQ(list.entries()[0], (MessageEntry{3, "drei"}));
    EXPECT_EQ(list.entries()[1], (MessageEntry{7, "SIEBEN"}));
    EXPECT_EQ(list.size(), 37 + 2 * 5 + 4 + 6);
    EXPECT_FALSE(list.remove(4));
}

TEST(MessageList, CountsUmlautsAsOneCharacter) {
    MessageList list;
    list.set(0, "Größe über €");  // 12 characters, more bytes in UTF-8
    EXPECT_EQ(list.size(), 37 + 2 + 12);
}

TEST(Version, Forms) {
    struct Case { const char* text; bool ok; int major, minor; };
    for (const Case& c : {Case{"1.1", true, 1, 1}, Case{"255.9", true, 255, 9}, Case{"0.1", true, 0, 1},
                          Case{"10.0", true, 10, 0}, Case{"1.10", false, 0, 0}, Case{"256.0", false, 0, 0}, Case{"0.0", false, 0, 0},
                          Case{"00.0", false, 0, 0}, Case{"3.", false, 0, 0}, Case{".5", false, 0, 0}, Case{"35", false, 0, 0},
                          Case{"", false, 0, 0}, Case{"1234.5", false, 0, 0}, Case{"a.5", false, 0, 0}, Case{"1.x", false, 0, 0}}) {
        const auto v = ParseVersion(c.text);
        EXPECT_EQ(v.has_value(), c.ok) << c.text;
        if (v && c.ok) {
            EXPECT_EQ(*v, (Version{c.major, c.minor})) << c.text;
        }
    }
}

TEST(NumberField, EmptyAndTooHighAreCorrected) {
    const MessageLimits cp730 = LimitsFor(730, 0);
    auto r = CheckNumberField("1000", cp730);
    EXPECT_EQ(r.text, "999");
    EXPECT_EQ(r.message, (TextMessage{kMsgBadNumber, {"1000"}}));
    r = CheckNumberField("", cp730);
    EXPECT_EQ(r.text, "0");
    EXPECT_EQ(r.message, (TextMessage{kMsgNumberMinimum, {"0"}}));
    r = CheckNumberField("999", cp730);
    EXPECT_EQ(r.text, "999");
    EXPECT_FALSE(r.message);
    r = CheckNumberField("1999", LimitsFor(731, 0));
    EXPECT_FALSE(r.message);
}

TEST(Cp1252, RoundTripsEveryByte) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_EQ(Utf8ToCp1252(utf8), all);
    EXPECT_EQ(Cp1252ToUtf8("\x80\xe4\xf6\xfc\xdf"), "€äöüß");
    EXPECT_EQ(Utf8ToCp1252("€äöüß"), "\x80\xe4\xf6\xfc\xdf");
}

TEST(Cp1252, UnencodableAndBrokenUtf8BecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("a\xe6\xbc\xa2" "b"), "a?b");  // a CJK character
    EXPECT_EQ(Utf8ToCp1252("a\xc3" "b"), "a?b");            // a cut sequence
    EXPECT_EQ(Utf8ToCp1252("\xff"), "?");
}

}  // namespace
}  // namespace printer

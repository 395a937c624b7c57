#include "printer/text_file.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace printer {
namespace {

const MessageLimits kCp730 = LimitsFor(730, 0);

std::vector<int> ids(const ParsedTextFile& r) {
    std::vector<int> out;
    for (const auto& m : r.messages) out.push_back(m.id);
    return out;
}

TEST(ParseTextFile, VersionLine) {
    struct Case { const char* file; const char* version; bool message; };
    for (const Case& c : {Case{"1.1\r\n", "1.1", false}, Case{"  255.9 \r\n", "255.9", false},
                          Case{"1.10\r\n", "0.1", true}, Case{"256.0\r\n", "0.1", true},
                          Case{"0.0\r\n", "0.1", true}, Case{"3.\r\n", "0.1", true}, Case{"", "0.1", true},
                          Case{"\r\n\r\n\n", "0.1", true}}) {
        const ParsedTextFile r = ParseTextFile(c.file, kCp730);
        EXPECT_EQ(r.version, c.version) << c.file;
        EXPECT_EQ(ids(r), c.message ? std::vector<int>{kMsgBadVersionLine} : std::vector<int>{}) << c.file;
        EXPECT_TRUE(r.list.empty());
    }
}

TEST(ParseTextFile, MessageLines) {
    struct Case { const char* line; int number; const char* text; std::vector<int> messages; };
    for (const Case& c : {Case{" 12 :Text", 12, "Text", {}}, Case{"12: two  blanks ", 12, " two  blanks ", {}},
                          Case{"12:a:b", 12, "a:b", {}}, Case{"0012:x", 12, "x", {}},
                          Case{"12a:Text", -1, "", {}}, Case{"12:", -1, "", {}}, Case{":Text", -1, "", {}},
                          Case{"1 2:Text", -1, "", {}}, Case{"no colon", -1, "", {}},
                          Case{"999:last", 999, "last", {}}, Case{"1000:Text", -1, "", {kMsgBadNumber}},
                          Case{"00100:Text", -1, "", {kMsgBadNumber}},
                          Case{"123456789012345678901234567890:x", -1, "", {kMsgBadNumber}}}) {
        const ParsedTextFile r = ParseTextFile(std::string("1.0\r\n") + c.line + "\r\n", kCp730);
        EXPECT_EQ(ids(r), c.messages) << c.line;
        if (c.number < 0) {
            EXPECT_TRUE(r.list.empty()) << c.line;
        } else {
            ASSERT_EQ(r.list.count(), 1u) << c.line;
            EXPECT_EQ(r.list.entries()[0], (MessageEntry{c.number, c.text})) << c.line;
        }
    }
}

TEST(ParseTextFile, ReportsNumbersWithoutLeadingZeros) {
    const ParsedTextFile r = ParseTextFile("1.0\r\n01000:x\r\n", kCp730);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0], (TextMessage{kMsgBadNumber, {"1000"}}));
}

TEST(ParseTextFile, TextLengthLimit) {
    const std::string ok(150, 'x');
    const ParsedTextFile r = ParseTextFile("1.0\r\n1:" + ok + "\r\n2:" + ok + "y\r\n", kCp730);
    ASSERT_EQ(r.list.count(), 1u);
    EXPECT_EQ(r.list.entries()[0].number, 1);
    EXPECT_EQ(r.messages, (std::vector<TextMessage>{{kMsgTextTooLong, {"2"}}}));
}

TEST(ParseTextFile, DuplicateNumberAsksBeforeReplacing) {
    const std::string file = "1.0\r\n4:first\r\n4:second\r\n";
    for (bool yes : {true, false}) {
        std::vector<TextMessage> asked;
        const ParsedTextFile r = ParseTextFile(file, kCp730, [&](const TextMessage& q) {
            asked.push_back(q);
            return yes;
        });
        EXPECT_EQ(asked, (std::vector<TextMessage>{{kMsgDuplicateNumber, {"4"}}}));
        ASSERT_EQ(r.list.count(), 1u);
        EXPECT_EQ(r.list.entries()[0].text, yes ? "second" : "first");
    }
}

TEST(ParseTextFile, StopsAtTheSizeLimitKeepingWhatWasRead) {
    std::string file = "1.0\r\n";
    for (int n = 0; n < 60; ++n) file += std::to_string(n) + ":" + std::string(150, 'a') + "\r\n";
    const ParsedTextFile r = ParseTextFile(file, kCp730);
    EXPECT_TRUE(r.cut);
    EXPECT_EQ(ids(r), std::vector<int>{kMsgFileTooLong});
    // 37 + 2n + 150n <= 8192 holds up to n = 53
    EXPECT_EQ(r.list.count(), 53u);
    EXPECT_LE(r.list.size(), kCp730.size);
}

TEST(ParseTextFile, ReadsAtMostNLinesAfterTheVersion) {
    const MessageLimits small{3, 8192};
    const std::string lines = "0:a\r\n1:b\r\n2:c\r\n";
    EXPECT_EQ(ParseTextFile("1.0\r\n" + lines, small).list.count(), 3u);
    EXPECT_EQ(ParseTextFile("x\r\n" + lines, small).list.count(), 2u);  // the wrong first line takes a place
    EXPECT_EQ(ParseTextFile("1.0\r\nskipped\r\n" + lines, small).list.count(), 2u);
}

TEST(ParseTextFile, LooksAtNoMoreThanTheCapacity) {
    std::string file = "1.0\r\n";
    file += std::string(kTextFileCapacity - file.size() - 2, '\n');
    file += "1:x\r\n";  // "1:" lies inside the capacity, "x" past it
    EXPECT_TRUE(ParseTextFile(file, kCp730).list.empty());
    file.insert(6, "2:y\r\n");  // now shifts the line's colon past the capacity too
    const ParsedTextFile r = ParseTextFile(file, kCp730);
    ASSERT_EQ(r.list.count(), 1u);
    EXPECT_EQ(r.list.entries()[0].number, 2);
}

TEST(ParseTextFile, HostileInputGivesMessagesNotCrashes) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 37 + 11) & 0xFF);
    std::string numberRun = "1.0\r\n" + std::string(60000, '9') + ":x";
    const std::string longLine = "1.0\r\n7:" + std::string(69000, 'z');
    for (const std::string& file : {binary, std::string(69535, 'q'), numberRun, longLine,
                                    std::string("1.0\0:\0\0", 7)}) {
        const ParsedTextFile r = ParseTextFile(file, kCp730);
        EXPECT_LE(r.list.size(), kCp730.size);
        for (const auto& e : r.list.entries()) {
            EXPECT_GE(e.number, 0);
            EXPECT_LT(e.number, 1000);
        }
    }
    EXPECT_EQ(ids(ParseTextFile(numberRun, kCp730)), std::vector<int>{kMsgBadNumber});
    EXPECT_EQ(ids(ParseTextFile(longLine, kCp730)), std::vector<int>{kMsgTextTooLong});
}

TEST(BuildTextFile, WritesTheExactForm) {
    MessageList list;
    list.set(10, " Text mit Blanks ");
    list.set(2, "Größe");
    const BuiltTextFile f = BuildTextFile("1.2", list);
    EXPECT_FALSE(f.refusal);
    EXPECT_EQ(f.bytes, "1.2\r\n2:Gr\xf6\xdf" "e\r\n10: Text mit Blanks \r\n");
    EXPECT_EQ(BuildTextFile("0.1", MessageList{}).bytes, "0.1\r\n");
}

TEST(BuildTextFile, ExportAndImportGiveTheSameListAndFile) {
    MessageList list;
    list.set(0, "Übertemperatur \\B€\\-B");
    list.set(17, "  a:b  ");
    list.set(3999, std::string(150, 'x'));
    const MessageLimits cp830 = LimitsFor(830, 2);
    const BuiltTextFile f = BuildTextFile("255.9", list);
    const ParsedTextFile r = ParseTextFile(f.bytes, cp830);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.version, "255.9");
    EXPECT_EQ(r.list, list);
    EXPECT_EQ(BuildTextFile(r.version, r.list).bytes, f.bytes);

    const auto path = std::filesystem::temp_directory_path() / "printer_text_file_test.ptp";
    ASSERT_TRUE(WriteTextFile(path.string(), f.bytes));
    EXPECT_EQ(ReadTextFile(path.string()), f.bytes);
    std::filesystem::remove(path);
}

TEST(BuildTextFile, RefusesAListPastTheCapacity) {
    // 56,228 bytes of text block hold 4000 numbers with short texts (37 + 8000 + 4000 * 10),
    // but their lines "nnnn:tttttttttt\r\n" take some 65,000 + bytes: give texts of 11.
    MessageList list;
    for (int n = 0; n < 4000; ++n) list.set(n, std::string(11, 't'));
    ASSERT_LE(list.size(), LimitsFor(8312, 2).size);
    const BuiltTextFile f = BuildTextFile("1.0", list);
    EXPECT_TRUE(f.bytes.empty());
    EXPECT_EQ(f.refusal, (TextMessage{kMsgTooLong, {}}));
}

TEST(TextFileOnDisk, MissingFileReadsEmptyAndUncreatableFileIsReported) {
    EXPECT_EQ(ReadTextFile("/nonexistent-dir/x.ptp"), "");
    std::string error;
    EXPECT_FALSE(WriteTextFile("/nonexistent-dir/x.ptp", "1.0\r\n", &error));
    EXPECT_NE(error.find("/nonexistent-dir"), std::string::npos) << error;
}

TEST(NameFromFileTitle, UpToTheFirstPointInUpperCase) {
    EXPECT_EQ(NameFromFileTitle("texte.alt"), "TEXTE");
    EXPECT_EQ(NameFromFileTitle(""), "Drucker");
    EXPECT_EQ(NameFromFileTitle(".x"), "Drucker");
}

}  // namespace
}  // namespace printer

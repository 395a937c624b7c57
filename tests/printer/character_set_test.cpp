// The character set dialog's model: the rows it shows, the questions a change of the built-in
// set asks, the entries it refuses, the switching between the sets and what OK stores.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/records.h"
#include "printer/character_set.h"

namespace {

using printer::CharacterSetModel;

// Answers every question with `yes` and remembers which were put.
struct Answers {
    bool yes = true;
    std::vector<int> asked;
    printer::Ask ask() {
        return [this](const rules::Verdict& q) {
            asked.push_back(q.messageId);
            EXPECT_EQ(q.captionId, 425);
            return yes;
        };
    }
};

CDbdr builtInRecord(char language = 'B') {
    CDbdr r;
    SetPrinterDefaults(r, language);
    return r;
}

CDbdr userRecord() {
    CDbdr r = builtInRecord();
    r.byCharSet = 255;
    for (int i = 0; i < 256; ++i) r.abyCharTable[i] = static_cast<uint8_t>(255 - i);
    return r;
}

std::array<uint8_t, 256> builtInTable(char language) {
    std::array<uint8_t, 256> t{};
    BuildCharTable(language, t);
    return t;
}

TEST(CharacterSet, OpeningWithTheBuiltInSetShowsTheLanguagesTable) {
    for (char language : {'A', 'B', 'D'}) {
        CDbdr record = builtInRecord(language);
        record.abyCharTable.fill(0x11);  // a built-in set shows the language's table, not the record's
        CharacterSetModel m(record, language, false);
        ASSERT_EQ(m.entries().size(), 1u);
        EXPECT_EQ(m.entries()[0].text, "IBM");
        EXPECT_EQ(m.entries()[0].data, 0);
        EXPECT_FALSE(m.userActive());
        const auto t = builtInTable(language);
        for (int row : {0, 2, 0x41, 0xC4, 0xFF}) {
            char want[3];
            std::snprintf(want, sizeof want, "%02X", t[row]);
            EXPECT_EQ(m.printerText(row), want) << language << " " << row;
        }
    }
}

TEST(CharacterSet, RowsShowCharacterAndCode) {
    struct Case { int row; const char* character; const char* code; };
    const Case cases[] = {{2, "STX", "02"}, {0x0D, "CR", "0D"}, {0x20, " ", "20"}, {0x41, "A", "41"},
                          {0xC4, "\xC3\x84", "C4"}, {0x80, "\xE2\x82\xAC", "80"}};
    for (const Case& c : cases) {
        EXPECT_EQ(CharacterSetModel::characterText(c.row), c.character) << c.row;
        EXPECT_EQ(CharacterSetModel::codeText(c.row), c.code) << c.row;
    }
}

TEST(CharacterSet, OpeningWithTheUserSetShowsTheRecordsTable) {
    CharacterSetModel m(userRecord(), 'B', false);
    ASSERT_EQ(m.entries().size(), 2u);
    EXPECT_EQ(m.entries()[1].text, "User-Defined");
    EXPECT_EQ(m.entries()[1].data, 255);
    EXPECT_EQ(m.selected(), 1);
    EXPECT_EQ(m.printerText(0), "FF");
    EXPECT_EQ(m.printerText(0x41), "BE");
}

TEST(CharacterSet, ChangingTheBuiltInSetAsksForAUserSet) {
    // Yes makes the user set of the shown table with the change in it.
    {
        Answers a;
        CharacterSetModel m(builtInRecord(), 'B', false);
        const auto e = m.edit(0x41, "4", a.ask());
        EXPECT_EQ(a.asked, std::vector<int>{570});
        EXPECT_TRUE(e.taken);
        EXPECT_EQ(e.text, "4");
        EXPECT_EQ(m.selected(), 1);
        ASSERT_EQ(m.entries().size(), 2u);
        CDbdr out = builtInRecord();
        m.writeBack(out);
        EXPECT_EQ(out.byCharSet, 255);
        EXPECT_EQ(out.abyCharTable[0x41], 4);
        auto expected = builtInTable('B');
        expected[0x41] = 4;
        EXPECT_EQ(out.abyCharTable, expected);
        // Further changes of the user set ask nothing.
        EXPECT_TRUE(m.edit(0x42, "5", a.ask()).taken);
        EXPECT_EQ(a.asked.size(), 1u);
    }
    // No puts the old code back and leaves the set as it was.
    {
        Answers a;
        a.yes = false;
        CharacterSetModel m(builtInRecord(), 'B', false);
        const auto e = m.edit(0x41, "4", a.ask());
        EXPECT_EQ(a.asked, std::vector<int>{570});
        EXPECT_TRUE(e.taken);
        EXPECT_EQ(e.text, "41");
        EXPECT_EQ(m.printerText(0x41), "41");
        EXPECT_EQ(m.selected(), 0);
        EXPECT_EQ(m.entries().size(), 1u);
        CDbdr out = userRecord();
        m.writeBack(out);
        EXPECT_EQ(out.byCharSet, 0);
        EXPECT_EQ(out.abyCharTable, builtInTable('B'));
    }
}

TEST(CharacterSet, ChangingTheBuiltInSetWhileAUserSetExistsAsksToOverwriteIt) {
    Answers a;
    CharacterSetModel m(userRecord(), 'B', false);
    m.select(0);
    EXPECT_TRUE(m.edit(0x30, "7", a.ask()).taken);
    EXPECT_EQ(a.asked, std::vector<int>{571});
    // The user set is now the built-in table with the change; the old user set is gone.
    CDbdr out;
    m.writeBack(out);
    auto expected = builtInTable('B');
    expected[0x30] = 7;
    EXPECT_EQ(out.byCharSet, 255);
    EXPECT_EQ(out.abyCharTable, expected);
}

TEST(CharacterSet, EntriesThatAreNoPrinterCodeAreRefusedWithoutAQuestion) {
    struct Case { const char* entry; bool taken; const char* shown; };
    const Case cases[] = {
        {"123", false, ""}, {"G", false, ""}, {"4G", false, ""}, {"", false, ""}, {" 4", false, ""},
        {"-1", false, ""}, {"ff", true, "FF"}, {"a", true, "A"}, {"0", true, "0"}, {"7f", true, "7F"},
    };
    for (const Case& c : cases) {
        Answers a;
        CharacterSetModel m(userRecord(), 'B', false);
        const auto e = m.edit(0x10, c.entry, a.ask());
        EXPECT_EQ(e.taken, c.taken) << '"' << c.entry << '"';
        EXPECT_TRUE(a.asked.empty()) << c.entry;
        if (c.taken) EXPECT_EQ(m.printerText(0x10), c.shown) << c.entry;
        else EXPECT_EQ(m.printerText(0x10), "EF") << c.entry;
    }
    // Refused on the built-in set too, before the question.
    Answers a;
    CharacterSetModel m(builtInRecord(), 'B', false);
    EXPECT_FALSE(m.edit(0x41, "G1", a.ask()).taken);
    EXPECT_FALSE(m.edit(0x41, "", a.ask()).taken);
    EXPECT_TRUE(a.asked.empty());
}

TEST(CharacterSet, SwitchingToIbmAndBackRestoresTheEditedUserSet) {
    Answers a;
    CharacterSetModel m(userRecord(), 'B', false);
    ASSERT_TRUE(m.edit(0x20, "99", a.ask()).taken);
    m.select(0);
    EXPECT_EQ(m.printerText(0x20), "20");
    EXPECT_FALSE(m.userActive());
    EXPECT_TRUE(m.userExists());
    m.select(1);
    EXPECT_TRUE(m.userActive());
    EXPECT_EQ(m.printerText(0x20), "99");
    EXPECT_EQ(m.printerText(0x21), "DE");
    EXPECT_TRUE(a.asked.empty());
}

TEST(CharacterSet, OkWithIbmDropsTheUserSet) {
    CharacterSetModel m(userRecord(), 'C', false);
    m.select(0);
    CDbdr out = userRecord();
    m.writeBack(out);
    EXPECT_EQ(out.byCharSet, 0);
    EXPECT_EQ(out.abyCharTable, builtInTable('C'));
}

TEST(CharacterSet, RecordTableRecordIsUnchanged) {
    for (const CDbdr& in : {builtInRecord(), userRecord()}) {
        CharacterSetModel m(in, 'B', false);
        CDbdr out = in;
        out.abyCharTable.fill(0);
        out.byCharSet = 7;
        m.writeBack(out);
        EXPECT_EQ(out.byCharSet, in.byCharSet);
        EXPECT_EQ(out.abyCharTable, in.abyCharTable);
    }
}

}  // namespace

// The control characters dialog's model: the rows of a stored table, the regrouping of typed
// sequences, the questions a change of a built-in emulation asks, adding and deleting user
// instructions, the checks of OK and the table it rebuilds (cut at 254 bytes).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "document/records.h"
#include "printer/control_characters.h"

namespace {

using printer::ControlCharacterModel;
using printer::CtrlRow;
using Model = ControlCharacterModel;

struct Answers {
    std::vector<bool> script;  // answers in order; Yes once it runs out
    std::vector<int> asked;
    printer::Ask ask() {
        return [this](const rules::Verdict& q) {
            EXPECT_EQ(q.captionId, 424);
            asked.push_back(q.messageId);
            const size_t i = asked.size() - 1;
            return i < script.size() ? script[i] : true;
        };
    }
};

CDbdr withEmulation(int code) {
    CDbdr r;
    SetPrinterDefaults(r, 'B');
    r.abyCtrlTable.fill(0);
    switch (code) {
    case 1: r.byCtrlLength = static_cast<uint8_t>(BuildCtrlTableLaserjet(r.abyCtrlTable.data(), 255)); break;
    case 2: r.byCtrlLength = static_cast<uint8_t>(BuildCtrlTableIbm(r.abyCtrlTable.data(), 255)); break;
    default: r.byCtrlLength = static_cast<uint8_t>(BuildCtrlTableDeskjet(r.abyCtrlTable.data(), 255)); break;
    }
    r.byEmulation = static_cast<uint8_t>(code);
    r.byCtrlCount = 5;
    return r;
}

// A user emulation: the HP-Deskjet rows and `extra` (up to 21) more instructions, each with a
// letter of its own and a three-byte switch-on sequence.
CDbdr userEmulation(int extra = 0) {
    std::vector<CtrlRow> rows = printer::ParseCtrlTable(withEmulation(0).abyCtrlTable.data(), 255, 5, 63);
    for (int i = 0; i < extra; ++i) rows.push_back({static_cast<uint8_t>("ADFGHJKLMNOPQRSTVWXYZ"[i]), "1B 6B 3" + std::to_string(i % 10), ""});
    const printer::CtrlTable t = printer::BuildCtrlTable(rows);
    CDbdr r = withEmulation(0);
    std::copy(t.bytes.begin(), t.bytes.end(), r.abyCtrlTable.begin());
    r.byCtrlCount = static_cast<uint8_t>(t.count);
    r.byCtrlLength = static_cast<uint8_t>(t.length);
    r.byEmulation = 255;
    return r;
}

TEST(ControlCharacters, TypedSequencesAreRegroupedIntoPairs) {
    struct Case { const char* entry; std::optional<std::string> result; };
    const Case cases[] = {
        {"1b2873", "1B 28 73"},
        {"1b 28", "1B 28"},
        {"1B28 73", "1B 28 73"},
        {"abc", "AB C"},
        {"1", "1"},
        {"1 b", "1  B"},
        {"", ""},
        {"1g", std::nullopt},
        {"1b,28", std::nullopt},
        {"0000000000000000000000000000000", std::nullopt},  // 31 characters typed
        {"00000000000000000000", "00 00 00 00 00 00 00 00 00 00"},  // 20 digits: 29 characters
        {"0000000000000000000000", std::nullopt},  // 22 digits would make 32 characters
    };
    for (const Case& c : cases) EXPECT_EQ(printer::RegroupSequence(c.entry), c.result) << '"' << c.entry << '"';
}

TEST(ControlCharacters, SequenceCellsReadAsBytes) {
    EXPECT_EQ(printer::SequenceBytes("1B 28 73"), (std::vector<uint8_t>{0x1B, 0x28, 0x73}));
    EXPECT_EQ(printer::SequenceBytes("1  B"), (std::vector<uint8_t>{0x01, 0x0B}));
    EXPECT_EQ(printer::SequenceBytes(""), std::vector<uint8_t>{});
    EXPECT_EQ(printer::SequenceText({0x1B, 0x05}), "1B 05");
}

TEST(ControlCharacters, OpeningWithHpDeskjetShowsItsFiveInstructions) {
    Model m(withEmulation(0), false);
    ASSERT_EQ(m.rowCount(), 5);
    EXPECT_EQ(m.selected(), 0);
    ASSERT_EQ(m.entries().size(), 3u);
    EXPECT_EQ(m.entries()[0].text, "HP-Deskjet");
    EXPECT_EQ(m.entries()[1].text, "HP-LaserJet");
    EXPECT_EQ(m.entries()[2].text, "IBM");
    EXPECT_FALSE(m.deleteOffered());
    EXPECT_EQ(m.cellText(0, Model::kLetter), "B");
    EXPECT_EQ(m.cellText(0, Model::kOn), "1B 28 73 33 42");
    EXPECT_EQ(m.cellText(0, Model::kOff), "1B 28 73 30 42");
    EXPECT_EQ(m.cellText(4, Model::kOn), "1B 26 64 44");
    const char* headers[] = {"Fettschrift", "Schmalschrift", "Breitschrift", "Kursiv", "Unterstrichen", "1", "2"};
    for (int row = 0; row < 7; ++row) EXPECT_EQ(Model::rowHeader(row), headers[row]);
}

TEST(ControlCharacters, OpeningWithAUserEmulationOffersDelete) {
    Model m(userEmulation(2), false);
    EXPECT_EQ(m.rowCount(), 7);
    EXPECT_EQ(m.selected(), Model::kUserIndex);
    ASSERT_EQ(m.entries().size(), 4u);
    EXPECT_EQ(m.entries()[3].text, "User-Defined");
    EXPECT_EQ(m.entries()[3].data, 255);
    EXPECT_TRUE(m.deleteOffered());
    EXPECT_EQ(m.cellText(6, Model::kLetter), "D");
    EXPECT_EQ(m.cellText(6, Model::kOn), "1B 6B 31");
}

TEST(ControlCharacters, ChangingABuiltInEmulationAsksForAUserEmulation) {
    {
        Answers a;
        Model m(withEmulation(1), false);
        const auto e = m.edit(1, Model::kOn, "1b2873", a.ask());
        EXPECT_EQ(a.asked, std::vector<int>{573});
        EXPECT_TRUE(e.taken);
        EXPECT_EQ(e.text, "1B 28 73");
        EXPECT_EQ(m.cellText(1, Model::kOn), "1B 28 73");
        EXPECT_EQ(m.selected(), Model::kUserIndex);
        EXPECT_EQ(m.entries().size(), 4u);
        EXPECT_TRUE(m.deleteOffered());
        // The other rows are those of HP-LaserJet.
        EXPECT_EQ(m.cellText(1, Model::kOff), "1B 26 6B 34 53");
    }
    {
        Answers a;
        a.script = {false};
        Model m(withEmulation(1), false);
        const auto e = m.edit(1, Model::kOn, "1b2873", a.ask());
        EXPECT_TRUE(e.taken);
        EXPECT_EQ(e.text, "1B 26 6B 32 53");
        EXPECT_EQ(m.selected(), 1);
        EXPECT_EQ(m.entries().size(), 3u);
    }
    // With a user emulation in the background the question is whether to overwrite it.
    {
        Answers a;
        Model m(userEmulation(3), false);
        m.select(2);
        EXPECT_EQ(m.rowCount(), 5);
        ASSERT_TRUE(m.edit(0, Model::kLetter, "b", a.ask()).taken);
        EXPECT_EQ(a.asked, std::vector<int>{575});
        EXPECT_EQ(m.rowCount(), 5);  // the IBM rows with the change, not the old user rows
        EXPECT_EQ(m.cellText(0, Model::kOn), "1B 47");
    }
}

TEST(ControlCharacters, CellEntriesAreCheckedPerColumn) {
    struct Case { int column; const char* entry; bool taken; };
    const Case cases[] = {
        {Model::kLetter, "x", true},  {Model::kLetter, "X", true},  {Model::kLetter, " ", true},
        {Model::kLetter, "1", false}, {Model::kLetter, "xy", false}, {Model::kLetter, "", false},
        {Model::kLetter, "\xC3\xA4", false}, {Model::kLetter, "_", false},
        {Model::kOn, "1b", true},     {Model::kOn, "1b 2", true},   {Model::kOn, "", false},
        {Model::kOn, "  ", false},    {Model::kOff, "zz", false},   {Model::kOff, "0d0a", true},
    };
    for (const Case& c : cases) {
        Answers a;
        Model m(userEmulation(), false);
        const std::string before = m.cellText(2, c.column);
        const auto e = m.edit(2, c.column, c.entry, a.ask());
        EXPECT_EQ(e.taken, c.taken) << c.column << " \"" << c.entry << '"';
        if (!c.taken) {
            EXPECT_EQ(m.cellText(2, c.column), before);
        }
        EXPECT_TRUE(a.asked.empty());
    }
}

TEST(ControlCharacters, NewInstructionsUpToTwentySix) {
    Answers a;
    Model m(userEmulation(), false);
    for (int i = 0; i < 21; ++i) {
        const auto added = m.addInstruction(a.ask());
        ASSERT_TRUE(added.row) << i;
        EXPECT_EQ(*added.row, 5 + i);
        EXPECT_FALSE(added.notice.hasMessage());
    }
    EXPECT_EQ(m.rowCount(), 26);
    EXPECT_EQ(Model::rowHeader(25), "21");
    EXPECT_EQ(m.cellText(25, Model::kLetter), " ");
    EXPECT_EQ(m.cellText(25, Model::kOn), "");
    const auto refused = m.addInstruction(a.ask());  // the 27th row
    EXPECT_FALSE(refused.row);
    EXPECT_EQ(refused.notice.messageId, 536);
    EXPECT_EQ(refused.notice.captionId, 424);
    EXPECT_EQ(m.rowCount(), 26);
    EXPECT_TRUE(a.asked.empty());
}

TEST(ControlCharacters, NewInstructionOnABuiltInEmulationAsksFirst) {
    Answers no;
    no.script = {false};
    Model m(withEmulation(2), false);
    EXPECT_FALSE(m.addInstruction(no.ask()).row);
    EXPECT_EQ(no.asked, std::vector<int>{573});
    EXPECT_EQ(m.rowCount(), 5);
    EXPECT_EQ(m.selected(), 2);

    Answers yes;
    const auto added = m.addInstruction(yes.ask());
    ASSERT_TRUE(added.row);
    EXPECT_EQ(*added.row, 5);
    EXPECT_EQ(m.selected(), Model::kUserIndex);
    EXPECT_EQ(m.cellText(0, Model::kOn), "1B 47");
}

TEST(ControlCharacters, OnlyWholeUserRowsFromTheSixthOnAreDeleted) {
    struct Case { std::vector<int> rows; bool deleted; int rowsLeft; };
    const Case cases[] = {
        {{6}, true, 7},       {{5, 7}, true, 6},   {{7, 5, 6}, true, 5}, {{4, 5}, false, 8},
        {{0}, false, 8},      {{}, false, 8},      {{8}, false, 8},
    };
    for (const Case& c : cases) {
        Model m(userEmulation(3), false);
        EXPECT_EQ(m.deleteRows(c.rows), c.deleted) << testing::PrintToString(c.rows);
        EXPECT_EQ(m.rowCount(), c.rowsLeft) << testing::PrintToString(c.rows);
    }
    Model deleted(userEmulation(3), false);
    ASSERT_TRUE(deleted.deleteRows({5}));
    EXPECT_EQ(deleted.cellText(5, Model::kLetter), "D");
    // A built-in emulation shown: nothing goes.
    Model builtIn(userEmulation(3), false);
    builtIn.select(0);
    EXPECT_FALSE(builtIn.deleteRows({5}));
}

TEST(ControlCharacters, SwitchingToABuiltInEmulationAndBackKeepsTheUserRows) {
    Answers a;
    Model m(userEmulation(2), false);
    ASSERT_TRUE(m.edit(6, Model::kOff, "1b0d", a.ask()).taken);
    m.select(1);
    EXPECT_EQ(m.rowCount(), 5);
    EXPECT_EQ(m.cellText(1, Model::kOn), "1B 26 6B 32 53");
    m.select(Model::kUserIndex);
    EXPECT_EQ(m.rowCount(), 7);
    EXPECT_EQ(m.cellText(6, Model::kOff), "1B 0D");
}

TEST(ControlCharacters, OkRefusesALetterGivenTwice) {
    Answers a;
    Model m(userEmulation(), false);
    ASSERT_TRUE(m.addInstruction(a.ask()).row);
    ASSERT_TRUE(m.addInstruction(a.ask()).row);
    ASSERT_TRUE(m.edit(5, Model::kLetter, "x", a.ask()).taken);
    ASSERT_TRUE(m.edit(6, Model::kLetter, "X", a.ask()).taken);
    const auto ok = m.ok(a.ask());
    EXPECT_FALSE(ok.close);
    EXPECT_EQ(ok.refusal.messageId, 537);
    EXPECT_EQ(ok.refusal.captionId, 424);
    EXPECT_EQ(ok.focusRow, 6);
    // A letter against a built-in one ('b' against 'B') counts too; blanks never do.
    ASSERT_TRUE(m.edit(6, Model::kLetter, "b", a.ask()).taken);
    EXPECT_EQ(m.ok(a.ask()).focusRow, 6);
    ASSERT_TRUE(m.edit(5, Model::kLetter, " ", a.ask()).taken);
    ASSERT_TRUE(m.edit(6, Model::kLetter, " ", a.ask()).taken);
    EXPECT_TRUE(m.ok(a.ask()).close);
}

TEST(ControlCharacters, OkWithABuiltInEmulationAsksBeforeTheUserEmulationIsLost) {
    {
        Answers no;
    no.script = {false};
        Model m(userEmulation(1), false);
        m.select(1);
        const auto ok = m.ok(no.ask());
        EXPECT_EQ(no.asked, std::vector<int>{574});
        EXPECT_FALSE(ok.close);
        EXPECT_FALSE(ok.refusal.hasMessage());
    }
    {
        Answers yes;
        Model m(userEmulation(1), false);
        m.select(1);
        ASSERT_TRUE(m.ok(yes.ask()).close);
        CDbdr out = userEmulation(1);
        uint16_t length4 = 0;
        m.writeBack(out, length4);
        const CDbdr laser = withEmulation(1);
        EXPECT_EQ(out.byEmulation, 1);
        EXPECT_EQ(out.byCtrlCount, 5);
        EXPECT_EQ(out.byCtrlLength, 63);
        EXPECT_EQ(length4, 65);
        EXPECT_TRUE(std::equal(out.abyCtrlTable.begin(), out.abyCtrlTable.begin() + 63, laser.abyCtrlTable.begin()));
    }
    // No user emulation: no question.
    Answers none;
    Model m(withEmulation(2), false);
    EXPECT_TRUE(m.ok(none.ask()).close);
    EXPECT_TRUE(none.asked.empty());
}

TEST(ControlCharacters, ATableTooLongIsNoticedAndCutAt254Bytes) {
    // 26 instructions of 1 + 2 + 10 bytes: 13 bytes each, 338 in all.
    std::vector<CtrlRow> rows;
    for (int i = 0; i < 26; ++i)
        rows.push_back({static_cast<uint8_t>('A' + i), "01 02 03 04 05", "06 07 08 09 0A"});
    EXPECT_EQ(printer::CtrlTableSize(rows), 338);
    const printer::CtrlTable t = printer::BuildCtrlTable(rows);
    EXPECT_EQ(t.count, 26);
    EXPECT_EQ(t.length, 254);
    // Entries 1 to 19 end at 247; the 20th ('T') crosses 254 and is the last one, cut.
    EXPECT_EQ(t.bytes[247], 'T');
    EXPECT_EQ(t.bytes[248], 5);
    EXPECT_EQ(t.bytes[253], 0x05);
    const auto back = printer::ParseCtrlTable(t.bytes.data(), t.bytes.size(), t.count, t.length);
    ASSERT_EQ(back.size(), 26u);
    EXPECT_EQ(back[18], rows[18]);
    EXPECT_EQ(back[19].letter, 'T');
    EXPECT_EQ(back[19].on, "01 02 03 04 05");
    EXPECT_EQ(back[19].off, "");
    EXPECT_EQ(back[20], CtrlRow{});

    // The edit that makes the table too long keeps its entry and tells so.
    Answers a;
    Model m(userEmulation(18), false);  // 63 bytes of the five built-in rows and 18 rows of 6: 171
    const std::string ten = "01 02 03 04 05 06 07 08 09 0A";
    int noticed = -1;
    for (int row = 5; row < m.rowCount() && noticed < 0; ++row) {
        const auto e = m.edit(row, Model::kOff, ten, a.ask());
        ASSERT_TRUE(e.taken);
        if (e.notice.hasMessage()) {
            EXPECT_EQ(e.notice.messageId, 536);
            noticed = row;
        }
    }
    EXPECT_EQ(noticed, 13);  // 171 + 9 * 10 = 261
    EXPECT_EQ(m.cellText(13, Model::kOff), ten);
    ASSERT_TRUE(m.ok(a.ask()).close);
    CDbdr out;
    uint16_t length4 = 0;
    m.writeBack(out, length4);
    EXPECT_EQ(out.byCtrlCount, 23);
    EXPECT_EQ(out.byCtrlLength, 254);
    EXPECT_EQ(length4, 256);
}

TEST(ControlCharacters, RecordTableRecordIsUnchanged) {
    for (const CDbdr& in : {withEmulation(0), withEmulation(1), withEmulation(2), userEmulation(4)}) {
        Model m(in, false);
        ASSERT_TRUE(m.ok([](const rules::Verdict&) { return true; }).close);
        CDbdr out;
        out.abyCtrlTable.fill(0xEE);
        uint16_t length4 = 0;
        m.writeBack(out, length4);
        EXPECT_EQ(out.byEmulation, in.byEmulation);
        EXPECT_EQ(out.byCtrlCount, in.byCtrlCount);
        EXPECT_EQ(out.byCtrlLength, in.byCtrlLength);
        EXPECT_EQ(length4, in.byCtrlLength + 2);
        EXPECT_TRUE(std::equal(out.abyCtrlTable.begin(), out.abyCtrlTable.begin() + in.byCtrlLength,
                               in.abyCtrlTable.begin()));
    }
}

TEST(ControlCharacters, StoredTablesAreReadWithinTheirLength) {
    // More instructions counted than entries stored: the rest are blank rows.
    CDbdr r = withEmulation(2);
    r.byCtrlCount = 7;
    Model more(r, false);
    EXPECT_EQ(more.rowCount(), 7);
    EXPECT_EQ(more.cellText(6, Model::kLetter), " ");
    // Nonsense counts and lengths read nothing outside the table.
    std::array<uint8_t, 255> junk;
    junk.fill(0xFF);
    const auto rows = printer::ParseCtrlTable(junk.data(), junk.size(), 255, 255);
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_EQ(rows[0].letter, 0xFF);
    EXPECT_EQ(printer::SequenceBytes(rows[0].on).size(), 253u);
    EXPECT_EQ(rows[1], CtrlRow{});
    // An entry's bytes past the length are not read.
    const uint8_t cut[] = {'B', 3, 0x1B, 0x28, 0x73, 1, 0x42};
    const auto partial = printer::ParseCtrlTable(cut, sizeof cut, 1, 4);
    ASSERT_EQ(partial.size(), 1u);
    EXPECT_EQ(partial[0].on, "1B 28");
    EXPECT_EQ(partial[0].off, "");
}

}  // namespace

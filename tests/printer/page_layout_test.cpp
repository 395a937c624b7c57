// The page layout dialog's model: what it shows of the record, the checks of the number
// fields and of OK, and what OK writes into the record and the text-line lengths.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "document/records.h"
#include "printer/page_layout.h"

namespace {

using printer::PageLayoutModel;
using Lengths = std::array<uint16_t, 4>;

CDbdr record() {
    CDbdr r;
    SetPrinterDefaults(r, 'B');
    return r;
}

void putLine(CDbdr& r, int line, const char* text) { std::memcpy(r.achTextLine[line].data(), text, std::strlen(text)); }

TEST(PageLayout, OpeningShowsTheLinesInUseWithTheirStoredLength) {
    CDbdr r = record();
    putLine(r, 0, "Kopf 1xxxx");
    putLine(r, 1, "Kopf 2");
    putLine(r, 2, "Fuss\xE4");
    putLine(r, 3, "Fuss 2");
    r.byHeaderLines = 1;
    r.byFooterLines = 2;
    r.byLineEnd = 4;
    PageLayoutModel m(r, Lengths{6, 6, 5, 6}, false);
    EXPECT_EQ(m.lines[PageLayoutModel::kHeader1], "Kopf 1");
    EXPECT_EQ(m.lines[PageLayoutModel::kHeader2], "");  // one header line in use
    EXPECT_EQ(m.lines[PageLayoutModel::kFooter1], "Fuss\xC3\xA4");
    EXPECT_EQ(m.lines[PageLayoutModel::kFooter2], "Fuss 2");
    EXPECT_EQ(m.leftMargin, "3");
    EXPECT_EQ(m.linesPerPage, "50");
    EXPECT_EQ(m.lineEnd, 3);
    EXPECT_EQ(PageLayoutModel::lineEndNames()[3], "LF CR");
}

TEST(PageLayout, NumberFieldsAreLimitedWhenLeft) {
    struct Case { bool left; const char* typed; bool accepted; int message; int value; };
    const Case cases[] = {
        {true, "300", false, 530, 255},  {true, "", false, 550, 3},    {true, "255", true, 0, 255},
        {true, "0", true, 0, 0},         {false, "256", false, 531, 255}, {false, "", false, 550, 50},
        {false, "2", true, 0, 2},
    };
    for (const Case& c : cases) {
        PageLayoutModel m(record(), Lengths{}, false);
        (c.left ? m.leftMargin : m.linesPerPage) = c.typed;
        const rules::Verdict v = c.left ? m.leaveLeftMargin() : m.leaveLinesPerPage();
        EXPECT_EQ(v.accepted, c.accepted) << c.left << " " << c.typed;
        EXPECT_EQ(v.messageId, c.message) << c.typed;
        EXPECT_EQ(v.captionId, c.accepted ? 0 : c.left ? 421 : 422) << c.typed;
        EXPECT_EQ(c.left ? m.leftMarginPosition() : m.linesPerPagePosition(), c.value) << c.typed;
        EXPECT_EQ(c.left ? m.leftMargin : m.linesPerPage, std::to_string(c.value)) << c.typed;
        if (c.message == 550) {
            EXPECT_EQ(v.inserts, std::vector<std::string>{std::to_string(c.value)});
        }
    }
}

TEST(PageLayout, LinesPerPageMustHoldTheHeaderAndFooterLines) {
    struct Case { const char* lines; const char* h1; const char* h2; const char* f1; const char* f2; bool accepted; };
    const Case cases[] = {
        {"2", "Kopf", "", "Fuss", "", true},
        {"2", "Kopf", "Kopf 2", "Fuss", "", false},
        {"0", "", "", "", "", true},
        {"0", "", "", "Fuss", "", false},
        {"2", "", "Kopf 2", "", "", true},  // an empty first header line still counts
        {"3", "", "Kopf 2", "", "Fuss 2", false},
        {"4", "a", "b", "c", "d", true},
    };
    for (const Case& c : cases) {
        PageLayoutModel m(record(), Lengths{}, false);
        m.linesPerPage = c.lines;
        m.lines = {c.h1, c.h2, c.f1, c.f2};
        const rules::Verdict v = m.ok();
        EXPECT_EQ(v.accepted, c.accepted) << c.lines << " " << c.h1 << "|" << c.h2 << "|" << c.f1 << "|" << c.f2;
        if (!c.accepted) {
            EXPECT_EQ(v.messageId, 542);
            EXPECT_EQ(v.captionId, 422);
            EXPECT_EQ(v.focus, rules::Field::LinesPerPage);
        }
    }
}

TEST(PageLayout, OkChecksTheNumberFieldsFirst) {
    PageLayoutModel m(record(), Lengths{}, false);
    m.leftMargin = "999";
    m.linesPerPage = "1";
    m.lines = {"a", "b", "", ""};
    rules::Verdict v = m.ok();
    EXPECT_EQ(v.messageId, 530);
    EXPECT_EQ(m.leftMargin, "255");
    v = m.ok();
    EXPECT_EQ(v.messageId, 542);
}

TEST(PageLayout, OkWritesTheSettingsAndTheLinesInUse) {
    CDbdr r = record();
    putLine(r, 2, "alter Fuss");
    PageLayoutModel m(r, Lengths{0, 0, 10, 0}, false);
    m.leftMargin = "7";
    m.linesPerPage = "60";
    m.lineEnd = 1;  // LF
    m.lines = {"", "Seite \xC3\xBC", "", ""};
    ASSERT_TRUE(m.ok().accepted);
    Lengths lengths{9, 9, 9, 9};
    m.writeBack(r, lengths);
    EXPECT_EQ(r.byLeftMargin, 7);
    EXPECT_EQ(r.byLinesPerPage, 60);
    EXPECT_EQ(r.byLineEnd, 2);
    EXPECT_EQ(r.byHeaderLines, 2);
    EXPECT_EQ(r.byFooterLines, 0);
    EXPECT_EQ(lengths, (Lengths{0, 7, 0, 0}));
    EXPECT_EQ(std::string(r.achTextLine[1].data(), 8), "Seite \xFC ");
    // A line not in use keeps its text; its length 0 leaves it out.
    EXPECT_EQ(std::string(r.achTextLine[2].data(), 10), "alter Fuss");
}

TEST(PageLayout, ReopeningShowsWhatOkStored) {
    CDbdr r = record();
    PageLayoutModel m(r, Lengths{}, false);
    m.lines = {"Firma", "", "Seite", "Ende"};
    m.linesPerPage = "40";
    ASSERT_TRUE(m.ok().accepted);
    Lengths lengths{};
    m.writeBack(r, lengths);
    PageLayoutModel again(r, lengths, false);
    EXPECT_EQ(again.lines, m.lines);
    EXPECT_EQ(again.linesPerPage, "40");
}

TEST(PageLayout, AFullHeaderOrFooterLineTellsSo) {
    EXPECT_FALSE(PageLayoutModel::typing(59).hasMessage());
    const rules::Verdict v = PageLayoutModel::typing(60);
    EXPECT_EQ(v.messageId, 532);
    EXPECT_EQ(v.captionId, 423);
}

}  // namespace

#include <gtest/gtest.h>

#include <string>

#include "resources/strings.h"

// A handful of entries where a slip is easy: a question that needs yes/no buttons,
// a question-like text that is only a label, texts with doubled blanks, ids of a range.
TEST(StringTable, SelectedEntries) {
    struct Case { int id; int kind; int style; const char* text; };
    const Case cases[] = {
        {561, 2, 0x24, "Die Daten des %1-Protokolls gehen verloren.\nDas %2-Protokoll wird mit Defaultwerten geladen!\n\nWollen Sie das wirklich?"},
        {548, 2, 0x24, "Die Meldenummer %1!d! ist mehrmals in Ihrer Datei vorhanden! \n\nSoll die bereits eingelesene Meldenummer überschrieben werden?"},
        {2033, 2, 0x24, "Soll die FW auf die BG geladen werden?"},
        {580, 0, 0, "Wollen Sie die Meldetexte aus dem Text-SDB oder aus einer Text-Datei bearbeiten?"},
        {615, 1, 0, "Ein FW-Update des von Ihnen projektierten CPs aus Parlino heraus ist nicht mehr möglich!\nBitte starten Sie das FW-Update direkt aus Rackplan heraus.\n"},
        {2040, 1, 0, "BG-Meldung: falsche Blocknummer  \n Soll %1!d!  Ist (BG) %2!d!"},
        {2021, 1, 0, "File  HEADER.UPD  kann nicht geöffnet werden"},
        {10599, 0, 0, "Vollduplex (RS 422)  Punkt zu Punkt"},
        {10613, 0, 0, "Schmalschrift"},
        {10615, 0, 0, "Kursiv"},
        {10472, 0, 0, "LF"},
        {10473, 0, 0, "CR LF"},
        {2000, 0, 0, "Treiber laden"},
    };
    for (const auto& c : cases) {
        const res::StringEntry* e = res::find(c.id);
        ASSERT_NE(e, nullptr) << c.id;
        EXPECT_EQ(e->kind, c.kind) << c.id;
        EXPECT_EQ(e->style, c.style) << c.id;
        EXPECT_STREQ(e->text, c.text) << c.id;
    }
    EXPECT_EQ(res::format(res::text(2040), {"7", "6"}), "BG-Meldung: falsche Blocknummer  \n Soll 7  Ist (BG) 6");
}

// Every entry is a caption, a notice or one of the four message-box styles; a stray
// backslash means an escape was written twice in a table file.
TEST(StringTable, KindsStylesAndEscapes) {
    for (const auto& e : res::all()) {
        const std::string text = e.text;
        EXPECT_FALSE(text.empty()) << e.id;
        EXPECT_EQ(text.find('\\'), std::string::npos) << e.id;
        if (e.kind == 2) {
            EXPECT_TRUE(e.style == 0x24 || e.style == 0x23 || e.style == 0x30 || e.style == 0x124)
                << e.id << " Stil " << std::hex << e.style;
        } else {
            EXPECT_TRUE(e.kind == 0 || e.kind == 1) << e.id << " Art " << e.kind;
            EXPECT_EQ(e.style, 0) << e.id;
        }
    }
}

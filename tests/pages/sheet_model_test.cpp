// The sheet model: pages per module and protocol, opening from stored records, the
// immediate rules, the checks in their order, and what OK writes back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "document/records.h"
#include "pages/apply_values.h"
#include "pages/sheet_model.h"
#include "tests/support/module_factory.h"

using namespace rules;

namespace {

struct Module {
    int type;
    int iface;
    int protocol;
    unsigned pv = 2;
    int ext = 0;
};

CDb stored(const Module& m) { return support::DefaultRecord(m.type, m.protocol); }

SheetContext context(const Module& m, bool readOnly = false) {
    SheetContext s;
    s.check = makeCheckContext(m.type, m.iface, m.pv, m.ext, true, readOnly);
    s.protocol = m.protocol;
    s.interfaceNo = 2;
    return s;
}

SheetModel openSheet(const Module& m, const CDb& db) {
    auto s = SheetModel::open(context(m), db);
    EXPECT_TRUE(s.has_value());
    return *s;
}

std::string text(const SheetModel& s, const char* name) {
    auto f = s.field(name);
    return f ? f->text : "<none>";
}
bool enabled(const SheetModel& s, const char* name) { return s.field(name) && s.field(name)->enabled; }

TEST(SheetModel, PagesPerSheetAndInterface) {
    struct Case {
        Module module;
        const char* sheet;
        std::vector<std::string> pages;  // tab titles
    };
    const Case cases[] = {
        {{kCP730, kIfRs232, kProt3964}, "CPP3964", {"3964(R)", "Datenempfang"}},
        {{kCP730, kIfRs422, kProt3964}, "CPP3964", {"3964(R)", "Datenempfang", "Schnittstelle"}},
        {{kCP730, kIfRs422, kProtAscii}, "CPASC", {"ASCII", "Übertragung", "Datenempfang", "Schnittstelle"}},
        {{kCP730, kIfTty, kProtPrinter}, "C730_Druck", {"Drucker"}},
        {{kCP730, kIfRs422, kProtPrinter}, "C730_Druck", {"Drucker", "Schnittstelle"}},
        {{kCP830, kIfNone, kProt3964}, "C830_3964", {"3964(R)", "Datenempfang", "Schnittstelle"}},
        {{kCP830, kIfNone, kProtAscii}, "C830_ASCII", {"ASCII", "Übertragung", "Datenempfang", "Schnittstelle"}},
        {{kCP731, kIfTty, kProtAscii}, "CKASC", {"ASCII", "Übertragung", "Datenempfang"}},
        {{kCP731, kIfRs422, kProtAscii}, "CKASC", {"ASCII", "Übertragung", "Datenempfang", "Schnittstelle"}},
        {{kCP731, kIfRs422, kProtRk512}, "CKRK512", {"RK 512", "Datenempfang", "Schnittstelle"}},
        {{kCP731, kIfRs232, kProtPrinter}, "CDruck", {"Drucker"}},
        {{kCP731, kIfRs422, kProtPrinter}, "CDruck", {"Drucker", "Schnittstelle"}},
        {{kCP8311, kIfHostRs422, kProt3964}, "CKP3964", {"3964(R)", "Datenempfang", "Schnittstelle"}},
        {{kCP8311, kIfHostTty, kProt3964}, "CKP3964", {"3964(R)", "Datenempfang"}},
        {{kCP8312, kIfHostRs422, kProtAscii}, "CKASC", {"ASCII", "Übertragung", "Datenempfang", "Schnittstelle"}},
        {{kCP8312, kIfHostRs232, kProtPrinter}, "CDruck", {"Drucker"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.module.type) + "/" + std::to_string(c.module.iface) + "/" +
                     std::to_string(c.module.protocol));
        SheetModel s = openSheet(c.module, stored(c.module));
        EXPECT_STREQ(s.className(), c.sheet);
        std::vector<std::string> titles;
        for (const auto& p : s.pages()) titles.push_back(p.title);
        EXPECT_EQ(titles, c.pages);
    }
    EXPECT_FALSE(SheetModel::open(context({kCP830, 0, kProtPrinter}), CDb{}));
    EXPECT_FALSE(SheetModel::open(context({kCP731, kIfRs232, 255}), CDb{}));
}

TEST(SheetModel, InterfacePageOffersTheOperatingModeOnlyWhereTheSheetHasIt) {
    const Module ascii831{kCP8311, kIfHostRs422, kProtAscii};
    const Module p3964_8312{kCP8312, kIfHostRs422, kProt3964};
    EXPECT_TRUE(openSheet(ascii831, stored(ascii831)).field("byConnectTries"));
    auto s = openSheet(p3964_8312, stored(p3964_8312));
    EXPECT_EQ(s.pageOf("byConnectTries"), 0) << "on 3964(R) the name is the connection attempts";
    EXPECT_TRUE(s.field("byLinePreset"));
}

TEST(SheetModel, TitleOfACp8312NamesItsInterface) {
    const Module m{kCP8312, kIfHostRs232, kProt3964};
    EXPECT_EQ(openSheet(m, stored(m)).title(), "Protokoll:  Schnittstelle 2   ");
    const Module other{kCP731, kIfRs232, kProt3964};
    EXPECT_EQ(openSheet(other, stored(other)).title(), "Protokoll");
}

TEST(SheetModel, OpeningShowsStoredValuesAsThePagesDo) {
    // a baud code the list does not offer: 557 and 9600
    Module m731{kCP731, kIfRs232, kProt3964};
    CDb db = stored(m731);
    db.byBaud = 2;
    auto s = openSheet(m731, db);
    ASSERT_EQ(s.openingNotices().size(), 1u);
    EXPECT_EQ(s.openingNotices()[0].messageId, 557);
    EXPECT_EQ(text(s, "byBaud"), "9600");

    // stored byMode 2: standard values with block check, the four fields disabled
    db = stored(m731);
    db.byMode = 2;
    s = openSheet(m731, db);
    EXPECT_EQ(text(s, "byMode"), "2");
    EXPECT_FALSE(enabled(s, "wCharDelay"));
    EXPECT_FALSE(enabled(s, "bySendTries"));

    // 7 data bits: end characters lose bit 7; a TTY interface knows no V.24 signals
    Module ascii{kCP731, kIfTty, kProtAscii};
    db = stored(ascii);
    db.byDataBits = 7;
    db.byRecvEnd1 = 0x8D;
    db.byV24Signals = 1;
    s = openSheet(ascii, db);
    EXPECT_EQ(text(s, "byRecvEnd1"), "D");
    EXPECT_EQ(text(s, "byFlowCtrl"), "Keine");
}

TEST(SheetModel, OpeningPutsAnUnknownStoredPresetToOneTheOperatingModeAllows) {
    // In the mode that disables "R(A) 5 V" an unknown stored preset must not come up as
    // that choice: the page would store it and show another one on the next opening.
    struct Case {
        Module m;
        uint8_t preset;
        const char* shown;
    };
    const Case cases[] = {
        {{kCP830, kIfRs422, kProtAscii}, 7, "0"},
        {{kCP830, kIfRs422, kProtAscii}, 1, "0"},
        {{kCP731, kIfRs422, kProtAscii}, 7, "2"},
        {{kCP731, kIfRs422, kProtAscii}, 1, "2"},
    };
    for (const Case& c : cases) {
        CDb db = stored(c.m);
        if (c.m.type == kCP830) db.byOpMode830 = 1;
        else db.byConnectTries = 1;
        db.byLinePreset = c.preset;
        auto s = openSheet(c.m, db);
        EXPECT_EQ(text(s, "byLinePreset"), c.shown) << c.m.type << " preset " << int{c.preset};
        EXPECT_EQ(text(s, c.m.type == kCP830 ? "byOpMode830" : "byConnectTries"), "1") << c.m.type;
    }
}

TEST(SheetModel, EditFieldsCarryThePatternOfTheirModule) {
    struct Case {
        Module module;
        const char* field;
        const char* pattern;
    };
    const Case cases[] = {
        {{kCP830, kIfNone, kProtAscii, 0}, "wTelegramLen", "[1-9][0-9]{2}"},
        {{kCP731, kIfRs232, kProtAscii}, "wTelegramLen", "[1-9][0-9]{3}"},
        {{kCP731, kIfRs232, kProtRk512}, "byDataBits", "[8-8]{1}"},
        {{kCP731, kIfRs232, kProt3964}, "wCharDelay", "[1-9][0-9]{5}"},
        {{kCP731, kIfRs232, kProtAscii}, "wCharDelay", "[1-9][0-9]{4}"},
        {{kCP830, kIfNone, kProt3964, 0}, "byBufferedTelegrams", "[1-9][0-9]{1}"},
        {{kCP731, kIfRs232, kProtPrinter}, "byXonChar", "[a-fA-F0-9]{1,2}"},
        {{kCP731, kIfRs232, kProtAscii}, "byFlowCtrl", ""},
    };
    for (const auto& c : cases) {
        auto f = openSheet(c.module, stored(c.module)).field(c.field);
        ASSERT_TRUE(f) << c.field;
        EXPECT_EQ(f->pattern, c.pattern) << c.field;
    }
    // a value the field's pattern would not let be typed is refused as such
    Module m{kCP830, kIfNone, kProtAscii, 0};
    auto s = openSheet(m, stored(m));
    EXPECT_EQ(s.set("wTelegramLen", "1000").why, SheetModel::Refusal::Value);
}

// A CP 830 receive page shows a stored number outside 1..10 limited to 1..10, so another
// change on the page is taken instead of being refused for the stored number.
// The radios of the data flow control a page offers: RTS/CTS and the V.24 signals only on
// RS 232, never on CP 830, the V.24 signals never on a printer page.
TEST(SheetModel, FlowControlRadiosPerModuleAndInterface) {
    struct Case {
        Module module;
        std::vector<int> codes;
    };
    const Case cases[] = {
        {{kCP730, kIfRs232, kProtAscii, 0}, {0, 1, 2, 3}},
        {{kCP730, kIfTty, kProtAscii, 0}, {0, 1}},
        {{kCP730, kIfRs422, kProtAscii, 0}, {0, 1}},
        {{kCP830, kIfRs232, kProtAscii, 0}, {0, 1}},
        {{kCP731, kIfRs232, kProtAscii}, {0, 1, 2, 3}},
        {{kCP8311, kIfHostRs232, kProtAscii}, {0, 1, 2, 3}},
        {{kCP8312, kIfHostTty, kProtAscii}, {0, 1}},
        {{kCP730, kIfRs232, kProtPrinter, 0}, {0, 1, 2}},
        {{kCP730, kIfRs422, kProtPrinter, 0}, {0, 1}},
        {{kCP731, kIfRs232, kProtPrinter}, {0, 1, 2}},  // the printer sheet sees it as 81
        {{kCP731, kIfTty, kProtPrinter}, {0, 1}},
        {{kCP8312, kIfHostRs422, kProtPrinter}, {0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.module.type) + "/" + std::to_string(c.module.iface) + "/" +
                     std::to_string(c.module.protocol));
        auto f = openSheet(c.module, stored(c.module)).field("byFlowCtrl");
        ASSERT_TRUE(f);
        std::vector<int> codes;
        for (const auto& o : f->options) {
            codes.push_back(o.code);
            EXPECT_TRUE(o.enabled);
            ASSERT_LT(o.code, static_cast<int>(f->choices.size()));
        }
        EXPECT_EQ(codes, c.codes);
        // the radio of a code sets the choice of the same index
        auto s = openSheet(c.module, stored(c.module));
        for (int code : c.codes) {
            ASSERT_TRUE(s.set("byFlowCtrl", f->choices[code]).verdict.accepted) << f->choices[code];
            EXPECT_EQ(text(s, "byFlowCtrl"), f->choices[code]);
        }
    }
    auto ro = SheetModel::open(context({kCP731, kIfRs232, kProtAscii}, true), stored({kCP731, kIfRs232, kProtAscii}));
    const auto locked = ro->field("byFlowCtrl");
    ASSERT_TRUE(locked);
    for (const auto& o : locked->options) EXPECT_FALSE(o.enabled) << o.code;
}

TEST(SheetModel, SpinRangesOfTheFramesAndTheReceiveBuffer) {
    struct Case {
        Module module;
        const char* field;
        int min, max;
    };
    const Case cases[] = {
        {{kCP730, kIfRs232, kProtPrinter, 0}, "byDataBits", 7, 8},
        {{kCP731, kIfRs232, kProtPrinter}, "byStopBits", 1, 2},
        {{kCP731, kIfRs232, kProtAscii}, "byDataBits", 7, 8},
        {{kCP731, kIfRs232, kProtRk512}, "byDataBits", 8, 8},
        {{kCP730, kIfRs232, kProtAscii, 0}, "byBufferedTelegrams", 1, 250},
        {{kCP8311, kIfHostRs232, kProtAscii}, "byBufferedTelegrams", 1, 250},
        {{kCP830, kIfRs232, kProtAscii, 0}, "byBufferedTelegrams", 1, 10},
    };
    for (const auto& c : cases) {
        auto f = openSheet(c.module, stored(c.module)).field(c.field);
        ASSERT_TRUE(f) << c.field;
        EXPECT_EQ(f->spinMin, c.min) << c.module.type << " " << c.field;
        EXPECT_EQ(f->spinMax, c.max) << c.module.type << " " << c.field;
    }
}

// A character field's "[ASCII]" display: mnemonics below 0x20, the character from 0x20 up
// as code page 1252 writes it.
TEST(SheetModel, CharacterFieldsShowTheirCharacter) {
    const std::pair<int, const char*> codes[] = {
        {0x00, "NUL"}, {0x0D, "CR"}, {0x11, "DC1"}, {0x1A, "SUB"}, {0x1F, "US"}, {0x20, " "}, {0x41, "A"},
        {0x7E, "~"}, {0x80, "\u20AC"}, {0x81, "\u0081"}, {0x9F, "\u0178"}, {0xA0, "\u00A0"}, {0xE4, "\u00E4"},
        {0xFF, "\u00FF"}};
    for (const auto& [code, shown] : codes) EXPECT_EQ(asciiDisplay(code), shown) << code;

    Module printer{kCP731, kIfRs232, kProtPrinter};
    CDb db = stored(printer);
    db.byXonChar = 0x11;
    auto s = openSheet(printer, db);
    EXPECT_EQ(s.field("byXonChar")->ascii, "DC1");
    ASSERT_TRUE(s.set("byFlowCtrl", "XON / XOFF").verdict.accepted);
    ASSERT_TRUE(s.set("byXonChar", "d").verdict.accepted);
    EXPECT_EQ(s.field("byXonChar")->text, "D");
    EXPECT_EQ(s.field("byXonChar")->ascii, "CR");
    EXPECT_EQ(s.field("byFlowCtrl")->ascii, "") << "no character field";
}

// DB number 0 typed into a used CPU receive box is refused by the page's check and keeps the
// box; `set` with wRecvDbNo=0, as `show --pages` prints an unused box, leaves it unused.
TEST(SheetModel, AUsedReceiveBoxRefusesDbNumberZero) {
    for (int protocol : {kProtAscii, kProt3964}) {
        SCOPED_TRACE(protocol);
        Module m{kCP8311, kIfHostRs232, protocol, 5};
        CDb db = stored(m);
        db.wRecvDbNo = 42;
        auto s = openSheet(m, db);
        const int receive = s.pageOf("wRecvDbNo");
        ASSERT_TRUE(s.selectPage(receive).accepted);
        ASSERT_TRUE(s.set("wRecvDbNo", "0").verdict.accepted);
        EXPECT_TRUE(s.toggle(Toggle::CpuBox).checked);
        EXPECT_EQ(text(s, "wRecvDbNo"), "0");
        auto ok = s.ok();
        EXPECT_FALSE(ok.verdict.accepted);
        EXPECT_EQ(ok.verdict.messageId, 518);
        EXPECT_EQ(ok.verdict.focus, Field::RecvDbNo);
        EXPECT_EQ(text(s, "wRecvDbNo"), "0") << "0 stays written";

        auto r = applyValues(context(m), db, CDbdr{}, {{"wRecvDbNo", "0"}});
        ASSERT_TRUE(r.ok) << r.text;
        EXPECT_EQ(+r.db.wRecvDbNo, 0);
        r = applyValues(context(m), db, CDbdr{}, {{"wRecvDbNo", "7"}});
        ASSERT_TRUE(r.ok) << r.text;
        EXPECT_EQ(+r.db.wRecvDbNo, 7);
    }
}

TEST(SheetModel, Cp830ReceivePageLimitsAStoredNumberOfTelegrams) {
    for (int protocol : {kProt3964, kProtAscii}) {
        SCOPED_TRACE(protocol);
        Module m{kCP830, kIfNone, protocol, 0};
        CDb db = stored(m);
        db.byBufferedTelegrams = 20;
        auto r = applyValues(context(m), db, CDbdr{}, {{"byClearRecvBuf", "1"}});
        ASSERT_TRUE(r.ok) << r.text;
        EXPECT_EQ(r.db.byBufferedTelegrams, 10);
        EXPECT_EQ(r.db.byClearRecvBuf, 1);
        db.byBufferedTelegrams = 0;
        EXPECT_EQ(text(openSheet(m, db), "byBufferedTelegrams"), "1");
        db.byBufferedTelegrams = 255;
        EXPECT_EQ(text(openSheet(m, db), "byBufferedTelegrams"), "255");
        EXPECT_FALSE(enabled(openSheet(m, db), "byBufferedTelegrams"));
    }
}

TEST(SheetModel, ImmediateRules) {
    // standard values: checking them rewrites and locks the four fields
    Module m731{kCP731, kIfRs232, kProt3964};
    CDb db = stored(m731);
    db.byMode = 4;
    db.wCharDelay = 30;
    auto s = openSheet(m731, db);
    EXPECT_TRUE(enabled(s, "wCharDelay"));
    ASSERT_TRUE(s.set("byMode", "1").verdict.accepted);
    EXPECT_EQ(text(s, "wCharDelay"), "220");
    EXPECT_EQ(text(s, "wAckDelay"), "550");
    EXPECT_FALSE(enabled(s, "wCharDelay"));
    auto locked = s.set("wCharDelay", "300");
    EXPECT_FALSE(locked.verdict.accepted);
    EXPECT_EQ(locked.why, SheetModel::Refusal::Disabled);
    EXPECT_TRUE(s.set("wCharDelay", "220").verdict.accepted) << "the value it shows is no change";

    // RK 512: the reaction wait follows the baud rate while it is baud-dependent
    Module rk{kCP731, kIfRs232, kProtRk512, 2};
    s = openSheet(rk, stored(rk));
    ASSERT_TRUE(s.set("byBaud", "9600").verdict.accepted);
    ASSERT_TRUE(s.set("wReactionWait", "1").verdict.accepted);
    EXPECT_EQ(text(s, "wReactionWait"), "5000");
    ASSERT_TRUE(s.set("byBaud", "300").verdict.accepted);
    EXPECT_EQ(text(s, "wReactionWait"), "10000");
    Module rkOld{kCP731, kIfRs232, kProtRk512, 1};
    EXPECT_FALSE(enabled(openSheet(rkOld, stored(rkOld)), "wReactionWait"));

    // ASCII receive page: the number is enabled only while overwriting is prevented
    Module ascii{kCP731, kIfRs232, kProtAscii};
    s = openSheet(ascii, stored(ascii));
    ASSERT_TRUE(s.set("byBufferedTelegrams", "1").verdict.accepted);
    ASSERT_TRUE(s.set("byNoOverwrite", "0").verdict.accepted);
    EXPECT_FALSE(enabled(s, "byBufferedTelegrams"));

    // CP 730 on RS 422/485: BREAK monitoring follows the receive-line preset
    Module m730{kCP730, kIfRs422, kProt3964, 0};
    s = openSheet(m730, stored(m730));
    EXPECT_FALSE(enabled(s, "byBreakOff"));
    ASSERT_TRUE(s.set("byLinePreset", "2").verdict.accepted);
    EXPECT_EQ(text(s, "byBreakOff"), "1");
    ASSERT_TRUE(s.set("byLinePreset", "1").verdict.accepted);
    EXPECT_EQ(text(s, "byBreakOff"), "0");

    // read-only: nothing can change, every field disabled
    auto ro = SheetModel::open(context(m731, true), stored(m731));
    ASSERT_TRUE(ro);
    EXPECT_FALSE(ro->set("byPriority", "hoch").verdict.accepted);
    for (const auto& f : ro->fields()) EXPECT_FALSE(f.enabled) << f.info->name;
}

// The radios of the "ASCII" page: the end criterion (on CP 830 a control over byEndCrit830),
// the send modes, enabled with the end-character criterion only, and locked online.
TEST(SheetModel, AsciiPageRadios) {
    struct Case {
        Module module;
        const char* criterionField;
        const char* sendField;  // nullptr: no sender settings
        std::vector<int> sendCodes;
    };
    const Case cases[] = {
        {{kCP730, kIfRs232, kProtAscii, 0}, "byMode", nullptr, {}},
        {{kCP731, kIfRs232, kProtAscii, 2, 0}, "byMode", nullptr, {}},
        {{kCP731, kIfRs232, kProtAscii, 2, 1}, "byMode", "bySendMode", {0x21, 0x22, 0x23}},
        {{kCP8311, kIfHostRs232, kProtAscii, 5, 1}, "byMode", "bySendMode", {0x21, 0x22, 0x23}},
        {{kCP830, kIfNone, kProtAscii, 0}, "endCriterion", "byEndCrit830", {0x21, 0x20, 0x22}},
    };
    auto codes = [](const FieldState& f, bool enabled) {
        std::vector<int> out;
        for (const auto& o : f.options) {
            EXPECT_EQ(o.enabled, enabled) << f.info->name << " " << o.code;
            out.push_back(o.code);
        }
        return out;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.module.type) + " ext " + std::to_string(c.module.ext));
        for (int criterion : {1, 2, 3}) {
            auto s = openSheet(c.module, stored(c.module));
            ASSERT_TRUE(s.set(c.criterionField, std::to_string(criterion)).verdict.accepted);
            EXPECT_EQ(codes(*s.field(c.criterionField), true), (std::vector<int>{1, 2, 3}));
            EXPECT_EQ(text(s, c.criterionField), std::to_string(criterion));
            EXPECT_EQ(!c.sendField, !s.field("bySendEnd1")) << "sender end characters";
            if (c.sendField) {
                EXPECT_EQ(codes(*s.field(c.sendField), criterion == 2), c.sendCodes);
            }
        }
        auto ro = SheetModel::open(context(c.module, true), stored(c.module));
        codes(*ro->field(c.criterionField), false);
        if (c.sendField) codes(*ro->field(c.sendField), false);
    }
    // The CP 830 criterion radios set the stored code as their click does.
    struct Click {
        int stored;
        int criterion;
        const char* code;
    };
    const Click clicks[] = {
        {0x10, 2, "0x21"}, {0x30, 2, "0x21"}, {0x20, 2, "0x20"}, {0x22, 2, "0x22"}, {0x21, 1, "0x10"},
        {0x22, 3, "0x30"}, {0x31, 3, "0x31"}, {0x10, 3, "0x30"},
    };
    const Module cp830{kCP830, kIfNone, kProtAscii, 0};
    for (const auto& k : clicks) {
        CDb db = stored(cp830);
        db.byEndCrit830 = db.byEndLink830 = static_cast<uint8_t>(k.stored);
        auto s = openSheet(cp830, db);
        ASSERT_TRUE(s.set("endCriterion", std::to_string(k.criterion)).verdict.accepted);
        EXPECT_EQ(text(s, "byEndCrit830"), k.code) << k.stored << " then " << k.criterion;
        ASSERT_TRUE(s.ok().verdict.accepted);
        CDb out = db;
        s.writeBack(out);
        EXPECT_EQ(out.byEndLink830, k.criterion == 2 ? 0x20 : out.byEndCrit830) << k.stored << " then " << k.criterion;
    }
}

// The send pause is part of the send mode: shown and taken with the fixed length only, on
// CP 830 always, on CP 731/831 with the extended flag.
TEST(SheetModel, AsciiSendPause) {
    const Module without{kCP731, kIfRs232, kProtAscii, 2, 0};
    EXPECT_FALSE(openSheet(without, stored(without)).field("sendPause"));
    struct Case {
        Module module;
        const char* sendField;
    };
    const Case cases[] = {{{kCP731, kIfRs232, kProtAscii, 2, 1}, "bySendMode"},
                          {{kCP830, kIfNone, kProtAscii, 0}, "byEndCrit830"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sendField);
        auto s = openSheet(c.module, stored(c.module));
        auto pause = s.field("sendPause");
        ASSERT_TRUE(pause);
        EXPECT_FALSE(pause->visible);
        EXPECT_EQ(s.set("sendPause", "1").why, SheetModel::Refusal::Disabled);
        const char* criterion = c.module.type == kCP830 ? "endCriterion" : "byMode";
        ASSERT_TRUE(s.set(criterion, "3").verdict.accepted);
        EXPECT_EQ(text(s, "sendPause"), "1");
        EXPECT_TRUE(s.field("sendPause")->visible && s.field("sendPause")->enabled);
        ASSERT_TRUE(s.set("sendPause", "0").verdict.accepted);
        EXPECT_EQ(text(s, c.sendField), "0x31");
        ASSERT_TRUE(s.set(criterion, "2").verdict.accepted);
        EXPECT_FALSE(s.field("sendPause")->visible);
    }
}

// What else the "ASCII" page's controls show: the spin of the telegram length, the label of
// the CP 830 delay time by criterion. The page's own controls are no names of `ptpcfg`.
TEST(SheetModel, AsciiPageControls) {
    const std::pair<Module, int> lengths[] = {
        {{kCP730, kIfRs232, kProtAscii, 0}, 1024},
        {{kCP830, kIfNone, kProtAscii, 0}, 400},
        {{kCP731, kIfRs232, kProtAscii, 1}, 4096},
        {{kCP8312, kIfHostRs232, kProtAscii, 5}, 4096},
    };
    for (const auto& [m, max] : lengths) {
        auto f = openSheet(m, stored(m)).field("wTelegramLen");
        EXPECT_EQ(f->spinMin, 1) << m.type;
        EXPECT_EQ(f->spinMax, max) << m.type;
    }

    const Module cp830{kCP830, kIfNone, kProtAscii, 0};
    auto s = openSheet(cp830, stored(cp830));
    EXPECT_EQ(s.field("wCharDelay")->label, "&Zeichenverzugszeit:");
    ASSERT_TRUE(s.set("endCriterion", "2").verdict.accepted);
    EXPECT_EQ(s.field("wCharDelay")->label, "&Überwachungszeit bei fehlender Endekennung:");
    ASSERT_TRUE(s.set("endCriterion", "3").verdict.accepted);
    EXPECT_EQ(s.field("wCharDelay")->label, "&Überwachungszeit bei fehlender Endekennung:");
    const Module cp731{kCP731, kIfRs232, kProtAscii, 2, 1};
    EXPECT_FALSE(openSheet(cp731, stored(cp731)).field("wCharDelay")->label);

    for (const Module& m : {cp830, cp731}) {
        const std::string shown = describePages(openSheet(m, stored(m)), nullptr);
        EXPECT_EQ(shown.find("endCriterion"), std::string::npos) << shown;
        EXPECT_EQ(shown.find("sendPause"), std::string::npos) << shown;
        EXPECT_FALSE(applyValues(context(m), stored(m), CDbdr{}, {{"sendPause", "1"}}).ok);
    }
}

TEST(SheetModel, ChecksRunWhenAPageIsLeftAndOnOk) {
    // a delay accepted at 19200 Bit/s is refused when the page is left after choosing 300
    Module m{kCP731, kIfRs232, kProt3964};
    CDb db = stored(m);
    db.byMode = 3;
    auto s = openSheet(m, db);
    ASSERT_TRUE(s.set("byBaud", "19200").verdict.accepted);
    ASSERT_TRUE(s.set("wCharDelay", "20").verdict.accepted);
    ASSERT_TRUE(s.set("byBaud", "300").verdict.accepted);
    Verdict left = s.selectPage(1);
    EXPECT_FALSE(left.accepted);
    EXPECT_EQ(left.messageId, 501);
    EXPECT_EQ(s.activePage(), 0);
    EXPECT_EQ(text(s, "wCharDelay"), "60") << "the page puts the minimum into the field";
    EXPECT_TRUE(s.selectPage(1).accepted);

    // the sheet check of an ASCII sheet runs on OK even though the active page accepts
    Module ascii{kCP731, kIfRs232, kProtAscii};
    s = openSheet(ascii, stored(ascii));
    ASSERT_TRUE(s.set("byMode", "2").verdict.accepted);
    ASSERT_TRUE(s.set("byRecvEnd1", "11").verdict.accepted);
    ASSERT_TRUE(s.selectPage(1).accepted);
    ASSERT_TRUE(s.set("byFlowCtrl", "XON / XOFF").verdict.accepted);
    ASSERT_TRUE(s.selectPage(2).accepted);
    auto ok = s.ok();
    EXPECT_FALSE(ok.verdict.accepted);
    EXPECT_EQ(ok.verdict.messageId, 505);
}

// OK writes back what each sheet owns; a sheet without an interface page stores its
// operating mode and preset as 0, and the printer sheets never keep transmission attempts.
TEST(SheetModel, OkWritesBackWhatTheSheetOwns) {
    struct Case {
        Module module;
        uint8_t connectTries, sendTries, linePreset, breakOff;  // after OK, stored 7, 7, 2, 1 before
    };
    const Case cases[] = {
        {{kCP731, kIfRs232, kProt3964}, 7, 7, 0, 0},
        {{kCP731, kIfRs232, kProtRk512}, 7, 7, 0, 0},
        {{kCP731, kIfRs232, kProtAscii}, 7, 7, 0, 0},
        {{kCP8311, kIfHostRs232, kProtAscii}, 0, 0, 0, 0},
        {{kCP731, kIfRs232, kProtPrinter}, 0, 0, 0, 1},
        {{kCP731, kIfRs422, kProtPrinter}, 7, 0, 2, 1},  // the interface page was not shown
        {{kCP730, kIfRs232, kProtAscii, 0}, 0, 0, 0, 1},
        {{kCP730, kIfRs232, kProtPrinter, 0}, 0, 0, 0, 1},
        {{kCP730, kIfRs422, kProtPrinter, 0}, 0, 0, 2, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.module.type) + "/" + std::to_string(c.module.iface) + "/" +
                     std::to_string(c.module.protocol));
        CDb db = stored(c.module);
        db.byConnectTries = 7;
        db.bySendTries = 7;
        db.byLinePreset = 2;
        db.byBreakOff = 1;
        auto s = openSheet(c.module, db);
        CDb out = db;
        s.writeBack(out);
        EXPECT_EQ(std::memcmp(&out, &db, sizeof db), 0) << "nothing before OK";
        ASSERT_TRUE(s.ok().verdict.accepted);
        s.writeBack(out);
        EXPECT_EQ(out.byConnectTries, c.connectTries);
        EXPECT_EQ(out.bySendTries, c.sendTries);
        EXPECT_EQ(out.byLinePreset, c.linePreset);
        EXPECT_EQ(out.byBreakOff, c.breakOff);
    }
}

// A page never shown hands back what it was given; a shown page what it shows.
TEST(SheetModel, PagesNeverShownKeepTheirValues) {
    Module m{kCP731, kIfTty, kProtAscii};
    CDb db = stored(m);
    db.byV24Signals = 1;  // a TTY interface has no V.24 signals: the page shows "Keine"
    auto s = openSheet(m, db);
    ASSERT_TRUE(s.ok().verdict.accepted);
    CDb out = db;
    s.writeBack(out);
    EXPECT_EQ(out.byV24Signals, 1);

    s = openSheet(m, db);
    ASSERT_TRUE(s.selectPage(1).accepted);
    ASSERT_TRUE(s.ok().verdict.accepted);
    s.writeBack(out);
    EXPECT_EQ(out.byV24Signals, 0);
}

// Every module, protocol and interface: the pages' values printed by `show --pages` and
// given back to `set` store the same record, and their order does not matter.
TEST(SheetModel, ShowPagesRoundTrip) {
    std::vector<Module> modules;
    for (int type : {kCP730, kCP731, kCP830, kCP8311, kCP8312})
        for (int protocol : {kProt3964, kProtAscii, kProtRk512, kProtPrinter}) {
            const std::vector<int> ifaces = type == kCP830 ? std::vector<int>{kIfNone}
                                            : isCP831(type) ? std::vector<int>{kIfHostRs232, kIfHostTty, kIfHostRs422}
                                                            : std::vector<int>{kIfRs232, kIfTty, kIfRs422};
            for (int iface : ifaces)
                for (int ext : {0, 1}) modules.push_back({type, iface, protocol, isCP831(type) ? 5u : 2u, ext});
        }
    int sheets = 0;
    for (const auto& m : modules) {
        auto s = SheetModel::open(context(m), stored(m));
        if (!s) continue;
        ++sheets;
        SCOPED_TRACE(std::string(s->className()) + " " + std::to_string(m.type) + "/" + std::to_string(m.iface) +
                     " ext " + std::to_string(m.ext));
        CDbdr dr{};
        SetPrinterDefaults(dr, 'A');
        // once through the sheet, then round and round
        const auto first = applyValues(context(m), stored(m), dr, parseLines(describePages(*s, &dr)).values);
        ASSERT_TRUE(first.ok) << first.name << ": " << first.text;
        const auto shown = describePages(*SheetModel::open(context(m), first.db), &first.dr);
        auto values = parseLines(shown).values;
        const auto again = applyValues(context(m), first.db, first.dr, values);
        ASSERT_TRUE(again.ok) << again.name << ": " << again.text;
        EXPECT_EQ(std::memcmp(&again.db, &first.db, sizeof(CDb)), 0);
        EXPECT_EQ(describePages(*SheetModel::open(context(m), again.db), &again.dr), shown);
        std::reverse(values.begin(), values.end());
        const auto reversed = applyValues(context(m), first.db, first.dr, values);
        ASSERT_TRUE(reversed.ok) << reversed.name << ": " << reversed.text;
        EXPECT_EQ(std::memcmp(&reversed.db, &first.db, sizeof(CDb)), 0);
    }
    EXPECT_GT(sheets, 0);
}

TEST(SheetModel, ArgumentOrderDoesNotChangeTheVerdict) {
    Module m{kCP731, kIfRs232, kProt3964};
    const std::vector<std::vector<NameValue>> sets = {
        {{"byMode", "3"}, {"wCharDelay", "10"}, {"byBaud", "300"}},
        {{"byBaud", "300"}, {"wCharDelay", "10"}, {"byMode", "3"}},
        {{"wCharDelay", "10"}, {"byMode", "3"}, {"byBaud", "300"}},
    };
    for (const auto& values : sets) {
        auto r = applyValues(context(m), stored(m), CDbdr{}, values);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.refusal.messageId, 501);
        EXPECT_EQ(r.refusal.inserts, (std::vector<std::string>{"300", "60"}));
        EXPECT_EQ(r.correction, "Die Seite würde wCharDelay=60 einsetzen; es wurde nichts gespeichert.");
    }
    // one telegram and overwriting allowed take effect in either order
    Module ascii{kCP731, kIfRs232, kProtAscii};
    for (const auto& values : {std::vector<NameValue>{{"byNoOverwrite", "0"}, {"byBufferedTelegrams", "1"}},
                               std::vector<NameValue>{{"byBufferedTelegrams", "1"}, {"byNoOverwrite", "0"}}}) {
        auto r = applyValues(context(ascii), stored(ascii), CDbdr{}, values);
        ASSERT_TRUE(r.ok) << r.text;
        EXPECT_EQ(r.db.byNoOverwrite, 0);
        EXPECT_EQ(r.db.byBufferedTelegrams, 1);
    }
}

// Codes are decimal, or hexadecimal after "0x"; "010" is ten, not eight.
TEST(SheetModel, CodesAreDecimalUnlessWrittenInHex) {
    Module m{kCP731, kIfRs232, kProt3964};
    struct Case {
        const char* value;
        bool ok;
        uint8_t mode;
    };
    const Case cases[] = {{"3", true, 3}, {"03", true, 3}, {"0x4", true, 4}, {"010", false, 0}, {"0x", false, 0},
                          {"-1", false, 0}, {"+3", false, 0}, {" 3", false, 0}, {"3a", false, 0}};
    for (const auto& c : cases) {
        auto r = applyValues(context(m), stored(m), CDbdr{}, {{"byMode", c.value}});
        EXPECT_EQ(r.ok, c.ok) << c.value << ": " << r.text;
        if (c.ok) {
            EXPECT_EQ(r.db.byMode, c.mode) << c.value;
        }
    }
}

TEST(SheetModel, NamesGivenTwiceOrUnknown) {
    Module m{kCP731, kIfRs232, kProt3964};
    auto twice = applyValues(context(m), stored(m), CDbdr{}, {{"byBaud", "300"}, {"CDb.byBaud", "600"}});
    EXPECT_FALSE(twice.ok);
    EXPECT_NE(twice.text.find("mehrfach"), std::string::npos) << twice.text;
    auto unknown = applyValues(context(m), stored(m), CDbdr{}, {{"byRecvEnd1", "0D"}});
    EXPECT_FALSE(unknown.ok);
    EXPECT_NE(unknown.text.find("Möglich sind: byMode, byBaud"), std::string::npos) << unknown.text;
}

}  // namespace

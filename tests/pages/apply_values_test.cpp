// Settings given as NAME=VALUE go through the same pages and checks as typed ones.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "document/records.h"
#include "pages/apply_values.h"

using namespace rules;

namespace {

struct Module {
    int type;
    int protocol;
    DefaultSet set;
    unsigned pv = 2;
    int ext = 0;
    int iface = 26;
};

ApplyResult run(const Module& m, const std::vector<NameValue>& values, CDbdr dr = {}, bool readOnly = false) {
    CDb db{};
    SetDbDefaults(db, m.set, m.type == 8311 || m.type == 8312);
    if (m.protocol == 4 && dr.byLinesPerPage == 0) SetPrinterDefaults(dr, 'A');
    auto ctx = makeCheckContext(m.type, m.iface, m.pv, m.ext, true, readOnly);
    return applyValues(ctx, m.protocol, db, dr, values);
}

const Module k731_3964{731, 1, DefaultSet::D3964};
const Module k730_3964{730, 1, DefaultSet::A, 0};
const Module k731_Ascii{731, 2, DefaultSet::E};
const Module k731v1_Ascii{731, 2, DefaultSet::E, 1};
const Module k830_Ascii{830, 2, DefaultSet::I, 0, 0, 0};
const Module k731_Printer{731, 4, DefaultSet::G};

TEST(RulesApply, AcceptedValuesAreStoredAsThePagesStoreThem) {
    auto r = run(k731_3964, {{"byMode", "4"},
                             {"CDb.wCharDelay", "300"},
                             {"byBaud", "19200"},
                             {"byParity", "keine"},
                             {"byStopBits", "2"},
                             {"byPriority", "hoch"}});
    ASSERT_TRUE(r.ok) << r.text;
    EXPECT_EQ(r.db.byMode, 4);
    EXPECT_EQ(+r.db.wCharDelay, 30);  // units of 10 ms
    EXPECT_EQ(+r.db.wAckDelay, 200);
    EXPECT_EQ(r.db.byBaud, 9);
    EXPECT_EQ(r.db.byParity, 0);
    EXPECT_EQ(r.db.byStopBits, 3);
    ASSERT_EQ(r.notices.size(), 1u);  // the priority hint on OK
    EXPECT_EQ(r.notices[0].messageId, 565);
    EXPECT_EQ(r.notices[0].inserts, (std::vector<std::string>{"hoch", "niedrig"}));

    r = run(k731_Ascii, {{"byMode", "2"}, {"byRecvEnd1", "d"}, {"byRecvEndCount", "2"}, {"byRecvEnd2", "0A"},
                         {"byXonChar", "11"}, {"wXonWait", "200"}, {"byFlowCtrl", "XON/XOFF"}});
    ASSERT_TRUE(r.ok) << r.text;
    EXPECT_EQ(r.db.byMode, 2);
    EXPECT_EQ(r.db.bySendMode, 0x20);  // no extended functions: end characters without sender settings
    EXPECT_EQ(r.db.byRecvEnd1, 0x0D);
    EXPECT_EQ(r.db.byRecvEnd2, 0x0A);
    EXPECT_EQ(r.db.byFlowCtrl, 1);
    EXPECT_EQ(+r.db.wXonWait, 20);
    EXPECT_TRUE(r.notices.empty());

    r = run(k731_Ascii, {{"wTelegramLen", "2000"}});
    ASSERT_TRUE(r.ok) << r.text;
    EXPECT_EQ(+r.db.wTelegramLen, 2000);

    r = run(k731_Printer, {{"CDbdr.byLeftMargin", "7"}, {"CDbdr.byLineEnd", "LF"}, {"byBaud", "76800"}});
    ASSERT_TRUE(r.ok) << r.text;
    EXPECT_EQ(r.dr.byLeftMargin, 7);
    EXPECT_EQ(r.dr.byLineEnd, 2);
    EXPECT_EQ(r.db.byBaud, 11);

    r = run(k731_3964, {});
    ASSERT_TRUE(r.ok);
    CDb db{};
    SetDbDefaults(db, DefaultSet::D3964, false);
    EXPECT_EQ(std::memcmp(&r.db, &db, sizeof db), 0) << "without values nothing changes";
}

TEST(RulesApply, RefusalsAreTheRulesOwn) {
    struct Case {
        const char* what;
        Module module;
        std::vector<NameValue> values;
        int message, caption;
        std::vector<std::string> inserts;
        const char* refusedName;
    };
    const Case cases[] = {
        {"300 Bit/s with 50 ms", k731_3964, {{"byMode", "3"}, {"byBaud", "300"}, {"wCharDelay", "50"}},
         501, 400, {"300", "60"}, "wCharDelay"},
        {"raster", k731_3964, {{"byMode", "3"}, {"wCharDelay", "225"}}, 523, 400, {}, "wCharDelay"},
        {"too high", k731_3964, {{"byMode", "4"}, {"wCharDelay", "65535"}}, 513, 400, {"65530"}, "wCharDelay"},
        {"empty", k731_3964, {{"byMode", "4"}, {"wAckDelay", ""}}, 550, 401, {"20"}, "wAckDelay"},
        // values given together are taken in page order, the baud rate before the delay time,
        // so the delay is judged against the new rate whatever order the command line has
        {"baud lowered with the delay", k731_3964,
         {{"byMode", "3"}, {"wCharDelay", "20"}, {"byBaud", "300"}}, 501, 400, {"300", "60"}, "wCharDelay"},
        {"CP 730 character frame", k730_3964, {{"byStopBits", "2"}}, 503, 405, {}, ""},
        {"telegram length 2000, version 1", k731v1_Ascii, {{"wTelegramLen", "2000"}}, 512, 409, {"1024"},
         "wTelegramLen"},
        {"end character equal to XON", k731_Ascii,
         {{"byMode", "2"}, {"byRecvEnd1", "11"}, {"byFlowCtrl", "XON / XOFF"}}, 505, 410, {}, ""},
        {"overwrite cannot be allowed with 250 telegrams", k731_Ascii, {{"byNoOverwrite", "0"}}, 524, 417, {},
         "byNoOverwrite"},
        {"one telegram, overwrite allowed, RTS/CTS", k731_Ascii,
         {{"byBufferedTelegrams", "1"}, {"byNoOverwrite", "0"}, {"byFlowCtrl", "RTS / CTS"}}, 522, 416, {}, ""},
        {"CP 830 multipoint master with XON/XOFF", k830_Ascii, {{"byOpMode830", "2"}, {"byFlowCtrl", "XON / XOFF"}},
         2043, 410, {}, ""},
        {"CP 830 emptied telegram count", k830_Ascii, {{"byBufferedTelegrams", ""}}, 517, 412, {"10"},
         "byBufferedTelegrams"},
        {"XON equal to XOFF on the printer page", k731_Printer, {{"byXoffChar", "11"}}, 504, 410, {}, ""},
        {"page layout too short", k731_Printer, {{"CDbdr.byLinesPerPage", "2"}}, 542, 422, {}, ""},
        {"left margin", k731_Printer, {{"CDbdr.byLeftMargin", "300"}}, 530, 421, {"255"}, "CDbdr.byLeftMargin"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CDbdr dr{};
        if (c.module.protocol == 4) {
            SetPrinterDefaults(dr, 'A');
            dr.byHeaderLines = 2;
            dr.byFooterLines = 1;
        }
        auto r = run(c.module, c.values, dr);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.refusal.messageId, c.message) << r.text;
        EXPECT_EQ(r.refusal.captionId, c.caption);
        EXPECT_EQ(r.refusal.inserts, c.inserts);
        EXPECT_EQ(r.name, c.refusedName);
        EXPECT_FALSE(r.text.empty());
    }
}

TEST(RulesApply, ValuesNoPageTakes) {
    struct Case {
        const char* what;
        Module module;
        NameValue value;
        const char* mentions;
    };
    const Case cases[] = {
        {"unknown name", k731_3964, {"wFoo", "1"}, "wFoo"},
        {"parity 'beliebig' is CP 730 only", k731_3964, {"byParity", "beliebig"}, "beliebig"},
        {"57600 needs the extended flag", k731_3964, {"byBaud", "57600"}, "Mögliche Baudraten"},
        {"character not hexadecimal", k731_Ascii, {"byXonChar", "1G"}, "1G"},
        {"number with a leading zero", k731_Ascii, {"wTelegramLen", "0200"}, "0200"},
        {"delay time while standard values are used", k731_3964, {"wCharDelay", "300"}, "gesperrt"},
        {"sender end characters without the extended flag", k731_Ascii, {"bySendEnd1", "0D"}, "bySendEnd1"},
        {"RTS/CTS on a TTY interface", Module{731, 2, DefaultSet::E, 2, 0, 27}, {"byFlowCtrl", "RTS / CTS"}, "RS 232"},
        {"operating mode without an interface page", k731_Ascii, {"byConnectTries", "1"}, "byConnectTries"},
        {"page layout on a 3964(R) sheet", k731_3964, {"CDbdr.byLeftMargin", "3"}, "byLeftMargin"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto r = run(c.module, {c.value});
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.refusal.messageId, 0);
        EXPECT_NE(r.text.find(c.mentions), std::string::npos) << r.text;
        EXPECT_EQ(r.name, c.value.name);
    }
    auto ro = run(k731_3964, {{"byPriority", "hoch"}}, {}, true);
    EXPECT_FALSE(ro.ok);
    auto ro2 = run(k731_3964, {}, {}, true);
    EXPECT_TRUE(ro2.ok);
    EXPECT_TRUE(ro2.notices.empty()) << "no priority hint in read-only mode";
}

TEST(RulesApply, InterfacePageRules) {
    Module m{731, 2, DefaultSet::E, 2, 0, 28};
    CDb stored{};
    SetDbDefaults(stored, DefaultSet::E, false);
    stored.byLinePreset = 1;
    auto r = applyValues(makeCheckContext(731, 28, 2, 0, true, false), 2, stored, CDbdr{}, {{"byConnectTries", "1"}});
    ASSERT_TRUE(r.ok) << r.text;
    EXPECT_EQ(r.db.byConnectTries, 1);
    EXPECT_EQ(r.db.byLinePreset, 2);  // half duplex cannot keep R(A) 5 V
    // R(A) 5 V together with half duplex is refused in either order
    for (const auto& values : {std::vector<NameValue>{{"byLinePreset", "1"}, {"byConnectTries", "1"}},
                               std::vector<NameValue>{{"byConnectTries", "1"}, {"byLinePreset", "1"}}}) {
        r = run(m, values);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.name, "byLinePreset");
    }
    r = run(m, {{"byConnectTries", "1"}, {"byFlowCtrl", "XON / XOFF"}});
    EXPECT_EQ(r.refusal.messageId, 2043);
}

// Values the pages correct on their own when they open, or keep because no page shows them.
TEST(RulesApply, StoredValuesThePagesCorrectOrLeave) {
    struct Case {
        const char* what;
        Module module;
        std::function<void(CDb&)> stored;
        std::vector<NameValue> values;
        std::function<void(const CDb&)> expect;
    };
    const Case cases[] = {
        {"CP 830 3964(R): own values after the standard values", Module{830, 1, DefaultSet::H, 0, 0, 0},
         [](CDb&) {}, {{"byMode", "3"}, {"wCharDelay", "300"}, {"bySendTries", "3"}},
         [](const CDb& db) {
             EXPECT_EQ(+db.wCharDelay, 300);  // ms on the CP 830
             EXPECT_EQ(db.aby830Ext1[4], 3);
             EXPECT_EQ(db.aby830Ext1[6], 0);  // without block check
         }},
        {"CP 830 3964(R): block check back on", Module{830, 1, DefaultSet::H, 0, 0, 0},
         [](CDb& db) { db.aby830Ext1[6] = 0; }, {{"byMode", "4"}},
         [](const CDb& db) { EXPECT_EQ(db.aby830Ext1[6], 3); }},
        {"unknown stored baud code: 9600 is stored with the other values", k731_3964,
         [](CDb& db) { db.byBaud = 2; }, {{"byClearRecvBuf", "0"}},
         [](const CDb& db) { EXPECT_EQ(db.byBaud, 8); }},
        {"CP 730 with a baud code its list lacks: no rate chosen, the code is kept", k730_3964,
         [](CDb& db) { db.byBaud = 3; }, {{"byClearRecvBuf", "0"}},
         [](const CDb& db) { EXPECT_EQ(db.byBaud, 3); }},
        {"TTY printer with 76800 stored: 19200 is stored", Module{8312, 4, DefaultSet::G, 5, 1, 67},
         [](CDb& db) { db.byBaud = 11; }, {{"CDbdr.byLeftMargin", "2"}},
         [](const CDb& db) { EXPECT_EQ(db.byBaud, 9); }},
        {"RK 512 has no CPU receive box: its DB number is neither checked nor cleared",
         Module{8312, 3, DefaultSet::DRk512, 5, 1, 81}, [](CDb& db) { db.wRecvDbNo = 65535; },
         {{"byClearRecvBuf", "0"}}, [](const CDb& db) { EXPECT_EQ(+db.wRecvDbNo, 65535); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CDb db{};
        SetDbDefaults(db, c.module.set, c.module.type == 8311 || c.module.type == 8312);
        c.stored(db);
        CDbdr dr{};
        if (c.module.protocol == 4) SetPrinterDefaults(dr, 'A');
        auto ctx = makeCheckContext(c.module.type, c.module.iface, c.module.pv, c.module.ext, true, false);
        auto r = applyValues(ctx, c.module.protocol, db, dr, c.values);
        ASSERT_TRUE(r.ok) << r.text;
        c.expect(r.db);
    }
}

TEST(RulesApply, ParseAssignment) {
    auto nv = parseAssignment(" CDb.wCharDelay = 220 ");
    ASSERT_TRUE(nv);
    EXPECT_EQ(nv->name, "CDb.wCharDelay");
    EXPECT_EQ(nv->value, "220");
    EXPECT_EQ(parseAssignment("byParity=")->value, "");
    EXPECT_FALSE(parseAssignment("byParity"));
    EXPECT_FALSE(parseAssignment("=3"));
}

}  // namespace

#include <gtest/gtest.h>

#include <cstring>

#include "document/ptp_doc.h"
#include "tests/support/module_factory.h"

namespace {

std::string name8(const char* p) { return std::string(p, 8); }

// A document for a module, protocol and interface without parsing a string.
using Fixture = support::ModuleDocument;

}  // namespace

// The whole selection table: which set, which head, which lengths.
TEST(BuildDefaults, SelectionTable) {
    struct Case {
        int module, protocol, iface;
        uint16_t recordType; const char* driver; uint16_t protocolId;
        uint16_t charDelay; uint8_t linePreset, connectTries;
        uint8_t headModuleCode; uint16_t headLen;
        std::array<uint16_t, 11> lengths;
        bool printer;
    };
    const Case cases[] = {
        {730, 1, 26, 14, "00000000", 0x31, 22, 0, 6, 0, 31, {2, 0, 41}, false},
        {730, 2, 27, 14, "00000000", 0x30, 4, 0, 0, 0, 31, {2, 0, 41}, false},
        {730, 4, 28, 14, "00000000", 0x32, 0, 0, 0, 0, 31, {2, 0, 41, 7, 65, 256}, true},
        {731, 1, 27, 14, "KP396400", 0x31, 22, 0, 6, 3, 31, {2, 24, 49}, false},
        {731, 1, 28, 14, "KP396400", 0x31, 22, 1, 6, 3, 31, {2, 24, 49}, false},
        {731, 2, 28, 14, "KPASCII0", 0x30, 4, 1, 0, 3, 31, {2, 24, 49}, false},
        {731, 3, 28, 14, "KPRK5120", 0x20, 22, 1, 6, 3, 31, {2, 24, 49}, false},
        {731, 4, 26, 14, "KPDRUCK0", 0x32, 0, 0, 0, 3, 31, {2, 24, 49, 7, 65, 256}, true},
        {830, 1, 28, 200, "BASICDRV", 0x31, 220, 1, 0xEE, 5, 31, {2, 24, 163}, false},
        {830, 2, 28, 200, "BASICDRV", 0x30, 4, 1, 0, 5, 31, {2, 24, 163}, false},
        {8311, 1, 81, 0, "KP396400", 0x31, 22, 0, 6, 2, 29, {0, 24, 49}, false},
        {8311, 1, 66, 0, "KP396400", 0x31, 22, 1, 6, 2, 29, {0, 24, 49}, false},
        {8312, 3, 66, 0, "KPRK5120", 0x20, 22, 1, 6, 2, 29, {0, 24, 49}, false},
        {8312, 2, 66, 0, "KPASCII0", 0x30, 4, 1, 0, 2, 29, {0, 24, 49}, false},
        {8311, 4, 66, 0, "KPDRUCK0", 0x32, 0, 1, 0, 2, 29, {0, 24, 49, 7, 65, 256}, true},
    };
    for (const auto& c : cases) {
        Fixture f(c.module, c.protocol, c.iface);
        CDb& r = f.doc.m_DefParams;
        std::memset(&r, 0xEE, sizeof r);  // every field a set writes overwrites this; 0xEE = not written
        f.doc.m_bTextPresent = 1;
        EXPECT_EQ(f.doc.BuildDefaults(r), 0);
        SCOPED_TRACE(std::to_string(c.module) + "/" + std::to_string(c.protocol) + "/" + std::to_string(c.iface));
        EXPECT_EQ(+r.wRecordType, c.recordType);
        EXPECT_EQ(name8(r.achDriverName), c.driver);
        EXPECT_EQ(+r.wProtocolId, c.protocolId);
        EXPECT_EQ(+r.wCharDelay, c.charDelay);
        EXPECT_EQ(r.byLinePreset, c.linePreset);
        EXPECT_EQ(r.byConnectTries, c.connectTries);
        EXPECT_EQ(r.byBaud, 8);
        EXPECT_EQ(r.byParity, 2);
        EXPECT_EQ(f.doc.m_CurHead.byModuleCode, c.headModuleCode);
        EXPECT_EQ(f.doc.m_CurHead.wHeadLen, c.headLen);
        EXPECT_EQ(f.doc.BlockLengths, c.lengths);
        EXPECT_EQ(f.doc.m_bTextPresent, 0);
        if (c.printer) {
            EXPECT_EQ(f.doc.m_DefPrinter.byLinesPerPage, 50);
            EXPECT_EQ(f.doc.m_DefPrinter.byCtrlLength, 63);
            EXPECT_EQ(f.doc.m_TextHead.byKind, 2);
        }
    }
}

TEST(BuildDefaults, CombinationsWithoutASetOnlyClearTheLengths) {
    struct Case { int module, protocol; };
    const Case cases[] = {{8311, 3}, {830, 3}, {830, 4}, {730, 3}, {731, 255 + 256}, {0, 1}};
    for (const auto& c : cases) {
        Fixture f(c.module, c.protocol, 0);
        CDb& r = f.doc.m_DefParams;
        std::memset(&r, 0x5A, sizeof r);
        f.doc.BlockLengths.fill(9);
        f.doc.m_bTextPresent = 1;
        f.doc.BuildDefaults(r);
        EXPECT_EQ(+r.wCharDelay, 0x5A5A) << c.module << "/" << c.protocol;
        EXPECT_EQ(f.doc.BlockLengths, (std::array<uint16_t, 11>{}));
        EXPECT_EQ(f.doc.m_bTextPresent, 1);
    }
}

TEST(BuildDefaults, InterfaceAndVersionAdjustments) {
    {   // CP 731 printer on RS 422/485
        Fixture f(731, 4, 28);
        f.doc.BuildDefaults(f.doc.m_DefParams);
        EXPECT_EQ(f.doc.m_DefParams.byConnectTries, 0);
        EXPECT_EQ(f.doc.m_DefParams.bySendTries, 0);
        EXPECT_EQ(f.doc.m_DefParams.byLinePreset, 1);
    }
    {   // CP 830 presets the receive lines whatever the interface
        Fixture f(830, 1, 0);
        f.doc.BuildDefaults(f.doc.m_DefParams);
        EXPECT_EQ(f.doc.m_DefParams.byLinePreset, 1);
    }
    {   // CP 831-2 ASCII from product version 5 on: 2 ms
        Fixture f(8312, 2, 81, 5);
        f.doc.BuildDefaults(f.doc.m_DefParams);
        EXPECT_EQ(+f.doc.m_DefParams.wCharDelay, 2);
        Fixture g(8312, 2, 81, 4);
        g.doc.BuildDefaults(g.doc.m_DefParams);
        EXPECT_EQ(+g.doc.m_DefParams.wCharDelay, 4);
    }
    {   // RS 232 on a CP 831 changes nothing
        Fixture f(8311, 2, 81);
        f.doc.BuildDefaults(f.doc.m_DefParams);
        EXPECT_EQ(f.doc.m_DefParams.byLinePreset, 0);
    }
    {   // driver-block mask: kept on CP 730, cleared on the others
        Fixture f(730, 1, 0), g(731, 1, 0);
        f.doc.m_nDrvBlockMask = g.doc.m_nDrvBlockMask = 7;
        f.doc.BuildDefaults(f.doc.m_DefParams);
        g.doc.BuildDefaults(g.doc.m_DefParams);
        EXPECT_EQ(f.doc.m_nDrvBlockMask, 7);
        EXPECT_EQ(g.doc.m_nDrvBlockMask, 0);
    }
}

// Every field of each default set, against the table of defaults.
TEST(DefaultSets, FullRecords) {
    CDb a{};
    SetDbDefaults(a, DefaultSet::A, false);
    const uint8_t tailA[] = {6, 6, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&a.byConnectTries, tailA, sizeof tailA), 0);
    EXPECT_EQ(a.byClearRecvBuf, 1);
    EXPECT_EQ(+a.wAckDelay, 200);
    EXPECT_EQ(a.byDriverVerHi, 0);  // "00000000" carries version 0.0

    CDb e{};
    SetDbDefaults(e, DefaultSet::E, true);
    EXPECT_EQ(+e.wRecordType, 0);
    EXPECT_EQ(+e.wXonWait, 2000);
    EXPECT_EQ(+e.wTelegramLen, 240);
    EXPECT_EQ(e.byBufferedTelegrams, 250);
    EXPECT_EQ(e.byNoOverwrite, 1);
    EXPECT_EQ(+e.wDriverWord, 60);
    EXPECT_EQ(e.byDriverVerHi, 1);
    EXPECT_EQ(name8(e.achSccName), "SCC55000");

    CDb b{};
    SetDbDefaults(b, DefaultSet::B, false);
    EXPECT_EQ(+b.wXonWait, 200);
    EXPECT_EQ(b.byXonChar, 17);
    EXPECT_EQ(b.byXoffChar, 19);
    EXPECT_EQ(+b.wRtsOffTime, 1);

    CDb h{}, i{};
    std::memset(&h, 0x77, sizeof h);
    SetDbDefaults(h, DefaultSet::H, false);
    SetDbDefaults(i, DefaultSet::I, false);
    EXPECT_EQ(h.byMode, 0x77);  // H does not write byMode
    EXPECT_EQ(+h.wRecvDbNo, 0x7777);
    EXPECT_EQ(h.byEndCrit830, 64);
    EXPECT_EQ(i.byEndCrit830, 16);
    const uint8_t ext1H[8] = {0, 0, 0, 6, 6, 6, 3, 0};
    EXPECT_EQ(std::memcmp(h.aby830Ext1, ext1H, 8), 0);
    EXPECT_EQ(+i.w830Word, 200);
    EXPECT_EQ(h.aby830Ext2[12], 16);
    EXPECT_EQ(i.aby830Ext2[12], 0);
    EXPECT_EQ(i.aby830Ext2[15], 0);
    EXPECT_EQ(h.aby830Ext2[15], 21);
    EXPECT_EQ(+i.wAckDelay, 4);
    EXPECT_EQ(i.bySendEndCount, 1);
    EXPECT_EQ(i.bySendEnd1, 3);
}

TEST(HeadDefaults, Table) {
    struct Case { HeadDefault which; uint8_t kind; uint16_t h, b; uint8_t module; uint16_t first, last; uint8_t ver, variant; };
    const Case cases[] = {
        {HeadDefault::CP730, 1, 31, 43, 0, 0, 2, 1, 0}, {HeadDefault::CP731, 1, 31, 75, 3, 0, 2, 1, 1},
        {HeadDefault::CP830, 1, 31, 189, 5, 0, 2, 5, 0}, {HeadDefault::CP831, 1, 29, 73, 2, 1, 2, 1, 1},
        {HeadDefault::Text, 2, 27, 10, 0, 0, 0, 1, 0}};
    for (const auto& c : cases) {
        CDbHead h;
        h.abyTime = {1, 2, 3, 4, 5, 6};
        SetHeadDefault(h, c.which);
        EXPECT_EQ(h.byKind, c.kind);
        EXPECT_EQ(h.wHeadLen, c.h);
        EXPECT_EQ(h.wBodyLen, c.b);
        EXPECT_EQ(h.byModuleCode, c.module);
        EXPECT_EQ(h.wFirstIndex, c.first);
        EXPECT_EQ(h.wLastIndex, c.last);
        EXPECT_EQ(h.abyVersion[0], c.ver);
        EXPECT_EQ(h.byB6, 1);
        EXPECT_EQ(h.byB7, 1);
        EXPECT_EQ(h.abyTime, (std::array<uint8_t, 6>{}));
        EXPECT_EQ(h.byVariant1, c.variant);
        EXPECT_EQ(h.byVariant3, c.variant);
    }
}

TEST(PrinterDefaults, TablesAndSettings) {
    CDbdr dr;
    SetPrinterDefaults(dr, 'B');
    const uint8_t settings[] = {dr.byCharSet, dr.byEmulation, dr.byLinesPerPage, dr.byLeftMargin, dr.byHeaderLines,
                                dr.byFooterLines, dr.byLineEnd, dr.byCtrlCount, dr.byCtrlLength};
    const uint8_t expected[] = {0, 0, 50, 3, 0, 0, 3, 5, 63};
    EXPECT_EQ(std::memcmp(settings, expected, 9), 0);
    EXPECT_EQ(dr.achTextLine[3][59], ' ');

    uint8_t desk[255] = {}, laser[255] = {}, ibm[255] = {};
    ASSERT_EQ(BuildCtrlTableDeskjet(desk, sizeof desk), 63);
    ASSERT_EQ(BuildCtrlTableLaserjet(laser, sizeof laser), 63);
    ASSERT_EQ(BuildCtrlTableIbm(ibm, sizeof ibm), 37);
    EXPECT_EQ(std::memcmp(desk, laser, 13), 0);             // bold alike
    EXPECT_EQ(std::memcmp(desk + 39, laser + 39, 24), 0);   // italic and underline alike
    EXPECT_NE(std::memcmp(desk + 13, laser + 13, 13), 0);   // condensed differs
    const uint8_t ibmStart[] = {'B', 2, 0x1B, 0x47, 2, 0x1B, 0x48, 'C', 1, 0x0F, 1, 0x12};
    EXPECT_EQ(std::memcmp(ibm, ibmStart, sizeof ibmStart), 0);
    uint8_t small[10] = {};
    EXPECT_EQ(BuildCtrlTableDeskjet(small, sizeof small), 63);  // never writes past the buffer
}

TEST(PrinterDefaults, CharacterTablesByLanguage) {
    struct Case { char letter; int code; int printer; };
    const Case cases[] = {
        {'A', 64, 0x20}, {'A', 35, 35}, {'A', 196, 91}, {'A', 252, 125}, {'A', 7, 0x20}, {'A', 27, 27},
        {'B', 35, 0x20}, {'B', 64, 64}, {'B', 196, 142}, {'B', 163, 35}, {'B', 167, 21}, {'B', 131, 159},
        {'C', 91, 0x20}, {'C', 183, 91}, {'C', 148, 126},
        {'D', 33, 35}, {'D', 94, 0x20}, {'D', 183, 0x20}, {'D', 252, 94}, {'D', 225, 96},
        {'E', 96, 0x20}, {'E', 224, 123}, {'E', 249, 96},
        {'X', 196, 142},  // unknown letters use B
    };
    for (const auto& c : cases) {
        std::array<uint8_t, 256> t{};
        BuildCharTable(c.letter, t);
        EXPECT_EQ(t[c.code], c.printer) << c.letter << " " << c.code;
    }
}

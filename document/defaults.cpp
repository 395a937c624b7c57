#include <cstring>

#include "document/records.h"

namespace {

// Names other than "00000000" carry version 1.0, "00000000" carries 0.0.
void setNamed(char (&field)[8], uint8_t& verHi, uint8_t& verLo, const char* name) {
    std::memcpy(field, name, 8);
    verHi = std::memcmp(name, "00000000", 8) == 0 ? 0 : 1;
    verLo = 0;
}

void setDriverName(CDb& db, const char* name) { setNamed(db.achDriverName, db.byDriverVerHi, db.byDriverVerLo, name); }
void setSccName(CDb& db, const char* name) { setNamed(db.achSccName, db.bySccVerHi, db.bySccVerLo, name); }

// One column of the default table for sets A to G: they write every field from
// wRecordType to bySendEnd2, 0 where the column has no value of its own.
struct Column {
    uint16_t recordType;
    const char* driver;
    const char* scc;
    uint16_t protocolId;
    uint16_t driverWord;
    uint8_t clearRecv, mode, priority;
    uint16_t charDelay, ackDelay;
    uint8_t connectTries, sendTries;
    uint8_t recvEndCount, recvEnd1;
    uint8_t xon, xoff;
    uint16_t xonWait, rtsOff, outputWait, telegramLen;
    uint8_t buffered, noOverwrite;
};

void applyColumn(CDb& db, const Column& c) {
    db.wRecordType = c.recordType;
    setDriverName(db, c.driver);
    setSccName(db, c.scc);
    db.wReserved1 = 0;
    db.byTypeCode1 = db.byTypeCode2 = 0;
    db.wProtocolId = c.protocolId;
    db.wDriverWord = c.driverWord;
    db.byInterface = 0;
    db.wRecvDbNo = 0;
    db.wRecvAux = 0;
    db.byClearRecvBuf = c.clearRecv;
    db.byBaud = 8;
    db.byParity = 2;
    db.byDataBits = 8;
    db.byStopBits = 1;
    db.byFlowCtrl = 0;
    db.byMode = c.mode;
    db.byPriority = c.priority;
    db.wCharDelay = c.charDelay;
    db.wAckDelay = c.ackDelay;
    db.byConnectTries = c.connectTries;
    db.bySendTries = c.sendTries;
    db.byRecvEndCount = c.recvEndCount;
    db.byRecvEnd1 = c.recvEnd1;
    db.byRecvEnd2 = 0;
    db.byXonChar = c.xon;
    db.byXoffChar = c.xoff;
    db.byV24Signals = 0;
    db.wXonWait = c.xonWait;
    db.wRtsOffTime = c.rtsOff;
    db.wOutputWait = c.outputWait;
    db.wTelegramLen = c.telegramLen;
    db.byBufferedTelegrams = c.buffered;
    db.byNoOverwrite = c.noOverwrite;
    db.byBreakOff = 0;
    db.byLinePreset = 0;
    db.bySendMode = 0;
    db.bySendEndCount = db.bySendEnd1 = db.bySendEnd2 = 0;
}

void applyCp830(CDb& db, bool ascii) {
    db.wRecordType = 200;
    setDriverName(db, "BASICDRV");
    setSccName(db, "BASICDRV");
    db.wProtocolId = ascii ? kIdAscii : kId3964;
    db.wDriverWord = 1;
    db.byInterface = 1;
    db.byClearRecvBuf = 0;
    db.byBaud = 8;
    db.byParity = 2;
    db.byDataBits = 8;
    db.byStopBits = 1;
    db.byFlowCtrl = 0;
    db.byPriority = ascii ? 0 : 1;
    db.wCharDelay = ascii ? 4 : 220;
    db.wAckDelay = ascii ? 4 : 200;
    db.byRecvEndCount = ascii ? 1 : 0;
    db.byRecvEnd1 = ascii ? 3 : 0;
    db.byRecvEnd2 = 0;
    db.byXonChar = ascii ? 17 : 0;
    db.byXoffChar = ascii ? 19 : 0;
    db.wXonWait = ascii ? 2000 : 0;
    db.wTelegramLen = 400;
    db.byBufferedTelegrams = 255;
    db.byNoOverwrite = 1;
    db.byLinePreset = 1;
    db.byOpMode830 = 0;
    db.by830a = db.by830b = 0;
    db.bySendEndCount = ascii ? 1 : 0;
    db.bySendEnd1 = ascii ? 3 : 0;
    db.bySendEnd2 = 0;
    db.byEndCrit830 = db.byEndLink830 = ascii ? 16 : 64;
    static const uint8_t ext1H[8] = {0, 0, 0, 6, 6, 6, 3, 0};
    static const uint8_t ext1I[8] = {0, 0, 0, 0, 0, 6, 0, 0};
    std::memcpy(db.aby830Ext1, ascii ? ext1I : ext1H, 8);
    db.w830Word = ascii ? 200 : 0;
    static const uint8_t ext2H[20] = {1, 16, 1, 2, 0, 0, 0, 2, 16, 3, 1, 16, 16, 1, 21, 21, 0, 0, 0, 0};
    static const uint8_t ext2I[20] = {1, 16, 1, 2, 0, 0, 0, 2, 16, 3, 1, 16, 0, 1, 21, 0, 0, 0, 0, 0};
    std::memcpy(db.aby830Ext2, ascii ? ext2I : ext2H, 20);
}

}  // namespace

void SetDbDefaults(CDb& db, DefaultSet set, bool cp831) {
    const uint16_t type731 = cp831 ? 0 : 14;
    //                        type  driver      scc         id         word clr mode pri delay ack  ct st rc r1 xon xoff xwait rts out tlen buf nov
    static const Column A = {14, "00000000", "00000000", kId3964,    0,   1,  2,  1,  22, 200, 6, 6, 0, 0, 0,  0,  0,    0,  0,  0,   0,   0};
    static const Column B = {14, "00000000", "00000000", kIdAscii,   0,   1,  1,  0,  4,  0,   0, 0, 1, 3, 17, 19, 200,  1,  1,  240, 250, 1};
    static const Column C = {14, "00000000", "00000000", kIdPrinter, 0,   0,  0,  0,  0,  0,   0, 0, 0, 0, 17, 19, 200,  0,  0,  0,   0,   0};
    const Column D3964 =    {type731, "KP396400", "SCC55000", kId3964,  60, 0, 2, 1, 22, 200, 6, 6, 0, 0, 0,  0,  0,    0,  0,  0,   0,   0};
    const Column DRk512 =   {type731, "KPRK5120", "SCC55000", kIdRk512, 60, 0, 2, 1, 22, 200, 6, 6, 0, 0, 0,  0,  0,    0,  0,  0,   0,   0};
    const Column E =        {type731, "KPASCII0", "SCC55000", kIdAscii, 60, 0, 1, 0, 4,  0,   0, 0, 1, 3, 17, 19, 2000, 1,  1,  240, 250, 1};
    const Column G =        {type731, "KPDRUCK0", "SCC55000", kIdPrinter, 60, 0, 0, 0, 0, 0,  0, 0, 0, 0, 17, 19, 200,  0,  0,  0,   0,   0};

    switch (set) {
    case DefaultSet::A: applyColumn(db, A); return;
    case DefaultSet::B: applyColumn(db, B); return;
    case DefaultSet::C: applyColumn(db, C); return;
    case DefaultSet::D3964: applyColumn(db, D3964); break;
    case DefaultSet::DRk512: applyColumn(db, DRk512); break;
    case DefaultSet::E: applyColumn(db, E); break;
    case DefaultSet::G: applyColumn(db, G); break;
    case DefaultSet::H: applyCp830(db, false); return;
    case DefaultSet::I: applyCp830(db, true); return;
    }
    // sets D, E and G also write these three
    db.byExtErrDisplay = 0;
    db.byReserved4 = 0;
    db.wReactionWait = 0;
}

HeadDefault headDefaultFor(int moduleType) {
    switch (moduleType) {
    case kCP731: return HeadDefault::CP731;
    case kCP830: return HeadDefault::CP830;
    case kCP8311:
    case kCP8312: return HeadDefault::CP831;
    default: return HeadDefault::CP730;
    }
}

void SetHeadDefault(CDbHead& head, HeadDefault which) {
    struct Row { uint8_t kind; uint16_t h, b; uint8_t module; uint16_t first, last; uint8_t ver; uint8_t variant; };
    static const Row rows[] = {
        {1, 31, 43, 0, 0, 2, 1, 0},   // CP 730
        {1, 31, 75, 3, 0, 2, 1, 1},   // CP 731
        {1, 31, 189, 5, 0, 2, 5, 0},  // CP 830
        {1, 29, 73, 2, 1, 2, 1, 1},   // CP 831
        {2, 27, 10, 0, 0, 0, 1, 0},   // texts
    };
    const Row& r = rows[static_cast<int>(which)];
    head = CDbHead{};
    head.byKind = r.kind;
    head.wHeadLen = r.h;
    head.wBodyLen = r.b;
    head.byModuleCode = r.module;
    head.byB6 = 1;
    head.byB7 = 1;
    head.wFirstIndex = r.first;
    head.wLastIndex = r.last;
    head.abyVersion = {r.ver, 0, 0, 0};
    head.byVariant1 = head.byVariant2 = head.byVariant3 = r.variant;
}

void SetTextNameDefault(CDbtex& tex) {
    tex.achName.fill(' ');
    tex.byVerHi = 0;
    tex.byVerLo = 1;
}

void SetSonDefault(CDbSon& son, SonDefault which) {
    son = CDbSon{};
    std::memcpy(son.achName.data(), which == SonDefault::Scc ? "SCC00000" : "PTP00000", 8);
    son.wType = 4096;
    son.dwHwBits = 1;
}

#include "pages/sheet_state.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "resources/strings.h"

namespace rules::sheet {

bool is3964Like(Sheet s) {
    return s == Sheet::CP730_3964 || s == Sheet::CP830_3964 || s == Sheet::CP731_3964 || s == Sheet::CP731_Rk512;
}
bool isAscii(Sheet s) { return s == Sheet::CP730_Ascii || s == Sheet::CP830_Ascii || s == Sheet::CP731_Ascii; }

bool modeRadios(Sheet s) {
    return s == Sheet::CP730_Ascii || s == Sheet::CP830_Ascii || s == Sheet::CP731_Ascii || s == Sheet::CP731_Printer;
}

bool reactionWaitEnabled(const CheckContext& c) {
    return (c.moduleType == kCP731 && c.productVersion > 1) || (c.moduleType == kCP8312 && c.productVersion > 4);
}
bool extErrDisplayEnabled(const CheckContext& c) { return c.moduleType == kCP731 && c.productVersion > 1; }

int reactionWait(const State& s) {
    if (!s.reactionBaud) return 0;
    const auto list = baudRates(s.sheet, s.ctx);
    const auto pos = std::find(list.begin(), list.end(), s.proto.baudRate) - list.begin();
    if (pos == 0) return 10000;
    if (pos == 1) return 7000;
    if (pos <= 6) return 5000;
    return 3000;
}

int criterionOf830(int crit) { return crit == 0x10 ? 1 : (crit >> 4) == 3 ? 3 : (crit >> 4) == 2 ? 2 : 1; }

InterfacePage interfacePageOf(Sheet s) {
    switch (s) {
    case Sheet::CP730_Ascii: return InterfacePage::CP730Ascii;
    case Sheet::CP730_3964: case Sheet::CP730_Printer: return InterfacePage::CP730;
    case Sheet::CP830_3964: return InterfacePage::CP830_3964;
    case Sheet::CP830_Ascii: return InterfacePage::CP830Ascii;
    default: return InterfacePage::CP731;
    }
}

// The receive-line preset as the interface page shows it on opening. An unknown stored
// preset counts as "R(A) 5 V" before the operating mode has its say.
int openingPreset(Sheet sheet, int mode, int preset) {
    switch (interfacePageOf(sheet)) {
    case InterfacePage::CP730:
    case InterfacePage::CP730Ascii:
        return preset == 0 ? 1 : preset;
    case InterfacePage::CP830_3964:
        return preset == 0 || preset == 2 ? preset : 1;
    case InterfacePage::CP830Ascii:
        if (preset > 2) preset = 1;
        if (mode == 1 && preset == 1) return 0;
        if (mode == 2) return 2;
        return preset;
    case InterfacePage::CP731:
        if (preset > 2) preset = 1;
        if (mode == 1 && preset == 1) return 2;
        return preset;
    }
    return preset;
}

std::string squeeze(std::string_view s) {
    std::string out;
    for (char c : s)
        if (!std::isspace(static_cast<unsigned char>(c))) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string hexText(std::optional<int> v) {
    if (!v) return {};
    char b[8];
    std::snprintf(b, sizeof b, "%X", *v);
    return b;
}
std::string codeText(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "0x%02X", v);
    return b;
}
std::string numText(std::optional<long> v) { return v ? std::to_string(*v) : std::string(); }

std::vector<std::string> parityTexts(const CheckContext& c) {
    std::vector<std::string> t = {res::text(10452), res::text(10453), res::text(10454)};
    if (is730(c)) t.push_back(res::text(10455));
    return t;
}
std::vector<std::string> flowTexts(bool printer) {
    std::vector<std::string> t = {"Keine", "XON / XOFF", "RTS / CTS"};
    if (!printer) t.push_back("Automat. Bedienung der V24-Signale");
    return t;
}
std::string listText(const std::vector<std::string>& list, int index) {
    return index >= 0 && index < static_cast<int>(list.size()) ? list[index] : std::string();
}

// ---- opening -----------------------------------------------------------------------

State openState(const CheckContext& ctx, Sheet sheet, const CDb& db, std::vector<Verdict>& notices) {
    State s;
    s.sheet = sheet;
    s.ctx = ctx;
    s.interfacePage = hasInterfacePage(sheet, ctx);
    if (sheet == Sheet::CP731_Printer && ctx.moduleType == kCP731) {
        // the printer sheet hands CP 731's interface codes over as CP 831's
        s.ctx.interfaceCode = ctx.interfaceCode == kIfRs232 ? kIfHostRs232
                              : ctx.interfaceCode == kIfTty ? kIfHostTty
                                                            : kIfHostRs422;
    }
    BaudSelection sel = selectBaud(sheet, s.ctx, db.byBaud);
    if (sel.verdict.hasMessage()) notices.push_back(sel.verdict);
    const int stop = db.byStopBits == 3 ? 2 : 1;
    s.breakMonitoring = db.byBreakOff == 0;

    auto& p = s.proto;
    p.baudRate = sel.baudRate;
    p.parity = db.byParity;
    p.priority = db.byPriority;
    p.dataBits = db.byDataBits;
    p.stopBits = stop;
    p.rk512 = sheet == Sheet::CP731_Rk512;
    if (p.rk512) p.dataBits = 8;
    if (is830(ctx)) {
        p.charDelay = long{db.wCharDelay};  // by value: a packed field has no aligned address
        p.connectTries = db.aby830Ext1[3];
        p.sendTries = db.aby830Ext1[4];
        s.blockCheck = db.aby830Ext1[6] != 0;
        const auto sv = standardValues(s.blockCheck);
        s.standard = db.wCharDelay == sv.charDelay && db.wAckDelay * 10 == sv.ackDelay &&
                     db.aby830Ext1[3] == sv.connectTries && db.aby830Ext1[4] == sv.sendTries;
    } else {
        p.charDelay = db.wCharDelay * 10L;
        p.connectTries = db.byConnectTries;
        p.sendTries = db.bySendTries;
        s.standard = db.byMode == 1 || db.byMode == 2;
        s.blockCheck = db.byMode == 2 || db.byMode == 4;
    }
    p.ackDelay = db.wAckDelay * 10L;
    s.reactionBaud = reactionWaitEnabled(ctx) && db.wReactionWait != 0;

    auto& a = s.ascii;
    a.charDelay = long{db.wCharDelay};
    a.telegramLen = long{db.wTelegramLen};
    a.dataBits = db.byDataBits;
    a.stopBits = stop;
    a.baudRate = sel.baudRate;
    a.parity = db.byParity;
    const int mask = db.byDataBits == 7 ? 0x7F : 0xFF;  // 7 data bits: the page clears bit 7
    a.recvEnd1 = db.byRecvEnd1 & mask;
    a.recvEnd2 = db.byRecvEnd2 & mask;
    a.sendEnd1 = db.bySendEnd1 & mask;
    a.sendEnd2 = db.bySendEnd2 & mask;
    a.recvEndCount = db.byRecvEndCount == 2 ? 2 : 1;
    a.sendEndCount = db.bySendEndCount == 2 ? 2 : 1;
    if (is830(ctx)) {
        a.sendMode = db.byEndCrit830;
        a.endCriterion = criterionOf830(db.byEndCrit830);
        s.endLink830 = db.byEndLink830 == 0x21 ? 0x21 : 0x20;
    } else {
        a.sendMode = db.bySendMode;
        a.endCriterion = db.byMode >= 1 && db.byMode <= 3 ? db.byMode : 1;
    }

    auto& t = s.trans;
    t.flow = db.byFlowCtrl <= 2 ? static_cast<int>(db.byFlowCtrl) : static_cast<int>(kFlowNone);
    if (!is830(ctx) && rs232(ctx) && db.byV24Signals == 1) t.flow = kFlowV24;
    if ((!rs232(ctx) || is830(ctx)) && t.flow != kFlowXonXoff) t.flow = kFlowNone;
    t.xon = db.byXonChar;
    t.xoff = db.byXoffChar;
    t.xonWait = db.wXonWait * 10L;
    t.rtsOffTime = db.wRtsOffTime * 10L;
    t.outputWait = db.wOutputWait * 10L;

    auto& r = s.recv;
    r.ascii = isAscii(sheet);
    r.bufferedTelegrams = db.byBufferedTelegrams;
    r.noOverwrite = db.byNoOverwrite != 0;
    if (is830(ctx)) {
        // the CP 830 page shows a stored number limited to 1..10, or the whole buffer
        r.wholeBuffer = db.byBufferedTelegrams == 255;
        r.bufferedTelegrams = r.wholeBuffer ? 10 : std::clamp<long>(db.byBufferedTelegrams, 1, 10);
    }
    // RK 512 has no CPU receive box; its receive page neither shows nor checks the DB number.
    r.useCpuBox = is831(ctx) && sheet != Sheet::CP731_Rk512 && db.wRecvDbNo != 0;
    r.dbNo = long{db.wRecvDbNo};
    s.clearRecvBuf = db.byClearRecvBuf != 0;
    s.extErrDisplay = db.byExtErrDisplay != 0 && (!isCP731Family(ctx.moduleType) || extErrDisplayEnabled(ctx));

    auto& pr = s.printer;
    pr.dataBits = db.byDataBits;
    pr.stopBits = stop;
    pr.dataBitsSpin = db.byDataBits;
    pr.stopBitsSpin = stop;
    pr.parity = db.byParity;
    pr.flow = db.byFlowCtrl <= 2 ? static_cast<int>(db.byFlowCtrl) : static_cast<int>(kFlowNone);
    if (!rs232(s.ctx) && pr.flow == kFlowRtsCts) pr.flow = kFlowNone;
    pr.xon = db.byXonChar;
    pr.xoff = db.byXoffChar;
    pr.xonWait = db.wXonWait * 10L;

    s.operatingMode = is830(ctx) ? db.byOpMode830 : (db.byConnectTries == 1 ? 1 : 0);
    if (sheet == Sheet::CP830_Ascii && s.operatingMode > 3) s.operatingMode = 0;
    s.linePreset = s.interfacePage ? openingPreset(sheet, s.operatingMode, db.byLinePreset) : db.byLinePreset;
    return s;
}

// ---- writing back ------------------------------------------------------------------

uint8_t stopCode(std::optional<long> stop) { return static_cast<uint8_t>(stop == 2 ? 3 : 1); }
template <typename T> uint8_t u8(T v) { return static_cast<uint8_t>(v); }
template <typename T> uint16_t u16(T v) { return static_cast<uint16_t>(v); }

// What each page's OK hands back, into the record.
void encodePage(PageKind kind, const State& s, CDb& db) {
    const auto& ctx = s.ctx;
    const int m = ctx.moduleType;
    switch (kind) {
    case K::Protocol:
        if (is3964Like(s.sheet)) {
            const auto& p = s.proto;
            // A CP 730 code its list does not hold opens with no entry selected; unless a
            // rate was chosen since, the stored code stays as it was.
            if (p.baudRate != 0) db.byBaud = u8(baudCode(m, p.baudRate));
            db.byParity = u8(p.parity);
            db.byDataBits = u8(p.dataBits.value_or(7));
            db.byStopBits = stopCode(p.stopBits);
            db.byPriority = u8(p.priority);
            db.wAckDelay = u16(p.ackDelay.value_or(0) / 10);
            if (is830(ctx)) {
                db.aby830Ext1[6] = s.blockCheck ? 3 : 0;
                db.aby830Ext1[3] = u8(p.connectTries.value_or(1));
                db.aby830Ext1[4] = u8(p.sendTries.value_or(1));
                db.wCharDelay = u16(p.charDelay.value_or(0));
            } else {
                db.byMode = u8(s.standard ? (s.blockCheck ? 2 : 1) : (s.blockCheck ? 4 : 3));
                db.byConnectTries = u8(p.connectTries.value_or(1));
                db.bySendTries = u8(p.sendTries.value_or(1));
                db.wCharDelay = u16(p.charDelay.value_or(0) / 10);
            }
            if (s.sheet == Sheet::CP731_Rk512) db.wReactionWait = u16(reactionWait(s));
        } else if (isAscii(s.sheet)) {
            const auto& a = s.ascii;
            db.byBaud = u8(baudCode(m, a.baudRate));
            db.byParity = u8(a.parity);
            db.byDataBits = u8(a.dataBits.value_or(7));
            db.byStopBits = stopCode(a.stopBits);
            db.wCharDelay = u16(a.charDelay.value_or(0));
            db.wTelegramLen = u16(a.telegramLen.value_or(1));
            db.byRecvEnd1 = u8(a.recvEnd1.value_or(0));
            db.byRecvEnd2 = u8(a.recvEnd2.value_or(0));
            db.byRecvEndCount = u8(a.recvEndCount);
            if (is830(ctx)) {
                db.byEndCrit830 = u8(a.sendMode);
                db.byEndLink830 = u8(a.endCriterion == 2 ? s.endLink830 : a.sendMode);
            } else {
                db.byMode = u8(a.endCriterion);
            }
            if (!is730(ctx)) {
                db.bySendEnd1 = u8(a.sendEnd1.value_or(0));
                db.bySendEnd2 = u8(a.sendEnd2.value_or(0));
                db.bySendEndCount = u8(a.sendEndCount);
                if (!is830(ctx)) {
                    db.bySendMode = u8(a.sendMode);
                    if (a.sendMode == 0x22) db.bySendEndCount = 0;
                }
            }
        } else {
            const auto& pr = s.printer;
            db.byBaud = u8(baudCode(m, s.proto.baudRate));
            db.byParity = u8(pr.parity);
            db.byDataBits = u8(pr.dataBits.value_or(pr.dataBitsSpin));
            db.byStopBits = stopCode(pr.stopBits);
            db.byFlowCtrl = u8(pr.flow);
            db.byXonChar = u8(pr.xon.value_or(0));
            db.byXoffChar = u8(pr.xoff.value_or(0));
            db.wXonWait = u16(pr.xonWait.value_or(0) / 10);
        }
        if (is730(ctx)) db.byBreakOff = s.breakMonitoring ? 0 : 1;
        return;
    case K::Transmission: {
        const auto& t = s.trans;
        db.byFlowCtrl = u8(t.flow == kFlowV24 ? 0 : t.flow);
        db.byXonChar = u8(t.xon.value_or(0));
        db.byXoffChar = u8(t.xoff.value_or(0));
        db.wXonWait = u16(t.xonWait.value_or(0) / 10);
        if (!is830(ctx)) {
            db.byV24Signals = t.flow == kFlowV24 ? 1 : 0;
            db.wRtsOffTime = u16(t.rtsOffTime.value_or(0) / 10);
            db.wOutputWait = u16(t.outputWait.value_or(0) / 10);
        }
        return;
    }
    case K::Receive: {
        const auto& r = s.recv;
        db.byClearRecvBuf = s.clearRecvBuf ? 1 : 0;
        if (r.ascii || is830(ctx)) {
            db.byNoOverwrite = r.noOverwrite ? 1 : 0;
            db.byBufferedTelegrams = u8(r.wholeBuffer ? 255 : r.bufferedTelegrams.value_or(1));
        }
        if (is831(ctx) && s.sheet != Sheet::CP731_Rk512) db.wRecvDbNo = u16(storedRecvDbNo(r.useCpuBox, r.dbNo.value_or(0)));
        if (isCP731Family(ctx.moduleType)) db.byExtErrDisplay = s.extErrDisplay ? 1 : 0;
        return;
    }
    case K::Interface:
        if (modeRadios(s.sheet)) {
            if (is830(ctx)) db.byOpMode830 = u8(s.operatingMode);
            else db.byConnectTries = u8(s.operatingMode);
        }
        db.byLinePreset = u8(s.linePreset);
        if (is730(ctx)) db.byBreakOff = s.breakMonitoring ? 0 : 1;
        return;
    }
}

// The values a sheet stores as 0: without an interface page its operating mode and
// receive-line preset, and what the sheet's protocol does not use.
void clearUnused(const State& s, CDb& db) {
    const bool noIface = !s.interfacePage;
    const bool cp831 = is831(s.ctx);
    switch (s.sheet) {
    case Sheet::CP730_3964:
        if (noIface) db.byLinePreset = 0;
        break;
    case Sheet::CP730_Ascii:
        if (noIface) db.byConnectTries = db.byLinePreset = db.bySendTries = 0;
        break;
    case Sheet::CP730_Printer:
        if (noIface) db.byLinePreset = 0;
        db.byConnectTries = db.bySendTries = 0;
        break;
    case Sheet::CP731_3964:
    case Sheet::CP731_Rk512:
        if (noIface) db.byLinePreset = db.byBreakOff = 0;
        break;
    case Sheet::CP731_Ascii:
        if (noIface) {
            db.byLinePreset = db.byBreakOff = 0;
            if (cp831) db.byConnectTries = db.bySendTries = 0;
        }
        break;
    case Sheet::CP731_Printer:
        if (noIface) db.byConnectTries = db.byLinePreset = 0;
        db.bySendTries = 0;
        break;
    case Sheet::CP830_3964:
    case Sheet::CP830_Ascii:
        break;
    }
}


}  // namespace rules::sheet

#include "pages/apply_values.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "pages/baud.h"
#include "resources/strings.h"
#include "widgets/pattern.h"

namespace rules {
namespace {

bool is730(const CheckContext& c) { return c.moduleType == 730; }
bool is830(const CheckContext& c) { return c.moduleType == 830; }
bool is831(const CheckContext& c) { return c.moduleType == 8311 || c.moduleType == 8312; }

std::string trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return std::string(s);
}

// List texts compare without case and blanks, so "XON/XOFF" finds "XON / XOFF".
std::string squeeze(std::string_view s) {
    std::string out;
    for (char c : s)
        if (!std::isspace(static_cast<unsigned char>(c))) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Everything a sheet's pages hold while it is open.
struct SheetState {
    Sheet sheet{};
    CheckContext ctx;
    ProtocolPage3964 proto;
    bool blockCheck = false, standard = false, reactionBaud = false, breakMonitoring = true;
    AsciiPage ascii;
    int endLink830 = 0x20;
    TransmissionPage trans;
    ReceivePage recv;
    bool clearRecvBuf = false, extErrDisplay = false;
    PrinterPage printer;
    bool hasInterfacePage = false;
    int operatingMode = 0, linePreset = 0;
    int leftMargin = 0, linesPerPage = 0, lineEnd = 1;
    bool touchedProto = false, touchedAscii = false, touchedTrans = false, touchedRecv = false,
         touchedPrinter = false, touchedInterface = false, touchedLayout = false;
    int baudOnOpen = 0;  // rate selected when the page opened
};

bool is3964Like(Sheet s) {
    return s == Sheet::CP730_3964 || s == Sheet::CP830_3964 || s == Sheet::CP731_3964 || s == Sheet::CP731_Rk512;
}
bool isAscii(Sheet s) { return s == Sheet::CP730_Ascii || s == Sheet::CP830_Ascii || s == Sheet::CP731_Ascii; }
bool isPrinter(Sheet s) { return s == Sheet::CP730_Printer || s == Sheet::CP731_Printer; }

bool rs232(const CheckContext& c) { return c.interfaceCode == 26 || c.interfaceCode == 81; }

bool interfacePagePresent(Sheet s, const CheckContext& c) {
    switch (s) {
    case Sheet::CP730_3964: case Sheet::CP730_Ascii: case Sheet::CP730_Printer: return c.interfaceCode == 28;
    case Sheet::CP830_3964: case Sheet::CP830_Ascii: return true;
    case Sheet::CP731_3964: case Sheet::CP731_Rk512:
        return (c.moduleType == 731 && c.interfaceCode == 28) || (is831(c) && c.interfaceCode == 66);
    case Sheet::CP731_Ascii: return c.interfaceCode == 66 || (c.moduleType == 731 && c.interfaceCode == 28);
    case Sheet::CP731_Printer: return c.interfaceCode == 28 || c.interfaceCode == 66;
    }
    return false;
}

bool modeRadios(Sheet s) {
    return s == Sheet::CP730_Ascii || s == Sheet::CP830_Ascii || s == Sheet::CP731_Ascii || s == Sheet::CP731_Printer;
}

bool reactionWaitEnabled(const CheckContext& c) {
    return (c.moduleType == 731 && c.productVersion > 1) || (c.moduleType == 8312 && c.productVersion > 4);
}

int reactionWait(const SheetState& s) {
    if (!s.reactionBaud) return 0;
    const auto list = baudRates(s.sheet, s.ctx);
    const auto pos = std::find(list.begin(), list.end(), s.proto.baudRate) - list.begin();
    if (pos == 0) return 10000;
    if (pos == 1) return 7000;
    if (pos <= 6) return 5000;
    return 3000;
}

int criterionOf830(int crit) { return crit == 0x10 ? 1 : (crit >> 4) == 3 ? 3 : (crit >> 4) == 2 ? 2 : 1; }

SheetState open(const CheckContext& ctx, Sheet sheet, const CDb& db, const CDbdr& dr, std::vector<Verdict>& notices) {
    SheetState s;
    s.sheet = sheet;
    s.ctx = ctx;
    s.hasInterfacePage = interfacePagePresent(sheet, ctx);
    auto printerCtx = ctx;
    if (sheet == Sheet::CP731_Printer && ctx.moduleType == 731) {
        // the printer sheet hands CP 731's interface codes over as CP 831's
        printerCtx.interfaceCode = ctx.interfaceCode == 26 ? 81 : ctx.interfaceCode == 27 ? 67 : 66;
        s.ctx = printerCtx;
    }
    BaudSelection sel = selectBaud(sheet, s.ctx, db.byBaud);
    if (sel.verdict.hasMessage()) notices.push_back(sel.verdict);
    s.baudOnOpen = sel.baudRate;
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
        p.charDelay = db.wCharDelay;
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
    a.charDelay = db.wCharDelay;
    a.telegramLen = db.wTelegramLen;
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
    r.wholeBuffer = is830(ctx) && db.byBufferedTelegrams == 255;
    if (r.wholeBuffer) r.bufferedTelegrams = 10;
    // RK 512 has no CPU receive box; its receive page neither shows nor checks the DB number.
    r.useCpuBox = is831(ctx) && sheet != Sheet::CP731_Rk512 && db.wRecvDbNo != 0;
    r.dbNo = db.wRecvDbNo;
    s.clearRecvBuf = db.byClearRecvBuf != 0;
    s.extErrDisplay = db.byExtErrDisplay != 0;

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
    s.linePreset = db.byLinePreset;
    s.leftMargin = dr.byLeftMargin;
    s.linesPerPage = dr.byLinesPerPage;
    s.lineEnd = dr.byLineEnd >= 1 && dr.byLineEnd <= 4 ? dr.byLineEnd : 1;
    return s;
}

// Encodes the touched pages back into the record, as their OK handlers do.
void encode(const SheetState& s, CDb& db, CDbdr& dr) {
    const auto& ctx = s.ctx;
    const int m = ctx.moduleType;
    auto stopCode = [](long stop) { return static_cast<uint8_t>(stop == 2 ? 3 : 1); };
    if (s.touchedProto) {
        const auto& p = s.proto;
        db.byBaud = static_cast<uint8_t>(baudCode(m, p.baudRate));
        db.byParity = static_cast<uint8_t>(p.parity);
        db.byDataBits = static_cast<uint8_t>(*p.dataBits);
        db.byStopBits = stopCode(*p.stopBits);
        db.byPriority = static_cast<uint8_t>(p.priority);
        db.wAckDelay = static_cast<uint16_t>(*p.ackDelay / 10);
        if (is830(ctx)) {
            db.aby830Ext1[6] = s.blockCheck ? 3 : 0;
            db.aby830Ext1[3] = static_cast<uint8_t>(*p.connectTries);
            db.aby830Ext1[4] = static_cast<uint8_t>(*p.sendTries);
            db.wCharDelay = static_cast<uint16_t>(*p.charDelay);
        } else {
            db.byMode = static_cast<uint8_t>(s.standard ? (s.blockCheck ? 2 : 1) : (s.blockCheck ? 4 : 3));
            db.byConnectTries = static_cast<uint8_t>(*p.connectTries);
            db.bySendTries = static_cast<uint8_t>(*p.sendTries);
            db.wCharDelay = static_cast<uint16_t>(*p.charDelay / 10);
        }
        if (s.sheet == Sheet::CP731_Rk512) db.wReactionWait = static_cast<uint16_t>(reactionWait(s));
        if (is730(ctx)) db.byBreakOff = s.breakMonitoring ? 0 : 1;
    }
    if (s.touchedAscii) {
        const auto& a = s.ascii;
        db.byBaud = static_cast<uint8_t>(baudCode(m, a.baudRate));
        db.byParity = static_cast<uint8_t>(a.parity);
        db.byDataBits = static_cast<uint8_t>(*a.dataBits);
        db.byStopBits = stopCode(*a.stopBits);
        db.wCharDelay = static_cast<uint16_t>(*a.charDelay);
        db.wTelegramLen = static_cast<uint16_t>(*a.telegramLen);
        db.byRecvEnd1 = static_cast<uint8_t>(*a.recvEnd1);
        db.byRecvEnd2 = static_cast<uint8_t>(*a.recvEnd2);
        db.byRecvEndCount = static_cast<uint8_t>(a.recvEndCount);
        if (is830(ctx)) {
            db.byEndCrit830 = static_cast<uint8_t>(a.sendMode);
            db.byEndLink830 = static_cast<uint8_t>(a.endCriterion == 2 ? s.endLink830 : a.sendMode);
        } else {
            db.byMode = static_cast<uint8_t>(a.endCriterion);
        }
        if (!is730(ctx)) {
            db.bySendEnd1 = static_cast<uint8_t>(*a.sendEnd1);
            db.bySendEnd2 = static_cast<uint8_t>(*a.sendEnd2);
            db.bySendEndCount = static_cast<uint8_t>(a.sendEndCount);
            if (!is830(ctx)) {
                db.bySendMode = static_cast<uint8_t>(a.sendMode);
                if (a.sendMode == 0x22) db.bySendEndCount = 0;
            }
        }
        if (is730(ctx)) db.byBreakOff = s.breakMonitoring ? 0 : 1;
    }
    if (s.touchedTrans) {
        const auto& t = s.trans;
        db.byFlowCtrl = static_cast<uint8_t>(t.flow == kFlowV24 ? 0 : t.flow);
        db.byXonChar = static_cast<uint8_t>(*t.xon);
        db.byXoffChar = static_cast<uint8_t>(*t.xoff);
        db.wXonWait = static_cast<uint16_t>(*t.xonWait / 10);
        if (!is830(ctx)) {
            db.byV24Signals = t.flow == kFlowV24 ? 1 : 0;
            db.wRtsOffTime = static_cast<uint16_t>(*t.rtsOffTime / 10);
            db.wOutputWait = static_cast<uint16_t>(*t.outputWait / 10);
        }
    }
    if (s.touchedRecv) {
        const auto& r = s.recv;
        db.byClearRecvBuf = s.clearRecvBuf ? 1 : 0;
        if (r.ascii || is830(ctx)) {
            db.byNoOverwrite = r.noOverwrite ? 1 : 0;
            db.byBufferedTelegrams = static_cast<uint8_t>(r.wholeBuffer ? 255 : r.bufferedTelegrams.value_or(1));
        }
        if (is831(ctx) && s.sheet != Sheet::CP731_Rk512)
            db.wRecvDbNo = static_cast<uint16_t>(storedRecvDbNo(r.useCpuBox, r.dbNo.value_or(0)));
        if (!is730(ctx) && !is830(ctx)) db.byExtErrDisplay = s.extErrDisplay ? 1 : 0;
    }
    if (s.touchedPrinter) {
        const auto& pr = s.printer;
        db.byBaud = static_cast<uint8_t>(baudCode(m, s.proto.baudRate));
        db.byParity = static_cast<uint8_t>(pr.parity);
        db.byDataBits = static_cast<uint8_t>(*pr.dataBits);
        db.byStopBits = stopCode(*pr.stopBits);
        db.byFlowCtrl = static_cast<uint8_t>(pr.flow);
        db.byXonChar = static_cast<uint8_t>(*pr.xon);
        db.byXoffChar = static_cast<uint8_t>(*pr.xoff);
        db.wXonWait = static_cast<uint16_t>(*pr.xonWait / 10);
        if (is730(ctx)) db.byBreakOff = s.breakMonitoring ? 0 : 1;
    }
    if (s.touchedInterface) {
        if (modeRadios(s.sheet)) {
            if (is830(ctx))
                db.byOpMode830 = static_cast<uint8_t>(s.operatingMode);
            else
                db.byConnectTries = static_cast<uint8_t>(s.operatingMode);
        }
        db.byLinePreset = static_cast<uint8_t>(s.linePreset);
        if (is730(ctx)) db.byBreakOff = s.breakMonitoring ? 0 : 1;
    }
    if (s.touchedLayout) {
        dr.byLeftMargin = static_cast<uint8_t>(s.leftMargin);
        dr.byLinesPerPage = static_cast<uint8_t>(s.linesPerPage);
        dr.byLineEnd = static_cast<uint8_t>(s.lineEnd);
    }
}

// ---- taking one value --------------------------------------------------------------

Verdict notTaken(std::string text) {
    Verdict v;
    v.accepted = false;
    v.plainText = std::move(text);
    return v;
}

class Taker {
public:
    Taker(SheetState& s, const std::string& name, const std::string& value) : s_(s), name_(name), value_(value) {}

    // nullopt: taken; otherwise the refusal.
    std::optional<Verdict> take();

private:
    const CheckContext& ctx() const { return s_.ctx; }

    std::optional<Verdict> badValue(const std::string& why = {}) const {
        std::string t = "Der Wert \"" + value_ + "\" ist für " + name_ + " nicht zulässig.";
        if (!why.empty()) t += " " + why;
        return notTaken(t);
    }
    std::optional<Verdict> notHere() const {
        return notTaken(name_ + " kann bei diesem Modul und Protokoll nicht eingestellt werden.");
    }
    std::optional<Verdict> disabled() const {
        return notTaken(name_ + " ist in dieser Einstellung gesperrt und kann nicht geändert werden.");
    }

    // The text as the field would hold it: the field's pattern decides what can be typed.
    bool fits(const char* pattern) const {
        return ptp::matchPattern(pattern, value_) != ptp::MatchResult::Invalid;
    }
    std::optional<Verdict> number(const char* pattern, std::optional<long>& out) {
        if (!fits(pattern)) return badValue();
        out = readNumber(value_);
        return std::nullopt;
    }
    std::optional<Verdict> hex(const char* pattern, std::optional<int>& out) {
        if (!fits(pattern)) return badValue("Zeichen werden hexadezimal angegeben.");
        out = readHex(value_);
        return std::nullopt;
    }
    // A field check's refusal; the field keeps nothing of this run.
    static std::optional<Verdict> field(const Verdict& v) {
        if (v.accepted) return std::nullopt;
        return v;
    }
    std::optional<int> choice(const std::vector<std::string>& texts) const {
        const std::string want = squeeze(value_);
        for (size_t i = 0; i < texts.size(); ++i)
            if (squeeze(texts[i]) == want) return static_cast<int>(i);
        return std::nullopt;
    }
    std::optional<int> flag() const {
        if (value_ == "0") return 0;
        if (value_ == "1") return 1;
        return std::nullopt;
    }
    std::optional<long> code() const {
        if (value_.empty()) return std::nullopt;
        char* end = nullptr;
        long v = std::strtol(value_.c_str(), &end, 0);
        if (*end != '\0' || v < 0 || v > 255) return std::nullopt;
        return v;
    }

    std::optional<Verdict> takeBaud();
    std::optional<Verdict> takeParity(int& parity);
    std::optional<Verdict> takeBreakOff();
    std::optional<Verdict> takeProto();
    std::optional<Verdict> takeAscii();
    std::optional<Verdict> takeTrans();
    std::optional<Verdict> takeRecv();
    std::optional<Verdict> takePrinter();
    std::optional<Verdict> takeInterface();
    std::optional<Verdict> takeLayout();

    SheetState& s_;
    std::string name_;
    std::string value_;
};

std::optional<Verdict> Taker::takeBaud() {
    const auto list = baudRates(s_.sheet, ctx());
    char* end = nullptr;
    const long rate = std::strtol(value_.c_str(), &end, 10);
    if (value_.empty() || *end != '\0' || std::find(list.begin(), list.end(), rate) == list.end()) {
        std::string rates;
        for (int r : list) rates += (rates.empty() ? "" : ", ") + std::to_string(r);
        return badValue("Mögliche Baudraten: " + rates + ".");
    }
    s_.proto.baudRate = s_.ascii.baudRate = static_cast<int>(rate);
    return std::nullopt;
}

// BREAK monitoring of the CP 730, the same on each of its pages; not on RS 422/485.
std::optional<Verdict> Taker::takeBreakOff() {
    if (ctx().interfaceCode == 28) return disabled();
    auto f = flag();
    if (!f) return badValue();
    s_.breakMonitoring = *f == 0;
    return std::nullopt;
}

std::optional<Verdict> Taker::takeParity(int& parity) {
    std::vector<std::string> texts = {res::text(10452), res::text(10453), res::text(10454)};
    if (is730(ctx())) texts.push_back(res::text(10455));
    auto c = choice(texts);
    if (!c) return badValue();
    parity = *c;
    return std::nullopt;
}

std::optional<Verdict> Taker::takeProto() {
    auto& p = s_.proto;
    const std::string& n = name_;
    s_.touchedProto = true;
    if (n == "byBaud") return takeBaud();
    if (n == "byParity") return takeParity(p.parity);
    if (n == "byPriority") {
        auto c = choice({res::text(10450), res::text(10451)});
        if (!c) return badValue();
        p.priority = *c;
        return std::nullopt;
    }
    if (n == "byDataBits") {
        if (p.rk512) return value_ == "8" ? std::nullopt : disabled();
        if (auto r = number("[7-8]{1}", p.dataBits)) return r;
        return field(checkDataBits(p.dataBits, 7));
    }
    if (n == "byStopBits") {
        if (auto r = number("[1-2]{1}", p.stopBits)) return r;
        return field(checkStopBits(p.stopBits));
    }
    if (n == "byMode") {
        // CP 830 keeps no byMode: the same two checkboxes, block check goes into its own byte
        // and the standard values are recognised from the four values.
        auto c = code();
        if (!c || *c < 1 || *c > 4) return badValue("1 bis 4: Standardwerte mit (2) oder ohne (1) Blockcheck, eigene Werte mit (4) oder ohne (3) Blockcheck.");
        s_.standard = *c <= 2;
        s_.blockCheck = *c == 2 || *c == 4;
        if (s_.standard) {
            const auto sv = standardValues(s_.blockCheck);
            p.charDelay = sv.charDelay;
            p.ackDelay = sv.ackDelay;
            p.connectTries = sv.connectTries;
            p.sendTries = sv.sendTries;
        }
        return std::nullopt;
    }
    const bool parameter = n == "wCharDelay" || n == "wAckDelay" || n == "byConnectTries" || n == "bySendTries";
    if (parameter && s_.standard) return disabled();
    if (n == "wCharDelay") {
        if (auto r = number("[1-9][0-9]{5}", p.charDelay)) return r;
        return field(checkCharDelay3964(p.charDelay, p.baudRate));
    }
    if (n == "wAckDelay") {
        if (auto r = number("[1-9][0-9]{5}", p.ackDelay)) return r;
        return field(checkAckDelay3964(p.ackDelay, p.baudRate));
    }
    if (n == "byConnectTries") {
        if (auto r = number("[1-9][0-9]{2}", p.connectTries)) return r;
        return field(checkConnectTries(p.connectTries));
    }
    if (n == "bySendTries") {
        if (auto r = number("[1-9][0-9]{2}", p.sendTries)) return r;
        return field(checkSendTries(p.sendTries));
    }
    if (n == "wReactionWait" && s_.sheet == Sheet::CP731_Rk512) {
        if (!reactionWaitEnabled(ctx())) return value_ == "0" ? std::nullopt : disabled();
        auto v = readNumber(value_);
        if (!v || !fits("[0-9]{1,5}")) return badValue();
        s_.reactionBaud = *v != 0;
        return std::nullopt;
    }
    if (n == "byBreakOff" && is730(ctx())) return takeBreakOff();
    s_.touchedProto = false;
    return notHere();
}

std::optional<Verdict> Taker::takeAscii() {
    auto& a = s_.ascii;
    const std::string& n = name_;
    const bool senderAvailable = is830(ctx()) || (!is730(ctx()) && ctx().extended);
    s_.touchedAscii = true;
    if (n == "byBaud") return takeBaud();
    if (n == "byParity") return takeParity(a.parity);
    if (n == "byDataBits") {
        if (auto r = number("[7-8]{1}", a.dataBits)) return r;
        return field(checkDataBits(a.dataBits, 7));
    }
    if (n == "byStopBits") {
        if (auto r = number("[1-2]{1}", a.stopBits)) return r;
        return field(checkStopBits(a.stopBits));
    }
    if (n == "wCharDelay") {
        if (auto r = number("[1-9][0-9]{4}", a.charDelay)) return r;
        const int m = minCharDelayAscii(ctx(), a.baudRate, static_cast<int>(a.dataBits.value_or(7)),
                                        static_cast<int>(a.stopBits.value_or(1)), a.parity);
        return field(checkCharDelayAscii(a.charDelay, m));
    }
    if (n == "wTelegramLen") {
        if (auto r = number(is830(ctx()) ? "[1-9][0-9]{2}" : "[1-9][0-9]{3}", a.telegramLen)) return r;
        return field(checkTelegramLen(a.telegramLen, maxTelegramLen(ctx())));
    }
    struct EndChar {
        const char* name;
        std::optional<int>* slot;
        Field field;
        bool sender;
    };
    const EndChar ends[] = {{"byRecvEnd1", &a.recvEnd1, Field::RecvEnd1, false},
                            {"byRecvEnd2", &a.recvEnd2, Field::RecvEnd2, false},
                            {"bySendEnd1", &a.sendEnd1, Field::SendEnd1, true},
                            {"bySendEnd2", &a.sendEnd2, Field::SendEnd2, true}};
    for (const auto& e : ends) {
        if (n != e.name) continue;
        if (e.sender && !senderAvailable) break;
        if (auto r = hex("[a-fA-F0-9]{2}", *e.slot)) return r;
        return field(checkEndChar(*e.slot, e.field));
    }
    if (n == "byRecvEndCount" || (n == "bySendEndCount" && senderAvailable)) {
        auto c = code();
        if (!c || (*c != 1 && *c != 2)) return badValue();
        (n == "byRecvEndCount" ? a.recvEndCount : a.sendEndCount) = static_cast<int>(*c);
        return std::nullopt;
    }
    if (n == "byMode" && !is830(ctx())) {
        auto c = code();
        if (!c || *c < 1 || *c > 3) return badValue("1 Zeichenverzugszeit, 2 Endezeichen, 3 feste Zeichenanzahl.");
        a.endCriterion = static_cast<int>(*c);
        if (is730(ctx())) return std::nullopt;
        // the radios set the send mode as they do when clicked
        if (a.endCriterion == 1) a.sendMode = 0;
        else if (a.endCriterion == 2)
            a.sendMode = !ctx().extended ? 0x20 : (a.sendMode == 0x22 || a.sendMode == 0x23) ? a.sendMode : 0x21;
        else
            a.sendMode = a.sendMode == 0x31 ? 0x31 : 0x30;
        return std::nullopt;
    }
    if (n == "bySendMode" && !is730(ctx()) && !is830(ctx())) {
        if (!ctx().extended) return notHere();
        auto c = code();
        const bool ends2 = a.endCriterion == 2 && c && (*c == 0x21 || *c == 0x22 || *c == 0x23);
        const bool fixed = a.endCriterion == 3 && c && (*c == 0x30 || *c == 0x31);
        if (!ends2 && !fixed)
            return badValue("Bei Endezeichen 0x21, 0x22 oder 0x23, bei fester Zeichenanzahl 0x30 oder 0x31.");
        a.sendMode = static_cast<int>(*c);
        return std::nullopt;
    }
    if (n == "byEndCrit830" && is830(ctx())) {
        auto c = code();
        static constexpr int kCodes[] = {0x10, 0x20, 0x21, 0x22, 0x30, 0x31};
        if (!c || std::find(std::begin(kCodes), std::end(kCodes), *c) == std::end(kCodes)) return badValue();
        a.sendMode = static_cast<int>(*c);
        a.endCriterion = criterionOf830(a.sendMode);
        return std::nullopt;
    }
    if (n == "byEndLink830" && is830(ctx())) {
        auto c = choice({res::text(10589), res::text(10519)});
        if (!c) return badValue();
        if (a.endCriterion != 2 || a.recvEndCount != 2) return disabled();
        s_.endLink830 = *c == 0 ? 0x20 : 0x21;
        return std::nullopt;
    }
    if (n == "byBreakOff" && is730(ctx())) return takeBreakOff();
    s_.touchedAscii = false;
    return notHere();
}

std::optional<Verdict> Taker::takeTrans() {
    auto& t = s_.trans;
    const std::string& n = name_;
    const bool rs = rs232(ctx()) && !is830(ctx());
    s_.touchedTrans = true;
    if (n == "byFlowCtrl") {
        auto c = choice({"Keine", "XON / XOFF", "RTS / CTS", "Automat. Bedienung der V24-Signale"});
        if (!c) {
            auto k = code();
            if (!k || *k > 2) return badValue();
            c = static_cast<int>(*k);
        }
        if (*c >= kFlowRtsCts && !rs) return badValue("Nur bei RS 232.");
        t.flow = *c;
        return std::nullopt;
    }
    if (n == "byV24Signals" && !is830(ctx())) {
        auto f = flag();
        if (!f) return badValue();
        if (*f && !rs) return badValue("Nur bei RS 232.");
        if (*f) t.flow = kFlowV24;
        else if (t.flow == kFlowV24) t.flow = kFlowNone;
        return std::nullopt;
    }
    if (n == "byXonChar" || n == "byXoffChar") {
        auto& slot = n == "byXonChar" ? t.xon : t.xoff;
        if (auto r = hex("[a-fA-F0-9]{1,2}", slot)) return r;
        return field(checkXonXoffChar(slot, n == "byXonChar" ? Field::Xon : Field::Xoff));
    }
    if (n == "wXonWait") {
        if (auto r = number("[1-9][0-9]{5}", t.xonWait)) return r;
        return field(checkXonWait(t.xonWait, false));
    }
    if ((n == "wRtsOffTime" || n == "wOutputWait") && !is830(ctx())) {
        auto& slot = n == "wRtsOffTime" ? t.rtsOffTime : t.outputWait;
        if (auto r = number("[0-9]{6}", slot)) return r;
        return field(n == "wRtsOffTime" ? checkRtsOffTime(slot) : checkOutputWait(slot));
    }
    s_.touchedTrans = false;
    return notHere();
}

std::optional<Verdict> Taker::takeRecv() {
    auto& r = s_.recv;
    const std::string& n = name_;
    const auto& c = ctx();
    s_.touchedRecv = true;
    if (n == "byBufferedTelegrams" && (r.ascii || is830(c))) {
        if (is830(c)) {
            if (value_ == "255") {
                r.wholeBuffer = true;
                return std::nullopt;
            }
            if (auto x = number("[1-9][0-9]{1}", r.bufferedTelegrams)) return x;
            r.wholeBuffer = false;
            return field(checkBufferedTelegrams(r.bufferedTelegrams, 830));
        }
        if (!r.noOverwrite) return disabled();
        if (auto x = number("[1-9][0-9]{2}", r.bufferedTelegrams)) return x;
        if (auto x = field(checkBufferedTelegrams(r.bufferedTelegrams, c.moduleType))) return x;
        auto change = onBufferedTelegramsChanged(c, r.bufferedTelegrams, r.noOverwrite);
        if (change.clearUnchecked) s_.clearRecvBuf = false;
        return std::nullopt;
    }
    if (n == "byNoOverwrite" && (r.ascii || is830(c))) {
        auto f = flag();
        if (!f) return badValue();
        if (is830(c)) {
            r.noOverwrite = *f;
            return std::nullopt;
        }
        auto click = onNoOverwriteClicked(*f, r.bufferedTelegrams.value_or(1));
        if (click.verdict.hasMessage()) return click.verdict;
        r.noOverwrite = click.noOverwrite;
        return std::nullopt;
    }
    if (n == "byClearRecvBuf") {
        auto f = flag();
        if (!f) return badValue();
        bool enabled = true;
        if (r.ascii && !is830(c))
            enabled = onBufferedTelegramsChanged(c, r.bufferedTelegrams, r.noOverwrite).clearEnabled;
        else if (!r.ascii && !is730(c) && !is830(c))
            enabled = false;  // 3964(R) and RK 512 of CP 731/831 only show it
        if (!enabled) return *f == (s_.clearRecvBuf ? 1 : 0) ? std::nullopt : disabled();
        s_.clearRecvBuf = *f;
        return std::nullopt;
    }
    if (n == "wRecvDbNo" && is831(c) && s_.sheet != Sheet::CP731_Rk512) {
        if (value_ == "0") {
            r.useCpuBox = false;
            return std::nullopt;
        }
        if (auto x = number("[0-9]{5}", r.dbNo)) return x;
        r.useCpuBox = true;
        return field(checkRecvDbNo(r.dbNo));
    }
    if (n == "byExtErrDisplay" && !is730(c) && !is830(c)) {
        auto f = flag();
        if (!f) return badValue();
        if (!(c.moduleType == 731 && c.productVersion > 1)) return *f == 0 ? std::nullopt : disabled();
        s_.extErrDisplay = *f;
        return std::nullopt;
    }
    s_.touchedRecv = false;
    return notHere();
}

std::optional<Verdict> Taker::takePrinter() {
    auto& p = s_.printer;
    const std::string& n = name_;
    s_.touchedPrinter = true;
    if (n == "byBaud") return takeBaud();
    if (n == "byParity") return takeParity(p.parity);
    if (n == "byDataBits") {
        if (auto r = number("[7-8]{1}", p.dataBits)) return r;
        return field(checkDataBits(p.dataBits, p.dataBitsSpin));
    }
    if (n == "byStopBits") {
        if (auto r = number("[1-2]{1}", p.stopBits)) return r;
        return field(checkStopBits(p.stopBits, p.stopBitsSpin));
    }
    if (n == "byFlowCtrl") {
        auto c = choice({"Keine", "XON / XOFF", "RTS / CTS"});
        if (!c) {
            auto k = code();
            if (!k || *k > 2) return badValue();
            c = static_cast<int>(*k);
        }
        if (*c == kFlowRtsCts && !rs232(ctx())) return badValue("Nur bei RS 232.");
        p.flow = *c;
        return std::nullopt;
    }
    if (n == "byXonChar" || n == "byXoffChar") {
        auto& slot = n == "byXonChar" ? p.xon : p.xoff;
        if (auto r = hex("[a-fA-F0-9]{1,2}", slot)) return r;
        return field(checkXonXoffChar(slot, n == "byXonChar" ? Field::Xon : Field::Xoff));
    }
    if (n == "wXonWait") {
        if (auto r = number("[1-9][0-9]{5}", p.xonWait)) return r;
        return field(checkXonWait(p.xonWait, true));
    }
    if (n == "byBreakOff" && is730(ctx())) return takeBreakOff();
    s_.touchedPrinter = false;
    return notHere();
}

InterfacePage interfacePageOf(Sheet s) {
    switch (s) {
    case Sheet::CP730_Ascii: return InterfacePage::CP730Ascii;
    case Sheet::CP730_3964: case Sheet::CP730_Printer: return InterfacePage::CP730;
    case Sheet::CP830_3964: return InterfacePage::CP830_3964;
    case Sheet::CP830_Ascii: return InterfacePage::CP830Ascii;
    default: return InterfacePage::CP731;
    }
}

std::optional<Verdict> Taker::takeInterface() {
    const std::string& n = name_;
    const bool opModeName = is830(ctx()) ? n == "byOpMode830" : n == "byConnectTries";
    if (!s_.hasInterfacePage || !(opModeName || n == "byLinePreset")) return notHere();
    if (opModeName && !modeRadios(s_.sheet)) return notHere();
    s_.touchedInterface = true;
    auto c = code();
    const InterfacePage page = interfacePageOf(s_.sheet);
    if (opModeName) {
        const long last = is830(ctx()) ? 3 : 1;
        if (!c || *c > last) return badValue();
        s_.operatingMode = static_cast<int>(*c);
        PresetState st = onOperatingMode(page, s_.operatingMode, s_.linePreset);
        s_.linePreset = st.preset;
        if (st.breakMonitoring) s_.breakMonitoring = *st.breakMonitoring;
        return std::nullopt;
    }
    if (!c || *c > 2) return badValue("0 keine, 1 R(A) 5 Volt, 2 R(A) 0 Volt.");
    PresetState st = onOperatingMode(page, s_.operatingMode, s_.linePreset);
    const bool enabled = *c == 0 ? st.noneEnabled : *c == 1 ? st.fiveVoltEnabled : st.zeroVoltEnabled;
    if (!enabled) return disabled();
    s_.linePreset = static_cast<int>(*c);
    if (auto b = breakMonitoringForPreset(ctx(), s_.linePreset)) s_.breakMonitoring = *b;
    return std::nullopt;
}

std::optional<Verdict> Taker::takeLayout() {
    if (!isPrinter(s_.sheet)) return notHere();
    s_.touchedLayout = true;
    const std::string& n = name_;
    std::optional<long> v;
    if (n == "byLeftMargin" || n == "byLinesPerPage") {
        if (auto r = number("[0-9]{3}", v)) return r;
        const bool left = n == "byLeftMargin";
        Verdict f = left ? checkLeftMargin(v, s_.leftMargin) : checkLinesPerPage(v, s_.linesPerPage);
        if (!f.accepted) return f;
        (left ? s_.leftMargin : s_.linesPerPage) = f.value;
        return std::nullopt;
    }
    if (n == "byLineEnd") {
        auto c = choice({"CR", "LF", "CR LF", "LF CR"});
        if (!c) return badValue();
        s_.lineEnd = *c + 1;
        return std::nullopt;
    }
    s_.touchedLayout = false;
    return notHere();
}

std::optional<Verdict> Taker::take() {
    std::string n = name_;
    if (n.rfind("CDbdr.", 0) == 0) {
        name_ = n.substr(6);
        return takeLayout();
    }
    if (n.rfind("CDb.", 0) == 0) name_ = n.substr(4);
    const Sheet sh = s_.sheet;
    static const char* const kInterfaceNames[] = {"byLinePreset", "byOpMode830"};
    for (const char* in : kInterfaceNames)
        if (name_ == in) return takeInterface();
    if (is3964Like(sh)) {
        static const char* const kRecv[] = {"byClearRecvBuf", "wRecvDbNo", "byExtErrDisplay",
                                            "byNoOverwrite", "byBufferedTelegrams"};
        for (const char* r : kRecv)
            if (name_ == r) {
                if (sh == Sheet::CP731_Rk512 && name_ == "wRecvDbNo") return notHere();
                if (sh != Sheet::CP830_3964 && (name_ == "byNoOverwrite" || name_ == "byBufferedTelegrams"))
                    return notHere();
                return takeRecv();
            }
        return takeProto();
    }
    if (isAscii(sh)) {
        if (name_ == "byConnectTries") return takeInterface();
        static const char* const kTrans[] = {"byFlowCtrl", "byV24Signals", "byXonChar", "byXoffChar",
                                             "wXonWait", "wRtsOffTime", "wOutputWait"};
        for (const char* t : kTrans)
            if (name_ == t) return takeTrans();
        static const char* const kRecv[] = {"byClearRecvBuf", "wRecvDbNo", "byExtErrDisplay",
                                            "byNoOverwrite", "byBufferedTelegrams"};
        for (const char* r : kRecv)
            if (name_ == r) return takeRecv();
        return takeAscii();
    }
    if (name_ == "byConnectTries") return takeInterface();
    return takePrinter();
}

}  // namespace

std::optional<NameValue> parseAssignment(std::string_view text) {
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    NameValue nv{trim(text.substr(0, eq)), trim(text.substr(eq + 1))};
    if (nv.name.empty()) return std::nullopt;
    return nv;
}

ApplyResult applyValues(const CheckContext& ctx, int protocol, const CDb& db, const CDbdr& dr,
                        const std::vector<NameValue>& values) {
    ApplyResult out;
    out.db = db;
    out.dr = dr;
    auto refuse = [&](Verdict v, const std::string& name) {
        v.accepted = false;
        out.ok = false;
        out.refusal = v;
        out.text = messageText(v);
        out.name = name;
        out.db = db;
        out.dr = dr;
        return out;
    };
    const auto sheet = sheetFor(ctx.moduleType, protocol);
    if (!sheet) {
        if (values.empty()) {
            out.ok = true;
            return out;
        }
        return refuse(notTaken("Für dieses Modul und Protokoll gibt es keine Parameterseiten."), values.front().name);
    }
    if (ctx.readOnly && !values.empty())
        return refuse(notTaken("Im Online-Betrieb können die Parameter nicht geändert werden."), values.front().name);

    std::vector<Verdict> notices;
    SheetState s = open(ctx, *sheet, db, dr, notices);
    for (const auto& nv : values) {
        Taker taker(s, nv.name, nv.value);
        if (auto r = taker.take()) return refuse(*r, nv.name);
    }
    // A stored baud code the list does not hold was replaced on opening (9600, or 19200 on a
    // TTY printer); the page holding the list takes that rate over on OK like any other value.
    if (baudCode(s.ctx.moduleType, s.baudOnOpen) != db.byBaud && s.baudOnOpen != 0) {
        if (is3964Like(*sheet)) s.touchedProto = true;
        else if (isAscii(*sheet)) s.touchedAscii = true;
        else s.touchedPrinter = true;
    }

    // The touched pages' checks in page order, then the sheet's.
    auto step = [&](bool touched, auto&& check) -> std::optional<Verdict> {
        if (!touched) return std::nullopt;
        Verdict v = check();
        if (v.accepted) return std::nullopt;
        return v;
    };
    std::optional<Verdict> bad;
    if (is3964Like(*sheet)) {
        bad = step(s.touchedProto, [&] { return checkProtocolPage3964(s.ctx, s.proto); });
        if (!bad) bad = step(s.touchedRecv, [&] { return checkReceivePage(s.ctx, s.recv); });
    } else if (isAscii(*sheet)) {
        bad = step(s.touchedAscii, [&] { return checkAsciiPage(s.ctx, s.ascii); });
        if (!bad) bad = step(s.touchedTrans, [&] { return checkTransmissionPage(s.ctx, s.trans); });
        if (!bad) bad = step(s.touchedRecv, [&] { return checkReceivePage(s.ctx, s.recv); });
        if (!bad) bad = step(true, [&] { return checkAsciiSheet(s.ctx, s.ascii, s.trans, s.recv, s.operatingMode); });
    } else {
        bad = step(s.touchedPrinter, [&] { return checkPrinterPage(s.ctx, s.printer); });
        // The layout dialog's OK: its header and footer lines are those already stored.
        if (!bad)
            bad = step(s.touchedLayout, [&] {
                return checkPageLayout(s.linesPerPage, dr.byHeaderLines >= 1, dr.byHeaderLines >= 2,
                                       dr.byFooterLines >= 1, dr.byFooterLines >= 2)
                    .verdict;
            });
    }
    if (bad) return refuse(*bad, {});

    encode(s, out.db, out.dr);
    if (is3964Like(*sheet)) {
        Verdict hint = priorityHint(ctx, s.touchedProto ? s.proto.priority : db.byPriority);
        if (hint.hasMessage()) notices.push_back(hint);
    }
    out.notices = std::move(notices);
    out.ok = true;
    return out;
}

}  // namespace rules

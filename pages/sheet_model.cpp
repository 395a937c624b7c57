#include "pages/sheet_model.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "resources/strings.h"
#include "widgets/pattern.h"

namespace rules {

// Everything a sheet's pages hold while it is open, in page units.
struct SheetModel::State {
    Sheet sheet{};
    CheckContext ctx;  // the printer sheet of a CP 731 sees its interface as a CP 831's
    ProtocolPage3964 proto;
    bool blockCheck = false, standard = false, reactionBaud = false, breakMonitoring = true;
    AsciiPage ascii;
    int endLink830 = 0x20;
    TransmissionPage trans;
    ReceivePage recv;
    bool clearRecvBuf = false, extErrDisplay = false;
    PrinterPage printer;
    bool interfacePage = false;
    int operatingMode = 0, linePreset = 0;
};

namespace {

using State = SheetModel::State;

bool is730(const CheckContext& c) { return c.moduleType == kCP730; }
bool is830(const CheckContext& c) { return c.moduleType == kCP830; }
bool is831(const CheckContext& c) { return isCP831(c.moduleType); }
bool rs232(const CheckContext& c) { return isRs232(c.interfaceCode); }

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

// The receive-line preset as the interface page shows it on opening.
int openingPreset(Sheet sheet, int mode, int preset) {
    switch (interfacePageOf(sheet)) {
    case InterfacePage::CP730:
    case InterfacePage::CP730Ascii:
        return preset == 0 ? 1 : preset;
    case InterfacePage::CP830_3964:
        return preset == 0 || preset == 2 ? preset : 1;
    case InterfacePage::CP830Ascii:
        if (mode == 1 && preset == 1) return 0;
        if (mode == 2) return 2;
        return preset <= 2 ? preset : 1;
    case InterfacePage::CP731:
        if (mode == 1 && preset == 1) return 2;
        return preset <= 2 ? preset : 1;
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

// ---- the fields ------------------------------------------------------------------

enum Family : unsigned { F3964 = 1, FAscii = 2, FPrinter = 4, FAll = 7 };

struct Entry {
    FieldInfo info;
    unsigned families;
};

using K = PageKind;
using U = Unit;

// Page order; within a page the choices come before the values whose limits or enabling
// they decide, so that values given together are judged against each other.
const Entry kFields[] = {
    // 3964(R) and RK 512 protocol page
    {{"byMode", K::Protocol, U::Code, "mit Blockcheck / Standardwerte verwenden"}, F3964},
    {{"byBaud", K::Protocol, U::BitsPerSecond, "Baudrate"}, F3964},
    {{"byParity", K::Protocol, U::Choice, "Parität"}, F3964},
    {{"byDataBits", K::Protocol, U::Count, "Datenbits"}, F3964},
    {{"byStopBits", K::Protocol, U::Count, "Stopbits"}, F3964},
    {{"byPriority", K::Protocol, U::Choice, "Priorität"}, F3964},
    {{"wReactionWait", K::Protocol, U::Milliseconds, "baudratenabhängig (maximale Wartezeit)"}, F3964},
    {{"wCharDelay", K::Protocol, U::Milliseconds, "Zeichenverzugszeit"}, F3964},
    {{"wAckDelay", K::Protocol, U::Milliseconds, "Quittungsverzugszeit"}, F3964},
    {{"byConnectTries", K::Protocol, U::Count, "Aufbauversuche"}, F3964},
    {{"bySendTries", K::Protocol, U::Count, "Übertragungsversuche"}, F3964},
    {{"byBreakOff", K::Protocol, U::Code, "BREAK Überwachung aktivieren (0 ein, 1 aus)"}, F3964},
    // ASCII page
    {{"byMode", K::Protocol, U::Code, "Endeerkennung eines Empfangstelegramms"}, FAscii},
    {{"byEndCrit830", K::Protocol, U::Code, "Endeerkennung und Senden mit Endezeichen"}, FAscii},
    {{"bySendMode", K::Protocol, U::Code, "Senden mit Endezeichen / Sendepause"}, FAscii},
    {{"byBaud", K::Protocol, U::BitsPerSecond, "Baudrate"}, FAscii},
    {{"byParity", K::Protocol, U::Choice, "Parität"}, FAscii},
    {{"byDataBits", K::Protocol, U::Count, "Datenbits"}, FAscii},
    {{"byStopBits", K::Protocol, U::Count, "Stopbits"}, FAscii},
    {{"wCharDelay", K::Protocol, U::Milliseconds, "Zeichenverzugszeit"}, FAscii},
    {{"wTelegramLen", K::Protocol, U::Count, "Telegrammlänge"}, FAscii},
    {{"byRecvEndCount", K::Protocol, U::Code, "2. Endezeichen Empfänger (1 oder 2 Zeichen)"}, FAscii},
    {{"byRecvEnd1", K::Protocol, U::Hex, "1. Endezeichen Empfänger"}, FAscii},
    {{"byRecvEnd2", K::Protocol, U::Hex, "2. Endezeichen Empfänger"}, FAscii},
    {{"byEndLink830", K::Protocol, U::Choice, "Verknüpfung der Endezeichen"}, FAscii},
    {{"bySendEndCount", K::Protocol, U::Code, "2. Endezeichen Sender (1 oder 2 Zeichen)"}, FAscii},
    {{"bySendEnd1", K::Protocol, U::Hex, "1. Endezeichen Sender"}, FAscii},
    {{"bySendEnd2", K::Protocol, U::Hex, "2. Endezeichen Sender"}, FAscii},
    {{"byBreakOff", K::Protocol, U::Code, "BREAK Überwachung aktivieren (0 ein, 1 aus)"}, FAscii},
    // printer page
    {{"byBaud", K::Protocol, U::BitsPerSecond, "Baudrate"}, FPrinter},
    {{"byParity", K::Protocol, U::Choice, "Parität"}, FPrinter},
    {{"byDataBits", K::Protocol, U::Count, "Datenbits"}, FPrinter},
    {{"byStopBits", K::Protocol, U::Count, "Stopbits"}, FPrinter},
    {{"byFlowCtrl", K::Protocol, U::Choice, "Datenflusskontrolle"}, FPrinter},
    {{"byXonChar", K::Protocol, U::Hex, "XON-Zeichen"}, FPrinter},
    {{"byXoffChar", K::Protocol, U::Hex, "XOFF-Zeichen"}, FPrinter},
    {{"wXonWait", K::Protocol, U::Milliseconds, "Warten auf XON nach XOFF"}, FPrinter},
    {{"byBreakOff", K::Protocol, U::Code, "BREAK Überwachung aktivieren (0 ein, 1 aus)"}, FPrinter},
    // transmission page (ASCII)
    {{"byFlowCtrl", K::Transmission, U::Choice, "Datenflusskontrolle"}, FAscii},
    {{"byXonChar", K::Transmission, U::Hex, "XON-Zeichen"}, FAscii},
    {{"byXoffChar", K::Transmission, U::Hex, "XOFF-Zeichen"}, FAscii},
    {{"wXonWait", K::Transmission, U::Milliseconds, "Warten auf XON nach XOFF"}, FAscii},
    {{"wRtsOffTime", K::Transmission, U::Milliseconds, "RTS-Wegnahmezeit"}, FAscii},
    {{"wOutputWait", K::Transmission, U::Milliseconds, "Datenausgabewartezeit"}, FAscii},
    // receive page
    {{"byNoOverwrite", K::Receive, U::Flag, "Überschreiben verhindern"}, F3964 | FAscii},
    {{"byBufferedTelegrams", K::Receive, U::Count, "Gepufferte Empfangstelegramme"}, F3964 | FAscii},
    {{"byClearRecvBuf", K::Receive, U::Flag, "CP-Empfangspuffer im Anlauf löschen"}, F3964 | FAscii},
    {{"wRecvDbNo", K::Receive, U::Count, "CPU-Empfangsfach: DB-Nummer (0 kein Empfangsfach)"}, F3964 | FAscii},
    {{"byExtErrDisplay", K::Receive, U::Flag, "Empfangsfehler am FB anzeigen"}, F3964 | FAscii},
    // interface page
    {{"byConnectTries", K::Interface, U::Code, "Betriebsart (0 Vollduplex, 1 Halbduplex)"}, FAscii | FPrinter},
    {{"byOpMode830", K::Interface, U::Code, "Betriebsart (0 Punkt zu Punkt, 1 Halbduplex, 2 Master, 3 Slave)"}, FAscii},
    {{"byLinePreset", K::Interface, U::Code, "Vorbelegung der Empfangsleitung (0 keine, 1 R(A) 5 V, 2 R(A) 0 V)"},
     FAll},
};

unsigned familyOf(Sheet s) { return is3964Like(s) ? F3964 : isAscii(s) ? FAscii : FPrinter; }

// Whether the sheet of this module has the field at all.
bool present(const Entry& e, const State& s) {
    if (!(e.families & familyOf(s.sheet))) return false;
    const std::string_view n = e.info.name;
    const auto& c = s.ctx;
    const Sheet sh = s.sheet;
    if (e.info.page == K::Interface) {
        if (!s.interfacePage) return false;
        if (n == "byConnectTries") return modeRadios(sh) && !is830(c);
        if (n == "byOpMode830") return sh == Sheet::CP830_Ascii;
        return true;
    }
    if (n == "byBreakOff") return is730(c);
    if (n == "wReactionWait") return sh == Sheet::CP731_Rk512;
    if (n == "byEndCrit830" || n == "byEndLink830") return is830(c);
    if (n == "byMode" && isAscii(sh)) return !is830(c);
    if (n == "bySendMode") return isAscii(sh) && !is730(c) && !is830(c) && c.extended;
    if (n == "bySendEndCount" || n == "bySendEnd1" || n == "bySendEnd2") return is830(c) || (!is730(c) && c.extended);
    if (n == "wRtsOffTime" || n == "wOutputWait") return !is830(c);
    if (n == "byNoOverwrite" || n == "byBufferedTelegrams") return isAscii(sh) || sh == Sheet::CP830_3964;
    if (n == "wRecvDbNo") return is831(c) && sh != Sheet::CP731_Rk512;
    if (n == "byExtErrDisplay") return isCP731Family(c.moduleType);
    return true;
}

const Entry* findEntry(const State& s, std::string_view name) {
    for (const auto& e : kFields)
        if (name == e.info.name && present(e, s)) return &e;
    return nullptr;
}

// The field as the page shows it: its text, and whether its control is enabled and shown.
FieldState stateOf(const Entry& e, const State& s) {
    FieldState f;
    f.info = &e.info;
    const std::string_view n = e.info.name;
    const auto& c = s.ctx;
    const auto& p = s.proto;
    const auto& a = s.ascii;
    const auto& t = s.trans;
    const auto& r = s.recv;
    const auto& pr = s.printer;
    const Sheet sh = s.sheet;
    const bool printer = familyOf(sh) == FPrinter;
    const bool ascii = isAscii(sh);
    const bool ro = c.readOnly != 0;
    bool enabled = true, visible = true;
    std::string text;

    if (n == "byMode" && !ascii) text = std::to_string(s.standard ? (s.blockCheck ? 2 : 1) : (s.blockCheck ? 4 : 3));
    else if (n == "byMode") text = std::to_string(a.endCriterion);
    else if (n == "byEndCrit830" || n == "bySendMode") {
        text = codeText(a.sendMode);
        if (n == "bySendMode") enabled = a.endCriterion != 1;
    } else if (n == "byBaud") text = std::to_string(ascii ? a.baudRate : p.baudRate);
    else if (n == "byParity") text = listText(parityTexts(c), ascii ? a.parity : printer ? pr.parity : p.parity);
    else if (n == "byDataBits") {
        text = numText(ascii ? a.dataBits : printer ? pr.dataBits : p.dataBits);
        enabled = !p.rk512 || ascii || printer;
    } else if (n == "byStopBits") text = numText(ascii ? a.stopBits : printer ? pr.stopBits : p.stopBits);
    else if (n == "byPriority") text = listText({res::text(10450), res::text(10451)}, p.priority);
    else if (n == "wReactionWait") {
        text = std::to_string(reactionWait(s));
        enabled = reactionWaitEnabled(c);
    } else if (n == "wCharDelay") {
        text = numText(ascii ? a.charDelay : p.charDelay);
        enabled = ascii || !s.standard;
    } else if (n == "wAckDelay" || n == "byConnectTries" || n == "bySendTries") {
        if (e.info.page == K::Interface) text = std::to_string(s.operatingMode);
        else {
            text = numText(n == "wAckDelay" ? p.ackDelay : n == "byConnectTries" ? p.connectTries : p.sendTries);
            enabled = !s.standard;
        }
    } else if (n == "byBreakOff") {
        text = s.breakMonitoring ? "0" : "1";
        enabled = c.interfaceCode != kIfRs422;
    } else if (n == "wTelegramLen") {
        text = numText(a.telegramLen);
        enabled = !is730(c) || a.endCriterion == 3;
        visible = is730(c) || a.endCriterion == 3;
    } else if (n == "byRecvEndCount" || n == "byRecvEnd1" || n == "byRecvEnd2") {
        text = n == "byRecvEndCount" ? std::to_string(a.recvEndCount) : hexText(n == "byRecvEnd1" ? a.recvEnd1 : a.recvEnd2);
        enabled = a.endCriterion == 2 && (n != "byRecvEnd2" || a.recvEndCount == 2);
        visible = is730(c) || a.endCriterion == 2;
    } else if (n == "byEndLink830") {
        text = listText({res::text(10589), res::text(10519)}, s.endLink830 == 0x21 ? 1 : 0);
        enabled = a.endCriterion == 2 && a.recvEndCount == 2;
        visible = a.endCriterion == 2;
    } else if (n == "bySendEndCount" || n == "bySendEnd1" || n == "bySendEnd2") {
        text = n == "bySendEndCount" ? std::to_string(a.sendEndCount) : hexText(n == "bySendEnd1" ? a.sendEnd1 : a.sendEnd2);
        const int noSenderEnds = is830(c) ? 0x20 : 0x22;
        visible = a.endCriterion == 2 && a.sendMode != noSenderEnds;
        enabled = visible && (n != "bySendEnd2" || a.sendEndCount == 2);
    } else if (n == "byFlowCtrl") {
        text = listText(flowTexts(printer), printer ? pr.flow : t.flow);
    } else if (n == "byXonChar" || n == "byXoffChar") {
        const auto& v = printer ? (n == "byXonChar" ? pr.xon : pr.xoff) : (n == "byXonChar" ? t.xon : t.xoff);
        text = hexText(v);
        enabled = (printer ? pr.flow : t.flow) == kFlowXonXoff;
    } else if (n == "wXonWait") {
        text = numText(printer ? pr.xonWait : t.xonWait);
        const int flow = printer ? pr.flow : t.flow;
        enabled = flow == kFlowXonXoff || flow == kFlowRtsCts;
    } else if (n == "wRtsOffTime" || n == "wOutputWait") {
        text = numText(n == "wRtsOffTime" ? t.rtsOffTime : t.outputWait);
        enabled = t.flow == kFlowV24;
        visible = rs232(c);
    } else if (n == "byNoOverwrite") text = r.noOverwrite ? "1" : "0";
    else if (n == "byBufferedTelegrams") {
        text = is830(c) && r.wholeBuffer ? "255" : numText(r.bufferedTelegrams);
        enabled = is830(c) ? !r.wholeBuffer : r.noOverwrite;
    } else if (n == "byClearRecvBuf") {
        text = s.clearRecvBuf ? "1" : "0";
        if (ascii && !is830(c)) enabled = onBufferedTelegramsChanged(c, r.bufferedTelegrams, r.noOverwrite).clearEnabled;
        else if (!ascii && isCP731Family(c.moduleType)) enabled = false;
    } else if (n == "wRecvDbNo") text = std::to_string(r.useCpuBox ? r.dbNo.value_or(0) : 0);
    else if (n == "byExtErrDisplay") {
        text = s.extErrDisplay ? "1" : "0";
        enabled = extErrDisplayEnabled(c);
    } else if (n == "byOpMode830") text = std::to_string(s.operatingMode);
    else if (n == "byLinePreset") text = std::to_string(s.linePreset);

    f.text = text;
    f.enabled = enabled && !ro;
    f.visible = visible;
    return f;
}

// ---- taking one value --------------------------------------------------------------

enum class Why { Taken, Value, Disabled, NotHere };

struct Outcome {
    Why why = Why::Taken;
    Verdict verdict;
};

Verdict plain(std::string text) {
    Verdict v;
    v.accepted = false;
    v.plainText = std::move(text);
    return v;
}

// Takes one NAME=VALUE into the page values as the page's control would take it.
class Taker {
public:
    Taker(State& s, std::string name, std::string value) : s_(s), name_(std::move(name)), value_(std::move(value)) {}
    Outcome take(const Entry& e);

private:
    const CheckContext& ctx() const { return s_.ctx; }

    Outcome badValue(const std::string& why = {}) const {
        std::string t = "Der Wert \"" + value_ + "\" ist für " + name_ + " nicht zulässig.";
        if (!why.empty()) t += " " + why;
        return {Why::Value, plain(t)};
    }
    Outcome notHere() const {
        return {Why::NotHere, plain(name_ + " kann bei diesem Modul und Protokoll nicht eingestellt werden.")};
    }
    Outcome disabled() const {
        return {Why::Disabled, plain(name_ + " ist in dieser Einstellung gesperrt und kann nicht geändert werden.")};
    }
    static Outcome taken() { return {}; }
    static Outcome field(const Verdict& v) {
        if (v.accepted) return {};
        return {Why::Value, v};
    }

    // The text as the field would hold it: the field's pattern decides what can be typed.
    bool fits(const char* pattern) const { return ptp::matchPattern(pattern, value_) != ptp::MatchResult::Invalid; }
    std::optional<Outcome> number(const char* pattern, std::optional<long>& out) {
        if (!fits(pattern)) return badValue();
        out = readNumber(value_);
        return std::nullopt;
    }
    std::optional<Outcome> hex(const char* pattern, std::optional<int>& out) {
        if (!fits(pattern)) return badValue("Zeichen werden hexadezimal angegeben.");
        out = readHex(value_);
        return std::nullopt;
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

    Outcome takeBaud();
    Outcome takeParity(int& parity);
    Outcome takeBreakOff();
    Outcome takeProto();
    Outcome takeAscii();
    Outcome takeTrans();
    Outcome takeRecv();
    Outcome takePrinter();
    Outcome takeInterface();

    State& s_;
    std::string name_;
    std::string value_;
};

Outcome Taker::takeBaud() {
    const auto list = baudRates(s_.sheet, ctx());
    char* end = nullptr;
    const long rate = std::strtol(value_.c_str(), &end, 10);
    if (value_.empty() || *end != '\0' || std::find(list.begin(), list.end(), rate) == list.end()) {
        std::string rates;
        for (int r : list) rates += (rates.empty() ? "" : ", ") + std::to_string(r);
        return badValue("Mögliche Baudraten: " + rates + ".");
    }
    s_.proto.baudRate = s_.ascii.baudRate = static_cast<int>(rate);
    return taken();
}

// BREAK monitoring of the CP 730, the same on each of its pages; on RS 422/485 the
// interface page's preset decides it.
Outcome Taker::takeBreakOff() {
    if (ctx().interfaceCode == kIfRs422) return disabled();
    auto f = flag();
    if (!f) return badValue();
    s_.breakMonitoring = *f == 0;
    return taken();
}

Outcome Taker::takeParity(int& parity) {
    auto c = choice(parityTexts(ctx()));
    if (!c) return badValue();
    parity = *c;
    return taken();
}

Outcome Taker::takeProto() {
    auto& p = s_.proto;
    const std::string& n = name_;
    if (n == "byBaud") return takeBaud();
    if (n == "byParity") return takeParity(p.parity);
    if (n == "byPriority") {
        auto c = choice({res::text(10450), res::text(10451)});
        if (!c) return badValue();
        p.priority = *c;
        return taken();
    }
    if (n == "byDataBits") {
        if (p.rk512) return value_ == "8" ? taken() : disabled();
        if (auto r = number("[7-8]{1}", p.dataBits)) return *r;
        return field(checkDataBits(p.dataBits, 7));
    }
    if (n == "byStopBits") {
        if (auto r = number("[1-2]{1}", p.stopBits)) return *r;
        return field(checkStopBits(p.stopBits));
    }
    if (n == "byMode") {
        // CP 830 keeps no byMode: the same two checkboxes, block check goes into its own byte
        // and the standard values are recognised from the four values.
        auto c = code();
        if (!c || *c < 1 || *c > 4)
            return badValue("1 bis 4: Standardwerte mit (2) oder ohne (1) Blockcheck, eigene Werte mit (4) oder ohne (3) Blockcheck.");
        s_.standard = *c <= 2;
        s_.blockCheck = *c == 2 || *c == 4;
        if (s_.standard) {
            const auto sv = standardValues(s_.blockCheck);
            p.charDelay = sv.charDelay;
            p.ackDelay = sv.ackDelay;
            p.connectTries = sv.connectTries;
            p.sendTries = sv.sendTries;
        }
        return taken();
    }
    const bool parameter = n == "wCharDelay" || n == "wAckDelay" || n == "byConnectTries" || n == "bySendTries";
    if (parameter && s_.standard) return disabled();
    if (n == "wCharDelay") {
        if (auto r = number("[1-9][0-9]{5}", p.charDelay)) return *r;
        return field(checkCharDelay3964(p.charDelay, p.baudRate));
    }
    if (n == "wAckDelay") {
        if (auto r = number("[1-9][0-9]{5}", p.ackDelay)) return *r;
        return field(checkAckDelay3964(p.ackDelay, p.baudRate));
    }
    if (n == "byConnectTries") {
        if (auto r = number("[1-9][0-9]{2}", p.connectTries)) return *r;
        return field(checkConnectTries(p.connectTries));
    }
    if (n == "bySendTries") {
        if (auto r = number("[1-9][0-9]{2}", p.sendTries)) return *r;
        return field(checkSendTries(p.sendTries));
    }
    if (n == "wReactionWait") {
        if (!reactionWaitEnabled(ctx())) return value_ == "0" ? taken() : disabled();
        auto v = readNumber(value_);
        if (!v || !fits("[0-9]{1,5}")) return badValue();
        s_.reactionBaud = *v != 0;
        return taken();
    }
    if (n == "byBreakOff") return takeBreakOff();
    return notHere();
}

Outcome Taker::takeAscii() {
    auto& a = s_.ascii;
    const std::string& n = name_;
    if (n == "byBaud") return takeBaud();
    if (n == "byParity") return takeParity(a.parity);
    if (n == "byDataBits") {
        if (auto r = number("[7-8]{1}", a.dataBits)) return *r;
        return field(checkDataBits(a.dataBits, 7));
    }
    if (n == "byStopBits") {
        if (auto r = number("[1-2]{1}", a.stopBits)) return *r;
        return field(checkStopBits(a.stopBits));
    }
    if (n == "wCharDelay") {
        if (auto r = number("[1-9][0-9]{4}", a.charDelay)) return *r;
        const int m = minCharDelayAscii(ctx(), a.baudRate, static_cast<int>(a.dataBits.value_or(7)),
                                        static_cast<int>(a.stopBits.value_or(1)), a.parity);
        return field(checkCharDelayAscii(a.charDelay, m));
    }
    if (n == "wTelegramLen") {
        if (auto r = number(is830(ctx()) ? "[1-9][0-9]{2}" : "[1-9][0-9]{3}", a.telegramLen)) return *r;
        return field(checkTelegramLen(a.telegramLen, maxTelegramLen(ctx())));
    }
    struct EndChar {
        const char* name;
        std::optional<int>* slot;
        Field field;
    };
    const EndChar ends[] = {{"byRecvEnd1", &a.recvEnd1, Field::RecvEnd1},
                            {"byRecvEnd2", &a.recvEnd2, Field::RecvEnd2},
                            {"bySendEnd1", &a.sendEnd1, Field::SendEnd1},
                            {"bySendEnd2", &a.sendEnd2, Field::SendEnd2}};
    for (const auto& e : ends) {
        if (n != e.name) continue;
        if (auto r = hex("[a-fA-F0-9]{2}", *e.slot)) return *r;
        return field(checkEndChar(*e.slot, e.field));
    }
    if (n == "byRecvEndCount" || n == "bySendEndCount") {
        auto c = code();
        if (!c || (*c != 1 && *c != 2)) return badValue();
        (n == "byRecvEndCount" ? a.recvEndCount : a.sendEndCount) = static_cast<int>(*c);
        return taken();
    }
    if (n == "byMode") {
        auto c = code();
        if (!c || *c < 1 || *c > 3) return badValue("1 Zeichenverzugszeit, 2 Endezeichen, 3 feste Zeichenanzahl.");
        a.endCriterion = static_cast<int>(*c);
        if (is730(ctx())) return taken();
        // the radios set the send mode as they do when clicked
        if (a.endCriterion == 1) a.sendMode = 0;
        else if (a.endCriterion == 2)
            a.sendMode = !ctx().extended ? 0x20 : (a.sendMode == 0x22 || a.sendMode == 0x23) ? a.sendMode : 0x21;
        else
            a.sendMode = a.sendMode == 0x31 ? 0x31 : 0x30;
        return taken();
    }
    if (n == "bySendMode") {
        auto c = code();
        const bool ends2 = a.endCriterion == 2 && c && (*c == 0x21 || *c == 0x22 || *c == 0x23);
        const bool fixed = a.endCriterion == 3 && c && (*c == 0x30 || *c == 0x31);
        if (!ends2 && !fixed)
            return badValue("Bei Endezeichen 0x21, 0x22 oder 0x23, bei fester Zeichenanzahl 0x30 oder 0x31.");
        a.sendMode = static_cast<int>(*c);
        return taken();
    }
    if (n == "byEndCrit830") {
        auto c = code();
        static constexpr int kCodes[] = {0x10, 0x20, 0x21, 0x22, 0x30, 0x31};
        if (!c || std::find(std::begin(kCodes), std::end(kCodes), *c) == std::end(kCodes)) return badValue();
        a.sendMode = static_cast<int>(*c);
        a.endCriterion = criterionOf830(a.sendMode);
        return taken();
    }
    if (n == "byEndLink830") {
        auto c = choice({res::text(10589), res::text(10519)});
        if (!c) return badValue();
        if (a.endCriterion != 2 || a.recvEndCount != 2) return disabled();
        s_.endLink830 = *c == 0 ? 0x20 : 0x21;
        return taken();
    }
    if (n == "byBreakOff") return takeBreakOff();
    return notHere();
}

Outcome Taker::takeTrans() {
    auto& t = s_.trans;
    const std::string& n = name_;
    const bool rs = rs232(ctx()) && !is830(ctx());
    if (n == "byFlowCtrl") {
        auto c = choice(flowTexts(false));
        if (!c) {
            auto k = code();
            if (!k || *k > 2) return badValue();
            c = static_cast<int>(*k);
        }
        if (*c >= kFlowRtsCts && !rs) return badValue("Nur bei RS 232.");
        t.flow = *c;
        return taken();
    }
    if (n == "byV24Signals") {
        auto f = flag();
        if (!f) return badValue();
        if (*f && !rs) return badValue("Nur bei RS 232.");
        if (*f) t.flow = kFlowV24;
        else if (t.flow == kFlowV24) t.flow = kFlowNone;
        return taken();
    }
    if (n == "byXonChar" || n == "byXoffChar") {
        auto& slot = n == "byXonChar" ? t.xon : t.xoff;
        if (auto r = hex("[a-fA-F0-9]{1,2}", slot)) return *r;
        return field(checkXonXoffChar(slot, n == "byXonChar" ? Field::Xon : Field::Xoff));
    }
    if (n == "wXonWait") {
        if (auto r = number("[1-9][0-9]{5}", t.xonWait)) return *r;
        return field(checkXonWait(t.xonWait, false));
    }
    if (n == "wRtsOffTime" || n == "wOutputWait") {
        auto& slot = n == "wRtsOffTime" ? t.rtsOffTime : t.outputWait;
        if (auto r = number("[0-9]{6}", slot)) return *r;
        return field(n == "wRtsOffTime" ? checkRtsOffTime(slot) : checkOutputWait(slot));
    }
    return notHere();
}

Outcome Taker::takeRecv() {
    auto& r = s_.recv;
    const std::string& n = name_;
    const auto& c = ctx();
    if (n == "byBufferedTelegrams") {
        if (is830(c)) {
            if (value_ == "255") {
                r.wholeBuffer = true;
                return taken();
            }
            if (auto x = number("[1-9][0-9]{1}", r.bufferedTelegrams)) return *x;
            r.wholeBuffer = false;
            return field(checkBufferedTelegrams(r.bufferedTelegrams, kCP830));
        }
        if (!r.noOverwrite) return disabled();
        if (auto x = number("[1-9][0-9]{2}", r.bufferedTelegrams)) return *x;
        if (auto x = field(checkBufferedTelegrams(r.bufferedTelegrams, c.moduleType)); x.why != Why::Taken) return x;
        auto change = onBufferedTelegramsChanged(c, r.bufferedTelegrams, r.noOverwrite);
        if (change.clearUnchecked) s_.clearRecvBuf = false;
        return taken();
    }
    if (n == "byNoOverwrite") {
        auto f = flag();
        if (!f) return badValue();
        if (is830(c)) {
            r.noOverwrite = *f;
            return taken();
        }
        auto click = onNoOverwriteClicked(*f, r.bufferedTelegrams.value_or(1));
        if (click.verdict.hasMessage()) return {Why::Disabled, click.verdict};
        r.noOverwrite = click.noOverwrite;
        return taken();
    }
    if (n == "byClearRecvBuf") {
        auto f = flag();
        if (!f) return badValue();
        bool enabled = true;
        if (r.ascii && !is830(c))
            enabled = onBufferedTelegramsChanged(c, r.bufferedTelegrams, r.noOverwrite).clearEnabled;
        else if (!r.ascii && isCP731Family(c.moduleType))
            enabled = false;  // 3964(R) and RK 512 of CP 731/831 only show it
        if (!enabled) return *f == (s_.clearRecvBuf ? 1 : 0) ? taken() : disabled();
        s_.clearRecvBuf = *f;
        return taken();
    }
    if (n == "wRecvDbNo") {
        if (value_ == "0") {
            r.useCpuBox = false;
            return taken();
        }
        if (auto x = number("[0-9]{5}", r.dbNo)) return *x;
        r.useCpuBox = true;
        return field(checkRecvDbNo(r.dbNo));
    }
    if (n == "byExtErrDisplay") {
        auto f = flag();
        if (!f) return badValue();
        if (!extErrDisplayEnabled(c)) return *f == 0 ? taken() : disabled();
        s_.extErrDisplay = *f;
        return taken();
    }
    return notHere();
}

Outcome Taker::takePrinter() {
    auto& p = s_.printer;
    const std::string& n = name_;
    if (n == "byBaud") return takeBaud();
    if (n == "byParity") return takeParity(p.parity);
    if (n == "byDataBits") {
        if (auto r = number("[7-8]{1}", p.dataBits)) return *r;
        return field(checkDataBits(p.dataBits, p.dataBitsSpin));
    }
    if (n == "byStopBits") {
        if (auto r = number("[1-2]{1}", p.stopBits)) return *r;
        return field(checkStopBits(p.stopBits, p.stopBitsSpin));
    }
    if (n == "byFlowCtrl") {
        auto c = choice(flowTexts(true));
        if (!c) {
            auto k = code();
            if (!k || *k > 2) return badValue();
            c = static_cast<int>(*k);
        }
        if (*c == kFlowRtsCts && !rs232(ctx())) return badValue("Nur bei RS 232.");
        p.flow = *c;
        return taken();
    }
    if (n == "byXonChar" || n == "byXoffChar") {
        auto& slot = n == "byXonChar" ? p.xon : p.xoff;
        if (auto r = hex("[a-fA-F0-9]{1,2}", slot)) return *r;
        return field(checkXonXoffChar(slot, n == "byXonChar" ? Field::Xon : Field::Xoff));
    }
    if (n == "wXonWait") {
        if (auto r = number("[1-9][0-9]{5}", p.xonWait)) return *r;
        return field(checkXonWait(p.xonWait, true));
    }
    if (n == "byBreakOff") return takeBreakOff();
    return notHere();
}

Outcome Taker::takeInterface() {
    const std::string& n = name_;
    auto c = code();
    const InterfacePage page = interfacePageOf(s_.sheet);
    if (n != "byLinePreset") {
        const long last = is830(ctx()) ? 3 : 1;
        if (!c || *c > last) return badValue();
        s_.operatingMode = static_cast<int>(*c);
        PresetState st = onOperatingMode(page, s_.operatingMode, s_.linePreset);
        s_.linePreset = st.preset;
        if (st.breakMonitoring) s_.breakMonitoring = *st.breakMonitoring;
        return taken();
    }
    if (!c || *c > 2) return badValue("0 keine, 1 R(A) 5 Volt, 2 R(A) 0 Volt.");
    PresetState st = onOperatingMode(page, s_.operatingMode, s_.linePreset);
    const bool enabled = *c == 0 ? st.noneEnabled : *c == 1 ? st.fiveVoltEnabled : st.zeroVoltEnabled;
    if (!enabled) return disabled();
    s_.linePreset = static_cast<int>(*c);
    if (auto b = breakMonitoringForPreset(ctx(), s_.linePreset)) s_.breakMonitoring = *b;
    return taken();
}

Outcome Taker::take(const Entry& e) {
    switch (e.info.page) {
    case K::Interface: return takeInterface();
    case K::Transmission: return takeTrans();
    case K::Receive: return takeRecv();
    case K::Protocol:
        if (is3964Like(s_.sheet)) return takeProto();
        if (isAscii(s_.sheet)) return takeAscii();
        return takePrinter();
    }
    return notHere();
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
    if (is830(ctx)) {
        // the CP 830 page shows a stored number limited to 1..10, or the whole buffer
        r.wholeBuffer = db.byBufferedTelegrams == 255;
        r.bufferedTelegrams = r.wholeBuffer ? 10 : std::clamp<long>(db.byBufferedTelegrams, 1, 10);
    }
    // RK 512 has no CPU receive box; its receive page neither shows nor checks the DB number.
    r.useCpuBox = is831(ctx) && sheet != Sheet::CP731_Rk512 && db.wRecvDbNo != 0;
    r.dbNo = db.wRecvDbNo;
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
            db.byBaud = u8(baudCode(m, p.baudRate));
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

}  // namespace

// ---- the model -----------------------------------------------------------------------

SheetModel::SheetModel() : s_(new State) {}
SheetModel::~SheetModel() { delete s_; }
SheetModel::SheetModel(const SheetModel& o)
    : sheet_(o.sheet_), ctx_(o.ctx_), interfaceNo_(o.interfaceNo_), pages_(o.pages_), initialised_(o.initialised_),
      active_(o.active_), accepted_(o.accepted_), given_(o.given_), notices_(o.notices_), s_(new State(*o.s_)) {}
SheetModel& SheetModel::operator=(const SheetModel& o) {
    if (this != &o) {
        SheetModel copy(o);
        *this = std::move(copy);
    }
    return *this;
}
SheetModel::SheetModel(SheetModel&& o) noexcept
    : sheet_(o.sheet_), ctx_(o.ctx_), interfaceNo_(o.interfaceNo_), pages_(std::move(o.pages_)),
      initialised_(std::move(o.initialised_)), active_(o.active_), accepted_(o.accepted_), given_(o.given_),
      notices_(std::move(o.notices_)), s_(o.s_) {
    o.s_ = nullptr;
}
SheetModel& SheetModel::operator=(SheetModel&& o) noexcept {
    if (this != &o) {
        delete s_;
        sheet_ = o.sheet_;
        ctx_ = o.ctx_;
        interfaceNo_ = o.interfaceNo_;
        pages_ = std::move(o.pages_);
        initialised_ = std::move(o.initialised_);
        active_ = o.active_;
        accepted_ = o.accepted_;
        given_ = o.given_;
        notices_ = std::move(o.notices_);
        s_ = o.s_;
        o.s_ = nullptr;
    }
    return *this;
}

std::optional<SheetModel> SheetModel::open(const SheetContext& ctx, const CDb& db) {
    const auto sheet = sheetFor(ctx.check.moduleType, ctx.protocol);
    if (!sheet) return std::nullopt;
    SheetModel m;
    m.sheet_ = *sheet;
    m.ctx_ = ctx.check;
    m.interfaceNo_ = ctx.interfaceNo;
    m.given_ = db;
    m.pages_ = sheetPages(*sheet, ctx.check);
    m.initialised_.assign(m.pages_.size(), false);
    *m.s_ = openState(ctx.check, *sheet, db, m.notices_);
    m.initPage(0);
    return m;
}

const char* SheetModel::className() const { return sheetClassName(sheet_); }

std::string SheetModel::title() const {
    std::string t = res::text(10470);
    if (ctx_.moduleType == kCP8312) {
        char no[16];
        std::snprintf(no, sizeof no, "%-4d", interfaceNo_);
        t += ":  " + res::text(10523) + " " + no;
    }
    return t;
}

void SheetModel::initPage(int index) {
    if (index >= 0 && index < static_cast<int>(initialised_.size())) initialised_[index] = true;
}

std::vector<FieldState> SheetModel::fields() const {
    std::vector<FieldState> out;
    for (const auto& page : pages_)
        for (const auto& e : kFields)
            if (e.info.page == page.kind && present(e, *s_)) out.push_back(stateOf(e, *s_));
    return out;
}

std::optional<FieldState> SheetModel::field(std::string_view name) const {
    const Entry* e = findEntry(*s_, name);
    if (!e || pageOf(name) < 0) return std::nullopt;
    return stateOf(*e, *s_);
}

int SheetModel::pageOf(std::string_view name) const {
    // byV24Signals is the fourth radio of the flow control.
    if (name == "byV24Signals") name = "byFlowCtrl";
    const Entry* e = findEntry(*s_, name);
    if (!e) return -1;
    for (size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i].kind == e->info.page) return static_cast<int>(i);
    return -1;
}

SheetModel::SetResult SheetModel::set(std::string_view nameIn, std::string_view textIn) {
    SetResult out;
    std::string name(nameIn);
    const std::string text(textIn);
    const bool v24 = name == "byV24Signals" && isAscii(sheet_) && !is830(ctx_);
    const Entry* e = findEntry(*s_, v24 ? "byFlowCtrl" : name);
    const int page = pageOf(name);
    if (!e || page < 0) {
        out.verdict = plain(name + " kann bei diesem Modul und Protokoll nicht eingestellt werden.");
        out.why = Refusal::NotHere;
        return out;
    }
    if (ctx_.readOnly) {
        out.verdict = plain("Im Online-Betrieb können die Parameter nicht geändert werden.");
        out.why = Refusal::Disabled;
        return out;
    }
    initPage(page);
    // The text the field already shows changes nothing, also where the control is disabled.
    const FieldState now = stateOf(*e, *s_);
    if (!v24) {
        const bool same = e->info.unit == Unit::Hex ? readHex(text) == readHex(now.text) && !text.empty()
                          : e->info.unit == Unit::Choice ? squeeze(text) == squeeze(now.text)
                                                         : text == now.text;
        if (same && !now.text.empty()) return out;
    }
    State trial = *s_;
    Taker taker(trial, name, text);
    Outcome o = taker.take(*e);
    if (o.why == Why::Taken) {
        *s_ = trial;
        accepted_ = false;
        return out;
    }
    out.verdict = o.verdict;
    out.verdict.accepted = false;
    out.why = o.why == Why::Disabled ? Refusal::Disabled : o.why == Why::NotHere ? Refusal::NotHere : Refusal::Value;
    // What the page would have put into the field: the corrected value of a field check.
    if (o.verdict.messageId != 0 && o.verdict.focus != Field::None) {
        State corrected = *s_;
        std::string value = std::to_string(o.verdict.value);
        if (e->info.unit == Unit::Hex) value = hexText(o.verdict.value);
        Taker fix(corrected, name, value);
        if (fix.take(*e).why == Why::Taken) out.correctedText = stateOf(*e, corrected).text;
    }
    return out;
}

Verdict SheetModel::checkPage(int index) {
    Verdict v;
    if (index < 0 || index >= static_cast<int>(pages_.size())) return v;
    auto& s = *s_;
    switch (pages_[index].kind) {
    case K::Protocol:
        if (is3964Like(sheet_)) return checkProtocolPage3964(s.ctx, s.proto);
        if (isAscii(sheet_)) return checkAsciiPage(s.ctx, s.ascii);
        return checkPrinterPage(s.ctx, s.printer);
    case K::Transmission: return checkTransmissionPage(s.ctx, s.trans);
    case K::Receive: return checkReceivePage(s.ctx, s.recv);
    case K::Interface: return v;
    }
    return v;
}

Verdict SheetModel::checkActivePage() { return checkPage(active_); }

Verdict SheetModel::selectPage(int index) {
    if (index == active_) return Verdict{};
    Verdict v = checkActivePage();
    if (!v.accepted) return v;
    active_ = index;
    initPage(index);
    return v;
}

SheetModel::OkResult SheetModel::ok() {
    OkResult out;
    accepted_ = false;
    out.verdict = checkActivePage();
    if (!out.verdict.accepted) return out;
    if (isAscii(sheet_)) {
        out.verdict = checkAsciiSheet(s_->ctx, s_->ascii, s_->trans, s_->recv, s_->operatingMode);
        if (!out.verdict.accepted) return out;
    }
    if (is3964Like(sheet_)) {
        Verdict hint = priorityHint(ctx_, s_->proto.priority);
        if (hint.hasMessage()) out.notices.push_back(hint);
    }
    accepted_ = true;
    return out;
}

void SheetModel::writeBack(CDb& db) const {
    if (!accepted_) return;
    for (size_t i = 0; i < pages_.size(); ++i)
        if (initialised_[i]) encodePage(pages_[i].kind, *s_, db);
    clearUnused(*s_, db);
}

}  // namespace rules

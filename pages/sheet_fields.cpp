#include "pages/sheet_state.h"

#include "resources/strings.h"

namespace rules::sheet {

// ---- the fields ------------------------------------------------------------------




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

// Controls of the "ASCII" page that store through a record field `ptpcfg set` names and have
// no name of their own there (fields() leaves them out): the CP 830 keeps the end criterion
// and the send mode in one byte, byEndCrit830, so its criterion radios are a control over
// that byte; the send pause is part of the send mode (bySendMode, CP 830 byEndCrit830).
const Entry kPageControls[] = {
    {{"endCriterion", K::Protocol, U::Code, "Endeerkennung eines Empfangstelegramms"}, FAscii},
    {{"sendPause", K::Protocol, U::Flag, "Sendepause zwischen den Telegrammen in Höhe der Zeichenverzugszeit"}, FAscii},
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
    if (n == "endCriterion") return is830(c);
    if (n == "sendPause") return is830(c) || (!is730(c) && c.extended);
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
    for (const auto& e : kPageControls)
        if (name == e.info.name && present(e, s)) return &e;
    return nullptr;
}

// The field as the page shows it: its text, and whether its control is enabled and shown.
const char* fieldPattern(const Entry& e, const State& s) {
    const std::string_view n = e.info.name;
    const auto& c = s.ctx;
    const bool ascii = isAscii(s.sheet);
    if (e.info.page == K::Interface) return "";
    if (n == "byDataBits") return s.sheet == Sheet::CP731_Rk512 ? "[8-8]{1}" : "[7-8]{1}";
    if (n == "byStopBits") return "[1-2]{1}";
    if (n == "wCharDelay") return ascii ? "[1-9][0-9]{4}" : "[1-9][0-9]{5}";
    if (n == "wAckDelay" || n == "wXonWait") return "[1-9][0-9]{5}";
    if (n == "byConnectTries" || n == "bySendTries") return "[1-9][0-9]{2}";
    if (n == "wTelegramLen") return is830(c) ? "[1-9][0-9]{2}" : "[1-9][0-9]{3}";
    if (n == "byRecvEnd1" || n == "byRecvEnd2" || n == "bySendEnd1" || n == "bySendEnd2") return "[a-fA-F0-9]{2}";
    if (n == "byXonChar" || n == "byXoffChar") return "[a-fA-F0-9]{1,2}";
    if (n == "wRtsOffTime" || n == "wOutputWait") return "[0-9]{6}";
    if (n == "byBufferedTelegrams") return is830(c) ? "[1-9][0-9]{1}" : "[1-9][0-9]{2}";
    if (n == "wRecvDbNo") return "[0-9]{5}";
    return "";
}

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
    else if (n == "byMode" || n == "endCriterion") text = std::to_string(a.endCriterion);
    else if (n == "sendPause") {
        text = a.sendMode == 0x30 ? "1" : "0";
        enabled = visible = a.endCriterion == 3;
    } else if (n == "byEndCrit830" || n == "bySendMode") {
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
    f.pattern = fieldPattern(e, s);
    f.enabled = enabled && !ro;
    f.visible = visible;
    decorate(f, e, s);
    return f;
}


std::vector<const Entry*> allEntries() {
    std::vector<const Entry*> out;
    for (const auto& e : kFields) out.push_back(&e);
    return out;
}

}  // namespace rules::sheet

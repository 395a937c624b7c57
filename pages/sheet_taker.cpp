#include "pages/sheet_state.h"

#include <algorithm>
#include <cstdlib>

#include "resources/strings.h"
#include "widgets/pattern.h"

namespace rules::sheet {


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
        if (auto r = number(p.dataBits)) return *r;
        return field(checkDataBits(p.dataBits, 7));
    }
    if (n == "byStopBits") {
        if (auto r = number(p.stopBits)) return *r;
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
        if (auto r = number(p.charDelay)) return *r;
        return field(checkCharDelay3964(p.charDelay, p.baudRate));
    }
    if (n == "wAckDelay") {
        if (auto r = number(p.ackDelay)) return *r;
        return field(checkAckDelay3964(p.ackDelay, p.baudRate));
    }
    if (n == "byConnectTries") {
        if (auto r = number(p.connectTries)) return *r;
        return field(checkConnectTries(p.connectTries));
    }
    if (n == "bySendTries") {
        if (auto r = number(p.sendTries)) return *r;
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
        if (auto r = number(a.dataBits)) return *r;
        return field(checkDataBits(a.dataBits, 7));
    }
    if (n == "byStopBits") {
        if (auto r = number(a.stopBits)) return *r;
        return field(checkStopBits(a.stopBits));
    }
    if (n == "wCharDelay") {
        if (auto r = number(a.charDelay)) return *r;
        const int m = minCharDelayAscii(ctx(), a.baudRate, static_cast<int>(a.dataBits.value_or(7)),
                                        static_cast<int>(a.stopBits.value_or(1)), a.parity);
        return field(checkCharDelayAscii(a.charDelay, m));
    }
    if (n == "wTelegramLen") {
        if (auto r = number(a.telegramLen)) return *r;
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
        if (auto r = hex(*e.slot)) return *r;
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
    if (n == "endCriterion") {
        // CP 830: the criterion radios, as they set byEndCrit830 when clicked
        auto c = code();
        if (!c || *c < 1 || *c > 3) return badValue("1 Zeichenverzugszeit, 2 Endezeichen, 3 feste Zeichenanzahl.");
        a.endCriterion = static_cast<int>(*c);
        if (*c == 1) a.sendMode = 0x10;
        else if (*c == 2) a.sendMode = a.sendMode == 0x20 || a.sendMode == 0x22 ? a.sendMode : 0x21;
        else a.sendMode = a.sendMode == 0x31 ? 0x31 : 0x30;
        return taken();
    }
    if (n == "sendPause") {
        auto f = flag();
        if (!f) return badValue();
        if (a.endCriterion != 3) return disabled();
        a.sendMode = *f ? 0x30 : 0x31;
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
        if (auto r = hex(slot)) return *r;
        return field(checkXonXoffChar(slot, n == "byXonChar" ? Field::Xon : Field::Xoff));
    }
    if (n == "wXonWait") {
        if (auto r = number(t.xonWait)) return *r;
        return field(checkXonWait(t.xonWait, false));
    }
    if (n == "wRtsOffTime" || n == "wOutputWait") {
        auto& slot = n == "wRtsOffTime" ? t.rtsOffTime : t.outputWait;
        if (auto r = number(slot)) return *r;
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
            if (auto x = number(r.bufferedTelegrams)) return *x;
            r.wholeBuffer = false;
            return field(checkBufferedTelegrams(r.bufferedTelegrams, kCP830));
        }
        if (!r.noOverwrite) return disabled();
        if (auto x = number(r.bufferedTelegrams)) return *x;
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
        // An unused receive box shows 0. In a used one, 0 is the DB number the user typed:
        // the page's check refuses it (518); unchecking the box is the toggle's.
        if (value_ == "0" && !r.useCpuBox) return taken();
        if (auto x = number(r.dbNo)) return *x;
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
        if (auto r = number(p.dataBits)) return *r;
        return field(checkDataBits(p.dataBits, p.dataBitsSpin));
    }
    if (n == "byStopBits") {
        if (auto r = number(p.stopBits)) return *r;
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
        if (auto r = hex(slot)) return *r;
        return field(checkXonXoffChar(slot, n == "byXonChar" ? Field::Xon : Field::Xoff));
    }
    if (n == "wXonWait") {
        if (auto r = number(p.xonWait)) return *r;
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
    pattern_ = fieldPattern(e, s_);
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


}  // namespace rules::sheet

// What the pages' controls offer beside a field's value (list entries, radios, spin
// ranges), and the checkboxes that are no stored field of their own.
#include <algorithm>

#include "pages/sheet_state.h"
#include "resources/strings.h"

namespace rules {

using namespace sheet;

namespace sheet {

namespace {

// The radios of the data flow control, by code: "Keine" and "XON / XOFF" everywhere; on
// RS 232 also "RTS / CTS" and, on the ASCII pages of CP 730 and CP 731/831, the automatic
// handling of the V.24 signals.
std::vector<FieldState::Option> flowOptions(const State& s, bool printer) {
    const auto& c = s.ctx;
    std::vector<FieldState::Option> out = {{kFlowNone, true}, {kFlowXonXoff, true}};
    if (rs232(c) && !is830(c)) {
        out.push_back({kFlowRtsCts, true});
        if (!printer) out.push_back({kFlowV24, true});
    }
    return out;
}

std::vector<FieldState::Option> presetOptions(const State& s) {
    const InterfacePage page = interfacePageOf(s.sheet);
    const PresetState st = onOperatingMode(page, s.operatingMode, s.linePreset);
    std::vector<FieldState::Option> out;
    // The CP 730 pages have no "keine": their preset also decides BREAK monitoring.
    if (page != InterfacePage::CP730 && page != InterfacePage::CP730Ascii) out.push_back({0, st.noneEnabled});
    out.push_back({1, st.fiveVoltEnabled});
    out.push_back({2, st.zeroVoltEnabled});
    return out;
}

// The "ASCII" page: the criterion radios, the send-mode radios (enabled with the end-character
// criterion only), the spin of the telegram length and, on CP 830, the delay time's label, which
// names what the time watches under the chosen criterion.
void decorateAscii(FieldState& f, std::string_view n, const State& s) {
    const auto& c = s.ctx;
    const bool on = !c.readOnly;
    const int criterion = s.ascii.endCriterion;
    const bool sending = on && criterion == 2;
    if (n == "byMode" || n == "endCriterion") {
        f.options = {{1, on}, {2, on}, {3, on}};
    } else if (n == "bySendMode") {
        f.options = {{0x21, sending}, {0x22, sending}, {0x23, sending}};
    } else if (n == "byEndCrit830") {
        f.options = {{0x21, sending}, {0x20, sending}, {0x22, sending}};
    } else if (n == "wTelegramLen") {
        f.spinMin = 1;
        f.spinMax = is730(c) ? 1024 : is830(c) ? 400 : 4096;
    } else if (n == "wCharDelay" && is830(c)) {
        f.label = res::text(criterion == 1 ? 10636 : 10635);
    }
}

}  // namespace

void decorate(FieldState& f, const Entry& e, const State& s) {
    const std::string_view n = e.info.name;
    const auto& c = s.ctx;
    const bool printer = familyOf(s.sheet) == FPrinter;
    if (n == "byBaud")
        for (int rate : baudRates(s.sheet, c)) f.choices.push_back(std::to_string(rate));
    else if (n == "byParity") f.choices = parityTexts(c);
    else if (n == "byPriority") f.choices = {res::text(10450), res::text(10451)};
    else if (n == "byFlowCtrl") {
        f.choices = flowTexts(printer);  // indexed by code
        f.options = flowOptions(s, printer);
        if (c.readOnly)
            for (auto& o : f.options) o.enabled = false;
    } else if (n == "byEndLink830") f.choices = {res::text(10589), res::text(10519)};

    if (e.info.page == K::Interface) {
        if (n == "byLinePreset") f.options = presetOptions(s);
        else if (n == "byOpMode830") f.options = {{0, true}, {2, true}, {3, true}, {1, true}};
        else f.options = {{0, true}, {1, true}};
        if (c.readOnly)
            for (auto& o : f.options) o.enabled = false;
        return;
    }

    if (e.info.unit == U::Hex) {
        if (auto v = readHex(f.text)) f.ascii = asciiDisplay(*v);
    }

    if (n == "byDataBits") {
        f.spinMin = s.proto.rk512 ? 8 : 7;
        f.spinMax = 8;
    } else if (n == "byStopBits") {
        f.spinMin = 1;
        f.spinMax = 2;
    } else if ((n == "byConnectTries" || n == "bySendTries") && is3964Like(s.sheet)) {
        f.spinMin = 1;
        f.spinMax = 255;
    } else if (n == "byBufferedTelegrams" && is830(c)) {
        f.spinMin = 1;
        f.spinMax = 10;
        if (s.recv.wholeBuffer) f.shown = std::string();
    } else if (n == "byBufferedTelegrams") {
        f.spinMin = 1;
        f.spinMax = 250;
    } else if (n == "wReactionWait" && !s.reactionBaud) {
        f.shown = "20000";
    } else if (n == "wRecvDbNo") {
        f.visible = s.recv.useCpuBox;
        if (s.recv.useCpuBox) f.text = numText(s.recv.dbNo);
    }
    if (isAscii(s.sheet) && e.info.page == K::Protocol) decorateAscii(f, n, s);
}

}  // namespace sheet

std::string asciiDisplay(int code) {
    static const char* const kMnemonics[32] = {
        "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
        "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    // Code page 1252 from 0x80 to 0x9F; its five unassigned codes stand for themselves.
    static const char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    code &= 0xFF;
    if (code < 0x20) return kMnemonics[code];
    const unsigned u = code >= 0x80 && code < 0xA0 ? kHigh[code - 0x80] : static_cast<unsigned>(code);
    std::string out;
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
    return out;
}

ToggleState SheetModel::toggle(Toggle which) const {
    const State& s = *s_;
    ToggleState t;
    switch (which) {
    case Toggle::BlockCheck:
    case Toggle::StandardValues:
        t.present = is3964Like(sheet_);
        t.checked = which == Toggle::BlockCheck ? s.blockCheck : s.standard;
        break;
    case Toggle::ReactionBaud:
        t.present = sheet_ == Sheet::CP731_Rk512;
        t.checked = s.reactionBaud;
        t.enabled = reactionWaitEnabled(ctx_);
        break;
    case Toggle::CpuBox: t.present = findEntry(s, "wRecvDbNo") != nullptr;
        t.checked = s.recv.useCpuBox;
        break;
    case Toggle::WholeBuffer:
        t.present = is830(ctx_) && findEntry(s, "byBufferedTelegrams") != nullptr;
        t.checked = s.recv.wholeBuffer;
        break;
    }
    if (!t.present) t.checked = t.enabled = false;
    if (ctx_.readOnly) t.enabled = false;
    return t;
}

SheetModel::SetResult SheetModel::setToggle(Toggle which, bool on) {
    const ToggleState t = toggle(which);
    if (!t.present || !t.enabled) {
        SetResult out;
        out.verdict = plain(t.present ? "Das Kontrollkästchen ist in dieser Einstellung gesperrt."
                                      : "Das Kontrollkästchen gibt es bei diesem Modul und Protokoll nicht.");
        out.why = t.present ? Refusal::Disabled : Refusal::NotHere;
        return out;
    }
    if (t.checked == on) return {};
    State& s = *s_;
    switch (which) {
    case Toggle::BlockCheck:
    case Toggle::StandardValues: {
        const bool block = which == Toggle::BlockCheck ? on : s.blockCheck;
        const bool standard = which == Toggle::StandardValues ? on : s.standard;
        return set("byMode", std::to_string(standard ? (block ? 2 : 1) : (block ? 4 : 3)));
    }
    case Toggle::ReactionBaud: return set("wReactionWait", on ? "1" : "0");
    case Toggle::CpuBox: {
        // The DB number the field shows stays as it is; an unused box is stored as 0.
        const CpuBoxClick click = onCpuBoxClicked(on, s.recv.dbNo.value_or(0));
        initPage(pageOf("wRecvDbNo"));
        s.recv.useCpuBox = click.showDbFields;
        if (on) s.recv.dbNo = click.dbNo;
        accepted_ = false;
        return {};
    }
    case Toggle::WholeBuffer: {
        const WholeBufferClick click = onWholeBufferClicked(on, s.recv.bufferedTelegrams.value_or(1));
        return set("byBufferedTelegrams", std::to_string(click.stored));
    }
    }
    return {};
}

}  // namespace rules

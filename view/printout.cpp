#include "view/printout.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "document/codes.h"
#include "document/driver_abi.h"
#include "document/driver_library.h"
#include "document/ptp_doc.h"
#include "pages/baud.h"
#include "pages/rules.h"
#include "resources/strings.h"

namespace printout {

size_t CharCount(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

std::string PadRight(const std::string& text, size_t width) {
    const size_t n = CharCount(text);
    return n >= width ? text : text + std::string(width - n, ' ');
}

std::string PadLeft(const std::string& text, size_t width) {
    const size_t n = CharCount(text);
    return n >= width ? text : std::string(width - n, ' ') + text;
}

int LinesPerPage(int areaHeight, int lineHeight) {
    if (lineHeight <= 0) return 1;
    return std::max(1, areaHeight / lineHeight - 1);
}

int PageCount(size_t lineCount, int linesPerPage) {
    const size_t per = static_cast<size_t>(std::max(1, linesPerPage));
    return static_cast<int>(std::max<size_t>(1, (lineCount + per - 1) / per));
}

PageRange LinesOfPage(int page, int linesPerPage, size_t lineCount) {
    const size_t per = static_cast<size_t>(std::max(1, linesPerPage));
    const size_t first = std::min(lineCount, static_cast<size_t>(std::max(1, page) - 1) * per);
    return {first, std::min(lineCount, first + per)};
}

namespace {

// String ids of the labels and value texts.
enum Id : int {
    kTitle = 128,
    k3964 = 10446, kAscii = 10447, kRk512 = 10448, kPrinter = 10449,
    kPriorityLow = 10450, kPriorityHigh = 10451,
    kParityNone = 10452, kParityOdd = 10453, kParityEven = 10454, kParityAny = 10455,
    kDriver = 10469,
    kCr = 10471, kLf = 10472, kCrLf = 10473, kLfCr = 10474,
    kIbm = 10475, kUserDefined = 10476, kDeskjet = 10477, kLaserjet = 10478,
    kNr = 10509, kText = 10510, kBitsPerSecond = 10511, kMs = 10512, kBytes = 10513, kHex = 10514,
    kYes = 10515, kNo = 10516, kOr = 10519,
    kProperties = 10520, kModule = 10521, kProtocol = 10522, kInterface = 10523, kInterfaceModule = 10524,
    kRack = 10525, kSlot = 10526, kOrderNo = 10527, kSendEnd = 10528, kRecvEnd = 10529,
    kProtocolParams = 10530, kCpuBoxPresent = 10536, kDbNo = 10537, kClearBuffer = 10539,
    kBaud = 10540, kParity = 10541, kDataBits = 10542, kStopBits = 10543, kFlowCtrl = 10544,
    kProtocolMode = 10545, kPriority = 10546, kCharDelay = 10547, kAckDelay = 10548,
    kConnectTries = 10549, kSendTries = 10550, kEndCount = 10551, kCharacter = 10552,
    kXonChar = 10553, kXoffChar = 10554, kV24Signals = 10555, kXonWait = 10556, kRtsOff = 10557,
    kOutputWait = 10558, kTelegramLen = 10559, kBuffered = 10560, kNoOverwrite = 10561,
    kLinePreset = 10563, kSpeed = 10569, kFrame = 10570, kRecvBuffer = 10571,
    kStandard = 10572, kWithCheck = 10573, kNoStandard = 10574, kWithoutCheck = 10575,
    kEndByDelay = 10577, kEndByChars730 = 10578, kEndByLength = 10579, kEndDetection = 10580,
    kFlowNone = 10581, kFlowXon = 10582, kFlowRts = 10583, kFlowParams = 10584, kCpuBox = 10585,
    kWholeBuffer = 10586, kSendPause = 10587, kEndChars = 10588, kAnd = 10589,
    kOpMode = 10590, kFullDuplex = 10591, kHalfDuplex = 10592, kPresetNone = 10593,
    kExtErrors = 10594, kReactionWait = 10595,
    kMultiMaster = 10597, kMultiSlave = 10598, kPointToPoint = 10599,
    kSendWithEnd = 10600, kSendThroughEnd = 10601, kSendToLength = 10602, kSendAppendEnd = 10603,
    kEndLink = 10604, kPresetA5 = 10605, kPresetA0 = 10606, kPresetB5 = 10607, kPresetB0 = 10608,
    kBaudDependent = 10618, kMaxWait = 10619,
    kPageLayout = 10620, kLeftMargin = 10621, kLinesPerPage = 10622, kLineEnd = 10623,
    kHeaderLines = 10624, kFooterLines = 10625, kEndless = 10626,
    kCharSet = 10630, kEmulation = 10631, kTextsPresent = 10632, kTextName = 10633, kTextVersion = 10634,
    kBreak = 10644,
};

std::string T(int id) { return res::text(id); }
std::string yesNo(bool yes) { return T(yes ? kYes : kNo); }
std::string num(long n) { return std::to_string(n); }
std::string hex(unsigned n) {
    char b[16];
    std::snprintf(b, sizeof b, "%X", n);
    return b;
}

// The message texts wrap after this many characters.
constexpr size_t kMessageWidth = 76;

// The line list with one function per line format.
struct Lines {
    std::vector<std::string> out;

    void empty(int count = 1) { out.insert(out.end(), count, std::string()); }
    void f1(const std::string& s) { out.push_back(s); }
    void f2(const std::string& l, const std::string& v) { out.push_back("  " + PadRight(l, 42) + " " + v); }
    void f3(const std::string& l, long n) { f2(l, num(n)); }
    void f4(const std::string& l, const std::string& v) { out.push_back(PadRight(l, 44) + " " + v); }
    void f5(const std::string& l) { out.push_back("  " + l); }
    void f6(const std::string& l, long n, const std::string& u) { f8(l, num(n) + " " + u); }
    void f7(const std::string& l, long n) { f8(l, num(n)); }
    void f8(const std::string& l, const std::string& v) { out.push_back("    " + PadRight(l, 40) + " " + v); }
    void f9(const std::string& l, const std::string& v, const std::string& u) { f8(l, v + " " + u); }
    void f10(const std::string& l, const std::string& v) { out.push_back("  " + PadRight(l, 40) + "   " + v); }
    void f11(const std::string& v) { out.push_back("  " + PadLeft(v, 61)); }
    void f12(const std::string& n, const std::string& l, unsigned h) {
        out.push_back("      " + PadRight(n, 2) + PadRight(l, 37) + hex(h) + " " + PadRight(T(kHex), 22));
    }
    void f13(const std::string& n, const std::string& l, unsigned h) {
        out.push_back("        " + PadRight(n, 2) + PadRight(l, 35) + hex(h) + " " + PadRight(T(kHex), 22));
    }
    void f14(const std::string& l, long n) { f15(l, num(n)); }
    void f15(const std::string& l, const std::string& v) { out.push_back("      " + PadRight(l, 38) + " " + v); }
    void f16(const std::string& l, unsigned h) { f8(l, hex(h) + " " + T(kHex)); }
    void f17(const std::string& l, const std::string& v) { out.push_back("    " + PadRight(l, 40) + "    " + v); }
    void f18(const std::string& v) { out.push_back(PadRight(" ", 39) + v); }
    void f19(const std::string& nr, const std::string& text) {
        out.push_back("  " + PadRight(nr, 4) + " " + PadRight(text, 140));
    }
    void f20(int number, const std::string& text) { out.push_back("  " + PadLeft(num(number), 3) + "  " + PadRight(text, 80)); }
    void f21(const std::string& text) { out.push_back("       " + PadRight(text, 80)); }
};

// ---- value texts ---------------------------------------------------------------------------

// The baud rate of the stored code as the pages list it; codes without a rate read as 300.
std::string baudText(int moduleType, int code) {
    const int rate = rules::baudRateOfCode(moduleType, code);
    return num(rate == 0 ? 300 : rate);
}
// Stop bits as the pages show them: code 3 is two stop bits, every other code one.
std::string stopBitsText(int code) { return code == 3 ? "2" : "1"; }
std::string parityText(int code) {
    switch (code) {
    case 0: return T(kParityNone);
    case 1: return T(kParityOdd);
    case 2: return T(kParityEven);
    case 3: return T(kParityAny);
    }
    return num(code);
}
std::string priorityText(int code) { return T(code == 1 ? kPriorityHigh : kPriorityLow); }
std::string flowText(int code) {
    switch (code) {
    case 1: return T(kFlowXon);
    case 2: return T(kFlowRts);
    }
    return T(kFlowNone);
}
// The two lines of the receive-line preset.
std::pair<std::string, std::string> presetTexts(int code) {
    switch (code) {
    case 1: return {T(kPresetA5), T(kPresetB0)};
    case 2: return {T(kPresetA0), T(kPresetB5)};
    }
    return {T(kPresetNone), " "};
}
std::string lineEndText(int code) {
    switch (code) {
    case 2: return T(kLf);
    case 3: return T(kCrLf);
    case 4: return T(kLfCr);
    }
    return T(kCr);
}
std::string charSetText(int code) {
    if (code == 0) return T(kIbm);
    if (code == 255) return T(kUserDefined);
    return num(code);
}
std::string emulationText(int code) {
    switch (code) {
    case 0: return T(kDeskjet);
    case 1: return T(kLaserjet);
    case 2: return T(kIbm);
    case 255: return T(kUserDefined);
    }
    return num(code);
}

// ---- sections ------------------------------------------------------------------------------

std::string moduleName(const CPtpDoc& d) { return d.m_strModuleObjectName.empty() ? d.m_szModuleName : d.m_strModuleObjectName; }

void header(const CPtpDoc& d, Lines& l) {
    const std::string title = T(kTitle) + "  " + moduleName(d) + " - " + d.m_strStationPath;
    l.f1(title);
    l.f1(std::string(CharCount(title), '='));
    l.empty();
    l.f1(T(kProperties));
    l.f2(T(kModule), moduleName(d));
    l.f2(T(kOrderNo), d.m_szOrderNo);
    if (d.m_nInterfaceNo != 0) {
        l.f3(T(kInterface), d.m_nInterfaceNo);
        l.f2(T(kInterfaceModule), d.m_szInterfaceName);
    } else {
        l.f2(T(kInterface), d.m_szInterfaceName);
    }
    l.f2(T(kRack), d.m_strRack);
    l.f2(T(kSlot), d.m_strSlot);
    l.empty(2);
}

// Baud rate, then the character frame without the priority and the closing empty line.
void speedAndFrame(const CDb& p, int moduleType, Lines& l) {
    l.f5(T(kSpeed));
    l.f9(T(kBaud), baudText(moduleType, p.byBaud), T(kBitsPerSecond));
    l.empty();
    l.f5(T(kFrame));
    l.f7(T(kDataBits), p.byDataBits);
    l.f8(T(kStopBits), stopBitsText(p.byStopBits));
    l.f8(T(kParity), parityText(p.byParity));
}

void breakLine(const CDb& p, Lines& l) { l.f10(T(kBreak), yesNo(p.byBreakOff == 0)); }

void bufferedTelegrams830(const CDb& p, Lines& l) {
    const bool whole = p.byBufferedTelegrams == 255;
    l.f8(T(kWholeBuffer), yesNo(whole));
    if (whole) l.f8(T(kBuffered), "-");
    else l.f7(T(kBuffered), p.byBufferedTelegrams);
}

void presetLines(const CDb& p, Lines& l) {
    const auto [first, second] = presetTexts(p.byLinePreset);
    l.f2(T(kLinePreset), first);
    l.f11(second);
}

void section3964(const CPtpDoc& d, Lines& l) {
    const CDb& p = d.m_CurParams;
    const int m = d.m_nModuleType;
    const bool rk512 = d.m_nProtocol == kProtRk512;
    l.f4(T(kProtocol), T(rk512 ? kRk512 : k3964));
    l.empty();
    if (rk512 && ((m == kCP731 && d.m_nProductVersion > 1) || (m == kCP8312 && d.m_nProductVersion > 4))) {
        l.f2(T(kReactionWait), T(p.wReactionWait != 0 ? kBaudDependent : kStandard));
        l.f6(T(kMaxWait), p.wReactionWait != 0 ? p.wReactionWait : 20000, T(kMs));
        l.empty();
    }
    // The CP 830 keeps its protocol mode and attempts in its own bytes and its character
    // delay time in ms; the other modules keep the mode in byMode and the time in 10 ms.
    bool standard, blockCheck;
    long charDelay, connectTries, sendTries;
    if (m == kCP830) {
        blockCheck = p.aby830Ext1[6] != 0;
        const auto sv = rules::standardValues(blockCheck);
        charDelay = p.wCharDelay;
        connectTries = p.aby830Ext1[3];
        sendTries = p.aby830Ext1[4];
        standard = charDelay == sv.charDelay && p.wAckDelay * 10L == sv.ackDelay && connectTries == sv.connectTries &&
                   sendTries == sv.sendTries;
    } else {
        standard = p.byMode != 3 && p.byMode != 4;
        blockCheck = p.byMode == 2 || p.byMode == 4;
        charDelay = p.wCharDelay * 10L;
        connectTries = p.byConnectTries;
        sendTries = p.bySendTries;
    }
    l.f2(T(kProtocolMode), T(standard ? kStandard : kNoStandard));
    l.f2("  ", T(blockCheck ? kWithCheck : kWithoutCheck));
    l.f5(T(kProtocolParams));
    l.f6(T(kCharDelay), charDelay, T(kMs));
    l.f6(T(kAckDelay), p.wAckDelay * 10L, T(kMs));
    l.f7(T(kConnectTries), connectTries);
    l.f7(T(kSendTries), sendTries);
    l.empty();
    speedAndFrame(p, m, l);
    l.f8(T(kPriority), priorityText(p.byPriority));
    l.empty();
    if (m == kCP730) {
        breakLine(p, l);
        l.empty();
    }
    l.f5(T(kRecvBuffer));
    l.f8(T(kClearBuffer), yesNo(p.byClearRecvBuf != 0));
    if (m == kCP830) {
        bufferedTelegrams830(p, l);
        l.f8(T(kNoOverwrite), yesNo(p.byNoOverwrite != 0));
    }
    l.empty();
    if (isCP831(m) && !rk512) {
        l.f5(T(kCpuBox));
        l.f8(T(kCpuBoxPresent), yesNo(p.wRecvDbNo != 0));
        if (p.wRecvDbNo != 0) l.f7(T(kDbNo), p.wRecvDbNo);
        l.empty();
    }
    if (m == kCP731 && d.m_nProductVersion > 1) {
        l.f2(T(kExtErrors), yesNo(p.byExtErrDisplay != 0));
        l.empty();
    }
    const int code = d.m_nInterfaceCode;
    const bool rs422 = ((m == kCP730 || m == kCP731) && code == kIfRs422) || m == kCP830 ||
                       (isCP831(m) && code == kIfHostRs422);
    if (rs422) {
        l.f2(T(kOpMode), T(kFullDuplex));
        l.empty();
        presetLines(p, l);
        if (!isCP831(m)) l.empty();
    }
}

// The send-mode lines: through the end character, up to the length, or up to the length
// with the end characters appended.
enum class SendMode { Through, ToLength, Append };
void sendModeLines(SendMode mode, Lines& l) {
    l.f8(T(kSendWithEnd), T(mode == SendMode::Through ? kSendThroughEnd : kSendToLength));
    if (mode == SendMode::Append) l.f18(T(kSendAppendEnd));
}

void endCharacters(const std::string& label, int count, unsigned first, unsigned second, bool send, Lines& l) {
    auto line = [&](const char* n, unsigned v) { send ? l.f13(n, label, v) : l.f12(n, label, v); };
    if (count >= 1) line("1.", first);
    if (count == 2) line("2.", second);
}

void endCriterion(const CPtpDoc& d, Lines& l) {
    const CDb& p = d.m_CurParams;
    const bool cp730 = d.m_nModuleType == kCP730;
    auto byDelay = [&] {
        l.f2(T(kEndDetection), T(kEndByDelay));
        l.f6(T(kCharDelay), p.wCharDelay, T(kMs));
    };
    auto byLength = [&] {
        l.f2(T(kEndDetection), T(kEndByLength));
        l.f6(T(kCharDelay), p.wCharDelay, T(kMs));
        l.f6(T(kTelegramLen), p.wTelegramLen, T(kBytes));
    };
    if (d.m_nModuleType == kCP830) {
        switch (p.byEndCrit830) {
        case 16: byDelay(); break;
        case 32:
        case 33:
        case 34:
            l.f2(T(kEndDetection), T(kEndChars));
            l.f6(T(kCharDelay), p.wCharDelay, T(kMs));
            l.f7(T(kEndCount), p.byRecvEndCount);
            endCharacters(T(kRecvEnd), p.byRecvEndCount, p.byRecvEnd1, p.byRecvEnd2, false, l);
            if (p.byRecvEndCount == 2) l.f15(T(kEndLink), T(p.byEndLink830 == 33 ? kOr : kAnd));
            l.empty();
            sendModeLines(p.byEndCrit830 == 33 ? SendMode::Through : p.byEndCrit830 == 32 ? SendMode::ToLength : SendMode::Append,
                          l);
            l.f14(T(kEndCount), p.bySendEndCount);
            endCharacters(T(kSendEnd), p.bySendEndCount, p.bySendEnd1, p.bySendEnd2, true, l);
            break;
        case 48:
        case 49:
            byLength();
            l.f17(T(kSendPause), yesNo(p.byEndCrit830 == 48));
            break;
        }
        return;
    }
    switch (p.byMode) {
    case 1: byDelay(); break;
    case 2:
        l.f2(T(kEndDetection), T(cp730 ? kEndByChars730 : kEndChars));
        l.f6(T(kCharDelay), p.wCharDelay, T(kMs));
        l.f7(T(kEndCount), p.byRecvEndCount);
        endCharacters(T(cp730 ? kCharacter : kRecvEnd), p.byRecvEndCount, p.byRecvEnd1, p.byRecvEnd2, false, l);
        if (p.bySendMode > 32) {
            l.empty();
            if (p.bySendMode == 33) sendModeLines(SendMode::Through, l);
            if (p.bySendMode == 34) sendModeLines(SendMode::ToLength, l);
            if (p.bySendMode == 35) sendModeLines(SendMode::Append, l);
            l.f14(T(kEndCount), p.bySendEndCount);
            endCharacters(T(cp730 ? kCharacter : kSendEnd), p.bySendEndCount, p.bySendEnd1, p.bySendEnd2, true, l);
        }
        break;
    case 3:
        byLength();
        if (p.bySendMode != 0) l.f17(T(kSendPause), yesNo(p.bySendMode == 48));
        break;
    }
}

void sectionAscii(const CPtpDoc& d, Lines& l) {
    const CDb& p = d.m_CurParams;
    const int m = d.m_nModuleType;
    const int code = d.m_nInterfaceCode;
    l.f4(T(kProtocol), T(kAscii));
    l.empty();
    endCriterion(d, l);
    l.empty();
    speedAndFrame(p, m, l);
    l.empty();
    if (m == kCP730) {
        breakLine(p, l);
        l.empty();
    }
    l.f2(T(kFlowCtrl), flowText(p.byFlowCtrl));
    const bool v24 = code == kIfRs232 || code == kIfHostRs232;
    if (v24) l.f8(T(kV24Signals), yesNo(p.byV24Signals != 0));
    if (p.byFlowCtrl == 1) {
        l.empty();
        l.f5(T(kFlowParams));
        l.f16(T(kXonChar), p.byXonChar);
        l.f16(T(kXoffChar), p.byXoffChar);
        l.f6(T(kXonWait), p.wXonWait * 10L, T(kMs));
    } else if (p.byFlowCtrl == 2) {
        l.empty();
        l.f5(T(kFlowParams));
        l.f6(T(kXonWait), p.wXonWait * 10L, T(kMs));
    } else if (p.byFlowCtrl == 0 && v24 && p.byV24Signals == 1) {
        l.empty();
        l.f5(T(kFlowParams));
        l.f6(T(kRtsOff), p.wRtsOffTime * 10L, T(kMs));
        l.f6(T(kOutputWait), p.wOutputWait * 10L, T(kMs));
    }
    l.empty();
    l.f5(T(kRecvBuffer));
    l.f8(T(kClearBuffer), yesNo(p.byClearRecvBuf != 0));
    if (m == kCP830) bufferedTelegrams830(p, l);
    else l.f7(T(kBuffered), p.byBufferedTelegrams);
    l.f8(T(kNoOverwrite), yesNo(p.byNoOverwrite != 0));
    l.empty();
    if (isCP831(m)) {
        l.f5(T(kCpuBox));
        l.f8(T(kCpuBoxPresent), yesNo(p.wRecvDbNo != 0));
        l.empty();
        if (p.wRecvDbNo != 0) {
            l.f7(T(kDbNo), p.wRecvDbNo);
            l.empty();
        }
    }
    if (m == kCP731 && d.m_nProductVersion > 1) {
        l.f2(T(kExtErrors), yesNo(p.byExtErrDisplay != 0));
        l.empty();
    }
    if (m == kCP830) {
        static constexpr std::array<int, 4> kModes{kPointToPoint, kHalfDuplex, kMultiMaster, kMultiSlave};
        l.f2(T(kOpMode), p.byOpMode830 < kModes.size() ? T(kModes[p.byOpMode830]) : num(p.byOpMode830));
        l.empty();
        presetLines(p, l);
    } else if (code == kIfRs422 || code == kIfHostRs422) {
        l.f2(T(kOpMode), T(p.byConnectTries == 1 ? kHalfDuplex : kFullDuplex));
        l.empty();
        presetLines(p, l);
    }
    l.empty();
}

void messageLines(const CPtpDoc& d, Lines& l) {
    const sdb::TextStore& texts = *d.m_pTexts;
    for (int n = texts.lowest(); n < texts.lowest() + texts.count; ++n) {
        const std::string text(texts.text(n));
        if (text.empty()) continue;
        // split after the 76th character, not inside a character's bytes
        size_t at = 0, chars = 0;
        while (at < text.size() && chars < kMessageWidth) {
            ++at;
            while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
            ++chars;
        }
        l.f20(n, text.substr(0, at));
        if (at < text.size()) l.f21(text.substr(at));
    }
}

void sectionPrinter(const CPtpDoc& d, Lines& l) {
    const CDb& p = d.m_CurParams;
    const CDbdr& dr = d.m_CurPrinter;
    const int m = d.m_nModuleType;
    l.f4(T(kProtocol), T(kPrinter));
    l.empty();
    // the printer never runs on a CP 830: its codes 11 and 12 do not apply
    speedAndFrame(p, m == kCP830 ? kCP731 : m, l);
    l.empty();
    l.f2(T(kFlowCtrl), flowText(p.byFlowCtrl));
    if (p.byFlowCtrl == 1) {
        l.empty();
        l.f5(T(kFlowParams));
        l.f16(T(kXonChar), p.byXonChar);
        l.f16(T(kXoffChar), p.byXoffChar);
        l.f6(T(kXonWait), p.wXonWait * 10L, T(kMs));
    } else if (p.byFlowCtrl == 2) {
        l.empty();
        l.f5(T(kFlowParams));
        l.f6(T(kXonWait), p.wXonWait * 10L, T(kMs));
    }
    l.empty();
    if (m == kCP730) {
        breakLine(p, l);
        l.empty();
        if (d.m_nInterfaceCode == kIfRs422) {
            l.f2(T(kOpMode), T(kFullDuplex));
            l.empty();
            presetLines(p, l);
            l.empty();
        }
    }
    l.empty(2);

    l.f1(T(kPageLayout));
    l.f3(T(kLeftMargin), dr.byLeftMargin);
    if (dr.byLinesPerPage == 0) l.f2(T(kLinesPerPage), T(kEndless));
    else l.f3(T(kLinesPerPage), dr.byLinesPerPage);
    l.f2(T(kLineEnd), lineEndText(dr.byLineEnd));
    l.f3(T(kHeaderLines), dr.byHeaderLines);
    l.f3(T(kFooterLines), dr.byFooterLines);
    l.empty(2);
    l.f4(T(kCharSet), charSetText(dr.byCharSet));
    l.empty(2);
    l.f4(T(kEmulation), emulationText(dr.byEmulation));
    l.empty(2);
    l.f4(T(kTextsPresent), yesNo(d.m_bTextPresent != 0));
    if (d.m_bTextPresent) {
        const CDbtex& name = d.m_CurTextName;
        l.f2(T(kTextName), std::string(name.achName.begin(), name.achName.end()));
        l.f2(T(kTextVersion), num(name.byVerHi) + "." + num(name.byVerLo));
        l.empty();
        l.f19(T(kNr), T(kText));
        l.f5(std::string(81, '-'));
        messageLines(d, l);
    }
    l.empty();
}

void sectionDriver(const CPtpDoc& d, Lines& l) {
    l.f4(T(kProtocol), T(kDriver));
    l.empty();
    const InstalledDriver* driver = d.InstalledDriverOf(d.m_nProtocol);
    DriverLibrary library;
    if (!driver || !library.Open(d.App().driverFolder + driver->library)) {
        l.empty();
    } else if (auto doDruck = library.Function<PtpDoDruck>(kPtpDoDruck)) {
        // the driver reads its data area; it gets a copy so that the document stays unchanged
        std::vector<uint8_t> area(CPtpDoc::kDriverDataSize, 0);
        uint32_t length = 0;
        if (d.m_pDriverData) {
            std::copy(d.m_pDriverData->begin(), d.m_pDriverData->end(), area.begin());
            length = static_cast<uint32_t>(std::min(d.m_nDriverDataLen, CPtpDoc::kDriverDataSize));
        }
        const PtpDriverData data{area.data(), static_cast<uint32_t>(area.size()), &length};
        const CDb params = d.m_CurParams;
        const PtpDriverInfo info = d.m_DriverInfo;
        doDruck(
            &params, &info, &data,
            [](void* lines, const char* text) { static_cast<Lines*>(lines)->f1(text ? text : ""); }, &l);
    }
    l.empty();
}

}  // namespace

std::vector<std::string> BuildPrintout(const CPtpDoc& doc) {
    Lines l;
    header(doc, l);
    if (isLoadableDriver(doc.m_nProtocol) || doc.m_nProtocol > 254) {
        sectionDriver(doc, l);
    } else {
        switch (doc.m_nProtocol) {
        case kProt3964:
        case kProtRk512: section3964(doc, l); break;
        case kProtAscii: sectionAscii(doc, l); break;
        case kProtPrinter: sectionPrinter(doc, l); break;
        }
    }
    return std::move(l.out);
}

}  // namespace printout

#include "pages/rules.h"

#include <cctype>

#include "resources/strings.h"

namespace rules {
namespace {

bool is730(const CheckContext& c) { return c.moduleType == kCP730; }
bool is830(const CheckContext& c) { return c.moduleType == kCP830; }
bool is831(const CheckContext& c) { return isCP831(c.moduleType); }

std::string num(long v) { return std::to_string(v); }

constexpr int kMsgEmpty = 550;
constexpr int kMsgRaster = 523;
constexpr long kTimeMax = 65530;

Verdict refuse(Field focus, int value, int caption, int message, std::vector<std::string> inserts = {}) {
    Verdict v;
    v.accepted = false;
    v.value = value;
    v.captionId = caption;
    v.messageId = message;
    v.inserts = std::move(inserts);
    v.focus = focus;
    return v;
}

Verdict accept(long value) {
    Verdict v;
    v.value = static_cast<int>(value);
    return v;
}

// Writes the corrected value of a refused verdict back into the page value.
template <class T>
Verdict settle(Verdict v, std::optional<T>& slot) {
    if (!v.accepted || !slot) slot = static_cast<T>(v.value);
    return v;
}

// The plain message box of the CP 830 3964(R) page.
constexpr const char* kParityNone7Bits =
    "Sie haben bei Parität \"keine\" und bei Datenbit \"7 Bit\" eingestellt. \nDies ist nicht möglich.\n"
    "Bitte ändern Sie die Einstellung bei Parität oder Datenbit.";

}  // namespace

CheckContext makeCheckContext(int moduleType, int interfaceCode, unsigned productVersion, int extended,
                              bool hostNewFeatures, bool readOnly) {
    CheckContext c;
    c.moduleType = moduleType;
    c.interfaceCode = interfaceCode;
    c.productVersion = productVersion;
    c.extended = extended ? 1 : 0;
    c.gatedExtended = c.extended;
    if (isCP831(moduleType) && !hostNewFeatures) c.gatedExtended = 0;
    c.readOnly = readOnly ? 1 : 0;
    return c;
}

std::string messageText(const Verdict& v) {
    if (!v.plainText.empty()) return v.plainText;
    if (v.messageId == 0) return {};
    return res::format(res::text(v.messageId), v.inserts);
}

std::optional<long> readNumber(std::string_view text) {
    text = text.substr(0, 6);
    if (text.empty()) return std::nullopt;
    long v = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) break;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::optional<int> readHex(std::string_view text) {
    text = text.substr(0, 3);
    if (text.empty()) return std::nullopt;
    int v = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) break;
        v = v * 16 + (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10));
    }
    return v & 0xFF;
}

Verdict checkNumeric(std::optional<long> v, const NumericRule& r) {
    auto empty = [&] { return refuse(r.field, r.emptyValue, r.captionId, kMsgEmpty, {num(r.emptyValue)}); };
    if (!v) return empty();
    auto tooHigh = [&]() -> std::optional<Verdict> {
        if (*v <= r.maximum) return std::nullopt;
        if (!r.tooHighMessage) return empty();
        return refuse(r.field, r.maximum, r.captionId, r.tooHighMessage, {num(r.maximum)});
    };
    auto tooLow = [&]() -> std::optional<Verdict> {
        if (*v >= r.minimum) return std::nullopt;
        if (!r.tooLowMessage) return empty();
        auto inserts = r.tooLowInserts.empty() ? std::vector<std::string>{num(r.minimum)} : r.tooLowInserts;
        return refuse(r.field, r.minimum, r.captionId, r.tooLowMessage, inserts);
    };
    auto raster = [&]() -> std::optional<Verdict> {
        if (!r.raster10 || *v <= r.rasterFrom || *v % 10 == 0) return std::nullopt;
        return refuse(r.field, static_cast<int>(*v - *v % 10), r.captionId, kMsgRaster);
    };
    std::optional<Verdict> out;
    switch (r.order) {
    case CheckOrder::EmptyLowHighRaster:
        if (!(out = tooLow()) && !(out = tooHigh())) out = raster();
        break;
    case CheckOrder::EmptyHighLowRaster:
        if (!(out = tooHigh()) && !(out = tooLow())) out = raster();
        break;
    case CheckOrder::EmptyRasterHighLow:
        if (!(out = raster()) && !(out = tooHigh())) out = tooLow();
        break;
    }
    return out ? *out : accept(*v);
}

int minDelay3964(int baudRate) {
    switch (baudRate) {
    case 300: return 60;
    case 600: return 40;
    case 1200: return 30;
    default: return 20;
    }
}

int minCharDelayAscii(const CheckContext& ctx, int b, int d, int s, int parity) {
    const int p = parity != 0 ? 1 : 0;
    auto formula = [&](int floor) {
        if (b <= 0) return floor;
        int m = 4 * (d + s + 1 + p) * 1000 / b;
        return m < floor ? floor : m;
    };
    auto table = [&](int at9600, int higher, int at19200) {
        switch (b) {
        case 0: return 1;
        case 300: return 130;
        case 600: return 65;
        case 1200: return 32;
        case 2400: return 16;
        case 4800: return 8;
        case 9600: return at9600;
        case 19200: return at19200;
        default: return b < 300 ? 130 : higher;
        }
    };
    if (is730(ctx)) return formula(4);
    if (is830(ctx)) return table(4, 1, 2);
    if (!ctx.extended) return formula(1);
    if (is831(ctx) && ctx.productVersion > 4) return table(2, 1, 1);
    return table(4, 2, 2);
}

int maxTelegramLen(const CheckContext& ctx) {
    if (is730(ctx)) return 1024;
    if (is830(ctx)) return 400;
    if (ctx.moduleType == kCP731 && ctx.productVersion < 2) return 1024;
    return 4096;
}

bool characterFrameValid(int dataBits, int stopBits, int parity) {
    const int sum = 1 + dataBits + stopBits + (parity != 0 ? 1 : 0);
    return sum == 10 || sum == 11;
}

// ---- field checks -------------------------------------------------------------------

namespace {
Verdict delay3964(std::optional<long> v, int baudRate, Field f, int caption, int tooHigh, int tooLow) {
    NumericRule r;
    r.field = f;
    r.captionId = caption;
    r.minimum = minDelay3964(baudRate);
    r.maximum = kTimeMax;
    r.emptyValue = r.minimum;
    r.tooHighMessage = tooHigh;
    r.tooLowMessage = tooLow;
    r.tooLowInserts = {num(baudRate), num(r.minimum)};
    r.raster10 = true;
    r.order = CheckOrder::EmptyLowHighRaster;
    return checkNumeric(v, r);
}

Verdict count(std::optional<long> v, Field f, int caption, int minimum, int maximum, int tooHigh) {
    NumericRule r;
    r.field = f;
    r.captionId = caption;
    r.minimum = minimum;
    r.maximum = maximum;
    r.emptyValue = minimum;
    r.tooHighMessage = tooHigh;
    return checkNumeric(v, r);
}

Verdict time10(std::optional<long> v, Field f, int caption, int tooHigh) {
    NumericRule r;
    r.field = f;
    r.captionId = caption;
    r.minimum = 0;
    r.maximum = kTimeMax;
    r.emptyValue = 0;
    r.tooHighMessage = tooHigh;
    r.raster10 = true;
    return checkNumeric(v, r);
}

Verdict character(std::optional<int> v, Field f, int caption) {
    if (!v) return refuse(f, 0, caption, kMsgEmpty, {"0"});
    return accept(*v & 0xFF);
}
}  // namespace

Verdict checkCharDelay3964(std::optional<long> v, int baudRate) {
    return delay3964(v, baudRate, Field::CharDelay, 400, 513, 501);
}

Verdict checkAckDelay3964(std::optional<long> v, int baudRate) {
    return delay3964(v, baudRate, Field::AckDelay, 401, 514, 502);
}

Verdict checkConnectTries(std::optional<long> v) { return count(v, Field::ConnectTries, 402, 1, 255, 510); }
Verdict checkSendTries(std::optional<long> v) { return count(v, Field::SendTries, 403, 1, 255, 511); }

Verdict checkDataBits(std::optional<long> v, int emptyValue, bool fixedEight) {
    NumericRule r;
    r.field = Field::DataBits;
    r.captionId = 406;
    r.minimum = fixedEight ? 8 : 7;
    r.maximum = 8;
    r.emptyValue = fixedEight ? 8 : emptyValue;
    return checkNumeric(v, r);
}

Verdict checkStopBits(std::optional<long> v, int emptyValue) {
    NumericRule r;
    r.field = Field::StopBits;
    r.captionId = 407;
    r.minimum = 1;
    r.maximum = 2;
    r.emptyValue = emptyValue;
    return checkNumeric(v, r);
}

Verdict checkCharDelayAscii(std::optional<long> v, int minimum) {
    NumericRule r;
    r.field = Field::CharDelay;
    r.captionId = 400;
    r.minimum = 0;  // the minimum belongs to the page check (509)
    r.maximum = kTimeMax;
    r.emptyValue = minimum;
    r.tooHighMessage = 513;
    return checkNumeric(v, r);
}

Verdict checkTelegramLen(std::optional<long> v, int maximum) {
    return count(v, Field::TelegramLen, 409, 1, maximum, 512);
}

Verdict checkEndChar(std::optional<int> v, Field which) { return character(v, which, 408); }
Verdict checkXonXoffChar(std::optional<int> v, Field which) { return character(v, which, 410); }

Verdict checkXonWait(std::optional<long> v, bool printerPage) {
    NumericRule r;
    r.field = Field::XonWait;
    r.captionId = 411;
    r.minimum = 20;
    r.maximum = kTimeMax;
    r.emptyValue = 20;
    r.tooHighMessage = 515;
    r.tooLowMessage = 516;
    r.raster10 = true;
    r.rasterFrom = 20;
    r.order = printerPage ? CheckOrder::EmptyRasterHighLow : CheckOrder::EmptyHighLowRaster;
    return checkNumeric(v, r);
}

Verdict checkRtsOffTime(std::optional<long> v) { return time10(v, Field::RtsOffTime, 418, 525); }
Verdict checkOutputWait(std::optional<long> v) { return time10(v, Field::OutputWait, 419, 527); }

Verdict checkBufferedTelegrams(std::optional<long> v, int moduleType) {
    if (moduleType == kCP830) {
        if (!v || *v < 1 || *v > 10) return refuse(Field::BufferedTelegrams, 10, 412, 517, {"10"});
        return accept(*v);
    }
    return count(v, Field::BufferedTelegrams, 412, 1, 250, 517);
}

Verdict checkRecvDbNo(std::optional<long> v) {
    NumericRule r;
    r.field = Field::RecvDbNo;
    r.captionId = 414;
    r.minimum = 0;  // 0 is the page check's case (518)
    r.maximum = kTimeMax;
    r.emptyValue = 1;
    r.tooHighMessage = 520;
    return checkNumeric(v, r);
}

Verdict checkLeftMargin(std::optional<long> v, int spinPosition) {
    NumericRule r;
    r.field = Field::LeftMargin;
    r.captionId = 421;
    r.minimum = 0;
    r.maximum = 255;
    r.emptyValue = spinPosition;
    r.tooHighMessage = 530;
    return checkNumeric(v, r);
}

Verdict checkLinesPerPage(std::optional<long> v, int spinPosition) {
    NumericRule r;
    r.field = Field::LinesPerPage;
    r.captionId = 422;
    r.minimum = 0;
    r.maximum = 255;
    r.emptyValue = spinPosition;
    r.tooHighMessage = 531;
    return checkNumeric(v, r);
}

// ---- page checks ------------------------------------------------------------------

#define PTP_STEP(expr)                  \
    do {                                \
        Verdict step_ = (expr);         \
        if (!step_.accepted) return step_; \
    } while (0)

Verdict checkProtocolPage3964(const CheckContext& ctx, ProtocolPage3964& p) {
    PTP_STEP(settle(checkConnectTries(p.connectTries), p.connectTries));
    PTP_STEP(settle(checkSendTries(p.sendTries), p.sendTries));
    PTP_STEP(settle(checkCharDelay3964(p.charDelay, p.baudRate), p.charDelay));
    PTP_STEP(settle(checkAckDelay3964(p.ackDelay, p.baudRate), p.ackDelay));
    // The baud rate may have changed since the delay fields were left.
    const int minimum = minDelay3964(p.baudRate);
    if (*p.charDelay < minimum) {
        p.charDelay = minimum;
        return refuse(Field::CharDelay, minimum, 400, 501, {num(p.baudRate), num(minimum)});
    }
    if (*p.ackDelay < minimum) {
        p.ackDelay = minimum;
        return refuse(Field::AckDelay, minimum, 401, 502, {num(p.baudRate), num(minimum)});
    }
    PTP_STEP(settle(checkDataBits(p.dataBits, p.rk512 ? 8 : 7, p.rk512), p.dataBits));
    PTP_STEP(settle(checkStopBits(p.stopBits), p.stopBits));
    if (is830(ctx) && p.parity == 0 && *p.dataBits == 7) {
        Verdict v = refuse(Field::None, 7, 0, 559);
        v.plainText = kParityNone7Bits;
        return v;
    }
    if (is730(ctx) && !characterFrameValid(static_cast<int>(*p.dataBits), static_cast<int>(*p.stopBits), p.parity))
        return refuse(Field::DataBits, static_cast<int>(*p.dataBits), 405, 503);
    return Verdict{};
}

namespace {
// With 7 data bits an end character must stay below 0x80.
Verdict sevenBit(const std::optional<int>& c, Field f) {
    if (c && *c >= 0x80) return refuse(f, *c, 408, 508);
    return Verdict{};
}
}  // namespace

Verdict checkAsciiPage(const CheckContext& ctx, AsciiPage& p) {
    // The minimum is taken with the frame as its fields hold it at that moment; an
    // emptied data-bit or stop-bit field is reported in its own turn.
    auto frameMinimum = [&] {
        return minCharDelayAscii(ctx, p.baudRate, static_cast<int>(p.dataBits.value_or(7)),
                                 static_cast<int>(p.stopBits.value_or(1)), p.parity);
    };
    auto delayField = [&] { return settle(checkCharDelayAscii(p.charDelay, frameMinimum()), p.charDelay); };
    auto delayMinimum = [&] {
        const int m = frameMinimum();
        if (*p.charDelay < m) {
            p.charDelay = m;
            return refuse(Field::CharDelay, m, 400, 509, {num(m)});
        }
        return Verdict{};
    };
    auto telegram = [&] { return settle(checkTelegramLen(p.telegramLen, maxTelegramLen(ctx)), p.telegramLen); };
    auto dataBits = [&] { return settle(checkDataBits(p.dataBits, 7), p.dataBits); };
    auto stopBits = [&] { return settle(checkStopBits(p.stopBits), p.stopBits); };
    auto end = [&](std::optional<int>& c, Field f) { return settle(checkEndChar(c, f), c); };
    const bool endChars = p.endCriterion == 2;

    if (is730(ctx)) {
        PTP_STEP(delayField());
        PTP_STEP(dataBits());
        PTP_STEP(delayMinimum());
        PTP_STEP(telegram());
        PTP_STEP(stopBits());
        if (!characterFrameValid(static_cast<int>(*p.dataBits), static_cast<int>(*p.stopBits), p.parity))
            return refuse(Field::DataBits, static_cast<int>(*p.dataBits), 405, 503);
        PTP_STEP(end(p.recvEnd1, Field::RecvEnd1));
        PTP_STEP(end(p.recvEnd2, Field::RecvEnd2));
        if (endChars && *p.dataBits == 7) {
            PTP_STEP(sevenBit(p.recvEnd1, Field::RecvEnd1));
            if (p.recvEndCount == 2) PTP_STEP(sevenBit(p.recvEnd2, Field::RecvEnd2));
        }
        return Verdict{};
    }

    PTP_STEP(delayField());
    PTP_STEP(delayMinimum());
    PTP_STEP(telegram());
    PTP_STEP(dataBits());
    PTP_STEP(stopBits());
    if (is830(ctx) && p.parity == 0 && *p.dataBits == 7) return refuse(Field::Parity, 0, 405, 559);
    PTP_STEP(end(p.recvEnd1, Field::RecvEnd1));
    PTP_STEP(end(p.recvEnd2, Field::RecvEnd2));
    PTP_STEP(end(p.sendEnd1, Field::SendEnd1));
    PTP_STEP(end(p.sendEnd2, Field::SendEnd2));
    const bool seven = *p.dataBits == 7;

    if (is830(ctx)) {
        if (!endChars) return Verdict{};
        if (seven) PTP_STEP(sevenBit(p.recvEnd1, Field::RecvEnd1));
        if (p.recvEndCount != 2)
            p.recvEnd2 = p.recvEnd1;  // one end character: the module compares both
        else if (seven)
            PTP_STEP(sevenBit(p.recvEnd2, Field::RecvEnd2));
        if (p.sendMode == 0x21 || p.sendMode == 0x22) {
            if (seven) PTP_STEP(sevenBit(p.sendEnd1, Field::SendEnd1));
            if (p.sendEndCount != 2)
                p.sendEnd2 = p.sendEnd1;
            else if (seven)
                PTP_STEP(sevenBit(p.sendEnd2, Field::SendEnd2));
        }
        return Verdict{};
    }

    if (endChars && seven) {
        PTP_STEP(sevenBit(p.recvEnd1, Field::RecvEnd1));
        if (p.recvEndCount == 2) PTP_STEP(sevenBit(p.recvEnd2, Field::RecvEnd2));
        if (p.sendMode == 0x21 || p.sendMode == 0x23) {
            PTP_STEP(sevenBit(p.sendEnd1, Field::SendEnd1));
            if (p.sendEndCount == 2) PTP_STEP(sevenBit(p.sendEnd2, Field::SendEnd2));
        }
    }
    return Verdict{};
}

Verdict checkTransmissionPage(const CheckContext& ctx, TransmissionPage& p) {
    const bool checkChars = is730(ctx) ? p.flow == kFlowXonXoff : p.flow != kFlowNone;
    if (checkChars) {
        PTP_STEP(settle(checkXonXoffChar(p.xon, Field::Xon), p.xon));
        PTP_STEP(settle(checkXonXoffChar(p.xoff, Field::Xoff), p.xoff));
        if (*p.xon == *p.xoff) return refuse(Field::Xon, *p.xon, 410, 504);
    }
    PTP_STEP(settle(checkXonWait(p.xonWait, false), p.xonWait));
    if (!is830(ctx)) {
        PTP_STEP(settle(checkRtsOffTime(p.rtsOffTime), p.rtsOffTime));
        PTP_STEP(settle(checkOutputWait(p.outputWait), p.outputWait));
    }
    return Verdict{};
}

Verdict checkReceivePage(const CheckContext& ctx, ReceivePage& p) {
    if (is830(ctx)) {
        if (!p.wholeBuffer) PTP_STEP(settle(checkBufferedTelegrams(p.bufferedTelegrams, kCP830), p.bufferedTelegrams));
        return Verdict{};
    }
    if (p.ascii) PTP_STEP(settle(checkBufferedTelegrams(p.bufferedTelegrams, ctx.moduleType), p.bufferedTelegrams));
    if (!is730(ctx) && p.useCpuBox) {
        PTP_STEP(settle(checkRecvDbNo(p.dbNo), p.dbNo));
        if (*p.dbNo == 0) return refuse(Field::RecvDbNo, 0, 413, 518);
    }
    return Verdict{};
}

Verdict checkPrinterPage(const CheckContext& ctx, PrinterPage& p) {
    PTP_STEP(settle(checkDataBits(p.dataBits, p.dataBitsSpin), p.dataBits));
    PTP_STEP(settle(checkStopBits(p.stopBits, p.stopBitsSpin), p.stopBits));
    if (is730(ctx) && !characterFrameValid(static_cast<int>(*p.dataBits), static_cast<int>(*p.stopBits), p.parity))
        return refuse(Field::DataBits, static_cast<int>(*p.dataBits), 405, 503);
    PTP_STEP(settle(checkXonXoffChar(p.xon, Field::Xon), p.xon));
    PTP_STEP(settle(checkXonXoffChar(p.xoff, Field::Xoff), p.xoff));
    if (*p.xon == *p.xoff) return refuse(Field::Xon, *p.xon, 410, 504);
    PTP_STEP(settle(checkXonWait(p.xonWait, true), p.xonWait));
    return Verdict{};
}

Verdict checkAsciiSheet(const CheckContext& ctx, const AsciiPage& a, const TransmissionPage& t,
                        const ReceivePage& r, int operatingMode) {
    const bool xonXoff = t.flow == kFlowXonXoff;
    if (xonXoff) {
        bool halfDuplex = false;
        if (is830(ctx))
            halfDuplex = operatingMode != 0;
        else if (is730(ctx) || ctx.moduleType == kCP731)
            halfDuplex = ctx.interfaceCode == kIfRs422 && operatingMode == 1;
        else if (is831(ctx))
            halfDuplex = ctx.interfaceCode == kIfHostRs422 && operatingMode == 1;
        if (halfDuplex) return refuse(Field::FlowControl, t.flow, 410, 2043);
    }
    const int xon = t.xon.value_or(0), xoff = t.xoff.value_or(0);
    if (a.endCriterion == 2 && xonXoff) {
        const int e1 = a.recvEnd1.value_or(0), e2 = a.recvEnd2.value_or(0);
        if (e1 == xon || e1 == xoff) return refuse(Field::RecvEnd1, e1, 410, 505);
        if (a.recvEndCount == 2 && (e2 == xon || e2 == xoff)) return refuse(Field::RecvEnd2, e2, 410, 505);
    }
    if (xonXoff && a.dataBits.value_or(8) == 7 && (xon >= 0x80 || xoff >= 0x80))
        return refuse(Field::DataBits, 7, 410, 506);
    if (!is830(ctx) && r.bufferedTelegrams.value_or(1) == 1 && !r.noOverwrite && t.flow != kFlowNone)
        return refuse(Field::FlowControl, t.flow, 416, 522);
    return Verdict{};
}

#undef PTP_STEP

// ---- immediate rules ----------------------------------------------------------------

BufferedChange onBufferedTelegramsChanged(const CheckContext& ctx, std::optional<long> number, bool noOverwrite) {
    BufferedChange out;
    out.number = number.value_or(0);
    if (out.number > 1 && !noOverwrite) {
        out.verdict = refuse(Field::BufferedTelegrams, 1, 412, 519);
        out.number = 1;
    }
    const bool one = is730(ctx) ? out.number == 1 : out.number <= 1;
    if (one) {
        out.clearEnabled = false;
        out.clearUnchecked = true;
    } else {
        out.clearEnabled = is730(ctx) || (ctx.moduleType == kCP731 && ctx.productVersion > 1);
    }
    return out;
}

OverwriteClick onNoOverwriteClicked(bool newState, long bufferedTelegrams) {
    OverwriteClick out;
    if (bufferedTelegrams > 1 && !newState) {
        out.verdict = refuse(Field::NoOverwrite, 1, 417, 524);
        out.noOverwrite = true;
    } else {
        out.noOverwrite = newState;
    }
    out.numberEnabled = out.noOverwrite;
    return out;
}

CpuBoxClick onCpuBoxClicked(bool checked, long dbNo) {
    CpuBoxClick out;
    out.showDbFields = checked;
    out.dbNo = checked && dbNo == 0 ? 1 : dbNo;
    return out;
}

long storedRecvDbNo(bool useCpuBox, long dbNo) { return useCpuBox ? dbNo : 0; }

WholeBufferClick onWholeBufferClicked(bool checked, long number) {
    WholeBufferClick out;
    if (checked) return out;
    long n = number > 10 ? 10 : number < 1 ? 1 : number;
    out.stored = static_cast<int>(n);
    out.shownNumber = n;
    out.numberEnabled = true;
    return out;
}

StandardValues standardValues(bool blockCheck) {
    StandardValues s;
    s.ackDelay = blockCheck ? 2000 : 550;
    return s;
}

Verdict priorityHint(const CheckContext& ctx, int priority) {
    Verdict v;
    if (ctx.readOnly) return v;
    v.messageId = 565;
    v.captionId = 564;
    const bool high = priority == 1;
    v.inserts = {res::text(high ? 10451 : 10450), res::text(high ? 10450 : 10451)};
    v.value = priority;
    return v;
}

PresetState onOperatingMode(InterfacePage page, int mode, int preset) {
    PresetState s;
    s.preset = preset;
    switch (page) {
    case InterfacePage::CP830Ascii:
        switch (mode) {
        case 0: s.preset = 1; break;
        case 1: s.preset = 0; s.fiveVoltEnabled = false; break;
        case 2: s.preset = 2; s.noneEnabled = false; s.fiveVoltEnabled = false; break;
        default: s.preset = 0; break;
        }
        return s;
    case InterfacePage::CP730Ascii:
    case InterfacePage::CP731:
        if (mode == 1) {
            s.fiveVoltEnabled = false;
            if (preset == 1) {
                s.preset = 2;
                if (page == InterfacePage::CP730Ascii) s.breakMonitoring = false;
            }
        }
        if (page == InterfacePage::CP730Ascii) s.noneEnabled = false;
        return s;
    case InterfacePage::CP730:
        s.noneEnabled = false;
        return s;
    case InterfacePage::CP830_3964:
        return s;
    }
    return s;
}

std::optional<bool> breakMonitoringForPreset(const CheckContext& ctx, int preset) {
    if (!is730(ctx) || ctx.interfaceCode != 28) return std::nullopt;
    if (preset == 1) return true;
    if (preset == 2) return false;
    return std::nullopt;
}

LayoutCheck checkPageLayout(int linesPerPage, bool header1, bool header2, bool footer1, bool footer2) {
    LayoutCheck out;
    out.headerLines = header2 ? 2 : header1 ? 1 : 0;
    out.footerLines = footer2 ? 2 : footer1 ? 1 : 0;
    if (linesPerPage < out.headerLines + out.footerLines)
        out.verdict = refuse(Field::LinesPerPage, linesPerPage, 422, 542);
    else
        out.verdict.value = linesPerPage;
    return out;
}

Verdict checkHeaderFooterLength(size_t length, size_t maximum) {
    if (length < maximum) return Verdict{};
    Verdict v = refuse(Field::HeaderFooter, static_cast<int>(maximum), 423, 532);
    v.accepted = true;  // a notice only; the text stays as it is
    return v;
}

}  // namespace rules

#include "pages/baud.h"

#include <algorithm>

namespace rules {
namespace {

constexpr int kLow[] = {300, 600, 1200, 2400, 4800, 9600, 19200};

}  // namespace

std::optional<Sheet> sheetFor(int moduleType, int protocol) {
    switch (moduleType) {
    case kCP730:
        if (protocol == kProt3964) return Sheet::CP730_3964;
        if (protocol == kProtAscii) return Sheet::CP730_Ascii;
        if (protocol == kProtPrinter) return Sheet::CP730_Printer;
        return std::nullopt;
    case kCP830:
        if (protocol == kProt3964) return Sheet::CP830_3964;
        if (protocol == kProtAscii) return Sheet::CP830_Ascii;
        return std::nullopt;
    case kCP731:
    case kCP8311:
    case kCP8312:
        if (protocol == kProt3964) return Sheet::CP731_3964;
        if (protocol == kProtAscii) return Sheet::CP731_Ascii;
        if (protocol == kProtRk512) return Sheet::CP731_Rk512;
        if (protocol == kProtPrinter) return Sheet::CP731_Printer;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::vector<int> baudRates(Sheet sheet, const CheckContext& ctx) {
    const int m = ctx.moduleType;
    const unsigned pv = ctx.productVersion;
    const bool gated = ctx.gatedExtended != 0;
    std::vector<int> out;
    switch (sheet) {
    case Sheet::CP730_3964:
        return {2400, 4800, 9600, 19200};
    case Sheet::CP730_Ascii:
    case Sheet::CP730_Printer:
        return {2400, 4800, 9600};
    case Sheet::CP830_3964:
    case Sheet::CP830_Ascii:
        return {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 76800, 115200};
    case Sheet::CP731_3964:
    case Sheet::CP731_Ascii:
        out.assign(std::begin(kLow), std::end(kLow));
        if (isTty(ctx.interfaceCode)) return out;
        out.push_back(38400);
        if (m == kCP731) {
            if (gated) out.push_back(57600);
            out.push_back(76800);
            if (pv > 1) out.push_back(115200);
        } else if (m == kCP8311) {
            if (gated && pv > 4) out.insert(out.end(), {57600, 76800, 115200});
        } else {
            if (gated) out.push_back(57600);
            out.push_back(76800);
            if (gated) out.push_back(115200);
        }
        return out;
    case Sheet::CP731_Rk512:
        out.assign(std::begin(kLow), std::end(kLow));
        if (isTty(ctx.interfaceCode) || m == kCP8311) return out;
        out.push_back(38400);
        if (gated) out.push_back(57600);
        out.push_back(76800);
        if (m == kCP731 ? pv > 1 : gated) out.push_back(115200);
        return out;
    case Sheet::CP731_Printer:
        out.assign(std::begin(kLow), std::end(kLow));
        if (isTty(ctx.interfaceCode)) return out;
        out.push_back(38400);
        // 57600 follows the flag alone here, also on a CP 831-1 of an early version
        if (gated) out.push_back(57600);
        if (m != kCP8311 || pv > 4) out.push_back(76800);
        if (gated && (m == kCP8312 || (m == kCP731 && pv > 1) || (m == kCP8311 && pv > 4))) out.push_back(115200);
        return out;
    }
    return out;
}

int baudCode(int moduleType, int baudRate) {
    switch (baudRate) {
    case 300: return 3;
    case 600: return 4;
    case 1200: return 5;
    case 2400: return 6;
    case 4800: return 7;
    case 9600: return 8;
    case 19200: return 9;
    case 38400: return 10;
    case 76800: return moduleType == kCP830 ? 12 : 11;
    case 57600: return moduleType == kCP830 ? 11 : 12;
    case 115200: return 13;
    default: return 0;
    }
}

int baudRateOfCode(int moduleType, int code) {
    for (int rate : {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 76800, 115200})
        if (baudCode(moduleType, rate) == code) return rate;
    return 0;
}

BaudSelection selectBaud(Sheet sheet, const CheckContext& ctx, int code) {
    BaudSelection out;
    const auto list = baudRates(sheet, ctx);
    // The TTY printer list ends at 19200; faster stored rates are taken as 19200.
    if (sheet == Sheet::CP731_Printer && isTty(ctx.interfaceCode) && code > 9) code = 9;
    const int rate = baudRateOfCode(ctx.moduleType, code);
    auto it = std::find(list.begin(), list.end(), rate);
    if (rate != 0 && it != list.end()) {
        out.index = static_cast<int>(it - list.begin());
        out.baudRate = rate;
        return out;
    }
    if (ctx.moduleType == kCP730) return out;
    out.index = 5;
    out.baudRate = list.size() > 5 ? list[5] : 9600;
    out.verdict.messageId = 557;
    out.verdict.captionId = 404;
    out.verdict.focus = Field::Baud;
    out.verdict.value = out.baudRate;
    return out;
}

}  // namespace rules

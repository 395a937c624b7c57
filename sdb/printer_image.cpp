#include "sdb/printer_image.h"

#include <algorithm>

#include "sdb/bytes.h"

namespace sdb {

size_t PrinterImageSize(const BlockLengths& l) {
    size_t n = kPrinterSettingsSize;
    for (int i = 4; i <= 9; ++i) n += l[static_cast<size_t>(i)];
    return n;
}

namespace {
std::span<const uint8_t> asBytes(const std::array<char, CDbdr::kTextLineSize>& line) {
    return {reinterpret_cast<const uint8_t*>(line.data()), line.size()};
}
std::span<uint8_t> asBytes(std::array<char, CDbdr::kTextLineSize>& line) {
    return {reinterpret_cast<uint8_t*>(line.data()), line.size()};
}
}  // namespace

size_t WritePrinterImage(const CDbdr& dr, const BlockLengths& l, std::span<uint8_t> out) {
    ImageWriter w(out);
    const uint8_t settings[kPrinterSettingsSize] = {dr.byCharSet,     dr.byEmulation,   dr.byLinesPerPage,
                                                    dr.byLeftMargin,  dr.byHeaderLines, dr.byFooterLines,
                                                    dr.byLineEnd};
    w.bytes(0, settings);
    size_t at = kPrinterSettingsSize;

    const size_t ctrl = l[4];
    if (ctrl >= 1) w.u8(at, dr.byCtrlCount);
    if (ctrl >= 2) w.u8(at + 1, dr.byCtrlLength);
    if (ctrl > 2) w.bytes(at + 2, std::span(dr.abyCtrlTable).first(std::min<size_t>(ctrl - 2, dr.abyCtrlTable.size())));
    at += ctrl;

    w.bytes(at, std::span(dr.abyCharTable).first(std::min<size_t>(l[5], dr.abyCharTable.size())));
    at += l[5];

    for (size_t i = 0; i < CDbdr::kTextLines; ++i) {
        const size_t len = l[6 + i];
        w.bytes(at, asBytes(dr.achTextLine[i]).first(std::min<size_t>(len, CDbdr::kTextLineSize)));
        at += len;
    }
    return at;
}

size_t ReadPrinterImage(std::span<const uint8_t> in, const BlockLengths& l, CDbdr& dr) {
    ImageReader r(in);
    uint8_t* settings[kPrinterSettingsSize] = {&dr.byCharSet,    &dr.byEmulation,   &dr.byLinesPerPage,
                                               &dr.byLeftMargin, &dr.byHeaderLines, &dr.byFooterLines,
                                               &dr.byLineEnd};
    for (size_t i = 0; i < kPrinterSettingsSize; ++i)
        if (i < in.size()) *settings[i] = in[i];
    size_t at = kPrinterSettingsSize;

    const size_t ctrl = l[4];
    if (ctrl >= 1 && at < in.size()) dr.byCtrlCount = in[at];
    if (ctrl >= 2 && at + 1 < in.size()) dr.byCtrlLength = in[at + 1];
    if (ctrl > 2) r.copy(at + 2, std::span(dr.abyCtrlTable).first(std::min<size_t>(ctrl - 2, dr.abyCtrlTable.size())));
    at += ctrl;

    r.copy(at, std::span(dr.abyCharTable).first(std::min<size_t>(l[5], dr.abyCharTable.size())));
    at += l[5];

    for (size_t i = 0; i < CDbdr::kTextLines; ++i) {
        const size_t len = l[6 + i];
        r.copy(at, asBytes(dr.achTextLine[i]).first(std::min<size_t>(len, CDbdr::kTextLineSize)));
        at += len;
    }
    return at;
}

}  // namespace sdb

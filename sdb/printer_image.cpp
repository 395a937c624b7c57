#include "sdb/printer_image.h"

#include "sdb/bytes.h"
#include "sdb/field_image.h"

namespace sdb {

size_t PrinterImageSize(const BlockLengths& l) {
    size_t n = kPrinterSettingsSize;
    for (int i = 4; i <= 9; ++i) n += l[static_cast<size_t>(i)];
    return n;
}

namespace {
// Where sub-block `part` (3 to 9) lies in the printer image and how long it is: sub-block 3
// always holds its seven bytes, the others as long as their lengths say.
FieldPlace partPlace(int part, const BlockLengths& l) {
    if (part <= 3) return {0, kPrinterSettingsSize};
    size_t start = kPrinterSettingsSize;
    for (int i = 4; i < part; ++i) start += l[static_cast<size_t>(i)];
    return {start, l[static_cast<size_t>(part)]};
}
}  // namespace

size_t WritePrinterImage(const CDbdr& dr, const BlockLengths& l, std::span<uint8_t> out) {
    ImageWriter w(out);
    WriteFields(PrinterFields(), dr, w, [&](const BlockField<CDbdr>& f) { return partPlace(f.part, l); });
    return PrinterImageSize(l);
}

size_t ReadPrinterImage(std::span<const uint8_t> in, const BlockLengths& l, CDbdr& dr) {
    ReadFields(PrinterFields(), ImageReader(in), dr, [&](const BlockField<CDbdr>& f) { return partPlace(f.part, l); });
    return PrinterImageSize(l);
}

}  // namespace sdb

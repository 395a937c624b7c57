// Printer block: 22 bytes of sub-block lengths, then the stored image.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sdb/printer_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 22) return 0;
    sdb::BlockLengths lengths{};
    for (size_t i = 0; i < lengths.size(); ++i) lengths[i] = static_cast<uint16_t>(data[2 * i] << 8 | data[2 * i + 1]);
    CDbdr dr;
    const size_t read = sdb::ReadPrinterImage({data + 22, size - 22}, lengths, dr);
    std::vector<uint8_t> out(sdb::PrinterImageSize(lengths));
    const size_t written = sdb::WritePrinterImage(dr, lengths, out);
    if (read != written || written != out.size()) __builtin_trap();
    // a buffer shorter than the lengths say takes only what fits
    std::vector<uint8_t> small(size - 22);
    sdb::WritePrinterImage(dr, lengths, small);
    return 0;
}

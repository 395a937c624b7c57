#include "printer/dialog_copy.h"

namespace printer {

namespace {
constexpr int kCtrlLengthIndex = 4;
constexpr int kFirstTextLineIndex = 6;
}  // namespace

std::array<uint16_t, 4> DialogCopy::textLineLengths() const {
    return {lengths[kFirstTextLineIndex], lengths[kFirstTextLineIndex + 1], lengths[kFirstTextLineIndex + 2],
            lengths[kFirstTextLineIndex + 3]};
}

void DialogCopy::setTextLineLengths(const std::array<uint16_t, 4>& l) {
    for (int i = 0; i < 4; ++i) lengths[kFirstTextLineIndex + i] = l[i];
}

DialogCopy CopyForDialog(const CPtpDoc& doc) {
    DialogCopy c;
    c.record = doc.m_CurPrinter;
    c.lengths = doc.BlockLengths;
    c.readOnly = doc.m_bOnline != 0;
    c.language = doc.App().language;
    return c;
}

bool TakeDialogCopy(CPtpDoc& doc, PrinterDialog dialog, const DialogCopy& copy) {
    if (copy.readOnly || doc.m_bOnline) return false;
    doc.m_CurPrinter = copy.record;
    switch (dialog) {
    case PrinterDialog::CharacterSet:
        break;
    case PrinterDialog::ControlCharacters:
        doc.BlockLengths[kCtrlLengthIndex] = copy.lengths[kCtrlLengthIndex];
        break;
    case PrinterDialog::PageLayout:
        for (int i = kFirstTextLineIndex; i < kFirstTextLineIndex + 4; ++i) doc.BlockLengths[i] = copy.lengths[i];
        break;
    }
    doc.SetModifiedFlag();
    return true;
}

}  // namespace printer

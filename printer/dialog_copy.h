#pragma once
// How the overview hands the printer-output record to the character set, control characters
// and page layout dialogs and takes it back: each dialog works on a copy of the record and of
// the sub-block lengths; on OK the document gets the record and only the lengths that dialog
// edits (4 for the control characters, 6 to 9 for the page layout) and is marked modified.
// Online nothing goes back.
#include <array>
#include <cstdint>

#include "document/ptp_doc.h"
#include "document/records.h"

namespace printer {

enum class PrinterDialog { CharacterSet, ControlCharacters, PageLayout };

struct DialogCopy {
    CDbdr record;
    std::array<uint16_t, CPtpDoc::kBlockLengthCount> lengths{};
    bool readOnly = false;
    char language = 'B';  // the user-interface language: the built-in character set

    // The lengths of text lines 1 to 4 (sub-blocks 6 to 9).
    std::array<uint16_t, 4> textLineLengths() const;
    void setTextLineLengths(const std::array<uint16_t, 4>& l);
};

DialogCopy CopyForDialog(const CPtpDoc& doc);

// The dialog's OK: false (and the document untouched) in read-only mode.
bool TakeDialogCopy(CPtpDoc& doc, PrinterDialog dialog, const DialogCopy& copy);

}  // namespace printer

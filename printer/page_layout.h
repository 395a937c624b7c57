#pragma once
// The page layout dialog's model: left margin, lines per page, the line terminator and the
// two header and two footer lines, with the checks of the fields and of OK, and what OK
// writes into the printer-output record and the lengths of the four text lines.
#include <array>
#include <cstdint>
#include <string>

#include "document/records.h"
#include "pages/rules.h"

namespace printer {

class PageLayoutModel {
public:
    static constexpr int kTextChars = CDbdr::kTextLineSize;
    static constexpr const char* kNumberPattern = "[0-9]{3}";
    static constexpr int kSpinMax = 255;
    enum Line { kHeader1 = 0, kHeader2 = 1, kFooter1 = 2, kFooter2 = 3 };

    // `lineLengths`: the used lengths of text lines 1 to 4 (sub-blocks 6 to 9).
    PageLayoutModel(const CDbdr& record, const std::array<uint16_t, 4>& lineLengths, bool readOnly);

    bool readOnly() const { return readOnly_; }

    // What the fields hold, as the user typed it. Texts are UTF-8.
    std::string leftMargin, linesPerPage;
    int lineEnd = 2;                      // combo position: 0 CR, 1 LF, 2 CR LF, 3 LF CR; -1 none
    std::array<std::string, 4> lines;     // header 1, header 2, footer 1, footer 2

    // The spin controls' positions: the last values the fields took.
    int leftMarginPosition() const { return leftPos_; }
    int linesPerPagePosition() const { return linesPos_; }
    // The terminator names of the combo box ("CR", "LF", "CR LF", "LF CR").
    static std::array<std::string, 4> lineEndNames();

    // A number field loses the focus: empty gives 550 with the spin position, above 255 gives
    // 530 or 531; the field then holds the corrected value and keeps the focus.
    rules::Verdict leaveLeftMargin();
    rules::Verdict leaveLinesPerPage();

    // A key typed into a header or footer line that holds `length` characters: message 532
    // once the line is full.
    static rules::Verdict typing(size_t length);

    // OK: the number fields' checks, then the lines per page against the header and footer
    // lines in use (542). Accepted: writeBack() may follow.
    rules::Verdict ok();

    // The settings and the text lines in use; the lengths of lines not in use become 0.
    void writeBack(CDbdr& record, std::array<uint16_t, 4>& lineLengths) const;

private:
    int headerLines() const;
    int footerLines() const;

    int leftPos_ = 0, linesPos_ = 0;
    bool readOnly_ = false;
};

}  // namespace printer

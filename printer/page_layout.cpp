#include "printer/page_layout.h"

#include <algorithm>

#include "printer/cp1252.h"
#include "resources/strings.h"

namespace printer {

PageLayoutModel::PageLayoutModel(const CDbdr& record, const std::array<uint16_t, 4>& lineLengths, bool readOnly)
    : leftPos_(record.byLeftMargin), linesPos_(record.byLinesPerPage), readOnly_(readOnly) {
    leftMargin = std::to_string(record.byLeftMargin);
    linesPerPage = std::to_string(record.byLinesPerPage);
    lineEnd = record.byLineEnd >= 1 && record.byLineEnd <= 4 ? record.byLineEnd - 1 : -1;
    auto stored = [&](int i) {
        const size_t n = std::min<size_t>(lineLengths[i], kTextChars);
        return Cp1252ToUtf8(std::string_view(record.achTextLine[i].data(), n));
    };
    if (record.byHeaderLines >= 1) lines[kHeader1] = stored(0);
    if (record.byHeaderLines >= 2) lines[kHeader2] = stored(1);
    if (record.byFooterLines >= 1) lines[kFooter1] = stored(2);
    if (record.byFooterLines >= 2) lines[kFooter2] = stored(3);
}

std::array<std::string, 4> PageLayoutModel::lineEndNames() {
    return {res::text(10471), res::text(10472), res::text(10473), res::text(10474)};
}

rules::Verdict PageLayoutModel::leaveLeftMargin() {
    rules::Verdict v = rules::checkLeftMargin(rules::readNumber(leftMargin), leftPos_);
    leftPos_ = v.value;
    leftMargin = std::to_string(v.value);
    return v;
}

rules::Verdict PageLayoutModel::leaveLinesPerPage() {
    rules::Verdict v = rules::checkLinesPerPage(rules::readNumber(linesPerPage), linesPos_);
    linesPos_ = v.value;
    linesPerPage = std::to_string(v.value);
    return v;
}

rules::Verdict PageLayoutModel::typing(size_t length) {
    return rules::checkHeaderFooterLength(length, kTextChars);
}

int PageLayoutModel::headerLines() const { return !lines[kHeader2].empty() ? 2 : !lines[kHeader1].empty() ? 1 : 0; }

int PageLayoutModel::footerLines() const { return !lines[kFooter2].empty() ? 2 : !lines[kFooter1].empty() ? 1 : 0; }

rules::Verdict PageLayoutModel::ok() {
    if (rules::Verdict v = leaveLeftMargin(); !v.accepted) return v;
    if (rules::Verdict v = leaveLinesPerPage(); !v.accepted) return v;
    return rules::checkPageLayout(linesPos_, !lines[kHeader1].empty(), !lines[kHeader2].empty(),
                                  !lines[kFooter1].empty(), !lines[kFooter2].empty())
        .verdict;
}

void PageLayoutModel::writeBack(CDbdr& record, std::array<uint16_t, 4>& lineLengths) const {
    record.byLeftMargin = static_cast<uint8_t>(leftPos_);
    record.byLinesPerPage = static_cast<uint8_t>(linesPos_);
    if (lineEnd >= 0 && lineEnd <= 3) record.byLineEnd = static_cast<uint8_t>(lineEnd + 1);
    record.byHeaderLines = static_cast<uint8_t>(headerLines());
    record.byFooterLines = static_cast<uint8_t>(footerLines());
    lineLengths.fill(0);
    const bool inUse[4] = {headerLines() >= 1, headerLines() >= 2, footerLines() >= 1, footerLines() >= 2};
    for (int i = 0; i < 4; ++i) {
        if (!inUse[i]) continue;
        std::string bytes = Utf8ToCp1252(lines[i]);
        if (bytes.size() > static_cast<size_t>(kTextChars)) bytes.resize(kTextChars);
        auto& line = record.achTextLine[i];
        line.fill(' ');
        std::copy(bytes.begin(), bytes.end(), line.begin());
        lineLengths[i] = static_cast<uint16_t>(bytes.size());
    }
}

}  // namespace printer

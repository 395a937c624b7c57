#pragma once
// The parameter printout: the document's parameters as plain text lines in a fixed-pitch
// layout — the module's identification, then the section of the configured protocol (for
// the printer also page layout, character set, control characters and message texts; for a
// loadable driver the lines its library's DoDruck adds). Print, preview, PDF and
// `ptpcfg print` all render this one list.
#include <cstddef>
#include <string>
#include <vector>

class CPtpDoc;

namespace printout {

// The printout lines of the document, in order; an empty string is an empty line. Changes
// nothing in the document. A driver library that cannot be loaded or has no DoDruck leaves
// the driver section with its head lines.
std::vector<std::string> BuildPrintout(const CPtpDoc& doc);

// Lines that fit a page whose drawing area is `areaHeight` high, at `lineHeight` per line
// (character height + external leading): one line is kept free; at least one line a page.
int LinesPerPage(int areaHeight, int lineHeight);

// Pages needed for `lineCount` lines at `linesPerPage` a page; an empty printout is one page.
int PageCount(size_t lineCount, int linesPerPage);

// The index range [first, end) of the lines printed on page `page` (from 1).
struct PageRange {
    size_t first = 0, end = 0;
};
PageRange LinesOfPage(int page, int linesPerPage, size_t lineCount);

// The text padded with blanks to `width` characters (UTF-8 counted by character), left- or
// right-aligned as printf's "%-Ns" and "%Ns" do; longer texts are kept whole.
std::string PadRight(const std::string& text, size_t width);
std::string PadLeft(const std::string& text, size_t width);
// Characters of a UTF-8 text.
size_t CharCount(const std::string& text);

}  // namespace printout

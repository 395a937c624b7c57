#pragma once
// `ptpcfg set` on the sheet model: NAME=VALUE settings are applied to the sheet of the
// module and protocol as a user would type them, page by page in page order and, within a
// page, choices before the values they govern, whatever order they were given in. A value
// whose control the page holds disabled for the moment is tried again once the page's
// other values are in. Leaving a page runs its check; then the sheet's OK sequence runs and
// the sheet writes the record back. The first refusal ends the run and nothing is written.
//
// Names are the record's field names, with or without "CDb." ("CDbdr." for the page
// layout of the printer). Values are written as the pages show them: times in ms, the
// baud rate in Bit/s, list choices by their text, characters in hexadecimal, checkboxes
// as 0 or 1, radio groups by their stored code. `ptpcfg show --pages` prints every field
// of the sheet in this form.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/records.h"
#include "pages/rules.h"
#include "pages/sheet_model.h"

namespace rules {

struct NameValue {
    std::string name;
    std::string value;
};

// "NAME=VALUE" split at the first '='; nullopt without one or with an empty name.
std::optional<NameValue> parseAssignment(std::string_view text);

struct ApplyResult {
    bool ok = false;
    CDb db{};
    CDbdr dr{};
    // The first refusal: a rule's verdict (message and caption ids, inserts), or, for a
    // name or value no page takes, messageId 0 and an explaining text.
    Verdict refusal;
    std::string text;        // the German text of the refusal, inserts put in
    std::string name;        // the refused NAME, empty for a page or sheet check
    // Where the page would have limited or replaced the refused value: which value it would
    // take (nothing of it is stored).
    std::string correction;
    // Messages the sheet shows without refusing (the priority hint on OK, an invalid
    // stored baud rate on opening).
    std::vector<Verdict> notices;
};

ApplyResult applyValues(const SheetContext& ctx, const CDb& db, const CDbdr& dr,
                        const std::vector<NameValue>& values);
ApplyResult applyValues(const CheckContext& ctx, int protocol, const CDb& db, const CDbdr& dr,
                        const std::vector<NameValue>& values);

// Every field of the sheet's pages as NAME=VALUE lines in the form applyValues takes, with
// a comment line ("# ...") before each page; for a printer also the page layout.
std::string describePages(const SheetModel& sheet, const CDbdr* layout);

// NAME=VALUE lines of a settings text: blank lines and lines starting with '#' are skipped.
// nullopt names the first line that is not NAME=VALUE (its number from 1).
struct ParsedLines {
    std::vector<NameValue> values;
    int badLine = 0;
};
ParsedLines parseLines(std::string_view text);

}  // namespace rules

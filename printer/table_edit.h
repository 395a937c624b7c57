#pragma once
// What the printer dialogs' models share: the questions they put to the user through their
// caller, and the two-digit hexadecimal form in which the tables show a byte.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "pages/rules.h"

namespace printer {

// Puts a question (a verdict with the message id and caption) to the user; true for Yes.
// The window shows a message box, the tests answer from a script.
using Ask = std::function<bool(const rules::Verdict& question)>;

// A message of a printer dialog: id and caption, no inserts.
rules::Verdict Notice(int messageId, int captionId);

// "%02X": two upper-case hexadecimal digits.
std::string HexByte(uint8_t value);

// A cell that ends its editing: either refused (the entry stays in the cell's editor) or
// taken, with the text the cell shows from now on (the entry as stored, or the cell's
// previous content when the user declined the question the change needs).
struct CellEdit {
    bool taken = false;
    std::string text;
    // A notice to show once the entry is in the cell (the control-character table too long).
    rules::Verdict notice;
};

// The value of an entry of at most two hexadecimal digits; nullopt for anything else.
std::optional<uint8_t> ReadHexByte(std::string_view text);

}  // namespace printer

#pragma once
// The character set dialog's model: the 256 rows of the conversion table (character,
// its code, the printer code), the choice between the built-in set "IBM" and the
// user's own set "User-Defined", the rules of editing a printer code and the table the
// dialog's OK writes into the printer-output record. It works on its own copy; nothing
// reaches a record before writeBack().
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/records.h"
#include "printer/table_edit.h"

namespace printer {

class CharacterSetModel {
public:
    static constexpr int kRows = 256;
    static constexpr int kCaption = 425;         // "Zeichensatz"
    static constexpr int kAskCreate = 570;       // no user set yet
    static constexpr int kAskOverwrite = 571;    // a user set exists
    static constexpr int kStillEditing = 547;
    static constexpr uint8_t kUserCode = 255;

    struct Entry {
        int data;          // the set's code: 0 "IBM", 255 "User-Defined"
        std::string text;
    };

    // `languageLetter` chooses the built-in table ('A'..'E').
    CharacterSetModel(const CDbdr& record, char languageLetter, bool readOnly);

    bool readOnly() const { return readOnly_; }
    // The combo box: "IBM", and "User-Defined" once a user set exists.
    std::vector<Entry> entries() const;
    int selected() const { return userSelected_ ? 1 : 0; }
    bool userExists() const { return userExists_; }
    bool userActive() const { return userSelected_; }

    // Column 1: the character (its mnemonic below 0x20); column 2: its code; column 3: the
    // printer code as the cell shows it.
    static std::string characterText(int row);
    static std::string codeText(int row);
    const std::string& printerText(int row) const { return cells_[row]; }

    // A printer code typed into row `row` when its editing ends. Hex digits only, at most
    // two, never empty. Changing the built-in set asks whether the user set is to be made
    // (or overwritten); No puts the previous code back.
    CellEdit edit(int row, std::string_view entry, const Ask& ask);

    // The combo box selection: 0 "IBM", 1 "User-Defined" (when it exists).
    void select(int index);

    // OK while a cell is still being edited.
    static rules::Verdict stillEditing() { return Notice(kStillEditing, kCaption); }

    // The set's code and the conversion table as the dialog's OK stores them.
    void writeBack(CDbdr& record) const;

private:
    void show(const std::array<uint8_t, kRows>& table);
    std::array<uint8_t, kRows> cellsAsTable() const;

    std::array<uint8_t, kRows> builtIn_{};
    std::array<uint8_t, kRows> user_{};
    std::array<std::string, kRows> cells_;
    bool userExists_ = false;
    bool userSelected_ = false;
    bool readOnly_ = false;
};

}  // namespace printer

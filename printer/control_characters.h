#pragma once
// The control characters dialog's model: the printer emulation's control instructions as
// rows (letter, switch-on sequence, switch-off sequence), the built-in emulations and the
// user's own one, the rules of editing a cell, adding and deleting instructions, and the
// control-character table the dialog's OK rebuilds into the printer-output record.
//
// The table in the record is a run of entries: letter, length of the switch-on sequence,
// its bytes, length of the switch-off sequence, its bytes. The module reads at most 254
// bytes of it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/records.h"
#include "printer/table_edit.h"

namespace printer {

// One control instruction as the grid shows it: the letter and the two sequences as blank-
// separated groups of hexadecimal digits ("1B 28 73").
struct CtrlRow {
    uint8_t letter = ' ';
    std::string on, off;
    bool operator==(const CtrlRow&) const = default;
};

constexpr int kCtrlTableBytes = 254;

// The rows of a stored table: `count` rows, filled from the entries that start before
// `length` - 1 (a row without an entry stays blank). Sequence bytes are read only up to
// `length`, and never beyond `size`.
std::vector<CtrlRow> ParseCtrlTable(const uint8_t* table, size_t size, int count, int length);

// A table rebuilt from rows: the bytes (blanks behind the last entry), the count (every
// row) and the length. The entry that crosses 254 bytes is the last one, cut at 254.
struct CtrlTable {
    std::array<uint8_t, kCtrlTableBytes> bytes{};
    int count = 0;
    int length = 0;
};
CtrlTable BuildCtrlTable(const std::vector<CtrlRow>& rows);

// The bytes the rows need: per row its letter, its sequence bytes and the two counts.
int CtrlTableSize(const std::vector<CtrlRow>& rows);

// A sequence as typed, regrouped into groups of at most two characters: hex digits and
// blanks only, letters upper-cased; after two characters a blank starts a new group, and
// a digit gets a blank in front of it. "1b2873" gives "1B 28 73". nullopt when the entry
// holds anything else or the entry or the result is longer than 30 characters.
std::optional<std::string> RegroupSequence(std::string_view entry);

// The bytes of a sequence cell ("1B 28 73" gives 1B, 28, 73).
std::vector<uint8_t> SequenceBytes(std::string_view cell);
// The cell text of bytes: two digits each, blank-separated.
std::string SequenceText(const std::vector<uint8_t>& bytes);

class ControlCharacterModel {
public:
    static constexpr int kBuiltInRows = 5;
    static constexpr int kMaxRows = 26;
    static constexpr int kUserIndex = 3;        // "User-Defined" in the combo box
    static constexpr uint8_t kUserCode = 255;
    static constexpr int kCaption = 424;        // "Steuerzeichen"
    static constexpr int kTooMany = 536;
    static constexpr int kRepeatedLetter = 537;
    static constexpr int kStillEditing = 547;
    static constexpr int kAskCreate = 573;
    static constexpr int kAskDrop = 574;
    static constexpr int kAskOverwrite = 575;

    enum Column { kLetter = 0, kOn = 1, kOff = 2 };

    struct Entry {
        int data;   // 0 for the built-in emulations, 255 "User-Defined"
        std::string text;
    };

    ControlCharacterModel(const CDbdr& record, bool readOnly);

    bool readOnly() const { return readOnly_; }
    // "HP-Deskjet", "HP-LaserJet", "IBM", and "User-Defined" once a user emulation exists.
    std::vector<Entry> entries() const;
    int selected() const { return selected_; }
    bool userExists() const { return userExists_; }
    bool userActive() const { return selected_ == kUserIndex; }
    // "&Löschen" is offered while a user emulation exists.
    bool deleteOffered() const { return userExists_; }

    const std::vector<CtrlRow>& rows() const { return rows_; }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    // "Fettschrift" ... "Unterstrichen" for the first five rows, then 1, 2, ...
    static std::string rowHeader(int row);
    // What a cell shows: the letter (its mnemonic below 0x20), or a sequence.
    std::string cellText(int row, int column) const;

    // An entry when the editing of a cell ends. Column 1 takes one letter or a blank,
    // columns 2 and 3 hex digits and blanks (regrouped). Changing a built-in emulation asks
    // whether the user emulation is to be made (or overwritten); No puts the previous content
    // back. A table that now needs more than 254 bytes gives a notice; the entry stays.
    CellEdit edit(int row, int column, std::string_view entry, const Ask& ask);

    // "&Neue Anweisung": the row index of the new instruction, or nullopt with the notice to
    // show (none when the user declined the question).
    struct Added {
        std::optional<int> row;
        rules::Verdict notice;
    };
    Added addInstruction(const Ask& ask);

    // "&Löschen" on whole rows: only user instructions from row 6 on go; false (a beep) for
    // any other selection.
    bool deleteRows(std::vector<int> rows);

    // The combo box selection; the user emulation survives a built-in one being shown.
    void select(int index);

    static rules::Verdict stillEditing() { return Notice(kStillEditing, kCaption); }

    // OK: drops a user emulation only when the user agrees (574) and refuses a letter given to
    // two user instructions (537, `focusRow` the second one). On `close` the result is ready
    // for writeBack().
    struct Ok {
        bool close = false;
        rules::Verdict refusal;
        int focusRow = -1;
    };
    Ok ok(const Ask& ask);

    // The emulation code, the rebuilt table and the length of sub-block 4 (table length + 2).
    void writeBack(CDbdr& record, uint16_t& subBlock4Length) const;

private:
    // Shows "User-Defined" as the current emulation with the rows as they are.
    void makeUser();
    bool askForUser(const Ask& ask) const;
    std::vector<CtrlRow> builtIn(int index) const;

    std::vector<CtrlRow> rows_;
    std::vector<CtrlRow> userRows_;  // the user emulation while a built-in one is shown
    int selected_ = 0;
    bool userExists_ = false;
    bool readOnly_ = false;
};

}  // namespace printer

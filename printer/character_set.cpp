#include "printer/character_set.h"

#include <cctype>

#include "pages/sheet_model.h"
#include "resources/strings.h"

namespace printer {

CharacterSetModel::CharacterSetModel(const CDbdr& record, char languageLetter, bool readOnly)
    : readOnly_(readOnly) {
    BuildCharTable(languageLetter, builtIn_);
    if (record.byCharSet == kUserCode) {
        userExists_ = userSelected_ = true;
        user_ = record.abyCharTable;
        show(user_);
    } else {
        show(builtIn_);
    }
}

std::vector<CharacterSetModel::Entry> CharacterSetModel::entries() const {
    std::vector<Entry> out{{0, res::text(10475)}};
    if (userExists_) out.push_back({kUserCode, res::text(10476)});
    return out;
}

std::string CharacterSetModel::characterText(int row) { return rules::asciiDisplay(row); }

std::string CharacterSetModel::codeText(int row) { return HexByte(static_cast<uint8_t>(row)); }

CellEdit CharacterSetModel::edit(int row, std::string_view entry, const Ask& ask) {
    CellEdit out;
    if (row < 0 || row >= kRows || entry.size() > 2) return out;
    std::string text;
    for (char c : entry) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return out;
        text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    // An empty cell would leave the table without a code: refused before anything is asked.
    if (text.empty()) return out;
    if (!userSelected_) {
        if (!ask(Notice(userExists_ ? kAskOverwrite : kAskCreate, kCaption))) {
            out.taken = true;
            out.text = cells_[row];
            return out;
        }
        userExists_ = userSelected_ = true;
    }
    cells_[row] = text;
    out.taken = true;
    out.text = text;
    return out;
}

void CharacterSetModel::select(int index) {
    const bool user = index == 1 && userExists_;
    if (user == userSelected_) return;
    if (userSelected_) user_ = cellsAsTable();
    userSelected_ = user;
    show(user ? user_ : builtIn_);
}

void CharacterSetModel::writeBack(CDbdr& record) const {
    record.byCharSet = userSelected_ ? kUserCode : 0;
    record.abyCharTable = cellsAsTable();
}

void CharacterSetModel::show(const std::array<uint8_t, kRows>& table) {
    for (int i = 0; i < kRows; ++i) cells_[i] = HexByte(table[i]);
}

std::array<uint8_t, CharacterSetModel::kRows> CharacterSetModel::cellsAsTable() const {
    std::array<uint8_t, kRows> t{};
    for (int i = 0; i < kRows; ++i) t[i] = ReadHexByte(cells_[i]).value_or(0);
    return t;
}

}  // namespace printer

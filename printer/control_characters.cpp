#include "printer/control_characters.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "pages/sheet_model.h"
#include "resources/strings.h"

namespace printer {

namespace {

constexpr size_t kMaxSequenceText = 30;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<CtrlRow> ParseCtrlTable(const uint8_t* table, size_t size, int count, int length) {
    count = std::clamp(count, 0, ControlCharacterModel::kMaxRows);
    length = std::clamp(length, 0, static_cast<int>(size));
    std::vector<CtrlRow> rows;
    int pos = 0;
    auto sequence = [&](std::string& cell) {
        std::vector<uint8_t> bytes;
        const int n = pos < length ? table[pos] : 0;
        ++pos;
        for (int k = 0; k < n; ++k, ++pos)
            if (pos < length) bytes.push_back(table[pos]);
        cell = SequenceText(bytes);
    };
    while (static_cast<int>(rows.size()) < count && pos <= length - 2) {
        CtrlRow r;
        r.letter = table[pos++];
        sequence(r.on);
        sequence(r.off);
        rows.push_back(std::move(r));
    }
    rows.resize(count);
    return rows;
}

CtrlTable BuildCtrlTable(const std::vector<CtrlRow>& rows) {
    CtrlTable t;
    t.bytes.fill(' ');
    int pos = 0;
    auto put = [&](uint8_t b) {
        if (pos < kCtrlTableBytes) t.bytes[pos] = b;
        ++pos;
    };
    for (const CtrlRow& r : rows) {
        put(r.letter);
        for (const std::string* cell : {&r.on, &r.off}) {
            const std::vector<uint8_t> bytes = SequenceBytes(*cell);
            put(static_cast<uint8_t>(bytes.size()));
            for (uint8_t b : bytes) put(b);
        }
        if (pos > kCtrlTableBytes) break;
    }
    t.count = static_cast<int>(rows.size());
    t.length = std::min(pos, kCtrlTableBytes);
    return t;
}

int CtrlTableSize(const std::vector<CtrlRow>& rows) {
    int size = 0;
    for (const CtrlRow& r : rows)
        size += 3 + static_cast<int>(SequenceBytes(r.on).size() + SequenceBytes(r.off).size());
    return size;
}

std::optional<std::string> RegroupSequence(std::string_view entry) {
    if (entry.size() > kMaxSequenceText) return std::nullopt;
    std::string out;
    int inGroup = 0;
    for (char c : entry) {
        const bool blank = isBlank(c);
        if (!blank && !std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        const char d = blank ? ' ' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (inGroup < 2) {
            out.push_back(d);
            ++inGroup;
        } else if (blank) {
            out.push_back(' ');
            inGroup = 0;
        } else {
            out.push_back(' ');
            out.push_back(d);
            inGroup = 1;
        }
    }
    if (out.size() > kMaxSequenceText) return std::nullopt;
    return out;
}

std::vector<uint8_t> SequenceBytes(std::string_view cell) {
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < cell.size()) {
        while (i < cell.size() && isBlank(cell[i])) ++i;
        const size_t start = i;
        while (i < cell.size() && !isBlank(cell[i])) ++i;
        if (i > start) {
            const std::string group(cell.substr(start, i - start));
            out.push_back(static_cast<uint8_t>(std::strtoul(group.c_str(), nullptr, 16) & 0xFF));
        }
    }
    return out;
}

std::string SequenceText(const std::vector<uint8_t>& bytes) {
    std::string out;
    for (uint8_t b : bytes) {
        if (!out.empty()) out.push_back(' ');
        out.append(HexByte(b));
    }
    return out;
}

// ---- the dialog's model ------------------------------------------------------------

ControlCharacterModel::ControlCharacterModel(const CDbdr& record, bool readOnly) : readOnly_(readOnly) {
    rows_ = ParseCtrlTable(record.abyCtrlTable.data(), record.abyCtrlTable.size(), record.byCtrlCount,
                           record.byCtrlLength);
    if (record.byEmulation == kUserCode) {
        userExists_ = true;
        selected_ = kUserIndex;
    } else {
        selected_ = record.byEmulation < kUserIndex ? record.byEmulation : 0;
    }
}

std::vector<ControlCharacterModel::Entry> ControlCharacterModel::entries() const {
    std::vector<Entry> out{{0, res::text(10477)}, {0, res::text(10478)}, {0, res::text(10475)}};
    if (userExists_) out.push_back({kUserCode, res::text(10476)});
    return out;
}

std::string ControlCharacterModel::rowHeader(int row) {
    if (row < kBuiltInRows) return res::text(10612 + row);
    return std::to_string(row - kBuiltInRows + 1);
}

std::string ControlCharacterModel::cellText(int row, int column) const {
    const CtrlRow& r = rows_.at(row);
    switch (column) {
    case kLetter: return rules::asciiDisplay(r.letter);
    case kOn: return r.on;
    default: return r.off;
    }
}

CellEdit ControlCharacterModel::edit(int row, int column, std::string_view entry, const Ask& ask) {
    CellEdit out;
    if (row < 0 || row >= rowCount() || column < kLetter || column > kOff) return out;
    std::string text;
    if (column == kLetter) {
        if (entry.size() != 1) return out;
        const char c = entry[0];
        if (c != ' ' && !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return out;
        text.assign(1, c);
    } else {
        auto grouped = RegroupSequence(entry);
        if (!grouped) return out;
        // A sequence without a single digit is no entry.
        if (grouped->find_first_not_of(' ') == std::string::npos) return out;
        text = *grouped;
    }
    if (!userActive()) {
        if (!askForUser(ask)) {
            out.taken = true;
            out.text = cellText(row, column);
            return out;
        }
        makeUser();
    }
    CtrlRow& r = rows_[row];
    if (column == kLetter) r.letter = static_cast<uint8_t>(text[0]);
    else (column == kOn ? r.on : r.off) = text;
    out.taken = true;
    out.text = text;
    if (CtrlTableSize(rows_) > kCtrlTableBytes) out.notice = Notice(kTooMany, kCaption);
    return out;
}

ControlCharacterModel::Added ControlCharacterModel::addInstruction(const Ask& ask) {
    Added out;
    if (!userActive()) {
        if (!askForUser(ask)) return out;
        makeUser();
    }
    if (rowCount() + 1 > kMaxRows) {
        out.notice = Notice(kTooMany, kCaption);
        return out;
    }
    rows_.push_back(CtrlRow{});
    out.row = rowCount() - 1;
    return out;
}

bool ControlCharacterModel::deleteRows(std::vector<int> rows) {
    if (!userActive() || rows.empty()) return false;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.front() < kBuiltInRows || rows.back() >= rowCount()) return false;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) rows_.erase(rows_.begin() + *it);
    return true;
}

void ControlCharacterModel::select(int index) {
    if (index == selected_ || index < 0 || index > kUserIndex || (index == kUserIndex && !userExists_)) return;
    if (userActive()) userRows_ = rows_;
    selected_ = index;
    rows_ = index == kUserIndex ? userRows_ : builtIn(index);
}

ControlCharacterModel::Ok ControlCharacterModel::ok(const Ask& ask) {
    Ok out;
    if (userExists_ && !userActive() && !ask(Notice(kAskDrop, kCaption))) return out;
    if (userActive()) {
        for (int i = 0; i < rowCount(); ++i) {
            const uint8_t a = rows_[i].letter;
            if (a == ' ') continue;
            for (int j = 0; j < i; ++j) {
                if (std::toupper(rows_[j].letter) == std::toupper(a)) {
                    out.refusal = Notice(kRepeatedLetter, kCaption);
                    out.focusRow = i;
                    return out;
                }
            }
        }
    }
    out.close = true;
    return out;
}

void ControlCharacterModel::writeBack(CDbdr& record, uint16_t& subBlock4Length) const {
    const CtrlTable t = BuildCtrlTable(rows_);
    record.byEmulation = userActive() ? kUserCode : static_cast<uint8_t>(selected_);
    std::copy(t.bytes.begin(), t.bytes.end(), record.abyCtrlTable.begin());
    record.byCtrlCount = static_cast<uint8_t>(t.count);
    record.byCtrlLength = static_cast<uint8_t>(t.length);
    subBlock4Length = static_cast<uint16_t>(t.length + 2);
}

void ControlCharacterModel::makeUser() {
    userExists_ = true;
    selected_ = kUserIndex;
}

bool ControlCharacterModel::askForUser(const Ask& ask) const {
    return ask(Notice(userExists_ ? kAskOverwrite : kAskCreate, kCaption));
}

std::vector<CtrlRow> ControlCharacterModel::builtIn(int index) const {
    std::array<uint8_t, CDbdr::kCtrlTableSize> buf{};
    int length = 0;
    switch (index) {
    case 1: length = BuildCtrlTableLaserjet(buf.data(), buf.size()); break;
    case 2: length = BuildCtrlTableIbm(buf.data(), buf.size()); break;
    default: length = BuildCtrlTableDeskjet(buf.data(), buf.size()); break;
    }
    return ParseCtrlTable(buf.data(), buf.size(), kBuiltInRows, length);
}

}  // namespace printer

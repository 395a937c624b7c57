#include "printer/messages_model.h"

#include <algorithm>
#include <cstdio>

#include "document/codes.h"
#include "document/ptp_doc.h"
#include "printer/cp1252.h"

namespace printer {
namespace {

constexpr size_t kNameChars = 8;
// The markers a style button puts around the selection: "\x" and "\-x".
constexpr long kStyleMarkerChars = 5;

bool show(const ShowMessage& f, TextMessage m) { return f ? f(m) : false; }

std::string upperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return std::string(s);
}

// The version field's check: the version line's, without its length rule.
bool versionFieldValid(const std::string& text) { return ParseVersion(trimBlanks(text)).has_value(); }

}  // namespace

bool IsQuestion(int id) {
    return id == kMsgDuplicateNumber || id == kMsgDeleteSdb || id == kMsgOverwriteNumber || id == kMsgNotEntered;
}

std::unique_ptr<TextData> TextDataOf(const CPtpDoc& doc) {
    auto data = std::make_unique<TextData>();
    data->present = doc.m_bTextPresent != 0;
    if (data->present) {
        data->store = *doc.m_pTexts;
        data->store.head.wFirstIndex = doc.m_TextHead.wFirstIndex;
        data->store.head.wLastIndex = doc.m_TextHead.wLastIndex;
        data->name = doc.m_CurTextName;
    }
    return data;
}

void ApplyTextData(CPtpDoc& doc, const TextData& data) {
    const bool wasPresent = doc.m_bTextPresent != 0;
    *doc.m_pTexts = data.store;
    doc.m_pTexts->name = data.name;
    doc.m_CurTextName = data.name;
    doc.m_TextHead.wFirstIndex = data.store.head.wFirstIndex;
    doc.m_TextHead.wLastIndex = data.store.head.wLastIndex;
    doc.m_bTextPresent = data.present ? 1 : 0;
    if (data.present != wasPresent) doc.m_nBlockCount += data.present ? 1 : -1;
    doc.SetModifiedFlag(true);
}

MessageLimits LimitsOf(const CPtpDoc& doc) {
    return LimitsFor(doc.m_nModuleType, static_cast<int>(doc.m_nProductVersion));
}

std::optional<TextMessage> CheckFileTitle(std::string_view title) {
    if (Cp1252Length(title) > kNameChars) return TextMessage{kMsgBadName, {}};
    return std::nullopt;
}

std::array<char, kStyleButtons> StyleLetters(const CDbdr& printer) {
    std::array<char, kStyleButtons> letters{' ', ' ', ' ', ' ', ' '};
    const size_t length = std::min<size_t>(printer.byCtrlLength, printer.abyCtrlTable.size());
    size_t at = 0;
    for (int i = 0; i < kStyleButtons && i < printer.byCtrlCount && at < length; ++i) {
        letters[static_cast<size_t>(i)] = static_cast<char>(printer.abyCtrlTable[at]);
        // letter, length and bytes of "on", length and bytes of "off"
        if (at + 1 >= length) break;
        at += 2 + printer.abyCtrlTable[at + 1];
        if (at >= length) break;
        at += 1 + printer.abyCtrlTable[at];
    }
    for (char& c : letters)
        if (c == '\0') c = ' ';
    return letters;
}

MessagesModel::MessagesModel(const Setup& setup, const ShowMessage& show)
    : source_(setup.source), limits_(setup.limits), readOnly_(setup.readOnly), styles_(setup.styles),
      data_(std::make_unique<TextData>()) {
    if (setup.data) *data_ = *setup.data;
    if (source_ == TextSource::Sdb) openFromSdb(show);
    else openFromFile(setup.fileTitle, setup.fileContents, show);
    select(list_.empty() ? -1 : 0);
}

void MessagesModel::openFromSdb(const ShowMessage& show) {
    if (!data_->present) {
        version_ = kDefaultVersion;
        number_ = "0";
        edited_ = true;  // OK first asks whether to enter the message
        return;
    }
    name_ = trimBlanks(std::string_view(data_->name.achName.data(), data_->name.achName.size()));
    char version[16];
    std::snprintf(version, sizeof version, "%d.%1d", data_->name.byVerHi, data_->name.byVerLo);
    version_ = version;
    const sdb::TextStore& store = data_->store;
    // Each text comes from its own place in the area: one passed over shifts nothing.
    for (const auto& [number, bytes] : store.texts()) {
        if (number >= store.lowest() + store.count) break;
        const std::string text = Cp1252ToUtf8(bytes);
        if (list_.sizeWith(number, text) > limits_.size) {
            printer::show(show, {kMsgTooLong, {}});
            break;
        }
        if (bytes.size() > static_cast<size_t>(kMaxTextChars)) {
            printer::show(show, {kMsgTextTooLong, {std::to_string(number)}});
            list_.set(number, std::string());
        } else {
            list_.set(number, text);
        }
    }
}

void MessagesModel::openFromFile(const std::string& title, const std::string& contents, const ShowMessage& show) {
    name_ = NameFromFileTitle(title);
    ParsedTextFile parsed = ParseTextFile(
        contents, limits_, [&](const TextMessage& q) { return printer::show(show, q); },
        [&](const TextMessage& m) { printer::show(show, m); });
    list_ = std::move(parsed.list);
    version_ = parsed.version;
}

char MessagesModel::styleLetter(int button) const {
    return button >= 0 && button < kStyleButtons ? styles_[static_cast<size_t>(button)] : ' ';
}

void MessagesModel::select(int index) {
    if (index < 0 || static_cast<size_t>(index) >= list_.count()) {
        selected_ = -1;
        return;
    }
    selected_ = index;
    const MessageEntry& e = list_.entries()[static_cast<size_t>(index)];
    number_ = std::to_string(e.number);
    text_ = e.text;
    numberAtFocus_ = number_;
    textAtFocus_ = text_;
    // the fields show the entry as it is in the list: nothing is left to enter
    edited_ = false;
}

void MessagesModel::setField(MsgField field, std::string text) {
    switch (field) {
    case MsgField::Name: name_ = std::move(text); break;
    case MsgField::Version: version_ = std::move(text); break;
    case MsgField::Number: number_ = std::move(text); break;
    case MsgField::Text: text_ = std::move(text); break;
    default: break;
    }
}

TextMessage MessagesModel::limitMessage(MsgField field) {
    switch (field) {
    case MsgField::Name: return {kMsgBadName, {}};
    case MsgField::Number: return {kMsgTooManyDigits, {}};
    default: return {kMsgTextFull, {}};
    }
}

void MessagesModel::focusIn(MsgField field) {
    if (field == MsgField::Number) numberAtFocus_ = number_;
    if (field == MsgField::Text) textAtFocus_ = text_;
}

MsgVerdict MessagesModel::focusOut(MsgField field, const ShowMessage& show) {
    switch (field) {
    case MsgField::Number: {
        const NumberFieldCheck check = CheckNumberField(number_, limits_);
        if (check.message) {
            printer::show(show, *check.message);
            number_ = check.text;
            numberAtFocus_ = number_;
            edited_ = true;
            return {false, MsgField::Number};
        }
        if (number_ != numberAtFocus_) edited_ = true;
        numberAtFocus_ = number_;
        return {};
    }
    case MsgField::Text:
        if (text_ != textAtFocus_) edited_ = true;
        textAtFocus_ = text_;
        return {};
    case MsgField::Name:
        name_ = upperAscii(name_);
        if (Cp1252Length(name_) > kNameChars) {
            printer::show(show, {kMsgBadName, {}});
            return {false, MsgField::Name};
        }
        return {};
    case MsgField::Version:
        if (!name_.empty() && !versionFieldValid(version_)) {
            printer::show(show, {kMsgBadVersionField, {}});
            return {false, MsgField::Version};
        }
        return {};
    default: return {};
    }
}

MessagesModel::StyleResult MessagesModel::applyStyle(int button, int selStart, int selLength, const ShowMessage& show) {
    StyleResult r;
    const char letter = styleLetter(button);
    std::string text = Utf8ToCp1252(text_);
    if (static_cast<long>(text.size()) > kMaxTextChars - kStyleMarkerChars) {
        printer::show(show, {kMsgTextFull, {}});
        r.verdict = {false, MsgField::Text};
        return r;
    }
    const size_t start = std::min(static_cast<size_t>(std::max(selStart, 0)), text.size());
    const size_t length = std::min(static_cast<size_t>(std::max(selLength, 0)), text.size() - start);
    const std::string on = std::string("\\") + letter;
    const std::string off = std::string("\\-") + letter;
    text = text.substr(0, start) + on + text.substr(start, length) + off + text.substr(start + length);
    r.caret = static_cast<int>(length == 0 ? start + on.size() : start + on.size() + length + off.size());
    text_ = Cp1252ToUtf8(text);
    edited_ = true;
    r.verdict.focus = MsgField::Text;
    return r;
}

std::optional<int> MessagesModel::numberValue() const {
    std::string digits;
    for (char c : number_)
        if (c >= '0' && c <= '9') digits += c;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - (digits.empty() ? 0 : 1)));
    if (digits.empty() || digits.size() > static_cast<size_t>(kMaxNumberDigits)) return std::nullopt;
    return std::stoi(digits);
}

MsgVerdict MessagesModel::enter(const ShowMessage& show) {
    // the number's own check first: a mnemonic presses the button without leaving the field
    const NumberFieldCheck check = CheckNumberField(number_, limits_);
    if (check.message) {
        printer::show(show, *check.message);
        number_ = check.text;
        numberAtFocus_ = number_;
        edited_ = true;
        return {false, MsgField::Number};
    }
    if (text_ != textAtFocus_ || number_ != numberAtFocus_) edited_ = true;
    if (!edited_ && selected_ >= 0) {
        const int number = list_.entries()[static_cast<size_t>(selected_)].number;
        if (list_.sizeWith(number, text_) > limits_.size) {
            printer::show(show, {kMsgTooLong, {}});
            return {false, MsgField::Text};
        }
        list_.set(number, text_);
        select(selected_);
        return {};
    }
    const std::optional<int> value = numberValue();
    if (!value) {  // the check above lets no such number through; a field that was never checked
        printer::show(show, {kMsgNumberMinimum, {"0"}});
        number_ = "0";
        return {false, MsgField::Number};
    }
    const int number = *value;
    if (list_.find(number)) {
        if (!printer::show(show, {kMsgOverwriteNumber, {}})) return {false, MsgField::Number};
        if (list_.sizeWith(number, text_) > limits_.size) {
            printer::show(show, {kMsgTooLong, {}});
            return {false, MsgField::Text};
        }
    } else if (list_.empty() || number > list_.entries().back().number) {
        if (list_.sizeWith(number, text_) > limits_.size) {
            printer::show(show, {kMsgTooLongOrNumber, {}});
            return {false, MsgField::Text};
        }
    } else if (list_.sizeWith(number, text_) > limits_.size) {
        printer::show(show, {kMsgTooLong, {}});
        return {false, MsgField::Text};
    }
    list_.set(number, text_);
    select(static_cast<int>(list_.placeOf(number)));
    return {};
}

MsgVerdict MessagesModel::removeSelected() {
    if (selected_ < 0) return {false, MsgField::List};
    const int at = selected_;
    list_.remove(list_.entries()[static_cast<size_t>(at)].number);
    select(list_.empty() ? -1 : std::max(at - 1, 0));
    return {};
}

bool MessagesModel::deleteSdb(const ShowMessage& show) {
    if (!deleteSdbEnabled()) return false;
    if (!printer::show(show, {kMsgDeleteSdb, {}})) return false;
    data_->store.clear();
    data_->present = false;
    changed_ = true;
    return true;
}

MsgVerdict MessagesModel::checkOk(const ShowMessage& show) {
    if (readOnly_) return {false, MsgField::None};
    if (text_ != textAtFocus_ || number_ != numberAtFocus_) edited_ = true;
    if (edited_ && printer::show(show, {kMsgNotEntered, {}})) {
        const MsgVerdict entered = enter(show);
        return {false, entered.accepted ? MsgField::List : entered.focus};
    }
    name_ = upperAscii(trimBlanks(name_));
    if (name_.empty()) {
        printer::show(show, {kMsgNoName, {}});
        return {false, MsgField::Name};
    }
    if (Cp1252Length(name_) > kNameChars) {
        printer::show(show, {kMsgBadName, {}});
        return {false, MsgField::Name};
    }
    const auto version = ParseVersion(trimBlanks(version_));
    if (!version) {
        printer::show(show, {kMsgBadVersionField, {}});
        return {false, MsgField::Version};
    }
    if (list_.size() > limits_.size) {
        printer::show(show, {kMsgTooLongOrNumber, {}});
        return {false, MsgField::Text};
    }
    return {};
}

namespace {
// The block name record: the name padded with blanks to 8 characters, the version bytes.
CDbtex nameRecord(const std::string& name, const std::string& versionText) {
    CDbtex tex;
    const std::string bytes = Utf8ToCp1252(name);
    tex.achName.fill(' ');
    std::copy_n(bytes.begin(), std::min(bytes.size(), tex.achName.size()), tex.achName.begin());
    const auto v = ParseVersion(trimBlanks(versionText));
    tex.byVerHi = static_cast<uint8_t>(v ? v->major : 0);
    tex.byVerLo = static_cast<uint8_t>(v ? v->minor : 1);
    return tex;
}
}  // namespace

void MessagesModel::finishToSdb() {
    sdb::TextStore& store = data_->store;
    store.clear();
    std::vector<uint8_t> area;
    for (const MessageEntry& e : list_.entries()) {
        const std::string bytes = Utf8ToCp1252(e.text);
        store.lengths[static_cast<size_t>(e.number)] = static_cast<uint16_t>(bytes.size());
        area.insert(area.end(), bytes.begin(), bytes.end());
    }
    store.area = std::move(area);
    const int low = list_.empty() ? 0 : list_.entries().front().number;
    const int high = list_.empty() ? 0 : list_.entries().back().number;
    store.head.wFirstIndex = static_cast<uint16_t>(low);
    store.head.wLastIndex = static_cast<uint16_t>(high);
    store.count = high - low + 1;
    data_->name = nameRecord(name_, version_);
    store.name = data_->name;
    data_->present = true;
    changed_ = true;
}

bool MessagesModel::finishToFile(const std::string& path, const ShowMessage& show) {
    if (version_.empty() || version_.find('.') == std::string::npos) {
        printer::show(show, {kMsgBadVersionField, {}});
        return false;
    }
    const BuiltTextFile file = BuildTextFile(trimBlanks(version_), list_);
    if (file.refusal) {
        printer::show(show, *file.refusal);
        return false;
    }
    // A file that cannot be written keeps the dialog open with the reason: the texts are
    // nowhere else, so closing as if they were saved would lose them.
    std::string error;
    if (!WriteTextFile(path, file.bytes, &error)) {
        printer::show(show, {kMsgFileNotWritten, {error}});
        return false;
    }
    return true;
}

}  // namespace printer

#include "printer/message_texts.h"

#include <algorithm>

#include "printer/cp1252.h"

namespace printer {

MessageLimits LimitsFor(int moduleType, int orderVersionDigit) {
    switch (moduleType) {
    case 731: return {2000, 15360};
    case 830:
    case 831:
    case 8311:
    case 8312: return {4000, orderVersionDigit < 2 ? 8100L : 56228L};
    default: return {1000, 8192};
    }
}

const MessageEntry* MessageList::find(int number) const {
    const size_t i = placeOf(number);
    return i < entries_.size() && entries_[i].number == number ? &entries_[i] : nullptr;
}

size_t MessageList::placeOf(int number) const {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), number,
                                     [](const MessageEntry& e, int n) { return e.number < n; });
    return static_cast<size_t>(it - entries_.begin());
}

void MessageList::set(int number, std::string text) {
    const size_t i = placeOf(number);
    const long len = static_cast<long>(Cp1252Length(text));
    if (i < entries_.size() && entries_[i].number == number) {
        textBytes_ += len - static_cast<long>(Cp1252Length(entries_[i].text));
        entries_[i].text = std::move(text);
    } else {
        textBytes_ += len;
        entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(i), MessageEntry{number, std::move(text)});
    }
}

bool MessageList::remove(int number) {
    const size_t i = placeOf(number);
    if (i >= entries_.size() || entries_[i].number != number) return false;
    textBytes_ -= static_cast<long>(Cp1252Length(entries_[i].text));
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    return true;
}

long MessageList::size() const {
    if (entries_.empty()) return kFixedBytes;
    return kFixedBytes + 2L * (entries_.back().number - entries_.front().number + 1) + textBytes_;
}

long MessageList::sizeWith(int number, std::string_view text) const {
    long texts = textBytes_ + static_cast<long>(Cp1252Length(text));
    if (const MessageEntry* e = find(number)) texts -= static_cast<long>(Cp1252Length(e->text));
    const int low = entries_.empty() ? number : std::min(number, entries_.front().number);
    const int high = entries_.empty() ? number : std::max(number, entries_.back().number);
    return kFixedBytes + 2L * (high - low + 1) + texts;
}

std::optional<Version> ParseVersion(std::string_view text) {
    const size_t point = text.find('.');
    if (point == std::string_view::npos || point == 0 || point > 3) return std::nullopt;
    if (text.size() != point + 2) return std::nullopt;
    int major = 0;
    for (size_t i = 0; i < point; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        major = major * 10 + (text[i] - '0');
    }
    const char m = text[point + 1];
    if (m < '0' || m > '9' || major > 255) return std::nullopt;
    if (major == 0 && m == '0') return std::nullopt;
    return Version{major, m - '0'};
}

NumberFieldCheck CheckNumberField(std::string_view text, const MessageLimits& limits) {
    NumberFieldCheck r;
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9') digits += c;
    if (digits.empty()) {
        r.text.assign(1, '0');  // (assigning "0" trips a false -Wrestrict of GCC 12)
        r.message = TextMessage{kMsgNumberMinimum, {"0"}};
        return r;
    }
    const size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    digits.erase(0, first);
    const int highest = limits.numbers - 1;
    if (digits.size() > static_cast<size_t>(kMaxNumberDigits) || std::stoi(digits) > highest) {
        r.text = std::to_string(highest);
        r.message = TextMessage{kMsgBadNumber, {digits}};
        return r;
    }
    r.text = std::string(text);
    return r;
}

}  // namespace printer

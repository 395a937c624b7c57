#pragma once
// The message texts of the printer protocol: a list of (number, text), sorted by number, each
// number once, with the limits of the module model and the size its text block takes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace printer {

constexpr int kMaxTextChars = 150;   // characters of one message text
constexpr long kFixedBytes = 37;     // the text block's fixed part
constexpr int kMaxNumberDigits = 4;  // digits of a message number

// Message resources of the messages dialog and the text files (caption 427).
enum MessageId : int {
    kMsgCaption = 427,
    kMsgTextFull = 533,
    kMsgNoName = 534,
    kMsgBadVersionField = 535,
    kMsgTooLong = 538,
    kMsgTooLongOrNumber = 539,
    kMsgBadName = 540,
    kMsgTooManyDigits = 541,
    kMsgBadVersionLine = 543,
    kMsgBadNumber = 544,
    kMsgNumberMinimum = 545,
    kMsgTextTooLong = 546,
    kMsgDuplicateNumber = 548,
    kMsgFileNotWritten = 10650,
    kMsgFileTooLong = 549,
    kMsgDeleteSdb = 576,        // question
    kMsgOverwriteNumber = 577,  // question
    kMsgNotEntered = 578,       // question
    kMsgChooseToEdit = 580,     // the choice dialog's text when opening
    kMsgChooseToSave = 581,     // the choice dialog's text on OK
};

// A message to show: resource id and its inserts.
struct TextMessage {
    int id = 0;
    std::vector<std::string> inserts;
    bool operator==(const TextMessage&) const = default;
};

// N: message numbers 0 to N - 1; S: largest size of the text block in bytes.
struct MessageLimits {
    int numbers = 0;
    long size = 0;
};
// The limits of a module model (730, 731, 830, 8311, 8312; 831 is taken too). The CP 830 and
// CP 831 hold 56,228 bytes from order-number version digit 2 on, 8,100 below it. An unknown
// model gets the CP 730's limits.
MessageLimits LimitsFor(int moduleType, int orderVersionDigit);

struct MessageEntry {
    int number = 0;
    std::string text;  // UTF-8; stored and written as code page 1252
    bool operator==(const MessageEntry&) const = default;
};

class MessageList {
public:
    const std::vector<MessageEntry>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }
    size_t count() const { return entries_.size(); }
    // The entry of a number, or nullptr.
    const MessageEntry* find(int number) const;
    // The place of a number in the list: its index, or the index it would be inserted at.
    size_t placeOf(int number) const;
    // Inserts the number at its place or replaces its text.
    void set(int number, std::string text);
    // Removes the number's entry; false when there is none.
    bool remove(int number);
    void clear() { entries_.clear(); }

    // Size of the text block: 37 + 2 for every number from the lowest to the highest (gaps
    // included) + the text lengths. An empty list counts 37.
    long size() const;
    // The size the list would have after set(number, text).
    long sizeWith(int number, std::string_view text) const;

    bool operator==(const MessageList&) const = default;

private:
    std::vector<MessageEntry> entries_;
    long textBytes_ = 0;
};

struct Version {
    int major = 0;  // 0 to 255
    int minor = 0;  // 0 to 9
    bool operator==(const Version&) const = default;
};
// A version "n.n": one to three digits (at most 255), a point, one digit; 0.0 is none.
// Blanks around it are not removed here.
std::optional<Version> ParseVersion(std::string_view text);

// The number field when it loses the focus: empty becomes 0 with message 545, a number above
// N - 1 becomes N - 1 with message 544. `text` is the corrected field text.
struct NumberFieldCheck {
    std::string text;
    std::optional<TextMessage> message;
};
NumberFieldCheck CheckNumberField(std::string_view text, const MessageLimits& limits);

}  // namespace printer

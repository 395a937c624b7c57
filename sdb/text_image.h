#pragma once
// The text data block: the message texts of the printer protocol, selected by number.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "document/records.h"
#include "sdb/head.h"

namespace sdb {

constexpr int kMessageNumbers = 4000;  // message numbers 0 to 3999

void WriteTextName(const CDbtex& tex, std::span<uint8_t, CDbtex::kSize> out);
// nullopt when fewer than 10 bytes are given.
std::optional<CDbtex> ReadTextName(std::span<const uint8_t> in);

// The document's form of the texts. The head's first and last index are the lowest and
// highest message number; the area holds the texts of those numbers back to back, in
// number order, without terminators.
struct TextStore {
    CDbHead head;
    CDbtex name;
    int count = 0;  // M: numbers from the lowest on that the table covers, gaps included
    std::array<uint16_t, kMessageNumbers> lengths{};
    std::vector<uint8_t> area;

    TextStore();  // no texts: the text head default, 8 blanks, version 0.1

    int lowest() const { return head.wFirstIndex; }
    int highest() const { return head.wLastIndex; }
    // 10 + the sum of the text lengths (the name record is counted).
    size_t textByteCount() const;
    // The text of a message number; empty when it has none, or when the area does not hold it.
    std::string_view text(int number) const;
    // Every number with a text, in number order, in one pass over the area.
    std::vector<std::pair<int, std::string_view>> texts() const;
    // Sets the text of a number (empty removes it) and widens the range to the number.
    // Returns false for a number outside 0..3999 or a text longer than 65,535 bytes.
    bool setText(int number, std::string_view text);
    // Removes every text and resets the range to 0..0.
    void clear();

private:
    size_t areaOffset(int number) const;
};

struct TextBuildResult {
    bool ok = false;             // false when the image would not fit its 16-bit lengths
    std::vector<uint8_t> image;  // 37 + 2·M + the text lengths
    CDbHead head;                // as written
};
// Builds the text image: head (kind 2, H = 25 + 2·(M + 1), B = text byte count, time,
// version, variant bytes), offset table, name record, text area.
TextBuildResult BuildTextImage(const BuildContext& ctx, const TextStore& store);

enum class TextReadStatus { Ok, Absent };
struct TextReadResult {
    TextReadStatus status = TextReadStatus::Absent;  // Absent: the store holds the defaults
    bool truncated = false;      // the image is shorter than its head says
    bool lengthsClipped = false; // the table named numbers outside 0..3999 or texts beyond the area
};
// Reads a text image into `store` (replacing it as a whole). Keep the store off the stack.
TextReadResult ReadTextImage(std::span<const uint8_t> image, TextStore& store);

}  // namespace sdb

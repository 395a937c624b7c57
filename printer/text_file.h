#pragma once
// Text files of message texts (".ptp"): 8-bit characters (code page 1252), lines ended by CR LF.
// The first line is the version "n.n"; every further line is a message number, a colon and the
// text to the end of the line. A file holds at most 69,535 bytes.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printer/message_texts.h"

namespace printer {

constexpr size_t kTextFileCapacity = 69535;
constexpr const char* kDefaultVersion = "0.1";

struct ParsedTextFile {
    MessageList list;
    std::string version;                // the version line, or "0.1" when it is missing or wrong
    std::vector<TextMessage> messages;  // every message and question, in the order they arose
    bool cut = false;                   // reading stopped at the size limit (message 549)
};

// Answers question 548 (a number twice in the file): true replaces the text read before.
using DuplicateAnswer = std::function<bool(const TextMessage& question)>;

// Told of every message that is no question, when it arises (so a window shows the messages
// and questions in the order the lines bring them).
using ParseNotice = std::function<void(const TextMessage& message)>;

// Parses the contents of a text file (bytes past the capacity are not looked at). Without an
// answer function a later line replaces an earlier one of the same number.
ParsedTextFile ParseTextFile(std::string_view bytes, const MessageLimits& limits,
                             const DuplicateAnswer& answer = {}, const ParseNotice& notice = {});

struct BuiltTextFile {
    std::string bytes;                  // the whole file; empty when refused
    std::optional<TextMessage> refusal; // message 538 when the file would exceed its capacity
};
// The file form: the version text as first line, then "number:text" for each entry in list
// order, every line ended by CR LF. A list that does not fit the capacity is refused whole.
BuiltTextFile BuildTextFile(std::string_view version, const MessageList& list);

// Reads at most the capacity from a file; a file that cannot be opened reads as empty.
std::string ReadTextFile(const std::string& path);

// Writes the bytes as the file `path` through a temporary file beside it and a rename, so a
// failure leaves an existing file as it was. False, with the file and the reason in `error`,
// when any step fails.
bool WriteTextFile(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// The name the messages dialog shows for a file title: up to its first point, upper case,
// "Drucker" when that is empty.
std::string NameFromFileTitle(std::string_view title);

}  // namespace printer

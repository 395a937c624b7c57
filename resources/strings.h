#pragma once
// The German string table: every caption and message of the program, by id.
//
// A caption is a plain text (kind 0). A message resource is a notice with one OK
// button (kind 1) or carries a message-box style (kind 2): 0x24 yes/no question,
// 0x23 yes/no/cancel question, 0x30 exclamation, 0x124 yes/no with "no" preselected.
// "%1", "%2" and "%1!d!" in a text mark inserts.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace res {

struct StringEntry {
    int id;
    int kind;   // 0 caption, 1 notice, 2 styled message
    int style;  // message-box style for kind 2, else 0
    const char* text;  // UTF-8
};

// The entry with this id, or nullptr.
const StringEntry* find(int id);

// The text of the id; empty when the table has no such id.
std::string text(int id);

// The text with its inserts put in ("%1", "%2", "%1!d!", "%2!d!").
std::string format(std::string_view text, const std::vector<std::string>& inserts);

// Makes a loaded language library's table the source of all texts (nullptr: the program's own).
void setLanguageTable(const StringEntry* entries, size_t count);

// Every entry, in table order (for the language library and for checks of the table).
const std::vector<StringEntry>& all();

}  // namespace res

#pragma once
// Code page 1252 (the 8-bit characters of text files and data blocks) and the program's UTF-8.
#include <string>
#include <string_view>

namespace printer {

// Every byte has a character: the five codes code page 1252 leaves unassigned (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) stand for the control characters of the same value.
std::string Cp1252ToUtf8(std::string_view bytes);

// Characters code page 1252 cannot hold, and bytes that are no UTF-8, become '?'.
std::string Utf8ToCp1252(std::string_view utf8);

// The number of characters the text takes in code page 1252 (one byte each).
size_t Cp1252Length(std::string_view utf8);

}  // namespace printer

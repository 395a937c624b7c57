#pragma once
// A readable account of a data transfer file, one "name=value" a line.
#include <cstdint>
#include <span>
#include <string>

namespace sdb {

// Decodes a record container or a CP 831 section file and prints its directory, the block
// heads, offset tables, sub-block lengths, the fields of the records and the texts.
//
// The two forms are told apart by their first six bytes: a container names its block type
// (7361, 7363 or 7304) in bytes 4-5, where a section file holds its interface byte (below
// 256). Otherwise a file whose section count (byte 1) is 1 to 5 and whose sections can be
// walked is a section file, and one that unpacks into records is a container of an unknown
// module. Anything else is reported as not recognised.
// `recognised` (when given) tells whether the bytes were taken for either form.
std::string DumpDataTransferFile(std::span<const uint8_t> bytes, bool* recognised = nullptr);

}  // namespace sdb

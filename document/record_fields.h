#pragma once
// The records' fields as name=value lines, for the command line and the block dump.
#include <string>
#include <utility>
#include <vector>

#include "document/records.h"

using FieldList = std::vector<std::pair<std::string, std::string>>;

// Every field of the protocol record, named "CDb.<field>" (prefix replaceable).
FieldList DescribeDb(const CDb& db, const std::string& prefix = "CDb.");
FieldList DescribeDbdr(const CDbdr& dr, const std::string& prefix = "CDbdr.");
FieldList DescribeHead(const CDbHead& head, const std::string& prefix = "CDbHead.");
FieldList DescribeSon(const CDbSon& son, const std::string& prefix = "CDbSon.");
FieldList DescribeTex(const CDbtex& tex, const std::string& prefix = "CDbtex.");

// "name=value\n" for each entry.
std::string FormatFields(const FieldList& fields);

// Helpers for values: numbers joined by commas, and a fixed text field shown as text
// (control characters and bytes above 0x7E as \xNN).
std::string JoinNumbers(const uint8_t* p, size_t n);
std::string ShowChars(const char* p, size_t n);

#pragma once
// The overview's protocol list: which protocols the configured module offers, taken from
// its order number, and the first update that checks the stored protocol against it.
#include <string>
#include <string_view>
#include <vector>

class CPtpDoc;

struct ProtocolItem {
    int code;           // protocol code (item data of the list)
    std::string text;   // "3964(R)", "ASCII", "RK512", "DRUCKER"
};

struct ProtocolChoice {
    bool matched = false;          // the order number is one the program knows
    std::vector<ProtocolItem> items;
    int productVersion = 0;        // the version digit of the order number
};

// The first matching row of the module's order-number table.
ProtocolChoice ProtocolsForOrderNumber(int moduleType, std::string_view orderNo);

// The overview's first update on the document once the module is known: sets
// m_nProductVersion; an unknown order number shows 613 and sets m_nStartResult to -1;
// a stored protocol the module does not offer shows 610 and falls back to the default
// protocol. Returns the list the overview shows.
ProtocolChoice FirstUpdate(CPtpDoc& doc);

#pragma once
// The protocols a configured module offers, taken from its order number, and the protocol
// a stored protocol identifier stands for. Plain rules over values: the document's first
// update, the overview and the printout use them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// The protocol code of a stored protocol identifier. Identifiers from kIdDriverBase on
// stand for the loadable driver `driverProtocol` that loading determined; an identifier
// of no known protocol gives `unknown`.
int ProtocolFromIdentifier(uint16_t id, int driverProtocol, int unknown);

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

// The first matching row of the module's order-number table. A CP 731, and a CP 831 of
// order number "831-2KK02" to "831-2KK05", offer the installed loadable drivers behind the
// built-in protocols: the n-th of `drivers` (display names) with code n·256 + 255.
ProtocolChoice ProtocolsForOrderNumber(int moduleType, std::string_view orderNo,
                                       const std::vector<std::string>& drivers = {});

// The protocol code of a stored protocol identifier. Identifiers from kIdDriverBase on
// stand for the loadable driver `driverProtocol` that loading determined; an identifier
// of no known protocol gives `unknown`.
int ProtocolFromIdentifier(uint16_t id, int driverProtocol, int unknown);

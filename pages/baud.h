#pragma once
// The baud-rate lists of the protocol pages and the codes the record stores for them.
#include <optional>
#include <vector>

#include "pages/rules.h"

namespace rules {

// One sheet per module family and protocol.
enum class Sheet {
    CP730_3964, CP730_Ascii, CP730_Printer,
    CP830_3964, CP830_Ascii,
    CP731_3964, CP731_Rk512, CP731_Ascii, CP731_Printer,  // also CP 831-1 and CP 831-2
};

// The sheet for a module and protocol code (1 3964(R), 2 ASCII, 3 RK 512, 4 printer);
// nullopt for loadable drivers and combinations without a sheet.
std::optional<Sheet> sheetFor(int moduleType, int protocol);

// The entries of the page's baud-rate list, in Bit/s, in list order.
std::vector<int> baudRates(Sheet sheet, const CheckContext& ctx);

// The stored code of a rate (CP 830 swaps 57600 and 76800); 0 for an unknown rate.
int baudCode(int moduleType, int baudRate);
// The rate of a stored code; 0 for an unknown code.
int baudRateOfCode(int moduleType, int code);

// Selecting the stored code in the list on opening. When the code is not in the list,
// CP 731, CP 830 and CP 831 pages say so (557) and take 9600; CP 730 pages select
// nothing (index -1).
struct BaudSelection {
    int index = -1;
    int baudRate = 0;
    Verdict verdict;
};
BaudSelection selectBaud(Sheet sheet, const CheckContext& ctx, int code);

}  // namespace rules

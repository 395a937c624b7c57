#pragma once
// Opening the protocol sheet of the document's module and taking its result back, as the
// overview does it; the command line does the same.
#include <optional>

#include "pages/sheet_model.h"

class CPtpDoc;

// What the sheet is told about the document's module: type, interface, product version,
// the extended flags (gated by the host suite's version) and the online state.
rules::SheetContext SheetContextFor(const CPtpDoc& doc);

// The sheet of the module and current protocol, filled from the live protocol record;
// nullopt for a loadable driver.
std::optional<rules::SheetModel> OpenProtocolSheet(const CPtpDoc& doc);

// After the sheet's OK: its values go back into the live record; the document is marked
// modified unless it is online.
void TakeProtocolSheet(CPtpDoc& doc, const rules::SheetModel& sheet);

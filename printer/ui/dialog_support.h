#pragma once
// What the printer dialogs share: showing a model's verdict through the message service,
// putting its questions, and the fixed-pitch font of the tables.
#include <QFont>

#include "pages/rules.h"
#include "printer/table_edit.h"

namespace printerui {

// Shows the verdict's message under its caption; nothing without a message.
void showVerdict(const rules::Verdict& v);
// Asks the verdict's question; true for Yes.
bool ask(const rules::Verdict& question);
// The Ask a model's edits put their questions through.
printer::Ask asker();
// The tables' font: fixed pitch, the size of the dialog's font.
QFont tableFont(const QFont& dialogFont);

}  // namespace printerui

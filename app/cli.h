#pragma once
// The command line ptpcfg: the same document, rules and storing as the window program,
// with messages on standard error.
#include <string>
#include <vector>

class CPtpDoc;

namespace cli {

enum ExitCode { kDone = 0, kFailure = 1, kRefused = 2 };

// Runs one command; `args` excludes the program name. Output goes to `out`.
int Run(const std::vector<std::string>& args, std::string& out);

// The folder of the running program.
std::string ExecutableFolder();

// The identification, records, lengths and text state of a loaded document.
std::string ShowDocument(const CPtpDoc& doc);

// Writes the printed pages of a document as a PDF file; empty on success, else why not. The
// program that can draw sets it (ptpcfg: printui::WritePrintoutPdf); without one `print --pdf`
// is refused.
using PdfWriter = std::string (*)(const CPtpDoc& doc, const std::string& file);
void SetPdfWriter(PdfWriter writer);

}  // namespace cli

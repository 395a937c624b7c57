#include <cstdio>
#include <string>
#include <vector>

#include "app/cli.h"
#include "view/ui/print_printout.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // print --pdf draws the pages as the window prints them.
    cli::SetPdfWriter(&printui::WritePrintoutPdf);
    std::string out;
    int rc = cli::Run(args, out);
    std::fputs(out.c_str(), stdout);
    return rc;
}

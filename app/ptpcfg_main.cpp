#include <cstdio>
#include <string>
#include <vector>

#include "app/cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string out;
    int rc = cli::Run(args, out);
    std::fputs(out.c_str(), stdout);
    return rc;
}

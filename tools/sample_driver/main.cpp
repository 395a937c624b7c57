#include <cstdio>

#include "tools/sample_driver/driver_package.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string out, err;
    int rc = driverpkg::Run(args, out, err, argv[0]);
    std::fputs(out.c_str(), stdout);
    std::fputs(err.c_str(), stderr);
    return rc;
}

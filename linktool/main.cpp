// y5mklink LINK_FOLDER [LOG_FILE]: see mklink.h. The exit status is the low byte of the exit code
// (255 for -1, 250 for -6, ...).
#include "linktool/mklink.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return mklink::run(args);
}

// ptp_make_firmware OUTDIR [--size N]: writes a firmware update set of made-up contents.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/sample_firmware/sample_firmware.h"

int main(int argc, char** argv) {
    samplefw::Options options;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--size" && i + 1 < argc) {
            char* end = nullptr;
            const unsigned long long n = std::strtoull(argv[++i], &end, 10);
            if (!end || *end || n > 64ull * 1024 * 1024) {
                std::fprintf(stderr, "ptp_make_firmware: --size takes a number of bytes up to 64 MiB\n");
                return 1;
            }
            options.size = static_cast<std::size_t>(n);
        } else if (a == "--diagnostics") {
            options.diagnostics = true;
        } else if (folder.empty() && a.rfind("--", 0) != 0) {
            folder = a;
        } else {
            std::fprintf(stderr, "usage: ptp_make_firmware OUTDIR [--size N] [--diagnostics]\n");
            return 1;
        }
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: ptp_make_firmware OUTDIR [--size N] [--diagnostics]\n");
        return 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::string problem;
    if (!samplefw::WriteUpdateSet(folder, options, &problem)) {
        std::fprintf(stderr, "ptp_make_firmware: %s\n", problem.c_str());
        return 1;
    }
    std::printf("%s/header.upd\n", folder.c_str());
    return 0;
}

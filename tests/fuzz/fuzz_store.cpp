// The whole document layer: a stored block of any content (FUZZ_TRANSFER_FILE=0: the
// project attribute of a CP 730, CP 731 or CP 830) or data transfer file (1: a CP 831) is
// loaded, stored, loaded again and stored again, twice. The first byte picks the module
// and interface, the rest is what is stored. Whatever the first load made of the input,
// the second and the third store write the same bytes (the build time in the heads
// aside): a stored block loads back into exactly what was stored.
#include <unistd.h>

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "document/ptp_doc.h"
#include "host/aut.h"
#include "sdb/container.h"
#include "tests/support/memory_project.h"
#include "tests/support/message_recorder.h"
#include "tests/support/module_factory.h"

namespace fs = std::filesystem;

namespace {

#if FUZZ_TRANSFER_FILE
// Memory-backed when there is such a folder: a store syncs what it writes.
fs::path scratchBase() {
    std::error_code ec;
    return fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
}
#endif

void check(bool ok) {
    if (!ok) __builtin_trap();
}

struct Module {
    const char* model;
    int iface;
    const char* order;
};

#if FUZZ_TRANSFER_FILE
const Module kModules[] = {
    {"CP8311", kIfHostRs232, "9QX4 831-1KK00"}, {"CP8311", kIfHostTty, "9QX4 831-1KK00"},
    {"CP8311", kIfHostRs422, "9QX4 831-1KK00"}, {"CP8312", kIfHostRs232, "9QX4 831-2KK02"},
    {"CP8312", kIfHostTty, "9QX4 831-2KK02"},   {"CP8312", kIfHostRs422, "9QX4 831-2KK02"},
    {"CP8312", kIfNone, "9QX4 831-2KK05"},      {"CP8311", kIfHostRs232, "9QX4 831-1KK02"},
};
#else
const Module kModules[] = {
    {"CP730", kIfRs232, "9QX4 730-1KM00"}, {"CP730", kIfTty, "9QX4 730-1LM00"}, {"CP730", kIfRs422, "9QX4 730-1NM00"},
    {"CP731", kIfHostRs232, "9QX4 731-1L"}, {"CP731", kIfHostRs232, "9QX4 731-1AA02-0AE3"},
    {"CP731", kIfHostTty, "9QX4 731-1K"},  {"CP830", kIfRs422, "9QX4 830"}, {"CP830", kIfRs232, "9QX4 830"},
};
#endif

void zeroTime(std::vector<uint8_t>& bytes, size_t headAt) {
    for (size_t i = headAt + 16; i < headAt + 22 && i < bytes.size(); ++i) bytes[i] = 0;
}

// The clock's bytes of the parameter and text heads set to zero.
void zeroTimes(std::vector<uint8_t>& bytes) {
#if FUZZ_TRANSFER_FILE
    size_t at = 6;
    for (int i = 0; bytes.size() >= 2 && i < bytes[1] && at + 5 <= bytes.size(); ++i) {
        const size_t len = (size_t{bytes[at + 1]} << 24) | (size_t{bytes[at + 2]} << 16) | (size_t{bytes[at + 3]} << 8) |
                           bytes[at + 4];
        if (bytes[at] == 1 || bytes[at] == 2) zeroTime(bytes, at + 5);
        at += 5 + len;
    }
#else
    SdbRecordList* raw = nullptr;
    const int n = SdbUnpackRecords(bytes.data(), bytes.size(), &raw);
    SdbRecordListPtr list(raw);
    for (int i = 0; i < n; ++i) {
        const SdbRecord& r = list->pEntries[i];
        if (r.byNumber == 128 || r.byNumber == 135) zeroTime(bytes, static_cast<size_t>(r.pData - bytes.data()));
    }
#endif
}

#if FUZZ_TRANSFER_FILE
std::vector<uint8_t> readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const Module& m = kModules[data[0] % (sizeof kModules / sizeof *kModules)];
    support::MessageRecorder messages;
    AppSettings app;
    app.releaseVersion = "5.1.2.3";
    support::MemoryProject project;

#if FUZZ_TRANSFER_FILE
    static const fs::path dir = [] {
        static fs::path made = scratchBase() / ("ptp_fuzz_store_" + std::to_string(::getpid()));
        fs::create_directories(made);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(made, ec);
        });
        return made;
    }();
    const fs::path file = dir / "cp831.sdb";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    const std::string line = support::StartupString(file.string(), m.model, m.iface, m.order);
    auto stored = [&]() -> std::optional<std::vector<uint8_t>> { return readAll(file); };
#else
    host::Project& store = project.project();
    if (!store.setBinary(project.module, kAttrParameterBlock, data + 1, size - 1)) return 0;
    const std::string line = support::StartupString("0", m.model, m.iface, m.order);
    auto stored = [&] { return store.binary(project.module, kAttrParameterBlock); };
#endif

    // one run of the program: load, store; what is stored afterwards
    std::string loaded;  // the message texts the last load found, for a finding's report
    auto cycle = [&]() -> std::optional<std::vector<uint8_t>> {
        CPtpDoc doc(app);
        if (doc.ParseStartupString(line) != 0) return std::nullopt;
        loaded = "texts " + std::to_string(doc.m_pTexts->lowest()) + ".." + std::to_string(doc.m_pTexts->highest()) + ":";
        for (const auto& [number, text] : doc.m_pTexts->texts())
            loaded += " " + std::to_string(number) + "(" + std::to_string(text.size()) + ")";
        doc.SetModifiedFlag(true);
        if (doc.Store() != 1) return std::nullopt;
        return stored();
    };
    if (!cycle()) return 0;
    auto second = cycle();
    check(second.has_value());
    const std::string loadedSecond = loaded;
    auto third = cycle();
    check(third.has_value());
    zeroTimes(*second);
    zeroTimes(*third);
    if (*second != *third) {
        std::fprintf(stderr, "second store %zu bytes, third %zu\nsecond load %s\nthird load %s\n", second->size(),
                     third->size(), loadedSecond.c_str(), loaded.c_str());
        for (size_t i = 0; i < std::min(second->size(), third->size()); ++i)
            if ((*second)[i] != (*third)[i]) std::fprintf(stderr, "byte %zu: %02X -> %02X\n", i, (*second)[i], (*third)[i]);
#if !FUZZ_TRANSFER_FILE
        SdbRecordList* raw = nullptr;
        const int n = SdbUnpackRecords(second->data(), second->size(), &raw);
        SdbRecordListPtr list(raw);
        for (int i = 0; i < n; ++i)
            std::fprintf(stderr, "record %d at %td, %zu bytes\n", list->pEntries[i].byNumber,
                         list->pEntries[i].pData - second->data(), static_cast<size_t>(list->pEntries[i].byLength));
#endif
    }
    check(*second == *third);
    return 0;
}

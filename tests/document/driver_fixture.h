#pragma once
// Small loadable drivers written by the tests themselves: driver files of records, a
// description file, the test library, and their entry in the installed-driver table.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_settings.h"

namespace drvtest {

// One record of a driver file.
struct Rec {
    std::string name = "TSTDRV00";
    uint8_t verHi = 1, verLo = 0;
    uint16_t type = 0x1001;
    uint32_t hwBits = 0x102;    // fits the CP 731 (256) and the CP 831-2 (2)
    uint16_t body = 100;
    uint8_t longDriver = 0;
    // bytes 42 to 53 of the head: marks that show which record a descriptor byte came from
    std::array<uint8_t, 12> tail{};
    // a body length claimed beyond what is written (0: the body as long as `body`)
    uint32_t writtenBody = 0xFFFFFFFF;
};

// The head of a record as the file holds it.
std::array<uint8_t, 64> Head(const Rec& r);
// The body bytes of a record: the lowest byte of (seed + i).
std::vector<uint8_t> Body(const Rec& r);
// Writes the records one after the other.
void WriteDriverFile(const std::filesystem::path& file, const std::vector<Rec>& records);
std::vector<uint8_t> ReadFile(const std::filesystem::path& file);

// A driver package in `folder`: files named DRVCODE0.KPC, DRVFIRM0.SCC, DRVPROT0.PTP,
// DRVDESC0.CPZ and the test library as testdrvA.so.
struct Package {
    std::vector<Rec> code{Rec{}};
    std::vector<Rec> firmware{Rec{"TSTFW000", 1, 0, 0x2001, 0x102, 300}};
    std::vector<Rec> protocol{Rec{"TSTPTP00", 1, 0, 0x3001, 0x102, 200}};
    std::string description;   // the description file's text; empty: no description file named
    bool texts = false;
    bool library = true;       // the library is installed
    std::string displayName = "Testtreiber";
};

// Writes the package into `folder` and appends its entry to the installed drivers of `app`
// (whose driver folder becomes `folder`). Returns the entry's index.
int Install(AppSettings& app, const std::filesystem::path& folder, const Package& p);

}  // namespace drvtest

#pragma once
// A firmware update set made by the project for its tests and the demo: "header.upd",
// "bg_abl.upd" and an image of made-up bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace samplefw {

struct Entry {
    int sequence = 1;
    std::string orderNo;  // mlfb_k
    std::string version;  // version_stand_k
};

struct Options {
    std::size_t size = 4096;               // image bytes
    std::string imageName = "cpfw01";      // [komp_1] file_name_1, 6 characters
    int structureSelector = 3;
    int declaredEntries = -1;              // anzahl_einträge; -1: the number of entries
    std::vector<Entry> entries{{1, "6ES7 341-1AH01-0AE0", "V2.1.3"}, {2, "6ES7 341-1BH01-0AE0", "V2.1.3"}};
    bool diagnostics = false;              // [test] DS_Ablauf_Info=1
};

// The image: `size` bytes of a fixed pseudo-random sequence.
std::vector<std::uint8_t> MakeImage(std::size_t size);
std::string HeaderText(const Options& options);
std::string DescriptionText(const Options& options);
// Writes the three files into `folder` (which must exist); false with `problem`.
bool WriteUpdateSet(const std::string& folder, const Options& options, std::string* problem = nullptr);

}  // namespace samplefw

#pragma once
// The files of a firmware update set: the index "header.upd", the description "bg_abl.upd" in
// the same folder, and the image the index names. Index and description are profile files
// (sections in brackets, key=value lines); section and key names match without regard to case,
// and "ä" in a name matches whether the file is written in UTF-8 or in Windows-1252.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace online {

// A profile file as read: the first section of a name and the first key of a name count.
class Profile {
public:
    static Profile Parse(std::string_view text);
    // The value of `key` in `section`, blanks around it and one pair of enclosing double quotes
    // removed, cut to `maxChars` characters; nullopt when the section or the key is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key, size_t maxChars) const;
    // The value read as a number the way the host reads profile numbers: the leading decimal
    // digits (a minus before them allowed); nullopt for a missing key, 0 for no digits.
    std::optional<long> GetNumber(std::string_view section, std::string_view key) const;

private:
    struct Entry {
        std::string section, key, value;  // section and key folded
    };
    std::vector<Entry> entries_;
};

// A profile file longer than this is not an index or description file.
constexpr size_t kMaxProfileFile = 64 * 1024;
// Reads and parses a profile file; nullopt when it cannot be opened or is too long.
std::optional<Profile> ReadProfile(const std::string& path);

// Shown while no version can be named.
inline constexpr const char* kNoVersion = "- - - - - - - -";

// What the path field names: the index file, its folder and the description file.
struct SelectedSet {
    bool valid = false;           // the text names a "header.upd"
    std::string folder;           // up to the file name, with its slash
    std::string indexPath;        // folder + "header.upd"
    std::string descriptionPath;  // folder + "bg_abl.upd"
    std::string version = kNoVersion;  // [n_Einträge] Version_Stand_1, or kNoVersion
};
// The path text (at most 118 characters are looked at, backslashes taken as slashes): its first
// "header.upd" (then "Header.upd") ends the folder; the version comes from the description file.
SelectedSet SelectUpdateSet(std::string_view pathText);

// One description entry as the introduction job carries it.
struct DescriptionEntry {
    uint16_t sequence = 0;                 // ablaufkennung_k
    std::array<uint8_t, 20> orderNo{};     // mlfb_k, zero-filled; 19 characters get a blank
    std::array<uint8_t, 4> version{};      // version_stand_k: letter and three numbers
};
// The 20 order number bytes of a text (cut to 20).
std::array<uint8_t, 20> EncodeOrderNo(std::string_view text);
// "V2.1.3" -> 'V', 2, 1, 3; a text without a character and three dot-separated numbers
// 0..255 gives four zero bytes.
std::array<uint8_t, 4> EncodeVersion(std::string_view text);

constexpr int kMaxEntries = 6;

// An update set checked for sending.
struct UpdateSet {
    SelectedSet selected;
    std::string imagePath;  // folder + [komp_1] file_name_1 + ".upd"
    int structureSelector = 0;
    bool diagnostics = false;  // [test] DS_Ablauf_Info non-zero
    std::vector<DescriptionEntry> entries;  // 1 to 6
};

struct UpdateSetCheck {
    int message = 0;             // the message that refuses the set, or 0
    std::vector<int> notices;    // messages shown on the way (2026) when the set is taken
    UpdateSet set;
};
// The checks before sending, in order: the selected set (2019), the index file (2021), its
// references to the description (2024) and the image (2025), the description file (2022) and
// its entries (2020, 2026).
UpdateSetCheck CheckUpdateSet(std::string_view pathText);
// The same on profile texts already read (for the fuzz harness and the tests): nullopt for a
// file that cannot be opened.
UpdateSetCheck CheckUpdateSetTexts(const SelectedSet& selected, const std::optional<std::string>& indexText,
                                   const std::optional<std::string>& descriptionText);

// An image longer than this is refused (its length travels in 32 bits, and it is held in memory).
constexpr uint64_t kMaxImageSize = 64ull * 1024 * 1024;
// The whole image; nullopt when it cannot be opened or read or is too long.
std::optional<std::vector<uint8_t>> ReadImage(const std::string& path);

}  // namespace online

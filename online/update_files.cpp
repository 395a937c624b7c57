#include "online/update_files.h"

#include <fstream>
#include <iterator>

namespace online {
namespace {

constexpr int kMsgInvalidSelection = 2019;
constexpr int kMsgDescriptionInvalid = 2020;
constexpr int kMsgIndexUnreadable = 2021;
constexpr int kMsgDescriptionUnreadable = 2022;
constexpr int kMsgNoDescriptionReference = 2024;
constexpr int kMsgNoImageReference = 2025;
constexpr int kMsgOnlySixEntries = 2026;

constexpr size_t kPathTextLength = 118;
constexpr size_t kValueLength = 19;
constexpr size_t kOrderNoLength = 20;
constexpr size_t kShownVersionLength = 12;
constexpr size_t kMinOrderNoLength = 12;

// Section and key names compare folded: ASCII letters lower case, "ä"/"Ä" in UTF-8 or
// Windows-1252 as one form.
std::string fold(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xC4 || c == 0xE4) {
            out += "\xC3\xA4";
        } else if (c == 0xC3 && i + 1 < s.size() &&
                   (static_cast<unsigned char>(s[i + 1]) == 0x84 || static_cast<unsigned char>(s[i + 1]) == 0xA4)) {
            out += "\xC3\xA4";
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// Cuts a text at `maxChars` characters; a UTF-8 sequence is not split.
std::string cut(std::string s, size_t maxChars) {
    if (s.size() <= maxChars) return s;
    size_t end = maxChars;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    s.resize(end);
    return s;
}

std::optional<std::string> readText(const std::string& path, size_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    char buf[4096];
    while (in) {
        in.read(buf, sizeof buf);
        text.append(buf, static_cast<size_t>(in.gcount()));
        if (text.size() > limit) return std::nullopt;
    }
    if (in.bad()) return std::nullopt;
    return text;
}

bool equalsNoCase(std::string_view a, std::string_view b) { return fold(a) == fold(b); }

}  // namespace

Profile Profile::Parse(std::string_view text) {
    Profile p;
    std::string section;
    bool inSection = false;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = trim(text.substr(at, end - at));
        at = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            section = fold(trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            inSection = true;
            continue;
        }
        const size_t eq = line.find('=');
        if (!inSection || eq == std::string_view::npos) continue;
        std::string_view value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        p.entries_.push_back({section, fold(trim(line.substr(0, eq))), std::string(value)});
    }
    return p;
}

std::optional<std::string> Profile::Get(std::string_view section, std::string_view key, size_t maxChars) const {
    const std::string s = fold(section), k = fold(key);
    for (const auto& e : entries_)
        if (e.section == s && e.key == k) return cut(e.value, maxChars);
    return std::nullopt;
}

std::optional<long> Profile::GetNumber(std::string_view section, std::string_view key) const {
    const auto text = Get(section, key, kValueLength);
    if (!text) return std::nullopt;
    std::string_view t = trim(*text);
    bool negative = false;
    if (!t.empty() && t.front() == '-') {
        negative = true;
        t.remove_prefix(1);
    }
    long value = 0;
    for (char c : t) {
        if (c < '0' || c > '9') break;
        if (value > 100000000) break;  // far past every limit that is checked
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::optional<Profile> ReadProfile(const std::string& path) {
    auto text = readText(path, kMaxProfileFile);
    if (!text) return std::nullopt;
    return Profile::Parse(*text);
}

SelectedSet SelectUpdateSet(std::string_view pathText) {
    SelectedSet s;
    std::string text(pathText.substr(0, kPathTextLength));
    for (char& c : text)
        if (c == '\\') c = '/';
    size_t match = text.find("header.upd");
    if (match == std::string::npos) match = text.find("Header.upd");
    if (match == std::string::npos) return s;
    s.valid = true;
    s.folder = text.substr(0, match);
    s.indexPath = s.folder + "header.upd";
    s.descriptionPath = s.folder + "bg_abl.upd";
    if (const auto description = ReadProfile(s.descriptionPath)) {
        std::string v = description->Get("n_Einträge", "Version_Stand_1", kShownVersionLength).value_or(kNoVersion);
        for (char stop : {' ', '\t', ';'})
            if (const size_t at = v.find(stop); at != std::string::npos) v.resize(at);
        s.version = v;
    }
    return s;
}

std::array<uint8_t, 20> EncodeOrderNo(std::string_view text) {
    std::array<uint8_t, 20> out{};
    const size_t n = std::min(text.size(), out.size());
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(text[i]);
    if (text.size() == out.size() - 1) out[out.size() - 1] = ' ';
    return out;
}

std::array<uint8_t, 4> EncodeVersion(std::string_view text) {
    std::array<uint8_t, 4> out{};
    if (text.size() < 2) return out;
    std::array<int, 3> numbers{};
    size_t at = 1;
    for (int part = 0; part < 3; ++part) {
        size_t digits = 0;
        int value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 4) {
            value = value * 10 + (text[at] - '0');
            ++at;
            ++digits;
        }
        if (digits == 0 || value > 255) return {};
        numbers[part] = value;
        if (part < 2) {
            if (at >= text.size() || text[at] != '.') return {};
            ++at;
        }
    }
    if (at != text.size()) return {};
    out[0] = static_cast<uint8_t>(text[0]);
    for (int i = 0; i < 3; ++i) out[i + 1] = static_cast<uint8_t>(numbers[i]);
    return out;
}

UpdateSetCheck CheckUpdateSetTexts(const SelectedSet& selected, const std::optional<std::string>& indexText,
                                   const std::optional<std::string>& descriptionText) {
    UpdateSetCheck r;
    r.set.selected = selected;
    auto refuse = [&r](int id) {
        r.message = id;
        return r;
    };
    if (!selected.valid) return refuse(kMsgInvalidSelection);
    if (!indexText) return refuse(kMsgIndexUnreadable);
    const Profile index = Profile::Parse(*indexText);
    const auto description = index.Get("BG_ABL", "file_name_1", kValueLength);
    if (!description || !equalsNoCase(*description, "bg_abl")) return refuse(kMsgNoDescriptionReference);
    const auto image = index.Get("komp_1", "file_name_1", kValueLength);
    if (!image || image->size() != 6 || image->find('/') != std::string::npos || image->find('\\') != std::string::npos)
        return refuse(kMsgNoImageReference);
    r.set.imagePath = selected.folder + *image + ".upd";

    if (!descriptionText) return refuse(kMsgDescriptionUnreadable);
    const Profile d = Profile::Parse(*descriptionText);
    const auto name = d.Get("bg_abl", "komp_name", kValueLength);
    if (!name || !equalsNoCase(*name, "bg_abl")) return refuse(kMsgDescriptionInvalid);
    const auto count = d.GetNumber("bg_abl", "anzahl_einträge");
    if (!count || *count <= 0) return refuse(kMsgDescriptionInvalid);
    const auto selector = d.GetNumber("bg_abl", "strukturselektor");
    if (!selector || *selector < 0 || *selector > 255) return refuse(kMsgDescriptionInvalid);
    r.set.structureSelector = static_cast<int>(*selector);
    int entries = static_cast<int>(*count);
    if (entries > kMaxEntries) {
        r.notices.push_back(kMsgOnlySixEntries);
        entries = kMaxEntries;
    }
    for (int k = 1; k <= entries; ++k) {
        const std::string n = std::to_string(k);
        const auto sequence = d.GetNumber("n_Einträge", "ablaufkennung_" + n);
        const auto orderNo = d.Get("n_Einträge", "mlfb_" + n, kOrderNoLength);
        const auto version = d.Get("n_Einträge", "version_stand_" + n, kValueLength);
        if (!sequence || *sequence < 0 || *sequence > 0xFFFF || !orderNo || orderNo->size() < kMinOrderNoLength || !version)
            return refuse(kMsgDescriptionInvalid);
        DescriptionEntry e;
        e.sequence = static_cast<uint16_t>(*sequence);
        e.orderNo = EncodeOrderNo(*orderNo);
        e.version = EncodeVersion(*version);
        r.set.entries.push_back(e);
    }
    const auto diagnostics = d.GetNumber("test", "DS_Ablauf_Info");
    r.set.diagnostics = diagnostics && *diagnostics != 0;
    return r;
}

UpdateSetCheck CheckUpdateSet(std::string_view pathText) {
    const SelectedSet selected = SelectUpdateSet(pathText);
    if (!selected.valid) return CheckUpdateSetTexts(selected, std::nullopt, std::nullopt);
    // the checks look at the description only once the index has been taken
    return CheckUpdateSetTexts(selected, readText(selected.indexPath, kMaxProfileFile),
                               readText(selected.descriptionPath, kMaxProfileFile));
}

std::optional<std::vector<uint8_t>> ReadImage(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > kMaxImageSize) return std::nullopt;
    in.seekg(0);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return bytes;
}

}  // namespace online

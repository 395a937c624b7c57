#include "document/driver_files.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace drv {
namespace {

uint16_t be16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>((b[at] << 8) | b[at + 1]); }
uint32_t be32(std::span<const uint8_t> b, size_t at) {
    return (static_cast<uint32_t>(be16(b, at)) << 16) | be16(b, at + 2);
}

std::optional<uint64_t> fileSize(std::ifstream& in) {
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (!in || end < 0) return std::nullopt;
    return static_cast<uint64_t>(end);
}

bool readAt(std::ifstream& in, uint64_t offset, std::span<uint8_t> out) {
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return in && static_cast<size_t>(in.gcount()) == out.size();
}

// --- description file ---

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// A hexadecimal number as "%x" reads it: leading blanks, an optional "0X", the digits (a
// number beyond 32 bits stays at the largest one). Nothing when there are no digits.
std::optional<uint32_t> hexValue(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    if (i + 2 < s.size() && s[i] == '0' && s[i + 1] == 'X' && std::isxdigit(static_cast<unsigned char>(s[i + 2])))
        i += 2;
    uint64_t v = 0;
    size_t digits = 0;
    for (; i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i])); ++i, ++digits) {
        const char c = s[i];
        v = v * 16 + static_cast<uint64_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'A' + 10);
        v = std::min<uint64_t>(v, 0xFFFFFFFFu);
    }
    if (!digits) return std::nullopt;
    return static_cast<uint32_t>(v);
}

// A decimal number after optional blanks; at most one sign. Nothing without digits.
std::optional<long> decimal(std::string_view s, size_t& i) {
    while (i < s.size() && isBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long v = 0;
    size_t digits = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i, ++digits)
        v = std::min<long>(v * 10 + (s[i] - '0'), 100000);
    if (!digits) return std::nullopt;
    return negative ? -v : v;
}

// " %d.%d ": two numbers with a point between them, each 0 to 255.
std::optional<Version> versionValue(std::string_view s) {
    size_t i = 0;
    const auto hi = decimal(s, i);
    if (!hi || i >= s.size() || s[i] != '.') return std::nullopt;
    ++i;
    const auto lo = decimal(s, i);
    if (!lo || *hi < 0 || *hi > 255 || *lo < 0 || *lo > 255) return std::nullopt;
    return Version{static_cast<uint8_t>(*hi), static_cast<uint8_t>(*lo)};
}

// Takes the description line by line, as the file gives them.
class DescriptionReader {
public:
    explicit DescriptionReader(std::string_view pattern) : pattern_(upper(pattern)) {}

    void line(std::string_view raw) {
        const std::string text = upper(raw);
        if (!inSection_) {
            if (text.find(pattern_) != std::string::npos) {
                inSection_ = true;
                d_.found = true;
            }
            return;
        }
        // the next "[" line ends the section; the search for a further header goes on after it
        if (!text.empty() && text[0] == '[') {
            inSection_ = false;
            return;
        }
        entry(text);
    }

    Description result() const {
        Description d = d_;
        d.partsMask = (d.firmware.type ? 1 : 0) | (d.protocol.type ? 2 : 0) | (d.code.type ? 4 : 0);
        return d;
    }

private:
    void entry(const std::string& text) {
        struct Key { const char* name; PartDescription Description::*part; bool version; };
        static const Key keys[] = {
            {"KP_TYP", &Description::code, false},     {"KP_VERS", &Description::code, true},
            {"SCC_TYP", &Description::firmware, false}, {"SCC_VERS", &Description::firmware, true},
            {"PTP_TYP", &Description::protocol, false}, {"PTP_VERS", &Description::protocol, true},
        };
        for (const Key& k : keys) {
            if (text.find(k.name) == std::string::npos) continue;
            const auto eq = text.find('=');
            if (eq == std::string::npos) return;
            const std::string_view value = std::string_view(text).substr(eq + 1);
            PartDescription& part = d_.*k.part;
            if (k.version) part.version = versionValue(value);
            else if (const auto t = hexValue(value)) part.type = *t;
            return;
        }
    }

    std::string pattern_;
    bool inSection_ = false;
    Description d_;
};

}  // namespace

DriverRecord ParseRecordHead(std::span<const uint8_t, kRecordHeadSize> head, uint64_t offset) {
    DriverRecord r;
    r.offset = offset;
    std::copy(head.begin(), head.end(), r.head.begin());
    std::copy_n(head.begin(), 8, r.name.begin());
    r.verHi = head[8];
    r.verLo = head[9];
    r.type = be16(head, 12);
    r.bodyLength = be16(head, 14);
    r.hwBits = be32(head, 18);
    r.longDriver = head[54];
    return r;
}

RecordSearch FindRecord(uint64_t fileSize, const HeadReader& read, const RecordMatcher& match) {
    RecordSearch out;
    uint64_t at = 0;
    while (at < fileSize) {
        // a head or body the file does not hold ends the chain: nothing behind it is a record
        if (fileSize - at < kRecordHeadSize) return out;
        std::array<uint8_t, kRecordHeadSize> head{};
        if (!read(at, head)) {
            out.result = WalkResult::ReadError;
            return out;
        }
        const DriverRecord r = ParseRecordHead(head, at);
        if (r.bodyLength > fileSize - at - kRecordHeadSize) return out;
        if (match(r)) {
            out.result = WalkResult::Found;
            out.record = r;
            return out;
        }
        at += r.size();
    }
    return out;
}

RecordSearch FindRecord(std::span<const uint8_t> file, const RecordMatcher& match) {
    return FindRecord(file.size(), [&](uint64_t offset, std::span<uint8_t, kRecordHeadSize> out) {
        if (offset > file.size() || file.size() - offset < out.size()) return false;
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
        return true;
    }, match);
}

std::optional<RecordSearch> FindRecordInFile(const std::string& path, const RecordMatcher& match) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const auto size = fileSize(in);
    if (!size) return RecordSearch{WalkResult::ReadError, {}};
    return FindRecord(*size, [&](uint64_t offset, std::span<uint8_t, kRecordHeadSize> out) {
        return readAt(in, offset, out);
    }, match);
}

std::optional<std::vector<uint8_t>> ReadRecordBody(const std::string& path, uint64_t offset, uint16_t bodyLength) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const auto size = fileSize(in);
    if (!size || offset > *size || *size - offset < kRecordHeadSize + uint64_t{bodyLength}) return std::nullopt;
    std::array<uint8_t, kRecordHeadSize> head{};
    if (!readAt(in, offset, head) || ParseRecordHead(head, offset).bodyLength != bodyLength) return std::nullopt;
    std::vector<uint8_t> body(bodyLength);
    if (!readAt(in, offset + kRecordHeadSize, body)) return std::nullopt;
    return body;
}

Description ParseDescription(std::string_view text, std::string_view modulePattern) {
    DescriptionReader reader(modulePattern);
    size_t at = 0;
    while (at < text.size()) {
        // a line as an 81-byte line buffer takes it: up to 80 characters, the newline included
        size_t n = std::min(kDescriptionLineLength, text.size() - at);
        const size_t newline = text.substr(at, n).find('\n');
        if (newline != std::string_view::npos) n = newline + 1;
        reader.line(text.substr(at, n));
        at += n;
    }
    return reader.result();
}

std::optional<Description> ReadDescriptionFile(const std::string& path, std::string_view modulePattern) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    DescriptionReader reader(modulePattern);
    std::string line;
    char c = 0;
    while (in.get(c)) {
        line += c;
        if (c == '\n' || line.size() == kDescriptionLineLength) {
            reader.line(line);
            line.clear();
        }
    }
    if (!line.empty()) reader.line(line);
    return reader.result();
}

std::string ModulePattern(std::string_view orderNo) {
    std::string p = upper(orderNo);
    if (const auto blank = p.find(' '); blank != std::string::npos) p[blank] = '_';
    for (int i = 0; i < 2; ++i)
        if (const auto hyphen = p.find('-'); hyphen != std::string::npos) p[hyphen] = '_';
    if (const auto at = p.find("831_2KK0"); at != std::string::npos && at + 8 < p.size() && p[at + 8] > '2')
        p[at + 8] = '2';
    return p;
}

}  // namespace drv

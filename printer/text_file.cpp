#include "printer/text_file.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "document/transfer_file.h"
#include "printer/cp1252.h"

namespace printer {
namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> splitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\r' || bytes[i] == '\n') {
            if (i > start) lines.push_back(bytes.substr(start, i - start));
            start = i + 1;
        }
    }
    return lines;
}

bool allDigits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

// The number as a message shows it: without leading zeros.
std::string numberText(std::string_view digits) {
    const size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? "0" : std::string(digits.substr(first));
}

}  // namespace

ParsedTextFile ParseTextFile(std::string_view bytes, const MessageLimits& limits, const DuplicateAnswer& answer,
                             const ParseNotice& notice) {
    ParsedTextFile r;
    auto note = [&](TextMessage m) {
        r.messages.push_back(m);
        if (notice) notice(m);
    };
    const auto lines = splitLines(bytes.substr(0, kTextFileCapacity));
    const std::string_view first = lines.empty() ? std::string_view() : trimBlanks(lines[0]);
    const bool versionOk = !lines.empty() && ParseVersion(first).has_value();
    if (versionOk) {
        r.version = std::string(first);
    } else {
        r.version = kDefaultVersion;
        note({kMsgBadVersionLine, {}});
    }
    // A wrong first line takes the first of the N places.
    const size_t places = static_cast<size_t>(std::max(limits.numbers - (versionOk ? 0 : 1), 0));
    for (size_t i = 1; i < lines.size() && i - 1 < places; ++i) {
        const std::string_view line = lines[i];
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view digits = trimBlanks(line.substr(0, colon));
        if (!allDigits(digits)) continue;
        const std::string shown = numberText(digits);
        if (shown.size() > static_cast<size_t>(kMaxNumberDigits) || digits.size() > 4 ||
            std::stoi(shown) > limits.numbers - 1) {
            note({kMsgBadNumber, {shown}});
            continue;
        }
        const int number = std::stoi(shown);
        const std::string_view raw = line.substr(colon + 1);
        if (raw.size() > static_cast<size_t>(kMaxTextChars)) {
            note({kMsgTextTooLong, {shown}});
            continue;
        }
        if (raw.empty()) continue;
        std::string text = Cp1252ToUtf8(raw);
        if (r.list.find(number)) {
            TextMessage q{kMsgDuplicateNumber, {shown}};
            r.messages.push_back(q);
            if (answer && !answer(q)) continue;
        }
        if (r.list.sizeWith(number, text) > limits.size) {
            note({kMsgFileTooLong, {}});
            r.cut = true;
            break;
        }
        r.list.set(number, std::move(text));
    }
    return r;
}

BuiltTextFile BuildTextFile(std::string_view version, const MessageList& list) {
    BuiltTextFile r;
    std::string out = Utf8ToCp1252(version);
    out += "\r\n";
    for (const MessageEntry& e : list.entries()) {
        out += std::to_string(e.number);
        out += ':';
        out += Utf8ToCp1252(e.text);
        out += "\r\n";
        if (out.size() > kTextFileCapacity) {
            r.refusal = TextMessage{kMsgTooLong, {}};
            return r;
        }
    }
    if (out.size() > kTextFileCapacity) {
        r.refusal = TextMessage{kMsgTooLong, {}};
        return r;
    }
    r.bytes = std::move(out);
    return r;
}

std::string ReadTextFile(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) return {};
    std::string bytes(kTextFileCapacity, '\0');
    const size_t n = std::fread(bytes.data(), 1, bytes.size(), f.get());
    bytes.resize(n);
    return bytes;
}

bool WriteTextFile(const std::string& path, std::string_view bytes, std::string* error) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    return transfer::WriteFile(path, std::span<const uint8_t>(data, bytes.size()), error);
}

std::string NameFromFileTitle(std::string_view title) {
    std::string name(title.substr(0, title.find('.')));
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return name.empty() ? "Drucker" : name;
}

}  // namespace printer

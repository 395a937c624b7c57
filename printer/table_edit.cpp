#include "printer/table_edit.h"

#include <cstdio>

namespace printer {

rules::Verdict Notice(int messageId, int captionId) {
    rules::Verdict v;
    v.messageId = messageId;
    v.captionId = captionId;
    return v;
}

std::string HexByte(uint8_t value) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", value);
    return buf;
}

std::optional<uint8_t> ReadHexByte(std::string_view text) {
    if (text.empty() || text.size() > 2) return std::nullopt;
    int v = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        v = v * 16 + d;
    }
    return static_cast<uint8_t>(v);
}

}  // namespace printer

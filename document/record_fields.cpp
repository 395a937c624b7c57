#include "document/record_fields.h"

#include <cstdio>

#include "document/cdb_fields.h"

namespace {

template <typename T>
std::string num(T v) { return std::to_string(static_cast<long long>(v)); }

}  // namespace

std::string JoinNumbers(const uint8_t* p, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        if (i) s += ',';
        s += std::to_string(p[i]);
    }
    return s;
}

std::string ShowChars(const char* p, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            s += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            s += buf;
        }
    }
    return s;
}

FieldList DescribeDb(const CDb& d, const std::string& p) {
    FieldList out;
    for (const CdbField& f : CdbFields()) {
        std::string value;
        switch (f.type) {
        case FieldType::U8: value = num(CdbGetU8(d, f.offset)); break;
        case FieldType::U16: value = num(CdbGetU16(d, f.offset)); break;
        case FieldType::Chars: {
            auto b = CdbBytes(d, f.offset, f.count);
            value = ShowChars(reinterpret_cast<const char*>(b.data()), b.size());
            break;
        }
        case FieldType::Bytes: {
            auto b = CdbBytes(d, f.offset, f.count);
            value = JoinNumbers(b.data(), b.size());
            break;
        }
        }
        out.emplace_back(p + f.name, value);
    }
    return out;
}

FieldList DescribeDbdr(const CDbdr& d, const std::string& p) {
    FieldList f = {
        {p + "byCharSet", num(d.byCharSet)},
        {p + "byEmulation", num(d.byEmulation)},
        {p + "byLinesPerPage", num(d.byLinesPerPage)},
        {p + "byLeftMargin", num(d.byLeftMargin)},
        {p + "byHeaderLines", num(d.byHeaderLines)},
        {p + "byFooterLines", num(d.byFooterLines)},
        {p + "byLineEnd", num(d.byLineEnd)},
        {p + "byCtrlCount", num(d.byCtrlCount)},
        {p + "byCtrlLength", num(d.byCtrlLength)},
        {p + "abyCtrlTable", JoinNumbers(d.abyCtrlTable.data(), d.byCtrlLength)},
        {p + "abyCharTable", JoinNumbers(d.abyCharTable.data(), d.abyCharTable.size())},
    };
    for (int i = 0; i < CDbdr::kTextLines; ++i)
        f.emplace_back(p + "achTextLine" + std::to_string(i + 1),
                       ShowChars(d.achTextLine[i].data(), d.achTextLine[i].size()));
    return f;
}

FieldList DescribeHead(const CDbHead& h, const std::string& p) {
    return {
        {p + "byKind", num(h.byKind)},
        {p + "wHeadLen", num(h.wHeadLen)},
        {p + "wBodyLen", num(h.wBodyLen)},
        {p + "byModuleCode", num(h.byModuleCode)},
        {p + "byB6", num(h.byB6)},
        {p + "byB7", num(h.byB7)},
        {p + "wFirstIndex", num(h.wFirstIndex)},
        {p + "wLastIndex", num(h.wLastIndex)},
        {p + "abyVersion", JoinNumbers(h.abyVersion.data(), 4)},
        {p + "abyTime", JoinNumbers(h.abyTime.data(), 6)},
        {p + "byVariant1", num(h.byVariant1)},
        {p + "byVariant2", num(h.byVariant2)},
        {p + "byVariant3", num(h.byVariant3)},
    };
}

FieldList DescribeSon(const CDbSon& s, const std::string& p) {
    std::string words, values;
    for (size_t i = 0; i < s.awWords.size(); ++i) words += (i ? "," : "") + num(s.awWords[i]);
    for (size_t i = 0; i < s.adwValues.size(); ++i) values += (i ? "," : "") + num(s.adwValues[i]);
    return {
        {p + "achName", ShowChars(s.achName.data(), 8)},
        {p + "byVerHi", num(s.byVerHi)},
        {p + "byVerLo", num(s.byVerLo)},
        {p + "wType", num(s.wType)},
        {p + "wBodyLen", num(s.wBodyLen)},
        {p + "wWord", num(s.wWord)},
        {p + "dwHwBits", num(s.dwHwBits)},
        {p + "byB22", num(s.byB22)},
        {p + "byB23", num(s.byB23)},
        {p + "awWords", words},
        {p + "adwValues", values},
        {p + "abyBytes", JoinNumbers(s.abyBytes.data(), s.abyBytes.size())},
        {p + "dwValue", num(s.dwValue)},
    };
}

FieldList DescribeTex(const CDbtex& t, const std::string& p) {
    return {
        {p + "achName", ShowChars(t.achName.data(), 8)},
        {p + "byVerHi", num(t.byVerHi)},
        {p + "byVerLo", num(t.byVerLo)},
    };
}

std::string FormatFields(const FieldList& fields) {
    std::string out;
    for (const auto& [name, value] : fields) out += name + "=" + value + "\n";
    return out;
}

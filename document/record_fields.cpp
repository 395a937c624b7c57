#include "document/record_fields.h"

#include <algorithm>
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

namespace {

// name=value of every field of a table: a number, numbers joined by commas, or text.
template <typename Record>
FieldList describe(std::span<const BlockField<Record>> fields, const Record& rec, const std::string& prefix) {
    FieldList out;
    for (const BlockField<Record>& f : fields) {
        const size_t n = f.listed ? std::min<size_t>(f.listed(rec), f.count) : f.count;
        std::string value;
        if (f.text) {
            std::string chars;
            for (size_t i = 0; i < n; ++i) chars += static_cast<char>(f.get(rec, i));
            value = ShowChars(chars.data(), chars.size());
        } else {
            for (size_t i = 0; i < n; ++i) value += (i ? "," : "") + std::to_string(f.get(rec, i));
        }
        out.emplace_back(prefix + f.name, value);
    }
    return out;
}

}  // namespace

FieldList DescribeDbdr(const CDbdr& d, const std::string& p) { return describe(PrinterFields(), d, p); }
FieldList DescribeHead(const CDbHead& h, const std::string& p) { return describe(HeadFields(), h, p); }
FieldList DescribeSon(const CDbSon& s, const std::string& p) { return describe(SonFields(), s, p); }
FieldList DescribeTex(const CDbtex& t, const std::string& p) { return describe(TextNameFields(), t, p); }

std::string FormatFields(const FieldList& fields) {
    std::string out;
    for (const auto& [name, value] : fields) out += name + "=" + value + "\n";
    return out;
}

#include "printer/cp1252.h"

#include <cerrno>
#include <iconv.h>

namespace printer {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns the bytes of `in` taken. Stops at the first sequence
    // the target cannot hold (or an incomplete one).
    size_t run(std::string_view in, std::string& out) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return 0;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t left = in.size();
        char buf[1024];
        while (left > 0) {
            char* dst = buf;
            size_t room = sizeof buf;
            const size_t r = iconv(cd_, &src, &left, &dst, &room);
            out.append(buf, dst - buf);
            if (r == static_cast<size_t>(-1) && errno != E2BIG) break;
        }
        return in.size() - left;
    }

private:
    iconv_t cd_;
};

bool unassigned(unsigned c) { return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D; }

// Length of the UTF-8 sequence at s[0] and its code point; 0 when it is no valid sequence.
size_t decodeUtf8(std::string_view s, unsigned& cp) {
    const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned c = b(0);
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || n > s.size()) return 0;
    cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (b(i) & 0x3F);
    }
    return n;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
    thread_local Converter conv("UTF-8", "CP1252");
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        bytes.remove_prefix(conv.run(bytes, out));
        if (bytes.empty()) break;
        // A byte iconv has no character for: one of the unassigned codes.
        const unsigned c = static_cast<unsigned char>(bytes[0]);
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
        bytes.remove_prefix(1);
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    thread_local Converter conv("CP1252", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        utf8.remove_prefix(conv.run(utf8, out));
        if (utf8.empty()) break;
        unsigned cp = 0;
        const size_t n = decodeUtf8(utf8, cp);
        out += n > 0 && unassigned(cp) ? static_cast<char>(cp) : '?';
        utf8.remove_prefix(n > 0 ? n : 1);
    }
    return out;
}

size_t Cp1252Length(std::string_view utf8) { return Utf8ToCp1252(utf8).size(); }

}  // namespace printer

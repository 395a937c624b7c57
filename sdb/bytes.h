#pragma once
// Big-endian access to byte images. Every access is bounds-checked: a write outside the
// image is dropped and a read outside it yields 0, and both are remembered, so that a
// malformed length or offset can never move a copy out of its buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace sdb {

class ImageWriter {
public:
    explicit ImageWriter(std::span<uint8_t> out) : out_(out) {}

    void u8(size_t at, uint8_t v) {
        if (at < out_.size()) out_[at] = v; else overflow_ = true;
    }
    void u16(size_t at, uint16_t v) {
        u8(at, static_cast<uint8_t>(v >> 8));
        u8(at + 1, static_cast<uint8_t>(v & 0xFF));
    }
    void u32(size_t at, uint32_t v) {
        u16(at, static_cast<uint16_t>(v >> 16));
        u16(at + 2, static_cast<uint16_t>(v & 0xFFFF));
    }
    // Copies as much of `b` as fits from `at` on.
    void bytes(size_t at, std::span<const uint8_t> b) {
        if (at >= out_.size()) { if (!b.empty()) overflow_ = true; return; }
        size_t n = std::min(b.size(), out_.size() - at);
        if (n < b.size()) overflow_ = true;
        std::copy_n(b.begin(), n, out_.begin() + static_cast<std::ptrdiff_t>(at));
    }
    size_t size() const { return out_.size(); }
    bool overflowed() const { return overflow_; }

private:
    std::span<uint8_t> out_;
    bool overflow_ = false;
};

class ImageReader {
public:
    explicit ImageReader(std::span<const uint8_t> in) : in_(in) {}

    uint8_t u8(size_t at) const {
        if (at < in_.size()) return in_[at];
        short_ = true;
        return 0;
    }
    uint16_t u16(size_t at) const {
        return static_cast<uint16_t>((u8(at) << 8) | u8(at + 1));
    }
    uint32_t u32(size_t at) const {
        return (static_cast<uint32_t>(u16(at)) << 16) | u16(at + 2);
    }
    // The bytes [at, at + n) that the image holds; shorter (possibly empty) at its end.
    std::span<const uint8_t> bytes(size_t at, size_t n) const {
        if (at >= in_.size()) { if (n) short_ = true; return {}; }
        size_t have = std::min(n, in_.size() - at);
        if (have < n) short_ = true;
        return in_.subspan(at, have);
    }
    // Copies [at, at + out.size()) into `out`; bytes the image does not hold are left as they are.
    size_t copy(size_t at, std::span<uint8_t> out) const {
        auto b = bytes(at, out.size());
        std::copy(b.begin(), b.end(), out.begin());
        return b.size();
    }
    size_t size() const { return in_.size(); }
    bool hitEnd() const { return short_; }

private:
    std::span<const uint8_t> in_;
    mutable bool short_ = false;
};

}  // namespace sdb

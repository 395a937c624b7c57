#include "online/wire.h"

#include <algorithm>
#include <stdexcept>

namespace online::wire {
namespace {

class Writer {
public:
    Writer() { out_.resize(4); }
    void u8(std::uint8_t v) { out_.push_back(v); }
    void u16(std::uint16_t v) {
        out_.push_back(static_cast<std::uint8_t>(v >> 8));
        out_.push_back(static_cast<std::uint8_t>(v));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v >> 16));
        u16(static_cast<std::uint16_t>(v));
    }
    void u64(std::uint64_t v) {
        u32(static_cast<std::uint32_t>(v >> 32));
        u32(static_cast<std::uint32_t>(v));
    }
    void bytes(std::span<const std::uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }
    // Puts the body length in front.
    std::vector<std::uint8_t> frame() {
        const std::size_t body = out_.size() - 4;
        if (body > kMaxFrame) throw std::length_error("online frame too long");
        for (int i = 0; i < 4; ++i) out_[i] = static_cast<std::uint8_t>(body >> (24 - 8 * i));
        return std::move(out_);
    }

private:
    std::vector<std::uint8_t> out_;
};

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}
    bool u8(std::uint8_t& v) {
        if (left() < 1) return false;
        v = in_[pos_++];
        return true;
    }
    bool u16(std::uint16_t& v) {
        if (left() < 2) return false;
        v = static_cast<std::uint16_t>(in_[pos_] << 8 | in_[pos_ + 1]);
        pos_ += 2;
        return true;
    }
    bool u32(std::uint32_t& v) {
        std::uint16_t hi = 0, lo = 0;
        if (left() < 4 || !u16(hi) || !u16(lo)) return false;
        v = static_cast<std::uint32_t>(hi) << 16 | lo;
        return true;
    }
    bool u64(std::uint64_t& v) {
        std::uint32_t hi = 0, lo = 0;
        if (left() < 8 || !u32(hi) || !u32(lo)) return false;
        v = static_cast<std::uint64_t>(hi) << 32 | lo;
        return true;
    }
    bool bytes(std::size_t n, std::vector<std::uint8_t>& v) {
        if (left() < n) return false;
        v.assign(in_.begin() + pos_, in_.begin() + pos_ + n);
        pos_ += n;
        return true;
    }
    void rest(std::vector<std::uint8_t>& v) { bytes(left(), v); }
    bool done() const { return left() == 0; }

private:
    std::size_t left() const { return in_.size() - pos_; }
    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
};

bool knownOperation(std::uint8_t op) { return op >= 1 && op <= 8; }

}  // namespace

std::vector<std::uint8_t> EncodeRequest(const Request& r) {
    Writer w;
    w.u8(static_cast<std::uint8_t>(r.op));
    switch (r.op) {
    case Operation::Open: {
        if (r.accessPoint.size() > kMaxAccessPoint || r.parameters.size() > 0xFFFF)
            throw std::length_error("online open request too long");
        w.u32(r.connection);
        w.u8(static_cast<std::uint8_t>(r.accessPoint.size()));
        w.bytes({reinterpret_cast<const std::uint8_t*>(r.accessPoint.data()), r.accessPoint.size()});
        w.u16(static_cast<std::uint16_t>(r.parameters.size()));
        w.bytes(r.parameters);
        break;
    }
    case Operation::Close:
    case Operation::DirectHandle:
    case Operation::DirectClose:
        w.u32(r.handle);
        break;
    case Operation::ReadSzl:
        w.u32(r.handle);
        w.u16(r.szlId);
        w.u16(r.szlIndex);
        w.u32(r.size);
        break;
    case Operation::WriteVar:
        w.u32(r.handle);
        w.bytes(r.data);
        break;
    case Operation::ReadVar:
        w.u32(r.handle);
        w.u32(r.size);
        w.bytes(r.data);
        break;
    case Operation::DirectOpen:
        w.u64(r.moduleObject);
        break;
    }
    return w.frame();
}

std::vector<std::uint8_t> EncodeResponse(Operation op, const Response& r) {
    Writer w;
    w.u32(static_cast<std::uint32_t>(r.result));
    switch (op) {
    case Operation::Open:
    case Operation::DirectOpen:
    case Operation::DirectHandle:
        w.u32(r.handle);
        break;
    case Operation::Close:
    case Operation::DirectClose:
        break;
    case Operation::ReadSzl:
        w.bytes(r.data);
        break;
    case Operation::WriteVar:
        w.u16(r.status);
        break;
    case Operation::ReadVar:
        w.u16(r.status);
        w.bytes(r.data);
        break;
    }
    return w.frame();
}

std::optional<std::uint32_t> BodyLength(std::span<const std::uint8_t, 4> p) {
    const std::uint32_t n = static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
                            static_cast<std::uint32_t>(p[2]) << 8 | p[3];
    if (n > kMaxFrame) return std::nullopt;
    return n;
}

std::optional<Request> DecodeRequest(std::span<const std::uint8_t> body) {
    if (body.size() > kMaxFrame) return std::nullopt;
    Reader in(body);
    std::uint8_t op = 0;
    if (!in.u8(op) || !knownOperation(op)) return std::nullopt;
    Request r;
    r.op = static_cast<Operation>(op);
    switch (r.op) {
    case Operation::Open: {
        std::uint8_t nameLength = 0;
        std::uint16_t blockLength = 0;
        std::vector<std::uint8_t> name;
        if (!in.u32(r.connection) || !in.u8(nameLength) || !in.bytes(nameLength, name) || !in.u16(blockLength) ||
            !in.bytes(blockLength, r.parameters))
            return std::nullopt;
        r.accessPoint.assign(name.begin(), name.end());
        break;
    }
    case Operation::Close:
    case Operation::DirectHandle:
    case Operation::DirectClose:
        if (!in.u32(r.handle)) return std::nullopt;
        break;
    case Operation::ReadSzl:
        if (!in.u32(r.handle) || !in.u16(r.szlId) || !in.u16(r.szlIndex) || !in.u32(r.size)) return std::nullopt;
        break;
    case Operation::WriteVar:
        if (!in.u32(r.handle)) return std::nullopt;
        in.rest(r.data);
        break;
    case Operation::ReadVar:
        if (!in.u32(r.handle) || !in.u32(r.size)) return std::nullopt;
        in.rest(r.data);
        break;
    case Operation::DirectOpen:
        if (!in.u64(r.moduleObject)) return std::nullopt;
        break;
    }
    if (!in.done()) return std::nullopt;
    return r;
}

std::optional<Response> DecodeResponse(Operation op, std::span<const std::uint8_t> body) {
    if (body.size() > kMaxFrame || !knownOperation(static_cast<std::uint8_t>(op))) return std::nullopt;
    Reader in(body);
    Response r;
    std::uint32_t result = 0;
    if (!in.u32(result)) return std::nullopt;
    r.result = static_cast<std::int32_t>(result);
    switch (op) {
    case Operation::Open:
    case Operation::DirectOpen:
    case Operation::DirectHandle:
        if (!in.u32(r.handle)) return std::nullopt;
        break;
    case Operation::Close:
    case Operation::DirectClose:
        break;
    case Operation::ReadSzl:
        in.rest(r.data);
        break;
    case Operation::WriteVar:
        if (!in.u16(r.status)) return std::nullopt;
        break;
    case Operation::ReadVar:
        if (!in.u16(r.status)) return std::nullopt;
        in.rest(r.data);
        break;
    }
    if (!in.done()) return std::nullopt;
    return r;
}

}  // namespace online::wire

// The online frames from both ends: any bytes as a request body and as a response body of any
// operation, as a record address and write request, and as a whole frame given to the station
// simulator. What decodes must encode to the same bytes; the station answers every request with
// a response frame that decodes, or hangs up - it never reads past what it was given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "online/online_connection.h"
#include "online/record_address.h"
#include "online/wire.h"
#include "tools/cpsim/station.h"

namespace {

using namespace online;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// A module side that keeps the last write of each of its records.
class Memory : public cpsim::RecordServer {
public:
    std::vector<std::uint16_t> Records() const override { return {200, 239, 248}; }
    cpsim::RecordResult Write(std::uint16_t, std::span<const std::uint8_t> data) override {
        last.assign(data.begin(), data.end());
        return {};
    }
    cpsim::RecordResult Read(std::uint16_t, std::uint16_t length) override {
        std::vector<std::uint8_t> d = last;
        if (d.size() > length) d.resize(length);
        return {0, d};
    }
    std::vector<std::uint8_t> last;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> in(data, size);

    if (auto request = wire::DecodeRequest(in)) {
        const auto frame = wire::EncodeRequest(*request);
        check(std::vector<std::uint8_t>(frame.begin() + 4, frame.end()) == std::vector<std::uint8_t>(in.begin(), in.end()));
    }
    if (!in.empty()) {
        const auto op = static_cast<wire::Operation>(in[0] % 8 + 1);
        const auto body = in.subspan(1);
        if (auto response = wire::DecodeResponse(op, body)) {
            const auto frame = wire::EncodeResponse(op, *response);
            check(std::vector<std::uint8_t>(frame.begin() + 4, frame.end()) ==
                  std::vector<std::uint8_t>(body.begin(), body.end()));
        }
    }

    if (auto target = ParseRecordAddress(in)) {
        const auto again = RecordAddress(target->length, target->record, target->moduleAddress);
        check(std::equal(again.begin(), again.end(), in.begin()));
    }
    if (auto write = ParseRecordWrite(in)) {
        check(write->data.size() == write->target.length && size == 16 + write->data.size());
        check(RecordWriteRequest(write->target.record, write->target.moduleAddress, write->data) ==
              std::vector<std::uint8_t>(in.begin(), in.end()));
    }

    if (size >= 4) {
        SzlHead head{0, 0, static_cast<std::uint16_t>(in[0] << 8 | in[1]), 0xFFFF};
        const std::uint32_t length = static_cast<std::uint32_t>(in[2] << 8 | in[3]);
        if (CompleteRecordCount(length, head) == 0) check(8u + std::uint32_t{head.recordCount} * head.recordLength == length);
    }

    // The station: the bytes as one connection's request frame after another, each with its
    // length in front (the first byte of each piece says how long the piece is).
    cpsim::Station station;
    station.AddRecordServer(std::make_shared<Memory>());
    station.SetSzl(0x0011, std::vector<std::uint8_t>(8 + 2 * 28, 0x20));
    auto session = station.Connect();
    std::size_t at = 0;
    while (at < size) {
        const std::size_t n = std::min<std::size_t>(in[at], size - at - 1);
        const auto body = in.subspan(at + 1, n);
        at += 1 + n;
        std::vector<std::uint8_t> frame{0, 0, 0, static_cast<std::uint8_t>(n)};
        frame.insert(frame.end(), body.begin(), body.end());
        const online::Reply reply = session->Serve(frame);
        if (reply.kind != online::Reply::Kind::Answer) break;
        const auto request = wire::DecodeRequest(body);
        check(request.has_value());
        check(reply.frame.size() >= 8);
        check(wire::DecodeResponse(request->op, std::span(reply.frame).subspan(4)).has_value());
    }
    return 0;
}

#pragma once
// The frames between the online library and a station. A request is a 32-bit length (of what
// follows), an operation byte and the operation's fields; a response is a 32-bit length, the
// 32-bit result and the operation's fields. Every number is big-endian. The decoders take the
// bytes after the length and refuse anything that does not fit the operation exactly.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace online::wire {

// A frame longer than this is refused on both sides before anything is read into memory.
constexpr std::uint32_t kMaxFrame = 1u << 20;
constexpr std::size_t kMaxAccessPoint = 255;

enum class Operation : std::uint8_t {
    Open = 1,          // y5db_open: connection number, access point, parameter block -> handle
    Close = 2,         // y5db_close: handle
    ReadSzl = 3,       // y5ag_read_szl: handle, SZL id, index, buffer size -> SZL response
    WriteVar = 4,      // y5ag_bub_write_var: handle, write request -> status word
    ReadVar = 5,       // y5ag_bub_read_var: handle, response size, record address -> status, response
    DirectOpen = 6,    // DSOpenConnection: module object -> direct handle
    DirectHandle = 7,  // DSGethY5Dos: direct handle -> handle
    DirectClose = 8,   // DSCloseConnection: direct handle
};

struct Request {
    Operation op = Operation::Close;
    std::uint32_t handle = 0;          // Close, ReadSzl, WriteVar, ReadVar; the direct handle for DirectHandle, DirectClose
    std::uint32_t connection = 0;      // Open
    std::string accessPoint;           // Open
    std::vector<std::uint8_t> parameters;  // Open: the connection's parameter block
    std::uint64_t moduleObject = 0;    // DirectOpen
    std::uint16_t szlId = 0, szlIndex = 0;  // ReadSzl
    std::uint32_t size = 0;            // ReadSzl: buffer size; ReadVar: response size
    std::vector<std::uint8_t> data;    // WriteVar: the write request; ReadVar: the record address
    bool operator==(const Request&) const = default;
};

struct Response {
    std::int32_t result = 0;
    std::uint32_t handle = 0;          // Open, DirectOpen, DirectHandle
    std::uint16_t status = 0;          // WriteVar, ReadVar
    std::vector<std::uint8_t> data;    // ReadSzl: the SZL response; ReadVar: head and record data
    bool operator==(const Response&) const = default;
};

// Whole frames, length included.
std::vector<std::uint8_t> EncodeRequest(const Request& request);
std::vector<std::uint8_t> EncodeResponse(Operation op, const Response& response);

// The body length a frame's first four bytes announce; nullopt when it exceeds kMaxFrame.
std::optional<std::uint32_t> BodyLength(std::span<const std::uint8_t, 4> prefix);

// The bytes after the length. nullopt for an unknown operation, a field cut short, trailing
// bytes after fixed fields, or a text or block longer than the protocol allows.
std::optional<Request> DecodeRequest(std::span<const std::uint8_t> body);
std::optional<Response> DecodeResponse(Operation op, std::span<const std::uint8_t> body);

}  // namespace online::wire

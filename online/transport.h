#pragma once
// One exchange with a station: a whole request frame out, a whole response frame back. The TCP
// client and the in-process pair of the tests are the two kinds. A transport never blocks for
// longer than its timeouts; what goes wrong comes back as a library code (online/codes.h).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace online {

class Transport {
public:
    virtual ~Transport() = default;
    // Sends `request` (length prefix included) and receives the response frame (length prefix
    // included). 0, or kTimeout, kConnectionLost, kNoStation, kBadFrame. After a failure the
    // transport stays failed: every later exchange returns kConnectionLost.
    virtual std::int32_t Exchange(std::span<const std::uint8_t> request, std::vector<std::uint8_t>& response) = 0;
};

struct Timeouts {
    int connectMs = 3000;
    int requestMs = 5000;  // from the first byte sent to the last byte of the response
};

// A TCP connection to host:port; the connect happens here. `error` gets 0 or kNoStation /
// kTimeout; the transport is then unusable (every exchange returns kConnectionLost).
std::unique_ptr<Transport> ConnectTcp(const std::string& host, std::uint16_t port, const Timeouts& timeouts,
                                      std::int32_t& error);

// What an in-process station does with one request frame of a connection.
struct Reply {
    enum class Kind { Answer, Drop, Silence };
    Kind kind = Kind::Answer;
    std::vector<std::uint8_t> frame;  // Answer: the response frame
};

// The station's side of one connection in the same process.
class FrameSession {
public:
    virtual ~FrameSession() = default;
    virtual Reply Serve(std::span<const std::uint8_t> request) = 0;
};

// Hands every frame to `session`. A dropped connection gives kConnectionLost, silence kTimeout
// (at once: there is no clock to wait for in the same thread).
std::unique_ptr<Transport> ConnectInProcess(std::unique_ptr<FrameSession> session);

}  // namespace online

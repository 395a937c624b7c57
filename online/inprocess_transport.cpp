// The in-process pair: frames go straight to a station object in the same process.
#include <algorithm>

#include "online/codes.h"
#include "online/transport.h"
#include "online/wire.h"

namespace online {
namespace {

class InProcessTransport : public Transport {
public:
    explicit InProcessTransport(std::unique_ptr<FrameSession> session) : session_(std::move(session)) {}

    std::int32_t Exchange(std::span<const std::uint8_t> request, std::vector<std::uint8_t>& response) override {
        if (!session_) return kConnectionLost;
        Reply reply = session_->Serve(request);
        switch (reply.kind) {
        case Reply::Kind::Drop:
            session_.reset();
            return kConnectionLost;
        case Reply::Kind::Silence:
            session_.reset();
            return kTimeout;
        case Reply::Kind::Answer:
            break;
        }
        if (reply.frame.size() < 4) return kBadFrame;
        auto body = wire::BodyLength(std::span<const std::uint8_t, 4>(reply.frame.data(), 4));
        if (!body || reply.frame.size() != 4 + static_cast<std::size_t>(*body)) return kBadFrame;
        response = std::move(reply.frame);
        return 0;
    }

private:
    std::unique_ptr<FrameSession> session_;
};

}  // namespace

std::unique_ptr<Transport> ConnectInProcess(std::unique_ptr<FrameSession> session) {
    return std::make_unique<InProcessTransport>(std::move(session));
}

}  // namespace online

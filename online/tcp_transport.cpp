// The TCP client of the online library: one connection per library handle, non-blocking
// sockets, poll with a deadline for the connect and for every exchange.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

#include "online/codes.h"
#include "online/transport.h"
#include "online/wire.h"

namespace online {
namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, at least 0.
int remaining(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` on `fd` until the deadline: 0 ready, kTimeout, kConnectionLost.
std::int32_t waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, remaining(deadline));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return kConnectionLost;
        if (n == 0) return kTimeout;
        if (p.revents & (events | POLLHUP | POLLERR)) return 0;
    }
}

class TcpTransport : public Transport {
public:
    TcpTransport(int fd, int requestMs) : fd_(fd), requestMs_(requestMs) {}
    ~TcpTransport() override { close(); }

    std::int32_t Exchange(std::span<const std::uint8_t> request, std::vector<std::uint8_t>& response) override {
        if (fd_ < 0) return kConnectionLost;
        const auto deadline = Clock::now() + std::chrono::milliseconds(requestMs_);
        std::int32_t rc = sendAll(request, deadline);
        std::uint8_t prefix[4];
        if (rc == 0) rc = receive(prefix, 4, deadline);
        if (rc == 0) {
            auto body = wire::BodyLength(std::span<const std::uint8_t, 4>(prefix, 4));
            if (!body) {
                rc = kBadFrame;
            } else {
                std::vector<std::uint8_t> frame(4 + *body);
                std::copy(prefix, prefix + 4, frame.begin());
                rc = receive(frame.data() + 4, *body, deadline);
                if (rc == 0) response = std::move(frame);
            }
        }
        if (rc != 0) close();  // a half-read answer would spoil every later exchange
        return rc;
    }

private:
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    std::int32_t sendAll(std::span<const std::uint8_t> data, Clock::time_point deadline) {
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (std::int32_t rc = waitFor(fd_, POLLOUT, deadline)) return rc;
                continue;
            }
            return kConnectionLost;
        }
        return 0;
    }

    std::int32_t receive(std::uint8_t* out, std::size_t size, Clock::time_point deadline) {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::recv(fd_, out + done, size - done, 0);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n == 0) return kConnectionLost;
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (std::int32_t rc = waitFor(fd_, POLLIN, deadline)) return rc;
                continue;
            }
            return kConnectionLost;
        }
        return 0;
    }

    int fd_;
    int requestMs_;
};

// A connected non-blocking socket, or -1 with `error` set.
int connectTo(const std::string& host, std::uint16_t port, int connectMs, std::int32_t& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
        error = kNoStation;
        return -1;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(connectMs);
    error = kNoStation;
    int fd = -1;
    for (addrinfo* a = found; a; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS) {
            const std::int32_t waited = waitFor(fd, POLLOUT, deadline);
            int soError = 0;
            socklen_t len = sizeof soError;
            if (waited == 0 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) == 0 && soError == 0) {
                rc = 0;
            } else if (waited == kTimeout) {
                error = kTimeout;
            }
        }
        if (rc == 0) {
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            error = 0;
            break;
        }
        ::close(fd);
        fd = -1;
        if (remaining(deadline) == 0) break;
    }
    ::freeaddrinfo(found);
    return fd;
}

}  // namespace

std::unique_ptr<Transport> ConnectTcp(const std::string& host, std::uint16_t port, const Timeouts& timeouts,
                                      std::int32_t& error) {
    const int fd = connectTo(host, port, timeouts.connectMs, error);
    return std::make_unique<TcpTransport>(fd, timeouts.requestMs);
}

}  // namespace online

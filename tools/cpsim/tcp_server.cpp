#include "tools/cpsim/tcp_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <list>
#include <memory>
#include <vector>

namespace cpsim {
namespace {

struct Client {
    int fd = -1;
    std::unique_ptr<online::FrameSession> session;
    std::vector<std::uint8_t> in;
    bool silent = false;  // read on, answer nothing
};

// Writes all of `data`, waiting while the socket is full; false when the peer is gone.
bool sendAll(int fd, const std::vector<std::uint8_t>& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 5000) <= 0) return false;
        } else {
            return false;
        }
    }
    return true;
}

// Answers every whole frame in the client's buffer; false when the connection is to be closed.
bool serveFrames(Client& c) {
    for (;;) {
        if (c.in.size() < 4) return true;
        auto length = online::wire::BodyLength(std::span<const std::uint8_t, 4>(c.in.data(), 4));
        if (!length) return false;
        const std::size_t whole = 4 + static_cast<std::size_t>(*length);
        if (c.in.size() < whole) return true;
        std::vector<std::uint8_t> frame(c.in.begin(), c.in.begin() + static_cast<std::ptrdiff_t>(whole));
        c.in.erase(c.in.begin(), c.in.begin() + static_cast<std::ptrdiff_t>(whole));
        if (c.silent) continue;
        online::Reply reply = c.session->Serve(frame);
        switch (reply.kind) {
        case online::Reply::Kind::Drop:
            return false;
        case online::Reply::Kind::Silence:
            c.silent = true;
            break;
        case online::Reply::Kind::Answer:
            if (!sendAll(c.fd, reply.frame)) return false;
            break;
        }
    }
}

}  // namespace

TcpServer::TcpServer(Station& station) : station_(station) {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
}

TcpServer::~TcpServer() {
    Stop();
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) ::close(listener_);
    for (int fd : wake_)
        if (fd >= 0) ::close(fd);
}

std::uint16_t TcpServer::Listen(std::uint16_t port, std::string* error) {
    auto fail = [&](const char* what) -> std::uint16_t {
        if (error) *error = std::string(what) + ": " + std::strerror(errno);
        if (listener_ >= 0) ::close(listener_);
        listener_ = -1;
        return 0;
    };
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener_ < 0) return fail("socket");
    int one = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return fail("bind");
    if (::listen(listener_, 16) != 0) return fail("listen");
    socklen_t len = sizeof a;
    if (::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0) return fail("getsockname");
    return ntohs(a.sin_port);
}

void TcpServer::Run() {
    // the latency a station is given is slept here: wake on time, not up to 50 µs later
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::list<Client> clients;
    for (;;) {
        std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
        for (const Client& c : clients) fds.push_back({c.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents) break;
        if (fds[1].revents & POLLIN) {
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd >= 0) {
                int one = 1;
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                clients.push_back({fd, station_.Connect(), {}, false});
            }
        }
        std::size_t i = 2;
        for (auto it = clients.begin(); it != clients.end(); ++i) {
            bool keep = true;
            if (i < fds.size() && fds[i].revents) {
                std::uint8_t buffer[4096];
                const ssize_t n = ::recv(it->fd, buffer, sizeof buffer, 0);
                if (n > 0) {
                    it->in.insert(it->in.end(), buffer, buffer + n);
                    keep = serveFrames(*it);
                } else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
                    keep = false;
                }
            }
            if (keep) {
                ++it;
            } else {
                ::close(it->fd);
                it = clients.erase(it);
            }
        }
    }
    for (Client& c : clients) ::close(c.fd);
}

void TcpServer::Start() {
    thread_ = std::thread([this] { Run(); });
}

void TcpServer::Stop() {
    if (wake_[1] >= 0) {
        const std::uint8_t b = 1;
        [[maybe_unused]] ssize_t n = ::write(wake_[1], &b, 1);
    }
}

}  // namespace cpsim

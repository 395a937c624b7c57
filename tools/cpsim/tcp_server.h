#pragma once
// The station on TCP: listens on loopback, one session per accepted connection, every whole
// request frame answered in turn (faults and latency as the station's Faults say).
#include <cstdint>
#include <string>
#include <thread>

#include "tools/cpsim/station.h"

namespace cpsim {

class TcpServer {
public:
    explicit TcpServer(Station& station);
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    // Binds 127.0.0.1:`port` (0: a free port). The port listened on, or 0 with `error` set.
    std::uint16_t Listen(std::uint16_t port, std::string* error = nullptr);
    // Serves until Stop (from another thread or a signal handler's thread).
    void Run();
    // Run on a thread of its own.
    void Start();
    void Stop();

private:
    Station& station_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace cpsim

// cpsim: the station simulator on loopback for the online dialogs and their tests.
//   cpsim [--port P] [--state STOP|STARTUP|RUN|HOLD|DEFECT|0..15] [--latency-ms N] ... (cpsim --help)
// Prints "cpsim: listening on 127.0.0.1:<port>" and serves until it is killed (SIGINT, SIGTERM).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "tools/cpsim/cpsim_options.h"
#include "tools/cpsim/tcp_server.h"

int main(int argc, char** argv) {
    cpsim::Options options;
    std::string error;
    if (!cpsim::ParseOptions(argc, argv, options, error)) {
        std::cerr << "cpsim: " << error << "\n" << cpsim::kUsage;
        return 2;
    }
    if (options.help) {
        std::cout << cpsim::kUsage;
        return 0;
    }
    cpsim::Station station;
    cpsim::Configure(station, options);

    // The signals that end the program are taken by sigwait below, never by a handler.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    cpsim::TcpServer server(station);
    const std::uint16_t port = server.Listen(options.port, &error);
    if (port == 0) {
        std::cerr << "cpsim: cannot listen on port " << options.port << ": " << error << "\n";
        return 1;
    }
    std::cout << "cpsim: listening on 127.0.0.1:" << port << std::endl;
    server.Start();
    int signal = 0;
    sigwait(&stop, &signal);
    server.Stop();
    return 0;
}

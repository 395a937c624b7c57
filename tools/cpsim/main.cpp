// cpsim: the station simulator on loopback for the online dialogs and their tests.
//   cpsim [--port P] [--state STOP|STARTUP|RUN|HOLD|DEFECT|0..15] [--latency-ms N] ... (cpsim --help)
// Prints "cpsim: listening on 127.0.0.1:<port>" and serves until it is killed (SIGINT, SIGTERM).
// With --detach the line goes to standard error and standard output gets only the number of the
// process that serves in the background: a script starts a station that already listens with
// pid=$(cpsim --detach) and ends it with kill "$pid".
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include <fcntl.h>
#include <unistd.h>

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
    if (options.detach) {
        // forked before any thread runs; the socket already listens, so nobody connects too early
        std::cout.flush();
        const pid_t child = fork();
        if (child < 0) {
            std::perror("cpsim: fork");
            return 1;
        }
        if (child > 0) {
            std::cerr << "cpsim: listening on 127.0.0.1:" << port << "\n";
            std::cout << child << std::endl;
            // no destructors here: stopping this copy of the server would wake and end the child's
            ::_exit(0);
        }
        // the child lets go of the caller's terminal and pipes, so $(cpsim --detach) returns
        setsid();
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            for (int fd = 0; fd <= 2; ++fd) dup2(null, fd);
            if (null > 2) close(null);
        }
    } else {
        std::cout << "cpsim: listening on 127.0.0.1:" << port << std::endl;
    }
    server.Start();
    int signal = 0;
    sigwait(&stop, &signal);
    server.Stop();
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// silentaudioserver <socket>: an audio server that accepts connections on a
// unix socket and never answers them (tests/support/silentserver.h), for a
// game started with PULSE_SERVER=unix:<socket>. Prints "listening" once it
// accepts, then "connections N" each time the count grows, and ends on
// SIGTERM or SIGINT with status 0.

#include "silentserver.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>

namespace {
// How often the connection count is looked at.
constexpr long kPollNs = 50L * 1000 * 1000;
constexpr int kUsageStatus = 2;
} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <socket path>\n", argv[0]);
        return kUsageStatus;
    }
    // Blocked before the accept thread starts, so that only sigtimedwait
    // below takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SilentServer server;
    if (!server.listen(QString::fromLocal8Bit(argv[1]))) {
        std::perror("silentaudioserver: listen");
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    int reported = 0;
    const timespec interval {0, kPollNs};
    for (;;) {
        const int signal = sigtimedwait(&stopSignals, nullptr, &interval);
        if (signal == SIGTERM || signal == SIGINT)
            break;
        if (signal < 0 && errno != EAGAIN && errno != EINTR) {
            std::perror("silentaudioserver: sigtimedwait");
            return 1;
        }
        if (server.connections() > reported) {
            reported = server.connections();
            std::printf("connections %d\n", reported);
            std::fflush(stdout);
        }
    }
    server.close();
    return 0;
}

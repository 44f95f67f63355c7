// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SILENTSERVER_H
#define SILENTSERVER_H

#include <QString>
#include <atomic>
#include <thread>
#include <vector>

// An audio server that accepts every connection on a unix socket and then
// never reads or writes: the client library's first request waits for an
// answer that does not come. A thread of its own accepts until close().
class SilentServer
{
public:
    SilentServer() = default;
    ~SilentServer();
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;

    // Binds and listens at path (which must not exist yet). False on failure.
    bool listen(const QString &path);
    int connections() const { return m_connections; }
    // Closes every accepted connection and the listening socket.
    void close();

private:
    void acceptLoop();

    int m_fd = -1;
    std::thread m_thread;
    std::atomic<bool> m_stop {false};
    std::atomic<int> m_connections {0};
    std::vector<int> m_clients; // touched by the accept thread until it is joined
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "silentserver.h"

#include <QByteArray>
#include <algorithm>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// How often the accept thread looks at the stop flag.
constexpr int kPollMs = 20;
constexpr int kBacklog = 16;
} // namespace

SilentServer::~SilentServer()
{
    close();
}

bool SilentServer::listen(const QString &path)
{
    m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray p = path.toLocal8Bit();
    if (m_fd < 0 || size_t(p.size()) >= sizeof(address.sun_path))
        return false;
    std::copy(p.begin(), p.end(), address.sun_path);
    if (::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0
        || ::listen(m_fd, kBacklog) != 0)
        return false;
    m_thread = std::thread([this] { acceptLoop(); });
    return true;
}

void SilentServer::close()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    for (int fd : m_clients)
        ::close(fd);
    m_clients.clear();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void SilentServer::acceptLoop()
{
    while (!m_stop) {
        pollfd p {m_fd, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) > 0) {
            const int client = ::accept(m_fd, nullptr, nullptr);
            if (client >= 0) {
                m_clients.push_back(client);
                ++m_connections;
            }
        }
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "readwatchdog.h"

#include <QFile>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {
// How often the thread looks, ms.
constexpr int kLookIntervalMs = 5;

// Resident bytes of a process (0 for this one), or -1 when it is gone.
qint64 residentBytes(qint64 pid)
{
    const QString statm
        = pid > 0 ? QStringLiteral("/proc/%1/statm").arg(pid) : QStringLiteral("/proc/self/statm");
    FILE *file = std::fopen(QFile::encodeName(statm).constData(), "r");
    if (!file)
        return -1;
    long long size = 0;
    long long resident = 0;
    const int read = std::fscanf(file, "%lld %lld", &size, &resident);
    std::fclose(file);
    if (read != 2)
        return -1;
    return qint64(resident) * qint64(::sysconf(_SC_PAGESIZE));
}
} // namespace

ReadWatchdog::ReadWatchdog(const QString &pipe, qint64 childPid, qint64 maxGrowthBytes)
    : m_pipe(pipe.isEmpty() ? QByteArray() : QFile::encodeName(pipe))
    , m_pid(childPid)
{
    m_maxResident = std::max<qint64>(residentBytes(m_pid), 0) + maxGrowthBytes;
    m_thread = std::thread([this] { watch(); });
}

ReadWatchdog::~ReadWatchdog()
{
    m_stop = true;
    m_thread.join();
}

void ReadWatchdog::watch()
{
    while (!m_stop) {
        if (!m_pipe.isEmpty()) {
            const int fd = ::open(m_pipe.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ++m_pipeReaders;
                ::close(fd);
            }
        }
        if (!m_childKilled && residentBytes(m_pid) > m_maxResident) {
            if (m_pid <= 0) {
                std::fprintf(stderr, "ReadWatchdog: the test read past %lld bytes of memory, stopped\n",
                    static_cast<long long>(m_maxResident));
                std::abort();
            }
            ::kill(pid_t(m_pid), SIGKILL);
            m_childKilled = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kLookIntervalMs));
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef READWATCHDOG_H
#define READWATCHDOG_H

#include <QString>
#include <QtGlobal>
#include <atomic>
#include <thread>

// Keeps a test whose code under test might wait on a named pipe or read a
// device without end from hanging the suite or filling the machine's
// memory. While it lives, a thread of its own looks every few
// milliseconds
// - at the pipe, if one is given: opening it for writing succeeds only
//   while someone has it open for reading, and closing it again ends that
//   reader's wait with an empty file; such readers are counted;
// - at the resident memory of the process watched (this one, or a child by
//   its pid): grown by more than maxGrowthBytes, a child is killed and
//   this process ends with the reason.
class ReadWatchdog
{
public:
    static constexpr qint64 kDefaultGrowthBytes = qint64(1) << 30;

    explicit ReadWatchdog(
        const QString &pipe, qint64 childPid = 0, qint64 maxGrowthBytes = kDefaultGrowthBytes);
    ~ReadWatchdog();
    ReadWatchdog(const ReadWatchdog &) = delete;
    ReadWatchdog &operator=(const ReadWatchdog &) = delete;

    // Times someone had the pipe open for reading.
    int pipeReaders() const { return m_pipeReaders; }
    // Whether the child grew past the bound (and was killed).
    bool childKilled() const { return m_childKilled; }

private:
    void watch();

    const QByteArray m_pipe;
    const qint64 m_pid;
    qint64 m_maxResident = 0;
    std::atomic<int> m_pipeReaders {0};
    std::atomic<bool> m_childKilled {false};
    std::atomic<bool> m_stop {false};
    std::thread m_thread;
};

#endif

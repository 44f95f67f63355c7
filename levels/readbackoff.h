// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef READBACKOFF_H
#define READBACKOFF_H

#include <QDeadlineTimer>
#include <QSqlError>

// Reads of results.db while another program holds a write lock on it: each
// statement waits for the busy timeout, then fails with SQLITE_BUSY (5) or
// SQLITE_LOCKED (6). A store answers such a read from what it read last, and
// for a while answers every read so, instead of waiting for the lock again
// at every call (the menus read results several times per frame).
class ReadBackoff
{
public:
    // How long reads go to memory after a busy read, ms.
    static constexpr int kBackoffMs = 3000;

    static bool isBusy(const QSqlError &error)
    {
        const QString code = error.nativeErrorCode();
        return code == QLatin1String("5") || code == QLatin1String("6");
    }
    // False while reads should not go to the file.
    bool mayRead() const { return m_until.hasExpired(); }
    void busy() { m_until.setRemainingTime(kBackoffMs); }

private:
    QDeadlineTimer m_until {0};
};

#endif

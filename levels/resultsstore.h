// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RESULTSSTORE_H
#define RESULTSSTORE_H

#include "levelinfo.h"
#include "readbackoff.h"

#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QVector>
#include <optional>

class QSqlError;

// The player's results in results.db's "levelresult" table (attached as
// "result" to a connection whose main database is levels.db): best times
// and medal statuses per level id, at most one row per level. A result is
// queued first and stored by savePending(); one whose write failed stays
// queued until a write succeeds. While another program holds a lock on the
// file, reads answer from the rows read at start and stored since (see
// ReadBackoff); other read failures are fatal ("DB error").
class ResultsStore
{
public:
    // What the last successful store of a level left in results.db.
    struct Stored
    {
        qint64 rowId = -1;
        int status = 0;
        double bestTime = 0.0;
    };

    explicit ResultsStore(const QSqlDatabase &db);

    // Queues a result unless a better one (a shorter best time) is queued
    // for the level already.
    void queue(int levelId, int status, double bestTime);
    // Stores every queued result. The stored best decides, not the queued
    // one: another copy of the game on the same data folder may have stored
    // a better time since. Compare and write happen in one write transaction,
    // so no store ever makes a stored best worse. False with *error when a
    // write failed; that result and the ones after it stay queued.
    bool savePending(QSqlError *error);
    bool hasPending() const { return !m_pending.isEmpty(); }
    bool isPending(int levelId) const { return m_pending.contains(levelId); }
    Stored lastStored(int levelId) const { return m_lastStored.value(levelId); }
    // The result of a level as last read or stored; none when the level has
    // no row.
    std::optional<Stored> known(int levelId) const;
    // Whether reads of results.db answer from memory now (a lock held by
    // another program was met a moment ago).
    bool readsFromMemory() const { return !m_backoff.mayRead(); }
    // A read of the file failed with error: true (and reads go to memory for
    // a while) when it was another program's lock, false for any other
    // failure.
    bool readFailedBusy(const QSqlError &error) const;

    // The levels of a pack in ascending number with their status (0 without
    // a result), leaving out the given level ids.
    QVector<LevelInfo> levelInfos(int levelPackNumber, const QSet<int> &leftOut) const;
    // The best time of the level a pack and number name (the highest id
    // among several), seconds; 0 when never finished.
    double bestTime(int levelPackNumber, int levelNumber) const;

private:
    struct Pending
    {
        int status = 0;
        double bestTime = 0.0;
    };
    bool store(int levelId, const Pending &result, QSqlError *error);
    void readKnown();
    // The ids of a pack's levels (from levels.db alone), by ascending number
    // and, for one number, descending id.
    QVector<QPair<int, int>> packLevels(int levelPackNumber) const;

    QSqlDatabase m_db;
    QHash<int, Pending> m_pending;
    QHash<int, Stored> m_lastStored;
    QHash<int, Stored> m_known;
    mutable ReadBackoff m_backoff;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELDATABASES_H
#define LEVELDATABASES_H

#include <QSqlDatabase>
#include <QString>

class QSqlError;

// The game's database connection: levels.db (found through DataPaths)
// opened read only as the main database, the player's results.db attached
// as "result". Before anything is written the results file is checked and,
// when damaged, salvaged (ResultsSalvage); a missing one is created, an
// older one upgraded in place to the current layout (ResultsSchema). The
// first instance takes Qt's default connection; one open at the same time
// (a world of its own that rides the author's ghost) gets a connection of
// its own. Failures other than an unreadable levels.db end the program with
// a fixed message.
class LevelDatabases
{
public:
    // resultsDbPath: absolute, with native separators.
    explicit LevelDatabases(const QString &resultsDbPath);
    ~LevelDatabases();
    LevelDatabases(const LevelDatabases &) = delete;
    LevelDatabases &operator=(const LevelDatabases &) = delete;

    // False when levels.db cannot be opened or is no database.
    bool open();
    // Creates results.db with its tables in one transaction; false when a
    // file is there already.
    bool createResultsDb();

    QSqlDatabase database() const { return m_database; }
    QString resultsDbPath() const { return m_resultsDbPath; }
    // What the player should be told once as the game starts (a damaged
    // results file salvaged), or empty.
    QString startNotice() const { return m_startNotice; }

    // The player's words for why a write to results.db failed ("the disk is
    // full"), or the database's text for a failure of another kind.
    static QString failureReason(const QSqlError &error);

private:
    bool openLevels();
    void attachResults();

    QSqlDatabase m_database;
    QString m_resultsDbPath;
    QString m_startNotice;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DATAPATHS_H
#define DATAPATHS_H

#include <QString>
#include <QStringList>

// Where the game's two database files are: the shipped level database, read
// only and looked for in a fixed list of places, and the player's results
// database. The level manager reads the process-wide current value; the game
// sets it once at start-up, tests and tools keep the default (both files in
// the working directory).
class DataPaths
{
public:
    // "levels.db" and "results.db" of the working directory.
    static DataPaths workingDirectory();
    // The installed layout, whatever the prefix: <prefix>/share/velocrag/
    // levels.db for <prefix>/games/velocrag, then levels.db beside the
    // executable (the build tree). results.db lives in <dataHome>/velocrag.
    static DataPaths forExecutable(const QString &executableDir, const QString &dataHome);

    static const DataPaths &current();
    static void setCurrent(const DataPaths &paths);

    // Places tried for levels.db, in order.
    QStringList levelsDbCandidates() const { return m_levelsDbCandidates; }
    QString resultsDbPath() const { return m_resultsDbPath; }
    // The player's replays: the folder "replays" beside results.db.
    QString replaysDir() const;
    // The first candidate that is a readable file, or an empty string.
    QString findLevelsDb() const;
    // The fatal message when no candidate is readable; names every path tried.
    QString levelsDbMissingMessage() const;

private:
    DataPaths(const QStringList &levelsDbCandidates, const QString &resultsDbPath);

    QStringList m_levelsDbCandidates;
    QString m_resultsDbPath;
};

#endif

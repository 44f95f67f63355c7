// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RESULTSSCHEMA_H
#define RESULTSSCHEMA_H

#include <QString>

class QSqlDatabase;

// The tables of results.db as this game writes them: the best result per
// level ("levelresult": id, level_id, status, besttime), the sound setting
// ("gamesettings", one row with id 1) and the player's other settings
// ("playersetting": name/value text pairs). The file's layout version is
// kept in SQLite's user_version; files written before it was kept hold 0
// and are recognised by the tables they have.
class ResultsSchema
{
public:
    // Layout versions, each adding to the one before.
    static constexpr int kFirstRelease = 1; // levelresult, gamesettings with its row
    static constexpr int kPlayerSettings = 2; // playersetting
    static constexpr int kCurrentVersion = kPlayerSettings;

    // Brings db's schema `schema` ("main", or the name a results file is
    // attached under) to kCurrentVersion, step by step from the version it
    // holds. A step only adds what is missing and never touches a row. One
    // transaction: a start stopped half-way leaves none of it. A table
    // missing from a file of the current version is added again; a file of
    // a later version is left as it is. False with *error on failure.
    static bool complete(QSqlDatabase &db, const QString &schema, QString *error);
    // The version user_version holds (0 for a file that predates it), or -1
    // when it cannot be read.
    static int storedVersion(const QSqlDatabase &db, const QString &schema);
    // The version the file's tables show: the last one whose tables and
    // settings row are all there (0 when not even the first release's).
    static int shapeVersion(const QSqlDatabase &db, const QString &schema);
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RESULTSSCHEMA_H
#define RESULTSSCHEMA_H

#include <QString>

class QSqlDatabase;

// The tables of results.db as this game writes them: the best result per
// level ("levelresult": id, level_id, status, besttime), the sound setting
// ("gamesettings", one row with id 1) and the player's other settings
// ("playersetting": name/value text pairs).
class ResultsSchema
{
public:
    // Creates in db's schema `schema` ("main", or the name a results file is
    // attached under) every table that is missing, and the settings row when
    // it is missing; never touches what is there. One transaction: a start
    // stopped half-way leaves none of it. False with *error on failure.
    static bool complete(QSqlDatabase &db, const QString &schema, QString *error);
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultsschema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {
// Column layouts of the three tables, to be prefixed with "<schema>.<name>".
const char *const kLevelResultColumns
    = "(id         INTEGER PRIMARY KEY,level_id    INTEGER, status      INTEGER, besttime    REAL)";
const char *const kGameSettingsColumns = "(id INTEGER PRIMARY KEY, sounds_enabled INTEGER)";
const char *const kPlayerSettingColumns = "(name TEXT PRIMARY KEY NOT NULL, value TEXT)";

bool fail(QSqlQuery &query, QSqlDatabase &db, QString *error)
{
    *error = query.lastError().text();
    query.finish();
    db.rollback();
    return false;
}
} // namespace

bool ResultsSchema::complete(QSqlDatabase &db, const QString &schema, QString *error)
{
    QSqlQuery query(db);
    if (!query.exec(
            QStringLiteral("SELECT lower(name) FROM %1.sqlite_master WHERE type = 'table'").arg(schema))) {
        *error = query.lastError().text();
        return false;
    }
    QStringList tables;
    while (query.next())
        tables.append(query.value(0).toString());
    if (query.lastError().isValid()) {
        *error = query.lastError().text();
        return false;
    }
    query.finish();

    struct Table
    {
        const char *name;
        const char *columns;
    };
    const Table wanted[] = {{"levelresult", kLevelResultColumns}, {"gamesettings", kGameSettingsColumns},
        {"playersetting", kPlayerSettingColumns}};
    if (!db.transaction()) {
        *error = db.lastError().text();
        return false;
    }
    for (const Table &table : wanted) {
        const QString name = QString::fromLatin1(table.name);
        if (tables.contains(name))
            continue;
        if (!query.exec(
                QStringLiteral("CREATE TABLE %1.%2 %3").arg(schema, name, QLatin1String(table.columns))))
            return fail(query, db, error);
    }
    if (!query.exec(QStringLiteral("SELECT count(*) FROM %1.gamesettings WHERE id = 1").arg(schema))
        || !query.next())
        return fail(query, db, error);
    const bool hasSettingsRow = query.value(0).toInt() > 0;
    query.finish();
    if (!hasSettingsRow
        && !query.exec(
            QStringLiteral("INSERT INTO %1.gamesettings(id, sounds_enabled) VALUES(1, 1)").arg(schema)))
        return fail(query, db, error);
    if (!db.commit()) {
        *error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

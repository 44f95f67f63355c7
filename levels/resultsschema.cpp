// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultsschema.h"

#include <QDebug>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <iterator>

namespace {
// Column layouts of the three tables, to be prefixed with "<schema>.<name>".
const char *const kLevelResultColumns
    = "(id         INTEGER PRIMARY KEY,level_id    INTEGER, status      INTEGER, besttime    REAL)";
const char *const kGameSettingsColumns = "(id INTEGER PRIMARY KEY, sounds_enabled INTEGER)";
const char *const kPlayerSettingColumns = "(name TEXT PRIMARY KEY NOT NULL, value TEXT)";

// The lower-case names of the tables in schema, or an error.
bool readTables(const QSqlDatabase &db, const QString &schema, QStringList *tables, QString *error)
{
    QSqlQuery query(db);
    if (!query.exec(
            QStringLiteral("SELECT lower(name) FROM %1.sqlite_master WHERE type = 'table'").arg(schema))) {
        *error = query.lastError().text();
        return false;
    }
    while (query.next())
        tables->append(query.value(0).toString());
    if (query.lastError().isValid()) {
        *error = query.lastError().text();
        return false;
    }
    return true;
}

bool hasSettingsRow(const QSqlDatabase &db, const QString &schema)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT count(*) FROM %1.gamesettings WHERE id = 1").arg(schema))
        && query.next() && query.value(0).toInt() > 0;
}

// What an upgrade step works on; the first failure leaves its text in error.
struct Upgrade
{
    QSqlQuery &query;
    const QString &schema;
    const QStringList &tables;
    QString error;

    bool run(const QString &statement)
    {
        if (query.exec(statement))
            return true;
        error = query.lastError().text();
        return false;
    }
    bool createIfMissing(const char *table, const char *columns)
    {
        const QString name = QString::fromLatin1(table);
        return tables.contains(name)
            || run(QStringLiteral("CREATE TABLE %1.%2 %3").arg(schema, name, QLatin1String(columns)));
    }
};

// Version 1, the first release: results and the sound setting, sounds on.
bool addResultsAndSoundSetting(Upgrade &u)
{
    if (!u.createIfMissing("levelresult", kLevelResultColumns)
        || !u.createIfMissing("gamesettings", kGameSettingsColumns))
        return false;
    if (!u.run(QStringLiteral("SELECT count(*) FROM %1.gamesettings WHERE id = 1").arg(u.schema))
        || !u.query.next()) {
        u.error = u.query.lastError().text();
        return false;
    }
    const bool hasRow = u.query.value(0).toInt() > 0;
    u.query.finish();
    return hasRow
        || u.run(
            QStringLiteral("INSERT INTO %1.gamesettings(id, sounds_enabled) VALUES(1, 1)").arg(u.schema));
}

// Version 2: the player's other settings.
bool addPlayerSettings(Upgrade &u)
{
    return u.createIfMissing("playersetting", kPlayerSettingColumns);
}

// Step i brings a file from version i to i + 1.
using Step = bool (*)(Upgrade &);
constexpr Step kSteps[] = {addResultsAndSoundSetting, addPlayerSettings};
static_assert(std::size(kSteps) == ResultsSchema::kCurrentVersion, "one step per version");

bool stamp(QSqlQuery &query, const QString &schema)
{
    return query.exec(
        QStringLiteral("PRAGMA %1.user_version = %2").arg(schema).arg(ResultsSchema::kCurrentVersion));
}
} // namespace

int ResultsSchema::storedVersion(const QSqlDatabase &db, const QString &schema)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA %1.user_version").arg(schema)) || !query.next())
        return -1;
    return query.value(0).toInt();
}

int ResultsSchema::shapeVersion(const QSqlDatabase &db, const QString &schema)
{
    QStringList tables;
    QString error;
    if (!readTables(db, schema, &tables, &error))
        return 0;
    if (!tables.contains(QStringLiteral("levelresult")) || !tables.contains(QStringLiteral("gamesettings"))
        || !hasSettingsRow(db, schema))
        return 0;
    return tables.contains(QStringLiteral("playersetting")) ? kPlayerSettings : kFirstRelease;
}

bool ResultsSchema::complete(QSqlDatabase &db, const QString &schema, QString *error)
{
    const int stored = storedVersion(db, schema);
    if (stored < 0) {
        QSqlQuery probe(db);
        probe.exec(QStringLiteral("PRAGMA %1.user_version").arg(schema));
        *error = probe.lastError().text();
        return false;
    }
    if (stored > kCurrentVersion)
        return true;
    // The tables decide for a file that predates the version, and for one
    // that lost a table since it was written (a file edited by hand).
    const int shape = shapeVersion(db, schema);
    const int from = stored > 0 ? qMin(stored, shape) : shape;
    QSqlQuery query(db);
    if (from >= kCurrentVersion && stored == kCurrentVersion)
        return true;
    if (from >= kCurrentVersion) {
        // Complete already, only the version is missing. A file that cannot
        // be written (read-only) is recognised by its tables again next time.
        if (!stamp(query, schema))
            qDebug().noquote() << "ResultsSchema::complete - cannot record the version:"
                               << query.lastError().text();
        return true;
    }
    QStringList tables;
    if (!readTables(db, schema, &tables, error))
        return false;
    if (!db.transaction()) {
        *error = db.lastError().text();
        return false;
    }
    Upgrade upgrade {query, schema, tables, QString()};
    for (int version = from; version < kCurrentVersion; ++version) {
        if (!kSteps[version](upgrade)) {
            *error = upgrade.error;
            query.finish();
            db.rollback();
            return false;
        }
    }
    if (!stamp(query, schema)) {
        *error = query.lastError().text();
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        *error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "leveldbfixture.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {
const char *const kConnection = "leveldbfixture";

// Level ids of the fixture: pack * 1000 + number.
int levelId(int pack, int number)
{
    return pack * 1000 + number;
}

// Runs fn on a private connection to file, then closes the connection.
template <typename Fn> bool withDatabase(const QString &file, QString *error, Fn fn)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(kConnection));
        db.setDatabaseName(file);
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            ok = fn(db);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QLatin1String(kConnection));
    return ok;
}

bool run(QSqlQuery &query, QString *error)
{
    if (query.exec())
        return true;
    *error = query.lastError().text() + QStringLiteral(" in ") + query.lastQuery();
    return false;
}

bool run(QSqlDatabase &db, const QString &statement, QString *error)
{
    QSqlQuery query(db);
    query.prepare(statement);
    return run(query, error);
}
} // namespace

LevelDbFixture::~LevelDbFixture()
{
    if (!m_previousDir.isEmpty())
        QDir::setCurrent(m_previousDir);
}

bool LevelDbFixture::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool LevelDbFixture::create(const QString &templateDb, const QList<Pack> &packs)
{
    if (!m_dir.isValid())
        return fail(QStringLiteral("no temporary folder"));
    if (!writeLevels(templateDb, packs) || !writeResults(packs))
        return false;
    m_previousDir = QDir::currentPath();
    if (!QDir::setCurrent(m_dir.path()))
        return fail(QStringLiteral("cannot enter ") + m_dir.path());
    return true;
}

bool LevelDbFixture::writeLevels(const QString &templateDb, const QList<Pack> &packs)
{
    const QString levels = m_dir.filePath(QStringLiteral("levels.db"));
    if (!QFile::copy(templateDb, levels))
        return fail(QStringLiteral("cannot copy ") + templateDb);
    QFile::setPermissions(levels, QFile::ReadOwner | QFile::WriteOwner);
    return withDatabase(levels, &m_error, [&](QSqlDatabase &db) {
        QSqlQuery read(db);
        read.prepare(QStringLiteral("SELECT * FROM level ORDER BY id LIMIT 1"));
        if (!run(read, &m_error))
            return false;
        if (!read.next())
            return fail(QStringLiteral("no level in ") + templateDb);
        QSqlRecord row = read.record();
        for (int i = 0; i < row.count(); ++i)
            row.setValue(i, read.value(i));
        read.finish();

        QStringList names, marks;
        for (int i = 0; i < row.count(); ++i) {
            names << row.fieldName(i);
            marks << QStringLiteral("?");
        }
        const QString insert
            = QStringLiteral("INSERT INTO level (%1) VALUES (%2)").arg(names.join(','), marks.join(','));
        // Only the fixture's levels remain.
        db.transaction();
        if (!run(db, QStringLiteral("DELETE FROM level"), &m_error))
            return false;
        for (const Pack &pack : packs) {
            for (int n = 1; n <= pack.statuses.size(); ++n) {
                row.setValue(QStringLiteral("id"), levelId(pack.number, n));
                row.setValue(QStringLiteral("levelpack_number"), pack.number);
                row.setValue(QStringLiteral("level_number"), n);
                QSqlQuery query(db);
                query.prepare(insert);
                for (int i = 0; i < row.count(); ++i)
                    query.addBindValue(row.value(i));
                if (!run(query, &m_error))
                    return false;
            }
        }
        return db.commit() || fail(db.lastError().text());
    });
}

bool LevelDbFixture::writeResults(const QList<Pack> &packs)
{
    const QString results = m_dir.filePath(QStringLiteral("results.db"));
    return withDatabase(results, &m_error, [&](QSqlDatabase &db) {
        if (!run(db,
                QStringLiteral("create table levelresult (id INTEGER PRIMARY KEY, level_id INTEGER, "
                               "status INTEGER, besttime REAL)"),
                &m_error)
            || !run(db,
                QStringLiteral("create table gamesettings (id INTEGER PRIMARY KEY, sounds_enabled INTEGER)"),
                &m_error)
            || !run(
                db, QStringLiteral("INSERT INTO gamesettings(id, sounds_enabled) VALUES(1, 1)"), &m_error))
            return false;
        for (const Pack &pack : packs) {
            for (int n = 1; n <= pack.statuses.size(); ++n) {
                const int status = pack.statuses[n - 1];
                if (status == kNoResult)
                    continue;
                QSqlQuery query(db);
                query.prepare(
                    QStringLiteral("INSERT INTO levelresult (level_id, status, besttime) VALUES (?, ?, ?)"));
                query.addBindValue(levelId(pack.number, n));
                query.addBindValue(status);
                query.addBindValue(status == 0 ? 0.0 : 30.0 + n);
                if (!run(query, &m_error))
                    return false;
            }
        }
        return true;
    });
}

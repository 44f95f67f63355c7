// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultsstore.h"

#include "dbfailure.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

ResultsStore::ResultsStore(const QSqlDatabase &db)
    : m_db(db)
{
    readKnown();
}

void ResultsStore::readKnown()
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT id, level_id, status, besttime FROM result.levelresult ORDER BY id"))) {
        if (readFailedBusy(query.lastError()))
            return;
        dbFailure("Error selecting level results:", query);
    }
    while (query.next()) {
        const int levelId = query.value(1).toInt();
        // The first row of a level is the one stores update.
        if (m_known.contains(levelId))
            continue;
        m_known.insert(
            levelId, {query.value(0).toLongLong(), query.value(2).toInt(), query.value(3).toDouble()});
    }
}

std::optional<ResultsStore::Stored> ResultsStore::known(int levelId) const
{
    const auto found = m_known.constFind(levelId);
    if (found == m_known.constEnd())
        return std::nullopt;
    return found.value();
}

bool ResultsStore::readFailedBusy(const QSqlError &error) const
{
    if (!ReadBackoff::isBusy(error))
        return false;
    m_backoff.busy();
    return true;
}

QVector<QPair<int, int>> ResultsStore::packLevels(int levelPackNumber) const
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(
            QStringLiteral("SELECT level_number, id FROM level WHERE levelpack_number = ? ORDER BY "
                           "level_number, id DESC")))
        dbFailure("Error preparing level-info query:", query);
    query.addBindValue(levelPackNumber);
    if (!query.exec())
        dbFailure("Error selecting level-infos:", query);
    QVector<QPair<int, int>> levels;
    while (query.next())
        levels.append({query.value(0).toInt(), query.value(1).toInt()});
    return levels;
}

void ResultsStore::queue(int levelId, int status, double bestTime)
{
    Pending &pending = m_pending[levelId];
    if (pending.bestTime <= 0.0 || bestTime < pending.bestTime) {
        pending.status = status;
        pending.bestTime = bestTime;
    }
}

bool ResultsStore::savePending(QSqlError *error)
{
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (!store(it.key(), it.value(), error))
            return false;
        it = m_pending.erase(it);
    }
    return true;
}

bool ResultsStore::store(int levelId, const Pending &result, QSqlError *error)
{
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        *error = query.lastError();
        return false;
    }
    auto rollBack = [&](const QSqlError &failure) {
        query.finish();
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        *error = failure;
        return false;
    };
    if (!query.prepare(
            QStringLiteral("UPDATE result.levelresult SET status = ?, besttime = ? WHERE level_id = ? "
                           "AND (besttime IS NULL OR besttime <= 0 OR besttime > ?)")))
        return rollBack(query.lastError());
    query.addBindValue(result.status);
    query.addBindValue(result.bestTime);
    query.addBindValue(levelId);
    query.addBindValue(result.bestTime);
    if (!query.exec())
        return rollBack(query.lastError());
    query.finish();
    if (!query.prepare(QStringLiteral(
            "SELECT id, status, besttime FROM result.levelresult WHERE level_id = ? ORDER BY id LIMIT 1")))
        return rollBack(query.lastError());
    query.addBindValue(levelId);
    if (!query.exec())
        return rollBack(query.lastError());
    Stored stored;
    if (query.next()) {
        const QSqlRecord row = query.record();
        stored.rowId = row.value(QStringLiteral("id")).toLongLong();
        stored.status = row.value(QStringLiteral("status")).toInt();
        stored.bestTime = row.value(QStringLiteral("besttime")).toDouble();
        query.finish();
    } else {
        query.finish();
        if (!query.prepare(QStringLiteral(
                "INSERT INTO result.levelresult (id, level_id, status, besttime) values(NULL, ?, ?, ?)")))
            return rollBack(query.lastError());
        query.addBindValue(levelId);
        query.addBindValue(result.status);
        query.addBindValue(result.bestTime);
        if (!query.exec())
            return rollBack(query.lastError());
        stored.rowId = query.lastInsertId().toLongLong();
        stored.status = result.status;
        stored.bestTime = result.bestTime;
    }
    if (!query.exec(QStringLiteral("COMMIT")))
        return rollBack(query.lastError());
    m_lastStored.insert(levelId, stored);
    m_known.insert(levelId, stored);
    return true;
}

QVector<LevelInfo> ResultsStore::levelInfos(int levelPackNumber, const QSet<int> &leftOut) const
{
    if (readsFromMemory()) {
        QVector<LevelInfo> infos;
        for (const auto &[number, id] : packLevels(levelPackNumber)) {
            if (!leftOut.contains(id))
                infos.append(LevelInfo(number, levelStatusFromCode(m_known.value(id).status)));
        }
        return infos;
    }
    QSqlQuery query(m_db);
    if (!query.prepare(
            QStringLiteral("SELECT level_number, levelresult.status, level.id FROM level LEFT OUTER JOIN "
                           "result.levelresult levelresult ON level.id=levelresult.level_id WHERE "
                           "levelpack_number = ? ORDER BY level_number ")))
        dbFailure("Error preparing level-info query:", query);
    query.addBindValue(levelPackNumber);
    if (!query.exec()) {
        if (readFailedBusy(query.lastError()))
            return levelInfos(levelPackNumber, leftOut);
        dbFailure("Error selecting level-infos:", query);
    }
    const QSqlRecord columns = query.record();
    const int number = columns.indexOf(QStringLiteral("level_number"));
    const int status = columns.indexOf(QStringLiteral("status"));
    const int id = columns.indexOf(QStringLiteral("id"));
    QVector<LevelInfo> infos;
    while (query.next()) {
        if (!leftOut.contains(query.value(id).toInt()))
            infos.append(
                LevelInfo(query.value(number).toInt(), levelStatusFromCode(query.value(status).toInt())));
    }
    return infos;
}

double ResultsStore::bestTime(int levelPackNumber, int levelNumber) const
{
    if (readsFromMemory()) {
        // As the query below: the highest id among the number's levels that
        // have a result.
        for (const auto &[number, id] : packLevels(levelPackNumber)) {
            if (number == levelNumber && m_known.contains(id))
                return m_known.value(id).bestTime;
        }
        return 0.0;
    }
    QSqlQuery query(m_db);
    if (!query.prepare(
            QStringLiteral("SELECT levelresult.besttime FROM level JOIN result.levelresult levelresult ON "
                           "level.id = levelresult.level_id WHERE levelpack_number = ? AND level_number = ? "
                           "ORDER BY level.id DESC LIMIT 1")))
        return 0.0;
    query.addBindValue(levelPackNumber);
    query.addBindValue(levelNumber);
    if (!query.exec()) {
        if (readFailedBusy(query.lastError()))
            return bestTime(levelPackNumber, levelNumber);
        return 0.0;
    }
    if (!query.next())
        return 0.0;
    return query.value(0).toDouble();
}

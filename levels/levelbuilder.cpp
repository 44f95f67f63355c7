// SPDX-License-Identifier: GPL-3.0-or-later
#include "levelbuilder.h"

#include "dbfailure.h"
#include "grounditem.h"
#include "level.h"
#include "leveladmission.h"
#include "packtable.h"
#include "physics/physicsitem.h"
#include "physicsitemhelper.h"
#include "resultsstore.h"

#include <QDebug>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
// Playing areas lower than this are widened upwards on loading, scene units.
constexpr double kMinSceneHeight = 1200.0;

double real(const QSqlRecord &row, const char *column)
{
    return row.value(QLatin1String(column)).toDouble();
}
} // namespace

LevelBuilder::LevelBuilder(const QSqlDatabase &db, const QSet<int> &refused, const ResultsStore *results)
    : m_db(db)
    , m_refused(refused)
    , m_results(results)
{ }

bool LevelBuilder::build(
    Level *level, Physics *physics, int levelPackNumber, int levelNumber, const PackTable &packs) const
{
    // The player's result comes with the level's row, or from the results
    // store while another program holds a lock on results.db.
    const QString columns = QStringLiteral(
        "level.id AS level_id, bike_startx, bike_starty, finishline_x, finishline_y, goldtime, silvertime, "
        "bronzetime, scene_min_y, scene_max_y");
    const QString where
        = QStringLiteral("WHERE levelpack_number = ? AND level_number = ? ORDER BY level.id DESC");
    bool resultsInRow = !(m_results && m_results->readsFromMemory());
    QSqlQuery query(m_db);
    auto select = [&] {
        const QString statement = resultsInRow
            ? QStringLiteral(
                "SELECT %1, levelresult.id AS levelresult_id, levelresult.status, "
                "levelresult.besttime FROM level LEFT OUTER JOIN result.levelresult levelresult ON "
                "level.id=levelresult.level_id %2")
                  .arg(columns, where)
            : QStringLiteral("SELECT %1 FROM level %2").arg(columns, where);
        if (!query.prepare(statement))
            dbFailure("Error preparing level query:", query);
        query.addBindValue(levelPackNumber);
        query.addBindValue(levelNumber);
        return query.exec();
    };
    if (!select()) {
        if (!resultsInRow || !m_results || !m_results->readFailedBusy(query.lastError()))
            dbFailure("Error selecting levels:", query);
        resultsInRow = false;
        if (!select())
            dbFailure("Error selecting levels:", query);
    }
    if (!query.next()) {
        qDebug().noquote() << QStringLiteral(
            "LevelManager::LoadLevel - No level found from levelpack %1 with "
            "number %2\n")
                                  .arg(levelPackNumber)
                                  .arg(levelNumber);
        return false;
    }
    const QSqlRecord row = query.record();
    query.finish();

    const int levelId = row.value(QStringLiteral("level_id")).toInt();
    if (m_refused.contains(levelId)) {
        qDebug().noquote() << QStringLiteral(
            "LevelManager::LoadLevel - level %1 of levelpack %2 was refused, not "
            "loaded")
                                  .arg(levelNumber)
                                  .arg(levelPackNumber);
        return false;
    }
    const double startX = real(row, "bike_startx");
    const double startY = real(row, "bike_starty");
    const double finishX = real(row, "finishline_x");
    const double finishY = real(row, "finishline_y");
    double sceneMinY = real(row, "scene_min_y");
    const double sceneMaxY = real(row, "scene_max_y");

    // The bike is put at the start and the scene is sized from these: a value
    // the physics world or the scene cannot hold makes the level unusable.
    if (!LevelAdmission::positionsValid(startX, startY, finishX, finishY, sceneMinY, sceneMaxY)) {
        qDebug().noquote() << QStringLiteral("LevelManager::LoadLevel - level %1 of levelpack %2 has "
                                             "invalid positions, not loaded\n")
                                  .arg(levelNumber)
                                  .arg(levelPackNumber);
        return false;
    }

    level->setLevelId(levelId);
    level->setLevelNumber(levelNumber);
    level->setLevelPackNumber(levelPackNumber);
    level->setBikeStartPos(QPointF(startX, startY));
    level->setFinishLine(finishX, finishY);
    level->setGoldTime(real(row, "goldtime"));
    level->setSilverTime(real(row, "silvertime"));
    level->setBronzeTime(real(row, "bronzetime"));
    if (sceneMaxY - sceneMinY < kMinSceneHeight)
        sceneMinY -= kMinSceneHeight - (sceneMaxY - sceneMinY);
    level->setSceneMinY(sceneMinY);
    level->setSceneMaxY(sceneMaxY);

    // A level without a result row reads as never finished.
    if (resultsInRow) {
        const QVariant resultId = row.value(QStringLiteral("levelresult_id"));
        const bool hasResult = !resultId.isNull();
        level->setLevelResultId(hasResult ? resultId.toLongLong() : -1);
        level->setBestTime(hasResult ? real(row, "besttime") : 0.0, false);
        level->setStatus(levelStatusFromCode(hasResult ? row.value(QStringLiteral("status")).toInt() : 0));
    } else {
        const std::optional<ResultsStore::Stored> result = m_results->known(levelId);
        level->setLevelResultId(result ? result->rowId : -1);
        level->setBestTime(result ? result->bestTime : 0.0, false);
        level->setStatus(levelStatusFromCode(result ? result->status : 0));
    }

    const QVector<PhysicsItem *> items
        = PhysicsItemHelper::loadPhysicsItems(m_db, physics, levelId, packs.ground(levelPackNumber));
    const QString surface = packs.surface(levelPackNumber);
    for (PhysicsItem *item : items) {
        if (GroundItem *ground = qgraphicsitem_cast<GroundItem *>(item); ground && ground->isTerrain())
            ground->setSurface(surface);
        level->addPhysicsItem(item);
    }
    // Placing static objects moved their outlines away from the origin.
    level->dropStaleIndexEntries();
    level->setPlayable(true);
    return true;
}

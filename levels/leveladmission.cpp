// SPDX-License-Identifier: GPL-3.0-or-later
#include "leveladmission.h"

#include "dbfailure.h"
#include "levellimits.h"

#include <QDebug>
#include <QSqlQuery>

QSet<int> LevelAdmission::refusedLevelIds(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT id, levelpack_number, level_number, bike_startx, bike_starty, "
                                   "finishline_x, finishline_y, scene_min_y, scene_max_y FROM level")))
        dbFailure("Error reading the level list:", query);
    QSet<int> refused;
    while (query.next()) {
        const int id = query.value(0).toInt();
        const int pack = query.value(1).toInt();
        const qlonglong number = query.value(2).toLongLong();
        QString reason;
        if (!LevelLimits::validLevelNumber(number)) {
            reason = QStringLiteral("its number %1 is not one the level grid shows (1..%2)")
                         .arg(number)
                         .arg(LevelLimits::levelsPerPack);
        } else if (!positionsValid(query.value(3).toDouble(), query.value(4).toDouble(),
                       query.value(5).toDouble(), query.value(6).toDouble(), query.value(7).toDouble(),
                       query.value(8).toDouble())) {
            reason = QStringLiteral("its start, finish or playing area lies outside -%1..%1")
                         .arg(LevelLimits::maxCoordinate);
        } else {
            continue;
        }
        qWarning().noquote() << QStringLiteral(
            "Level database: level %1 (levelpack %2, number %3) refused: %4")
                                    .arg(id)
                                    .arg(pack)
                                    .arg(query.value(2).toString(), reason);
        refused.insert(id);
    }
    return refused;
}

bool LevelAdmission::positionsValid(
    double startX, double startY, double finishX, double finishY, double sceneMinY, double sceneMaxY)
{
    for (double v : {startX, startY, finishX, finishY, sceneMinY, sceneMaxY}) {
        if (!LevelLimits::validCoordinate(v))
            return false;
    }
    return true;
}

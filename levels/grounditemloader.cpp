// SPDX-License-Identifier: GPL-3.0-or-later
// GroundItem::loadGroundItem: one outline from the tables grounditem and
// groundvertex of the level database.

#include "grounditem.h"

#include "dbfailure.h"
#include "levellimits.h"
#include "physics/fatalerror.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

GroundItem *GroundItem::loadGroundItem(
    int groundItemId, Physics *physics, const QString &texturePath, const QString &pixmapPath)
{
    QSqlQuery itemQuery;
    if (!itemQuery.prepare(QStringLiteral("SELECT id, startx, starty FROM grounditem WHERE id = ?")))
        dbFailure("Error preparing grounditem query:", itemQuery);
    QSqlQuery vertexQuery;
    if (!vertexQuery.prepare(
            QStringLiteral("SELECT id, grounditem_id, vertexnumber, type, endx, endy FROM "
                           "groundvertex WHERE grounditem_id = ? ORDER BY vertexnumber ASC")))
        dbFailure("Error preparing groundvertex query:", vertexQuery);

    itemQuery.addBindValue(groundItemId);
    if (!itemQuery.exec())
        dbFailure("Error loading groundItem item:", itemQuery);
    if (!itemQuery.next()) {
        qDebug() << "Error loading groundItem item with id" << groundItemId;
        fatalError(QStringLiteral("DB error"));
    }
    const double startX = itemQuery.value(1).toDouble();
    const double startY = itemQuery.value(2).toDouble();
    if (!LevelLimits::validCoordinate(startX) || !LevelLimits::validCoordinate(startY)) {
        qDebug() << "GroundItem::loadGroundItem - skipping ground item" << groundItemId
                 << "with an invalid start point";
        return nullptr;
    }
    auto *item = new GroundItem(physics, startX, startY, 0.0, texturePath, pixmapPath);

    vertexQuery.addBindValue(groundItemId);
    if (!vertexQuery.exec())
        dbFailure("Error selecting vertexes for groundItem:", vertexQuery);
    while (vertexQuery.next()) {
        const double x = vertexQuery.value(4).toDouble();
        const double y = vertexQuery.value(5).toDouble();
        if (!LevelLimits::validCoordinate(x) || !LevelLimits::validCoordinate(y)) {
            qDebug() << "GroundItem::loadGroundItem - skipping invalid vertex" << vertexQuery.value(0).toInt()
                     << "of ground item" << groundItemId;
            continue;
        }
        item->addPoint(QPointF(x, y), true);
    }
    item->completeOutline();
    return item;
}

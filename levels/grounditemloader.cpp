// SPDX-License-Identifier: GPL-3.0-or-later
// GroundItem::loadGroundItem: one outline from the tables grounditem and
// groundvertex of the level database.

#include "grounditem.h"
#include "outlinereader.h"

GroundItem *GroundItem::loadGroundItem(const QSqlDatabase &db, int groundItemId, Physics *physics,
    const QString &texturePath, const QString &pixmapPath)
{
    OutlineReader reader(db);
    return reader.build(groundItemId, physics, texturePath, pixmapPath);
}

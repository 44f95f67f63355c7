// SPDX-License-Identifier: GPL-3.0-or-later
#include "physicsitemhelper.h"

#include "base/fatalerror.h"
#include "dbfailure.h"
#include "grounditem.h"
#include "levellimits.h"
#include "outlinereader.h"
#include "physics/ballitem.h"
#include "physics/boxitem.h"

#include <QDebug>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
// Where a static object without an outline row puts its (unused) start point.
constexpr double kNoOutlineOffsetX = -100.0;
constexpr double kNoOutlineY = 10000.0;

// One row of the placed-objects statement.
struct ObjectRow
{
    int typeId;
    double x, y, angle, height, width, mass, bounciness, friction;
    QString pixmapFile;
    QString kind;
};

// Where each field of ObjectRow is among the statement's columns, found by
// name once per statement.
struct ObjectColumns
{
    explicit ObjectColumns(const QSqlRecord &r)
        : typeId(r.indexOf(QStringLiteral("objecttype_id")))
        , x(r.indexOf(QStringLiteral("x")))
        , y(r.indexOf(QStringLiteral("y")))
        , angle(r.indexOf(QStringLiteral("angle")))
        , height(r.indexOf(QStringLiteral("physics_height")))
        , width(r.indexOf(QStringLiteral("physics_width")))
        , mass(r.indexOf(QStringLiteral("physics_mass")))
        , bounciness(r.indexOf(QStringLiteral("physics_bounciness")))
        , friction(r.indexOf(QStringLiteral("physics_friction")))
        , pixmapFile(r.indexOf(QStringLiteral("pixmapfile")))
        , kind(r.indexOf(QStringLiteral("physicsitem_type")))
    { }
    int typeId, x, y, angle, height, width, mass, bounciness, friction, pixmapFile, kind;
};

ObjectRow readObjectRow(const QSqlQuery &q, const ObjectColumns &c)
{
    return ObjectRow {q.value(c.typeId).toInt(), q.value(c.x).toDouble(), q.value(c.y).toDouble(),
        q.value(c.angle).toDouble(), q.value(c.height).toDouble(), q.value(c.width).toDouble(),
        q.value(c.mass).toDouble(), q.value(c.bounciness).toDouble(), q.value(c.friction).toDouble(),
        q.value(c.pixmapFile).toString(), q.value(c.kind).toString()};
}

bool placementValid(const ObjectRow &r)
{
    return LevelLimits::validCoordinate(r.x) && LevelLimits::validCoordinate(r.y)
        && LevelLimits::validAngle(r.angle);
}

// A box of mass exactly 0 is left to BoxItem, which stops the program with
// its own message; other unusable masses are skipped like any bad value.
bool dynamicValuesValid(const ObjectRow &r)
{
    if (!LevelLimits::validBounciness(r.bounciness) || !LevelLimits::validFriction(r.friction)
        || !LevelLimits::validSize(r.width))
        return false;
    if (r.kind == QLatin1String("Ball"))
        return LevelLimits::validMass(r.mass);
    return LevelLimits::validSize(r.height) && (r.mass == 0.0 || LevelLimits::validMass(r.mass));
}

// Static objects take only their mass from the type (their outline has its
// own friction and bounciness).
bool staticValuesValid(const ObjectRow &r)
{
    return LevelLimits::validStaticMass(r.mass);
}

void logSkipped(const ObjectRow &r)
{
    qDebug().noquote() << "PhysicsItemHelper::loadPhysicsItems - skipping object of type" << r.typeId
                       << "with invalid values";
}

GroundItem *loadStaticObject(Physics *physics, OutlineReader &outlines, const ObjectRow &r)
{
    const int groundItemId = outlines.typeOutlineId(r.typeId);
    if (groundItemId >= 0)
        return outlines.build(groundItemId, physics, QString(), r.pixmapFile);
    return new GroundItem(physics, r.x + kNoOutlineOffsetX, kNoOutlineY, 0.0, QString(), r.pixmapFile);
}
} // namespace

QVector<PhysicsItem *> PhysicsItemHelper::loadPhysicsItems(
    const QSqlDatabase &db, Physics *physics, int levelId, const QString &groundTexture)
{
    QVector<PhysicsItem *> items;
    // Rows are read once, in order: no cache of them is needed.
    QSqlQuery objectQuery(db);
    objectQuery.setForwardOnly(true);
    if (!objectQuery.prepare(QStringLiteral(
            "SELECT  objecttype_id,  x,  y,  angle,  physics_height,  physics_width,  physics_mass,  "
            "physics_bounciness,  physics_friction,  pixmapfile,  physicsitem_type FROM physicsobject JOIN "
            "objecttype ON physicsobject.objecttype_id = objecttype.id WHERE physicsobject.level_id = ? "
            "ORDER BY physicsobject.id")))
        dbFailure("Error preparing physicsobject query:", objectQuery);
    QSqlQuery terrainQuery(db);
    terrainQuery.setForwardOnly(true);
    if (!terrainQuery.prepare(QStringLiteral("SELECT id FROM grounditem WHERE level_id = ?")))
        dbFailure("Error preparing grounditem query:", terrainQuery);
    OutlineReader outlines(db);

    terrainQuery.addBindValue(levelId);
    if (!terrainQuery.exec())
        dbFailure("Error selecting ground items:", terrainQuery);
    while (terrainQuery.next()) {
        if (GroundItem *terrain
            = outlines.build(terrainQuery.value(0).toInt(), physics, groundTexture, QString()))
            items.append(terrain);
    }

    objectQuery.addBindValue(levelId);
    if (!objectQuery.exec())
        dbFailure("Error selecting physics items:", objectQuery);
    int placed = 0;
    int overLevelLimit = 0;
    int overAreaLimit = 0;
    QHash<long long, int> perArea;
    const ObjectColumns columns(objectQuery.record());
    while (objectQuery.next()) {
        const ObjectRow r = readObjectRow(objectQuery, columns);
        const bool isStatic = r.kind == QLatin1String("Generic_Static")
            || r.kind == QLatin1String("Generic_Static_Foreground");
        if (!isStatic && r.kind != QLatin1String("Ball") && r.kind != QLatin1String("Box")) {
            qDebug().noquote()
                << "PhysicsItemHelper::loadPhysicsItems - could not load item of unknown physics "
                   "type "
                    + QLatin1Char('"') + r.kind + QLatin1String("\"\n");
            continue;
        }
        if (!placementValid(r) || !(isStatic ? staticValuesValid(r) : dynamicValuesValid(r))) {
            logSkipped(r);
            continue;
        }
        if (placed >= LevelLimits::maxObjectsPerLevel) {
            ++overLevelLimit;
            continue;
        }
        int &inArea = perArea[LevelLimits::areaKey(r.x, r.y)];
        if (inArea >= LevelLimits::maxObjectsPerArea) {
            ++overAreaLimit;
            continue;
        }
        ++inArea;
        ++placed;
        PhysicsItem *item = nullptr;
        if (r.kind == QLatin1String("Ball")) {
            item = new BallItem(physics, r.width * 0.5, r.mass, nullptr, 0, r.pixmapFile);
        } else if (r.kind == QLatin1String("Box")) {
            item = new BoxItem(physics, r.width, r.height, r.mass, r.pixmapFile);
        } else {
            GroundItem *object = loadStaticObject(physics, outlines, r);
            if (!object) {
                logSkipped(r);
                continue;
            }
            if (r.kind == QLatin1String("Generic_Static_Foreground"))
                object->setForeground();
            object->setMass(r.mass);
            item = object;
        }
        item->setBodyPos(r.x, r.y);
        item->setBodyAngle(r.angle);
        // Static objects have no shape of their own: these two change nothing
        // there, and their values need no check.
        item->setElasticity(r.bounciness);
        item->setFriction(r.friction);
        item->setTypeId(r.typeId);
        item->storeInitial();
        items.append(item);
    }
    if (overLevelLimit > 0)
        qDebug().noquote() << QStringLiteral(
            "PhysicsItemHelper::loadPhysicsItems - level %1: skipping %2 objects "
            "beyond the limit of %3 per level")
                                  .arg(levelId)
                                  .arg(overLevelLimit)
                                  .arg(LevelLimits::maxObjectsPerLevel);
    if (overAreaLimit > 0)
        qDebug().noquote() << QStringLiteral(
            "PhysicsItemHelper::loadPhysicsItems - level %1: skipping %2 objects "
            "beyond the limit of %3 per %4 x %4 area")
                                  .arg(levelId)
                                  .arg(overAreaLimit)
                                  .arg(LevelLimits::maxObjectsPerArea)
                                  .arg(LevelLimits::areaSize);
    return items;
}

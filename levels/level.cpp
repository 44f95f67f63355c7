// SPDX-License-Identifier: GPL-3.0-or-later
#include "level.h"

#include "base/densepixmap.h"
#include "grounditem.h"
#include "physics/physics.h"
#include "physics/physicsconventions.h"
#include "physics/physicsitem.h"
#include "physics/staticshapeindex.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <algorithm>
#include <vector>

namespace {
const char *const kFinishLinePicture = ":/images/finishline.png";
constexpr qreal kFinishLineZ = 1000;
constexpr qreal kForegroundObjectZ = 100;
} // namespace

Level::Level(Physics *physics, QGraphicsScene *scene, QObject *parent)
    : QObject(parent)
    , m_physics(physics)
    , m_scene(scene)
{ }

// A level has one finish picture: a second call moves the finish instead of
// leaving a stray picture behind.
void Level::setFinishLine(double x, double y)
{
    m_finishLineX = x;
    m_finishLineY = y;
    delete m_finishLineItem;
    m_finishLineItem = m_scene->addPixmap(DensePixmap::load(QString::fromLatin1(kFinishLinePicture)));
    m_finishLineItem->setPos(x, y - m_finishLineItem->boundingRect().height());
    m_finishLineItem->setZValue(kFinishLineZ);
}

void Level::setBestTime(double time, bool updateStatus)
{
    m_bestTime = time;
    if (updateStatus)
        m_status = medalForTime(time);
}

LevelStatus Level::medalForTime(double time) const
{
    return ::medalForTime(time, m_goldTime, m_silverTime, m_bronzeTime);
}

void Level::addPhysicsItem(PhysicsItem *item)
{
    m_physicsItems.append(item);
    m_scene->addItem(item);
    item->updateFromBody();
    const GroundItem *ground = qgraphicsitem_cast<const GroundItem *>(item);
    if (ground && ground->isTerrain()) {
        item->setCollisionType(CollisionTerrain);
        item->setGroup(int(PhysicsGroup::Terrain));
        item->setLayers(unsigned(PhysicsLayers::Terrain));
    } else {
        item->setCollisionType(CollisionObject);
        item->setLayers(unsigned(PhysicsLayers::Objects));
        item->setGroup(int(PhysicsGroup::None));
        if (ground && ground->isForeground())
            item->setZValue(kForegroundObjectZ);
    }
}

double Level::groundMaxX() const
{
    double maxX = 0.0;
    for (const PhysicsItem *item : m_physicsItems) {
        const GroundItem *ground = qgraphicsitem_cast<const GroundItem *>(item);
        if (ground && ground->isTerrain()) {
            const QRectF r = item->boundingRect();
            maxX = std::max(maxX, r.x() + r.width());
        }
    }
    return maxX;
}

void Level::resetPhysicsItems()
{
    for (PhysicsItem *item : m_physicsItems)
        item->resetToInitial();
    sweepStaticIndex();
}

// Putting a static item back in place reindexes its shapes, which leaves
// their old entries in the static hash; every later insert into those cells
// walks them, so without this each restart would cost more than the one
// before. A query drops such entries from the cells it passes and keeps the
// order of the live ones (the simulation stays the same), so one query over
// each hashed static shape's box cleans every cell an entry may have been
// left in. Oversized shapes are not in the hash and leave nothing behind.
void Level::sweepStaticIndex()
{
    if (!m_physics)
        return;
    cpSpace *space = m_physics->space();
    std::vector<cpBB> boxes;
    cpSpaceEachShape(
        space,
        [](cpShape *shape, void *data) {
            auto *space = cpShapeGetSpace(shape);
            if (cpBodyGetType(cpShapeGetBody(shape)) == CP_BODY_TYPE_STATIC
                && StaticShapeIndex::isHashed(space, shape))
                static_cast<std::vector<cpBB> *>(data)->push_back(cpShapeGetBB(shape));
        },
        &boxes);
    for (const cpBB &box : boxes)
        cpSpaceBBQuery(
            space, box, CP_SHAPE_FILTER_ALL, [](cpShape *, void *) {}, nullptr);
}

void Level::clearItems()
{
    for (PhysicsItem *item : m_physicsItems) {
        m_scene->removeItem(item);
        delete item;
    }
    m_physicsItems.clear();
    delete m_finishLineItem;
    m_finishLineItem = nullptr;
    dropStaleIndexEntries();
}

// Chipmunk's spatial hash forgets a removed or moved static shape only when
// a query passes its old cells; the static index is never rebuilt by a step.
// Without this every level load would leave its terrain behind as dead
// entries that slow down every later insert and query.
void Level::dropStaleIndexEntries()
{
    if (m_physics)
        cpSpaceReindexStatic(m_physics->space());
}

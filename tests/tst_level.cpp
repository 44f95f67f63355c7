// SPDX-License-Identifier: GPL-3.0-or-later
// The level model: medals, best time, collision set-up of added items, the
// finish picture, the terrain's extent, resetting and clearing.

#include "levels/grounditem.h"
#include "levels/level.h"
#include "physics/ballitem.h"
#include "physics/boxitem.h"
#include "physics/physics.h"
#include "physics/physicssegment.h"
#include "physics/staticshapeindex.h"
#include "testsupport.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QtTest>
#include <chipmunk/chipmunk_structs.h>

namespace {
GroundItem *terrain(Physics *physics, double width)
{
    auto *item = new GroundItem(physics, 0, 0, 0.0, QString(), QString());
    item->addPoint(QPointF(width, 0), true);
    item->addPoint(QPointF(width, 100), true);
    item->addPoint(QPointF(0, 100), true);
    item->completeOutline();
    return item;
}

// Stands in for the class of the static shapes' hash while it is installed
// and counts the work asked of the hash: reindexed shapes, area queried.
struct StaticIndexCounter
{
    explicit StaticIndexCounter(cpSpace *space)
        : index(StaticShapeIndex::hash(space))
        , original(index->klass)
        , counting(*index->klass)
    {
        active = this;
        counting.reindexObject = [](cpSpatialIndex *i, void *obj, cpHashValue id) {
            ++active->reindexed;
            active->original->reindexObject(i, obj, id);
        };
        counting.query = [](cpSpatialIndex *i, void *obj, cpBB bb, cpSpatialIndexQueryFunc f, void *data) {
            active->queriedArea += (bb.r - bb.l) * (bb.t - bb.b);
            active->original->query(i, obj, bb, f, data);
        };
        index->klass = &counting;
    }
    ~StaticIndexCounter() { index->klass = original; }
    static inline StaticIndexCounter *active = nullptr;
    cpSpatialIndex *index;
    cpSpatialIndexClass *original;
    cpSpatialIndexClass counting;
    int reindexed = 0;
    double queriedArea = 0.0;
};
} // namespace

class TestLevel : public QObject
{
    Q_OBJECT
private slots:
    // The level's own target times decide (the inclusive limits are
    // tst_levelstatus's).
    void medalByTheLevelsTargets_data()
    {
        QTest::addColumn<double>("time");
        QTest::addColumn<LevelStatus>("medal");
        QTest::newRow("gold") << 5.0 << LevelStatus::Gold;
        QTest::newRow("silver") << 15.0 << LevelStatus::Silver;
        QTest::newRow("bronze") << 25.0 << LevelStatus::Bronze;
        QTest::newRow("no medal") << 35.0 << LevelStatus::NoMedal;
    }
    void medalByTheLevelsTargets()
    {
        QFETCH(double, time);
        QFETCH(LevelStatus, medal);
        QGraphicsScene scene;
        Level level(nullptr, &scene);
        level.setGoldTime(10);
        level.setSilverTime(20);
        level.setBronzeTime(30);
        QCOMPARE(level.medalForTime(time), medal);
        level.setBestTime(time, true);
        QCOMPARE(level.status(), medal);
        QCOMPARE(level.bestTime(), time);
    }

    void bestTimeWithoutStatus()
    {
        QGraphicsScene scene;
        Level level(nullptr, &scene);
        level.setGoldTime(10);
        level.setStatus(LevelStatus::Bronze);
        level.setBestTime(4.0, false);
        QCOMPARE(level.bestTime(), 4.0);
        QCOMPARE(level.status(), LevelStatus::Bronze);
    }

    void finishPictureStandsOnTheLine()
    {
        QGraphicsScene scene;
        Level level(nullptr, &scene);
        level.setFinishLine(4000, 25);
        QVERIFY(level.finishLineItem());
        const QGraphicsPixmapItem *finish = level.finishLineItem();
        QCOMPARE(finish->zValue(), 1000.0);
        QCOMPARE(finish->pos(), QPointF(4000, 25 - finish->boundingRect().height()));
        QCOMPARE(finish->sceneBoundingRect().bottom(), 25.0);
        QCOMPARE(level.finishLineX(), 4000.0);
        level.setFinishLine(100, 0); // moved, not doubled
        QCOMPARE(scene.items().size(), 1);
        level.clearItems();
        QVERIFY(!level.finishLineItem());
        QCOMPARE(scene.items().size(), 0);
    }

    void addedItemsGetTheirCollisionSetUp()
    {
        Physics physics(450);
        QGraphicsScene scene;
        Level level(&physics, &scene);
        GroundItem *ground = terrain(&physics, 5000);
        ground->setBodyPos(10, 20);
        auto *ball = new BallItem(&physics, 10, 1);
        auto *front = new GroundItem(&physics, 0, 0, 0.0, QString(), QString());
        front->addPoint(QPointF(10, 0), true);
        front->addPoint(QPointF(10, 10), true);
        front->completeOutline();
        front->setTypeId(13);
        front->setForeground();
        level.addPhysicsItem(ground);
        level.addPhysicsItem(ball);
        level.addPhysicsItem(front);
        QCOMPARE(ground->pos(), QPointF(10, 20)); // taken from the body at once
        for (const PhysicsSegment *s : ground->segments()) {
            QCOMPARE(s->collisionType(), 1);
            QCOMPARE(s->group(), 2);
            QCOMPARE(s->layers(), 17u);
        }
        QCOMPARE(ball->collisionType(), 8);
        QCOMPARE(ball->layers(), 17u);
        QCOMPARE(ball->group(), 0);
        QCOMPARE(front->segments().first()->collisionType(), 8);
        QCOMPARE(front->zValue(), 100.0);
        QCOMPARE(ball->zValue(), 0.0);
        QCOMPARE(scene.items().size(), 3);
        level.clearItems();
        QCOMPARE(scene.items().size(), 0);
        QVERIFY(level.physicsItems().isEmpty());
        int shapes = 0;
        cpSpaceEachShape(
            physics.space(), [](cpShape *, void *n) { ++*static_cast<int *>(n); }, &shapes);
        QCOMPARE(shapes, 0);
    }

    void groundMaxX()
    {
        Physics physics(450);
        QGraphicsScene scene;
        Level level(&physics, &scene);
        QCOMPARE(level.groundMaxX(), 0.0);
        level.addPhysicsItem(new BoxItem(&physics, 10, 10, 1)); // objects do not count
        QCOMPARE(level.groundMaxX(), 0.0);
        level.addPhysicsItem(terrain(&physics, 5000));
        level.addPhysicsItem(terrain(&physics, 3000));
        QVERIFY(qAbs(level.groundMaxX() - 5000.0) < 0.1);
        level.clearItems();
    }

    void resetReturnsItemsToTheirStart()
    {
        Physics physics(450);
        QGraphicsScene scene;
        Level level(&physics, &scene);
        auto *box = new BoxItem(&physics, 20, 20, 2);
        box->setBodyPos(100, -50);
        box->setBodyAngle(15);
        box->storeInitial();
        level.addPhysicsItem(box);
        box->setAngularVelocity(4);
        for (int i = 0; i < 40; ++i)
            physics.update();
        QVERIFY(box->bodyY() > -40);
        level.resetPhysicsItems();
        QCOMPARE(box->bodyX(), 100.0);
        QCOMPARE(box->bodyY(), -50.0);
        QVERIFY(qAbs(box->bodyAngle() - 15.0) < 1e-9);
        QCOMPARE(box->velocityY(), 0.0);
        QCOMPARE(box->angularVelocity(), 0.0);
        level.clearItems();
    }

    // Terrain edges across the whole coordinate range cover millions of
    // hash cells: a restart that reindexed or swept them in the hash took
    // most of a minute. They stay out of the hash, and still collide.
    void oversizedTerrainCostsARestartNothingAndStillCollides()
    {
        Physics physics(450);
        QGraphicsScene scene;
        Level level(&physics, &scene);
        auto *diagonal = new GroundItem(&physics, -100000, -100000, 0.0, QString(), QString());
        diagonal->addPoint(QPointF(100000, 100000), true);
        diagonal->addPoint(QPointF(100000, 100060), true);
        diagonal->addPoint(QPointF(-100000, -99940), true);
        diagonal->completeOutline();
        diagonal->storeInitial();
        level.addPhysicsItem(diagonal);
        QVERIFY(StaticShapeIndex::oversizedCount(physics.space()) >= 2);
        // A ball dropped onto the edge at x = 500 (where the edge is at y = 500).
        auto *ball = new BallItem(&physics, 20, 1);
        ball->setBodyPos(500, 300);
        ball->storeInitial();
        level.addPhysicsItem(ball);
        {
            StaticIndexCounter counter(physics.space());
            for (int restart = 0; restart < 3; ++restart) {
                level.resetPhysicsItems();
                physics.update();
            }
            // The ball's own queries: a few cells, never the edge's box.
            QVERIFY2(counter.queriedArea < 1e6, qPrintable(QString::number(counter.queriedArea)));
        }
        for (int i = 0; i < 200; ++i)
            physics.update();
        // It rolls down the edge, its centre one radius above the line y = x.
        const double aboveTheLine = (ball->bodyX() - ball->bodyY()) / std::sqrt(2.0);
        QVERIFY2(ball->bodyX() > 500 && std::abs(aboveTheLine - 20) < 2,
            qPrintable(QString::number(aboveTheLine)));
        cpSegmentQueryInfo hit;
        QVERIFY(cpSpaceSegmentQueryFirst(
            physics.space(), cpv(0, -1000), cpv(0, 1000), 0, CP_SHAPE_FILTER_ALL, &hit));
        // The edge has a radius: hit about 1.4 above the line at 45 degrees.
        QVERIFY2(std::abs(hit.point.y) < 2.0, qPrintable(QString("%1 %2").arg(hit.point.x).arg(hit.point.y)));
        level.clearItems();
    }
};

QTEST_MAIN(TestLevel)
#include "tst_level.moc"

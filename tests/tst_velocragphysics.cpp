// SPDX-License-Identifier: GPL-3.0-or-later
// The collision callbacks: contact geometry as the library hands it over,
// impulses, ground-hit sounds, the lying-frame flag and the head crash.

#include "testbed.h"

#include "physics/ballitem.h"
#include "physics/physicsconventions.h"
#include "physics/physicssegment.h"
#include "physics/velocragphysics.h"
#include "sound/soundmanagerdummy.h"

#include <QtTest>
#include <cmath>

namespace {
struct Probe
{
    cpVect normal = cpvzero;
    cpVect point = cpvzero;
    double impulse = 0.0;
    int calls = 0;
};

void probeCallback(cpArbiter *arbiter, cpSpace *, cpDataPointer data)
{
    auto *probe = static_cast<Probe *>(data);
    cpShape *a = nullptr;
    cpShape *b = nullptr;
    cpArbiterGetShapes(arbiter, &a, &b);
    const cpShape *wheel = cpShapeGetCollisionType(a) == CollisionWheel ? a : b;
    probe->normal = VelocragPhysics::normalTowardWheel(arbiter, wheel);
    probe->point = VelocragPhysics::firstContactPoint(arbiter);
    probe->impulse = cpvlength(cpArbiterTotalImpulse(arbiter));
    ++probe->calls;
}

// Counts the ground hits the bike reports.
class HitCounter : public SoundManagerDummy
{
public:
    void playGroundHitSound(qreal vol) override
    {
        volumes.append(vol);
        SoundManagerDummy::playGroundHitSound(vol);
    }
    QVector<qreal> volumes;
};
} // namespace

class TestVelocragPhysics : public QObject
{
    Q_OBJECT
private slots:
    void normalPointsFromTerrainToWheel_data();
    void normalPointsFromTerrainToWheel();
    void unknownCollisionTypeIsReported();
    void hardLandingPlaysGroundHit();
    void callbacksIgnoreMissingBike();
};

void TestVelocragPhysics::normalPointsFromTerrainToWheel_data()
{
    QTest::addColumn<bool>("wheelFirst");
    QTest::addColumn<qreal>("slopeDegrees");
    QTest::newRow("terrain first, flat") << false << 0.0;
    QTest::newRow("wheel first, flat") << true << 0.0;
    QTest::newRow("terrain first, 30 deg") << false << 30.0;
    QTest::newRow("wheel first, -30 deg") << true << -30.0;
}

void TestVelocragPhysics::normalPointsFromTerrainToWheel()
{
    QFETCH(bool, wheelFirst);
    QFETCH(qreal, slopeDegrees);
    Physics physics(450);
    const double slope = slopeDegrees * M_PI / 180.0;
    // A straight terrain edge through (0, 0) and a wheel resting on it.
    PhysicsSegment ground(&physics, -500 * std::cos(slope), -500 * std::sin(slope), 500 * std::cos(slope),
        500 * std::sin(slope));
    ground.setCollisionType(CollisionTerrain);
    BallItem wheel(&physics, 20.0, 2.1);
    wheel.setCollisionType(CollisionWheel);
    const cpVect up = cpv(std::sin(slope), -std::cos(slope)); // away from the terrain
    wheel.setBodyPos(up.x * 20.5, up.y * 20.5);
    Probe probe;
    cpCollisionHandler *handler = wheelFirst
        ? cpSpaceAddCollisionHandler(physics.space(), CollisionWheel, CollisionTerrain)
        : cpSpaceAddCollisionHandler(physics.space(), CollisionTerrain, CollisionWheel);
    handler->postSolveFunc = probeCallback;
    handler->userData = &probe;
    for (int i = 0; i < 3; ++i)
        physics.update();
    QVERIFY(probe.calls > 0);
    QVERIFY2(cpvlength(cpvsub(probe.normal, up)) < 1e-6,
        qPrintable(QStringLiteral("%1 %2").arg(probe.normal.x).arg(probe.normal.y)));
    // The contact point lies between the tyre and the segment's surface
    // (radius 1), under the wheel's centre.
    const cpVect centre = cpBodyGetPosition(wheel.body());
    const cpVect expected = cpvsub(centre, cpvmult(up, 20.5));
    QVERIFY2(cpvlength(cpvsub(probe.point, expected)) < 1.0,
        qPrintable(QStringLiteral("%1 %2 vs %3 %4")
                       .arg(probe.point.x)
                       .arg(probe.point.y)
                       .arg(expected.x)
                       .arg(expected.y)));
    // A resting wheel: the contact carries about its weight each step.
    const double weight = 2.1 * 450 * physics.timeStep() * std::cos(slope);
    QVERIFY2(probe.impulse > 0.5 * weight && probe.impulse < 2.0 * weight,
        qPrintable(QString::number(probe.impulse)));
}

void TestVelocragPhysics::unknownCollisionTypeIsReported()
{
    TestBed bed;
    PhysicsSegment *ground = bed.addFlatGround(100);
    Q_UNUSED(ground);
    BallItem ball(bed.physics, 10.0, 1.0);
    ball.setCollisionType(9);
    ball.setBodyPos(0, 89.5);
    cpCollisionHandler *handler = cpSpaceAddCollisionHandler(bed.physics->space(), CollisionTerrain, 9);
    handler->postSolveFunc = VelocragPhysics::groundWheelCollisionPostCallback;
    handler->userData = static_cast<CollisionListener *>(bed.bike);
    QTest::ignoreMessage(
        QtDebugMsg, "VelocragPhysics::groundWheelCollisionPostCallback - unknown collisiontype 9 or 1");
    bed.physics->update();
}

void TestVelocragPhysics::hardLandingPlaysGroundHit()
{
    HitCounter sound;
    {
        LevelWorld world(nullptr, &sound);
        PhysicsSegment ground(world.physics(), -1000, 500, 1000, 500);
        ground.setCollisionType(CollisionTerrain);
        ground.setLayers(PhysicsLayers::Terrain);
        SimulationStep &sim = world.step();
        sim.restart(QPointF(0, 500 - kFrameAboveGround - 150.0));
        for (int i = 0; i < 60; ++i)
            sim.step();
        QVERIFY(!sound.volumes.isEmpty());
        for (qreal v : sound.volumes)
            QVERIFY(v > 0.1 && v <= 1.0);
        // Resting afterwards: no more hits.
        const int hits = sound.volumes.size();
        for (int i = 0; i < 100; ++i)
            sim.step();
        QCOMPARE(sound.volumes.size(), hits);
    }
}

void TestVelocragPhysics::callbacksIgnoreMissingBike()
{
    // After the bike is gone its handlers stay registered with no data.
    Physics physics(450);
    PhysicsSegment ground(&physics, -1000, 100, 1000, 100);
    ground.setCollisionType(CollisionTerrain);
    {
        QGraphicsScene scene;
        delete new BikeItem(&physics, &scene, nullptr, 75, 5);
    }
    BallItem wheel(&physics, 20.0, 2.1);
    wheel.setCollisionType(CollisionWheel);
    wheel.setShapeData(&wheel);
    wheel.setBodyPos(0, 79);
    wheel.setAngularVelocity(50);
    BallItem head(&physics, 12.0, 1.0);
    head.setCollisionType(CollisionHead);
    head.setBodyPos(100, 87);
    for (int i = 0; i < 20; ++i)
        physics.update();
    QVERIFY(wheel.bodyY() < 100);
}

QTEST_MAIN(TestVelocragPhysics)
#include "tst_velocragphysics.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The thrown-off rider: start pose and motion, collision set-up, teardown.

#include "testbed.h"

#include "physics/boxitem.h"
#include "physics/physicsconventions.h"
#include "vehicle/riderragdollitem.h"

#include <QtTest>
#include <cmath>

namespace {
int countConstraints(cpSpace *space)
{
    int n = 0;
    cpSpaceEachConstraint(
        space, [](cpConstraint *, void *d) { ++*static_cast<int *>(d); }, &n);
    return n;
}
int countBodies(cpSpace *space)
{
    int n = 0;
    cpSpaceEachBody(
        space, [](cpBody *, void *d) { ++*static_cast<int *>(d); }, &n);
    return n;
}
} // namespace

class TestRiderRagdollItem : public QObject
{
    Q_OBJECT
private slots:
    void startsWithTheBikesPoseAndMotion();
    void tiltTurnsTheTorso();
    void collisionSetUp();
    void destroyingLeavesNothing();
    void tumblesOnTheGround();
};

void TestRiderRagdollItem::startsWithTheBikesPoseAndMotion()
{
    TestBed bed;
    bed.bike->setBodyPos(100, 200);
    bed.bike->PhysicsItem::setVelocity(50, -20);
    bed.bike->setAngularVelocity(1.5);
    bed.bike->releaseRagdoll();
    RiderRagdollItem *ragdoll = bed.bike->ragdoll();
    QVERIFY(ragdoll);
    QCOMPARE(qgraphicsitem_cast<RiderRagdollItem *>(static_cast<QGraphicsItem *>(ragdoll)), ragdoll);
    // Level bike, tilt 0: A = 0.2 degrees; torso 21 up, thigh 5 down.
    QVERIFY(std::fabs(ragdoll->bodyAngle() - 0.2) < 1e-9);
    const double phi = degToRad(0.2 - 90.0);
    QVERIFY(std::fabs(ragdoll->bodyX() - (100 + 21 * std::cos(phi))) < 1e-9);
    QVERIFY(std::fabs(ragdoll->bodyY() - (200 + 21 * std::sin(phi))) < 1e-9);
    QVERIFY(std::fabs(ragdoll->bodyY() - 179.0) < 0.01);
    QVERIFY(std::fabs(ragdoll->thigh()->bodyY() - 205.0) < 0.01);
    QVERIFY(std::fabs(ragdoll->thigh()->bodyAngle() - 0.985) < 1e-9);
    QVERIFY(std::fabs(ragdoll->arm()->bodyAngle() - 0.5) < 1e-9);
    for (PhysicsItem *part :
        {static_cast<PhysicsItem *>(ragdoll), static_cast<PhysicsItem *>(ragdoll->thigh()),
            static_cast<PhysicsItem *>(ragdoll->shin()), static_cast<PhysicsItem *>(ragdoll->arm())}) {
        QCOMPARE(part->velocityX(), 50.0);
        QCOMPARE(part->velocityY(), -20.0);
        QCOMPARE(part->angularVelocity(), 1.5);
        QCOMPARE(part->pos(), QPointF(part->bodyX(), part->bodyY()));
    }
    QCOMPARE(ragdoll->scene(), &bed.scene);
    QCOMPARE(ragdoll->thigh()->scene(), &bed.scene);
}

void TestRiderRagdollItem::tiltTurnsTheTorso()
{
    TestBed bed;
    bed.bike->setBodyPos(0, 0);
    bed.bike->setBodyAngle(10.0);
    bed.bike->setRiderTilt(1.0, -58.0, false);
    bed.bike->releaseRagdoll();
    QVERIFY(std::fabs(bed.bike->ragdoll()->bodyAngle() - (10.0 - 1.57 * 0.4 + 0.2)) < 1e-9);
}

void TestRiderRagdollItem::collisionSetUp()
{
    TestBed bed;
    bed.bike->releaseRagdoll();
    RiderRagdollItem *ragdoll = bed.bike->ragdoll();
    QCOMPARE(ragdoll->group(), 4);
    QCOMPARE(ragdoll->layers(), 9u);
    QCOMPARE(ragdoll->collisionType(), 0);
    for (BoxItem *limb : {ragdoll->thigh(), ragdoll->shin(), ragdoll->arm()}) {
        QCOMPARE(limb->group(), 4);
        QCOMPARE(limb->layers(), 16u);
        QCOMPARE(limb->friction(), 0.8);
        QCOMPARE(limb->zValue(), 0.0);
    }
    QCOMPARE(ragdoll->thigh()->width(), 37.0);
    QCOMPARE(ragdoll->shin()->height(), 40.0);
    QCOMPARE(ragdoll->arm()->width(), 40.0);
}

void TestRiderRagdollItem::destroyingLeavesNothing()
{
    TestBed bed;
    const int constraints = countConstraints(bed.physics->space());
    const int bodies = countBodies(bed.physics->space());
    const int items = bed.scene.items().size();
    bed.bike->releaseRagdoll();
    QCOMPARE(countConstraints(bed.physics->space()), constraints + 5);
    QCOMPARE(countBodies(bed.physics->space()), bodies + 4);
    QCOMPARE(bed.scene.items().size(), items + 4);
    bed.bike->resetToInitial();
    QCOMPARE(countConstraints(bed.physics->space()), constraints);
    QCOMPARE(countBodies(bed.physics->space()), bodies);
    QCOMPARE(bed.scene.items().size(), items);
}

void TestRiderRagdollItem::tumblesOnTheGround()
{
    TestBed bed;
    bed.addFlatGround(500);
    bed.placeOnGround(0, 500);
    bed.step(10);
    bed.bike->releaseRagdoll();
    bed.step(3 * 52);
    RiderRagdollItem *ragdoll = bed.bike->ragdoll();
    // Lying on the ground, not through it, limbs still at their joints.
    QVERIFY(ragdoll->bodyY() < 500.0 && ragdoll->bodyY() > 400.0);
    for (BoxItem *limb : {ragdoll->thigh(), ragdoll->shin(), ragdoll->arm()}) {
        QVERIFY(limb->bodyY() < 500.0);
        QVERIFY(std::hypot(limb->bodyX() - ragdoll->bodyX(), limb->bodyY() - ragdoll->bodyY()) < 70.0);
    }
}

QTEST_MAIN(TestRiderRagdollItem)
#include "tst_riderragdollitem.moc"

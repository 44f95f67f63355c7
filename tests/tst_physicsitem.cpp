// SPDX-License-Identifier: GPL-3.0-or-later
// The physics item base: accessors with and without a body, start state,
// angular velocity limit and the mass field.

#include "physics/physics.h"
#include "physics/physicsitem.h"

#include <QtTest>

namespace {
// Smallest concrete item: a dynamic circle, or nothing at all.
class ProbeItem : public PhysicsItem
{
public:
    explicit ProbeItem(Physics *physics = nullptr)
    {
        if (!physics)
            return;
        m_space = physics->space();
        m_body = cpSpaceAddBody(m_space, cpBodyNew(2.0, cpMomentForCircle(2.0, 0, 10, cpvzero)));
        m_shape = cpSpaceAddShape(m_space, cpCircleShapeNew(m_body, 10, cpvzero));
    }
    ~ProbeItem() override
    {
        if (m_body) {
            cpSpaceRemoveShape(m_space, m_shape);
            cpSpaceRemoveBody(m_space, m_body);
            cpShapeFree(m_shape);
            cpBodyFree(m_body);
        }
    }
    void updateFromBody() override { }
    int type() const override { return BallType; }
    QRectF boundingRect() const override { return QRectF(); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override { }
};
} // namespace

class TestPhysicsItem : public QObject
{
    Q_OBJECT
private slots:
    void withoutBodyEverythingIsZero()
    {
        ProbeItem item;
        QVERIFY(item.isStatic());
        item.setBodyPos(10, 20);
        item.setVelocity(3, 4);
        item.setFriction(0.5);
        item.setCollisionType(8);
        item.setBodyAngle(45);
        item.setMass(3);
        QCOMPARE(item.bodyAngle(), 0.0);
        QCOMPARE(item.bodyX(), 0.0);
        QCOMPARE(item.velocityX(), 0.0);
        QCOMPARE(item.friction(), 0.0);
        QCOMPARE(item.collisionType(), 0);
        QCOMPARE(item.layers(), 0u);
        QVERIFY(!item.body());
        QVERIFY(!item.clone());
    }

    void anglesRoundTripInDegrees()
    {
        Physics physics(450);
        ProbeItem item(&physics);
        item.setBodyAngle(90);
        QCOMPARE(item.bodyAngle(), 90.0);
        item.rotateBody(-30);
        QVERIFY(qAbs(item.bodyAngle() - 60.0) < 1e-12);
    }

    void resetRestoresStoredPose()
    {
        Physics physics(450);
        ProbeItem item(&physics);
        item.setBodyPos(100, -40);
        item.setBodyAngle(30);
        item.storeInitial();
        item.setVelocity(50, 20);
        item.setAngularVelocity(3);
        for (int i = 0; i < 30; ++i)
            physics.update();
        QVERIFY(item.bodyY() > -40);
        item.resetToInitial();
        QCOMPARE(item.bodyX(), 100.0);
        QCOMPARE(item.bodyY(), -40.0);
        QVERIFY(qAbs(item.bodyAngle() - 30.0) < 1e-12);
        QCOMPARE(item.velocityX(), 0.0);
        QCOMPARE(item.velocityY(), 0.0);
        QCOMPARE(item.angularVelocity(), 0.0);
    }

    void shapeFilterAccessors()
    {
        Physics physics(450);
        ProbeItem item(&physics);
        QCOMPARE(item.group(), 0);
        item.setGroup(3);
        item.setLayers(17);
        item.setCollisionType(6);
        QCOMPARE(item.group(), 3);
        QCOMPARE(item.layers(), 17u);
        QCOMPARE(item.collisionType(), 6);
    }

    void angularVelocityLimit()
    {
        Physics physics(450);
        ProbeItem item(&physics);
        item.setMaxAngularVelocity(120);
        item.setAngularVelocity(500);
        physics.update();
        QCOMPARE(item.angularVelocity(), 120.0);
        item.setAngularVelocity(-500);
        physics.update();
        QCOMPARE(item.angularVelocity(), -120.0);
        item.setAngularVelocity(50);
        physics.update();
        QCOMPARE(item.angularVelocity(), 50.0);
    }

    // Only the mass field changes; an impulse still moves the body as before.
    void setMassLeavesDynamics()
    {
        Physics physics(0);
        ProbeItem item(&physics);
        item.setMass(100);
        QCOMPARE(cpBodyGetMass(item.body()), 100.0);
        cpBodyApplyImpulseAtWorldPoint(item.body(), cpv(10, 0), cpBodyGetPosition(item.body()));
        QCOMPARE(item.velocityX(), 5.0);
    }
};

QTEST_GUILESS_MAIN(TestPhysicsItem)
#include "tst_physicsitem.moc"

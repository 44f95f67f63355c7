// SPDX-License-Identifier: GPL-3.0-or-later
// Balls, boxes and terrain segments: construction, drawing rules, the drive
// impulse, copies, rebuilt segments and the fatal zero-mass box.

#include "physics/ballitem.h"
#include "physics/boxitem.h"
#include "physics/physics.h"
#include "physics/physicsconventions.h"
#include "physics/physicssegment.h"
#include "testsupport.h"

#include <QImage>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QtTest>

namespace {
// Paints an item centred in a white image of size x size pixels.
QImage render(QGraphicsItem &item, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(size / 2.0, size / 2.0);
    QStyleOptionGraphicsItem option;
    item.paint(&painter, &option, nullptr);
    return image;
}
} // namespace

class TestPhysicsObjects : public QObject
{
    Q_OBJECT
private slots:
    void ballBuildsCircleBody()
    {
        Physics physics(450);
        BallItem ball(&physics, 20, 3, nullptr, 0, QString());
        QCOMPARE(ball.radius(), 20.0);
        QCOMPARE(qgraphicsitem_cast<BallItem *>(static_cast<QGraphicsItem *>(&ball)), &ball);
        QCOMPARE(cpBodyGetMass(ball.body()), 3.0);
        QCOMPARE(cpBodyGetMoment(ball.body()), cpMomentForCircle(3, 0, 20, cpvzero));
        QCOMPARE(cpCircleShapeGetRadius(ball.physicsShape()), 20.0);
        QCOMPARE(ball.friction(), double(0.9f));
        QCOMPARE(ball.elasticity(), 0.0);
        QCOMPARE(ball.group(), 0); // group 0 keeps the library's default
        QCOMPARE(ball.layers(), unsigned(CP_ALL_CATEGORIES));
        BallItem wheel(&physics, 10, 1, nullptr, PhysicsGroup::Bike, QString());
        QCOMPARE(wheel.group(), int(PhysicsGroup::Bike));
        QCOMPARE(TestSupport::shapeCount(physics.space()), 2);
    }

    void ballDestructorLeavesSpaceEmpty()
    {
        Physics physics(450);
        {
            BallItem ball(&physics, 5, 1);
        }
        QCOMPARE(TestSupport::shapeCount(physics.space()), 0);
    }

    // The sprite turns at 150/180 of the body: a half turn shows as 150 degrees.
    void ballHalfTurnDrawnAt150Degrees()
    {
        Physics physics(450);
        BallItem ball(&physics, 20, 1);
        cpBodySetAngle(ball.body(), 3.1417f);
        ball.updateFromBody();
        QVERIFY(qAbs(ball.rotation() - 150.0) < 1e-5);
        cpBodySetAngle(ball.body(), M_PI);
        ball.updateFromBody();
        QVERIFY(qAbs(ball.rotation() - 150.0) < 0.01);
        QVERIFY(ball.rotation() < 150.0); // 3.1417 is a little more than pi
    }

    void rimSpeed()
    {
        Physics physics(450);
        BallItem wheel(&physics, 20, 1);
        wheel.setAngularVelocity(5);
        QCOMPARE(wheel.rimSpeed(), 100.0);
    }

    void ownedBallIsNotSynchronisedByAdvance()
    {
        Physics physics(450);
        BallItem free(&physics, 10, 1);
        BallItem owned(&physics, 10, 1, &free);
        free.setBodyPos(30, 40);
        owned.setBodyPos(50, 60);
        free.advance(0);
        QCOMPARE(free.pos(), QPointF(0, 0));
        free.advance(1);
        owned.advance(1);
        QCOMPARE(free.pos(), QPointF(30, 40));
        QCOMPARE(owned.pos(), QPointF(0, 0));
    }

    void driveImpulse()
    {
        Physics physics(0);
        BallItem wheel(&physics, 20, 2);
        wheel.applyDriveImpulse(3); // at rest: no direction, nothing happens
        QCOMPARE(wheel.velocityX(), 0.0);
        QCOMPARE(wheel.angularVelocity(), 0.0);
        wheel.setVelocity(10, 0);
        cpBodySetForce(wheel.body(), cpv(5, 5));
        wheel.applyDriveImpulse(3);
        // j = 20 * (0, 1), lever arm 3 along x: dv = j / m, dw = 3 * 20 / moment.
        QCOMPARE(wheel.velocityX(), 10.0);
        QCOMPARE(wheel.velocityY(), 10.0);
        QCOMPARE(wheel.angularVelocity(), 60.0 / cpMomentForCircle(2, 0, 20, cpvzero));
        QCOMPARE(cpBodyGetForce(wheel.body()).x, 0.0);
    }

    void ballCloneCopiesSettings()
    {
        Physics physics(450);
        BallItem ball(&physics, 15, 4, nullptr, 3, QStringLiteral(":/images/ball1.png"));
        ball.setBodyPos(12, 34);
        ball.setBodyAngle(45);
        ball.setElasticity(0.7);
        ball.setFriction(0.2);
        ball.setTypeId(9);
        QScopedPointer<PhysicsItem> copy(ball.clone());
        auto *c = dynamic_cast<BallItem *>(copy.data());
        QVERIFY(c);
        QCOMPARE(c->radius(), 15.0);
        QCOMPARE(cpBodyGetMass(c->body()), 4.0);
        QCOMPARE(c->group(), 3);
        QCOMPARE(c->bodyX(), 12.0);
        QCOMPARE(c->bodyY(), 34.0);
        QVERIFY(qAbs(c->bodyAngle() - 45.0) < 1e-12);
        QCOMPARE(c->elasticity(), 0.7);
        QCOMPARE(c->friction(), 0.2);
        QCOMPARE(c->typeId(), 9);
        QCOMPARE(c->spriteName(), ball.spriteName());
    }

    // Without a picture (or with one that cannot be loaded) the ball is a red
    // disc with a black outline.
    void ballFallbackDrawing()
    {
        Physics physics(450);
        BallItem ball(&physics, 20, 1, nullptr, 0, QStringLiteral(":/images/no-such-picture.png"));
        const QImage image = render(ball, 60);
        QCOMPARE(image.pixelColor(30, 22), QColor(Qt::red));
        QCOMPARE(image.pixelColor(2, 2), QColor(Qt::white));
        QVERIFY(ball.boundingRect().contains(QRectF(-21.5, -21.5, 43, 43)));
    }

    void boxBuildsBoxBody()
    {
        Physics physics(450);
        BoxItem box(&physics, 60, 20, 5);
        QCOMPARE(qgraphicsitem_cast<BoxItem *>(static_cast<QGraphicsItem *>(&box)), &box);
        QVERIFY(!qgraphicsitem_cast<BallItem *>(static_cast<QGraphicsItem *>(&box)));
        QCOMPARE(cpBodyGetMass(box.body()), 5.0);
        QCOMPARE(cpBodyGetMoment(box.body()), cpMomentForBox(5, 60, 20));
        QCOMPARE(box.friction(), 1.0);
        QCOMPARE(box.elasticity(), 0.0);
        const cpBB bb = cpShapeCacheBB(box.physicsShape());
        QCOMPARE(bb.r - bb.l, 60.0);
        QCOMPARE(bb.t - bb.b, 20.0);
        QVERIFY(box.boundingRect().contains(QRectF(-30, -10, 60, 20)));
    }

    void boxFollowsBody()
    {
        Physics physics(450);
        BoxItem box(&physics, 40, 40, 1);
        box.setBodyPos(100, 50);
        box.setBodyAngle(30);
        box.advance(1);
        QCOMPARE(box.pos(), QPointF(100, 50));
        QVERIFY(qAbs(box.rotation() - 30.0) < 1e-12);
        physics.update(); // positions integrate before velocities
        physics.update();
        box.advance(1);
        QVERIFY(box.pos().y() > 50.0);
    }

    void boxCloneAndFallbackDrawing()
    {
        Physics physics(450);
        BoxItem box(&physics, 30, 10, 2);
        box.setBodyPos(5, 6);
        box.setTypeId(4);
        QScopedPointer<PhysicsItem> copy(box.clone());
        auto *c = dynamic_cast<BoxItem *>(copy.data());
        QVERIFY(c);
        QCOMPARE(c->width(), 30.0);
        QCOMPARE(c->height(), 10.0);
        QCOMPARE(c->bodyX(), 5.0);
        QCOMPARE(c->typeId(), 4);
        const QImage image = render(box, 40);
        QCOMPARE(image.pixelColor(20, 20), QColor(Qt::green));
        QCOMPARE(image.pixelColor(20, 2), QColor(Qt::white));
    }

    void boxWithZeroMassStopsTheProgram()
    {
        const auto r = TestSupport::runProcess(QStringLiteral(LEVELPROBE_PATH), {"box-zero-mass"});
        QVERIFY(!r.crashed);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.standardError.contains("BoxItem::BoxItem - zero mass not supported"),
            qPrintable(r.standardError));
    }

    void segmentOnSpaceStaticBody()
    {
        Physics physics(450);
        {
            PhysicsSegment segment(&physics, 0, 100, 200, 100);
            QVERIFY(!segment.body());
            QVERIFY(segment.isStatic());
            QCOMPARE(cpShapeGetBody(segment.physicsShape()), cpSpaceGetStaticBody(physics.space()));
            QCOMPARE(qgraphicsitem_cast<PhysicsSegment *>(static_cast<QGraphicsItem *>(&segment)), &segment);
            QCOMPARE(cpShapeGetElasticity(segment.physicsShape()), 1.0);
            QCOMPARE(cpShapeGetFriction(segment.physicsShape()), 1.0);
            QCOMPARE(cpSegmentShapeGetRadius(segment.physicsShape()), 1.0);
            // A ball dropped on it comes to rest on top.
            BallItem ball(&physics, 10, 1);
            ball.setBodyPos(100, 50);
            for (int i = 0; i < 200; ++i)
                physics.update();
            QVERIFY(qAbs(ball.bodyY() - 89.0) < 1.0);
        }
        QCOMPARE(TestSupport::shapeCount(physics.space()), 0);
    }

    // A moved end point rebuilds the shape: the group stays, collision type
    // and layers go back to the defaults, and the old shape is gone.
    void segmentRebuildOnMove()
    {
        Physics physics(450);
        cpBody *body = cpBodyNewStatic();
        {
            PhysicsSegment segment(&physics, 0, 0, 100, 0, body);
            QCOMPARE(segment.body(), body);
            segment.setGroup(2);
            segment.setCollisionType(1);
            segment.setLayers(17);
            segment.setBx(150);
            segment.setAy(-10);
            QCOMPARE(segment.bx(), 150.0);
            QCOMPARE(segment.ay(), -10.0);
            QCOMPARE(segment.ax(), 0.0);
            QCOMPARE(segment.by(), 0.0);
            QCOMPARE(cpSegmentShapeGetB(segment.physicsShape()).x, 150.0);
            QCOMPARE(cpSegmentShapeGetA(segment.physicsShape()).y, -10.0);
            QCOMPARE(cpShapeGetBody(segment.physicsShape()), body);
            QCOMPARE(segment.group(), 2);
            QCOMPARE(segment.collisionType(), 0);
            QCOMPARE(segment.layers(), unsigned(CP_ALL_CATEGORIES));
            QCOMPARE(TestSupport::shapeCount(physics.space()), 1);
        }
        QCOMPARE(TestSupport::shapeCount(physics.space()), 0);
        cpBodyFree(body);
    }

    void segmentHasNoGraphics()
    {
        Physics physics(450);
        PhysicsSegment segment(&physics, 0, 0, 1, 1);
        QTest::ignoreMessage(QtDebugMsg, "PhysicsSegment::boundingRect - unimplemented mehtod called\n");
        QVERIFY(segment.boundingRect().isNull());
    }
};

QTEST_MAIN(TestPhysicsObjects)
#include "tst_physicsobjects.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The bike's construction, controls, crash detection, reset and teardown.

#include "testbed.h"

#include "physics/ballitem.h"
#include "physics/boxitem.h"
#include "physics/particleitem.h"
#include "physics/particlesystemitem.h"
#include "physics/physicsconventions.h"
#include "vehicle/bikepainter.h"
#include "vehicle/riderragdollitem.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

namespace {
struct SpaceCount
{
    int bodies = 0;
    int shapes = 0;
    int constraints = 0;
};

SpaceCount countSpace(cpSpace *space)
{
    SpaceCount n;
    cpSpaceEachBody(
        space, [](cpBody *, void *d) { ++static_cast<SpaceCount *>(d)->bodies; }, &n);
    cpSpaceEachShape(
        space, [](cpShape *, void *d) { ++static_cast<SpaceCount *>(d)->shapes; }, &n);
    cpSpaceEachConstraint(
        space, [](cpConstraint *, void *d) { ++static_cast<SpaceCount *>(d)->constraints; }, &n);
    return n;
}

// Steps the bike's control often enough to leave the no-kick window.
void leaveNoKickWindow(BikeItem *bike)
{
    for (int i = 0; i < 10; ++i)
        bike->stepUpdate();
}
} // namespace

class TestBikeItem : public QObject
{
    Q_OBJECT
private slots:
    void construction();
    void setBodyPosPlacesTheParts();
    void brakeMotor();
    void tiltClampsAndReturns();
    void kickThresholds();
    void driveNeedsADirection();
    void engineShakeOscillatesAboveDriveLimit();
    void crashCounterSignalsEvery226Steps();
    void groundContactBookkeeping();
    void releaseOutsideAStepBuildsAtOnce();
    void resetAfterCrash();
    void frontmostXIncludesTheRagdoll();
    void hardHitWithoutCrashFromSpinChange();
    void teardownInAnyOrder_data();
    void teardownInAnyOrder();
    void painterLeanAngle();
    void painterDrawsTheRiderOnlyWhileOn();
};

// What the rest of the game relies on from a new bike; its tuning values
// are checked by the golden rides, bit for bit.
void TestBikeItem::construction()
{
    TestBed bed;
    BikeItem *bike = bed.bike;
    QVERIFY(!bike->isVisible());
    QVERIFY(!bike->isMotorAdded());
    QVERIFY(bike->isActive());
    // The collision callbacks tell frame, wheels and head apart by these.
    QCOMPARE(bike->collisionType(), int(CollisionFrame));
    QCOMPARE(bike->frontWheel()->collisionType(), int(CollisionWheel));
    QCOMPARE(bike->rearWheel()->collisionType(), int(CollisionWheel));
    QCOMPARE(cpShapeGetCollisionType(bike->headShape()), cpCollisionType(CollisionHead));
    QCOMPARE(qgraphicsitem_cast<BikeItem *>(static_cast<QGraphicsItem *>(bike)), bike);
    bike->setBikeVisible(true);
    QVERIFY(bike->isVisible() && bike->frontWheel()->isVisible() && bike->rearWheel()->isVisible());
    QVERIFY(!bike->riderMass()->isVisible());
}

void TestBikeItem::setBodyPosPlacesTheParts()
{
    TestBed bed;
    bed.bike->setBodyPos(100, 200);
    QCOMPARE(bed.bike->bodyX(), 100.0);
    QVERIFY(qFuzzyCompare(bed.bike->frontWheel()->bodyX(), 133.6));
    QVERIFY(qFuzzyCompare(bed.bike->frontWheel()->bodyY(), 220.8));
    QVERIFY(qFuzzyCompare(bed.bike->rearWheel()->bodyX(), 68.0));
    QVERIFY(qFuzzyCompare(bed.bike->rearWheel()->bodyY(), 222.4));
    QVERIFY(qFuzzyCompare(bed.bike->riderMass()->bodyX() + 1.0, 101.0));
    QVERIFY(qFuzzyCompare(bed.bike->riderMass()->bodyY(), 190.0));
    QCOMPARE(bed.bike->frontWheel()->pos(),
        QPointF(bed.bike->frontWheel()->bodyX(), bed.bike->frontWheel()->bodyY()));
}

void TestBikeItem::brakeMotor()
{
    TestBed bed;
    const int base = countSpace(bed.physics->space()).constraints;
    bed.bike->setBrake(0.0);
    QVERIFY(!bed.bike->isMotorAdded());
    bed.bike->setBrake(0.5);
    QVERIFY(!bed.bike->isMotorAdded());
    bed.bike->setBrake(1.0);
    bed.bike->setBrake(1.0);
    QVERIFY(bed.bike->isMotorAdded());
    QCOMPARE(countSpace(bed.physics->space()).constraints, base + 1);
    bed.bike->setBrake(0.0);
    QCOMPARE(countSpace(bed.physics->space()).constraints, base);
    // After a crash the brake does nothing.
    bed.bike->releaseRagdoll();
    bed.bike->setBrake(1.0);
    QVERIFY(!bed.bike->isMotorAdded());
}

void TestBikeItem::tiltClampsAndReturns()
{
    TestBed bed;
    for (int i = 0; i < 3; ++i)
        bed.bike->addRiderTilt(0.5);
    QCOMPARE(bed.bike->tilt(), 1.0);
    bed.bike->addRiderTilt(-3.0);
    QCOMPARE(bed.bike->tilt(), -1.0);

    // Released buttons: the tilt springs back by 0.1 per sync without
    // passing zero.
    bed.bike->setTiltSpeed(0.0);
    bed.bike->setRiderTilt(-0.05, 2.5, false);
    bed.bike->updateFromBody();
    QCOMPARE(bed.bike->tilt(), 0.0);
    bed.bike->setRiderTilt(0.25, -12.5, false);
    bed.bike->updateFromBody();
    QVERIFY(std::fabs(bed.bike->tilt() - 0.15) < 1e-6);

    // A held button keeps the tilt where it is at sync.
    bed.bike->setTiltSpeed(0.033f);
    bed.bike->updateFromBody();
    QVERIFY(std::fabs(bed.bike->tilt() - 0.15) < 1e-6);
}

void TestBikeItem::kickThresholds()
{
    struct Case
    {
        qreal from;
        qreal to;
        bool buttons;
        bool kicks;
    };
    // Changes of lean angle in degrees; below 3.5 degrees of lean only a
    // change of at least the single-precision 0.3 kicks. Beyond 3.5 an
    // analogue lean (buttons never used) pushes even without a change.
    const Case cases[] = {{0.0, 0.2, true, false}, {0.0, 0.3, true, false}, {0.0, 0.31, true, true},
        {0.0, -0.31, true, true}, {3.0, 3.2, true, false}, {3.6, 3.6, true, false}, {3.6, 3.6, false, true},
        {-3.6, -3.6, false, true}};
    for (const Case &c : cases) {
        TestBed bed;
        if (c.buttons)
            bed.bike->setTiltSpeed(0.0);
        leaveNoKickWindow(bed.bike);
        bed.bike->setRiderTilt(0.0, c.from, false);
        const qreal before = bed.bike->angularVelocity();
        bed.bike->setRiderTilt(0.0, c.to, true);
        const bool kicked = bed.bike->angularVelocity() != before;
        QVERIFY2(kicked == c.kicks, qPrintable(QStringLiteral("%1 -> %2").arg(c.from).arg(c.to)));
    }

    // The size: going from lean 0 to -1 (d = 1, against the lean) gives
    // X = 95 * (1 + 1/80), an angular impulse of -30 X.
    TestBed bed;
    bed.bike->setTiltSpeed(0.0);
    leaveNoKickWindow(bed.bike);
    bed.bike->setRiderTilt(0.0, 0.0, false);
    const qreal moment = cpBodyGetMoment(bed.bike->body());
    bed.bike->setRiderTilt(0.0, -1.0, true);
    const qreal expected = -30.0 * 95.0 * (1.0 + 1.0 / 80.0) / moment;
    QVERIFY(std::fabs(bed.bike->angularVelocity() - expected) < 1e-9);
    // Back from -1 to 0 (d = -1, with the lean): X = -95 * 0.38.
    bed.bike->setRiderTilt(0.0, -2.0, false);
    const qreal before = bed.bike->angularVelocity();
    bed.bike->setRiderTilt(0.0, -1.0, true);
    QVERIFY(std::fabs(bed.bike->angularVelocity() - before - 30.0 * 95.0 * double(0.38f) / moment) < 1e-9);
}

void TestBikeItem::driveNeedsADirection()
{
    TestBed bed; // everything at rest: the rear wheel has no direction
    bed.bike->setThrottle(1.0);
    bed.bike->stepUpdate();
    QCOMPARE(bed.bike->rearWheel()->angularVelocity(), 0.0);
    QCOMPARE(bed.bike->rearWheel()->velocityX(), 0.0);
    QVERIFY(bed.bike->engineShake() != 0.0f);
    // Moving, the wheel gets its impulse: spin += 118 * r / moment.
    bed.bike->rearWheel()->setVelocity(10.0, 0.0);
    bed.bike->stepUpdate();
    const qreal moment = cpBodyGetMoment(bed.bike->rearWheel()->body());
    QVERIFY(std::fabs(bed.bike->rearWheel()->angularVelocity() - 118.0 * 20.0 / moment) < 1e-9);
}

void TestBikeItem::engineShakeOscillatesAboveDriveLimit()
{
    TestBed bed;
    bed.bike->setThrottle(1.0);
    float low = 0.0f;
    float high = 0.0f;
    for (int i = 0; i < 40; ++i) {
        bed.bike->rearWheel()->setVelocity(10.0, 0.0);
        bed.bike->rearWheel()->setAngularVelocity(119.0);
        bed.bike->stepUpdate();
        QCOMPARE(bed.bike->rearWheel()->angularVelocity(), 119.0); // no drive above 118
        low = std::min(low, bed.bike->engineShake());
        high = std::max(high, bed.bike->engineShake());
    }
    QVERIFY(high > 10.0f && low < -10.0f);
    QVERIFY(high < 14.0f && low > -14.0f);
}

void TestBikeItem::crashCounterSignalsEvery226Steps()
{
    TestBed bed;
    bed.bike->releaseRagdoll();
    QSignalSpy lost(bed.bike, &BikeItem::permanentlyGroundHitted);
    bed.bike->setThrottle(1.0);
    for (int i = 1; i <= 452; ++i) {
        bed.bike->stepUpdate();
        if (i == 225)
            QCOMPARE(lost.count(), 0);
        if (i == 226)
            QCOMPARE(lost.count(), 1);
    }
    QCOMPARE(lost.count(), 2);
    QCOMPARE(bed.bike->rearWheel()->angularVelocity(), 0.0); // no drive while crashed
}

void TestBikeItem::groundContactBookkeeping()
{
    TestBed bed;
    QSignalSpy lost(bed.bike, &BikeItem::permanentlyGroundHitted);
    for (int i = 1; i <= 90; ++i) {
        bed.bike->setChassisGroundContact(true);
        bed.bike->advance(1);
    }
    QCOMPARE(lost.count(), 0);
    QCOMPARE(bed.bike->groundContactCounter(), 1080);
    // Brief lifts decay one count per step.
    bed.bike->advance(1);
    QCOMPARE(bed.bike->groundContactCounter(), 1079);
    bed.bike->setChassisGroundContact(true);
    bed.bike->advance(1);
    QCOMPARE(lost.count(), 1);
    QCOMPARE(bed.bike->groundContactCounter(), 0);
    bed.bike->advance(1);
    QCOMPARE(bed.bike->groundContactCounter(), 0);

    // The frame resting on terrain between the wheels sets the contact
    // through the collision callback: 91 steps of it end the run.
    TestBed stuck;
    stuck.addFlatGround(500);
    stuck.addGround(-8, 453, 8, 453);
    stuck.placeOnGround(0, 500);
    QSignalSpy stuckLost(stuck.bike, &BikeItem::permanentlyGroundHitted);
    stuck.step(95);
    QCOMPARE(stuckLost.count(), 1);
}

void TestBikeItem::releaseOutsideAStepBuildsAtOnce()
{
    TestBed bed;
    bed.bike->setBodyPos(0, 0);
    bed.bike->releaseRagdoll();
    QVERIFY(bed.bike->hasRagdoll());
    QVERIFY(!bed.bike->isActive());
    const cpShapeFilter f = cpShapeGetFilter(bed.bike->headShape());
    QCOMPARE(f.group, cpGroup(0));
    QCOMPARE(f.categories, cpBitmask(0));
    QCOMPARE(cpShapeGetCollisionType(bed.bike->headShape()), cpCollisionType(0));
    // A second release does nothing: the rider is already off.
    RiderRagdollItem *first = bed.bike->ragdoll();
    bed.bike->crash();
    QCOMPARE(bed.bike->ragdoll(), first);
    // Controls are dead while crashed.
    const qreal tilt = bed.bike->tilt();
    bed.bike->setRiderTilt(0.7, -40, true);
    QCOMPARE(bed.bike->tilt(), tilt);
}

void TestBikeItem::resetAfterCrash()
{
    TestBed bed;
    bed.addFlatGround(500);
    bed.placeOnGround(0, 500);
    bed.bike->setThrottle(1.0);
    bed.step(40);
    const SpaceCount riding = countSpace(bed.physics->space());
    bed.bike->releaseRagdoll();
    QVERIFY(countSpace(bed.physics->space()).bodies == riding.bodies + 4);
    bed.bike->resetToInitial();
    QVERIFY(bed.bike->isActive());
    QVERIFY(!bed.bike->hasRagdoll());
    QCOMPARE(bed.bike->throttle(), 0.0);
    QCOMPARE(bed.bike->stepCounter(), 0);
    QCOMPARE(cpShapeGetCollisionType(bed.bike->headShape()), cpCollisionType(CollisionHead));
    QCOMPARE(shapeGroup(bed.bike->headShape()), cpGroup(1));
    QCOMPARE(shapeLayers(bed.bike->headShape()), cpBitmask(17));
    const SpaceCount after = countSpace(bed.physics->space());
    QCOMPARE(after.bodies, riding.bodies);
    QCOMPARE(after.constraints, riding.constraints);
    QCOMPARE(bed.bike->bodyX(), 0.0); // the stored start pose
    QCOMPARE(bed.bike->velocityX(), 0.0);
    // Live mud dies at the next advance.
    bed.scene.advance();
    for (auto *p : bed.bike->particleSystem()->particles())
        QVERIFY(!p->isAlive());
}

void TestBikeItem::frontmostXIncludesTheRagdoll()
{
    TestBed bed;
    bed.bike->setBodyPos(0, 0);
    QVERIFY(qFuzzyCompare(bed.bike->frontmostX(), 33.6));
    bed.bike->releaseRagdoll();
    bed.bike->ragdoll()->setBodyPos(500, 0);
    QCOMPARE(bed.bike->frontmostX(), 500.0);
}

void TestBikeItem::hardHitWithoutCrashFromSpinChange()
{
    // Spin changes count in whole rad/s: 9 emits, 12 crashes.
    for (const qreal dw : {8.9, 9.5, 12.0}) {
        TestBed bed;
        bed.bike->setBodyPos(0, 0);
        QSignalSpy hits(bed.bike, &BikeItem::hardCollisionDetected);
        bed.bike->updateFromBody();
        bed.bike->updateFromBody();
        bed.bike->updateFromBody();
        cpBodySetAngularVelocity(bed.bike->body(), dw);
        bed.bike->updateFromBody();
        QCOMPARE(hits.count(), dw >= 9.0 ? 1 : 0);
        QCOMPARE(bed.bike->hasRagdoll(), dw >= 12.0);
    }
}

void TestBikeItem::teardownInAnyOrder_data()
{
    QTest::addColumn<QString>("first");
    QTest::newRow("bike") << "bike";
    QTest::newRow("front wheel") << "front";
    QTest::newRow("rider mass") << "mass";
    QTest::newRow("mud") << "mud";
    QTest::newRow("ragdoll") << "ragdoll";
    QTest::newRow("ragdoll limb") << "limb";
    QTest::newRow("scene") << "scene";
}

// The scene may delete the bike's items in any order; nothing may touch a
// freed body (the ASan build checks), and the bike leaves nothing behind.
void TestBikeItem::teardownInAnyOrder()
{
    QFETCH(QString, first);
    Physics physics(450);
    const SpaceCount empty = countSpace(physics.space());
    {
        QGraphicsScene scene;
        auto *bike = new BikeItem(&physics, &scene, nullptr, 75, 5);
        bike->setBodyPos(0, 0);
        bike->setBrake(1.0);
        bike->releaseRagdoll();
        physics.update();
        if (first == "bike") {
            delete bike;
        } else if (first == "front") {
            delete bike->frontWheel();
            physics.update();
            delete bike;
        } else if (first == "mass") {
            delete bike->riderMass();
            physics.update();
            delete bike;
        } else if (first == "mud") {
            delete bike->particleSystem();
            bike->emitMudParticle(0, 0, 0, 10);
            bike->updateFromBody();
            delete bike;
        } else if (first == "ragdoll") {
            delete bike->ragdoll();
            QVERIFY(!bike->hasRagdoll());
            physics.update();
            delete bike;
        } else if (first == "limb") {
            delete bike->ragdoll()->shin();
            physics.update();
            delete bike;
        } else {
            // The scene goes first and deletes everything in its own order.
        }
        if (first != "scene") {
            const SpaceCount left = countSpace(physics.space());
            QCOMPARE(left.constraints, empty.constraints);
            QCOMPARE(left.shapes, empty.shapes);
            QCOMPARE(left.bodies, empty.bodies);
            QVERIFY(scene.items().isEmpty());
        }
    }
    QCOMPARE(countSpace(physics.space()).bodies, empty.bodies);
}

void TestBikeItem::painterLeanAngle()
{
    // Rider mass straight above the frame origin: line angle 90, a = 96.
    QCOMPARE(BikePainter::leanAngle(QPointF(0, -10)), 96.0);
    QCOMPARE(BikePainter::leanAngle(QPointF(0, -8)), 96.0);
    QCOMPARE(BikePainter::leanAngle(QPointF(10, 0)), 24.0);
}

namespace {
QImage paintBike(const BikePainter &painter, QPointF riderMass, float shake, bool riderOn)
{
    QImage image(240, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.translate(120, 110);
    painter.paint(&p, QPointF(33.6, 20.8), QPointF(-32, 22.4), riderMass, shake, riderOn);
    return image;
}

int differingPixels(const QImage &a, const QImage &b, QRect *where = nullptr)
{
    int n = 0;
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                ++n;
                box |= QRect(x, y, 1, 1);
            }
    if (where)
        *where = box;
    return n;
}
} // namespace

void TestBikeItem::painterDrawsTheRiderOnlyWhileOn()
{
    TestBed bed; // an application for the pixmaps
    BikePainter painter;
    QVERIFY(!painter.riderBody().isNull());
    const QImage on = paintBike(painter, QPointF(0, -14), 0.0f, true);
    const QImage off = paintBike(painter, QPointF(0, -14), 0.0f, false);
    QRect rider;
    QVERIFY(differingPixels(on, off, &rider) > 500);
    // The rider sits above the frame's middle.
    QVERIFY(rider.top() < 110 - 40);
    QVERIFY(rider.center().x() > 120 - 40 && rider.center().x() < 120 + 40);
    // Without the rider, his mass and the shake change nothing.
    QCOMPARE(differingPixels(off, paintBike(painter, QPointF(5, -20), 7.0f, false)), 0);
    // The engine shake moves the legs only, below the rider's hips.
    QRect legs;
    QVERIFY(differingPixels(on, paintBike(painter, QPointF(0, -14), 8.0f, true), &legs) > 20);
    QVERIFY(legs.top() > rider.top() + 20);
}

QTEST_MAIN(TestBikeItem)
#include "tst_bikeitem.moc"

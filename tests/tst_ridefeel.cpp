// SPDX-License-Identifier: GPL-3.0-or-later
// How the bike rides on the physics library we build with: settling,
// throttle, braking, drops, lean kicks, crash thresholds, mud, determinism.
// Each scenario asserts a range, not an exact float.

#include "testbed.h"

#include "levels/level.h"
#include "physics/ballitem.h"
#include "physics/particleitem.h"
#include "physics/particlesystemitem.h"
#include "physics/physicsconventions.h"
#include "vehicle/riderragdollitem.h"
#include "world/inputtimeline.h"

#include <QSignalSpy>
#include <QtTest>
#include <algorithm>
#include <cmath>

namespace {
// The flat test level (levels/sources/test/vehicle-95-01-flat.json): ground
// at y 0 from x -250 to 9500.
constexpr int kFlatPack = 95;
constexpr int kFlatLevel = 1;
constexpr qreal kGroundY = 0.0;
constexpr int kStepsPerSecond = 52;

// Adds dv to the velocity of every body of the bike (frame, wheels, rider
// mass), as a hit on the whole bike would: no joint takes any of it back.
void kickWholeBike(BikeItem *bike, qreal dvx, qreal dvy)
{
    for (PhysicsItem *item :
        {static_cast<PhysicsItem *>(bike), static_cast<PhysicsItem *>(bike->frontWheel()),
            static_cast<PhysicsItem *>(bike->rearWheel()), static_cast<PhysicsItem *>(bike->riderMass())})
        item->PhysicsItem::setVelocity(item->velocityX() + dvx, item->velocityY() + dvy);
}

void loadFlat(TestBed &bed)
{
    const Level *level = bed.loadTestLevel(kFlatPack, kFlatLevel);
    QVERIFY(level->levelNumber() == kFlatLevel && !level->physicsItems().isEmpty());
}

QByteArray ride(const InputTimeline &timeline, int steps)
{
    TestBed bed;
    loadFlat(bed);
    bed.addGround(600, kGroundY, 900, kGroundY - 60);
    bed.placeOnGround(0, kGroundY);
    QByteArray trace;
    int cursor = 0;
    for (int i = 0; i < steps; ++i) {
        timeline.applyDue(bed.sim->stepCount(), bed.bike, &cursor);
        bed.step();
        const double row[] = {bed.bike->bodyX(), bed.bike->bodyY(), bed.bike->bodyAngle(),
            bed.bike->velocityX(), bed.bike->velocityY(), bed.bike->angularVelocity(),
            bed.bike->rearWheel()->angularVelocity(), bed.bike->frontmostX()};
        trace.append(reinterpret_cast<const char *>(row), sizeof row);
    }
    return trace;
}
} // namespace

class TestRideFeel : public QObject
{
    Q_OBJECT
private slots:
    void standingStillSettles();
    void fullThrottleAcceleratesSteadily();
    void wheelSpinNeverExceedsLimit();
    void brakingStopsWithoutThrowingTheRider();
    void levelDropIsNoCrash();
    void landingOnTheHeadCrashes();
    void leanKicksTheFrame();
    void noKickInTheFirstNineSteps();
    void velocityJumpThresholds_data();
    void velocityJumpThresholds();
    void objectOnTheHeadCrashes();
    void spinningRearWheelThrowsMud();
    void frontWheelNeverThrowsMud();
    void sameTimelineSameTrace();
};

void TestRideFeel::standingStillSettles()
{
    TestBed bed;
    loadFlat(bed);
    bed.placeOnGround(0, kGroundY);
    bed.step(2 * kStepsPerSecond);
    qreal minAngle = bed.bike->bodyAngle();
    qreal maxAngle = minAngle;
    for (int i = 0; i < kStepsPerSecond; ++i) {
        bed.step();
        minAngle = std::min(minAngle, bed.bike->bodyAngle());
        maxAngle = std::max(maxAngle, bed.bike->bodyAngle());
    }
    QVERIFY2(maxAngle - minAngle < 0.5, qPrintable(QString::number(maxAngle - minAngle)));
    QVERIFY(std::fabs(bed.bike->bodyAngle()) < 10.0);
    QVERIFY(std::fabs(bed.bike->velocityY()) < 1.0);
    QVERIFY(bed.bike->isActive());
    // Both wheels on the ground, the frame above them.
    QVERIFY(std::fabs(bed.bike->rearWheel()->bodyY() - (kGroundY - 21.0)) < 2.0);
    QVERIFY(std::fabs(bed.bike->frontWheel()->bodyY() - (kGroundY - 21.0)) < 2.0);
}

void TestRideFeel::fullThrottleAcceleratesSteadily()
{
    TestBed bed;
    loadFlat(bed);
    bed.placeOnGround(0, kGroundY);
    bed.step(kStepsPerSecond);
    bed.bike->setThrottle(1.0);
    qreal lastVx = bed.bike->velocityX();
    qreal minAngle = 0.0;
    for (int second = 0; second < 4; ++second) {
        for (int i = 0; i < kStepsPerSecond; ++i) {
            bed.step();
            minAngle = std::min(minAngle, bed.bike->bodyAngle());
        }
        const qreal gain = bed.bike->velocityX() - lastVx;
        // Faster every second, by a sane amount (units/s per second).
        QVERIFY2(gain > 50.0 && gain < 1500.0, qPrintable(QString::number(gain)));
        lastVx = bed.bike->velocityX();
    }
    // Nose up (negative angle) stays far from a backward flip.
    QVERIFY2(minAngle > -45.0, qPrintable(QString::number(minAngle)));
    QVERIFY(bed.bike->isActive());
}

void TestRideFeel::wheelSpinNeverExceedsLimit()
{
    TestBed bed;
    loadFlat(bed);
    bed.placeOnGround(0, kGroundY);
    bed.bike->setThrottle(1.0);
    qreal maxSpin = 0.0;
    for (int i = 0; i < 30 * kStepsPerSecond && bed.bike->isActive(); ++i) {
        bed.step();
        maxSpin = std::max(maxSpin, std::fabs(bed.bike->rearWheel()->angularVelocity()));
    }
    QVERIFY2(maxSpin > 90.0, qPrintable(QString::number(maxSpin)));
    QVERIFY2(maxSpin <= 120.0, qPrintable(QString::number(maxSpin, 'g', 17)));

    // In the air nothing holds the wheel back but the limit.
    TestBed air;
    air.placeOnGround(0, kGroundY);
    air.bike->setThrottle(1.0);
    maxSpin = 0.0;
    for (int i = 0; i < kStepsPerSecond; ++i) {
        air.step();
        maxSpin = std::max(maxSpin, std::fabs(air.bike->rearWheel()->angularVelocity()));
    }
    QVERIFY2(maxSpin <= 120.0, qPrintable(QString::number(maxSpin, 'g', 17)));
    QVERIFY(maxSpin > 115.0);
}

void TestRideFeel::brakingStopsWithoutThrowingTheRider()
{
    TestBed bed;
    loadFlat(bed);
    bed.placeOnGround(0, kGroundY);
    // About 300 units/s. (From much above 400 a locked front wheel throws
    // the bike over its nose, as hard braking at speed should.)
    bed.bike->setThrottle(1.0);
    bed.step(80);
    const qreal speed = bed.bike->velocityX();
    QVERIFY(speed > 250.0);
    const qreal brakeX = bed.bike->bodyX();
    InputTimeline::apply({0, InputTimeline::Control::Brake, 1.0}, bed.bike);
    int steps = 0;
    while (bed.bike->velocityX() > 1.0 && steps < 10 * kStepsPerSecond) {
        bed.step();
        ++steps;
        QVERIFY(bed.bike->isActive());
    }
    bed.step(kStepsPerSecond);
    QVERIFY(bed.bike->isActive());
    QVERIFY(!bed.bike->hasRagdoll());
    QVERIFY2(std::fabs(bed.bike->velocityX()) < 5.0, qPrintable(QString::number(bed.bike->velocityX())));
    const qreal distance = bed.bike->bodyX() - brakeX;
    // No further than about twice the distance of a stop at 1 g.
    QVERIFY2(distance > 0 && distance < speed * speed / 450.0, qPrintable(QString::number(distance)));
}

void TestRideFeel::levelDropIsNoCrash()
{
    TestBed bed;
    loadFlat(bed);
    bed.sim->restart(QPointF(0, kGroundY - kFrameAboveGround - 150.0));
    QSignalSpy hits(bed.bike, &BikeItem::hardCollisionDetected);
    bed.step(3 * kStepsPerSecond);
    QVERIFY(bed.bike->isActive());
    QVERIFY(!bed.bike->hasRagdoll());
    QVERIFY(std::fabs(bed.bike->bodyAngle()) < 15.0);
}

void TestRideFeel::landingOnTheHeadCrashes()
{
    TestBed bed;
    loadFlat(bed);
    // Upside down, head 60 units above the ground.
    bed.sim->restart(QPointF(0, kGroundY - 45.0 - 12.0 - 60.0));
    bed.bike->setBodyAngle(180.0);
    bed.bike->setBodyPos(0, kGroundY - 45.0 - 12.0 - 60.0);
    for (BallItem *wheel : {bed.bike->frontWheel(), bed.bike->rearWheel(), bed.bike->riderMass()}) {
        // Mirror the parts through the frame origin to match the turned frame.
        wheel->setBodyPos(2 * bed.bike->bodyX() - wheel->bodyX(), 2 * bed.bike->bodyY() - wheel->bodyY());
    }
    QSignalSpy lost(bed.bike, &BikeItem::permanentlyGroundHitted);
    int crashStep = -1;
    for (int i = 0; i < 2 * kStepsPerSecond && crashStep < 0; ++i) {
        bed.step();
        if (!bed.bike->isActive()) {
            crashStep = bed.sim->stepCount();
            // The ragdoll exists as soon as the crashing step is over.
            QVERIFY(bed.bike->hasRagdoll());
        }
    }
    QVERIFY2(crashStep > 0, "the rider never fell off");
    QCOMPARE(bed.bike->headShape() ? cpShapeGetCollisionType(bed.bike->headShape()) : 1u, 0u);
    bed.step(225);
    QCOMPARE(lost.count(), 0);
    bed.step();
    QCOMPARE(lost.count(), 1);
    bed.step(226);
    QCOMPARE(lost.count(), 2);
}

void TestRideFeel::leanKicksTheFrame()
{
    for (const qreal direction : {1.0, -1.0}) {
        TestBed bed;
        loadFlat(bed);
        bed.placeOnGround(0, kGroundY);
        bed.step(kStepsPerSecond);
        const qreal before = bed.bike->angularVelocity();
        // Lean back (direction 1): the frame turns nose up, counter-clockwise.
        InputTimeline::apply({0, InputTimeline::Control::Lean, -direction}, bed.bike);
        bed.bike->stepUpdate();
        const qreal after = bed.bike->angularVelocity();
        QVERIFY2(direction * (after - before) < -0.05, qPrintable(QString::number(after - before)));
    }
}

void TestRideFeel::noKickInTheFirstNineSteps()
{
    TestBed bed;
    loadFlat(bed);
    bed.placeOnGround(0, kGroundY);
    bed.bike->setTiltSpeed(0.033f);
    for (int i = 0; i < 12; ++i) {
        const qreal before = bed.bike->angularVelocity();
        const qreal tiltBefore = bed.bike->tilt();
        bed.bike->stepUpdate();
        const qreal change = bed.bike->angularVelocity() - before;
        QVERIFY(bed.bike->tilt() > tiltBefore);
        if (bed.bike->stepCounter() <= 9)
            QCOMPARE(change, 0.0);
        else
            QVERIFY2(change < -0.05, qPrintable(QString::number(change)));
        bed.physics->update();
        bed.scene.advance();
    }
}

void TestRideFeel::velocityJumpThresholds_data()
{
    QTest::addColumn<qreal>("jump");
    QTest::addColumn<bool>("hard");
    QTest::addColumn<bool>("crash");
    QTest::newRow("200: nothing") << 200.0 << false << false;
    QTest::newRow("300: hard hit") << 300.0 << true << false;
    QTest::newRow("330: crash") << 330.0 << true << true;
}

void TestRideFeel::velocityJumpThresholds()
{
    QFETCH(qreal, jump);
    QFETCH(bool, hard);
    QFETCH(bool, crash);
    TestBed bed; // no ground: the bike falls freely, only gravity acts
    bed.placeOnGround(0, kGroundY);
    bed.step(5);
    QSignalSpy hits(bed.bike, &BikeItem::hardCollisionDetected);
    kickWholeBike(bed.bike, jump, 0.0);
    bed.step(4);
    QCOMPARE(hits.count() > 0, hard);
    if (hard)
        QVERIFY(std::fabs(hits.first().at(0).toReal() - jump) < 5.0);
    QCOMPARE(!bed.bike->isActive(), crash);
    QCOMPARE(bed.bike->hasRagdoll(), crash);
}

void TestRideFeel::objectOnTheHeadCrashes()
{
    TestBed bed;
    loadFlat(bed);
    bed.placeOnGround(0, kGroundY);
    bed.step(kStepsPerSecond);
    QVERIFY(bed.bike->isActive());
    BallItem rock(bed.physics, 10.0, 5.0);
    rock.setCollisionType(CollisionObject);
    rock.setLayers(PhysicsLayers::Objects);
    const QPointF head = bed.bike->mapToScene(QPointF(-5, -45));
    rock.setBodyPos(head.x(), head.y() - 80.0);
    bed.scene.addItem(&rock);
    for (int i = 0; i < kStepsPerSecond && bed.bike->isActive(); ++i)
        bed.step();
    QVERIFY(!bed.bike->isActive());
    QVERIFY(bed.bike->hasRagdoll());
    bed.scene.removeItem(&rock);
}

void TestRideFeel::spinningRearWheelThrowsMud()
{
    TestBed bed;
    loadFlat(bed);
    // A wall just ahead of the front wheel: full throttle only spins the
    // rear wheel. (Accelerating freely on flat ground the tyre grips.)
    bed.addGround(58, kGroundY, 58, kGroundY - 300);
    bed.placeOnGround(0, kGroundY);
    bed.step(kStepsPerSecond);
    QCOMPARE(bed.bike->particleSystem()->particles().size(), 0);
    bed.bike->setThrottle(1.0);
    const auto &particles = bed.bike->particleSystem()->particles();
    int steps = 0;
    while (particles.isEmpty() && steps < kStepsPerSecond) {
        bed.step();
        ++steps;
    }
    QVERIFY(!particles.isEmpty());
    QVERIFY(bed.bike->rearWheel()->rimSpeed() - std::fabs(bed.bike->rearWheel()->velocityX()) > 8.0);
    // Just launched: at the rear tyre's contact, above the ground.
    const BallItem *rear = bed.bike->rearWheel();
    for (ParticleItem *p : particles) {
        QVERIFY(p->isAlive());
        QVERIFY(p->bodyY() < kGroundY);
        QVERIFY(p->bodyY() > rear->bodyY());
        QVERIFY(std::fabs(p->bodyX() - rear->bodyX()) < rear->radius() + 5.0);
    }
    bed.step(kStepsPerSecond);
    QVERIFY(particles.size() > 10);
}

void TestRideFeel::frontWheelNeverThrowsMud()
{
    TestBed bed;
    loadFlat(bed);
    bed.placeOnGround(0, kGroundY);
    bed.step(kStepsPerSecond);
    for (int i = 0; i < kStepsPerSecond; ++i) {
        bed.bike->frontWheel()->setAngularVelocity(100.0);
        bed.step();
    }
    QCOMPARE(bed.bike->particleSystem()->particles().size(), 0);
}

void TestRideFeel::sameTimelineSameTrace()
{
    QString error;
    const auto timeline = InputTimeline::parse(QStringLiteral("0 throttle 1\n"
                                                              "60 lean -1\n"
                                                              "80 lean 0\n"
                                                              "120 lean 1\n"
                                                              "130 lean 0\n"
                                                              "200 brake 1\n"
                                                              "260 brake 0\n"
                                                              "261 throttle 0.5\n"),
        &error);
    QVERIFY2(timeline, qPrintable(error));
    const QByteArray first = ride(*timeline, 400);
    const QByteArray second = ride(*timeline, 400);
    QCOMPARE(first.size(), int(400 * 8 * sizeof(double)));
    QVERIFY(first == second);
}

QTEST_MAIN(TestRideFeel)
#include "tst_ridefeel.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The physics world: step, conventions (groups, layers, handlers), angle
// conversions, determinism and teardown.

#include "physics/physics.h"
#include "physics/physicsconventions.h"

#include <QtTest>
#include <cmath>
#include <cstring>

namespace {

cpBody *addBall(cpSpace *space, cpVect pos, cpFloat radius = 10.0, cpFloat mass = 1.0)
{
    cpBody *body = cpSpaceAddBody(space, cpBodyNew(mass, cpMomentForCircle(mass, 0, radius, cpvzero)));
    cpBodySetPosition(body, pos);
    cpShape *shape = cpSpaceAddShape(space, cpCircleShapeNew(body, radius, cpvzero));
    cpShapeSetFriction(shape, 0.9);
    return body;
}

cpShape *addGround(cpSpace *space, cpFloat y)
{
    cpShape *ground = cpSpaceAddShape(
        space, cpSegmentShapeNew(cpSpaceGetStaticBody(space), cpv(-1000, y), cpv(1000, y), 1.0));
    cpShapeSetFriction(ground, 1.0);
    cpShapeSetCollisionType(ground, CollisionTerrain);
    setShapeGroup(ground, PhysicsGroup::Terrain);
    setShapeLayers(ground, PhysicsLayers::Terrain);
    return ground;
}

struct HandlerLog
{
    int calls = 0;
    int firstTypeWrong = 0;
};

void postSolveLogger(cpArbiter *arb, cpSpace *, cpDataPointer data)
{
    auto *log = static_cast<HandlerLog *>(data);
    cpShape *a = nullptr;
    cpShape *b = nullptr;
    cpArbiterGetShapes(arb, &a, &b);
    ++log->calls;
    if (cpShapeGetCollisionType(a) != CollisionTerrain || cpShapeGetCollisionType(b) != CollisionWheel)
        ++log->firstTypeWrong;
}

// Runs a scene with a ground, a few balls and a box on a pivot, and returns
// every body's state as raw bytes.
QByteArray runDeterminismScene(int steps)
{
    Physics physics(450);
    cpSpace *space = physics.space();
    addGround(space, 300);
    QVector<cpBody *> bodies;
    for (int i = 0; i < 12; ++i)
        bodies.append(addBall(space, cpv(-200 + i * 31.0, 100 - i * 17.0), 8 + i % 4, 1 + i % 3));
    cpBody *box = cpSpaceAddBody(space, cpBodyNew(5.0, cpMomentForBox(5.0, 60, 10)));
    cpBodySetPosition(box, cpv(100, 0));
    cpSpaceAddShape(space, cpBoxShapeNew(box, 60, 10, 0));
    cpConstraint *pivot = cpSpaceAddConstraint(space, cpPivotJointNew(box, bodies[3], cpv(100, 0)));
    cpConstraintSetErrorBias(pivot, physics.biasForStepFraction(0.1));
    bodies.append(box);
    for (int i = 0; i < steps; ++i)
        physics.update();
    QByteArray state;
    for (cpBody *b : bodies) {
        const double v[6] = {cpBodyGetPosition(b).x, cpBodyGetPosition(b).y, cpBodyGetAngle(b),
            cpBodyGetVelocity(b).x, cpBodyGetVelocity(b).y, cpBodyGetAngularVelocity(b)};
        state.append(reinterpret_cast<const char *>(v), sizeof v);
    }
    return state;
}

} // namespace

class TestPhysics : public QObject
{
    Q_OBJECT
private slots:
    void fixedStepAndGravity()
    {
        Physics physics(450);
        QCOMPARE(physics.timeStep(), double(0.01923077f));
        cpBody *body = addBall(physics.space(), cpv(0, 0));
        physics.update();
        QCOMPARE(cpBodyGetVelocity(body).x, 0.0);
        QCOMPARE(cpBodyGetVelocity(body).y, 450.0 * double(0.01923077f));
    }

    void angleConversions()
    {
        QCOMPARE(radToDeg(3.14159), 180.0);
        QVERIFY(std::abs(radToDeg(M_PI) - 180.00015) < 0.00001);
        QCOMPARE(radToDeg(degToRad(90.0)), 90.0);
    }

    // A fraction corrected per step, turned into Chipmunk's per-second bias
    // and applied over one step, leaves exactly the rest of the error.
    void biasConversion()
    {
        Physics physics(450);
        const double left = std::pow(physics.biasForStepFraction(0.4), physics.timeStep());
        QVERIFY(std::abs(left - 0.6) < 1e-12);
        QVERIFY(
            std::abs(cpSpaceGetCollisionBias(physics.space()) - physics.biasForStepFraction(0.4)) < 1e-15);
    }

    void sameGroupNeverCollides()
    {
        Physics physics(450);
        cpSpace *space = physics.space();
        cpShape *ground = addGround(space, 100);
        setShapeGroup(ground, PhysicsGroup::Bike);
        cpBody *ball = addBall(space, cpv(0, 80));
        cpShape *ballShape = nullptr;
        cpBodyEachShape(
            ball, [](cpBody *, cpShape *s, void *d) { *static_cast<cpShape **>(d) = s; }, &ballShape);
        setShapeGroup(ballShape, PhysicsGroup::Bike);
        for (int i = 0; i < 100; ++i)
            physics.update();
        QVERIFY2(cpBodyGetPosition(ball).y > 150, "same group must pass through");

        // Different groups do collide.
        setShapeGroup(ballShape, PhysicsGroup::None);
        cpBodySetPosition(ball, cpv(0, 80));
        cpBodySetVelocity(ball, cpvzero);
        for (int i = 0; i < 100; ++i)
            physics.update();
        QVERIFY(std::abs(cpBodyGetPosition(ball).y - 89) < 2);
    }

    void disjointLayersNeverCollide()
    {
        Physics physics(450);
        cpSpace *space = physics.space();
        addGround(space, 100);
        cpBody *frame = addBall(space, cpv(0, 80));
        cpBody *wheel = addBall(space, cpv(50, 80));
        cpBodyEachShape(
            frame, [](cpBody *, cpShape *s, void *) { setShapeLayers(s, PhysicsLayers::SecondFrame); },
            nullptr);
        cpBodyEachShape(
            wheel, [](cpBody *, cpShape *s, void *) { setShapeLayers(s, PhysicsLayers::Wheels); }, nullptr);
        for (int i = 0; i < 100; ++i)
            physics.update();
        QVERIFY2(cpBodyGetPosition(frame).y > 150, "mask 2 falls through terrain of mask 17");
        QVERIFY2(cpBodyGetPosition(wheel).y < 95, "mask 17 rests on terrain of mask 17");
    }

    void handlerOrderIndependentOfInsertion_data()
    {
        QTest::addColumn<bool>("wheelFirst");
        QTest::newRow("terrain added first") << false;
        QTest::newRow("wheel added first") << true;
    }

    void handlerOrderIndependentOfInsertion()
    {
        QFETCH(bool, wheelFirst);
        Physics physics(450);
        cpSpace *space = physics.space();
        HandlerLog log;
        cpCollisionHandler *h = cpSpaceAddCollisionHandler(space, CollisionTerrain, CollisionWheel);
        h->postSolveFunc = postSolveLogger;
        h->userData = &log;
        auto addWheel = [&] {
            cpBody *b = addBall(space, cpv(0, 85));
            cpBodyEachShape(
                b, [](cpBody *, cpShape *s, void *) { cpShapeSetCollisionType(s, CollisionWheel); }, nullptr);
        };
        if (wheelFirst)
            addWheel();
        addGround(space, 100);
        if (!wheelFirst)
            addWheel();
        for (int i = 0; i < 20; ++i)
            physics.update();
        QVERIFY(log.calls > 0);
        QCOMPARE(log.firstTypeWrong, 0);
    }

    void determinism()
    {
        const QByteArray first = runDeterminismScene(2000);
        const QByteArray second = runDeterminismScene(2000);
        QCOMPARE(first.size(), 13 * 6 * int(sizeof(double)));
        QVERIFY(std::memcmp(first.constData(), second.constData(), first.size()) == 0);
        // And the scene did move: not a trivially equal state.
        QVERIFY(runDeterminismScene(10) != first);
    }

    // The world frees constraints, shapes and bodies still in it; shapes on a
    // static body that was never added are freed too, the body stays with its
    // owner. ASan reports any use after free here.
    void teardownFreesChildren()
    {
        cpBody *loose = cpBodyNewStatic();
        {
            Physics physics(450);
            cpSpace *space = physics.space();
            cpBody *a = addBall(space, cpv(0, 0));
            cpBody *b = addBall(space, cpv(30, 0));
            cpSpaceAddConstraint(space, cpPivotJointNew(a, b, cpv(15, 0)));
            cpSpaceAddConstraint(space, cpDampedSpringNew(a, b, cpvzero, cpvzero, 30, 100, 1));
            cpSpaceAddShape(space, cpSegmentShapeNew(loose, cpv(0, 50), cpv(100, 50), 1));
            for (int i = 0; i < 10; ++i)
                physics.update();
        }
        QCOMPARE(cpBodyGetType(loose), CP_BODY_TYPE_STATIC);
        cpBodyFree(loose);
    }
};

QTEST_GUILESS_MAIN(TestPhysics)
#include "tst_physics.moc"

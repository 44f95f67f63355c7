// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics.h"
#include "staticshapeindex.h"

#include <QVector>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {
// 1/kPhysicsStepsPerSecond s, rounded to single precision on purpose: it
// is the value the tuning was done with.
constexpr float kTimeStep = 0.01923077f;
constexpr int kSolverIterations = 6;
constexpr cpFloat kHashCellSize = 30.0;
constexpr int kHashCellCount = 1000;
// Fraction of a shape overlap pushed apart in one step.
constexpr double kContactBiasPerStep = 0.4;
// Pi as the rest of the game's angle conversions use it.
constexpr double kPi = 3.14159;

// Chipmunk prints a banner to stdout at its first space; keep stdout clean
// for tools that print machine-readable lines there.
cpSpace *newSpaceQuietly()
{
    static bool bannerShown = false;
    if (bannerShown)
        return cpSpaceNew();
    bannerShown = true;
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    FILE *devNull = std::fopen("/dev/null", "w");
    if (saved >= 0 && devNull)
        dup2(fileno(devNull), STDOUT_FILENO);
    cpSpace *space = cpSpaceNew();
    std::fflush(stdout);
    if (saved >= 0) {
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
    if (devNull)
        std::fclose(devNull);
    return space;
}
} // namespace

double radToDeg(double a)
{
    return 180.0 * a / kPi;
}
double degToRad(double d)
{
    return kPi * d / 180.0;
}

Physics::Physics(int gravity, QObject *parent)
    : QObject(parent)
    , m_step(kTimeStep)
{
    m_space = newSpaceQuietly();
    cpSpaceSetGravity(m_space, cpv(0.0, double(gravity)));
    cpSpaceSetIterations(m_space, kSolverIterations);
    StaticShapeIndex::install(m_space, kHashCellSize, kHashCellCount);
    cpSpaceSetCollisionBias(m_space, biasForStepFraction(kContactBiasPerStep));
}

Physics::~Physics()
{
    freeChildren();
    cpSpaceFree(m_space);
}

double Physics::biasForStepFraction(double fraction) const
{
    return std::pow(1.0 - fraction, 1.0 / m_step);
}

void Physics::update()
{
    cpSpaceStep(m_space, m_step);
}

// Frees whatever items left in the space. Constraints go first: removing one
// wakes both its bodies, so no body may be freed while a constraint still
// refers to it. Shapes go before their bodies. Only objects still in the
// space are touched; anything an item removed and freed itself is gone from
// these lists already.
void Physics::freeChildren()
{
    QVector<cpConstraint *> constraints;
    QVector<cpShape *> shapes;
    QVector<cpBody *> bodies;
    cpSpaceEachConstraint(
        m_space, [](cpConstraint *c, void *d) { static_cast<QVector<cpConstraint *> *>(d)->append(c); },
        &constraints);
    cpSpaceEachShape(
        m_space, [](cpShape *s, void *d) { static_cast<QVector<cpShape *> *>(d)->append(s); }, &shapes);
    cpSpaceEachBody(
        m_space, [](cpBody *b, void *d) { static_cast<QVector<cpBody *> *>(d)->append(b); }, &bodies);

    for (cpConstraint *c : constraints) {
        cpSpaceRemoveConstraint(m_space, c);
        cpConstraintFree(c);
    }
    for (cpShape *s : shapes) {
        cpSpaceRemoveShape(m_space, s);
        cpShapeFree(s);
    }
    for (cpBody *b : bodies) {
        cpSpaceRemoveBody(m_space, b);
        cpBodyFree(b);
    }
}

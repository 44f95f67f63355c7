// SPDX-License-Identifier: GPL-3.0-or-later
// Steps a scene of a few hundred shapes and reports microseconds per step.
// Usage: physicsbench [steps] [objects]

#include "physics/physics.h"
#include "physics/physicsconventions.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
constexpr int kDefaultSteps = 5000;
constexpr int kDefaultObjects = 300;
constexpr int kTerrainSegments = 100;
} // namespace

int main(int argc, char **argv)
{
    const int steps = argc > 1 ? std::atoi(argv[1]) : kDefaultSteps;
    const int objects = argc > 2 ? std::atoi(argv[2]) : kDefaultObjects;

    Physics physics(450);
    cpSpace *space = physics.space();
    cpBody *ground = cpSpaceGetStaticBody(space);
    // A bumpy terrain of segments, a valley so the objects pile up.
    for (int i = 0; i < kTerrainSegments; ++i) {
        const double x0 = -2000 + i * 40.0, x1 = x0 + 40.0;
        auto h = [](double x) { return 400 + 0.0002 * x * x + 15 * ((int(x) / 40) % 2); };
        cpShape *s = cpSpaceAddShape(space, cpSegmentShapeNew(ground, cpv(x0, h(x0)), cpv(x1, h(x1)), 1.0));
        cpShapeSetFriction(s, 1.0);
        cpShapeSetCollisionType(s, CollisionTerrain);
        setShapeLayers(s, PhysicsLayers::Terrain);
    }
    for (int i = 0; i < objects; ++i) {
        const double x = -600 + (i % 30) * 40.0, y = 300 - (i / 30) * 40.0;
        const double mass = 1.0 + i % 3;
        cpBody *b;
        cpShape *s;
        if (i % 2) {
            b = cpSpaceAddBody(space, cpBodyNew(mass, cpMomentForCircle(mass, 0, 12, cpvzero)));
            s = cpCircleShapeNew(b, 12, cpvzero);
        } else {
            b = cpSpaceAddBody(space, cpBodyNew(mass, cpMomentForBox(mass, 24, 24)));
            s = cpBoxShapeNew(b, 24, 24, 0);
        }
        cpBodySetPosition(b, cpv(x, y));
        cpSpaceAddShape(space, s);
        cpShapeSetFriction(s, 0.9);
        cpShapeSetCollisionType(s, CollisionObject);
        setShapeLayers(s, PhysicsLayers::Objects);
    }

    std::vector<double> samples;
    samples.reserve(steps);
    QElapsedTimer timer;
    for (int i = 0; i < steps; ++i) {
        timer.start();
        physics.update();
        samples.push_back(timer.nsecsElapsed() / 1000.0);
    }
    std::sort(samples.begin(), samples.end());
    double total = 0;
    for (double s : samples)
        total += s;
    std::printf(
        "physicsbench: %d shapes, %d steps: median %.1f us/step, mean %.1f us/step, p95 %.1f us/step\n",
        objects + kTerrainSegments, steps, samples[samples.size() / 2], total / samples.size(),
        samples[samples.size() * 95 / 100]);
    return 0;
}

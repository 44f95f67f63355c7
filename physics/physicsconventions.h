// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PHYSICSCONVENTIONS_H
#define PHYSICSCONVENTIONS_H

// Codes shared by every item that puts shapes into the physics world.
// Units: scene units (= physics units), y down, seconds, radians in bodies.

#include <chipmunk/chipmunk.h>

// Timing. Three rates meet here and are kept apart on purpose:
// - the physics world advances 1/kPhysicsStepsPerSecond s of simulated time
//   per step (Physics' step, in single precision: 0.01923077 s);
// - the game's timer fires every kTickMs of wall time (1000/49, cut to
//   20 ms) and takes physicsStepsPerTick steps, so a run plays at 50 steps
//   per wall second, a little slower than the physics' own time;
// - the run clock counts SimulationStep::kStepsPerRunSecond (55) steps to a
//   shown second, so the clock runs faster than the physics' time; the
//   goal times and every stored result are in these seconds.
// None of them may change without changing every stored time and ride.
constexpr int kPhysicsStepsPerSecond = 52;
constexpr int kTicksPerSecond = 49;
constexpr int kTickMs = 1000 / kTicksPerSecond;

// Simulation steps taken per game tick. A program-wide setting that
// nothing changes; the game loop, the bike and the mud particles read it.
constexpr int physicsStepsPerTick = 1;

// Collision types (cpShape collision_type). Handlers are registered per pair.
enum CollisionType : cpCollisionType {
    CollisionDefault = 0, // frame's second polygon, knee, rider mass, mud, ragdoll
    CollisionTerrain = 1,
    CollisionFrame = 3, // the bike's main frame polygon
    CollisionHead = 5, // rider's head while he is on the bike
    CollisionWheel = 6,
    CollisionObject = 8, // everything loaded from a level
};

// Groups: shapes of the same non-zero group never collide.
namespace PhysicsGroup {
constexpr cpGroup None = 0;
constexpr cpGroup Bike = 1; // frame, head, wheels, mud particles
constexpr cpGroup Terrain = 2;
constexpr cpGroup RiderMass = 3; // rider mass and the knee circle
constexpr cpGroup Ragdoll = 4;
} // namespace PhysicsGroup

// Layer masks: two shapes collide only when their masks share a bit.
namespace PhysicsLayers {
constexpr cpBitmask Terrain = 17;
constexpr cpBitmask Objects = 17;
constexpr cpBitmask Wheels = 17;
constexpr cpBitmask Head = 17;
constexpr cpBitmask MainFrame = 5;
constexpr cpBitmask SecondFrame = 2;
constexpr cpBitmask RiderMass = 4;
constexpr cpBitmask RagdollTorso = 9;
constexpr cpBitmask RagdollLimbs = 16;
constexpr cpBitmask All = CP_ALL_CATEGORIES;
} // namespace PhysicsLayers

// Group and layers live together in Chipmunk's shape filter; a layer mask is
// both the shape's categories and its mask, which keeps the rule "collide
// only when the masks share a bit".
inline void setShapeGroup(cpShape *shape, cpGroup group)
{
    cpShapeFilter f = cpShapeGetFilter(shape);
    f.group = group;
    cpShapeSetFilter(shape, f);
}

inline void setShapeLayers(cpShape *shape, cpBitmask layers)
{
    cpShapeFilter f = cpShapeGetFilter(shape);
    f.categories = layers;
    f.mask = layers;
    cpShapeSetFilter(shape, f);
}

inline cpGroup shapeGroup(const cpShape *shape)
{
    return cpShapeGetFilter(shape).group;
}
inline cpBitmask shapeLayers(const cpShape *shape)
{
    return cpShapeGetFilter(shape).categories;
}

#endif

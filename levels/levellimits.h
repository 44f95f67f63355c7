// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELLIMITS_H
#define LEVELLIMITS_H

// Bounds on level data, shared by the level compiler (which rejects sources
// outside them) and the loader (which skips rows outside them, since a
// delivered levels.db may come from elsewhere). levels/README.md lists them
// with their reasons. Chipmunk aborts on NaN or huge angles, on bodies
// without moment (a tiny box) and on negative mass, friction or elasticity;
// an elasticity above 1 adds energy on every contact until the world blows
// up; its spatial hash walks every cell a shape covers, and objects heaped on
// one spot make every step solve all their contacts with each other.
#include <cmath>

namespace LevelLimits {
// Largest |x| or |y| of any point, scene units.
constexpr double maxCoordinate = 100000.0;
// Smallest and largest width, height or diameter of a ball or box, scene
// units (the thinnest shipped board is 12).
constexpr double minObjectSize = 1.0;
constexpr double maxObjectSize = 10000.0;
// Largest |angle| of a placed object, degrees.
constexpr double maxAngle = 360.0;
// Mass of a ball or box (the bike's frame weighs 13). A static object's
// stored mass may also be 0 (its body never moves).
constexpr double minMass = 0.01;
constexpr double maxMass = 1000.0;
// Bounciness (elasticity): 0 dead, 1 loses no energy in a bounce.
constexpr double maxBounciness = 1.0;
// Friction coefficient: 0 ice, terrain uses 1.
constexpr double maxFriction = 10.0;
// Placed objects per level (the shipped levels use at most 120).
constexpr int maxObjectsPerLevel = 500;
// Placed objects whose centres lie in one square of a grid of this size
// (scene units, squares from (0, 0)); the shipped piles put at most 9 there.
constexpr double areaSize = 200.0;
constexpr int maxObjectsPerArea = 32;
// Level numbers the level grid shows: 1 .. levelsPerPack.
constexpr int levelsPerPack = 24;

inline bool validCoordinate(double v)
{
    return std::isfinite(v) && std::fabs(v) <= maxCoordinate;
}
inline bool validSize(double v)
{
    return std::isfinite(v) && v >= minObjectSize && v <= maxObjectSize;
}
inline bool validAngle(double v)
{
    return std::isfinite(v) && std::fabs(v) <= maxAngle;
}
inline bool validMass(double v)
{
    return std::isfinite(v) && v >= minMass && v <= maxMass;
}
inline bool validStaticMass(double v)
{
    return v == 0.0 || validMass(v);
}
inline bool validBounciness(double v)
{
    return std::isfinite(v) && v >= 0.0 && v <= maxBounciness;
}
inline bool validFriction(double v)
{
    return std::isfinite(v) && v >= 0.0 && v <= maxFriction;
}
inline bool validLevelNumber(long long number)
{
    return number >= 1 && number <= levelsPerPack;
}
// The grid square of an object centre (valid coordinates only), as one key.
inline long long areaKey(double x, double y)
{
    constexpr long long kColumns = 2 * static_cast<long long>(maxCoordinate / areaSize) + 2;
    const auto column = static_cast<long long>(std::floor(x / areaSize));
    const auto row = static_cast<long long>(std::floor(y / areaSize));
    return row * kColumns + column;
}
} // namespace LevelLimits

#endif

#ifndef LEVELLIMITS_H
#define LEVELLIMITS_H

// Bounds on level data, shared by the level compiler (which rejects sources
// outside them) and the loader (which skips rows outside them, since a
// delivered levels.db may come from elsewhere). Chipmunk aborts on NaN
// values, on dynamic bodies without mass and on negative friction or
// elasticity, and its spatial hash walks every cell a shape covers, so
// coordinates are kept in a range that stays fast.
#include <cmath>

namespace LevelLimits {
// Largest |x| or |y| of any point, scene units.
constexpr double maxCoordinate = 100000.0;
// Largest width, height or diameter of a ball or box, scene units.
constexpr double maxObjectSize = 10000.0;

inline bool validCoordinate(double v)
{
    return std::isfinite(v) && std::fabs(v) <= maxCoordinate;
}
inline bool validSize(double v)
{
    return std::isfinite(v) && v > 0.0 && v <= maxObjectSize;
}
inline bool validMass(double v)
{
    return std::isfinite(v) && v > 0.0;
}
// Friction and bounciness coefficients.
inline bool validCoefficient(double v)
{
    return std::isfinite(v) && v >= 0.0;
}
} // namespace LevelLimits

#endif

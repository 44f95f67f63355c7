// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PERIODICNOISE_H
#define PERIODICNOISE_H

#include <cstdint>
#include <vector>

// Smooth value noise that repeats with the given period in both directions,
// so textures built from it tile without seams. Values are in 0..1.
class PeriodicNoise
{
public:
    PeriodicNoise(int period, std::uint32_t seed);
    // x and y are in lattice cells; the pattern repeats every `period` cells.
    double at(double x, double y) const;

private:
    int m_period;
    std::vector<double> m_values;
};

// Sum of octaves of periodic noise over a square tile of `size` pixels that
// repeats every tile: octave k has 2^k * baseCells lattice cells per tile.
class TileNoise
{
public:
    TileNoise(int baseCells, int octaves, std::uint32_t seed);
    // Pixel coordinates within a tile of `size` pixels; result in 0..1.
    double at(double px, double py, double size) const;

private:
    std::vector<PeriodicNoise> m_octaves;
    int m_baseCells;
};

// A small deterministic generator so that every build renders the same art.
class ArtRandom
{
public:
    explicit ArtRandom(std::uint32_t seed)
        : m_state(seed ? seed : 1u)
    { }
    std::uint32_t next();
    double uniform(double lo, double hi); // in [lo, hi)
    int range(int lo, int hi); // in [lo, hi]

private:
    std::uint32_t m_state;
};

#endif

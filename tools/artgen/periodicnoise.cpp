// SPDX-License-Identifier: GPL-3.0-or-later
#include "periodicnoise.h"

#include <cmath>

std::uint32_t ArtRandom::next()
{
    // xorshift32
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
}

double ArtRandom::uniform(double lo, double hi)
{
    return lo + (hi - lo) * (next() / 4294967296.0);
}

int ArtRandom::range(int lo, int hi)
{
    return lo + int(next() % std::uint32_t(hi - lo + 1));
}

PeriodicNoise::PeriodicNoise(int period, std::uint32_t seed)
    : m_period(period)
    , m_values(period * period)
{
    ArtRandom random(seed);
    for (double &v : m_values)
        v = random.uniform(0.0, 1.0);
}

double PeriodicNoise::at(double x, double y) const
{
    const double fx = std::floor(x), fy = std::floor(y);
    const auto wrap = [this](double v) { return ((int(v) % m_period) + m_period) % m_period; };
    const int x0 = wrap(fx), y0 = wrap(fy), x1 = (x0 + 1) % m_period, y1 = (y0 + 1) % m_period;
    const auto smooth = [](double t) { return t * t * (3.0 - 2.0 * t); };
    const double tx = smooth(x - fx), ty = smooth(y - fy);
    const auto v = [this](int i, int j) { return m_values[j * m_period + i]; };
    const double top = v(x0, y0) + (v(x1, y0) - v(x0, y0)) * tx;
    const double bottom = v(x0, y1) + (v(x1, y1) - v(x0, y1)) * tx;
    return top + (bottom - top) * ty;
}

TileNoise::TileNoise(int baseCells, int octaves, std::uint32_t seed)
    : m_baseCells(baseCells)
{
    for (int k = 0; k < octaves; ++k)
        m_octaves.emplace_back(baseCells << k, seed * 7919u + std::uint32_t(k) * 104729u + 1u);
}

double TileNoise::at(double px, double py, double size) const
{
    double sum = 0.0, weight = 0.0, amplitude = 1.0;
    for (size_t k = 0; k < m_octaves.size(); ++k) {
        const double cells = double(m_baseCells << k);
        sum += amplitude * m_octaves[k].at(px / size * cells, py / size * cells);
        weight += amplitude;
        amplitude *= 0.5;
    }
    return sum / weight;
}

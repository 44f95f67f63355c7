// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PHYSICSRANDOM_H
#define PHYSICSRANDOM_H

#include <cstdint>

// The random numbers of the simulation (mud particles). Kept apart from the
// C library's rand(), which the sound manager draws from at wall-clock
// moments: a ride depends only on its seed and its inputs.
class PhysicsRandom
{
public:
    explicit PhysicsRandom(std::uint32_t seed = 1) { setSeed(seed); }

    void setSeed(std::uint32_t seed);
    // Where the sequence stands: setState(state()) continues it exactly.
    std::uint64_t state() const { return m_state; }
    void setState(std::uint64_t state) { m_state = state; }
    // A value in 0 .. 2^31 - 1, like rand() with a large RAND_MAX.
    int next();

private:
    std::uint64_t m_state = 0;
};

#endif

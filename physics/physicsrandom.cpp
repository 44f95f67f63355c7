// SPDX-License-Identifier: GPL-3.0-or-later
#include "physicsrandom.h"

namespace {
// SplitMix64: small, fast, and the same sequence on every platform.
constexpr std::uint64_t kIncrement = 0x9E3779B97F4A7C15ull;
constexpr std::uint64_t kMix1 = 0xBF58476D1CE4E5B9ull;
constexpr std::uint64_t kMix2 = 0x94D049BB133111EBull;
} // namespace

void PhysicsRandom::setSeed(std::uint32_t seed)
{
    m_state = seed;
}

int PhysicsRandom::next()
{
    m_state += kIncrement;
    std::uint64_t z = m_state;
    z = (z ^ (z >> 30)) * kMix1;
    z = (z ^ (z >> 27)) * kMix2;
    z ^= z >> 31;
    return int(z >> 33);
}

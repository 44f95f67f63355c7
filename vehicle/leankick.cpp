// SPDX-License-Identifier: GPL-3.0-or-later
#include "leankick.h"

#include <algorithm>
#include <cmath>

namespace {
// Below this change (degrees) and within the threshold lean, no kick.
constexpr float kKickMinLeanChange = 0.3f;
constexpr float kKickLeanThreshold = 3.5f;
// A lean beyond the threshold held by a pad's stick adds a base kick.
constexpr qreal kKickBaseGain = -3.0;
constexpr qreal kKickBaseLimit = 45.0;
constexpr qreal kKickGain = 95.0;
constexpr qreal kKickLimit = 700.0;
// A change further into the lean kicks less.
constexpr float kKickSameDirectionFactor = 0.38f;
constexpr qreal kKickLeanDivisor = 80.0;
constexpr qreal kKickImpulse = -30.0;
} // namespace

std::optional<qreal> LeanKick::impulse(qreal previousLean, qreal lean, bool buttonsUsed)
{
    const qreal d = previousLean - lean;
    const qreal minChange = kKickMinLeanChange;
    const qreal threshold = kKickLeanThreshold;
    if (std::fabs(d) < minChange && std::fabs(lean) <= threshold)
        return std::nullopt;

    qreal base = 0.0;
    if (!buttonsUsed && std::fabs(lean) > threshold) {
        if (lean > threshold && d <= 0)
            base = std::clamp(kKickBaseGain * (lean - threshold), -kKickBaseLimit, kKickBaseLimit);
        else if (lean < -threshold && d >= 0)
            base = std::clamp(kKickBaseGain * (lean + threshold), -kKickBaseLimit, kKickBaseLimit);
    }
    qreal x = std::clamp(base + kKickGain * d, -kKickLimit, kKickLimit);
    const qreal sameDirection = kKickSameDirectionFactor;
    if (lean > 0)
        x *= d > 0 ? sameDirection : 1.0 + lean / kKickLeanDivisor;
    else if (lean < 0)
        x *= d < 0 ? sameDirection : 1.0 - lean / kKickLeanDivisor;
    return kKickImpulse * x;
}

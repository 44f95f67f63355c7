// SPDX-License-Identifier: GPL-3.0-or-later
#include "crowdreactions.h"

#include "sound/soundmanager.h"

#include <cstdlib>

namespace {
// Quiet time after a gasp: 2000 ... 3999 ms.
constexpr int kQuietMinMs = 2000;
constexpr int kQuietSpreadMs = 2000;
// Upside down: the frame's angle (whole degrees, C remainder of 360) in 121 ... 239.
constexpr int kUpsideDownMinDeg = 121;
constexpr int kUpsideDownMaxDeg = 239;
constexpr int kFullTurnDeg = 360;
// Speed (scene units per second) that makes the crowd gasp.
constexpr qreal kAweSpeed = 900.0;
// With the rider thrown off, an upside-down bike gasps 3 times in 10.
constexpr int kAweChanceDivisor = 10;
constexpr int kAweChanceMax = 2;

constexpr int kGold = 1;
constexpr int kNoMedal = 4;

int newQuietMs()
{
    return std::rand() % kQuietSpreadMs + kQuietMinMs;
}
} // namespace

CrowdReactions::CrowdReactions(std::function<qint64()> clockMs)
    : m_clockMs(std::move(clockMs))
{
    if (!m_clockMs) {
        m_timer.start();
        m_clockMs = [this] { return m_timer.elapsed(); };
    }
    m_lastMs = m_clockMs();
    m_quietMs = newQuietMs();
}

CrowdReactions::Reaction CrowdReactions::atFinish(bool newRecord, int medal)
{
    if (newRecord || medal == kGold)
        return Reaction::Cheer;
    if (medal == kNoMedal)
        return Reaction::Disappointment;
    return Reaction::Awe;
}

bool CrowdReactions::upsideDown(qreal frameAngleDeg)
{
    const int angle = int(frameAngleDeg) % kFullTurnDeg;
    return (angle >= kUpsideDownMinDeg && angle <= kUpsideDownMaxDeg)
        || (angle <= -kUpsideDownMinDeg && angle >= -kUpsideDownMaxDeg);
}

CrowdReactions::Reaction CrowdReactions::watch(qreal frameAngleDeg, bool riderThrownOff, qreal velocityX)
{
    const qint64 now = m_clockMs();
    if (now - m_lastMs < m_quietMs)
        return Reaction::None;
    Reaction reaction = Reaction::None;
    if (upsideDown(frameAngleDeg)) {
        // Even a silent turn of the dice starts a new quiet time.
        if (!riderThrownOff || std::rand() % kAweChanceDivisor <= kAweChanceMax)
            reaction = Reaction::Awe;
    } else if (velocityX > kAweSpeed) {
        reaction = Reaction::Awe;
    } else {
        return Reaction::None;
    }
    m_lastMs = now;
    m_quietMs = newQuietMs();
    return reaction;
}

void CrowdReactions::play(SoundManager *sound, Reaction reaction)
{
    if (!sound)
        return;
    switch (reaction) {
    case Reaction::Cheer:
        sound->playCrowdCheerSound();
        break;
    case Reaction::Disappointment:
        sound->playCrowdDisappointmentSound();
        break;
    case Reaction::Awe:
        sound->playCrowdAweSound();
        break;
    case Reaction::None:
        break;
    }
}

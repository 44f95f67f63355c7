// SPDX-License-Identifier: GPL-3.0-or-later
#include "crashwatch.h"

#include <algorithm>
#include <cmath>

namespace {
// Changes of the frame's velocity over three steps (units/s, rad/s).
constexpr qreal kHardHitVx = 240.0;
constexpr qreal kHardHitVy = 401.25;
constexpr qreal kHardHitW = 8.25;
constexpr qreal kCrashVx = 320.0;
constexpr qreal kCrashVy = 535.0;
constexpr int kCrashW = 11;
// Lying on the ground: +12 per step with frame contact, -1 without.
constexpr int kGroundContactGain = 12;
constexpr int kGroundContactLimit = 1080;
} // namespace

CrashWatch::Hit CrashWatch::observe(cpVect velocity, qreal angularVelocity)
{
    std::rotate(m_speedHistory.rbegin(), m_speedHistory.rbegin() + 1, m_speedHistory.rend());
    std::rotate(
        m_angularSpeedHistory.rbegin(), m_angularSpeedHistory.rbegin() + 1, m_angularSpeedHistory.rend());
    m_speedHistory[0] = velocity;
    m_angularSpeedHistory[0] = angularVelocity;

    Hit hit;
    hit.dvx = std::fabs(m_speedHistory[0].x - m_speedHistory[3].x);
    hit.dvy = std::fabs(m_speedHistory[0].y - m_speedHistory[3].y);
    // The angular change counts in whole radians per second.
    hit.dw = std::fabs(std::trunc(m_angularSpeedHistory[0] - m_angularSpeedHistory[3]));
    hit.hard = hit.dvx > kHardHitVx || hit.dvy > kHardHitVy || hit.dw > kHardHitW;
    hit.crash = hit.dvx > kCrashVx || hit.dvy > kCrashVy || hit.dw > kCrashW;
    return hit;
}

bool CrashWatch::countGroundContact(bool contact)
{
    if (contact) {
        m_groundContactCounter += kGroundContactGain;
        if (m_groundContactCounter > kGroundContactLimit)
            return true;
    } else if (m_groundContactCounter > 0) {
        --m_groundContactCounter;
    }
    return false;
}

void CrashWatch::reset()
{
    m_groundContactCounter = 0;
    m_speedHistory.fill(cpvzero);
    m_angularSpeedHistory.fill(0.0);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CRASHWATCH_H
#define CRASHWATCH_H

#include <QtGlobal>
#include <array>
#include <chipmunk/chipmunk.h>

// Watches the bike's frame step by step: sudden changes of its velocity
// over three steps (a hard hit, or a crash that throws the rider off) and
// how long the frame lies on the ground.
class CrashWatch
{
public:
    struct Hit
    {
        // Changes over three steps: units/s and whole rad/s.
        qreal dvx = 0.0;
        qreal dvy = 0.0;
        qreal dw = 0.0;
        bool hard = false;
        bool crash = false;
    };

    // This step's frame velocity (units/s) and angular velocity (rad/s).
    Hit observe(cpVect velocity, qreal angularVelocity);
    // One step with or without frame contact with the ground; true when the
    // frame has lain on the ground long enough to give the run up.
    bool countGroundContact(bool contact);
    // The count starts again (after a run given up).
    void restartGroundContact() { m_groundContactCounter = 0; }
    int groundContactCounter() const { return m_groundContactCounter; }
    void reset();

private:
    // Newest first: frame velocity and angular velocity of the last 4 steps.
    std::array<cpVect, 4> m_speedHistory {};
    std::array<qreal, 4> m_angularSpeedHistory {};
    int m_groundContactCounter = 0;
};

#endif

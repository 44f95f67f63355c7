// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CROWDREACTIONS_H
#define CROWDREACTIONS_H

#include <QElapsedTimer>
#include <QtGlobal>
#include <functional>

class SoundManager;

// The crowd along the track. It cheers or sighs when a run reaches the
// finish, and while the bike is ridden it gasps at an upside-down bike or a
// very fast one, at most once per 2 ... 4 seconds (a new random wait after
// every gasp). Pure decisions; play() turns one into a sound.
class CrowdReactions
{
public:
    enum class Reaction { None, Cheer, Disappointment, Awe };

    // clockMs: milliseconds of a monotonic clock; by default a wall-clock
    // timer started now (tests pass their own).
    explicit CrowdReactions(std::function<qint64()> clockMs = {});
    CrowdReactions(const CrowdReactions &) = delete;
    CrowdReactions &operator=(const CrowdReactions &) = delete;

    // A run reached the finish: a new record or a gold time is cheered, a
    // time without a medal sighed at, anything else gasped at. medal: 1 gold,
    // 2 silver, 3 bronze, 4 none.
    static Reaction atFinish(bool newRecord, int medal);
    // Once per tick while the run is live. frameAngleDeg: the bike frame's
    // angle in degrees (any number of turns); riderThrownOff: the ragdoll is
    // out, then an upside-down bike gasps only 3 times in 10; velocityX in
    // scene units per second.
    Reaction watch(qreal frameAngleDeg, bool riderThrownOff, qreal velocityX);
    // Frame angle (degrees, any number of turns) within 121 ... 239 of upright.
    static bool upsideDown(qreal frameAngleDeg);
    // Milliseconds the crowd keeps quiet after its last gasp.
    int quietMs() const { return m_quietMs; }

    static void play(SoundManager *sound, Reaction reaction);

private:
    std::function<qint64()> m_clockMs;
    QElapsedTimer m_timer;
    qint64 m_lastMs = 0;
    int m_quietMs = 0;
};

#endif

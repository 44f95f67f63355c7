// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTHORRIDE_H
#define AUTHORRIDE_H

#include "replays/posetrack.h"
#include "world/inputtimeline.h"
#include "world/simulationstep.h"

#include <QMetaObject>
#include <QString>
#include <QVector>
#include <cstdint>

class LevelWorld;

// The level author's ride (an input timeline, as the ride tool rides it)
// simulated into a pose track a few steps at a time, so that preparing a
// long level never stalls a frame. The ride happens in a world of its own,
// never the player's: separate space, no sound, a scene nobody shows. Poses
// are sampled as ReplayRecorder samples them: after 0, stride, 2 x stride
// ... steps and after the last one. The ride ends at the finish line, when
// the rider is down for good, or at kMaxSteps.
class AuthorRide
{
public:
    // The bike's random sequence the ride tool rides solutions with.
    static constexpr std::uint32_t kSeed = 1;
    // A ride that has not ended by then (two minutes) ends there.
    static constexpr int kMaxSteps = SimulationStep::kStepsPerRunSecond * 120;

    // world: the ride's own world (outlives the ride; a later ride may
    // reuse it for another level).
    AuthorRide(LevelWorld *world, const InputTimeline &timeline);
    ~AuthorRide();
    AuthorRide(const AuthorRide &) = delete;
    AuthorRide &operator=(const AuthorRide &) = delete;

    // Builds the level's world and takes the first sample; false with
    // *error (one line) when the level cannot be ridden.
    bool start(int pack, int level, QString *error);
    // Simulates until the ride has `steps` steps or has ended, at most
    // maxSteps steps in this call.
    void rideTo(int steps, int maxSteps);
    // Rides to the end at once.
    void rideToEnd() { rideTo(kMaxSteps, kMaxSteps); }

    bool isComplete() const { return m_complete; }
    bool finished() const { return m_finished; }
    int steps() const { return m_steps; }
    const QVector<PoseTrack::Sample> &samples() const { return m_samples; }

private:
    LevelWorld *m_world;
    InputTimeline m_timeline;
    QVector<PoseTrack::Sample> m_samples;
    QMetaObject::Connection m_downConnection;
    int m_cursor = 0;
    int m_steps = 0;
    qreal m_finishLineX = 0.0;
    bool m_started = false;
    bool m_finished = false;
    bool m_down = false;
    bool m_complete = false;
};

#endif

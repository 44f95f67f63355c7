// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPLAYRECORDER_H
#define REPLAYRECORDER_H

#include "replays/posetrack.h"
#include "replays/replayfile.h"

class BikeItem;
class LevelWorld;

// Records a run as it is simulated: before every step the controls the
// bike holds (kept as runs of equal controls), after every step a pose
// sample every kPoseStride steps. start() right after the world's restart,
// beforeStep() and afterStep() around each SimulationStep::step(), finish()
// when the run ends. Costs a comparison per step and a few body reads per
// sample.
class ReplayRecorder
{
public:
    // About nine samples per second of run time: smooth enough to draw a
    // ghost by interpolation, and a minute's run stays under 16 KB.
    static constexpr int kPoseStride = 6;

    // A new recording of the world's current level from its restarted state.
    void start(const LevelWorld &world);
    void beforeStep(const BikeItem &bike);
    void afterStep(const BikeItem &bike, int stepsTaken);
    // The recording of a run of stepsTaken steps that ended with outcome.
    ReplayFile finish(const BikeItem &bike, int stepsTaken, ReplayFile::Outcome outcome);

    bool isRecording() const { return m_recording; }
    // The game version recordings carry.
    static QString gameVersion();
    // Pose of the bike's bodies now (frame, wheels, rider or ragdoll).
    static PoseTrack::Sample sample(const BikeItem &bike);

private:
    ReplayFile m_file;
    PoseTrack m_poses;
    ReplayFile::Controls m_current;
    int m_currentIndex = -1;
    int m_runSteps = 0;
    bool m_recording = false;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPLAYPLAYBACK_H
#define REPLAYPLAYBACK_H

#include "replays/drawnposes.h"
#include "replays/posetrack.h"
#include "replays/replayfile.h"
#include "replays/replayplayer.h"

#include <QString>
#include <QVector>
#include <memory>

class LevelWorld;

// Plays a recorded run back in a world that holds its level: the inputs are
// re-simulated step by step and, at every pose sample, the bodies are held
// against the recorded track. While they agree the run is the recorded
// one; from the first disagreement on (or from the start, when the level's
// checksum differs) the physics stops and the bike's bodies are put at the
// track's interpolated poses instead: what shows is always the recorded
// run, never another one the changed level or physics would make of its
// inputs.
class ReplayPlayback
{
public:
    // Largest distance (scene units) and turn (radians) of a body from its
    // recorded sample that still counts as the same run. Samples keep
    // 1/16 unit and 1/65536 turn, and a run that repeats exactly stays
    // within those; one that drifted leaves these bounds within a few steps.
    static constexpr double kDriftDistance = 2.0;
    static constexpr double kDriftAngle = 0.1;

    enum class Mode { Simulating, PoseTrack };
    enum class Reason { None, LevelChanged, Drifted };

    // The world must hold the file's level (LevelWorld::loadLevel) and
    // outlive the playback.
    ReplayPlayback(LevelWorld *world, const ReplayFile &file);
    ~ReplayPlayback();
    ReplayPlayback(const ReplayPlayback &) = delete;
    ReplayPlayback &operator=(const ReplayPlayback &) = delete;

    // False (with *error) when the file's pose track cannot be read: there
    // is nothing that could be shown safely then.
    bool start(QString *error);
    // From the first step again, in a world as fresh as the recording's.
    void restart();
    // Moves on by steps simulation steps (fractions add up), not beyond
    // the run's end. Between whole steps the world is simulated to the next
    // one and its items are drawn the way there that the position has
    // come (DrawnPoses): at a quarter speed a step is taken every fourth
    // call, and the bike moves at every one.
    void advance(double steps);

    Mode mode() const { return m_mode; }
    Reason reason() const { return m_reason; }
    // The step shown, fractional between two steps; while simulating, the
    // world stands at the first whole step not before it.
    double position() const { return m_position; }
    int steps() const { return m_file.steps; }
    bool atEnd() const { return m_position >= m_file.steps; }
    const ReplayFile &file() const { return m_file; }
    // One line for the player when the recorded path is shown; empty else.
    QString message() const;

private:
    void step();
    // Whether the bike matches the recorded sample after stepsTaken steps
    // (true where no sample was taken).
    bool matchesTrack(int stepsTaken) const;
    void switchToTrack(Reason reason);
    void placeOnTrack();

    LevelWorld *m_world;
    const ReplayFile m_file;
    QVector<PoseTrack::Sample> m_samples;
    std::unique_ptr<ReplayPlayer> m_player;
    Mode m_mode = Mode::Simulating;
    Reason m_reason = Reason::None;
    double m_position = 0.0;
    // While simulating: the items as the step before the world's and the
    // world's own step drew them.
    DrawnPoses m_drawnBefore;
    DrawnPoses m_drawn;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RIDERUN_H
#define RIDERUN_H

#include "replays/replayfile.h"
#include "world/inputtimeline.h"
#include "world/simulationstep.h"

#include <QMap>
#include <QSize>
#include <QString>
#include <QVector>
#include <cstdint>

// One headless ride of a level from an input timeline: the level database
// is copied into a temporary working folder (so no player's results.db is
// touched), the bike starts as the game starts it and the one simulation
// step runs until the finish line, the end of a failed run or the step
// limit. Needs a QApplication (offscreen is fine).
class RideRun
{
public:
    struct Options
    {
        QString levelsDb;
        int pack = 1;
        int level = 1;
        InputTimeline timeline;
        std::uint32_t seed = 1;
        int maxSteps = SimulationStep::kStepsPerRunSecond * 120;
        QString tracePath; // CSV of the bike's state after every step
        QMap<int, QString> snapshots; // step (steps taken) -> PNG path
        QSize snapshotSize {800, 480};
        double snapshotZoom = 1.0;
        bool snapshotShapes = false; // outline every collision shape over the picture
        bool keepRiding = false; // ride to the step limit past a finish or a failed run
        bool timeSteps = false; // record the wall time of every step (benchmarks)
        // Inputs and random state from a recorded run instead of timeline and
        // seed; the ride ends where the recording ended at the latest.
        const ReplayFile *replay = nullptr;
        bool record = false; // record the ride (Result::recording)
        QString recordPath; // and write the recording there
    };

    struct Result
    {
        bool finished = false;
        bool failed = false; // the bike reported the rider down for good
        int steps = 0;
        double runTime = 0.0;
        bool crashed = false;
        int crashStep = -1;
        double frontmostX = 0.0;
        double finishLineX = 0.0;
        qint64 wallNs = 0; // time spent stepping (not part of the JSON line)
        QVector<qint64> stepNs; // per step, with Options::timeSteps
        qint64 recordNs = 0; // time spent recording, with Options::timeSteps
        quint64 stateHash = 0; // BikeState::hash after the last step
        quint64 levelChecksum = 0; // WorldChecksum when the run started
        ReplayFile::Outcome outcome = ReplayFile::Outcome::Unfinished;
        ReplayFile recording; // with Options::record or recordPath
    };

    // Rides; on a setup failure returns false with one line in *error.
    static bool run(const Options &options, Result *result, QString *error);
    // The one JSON line the tool prints.
    static QString toJson(const Options &options, const Result &result);
    // What differs between a replay and its re-simulation (empty: nothing):
    // the level, the outcome, the step count or the final state.
    static QString replayDifference(const ReplayFile &replay, const Result &result);
};

#endif

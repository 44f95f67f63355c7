// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RUNOUTCOME_H
#define RUNOUTCOME_H

#include "levels/levelstatus.h"

#include <QtGlobal>
#include <optional>

// What the level-completed panel shows for a run that has ended, worked out
// from the level's result before and after the run.
struct RunOutcome
{
    int levelNumber = 0;
    // The level's best time once the run is over, in seconds; none while the
    // level has never been finished.
    std::optional<qreal> bestTime;
    // The run crashed or was given up before the finish line.
    bool failed = false;
    // Run time minus the previous best, in seconds; none on a first finish
    // and on a failed run.
    std::optional<qreal> timeDiff;
    bool newRecord = false;
    // Medal of this run's time (NoMedal for a failed run).
    LevelStatus medal = LevelStatus::NoMedal;
    bool nextLevelAvailable = false;
    bool lastLevelOfPack = false;

    // A stored best time (seconds) as a previous time: 0 means none.
    static std::optional<qreal> previousTime(qreal storedBest);
    // A time is a record when there is no best yet or it beats the best;
    // an equal time is not.
    static bool isNewRecord(qreal time, std::optional<qreal> previousBest)
    {
        return !previousBest || *previousBest > time;
    }
    // statusAfter and bestAfter: the level's result once a record has been
    // stored; nextLevelNumber: 0 when this is the pack's last level. The
    // next level opens with any result on the level but NoMedal.
    static RunOutcome finished(int levelNumber, qreal time, std::optional<qreal> previousBest,
        LevelStatus statusAfter, qreal bestAfter, LevelStatus medal, int nextLevelNumber);
    // A crash: the next level is offered only when the level already holds
    // a medal.
    static RunOutcome failedRun(int levelNumber, qreal storedBest, LevelStatus status, int nextLevelNumber);
};

#endif

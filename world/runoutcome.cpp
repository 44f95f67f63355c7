// SPDX-License-Identifier: GPL-3.0-or-later
#include "runoutcome.h"

std::optional<qreal> RunOutcome::previousTime(qreal storedBest)
{
    if (storedBest == 0.0)
        return std::nullopt;
    return storedBest;
}

RunOutcome RunOutcome::finished(int levelNumber, qreal time, std::optional<qreal> previousBest,
    LevelStatus statusAfter, qreal bestAfter, LevelStatus medal, int nextLevelNumber)
{
    RunOutcome outcome;
    outcome.levelNumber = levelNumber;
    outcome.bestTime = previousTime(bestAfter);
    if (previousBest)
        outcome.timeDiff = time - *previousBest;
    outcome.newRecord = isNewRecord(time, previousBest);
    outcome.medal = medal;
    outcome.lastLevelOfPack = nextLevelNumber == 0;
    outcome.nextLevelAvailable = nextLevelNumber != 0 && statusAfter != LevelStatus::NoMedal;
    return outcome;
}

RunOutcome RunOutcome::failedRun(int levelNumber, qreal storedBest, LevelStatus status, int nextLevelNumber)
{
    RunOutcome outcome;
    outcome.levelNumber = levelNumber;
    outcome.bestTime = previousTime(storedBest);
    outcome.failed = true;
    outcome.medal = LevelStatus::NoMedal;
    outcome.nextLevelAvailable = nextLevelNumber != 0 && hasMedal(status);
    return outcome;
}

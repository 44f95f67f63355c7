// SPDX-License-Identifier: GPL-3.0-or-later
#include "runoutcome.h"

namespace {
constexpr int kNeverFinished = 0;
constexpr int kGold = 1;
constexpr int kBronze = 3;
constexpr int kNoMedal = 4;
constexpr int kShowDiff = 1;
constexpr int kFirstFinish = 0;
constexpr int kFailedRun = -1;
} // namespace

RunOutcome RunOutcome::finished(
    qreal time, qreal oldBest, int oldStatus, int statusAfter, int medal, int nextLevelNumber)
{
    RunOutcome outcome;
    outcome.showTimeDiff = oldStatus != kNeverFinished ? kShowDiff : kFirstFinish;
    outcome.timeDiff = time - oldBest;
    outcome.newRecord = isNewRecord(time, oldBest);
    outcome.medal = medal;
    outcome.lastLevelOfPack = nextLevelNumber == 0;
    outcome.nextLevelAvailable = nextLevelNumber != 0 && statusAfter != kNoMedal;
    return outcome;
}

RunOutcome RunOutcome::failed(int status, int nextLevelNumber)
{
    RunOutcome outcome;
    outcome.showTimeDiff = kFailedRun;
    outcome.medal = kNoMedal;
    outcome.nextLevelAvailable = nextLevelNumber != 0 && status >= kGold && status <= kBronze;
    return outcome;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RUNOUTCOME_H
#define RUNOUTCOME_H

#include <QtGlobal>

// What the level-completed panel shows for a run that has ended, worked out
// from the level's result before and after the run. Level status: 0 never
// finished, 1 gold, 2 silver, 3 bronze, 4 finished without a medal.
struct RunOutcome
{
    // 1: show the difference to the previous best, 0: first finish, no
    // difference, -1: the run failed.
    int showTimeDiff = 0;
    // Run time minus the previous best, in seconds (0 for a failed run).
    qreal timeDiff = 0.0;
    bool newRecord = false;
    // Medal of this run's time (1 ... 3, 4 none).
    int medal = 4;
    bool nextLevelAvailable = false;
    bool lastLevelOfPack = false;

    // A time is a record when there is no best yet or it beats the best;
    // an equal time is not.
    static bool isNewRecord(qreal time, qreal oldBest) { return oldBest == 0.0 || oldBest > time; }
    // statusAfter: the level's status once a record has been stored;
    // nextLevelNumber: 0 when this is the pack's last level. The next level
    // opens with any medal on the level.
    static RunOutcome finished(
        qreal time, qreal oldBest, int oldStatus, int statusAfter, int medal, int nextLevelNumber);
    // A crash: the next level is offered only when the level already holds
    // a medal.
    static RunOutcome failed(int status, int nextLevelNumber);
};

#endif

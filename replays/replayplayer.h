// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPLAYPLAYER_H
#define REPLAYPLAYER_H

#include "replays/replayfile.h"

class BikeItem;
class LevelWorld;

// Re-simulates a replay's inputs: before each step the bike gets the
// recorded controls, through the same calls the game's controls make and
// only where they differ from what the bike holds, so the run repeats
// exactly in a world built the same way.
class ReplayPlayer
{
public:
    explicit ReplayPlayer(const ReplayFile &file);

    // Restarts the world's current level with the recorded random state.
    void restart(LevelWorld *world) const;
    // The controls of step stepsTaken (0 before the first step) applied.
    void applyStep(int stepsTaken, BikeItem *bike);
    static void apply(const ReplayFile::Controls &controls, BikeItem *bike);

private:
    const ReplayFile &m_file;
    int m_run = 0;
    int m_runEnd = 0;
};

#endif

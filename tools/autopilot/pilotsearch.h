// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PILOTSEARCH_H
#define PILOTSEARCH_H

#include "world/inputtimeline.h"

#include <QString>
#include <QVector>
#include <cstdint>

// Searches an input timeline that rides a level to its finish line without
// a crash. The ride is cut into segments of equal length; each segment holds
// one control pattern (throttle or brake, and the lean buttons). Segment by
// segment the patterns are tried in order of preference (fastest first):
// each is ridden from the start with the ride tool's library, followed by a
// short look-ahead under a few fixed continuations, and the first one that
// survives is kept. When none survives, or the bike has been stuck for many
// segments, the search backs up to an earlier segment and tries its next
// pattern. The work is bounded by a number of rides, so the result does not
// depend on the machine's speed.
class PilotSearch
{
public:
    struct Options
    {
        QString levelsDb;
        int pack = 1;
        int level = 1;
        std::uint32_t seed = 1;
        InputTimeline prefix; // hand-written start; the search continues after its last event
        int segmentSteps = 22;
        int lookAheadSteps = 66;
        int maxRides = 1000;
        int stallSegments = 10; // segments without 20 units of progress count as stuck
        bool verbose = false;
    };

    struct Outcome
    {
        bool found = false;
        InputTimeline timeline;
        int steps = 0;
        double runTime = 0.0;
        int rides = 0;
        QString error; // a setup failure (no such level, unreadable database)
    };

    static Outcome search(const Options &options);
};

#endif

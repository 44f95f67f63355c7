// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WORLDCHECKSUM_H
#define WORLDCHECKSUM_H

#include <QtGlobal>

struct cpSpace;

// A checksum of everything in a physics space that shapes a run: every
// body's position, angle, mass and moment and every shape's geometry,
// surface and collision filter, in the space's own order. Taken when a run
// starts, it changes when the level's data (or how the world is built)
// changes, so a replay can tell that it no longer matches its level.
class WorldChecksum
{
public:
    static quint64 of(cpSpace *space);
};

#endif

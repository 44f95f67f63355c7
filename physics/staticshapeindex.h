// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef STATICSHAPEINDEX_H
#define STATICSHAPEINDEX_H

#include <chipmunk/chipmunk.h>

// The index of a space's static shapes: Chipmunk's spatial hash for every
// shape of ordinary size, and beside it a short list of the shapes whose box
// covers more than kMaxHashedCells cells (a terrain edge drawn across the
// whole level). The hash walks every cell of a shape's box on each insert,
// reindex and query over it, so one such edge would cost millions of cell
// visits; the list costs one box test per query and shape. Shapes of
// ordinary size keep their exact place in the hash, and with it the order in
// which contacts are found: rides on levels without oversized shapes stay
// bit-identical.
class StaticShapeIndex
{
public:
    // Shapes whose box covers more hash cells than this stay out of the hash
    // (the largest shipped shape covers about 1300).
    static constexpr int kMaxHashedCells = 4096;

    // Makes the space use spatial hashes of cells celldim wide (scene units)
    // and numcells buckets, with this index for the static shapes. Call on a
    // space that holds no shapes yet.
    static void install(cpSpace *space, cpFloat celldim, int numcells);

    // Whether the space's static index keeps this static shape in its hash
    // (false for an oversized shape or one not in the index).
    static bool isHashed(cpSpace *space, cpShape *shape);
    // The static shapes kept beside the hash.
    static int oversizedCount(cpSpace *space);
    // The hash itself (tests look at the work asked of it).
    static cpSpatialIndex *hash(cpSpace *space);
};

#endif // STATICSHAPEINDEX_H

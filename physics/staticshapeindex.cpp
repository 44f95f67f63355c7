// SPDX-License-Identifier: GPL-3.0-or-later
#include "staticshapeindex.h"

#include <algorithm>
#include <chipmunk/chipmunk_structs.h>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

namespace {
struct Oversized
{
    cpShape *shape;
    cpHashValue hashid;
};

// Begins with the cpSpatialIndex header, as Chipmunk's own indexes do: the
// space only ever sees that header and its class.
struct Index
{
    cpSpatialIndex base;
    cpSpatialIndex *hash;
    cpFloat celldim;
    // In insertion order: queries report them in that order, after the hash.
    std::vector<Oversized> oversized;
};

Index *self(cpSpatialIndex *index)
{
    return reinterpret_cast<Index *>(index);
}

// Cells the hash visits for a box, counted as it counts them (floor of
// each edge over the cell width).
bool fitsTheHash(const Index *index, cpBB bb)
{
    const double columns = std::floor(bb.r / index->celldim) - std::floor(bb.l / index->celldim) + 1.0;
    const double rows = std::floor(bb.t / index->celldim) - std::floor(bb.b / index->celldim) + 1.0;
    return columns * rows <= double(StaticShapeIndex::kMaxHashedCells);
}

std::vector<Oversized>::iterator findOversized(Index *index, void *obj)
{
    return std::find_if(index->oversized.begin(), index->oversized.end(),
        [obj](const Oversized &entry) { return entry.shape == obj; });
}

// Whether a query box may touch the shape: its box, and for a segment the
// band of its radius around the line itself, so a diagonal edge is not
// reported to every query inside its box.
bool mayTouch(cpShape *shape, cpBB bb)
{
    if (!cpBBIntersects(shape->bb, bb))
        return false;
    if (shape->klass->type != CP_SEGMENT_SHAPE)
        return true;
    const auto *segment = reinterpret_cast<const cpSegmentShape *>(shape);
    const cpBB grown = cpBBNew(bb.l - segment->r, bb.b - segment->r, bb.r + segment->r, bb.t + segment->r);
    return cpBBIntersectsSegment(grown, segment->ta, segment->tb);
}

void destroy(cpSpatialIndex *index)
{
    Index *i = self(index);
    cpSpatialIndexFree(i->hash);
    i->~Index();
}

int count(cpSpatialIndex *index)
{
    Index *i = self(index);
    return cpSpatialIndexCount(i->hash) + int(i->oversized.size());
}

void each(cpSpatialIndex *index, cpSpatialIndexIteratorFunc func, void *data)
{
    Index *i = self(index);
    cpSpatialIndexEach(i->hash, func, data);
    // A copy: the function may remove the shape it is given.
    const std::vector<Oversized> oversized = i->oversized;
    for (const Oversized &entry : oversized)
        func(entry.shape, data);
}

cpBool contains(cpSpatialIndex *index, void *obj, cpHashValue hashid)
{
    Index *i = self(index);
    return cpSpatialIndexContains(i->hash, obj, hashid) || findOversized(i, obj) != i->oversized.end();
}

void insert(cpSpatialIndex *index, void *obj, cpHashValue hashid)
{
    Index *i = self(index);
    if (fitsTheHash(i, index->bbfunc(obj)))
        cpSpatialIndexInsert(i->hash, obj, hashid);
    else
        i->oversized.push_back({static_cast<cpShape *>(obj), hashid});
}

void remove(cpSpatialIndex *index, void *obj, cpHashValue hashid)
{
    Index *i = self(index);
    const auto found = findOversized(i, obj);
    if (found != i->oversized.end())
        i->oversized.erase(found);
    else
        cpSpatialIndexRemove(i->hash, obj, hashid);
}

// The boxes were brought up to date by the caller; a shape that has grown
// past the limit, or shrunk below it, changes sides.
void reindex(cpSpatialIndex *index)
{
    Index *i = self(index);
    cpSpatialIndexReindex(i->hash);
    struct Grown
    {
        Index *index;
        std::vector<cpShape *> shapes;
    } grown {i, {}};
    cpSpatialIndexEach(
        i->hash,
        [](void *obj, void *data) {
            auto *g = static_cast<Grown *>(data);
            if (!fitsTheHash(g->index, g->index->base.bbfunc(obj)))
                g->shapes.push_back(static_cast<cpShape *>(obj));
        },
        &grown);
    std::vector<Oversized> stillOversized;
    for (const Oversized &entry : i->oversized) {
        if (fitsTheHash(i, index->bbfunc(entry.shape)))
            cpSpatialIndexInsert(i->hash, entry.shape, entry.hashid);
        else
            stillOversized.push_back(entry);
    }
    i->oversized = std::move(stillOversized);
    for (cpShape *shape : grown.shapes) {
        cpSpatialIndexRemove(i->hash, shape, shape->hashid);
        i->oversized.push_back({shape, shape->hashid});
    }
}

void reindexObject(cpSpatialIndex *index, void *obj, cpHashValue hashid)
{
    Index *i = self(index);
    const bool fits = fitsTheHash(i, index->bbfunc(obj));
    const auto found = findOversized(i, obj);
    if (found != i->oversized.end()) {
        if (fits) {
            i->oversized.erase(found);
            cpSpatialIndexInsert(i->hash, obj, hashid);
        }
    } else if (fits) {
        cpSpatialIndexReindexObject(i->hash, obj, hashid);
    } else {
        cpSpatialIndexRemove(i->hash, obj, hashid);
        i->oversized.push_back({static_cast<cpShape *>(obj), hashid});
    }
}

void reindexQuery(cpSpatialIndex *index, cpSpatialIndexQueryFunc func, void *data)
{
    // Static shapes are never collided with each other.
    cpSpatialIndexReindexQuery(self(index)->hash, func, data);
}

void query(cpSpatialIndex *index, void *obj, cpBB bb, cpSpatialIndexQueryFunc func, void *data)
{
    Index *i = self(index);
    cpSpatialIndexQuery(i->hash, obj, bb, func, data);
    // Queries run with the space locked: Chipmunk defers every removal
    // until they are over, so the list cannot change under the loop.
    for (const Oversized &entry : i->oversized) {
        if (entry.shape != obj && mayTouch(entry.shape, bb))
            func(obj, entry.shape, 0, data);
    }
}

void segmentQuery(cpSpatialIndex *index, void *obj, cpVect a, cpVect b, cpFloat t_exit,
    cpSpatialIndexSegmentQueryFunc func, void *data)
{
    Index *i = self(index);
    cpSpatialIndexSegmentQuery(i->hash, obj, a, b, t_exit, func, data);
    for (const Oversized &entry : i->oversized) {
        if (cpBBSegmentQuery(entry.shape->bb, a, b) < t_exit)
            func(obj, entry.shape, data);
    }
}

cpSpatialIndexClass kClass = {destroy, count, each, contains, insert, remove, reindex, reindexObject,
    reindexQuery, query, segmentQuery};

Index *indexOf(cpSpace *space)
{
    cpSpatialIndex *index = space->staticShapes;
    return index && index->klass == &kClass ? self(index) : nullptr;
}
} // namespace

void StaticShapeIndex::install(cpSpace *space, cpFloat celldim, int numcells)
{
    cpSpaceUseSpatialHash(space, celldim, numcells);
    cpSpatialIndex *hash = space->staticShapes;
    // Freed by Chipmunk's cpSpatialIndexFree (destroy, then free()).
    void *memory = std::calloc(1, sizeof(Index));
    if (!memory)
        throw std::bad_alloc();
    auto *index = new (memory) Index {};
    index->base.klass = &kClass;
    index->base.bbfunc = hash->bbfunc;
    index->base.dynamicIndex = space->dynamicShapes;
    index->hash = hash;
    index->celldim = celldim;
    space->staticShapes = &index->base;
    space->dynamicShapes->staticIndex = &index->base;
}

bool StaticShapeIndex::isHashed(cpSpace *space, cpShape *shape)
{
    Index *index = indexOf(space);
    return index && cpSpatialIndexContains(index->hash, shape, shape->hashid);
}

int StaticShapeIndex::oversizedCount(cpSpace *space)
{
    Index *index = indexOf(space);
    return index ? int(index->oversized.size()) : 0;
}

cpSpatialIndex *StaticShapeIndex::hash(cpSpace *space)
{
    Index *index = indexOf(space);
    return index ? index->hash : nullptr;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "worldchecksum.h"

#include "fnv1a.h"

#include <chipmunk/chipmunk.h>
#include <chipmunk/chipmunk_structs.h>

namespace {
void addDouble(Fnv1a *h, double v)
{
    h->add(reinterpret_cast<const char *>(&v), sizeof v);
}

void addVect(Fnv1a *h, cpVect v)
{
    addDouble(h, v.x);
    addDouble(h, v.y);
}

void addInt(Fnv1a *h, quint64 v)
{
    h->add(reinterpret_cast<const char *>(&v), sizeof v);
}
} // namespace

quint64 WorldChecksum::of(cpSpace *space)
{
    Fnv1a h;
    addDouble(&h, cpSpaceGetGravity(space).y);
    cpSpaceEachShape(
        space,
        [](cpShape *shape, void *data) {
            auto *hash = static_cast<Fnv1a *>(data);
            cpBody *body = cpShapeGetBody(shape);
            addVect(hash, cpBodyGetPosition(body));
            addDouble(hash, cpBodyGetAngle(body));
            addDouble(hash, cpBodyGetMass(body));
            addDouble(hash, cpBodyGetMoment(body));
            addInt(hash, quint64(cpBodyGetType(body)));
            addDouble(hash, cpShapeGetFriction(shape));
            addDouble(hash, cpShapeGetElasticity(shape));
            addInt(hash, quint64(cpShapeGetCollisionType(shape)));
            addInt(hash, quint64(cpShapeGetSensor(shape)));
            const cpShapeFilter filter = cpShapeGetFilter(shape);
            addInt(hash, quint64(filter.group));
            addInt(hash, quint64(filter.categories));
            addInt(hash, quint64(filter.mask));
            const cpShapeType type = shape->klass->type;
            addInt(hash, quint64(type));
            if (type == CP_CIRCLE_SHAPE) {
                addVect(hash, cpCircleShapeGetOffset(shape));
                addDouble(hash, cpCircleShapeGetRadius(shape));
            } else if (type == CP_SEGMENT_SHAPE) {
                addVect(hash, cpSegmentShapeGetA(shape));
                addVect(hash, cpSegmentShapeGetB(shape));
                addDouble(hash, cpSegmentShapeGetRadius(shape));
            } else {
                for (int i = 0; i < cpPolyShapeGetCount(shape); ++i)
                    addVect(hash, cpPolyShapeGetVert(shape, i));
                addDouble(hash, cpPolyShapeGetRadius(shape));
            }
        },
        &h);
    return h.value();
}

#ifndef VELOCRAGPHYSICS_H
#define VELOCRAGPHYSICS_H

#include <chipmunk/chipmunk.h>

// The post-solve callbacks the bike registers for its collision-type pairs.
// They run inside the physics step; the user data is the BikeItem (nothing
// happens when it is null). They only set flags, play sounds and queue mud
// particles; a crash defers building the ragdoll to the end of the step.
class VelocragPhysics
{
public:
    // (terrain, wheel): ground-hit sound, sliding statistics, mud.
    static void groundWheelCollisionPostCallback(cpArbiter *arbiter, cpSpace *space, cpDataPointer bike);
    // (terrain, frame): feeds the bike's lying-on-the-ground bookkeeping.
    static void groundChassisCollisionPostCallback(cpArbiter *arbiter, cpSpace *space, cpDataPointer bike);
    // (terrain, head) and (object, head): the rider falls off.
    static void groundHeadCollisionPostCallback(cpArbiter *arbiter, cpSpace *space, cpDataPointer bike);

    // Contact geometry as the wheel callback reads it: the unit normal from
    // the terrain toward the wheel, whichever shape the arbiter lists first,
    // and the first contact's point (between the two surfaces).
    static cpVect normalTowardWheel(const cpArbiter *arbiter, const cpShape *wheelShape);
    static cpVect firstContactPoint(const cpArbiter *arbiter);

    // Registers the three callbacks for the four pairs with the bike as data.
    static void registerHandlers(cpSpace *space, void *bike);
};

#endif

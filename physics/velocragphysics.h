// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef VELOCRAGPHYSICS_H
#define VELOCRAGPHYSICS_H

#include <chipmunk/chipmunk.h>

class CollisionListener;

// The post-solve callbacks a vehicle registers for its collision-type pairs.
// They run inside the physics step; the user data is the vehicle's
// CollisionListener (nothing happens when it is null). They only set flags, play sounds and queue mud
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

    // Registers the three callbacks for the four pairs with the listener as data.
    static void registerHandlers(cpSpace *space, CollisionListener *listener);
    // Clears the listener from those pairs (where it is still the one
    // registered), so that no callback reaches it once it is gone.
    static void unregisterHandlers(cpSpace *space, CollisionListener *listener);
    // Takes a shape out of the space and frees it; null stays null.
    static void freeShape(cpSpace *space, cpShape *&shape);
};

#endif

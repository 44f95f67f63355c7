// SPDX-License-Identifier: GPL-3.0-or-later
#include "velocragphysics.h"

#include "ballitem.h"
#include "collisionlistener.h"
#include "physics.h"
#include "physicsconventions.h"
#include "physicsrandom.h"

#include <QDebug>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {
// Total contact impulse per mud emission, and the emission count range.
constexpr double kImpulsePerEmission = 205.0;
constexpr int kMinEmissions = 1;
constexpr int kMaxEmissions = 15;
// Ground-hit volume = (impulse - offset) / range, played above the threshold.
constexpr double kHitImpulseOffset = 820.0;
constexpr double kHitImpulseRange = 1850.0;
constexpr double kHitMinVolume = 0.1;
// Rim speed above ground speed (units/s) below which a wheel throws no mud.
constexpr double kMinSlideForMud = 8.0;
// Launch angles in degrees off the contact direction, speeds in units/s.
constexpr int kFirstEmissionsAngle = 15;
constexpr int kAngleBase = 25;
constexpr int kAngleSpread = 45;
constexpr int kAngleJitter = 30;
constexpr double kDepthSpeedFactor = 15.0;
constexpr int kSpeedSpread = 50;
constexpr int kSpeedBase = 4;
constexpr int kSpeedJitter = 8;
constexpr int kSpeedJitterOffset = 4;
constexpr double kSlowSpeedLimit = 23.0;
constexpr int kSlowExtraAngleSpread = 30;
constexpr int kSlowExtraAngleBase = 25;
constexpr int kSlowSpeedBase = 16;
constexpr int kSlowSpeedSpread = 20;
constexpr double kFastSpeedLimit = 230.0;
constexpr int kFastSpeedBase = 225;
constexpr int kFastSpeedSpread = 20;
// Nine emissions in ten are kept.
constexpr int kKeepOdds = 10;
constexpr int kKeepBelowOrAt = 8;
// Particles start just inside the rim and just off the ground.
constexpr float kRimInset = 0.1f;
constexpr double kGroundClearance = 0.1;
constexpr double kQuarterTurnDegrees = 90.0;
} // namespace

void VelocragPhysics::groundWheelCollisionPostCallback(cpArbiter *arbiter, cpSpace *, cpDataPointer data)
{
    auto *vehicle = static_cast<CollisionListener *>(data);
    if (!vehicle)
        return;

    cpShape *first = nullptr;
    cpShape *second = nullptr;
    cpArbiterGetShapes(arbiter, &first, &second);
    cpShape *wheelShape = nullptr;
    if (cpShapeGetCollisionType(second) == CollisionWheel)
        wheelShape = second;
    else if (cpShapeGetCollisionType(first) == CollisionWheel)
        wheelShape = first;
    if (!wheelShape) {
        qDebug().nospace() << "VelocragPhysics::groundWheelCollisionPostCallback - unknown collisiontype "
                           << cpShapeGetCollisionType(second) << " or " << cpShapeGetCollisionType(first);
        return;
    }
    auto *wheel = static_cast<BallItem *>(cpShapeGetUserData(wheelShape));
    const cpContactPointSet contacts = cpArbiterGetContactPointSet(arbiter);
    if (!wheel || contacts.count < 1)
        return;

    const cpVect n = normalTowardWheel(arbiter, wheelShape);
    const cpVect q = firstContactPoint(arbiter);
    const double depth = std::fabs(contacts.points[0].distance);

    const double impulse = cpvlength(cpArbiterTotalImpulse(arbiter));
    const int emissions = std::clamp(int(impulse / kImpulsePerEmission), kMinEmissions, kMaxEmissions);

    const double volume = std::min(1.0, (impulse - kHitImpulseOffset) / kHitImpulseRange);
    if (volume > kHitMinVolume)
        vehicle->playGroundHitSound(volume);

    cpBody *wheelBody = wheel->body();
    const cpVect p = cpBodyGetPosition(wheelBody);
    const double theta0 = cpvtoangle(cpvsub(p, q));
    const double rim = wheel->rimSpeed();
    const double dir = rim >= 0.0 ? 1.0 : -1.0;
    const double slide = std::fabs(rim) - cpvlength(cpBodyGetVelocity(wheelBody));
    vehicle->noteSlidingSpeed(slide);

    if (wheel == vehicle->frontWheel() || slide < kMinSlideForMud)
        return;

    PhysicsRandom &random = vehicle->random();
    const double r = wheel->radius();
    for (int i = 0; i < emissions; ++i) {
        double a = kFirstEmissionsAngle;
        double base = 0.0;
        if (i > 1) {
            a = random.next() % kAngleSpread + kAngleBase;
            base = kDepthSpeedFactor * depth + random.next() % kSpeedSpread + kSpeedBase;
        }
        a += random.next() % kAngleJitter;
        double s = base + (random.next() % kSpeedJitter - kSpeedJitterOffset) + slide;
        if (s < kSlowSpeedLimit) {
            a += random.next() % kSlowExtraAngleSpread + kSlowExtraAngleBase;
            s = kSlowSpeedBase + random.next() % kSlowSpeedSpread;
        }
        if (s > kFastSpeedLimit)
            s = kFastSpeedBase + random.next() % kFastSpeedSpread;
        const double theta = theta0 + dir * degToRad(a);
        if (random.next() % kKeepOdds > kKeepBelowOrAt)
            continue;
        const double x = p.x - (r - double(kRimInset)) * std::cos(theta) + n.x * (depth + kGroundClearance);
        const double y = p.y - (r - double(kRimInset)) * std::sin(theta) + n.y * (depth + kGroundClearance);
        vehicle->emitMudParticle(x, y, theta - dir * degToRad(kQuarterTurnDegrees), s);
    }
}

cpVect VelocragPhysics::normalTowardWheel(const cpArbiter *arbiter, const cpShape *wheelShape)
{
    // The arbiter's normal points from its first shape to its second.
    cpShape *first = nullptr;
    cpShape *second = nullptr;
    cpArbiterGetShapes(arbiter, &first, &second);
    cpVect n = cpArbiterGetNormal(arbiter);
    if (wheelShape == first)
        n = cpvneg(n);
    return cpvnormalize(n);
}

cpVect VelocragPhysics::firstContactPoint(const cpArbiter *arbiter)
{
    const cpContactPointSet contacts = cpArbiterGetContactPointSet(arbiter);
    return cpvlerp(contacts.points[0].pointA, contacts.points[0].pointB, 0.5);
}

void VelocragPhysics::groundChassisCollisionPostCallback(cpArbiter *, cpSpace *, cpDataPointer data)
{
    if (auto *vehicle = static_cast<CollisionListener *>(data))
        vehicle->setChassisGroundContact(true);
}

void VelocragPhysics::groundHeadCollisionPostCallback(cpArbiter *, cpSpace *, cpDataPointer data)
{
    if (auto *vehicle = static_cast<CollisionListener *>(data))
        vehicle->crash();
}

void VelocragPhysics::registerHandlers(cpSpace *space, CollisionListener *listener)
{
    struct Pair
    {
        CollisionType a;
        CollisionType b;
        cpCollisionPostSolveFunc func;
    };
    const Pair pairs[] = {
        {CollisionTerrain, CollisionWheel, &groundWheelCollisionPostCallback},
        {CollisionTerrain, CollisionFrame, &groundChassisCollisionPostCallback},
        {CollisionTerrain, CollisionHead, &groundHeadCollisionPostCallback},
        {CollisionObject, CollisionHead, &groundHeadCollisionPostCallback},
    };
    for (const Pair &pair : pairs) {
        cpCollisionHandler *handler = cpSpaceAddCollisionHandler(space, pair.a, pair.b);
        handler->postSolveFunc = pair.func;
        handler->userData = listener;
    }
}

void VelocragPhysics::unregisterHandlers(cpSpace *space, CollisionListener *listener)
{
    const std::pair<CollisionType, CollisionType> pairs[]
        = {{CollisionTerrain, CollisionWheel}, {CollisionTerrain, CollisionFrame},
            {CollisionTerrain, CollisionHead}, {CollisionObject, CollisionHead}};
    for (const auto &[a, b] : pairs) {
        cpCollisionHandler *handler = cpSpaceAddCollisionHandler(space, a, b);
        if (handler->userData == listener)
            handler->userData = nullptr;
    }
}

void VelocragPhysics::freeShape(cpSpace *space, cpShape *&shape)
{
    if (!shape)
        return;
    cpSpaceRemoveShape(space, shape);
    cpShapeFree(shape);
    shape = nullptr;
}

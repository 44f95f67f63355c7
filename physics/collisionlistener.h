// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef COLLISIONLISTENER_H
#define COLLISIONLISTENER_H

#include <QtGlobal>

class BallItem;
class PhysicsRandom;

// What the physics step's collision callbacks tell the vehicle that
// registered them (VelocragPhysics::registerHandlers). The physics layer
// knows this interface only; the bike implements it. Positions are scene
// units, angles radians, speeds units/s.
class CollisionListener
{
public:
    virtual ~CollisionListener() = default;

    // A wheel hit the ground hard enough to be heard (volume 0..1).
    virtual void playGroundHitSound(qreal volume) = 0;
    // Rim speed above ground speed of a wheel touching the ground.
    virtual void noteSlidingSpeed(qreal speed) = 0;
    // A mud particle thrown from the rear wheel.
    virtual void emitMudParticle(qreal x, qreal y, qreal angle, qreal speed) = 0;
    // The frame touches the ground during this step.
    virtual void setChassisGroundContact(bool contact) = 0;
    // The rider's head hit something.
    virtual void crash() = 0;
    // The wheel that throws no mud.
    virtual BallItem *frontWheel() const = 0;
    // The vehicle's own random sequence (mud is part of the simulation).
    virtual PhysicsRandom &random() = 0;
};

#endif

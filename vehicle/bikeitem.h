// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BIKEITEM_H
#define BIKEITEM_H

#include "physics/ballitem.h"
#include "physics/collisionlistener.h"
#include "physics/physicsitem.h"
#include "physics/physicsrandom.h"
#include "vehicle/bikepainter.h"
#include "vehicle/crashwatch.h"
#include "vehicle/partitem.h"

#include <QGraphicsRectItem>
#include <QObject>
#include <array>

class ParticleSystemItem;
class Physics;
class QGraphicsScene;
class RiderRagdollItem;
class SoundManager;

// The player's motorbike: a frame with two sprung wheels, a rider whose
// weight rides on its own sprung slide, rear-wheel drive, brakes and rider
// lean. Turns the controller's commands into impulses once per step
// (stepUpdate), detects crashes from sudden changes of the frame's velocity
// and hands the rider over to a ragdoll. Positions are scene units, y down;
// angles given to PhysicsItem operations are degrees.
class BikeItem : public QObject, public PhysicsItem, public CollisionListener
{
    Q_OBJECT
public:
    // soundManager may be null (no sound). width x height: the frame
    // rectangle used for the bounding rectangle (the game passes 75 x 5).
    BikeItem(Physics *physics, QGraphicsScene *scene, SoundManager *soundManager, qreal width, qreal height);
    // Takes everything the bike built out of the space and deletes its parts
    // (wheels, rider mass, mud, ragdoll) if the scene has not already.
    ~BikeItem() override;

    virtual void setBikeVisible(bool visible);
    void updateFromBody() override;
    // Places the whole bike: frame at (x, y), wheels and rider mass at 80 %
    // of their grooves (offsets not rotated by the frame angle).
    void setBodyPos(qreal x, qreal y) override;
    void resetToInitial() override;
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    // 1.0 full throttle, 0 none, negative: front brake.
    virtual void setThrottle(qreal throttle);
    // 1.0 engages the rear brake motor, 0.0 releases it; other values do nothing.
    virtual void setBrake(qreal brake);
    // Per-step tilt change while a lean button is held.
    virtual void setTiltSpeed(qreal speed);
    virtual void addRiderTilt(qreal delta);
    // tilt in -1..1 moves the rider's slide; leanAngle (degrees) drives the
    // frame kick when kick is set.
    virtual void setRiderTilt(qreal tilt, qreal leanAngle, bool kick);
    // Drive, brake and tilt for the coming physics step.
    virtual void stepUpdate();
    void emitMudParticle(qreal x, qreal y, qreal angle, qreal speed) override;
    void playGroundHitSound(qreal volume) override;
    void noteSlidingSpeed(qreal speed) override;
    void setChassisGroundContact(bool contact) override;
    BallItem *frontWheel() const override { return m_frontWheel; }
    virtual BallItem *rearWheel() const { return m_rearWheel; }
    enum { Type = BikeType };
    int type() const override { return Type; }
    virtual bool hasRagdoll() const { return m_ragdoll != nullptr; }
    void crash() override;
    // Throws the rider off. Inside a physics step the ragdoll is built at
    // the end of that same step; the head stops colliding at once.
    virtual void releaseRagdoll();
    virtual QPointF bikePos() const;
    // Largest x of frame, wheels and ragdoll: what the finish line tests.
    virtual qreal frontmostX() const;
    void advance(int phase) override;

    // Read-outs for the game, the tools and the tests.
    BallItem *riderMass() const { return m_riderMass; }
    RiderRagdollItem *ragdoll() const;
    ParticleSystemItem *particleSystem() const;
    PhysicsRandom &random() override { return m_random; }
    qreal throttle() const { return m_throttle; }
    qreal tilt() const { return m_tilt; }
    qreal tiltSpeed() const { return m_tiltSpeed; }
    bool isActive() const { return m_active; }
    bool isMotorAdded() const { return m_motorAdded; }
    int stepCounter() const { return m_stepCounter; }
    int crashCounter() const { return m_crashCounter; }
    int groundContactCounter() const { return m_crashWatch.groundContactCounter(); }
    float engineShake() const { return m_engineShake; }
    qreal wheelMaxAngularVelocity() const { return m_wheelMaxAngularVelocity; }
    cpShape *headShape() const { return m_headShape; }
    const QPixmap &riderBodyPixmap() const { return m_painter.riderBody(); }

signals:
    void permanentlyGroundHitted();
    void hardCollisionDetected(qreal speedX, qreal speedY, qreal angularVelocity);

private:
    void buildFrame(qreal width, qreal height);
    void buildWheels();
    void buildRider();
    PartItem<BallItem> *newBikeBall(qreal radius, qreal mass, int group, const QString &sprite);
    cpConstraint *addJoint(cpConstraint *joint);
    void removeJoints();
    void forgetPart(BallItem *part);
    void destroyRagdoll();
    void buildRagdoll();
    static void buildRagdollPostStep(cpSpace *space, void *key, void *data);
    void detectCrash();
    void groundContactBookkeeping();
    void kickFrame(qreal leanAngle);

    Physics *m_physics;
    QGraphicsScene *m_scene;
    SoundManager *m_soundManager;
    QGraphicsRectItem m_frameRect;
    cpShape *m_secondFrameShape = nullptr;
    cpShape *m_headShape = nullptr;
    cpShape *m_kneeShape = nullptr;
    PartItem<BallItem> *m_frontWheel = nullptr;
    PartItem<BallItem> *m_rearWheel = nullptr;
    PartItem<BallItem> *m_riderMass = nullptr;
    cpVect m_frontGrooveA;
    cpVect m_frontGrooveB;
    cpVect m_rearGrooveA;
    cpVect m_rearGrooveB;
    cpVect m_riderGrooveA;
    cpVect m_riderGrooveB;
    cpVect m_riderSpringAnchor;
    QVector<cpConstraint *> m_joints; // in the space, removed with the bike
    cpConstraint *m_riderGroove = nullptr;
    cpConstraint *m_riderSpring = nullptr;
    cpConstraint *m_rearMotor = nullptr; // in the space only while braking
    bool m_motorAdded = false;
    qreal m_wheelMaxAngularVelocity;
    qreal m_throttle = 0.0;
    qreal m_tilt = 0.0;
    qreal m_tiltSpeed = 0.0;
    bool m_tiltButtonsUsed = false;
    qreal m_previousLeanAngle = 0.0;
    int m_stepCounter = 0;
    float m_engineShake = 0.0f;
    float m_shakeDirection = 1.0f;
    qreal m_maxSlidingSpeed = 0.0;
    bool m_chassisGroundContact = false;
    int m_crashCounter = 0;
    bool m_active = true;
    bool m_ragdollPending = false;
    PartItem<RiderRagdollItem> *m_ragdoll = nullptr;
    PartItem<ParticleSystemItem> *m_particles = nullptr;
    CrashWatch m_crashWatch;
    PhysicsRandom m_random;
    BikePainter m_painter;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "bikeitem.h"

#include "physics/ballitem.h"
#include "physics/particlesystemitem.h"
#include "physics/physics.h"
#include "physics/physicsconventions.h"
#include "physics/velocragphysics.h"
#include "sound/soundmanager.h"
#include "vehicle/biketuning.h"
#include "vehicle/leankick.h"
#include "vehicle/riderragdollitem.h"

#include <QGraphicsScene>
#include <QPainter>
#include <algorithm>
#include <cmath>

using namespace BikeTuning;

namespace {
// Graphics stacking: wheels below the bike, the invisible rider mass above.
constexpr qreal kBikeZ = 10.0;
constexpr qreal kWheelZ = 9.0;
constexpr qreal kRiderMassZ = 20.0;
// Extra room around the frame rectangle for rider and wheels (scene units).
constexpr qreal kBoundsMarginX = 50.0;
constexpr qreal kBoundsMarginY = 60.0;

constexpr int kParticleCapacity = 40;
constexpr int kParticleCapacityMultiStep = 35;

// Control.
constexpr qreal kDriveHeadroom = 2.0; // rad/s below the limit where drive stops
constexpr float kShakeBase = 2.0f;
constexpr float kShakePerRadPerSec = 1.0f / 100.0f;
constexpr float kShakeLimit = 10.0f;
constexpr qreal kCoastSpinFactor = 0.99;
constexpr qreal kTiltLeanDegrees = -58.0; // lean angle per unit tilt from the buttons
constexpr qreal kTiltReturnLeanDegrees = -50.0; // while the tilt springs back
constexpr float kTiltReturnPerStep = 0.1f;
constexpr int kNoKickSteps = 9;
// Sound.
constexpr qreal kMinSlidingSpeed = 1.0;
constexpr qreal kSlidingSpeedScale = 200.0;

// Steps after the crash until the run is given up.
constexpr int kCrashSteps = 225;

cpVect alongGroove(cpVect a, cpVect b, qreal fraction)
{
    return cpvadd(a, cpvmult(cpvsub(b, a), fraction));
}
} // namespace

BikeItem::BikeItem(
    Physics *physics, QGraphicsScene *scene, SoundManager *soundManager, qreal width, qreal height)
    : QObject(nullptr)
    , PhysicsItem(nullptr)
    , m_physics(physics)
    , m_scene(scene)
    , m_soundManager(soundManager)
    , m_frameRect(-width / 2, -height / 2, width, height)
    , m_frontGrooveA(kFrontGrooveA)
    , m_frontGrooveB(kFrontGrooveB)
    , m_rearGrooveA(kRearGrooveA)
    , m_rearGrooveB(kRearGrooveB)
    , m_riderGrooveA(kRiderGrooveInitialA)
    , m_riderGrooveB(kRiderGrooveInitialB)
    , m_riderSpringAnchor(cpv(0, kRiderGrooveLowY))
    , m_wheelMaxAngularVelocity(kWheelMaxAngularVelocity)
{
    m_space = physics->space();
    m_frameRect.setPen(QPen(Qt::black));
    m_frameRect.setBrush(QBrush(Qt::red));
    setZValue(kBikeZ);

    m_particles = new PartItem<ParticleSystemItem>(
        physicsStepsPerTick < 2 ? kParticleCapacity : kParticleCapacityMultiStep, scene, physics, &m_random);
    m_particles->setBeforeDestroy([this] { m_particles = nullptr; });
    scene->addItem(m_particles);

    buildFrame(width, height);
    scene->addItem(this);
    cpShapeSetCollisionType(m_shape, CollisionFrame);
    buildWheels();
    buildRider();
    VelocragPhysics::registerHandlers(m_space, static_cast<CollisionListener *>(this));

    setRiderTilt(0, 0, false);
    setBikeVisible(false);
}

BikeItem::~BikeItem()
{
    // The handlers hold the bike as its CollisionListener.
    VelocragPhysics::unregisterHandlers(m_space, static_cast<CollisionListener *>(this));

    destroyRagdoll();
    removeJoints();
    for (PartItem<BallItem> *part : {m_frontWheel, m_rearWheel, m_riderMass}) {
        if (part) {
            part->setBeforeDestroy(nullptr);
            delete part;
        }
    }
    if (m_particles) {
        m_particles->setBeforeDestroy(nullptr);
        delete m_particles;
    }
    for (cpShape **shape : {&m_headShape, &m_kneeShape, &m_secondFrameShape, &m_shape})
        VelocragPhysics::freeShape(m_space, *shape);
    cpSpaceRemoveBody(m_space, m_body);
    cpBodyFree(m_body);
    m_body = nullptr;
}

void BikeItem::buildFrame(qreal width, qreal height)
{
    m_body = cpSpaceAddBody(m_space,
        cpBodyNew(
            kFrameMass, cpMomentForBox(kFrameMass, kFrameMomentScale * width, kFrameMomentScale * height)));

    m_shape = cpSpaceAddShape(m_space, cpPolyShapeNew(m_body, 4, kMainFrameVerts, cpTransformIdentity, 0.0));
    cpShapeSetElasticity(m_shape, kMainFrameElasticity);
    cpShapeSetFriction(m_shape, kMainFrameFriction);
    setShapeGroup(m_shape, PhysicsGroup::Bike);
    setShapeLayers(m_shape, PhysicsLayers::MainFrame);

    m_secondFrameShape
        = cpSpaceAddShape(m_space, cpPolyShapeNew(m_body, 4, kSecondFrameVerts, cpTransformIdentity, 0.0));
    cpShapeSetElasticity(m_secondFrameShape, kSecondFrameElasticity);
    cpShapeSetFriction(m_secondFrameShape, kSecondFrameFriction);
    setShapeGroup(m_secondFrameShape, PhysicsGroup::Bike);
    setShapeLayers(m_secondFrameShape, PhysicsLayers::SecondFrame);

    m_headShape = cpSpaceAddShape(m_space, cpCircleShapeNew(m_body, kHeadRadius, kHeadOffset));
    cpShapeSetElasticity(m_headShape, kHeadElasticity);
    cpShapeSetFriction(m_headShape, kHeadFriction);
    setShapeLayers(m_headShape, PhysicsLayers::Head);
    setShapeGroup(m_headShape, PhysicsGroup::Bike);
    cpShapeSetCollisionType(m_headShape, CollisionHead);

    m_kneeShape = cpSpaceAddShape(m_space, cpCircleShapeNew(m_body, kKneeRadius, kKneeOffset));
    cpShapeSetElasticity(m_kneeShape, kKneeElasticity);
    cpShapeSetFriction(m_kneeShape, kKneeFriction);
    setShapeGroup(m_kneeShape, PhysicsGroup::RiderMass);

    cpBodySetPosition(m_body, cpvzero);
}

PartItem<BallItem> *BikeItem::newBikeBall(qreal radius, qreal mass, int group, const QString &sprite)
{
    auto *ball = new PartItem<BallItem>(m_physics, radius, mass, this, group, sprite);
    ball->setBeforeDestroy([this, ball] { forgetPart(ball); });
    m_scene->addItem(ball);
    return ball;
}

cpConstraint *BikeItem::addJoint(cpConstraint *joint)
{
    cpSpaceAddConstraint(m_space, joint);
    m_joints.append(joint);
    return joint;
}

void BikeItem::buildWheels()
{
    const QString sprite = QString::fromLatin1(kWheelSprite);
    m_frontWheel = newBikeBall(kWheelRadius, kWheelMass, PhysicsGroup::Bike, sprite);
    m_frontWheel->setZValue(kWheelZ);
    m_frontWheel->setCollisionType(CollisionWheel);
    m_frontWheel->setMaxAngularVelocity(m_wheelMaxAngularVelocity);
    m_frontWheel->setElasticity(kFrontWheelElasticity);
    m_frontWheel->setFriction(kFrontWheelFriction);
    m_frontWheel->setShapeData(static_cast<BallItem *>(m_frontWheel));
    m_frontWheel->setLayers(PhysicsLayers::Wheels);

    m_rearWheel = newBikeBall(kWheelRadius, kWheelMass, PhysicsGroup::Bike, sprite);
    m_rearWheel->setElasticity(kRearWheelElasticity);
    m_rearWheel->setFriction(kRearWheelFriction);
    m_rearWheel->setZValue(kWheelZ);
    m_rearWheel->setCollisionType(CollisionWheel);
    m_rearWheel->setMaxAngularVelocity(m_wheelMaxAngularVelocity);
    m_rearWheel->setShapeData(static_cast<BallItem *>(m_rearWheel));
    m_rearWheel->setLayers(PhysicsLayers::Wheels);

    const qreal jointBias = m_physics->biasForStepFraction(kJointBiasPerStep);
    cpConstraint *front = addJoint(cpGrooveJointNew(m_body, m_frontWheel->body(),
        alongGroove(m_frontGrooveA, m_frontGrooveB, kFrontGrooveStart), m_frontGrooveB, cpvzero));
    cpConstraintSetErrorBias(front, jointBias);
    cpConstraint *rear = addJoint(cpGrooveJointNew(m_body, m_rearWheel->body(),
        alongGroove(m_rearGrooveA, m_rearGrooveB, kRearGrooveStart), m_rearGrooveB, cpvzero));
    cpConstraintSetErrorBias(rear, jointBias);

    addJoint(cpDampedSpringNew(m_body, m_frontWheel->body(), m_frontGrooveA, cpvzero, kWheelSpringRest,
        kFrontSpringStiffness, kFrontSpringDamping));
    addJoint(cpDampedSpringNew(m_body, m_rearWheel->body(), m_rearGrooveA, cpvzero, kWheelSpringRest,
        kRearSpringStiffness, kRearSpringDamping));

    m_rearMotor = cpSimpleMotorNew(m_body, m_rearWheel->body(), 0.0);
}

void BikeItem::buildRider()
{
    m_riderMass = newBikeBall(kRiderMassRadius, kRiderMassMass, PhysicsGroup::None, QString());
    m_riderMass->setFriction(kRiderMassFriction);
    m_riderMass->setElasticity(kRiderMassElasticity);
    m_riderMass->setGroup(PhysicsGroup::RiderMass);
    m_riderMass->setLayers(PhysicsLayers::RiderMass);
    m_riderMass->setZValue(kRiderMassZ);
    m_riderMass->setVisible(false);

    m_riderGroove
        = addJoint(cpGrooveJointNew(m_body, m_riderMass->body(), m_riderGrooveA, m_riderGrooveB, cpvzero));
    cpConstraintSetErrorBias(m_riderGroove, m_physics->biasForStepFraction(kRiderGrooveBiasPerStep));
    m_riderSpring = addJoint(cpDampedSpringNew(m_body, m_riderMass->body(), m_riderSpringAnchor, cpvzero,
        kRiderSpringRest, kRiderSpringStiffness, kRiderSpringDamping));
}

// Takes every joint of the bike out of the space. Runs before any of the
// bike's bodies is freed (from the destructor, or when the scene deletes a
// wheel or the rider mass first); afterwards the bike no longer steers.
void BikeItem::removeJoints()
{
    for (cpConstraint *joint : std::as_const(m_joints)) {
        cpSpaceRemoveConstraint(m_space, joint);
        cpConstraintFree(joint);
    }
    m_joints.clear();
    m_riderGroove = nullptr;
    m_riderSpring = nullptr;
    if (m_rearMotor) {
        if (m_motorAdded)
            cpSpaceRemoveConstraint(m_space, m_rearMotor);
        cpConstraintFree(m_rearMotor);
        m_rearMotor = nullptr;
        m_motorAdded = false;
    }
}

void BikeItem::forgetPart(BallItem *part)
{
    removeJoints();
    if (part == m_frontWheel)
        m_frontWheel = nullptr;
    else if (part == m_rearWheel)
        m_rearWheel = nullptr;
    else if (part == m_riderMass)
        m_riderMass = nullptr;
}

RiderRagdollItem *BikeItem::ragdoll() const
{
    return m_ragdoll;
}
ParticleSystemItem *BikeItem::particleSystem() const
{
    return m_particles;
}

void BikeItem::setBikeVisible(bool visible)
{
    setVisible(visible);
    m_frameRect.setVisible(visible);
    if (m_frontWheel)
        m_frontWheel->setVisible(visible);
    if (m_rearWheel)
        m_rearWheel->setVisible(visible);
}

void BikeItem::setBodyPos(qreal x, qreal y)
{
    if (!m_body)
        return;
    const cpVect at = cpv(x, y);
    cpBodySetPosition(m_body, at);
    struct Placement
    {
        BallItem *ball;
        cpVect a;
        cpVect b;
    };
    const Placement placements[] = {{m_frontWheel, m_frontGrooveA, m_frontGrooveB},
        {m_rearWheel, m_rearGrooveA, m_rearGrooveB}, {m_riderMass, m_riderGrooveA, m_riderGrooveB}};
    for (const Placement &p : placements) {
        if (!p.ball)
            continue;
        const cpVect to = cpvadd(at, alongGroove(p.a, p.b, kPlacementAlongGroove));
        p.ball->setBodyPos(to.x, to.y);
        p.ball->updateFromBody();
    }
}

void BikeItem::resetToInitial()
{
    m_active = true;
    if (m_headShape) {
        setShapeLayers(m_headShape, PhysicsLayers::Head);
        setShapeGroup(m_headShape, PhysicsGroup::Bike);
        cpShapeSetCollisionType(m_headShape, CollisionHead);
    }
    destroyRagdoll();
    PhysicsItem::resetToInitial();
    m_stepCounter = 0;
    for (BallItem *ball : {static_cast<BallItem *>(m_frontWheel), static_cast<BallItem *>(m_rearWheel),
             static_cast<BallItem *>(m_riderMass)}) {
        if (ball)
            ball->resetToInitial();
    }
    if (m_riderMass)
        setRiderTilt(0, 0, false);
    if (m_particles)
        m_particles->killAll();
    m_throttle = 0.0;
    m_chassisGroundContact = false;
    m_crashWatch.reset();
}

QRectF BikeItem::boundingRect() const
{
    return m_frameRect.boundingRect().adjusted(
        -kBoundsMarginX, -kBoundsMarginY, kBoundsMarginX, kBoundsMarginY);
}

void BikeItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (!m_frontWheel || !m_rearWheel || !m_riderMass)
        return;
    m_painter.paint(painter, mapFromScene(m_frontWheel->scenePos()), mapFromScene(m_rearWheel->scenePos()),
        mapFromScene(m_riderMass->scenePos()), m_engineShake, m_active);
}

void BikeItem::setThrottle(qreal throttle)
{
    m_throttle = throttle;
}

void BikeItem::setBrake(qreal brake)
{
    if (!m_active || !m_rearMotor)
        return;
    if (brake == 1.0 && !m_motorAdded) {
        cpSpaceAddConstraint(m_space, m_rearMotor);
        m_motorAdded = true;
    } else if (brake == 0.0 && m_motorAdded) {
        cpSpaceRemoveConstraint(m_space, m_rearMotor);
        m_motorAdded = false;
    }
}

void BikeItem::setTiltSpeed(qreal speed)
{
    m_tiltSpeed = speed;
    m_tiltButtonsUsed = true;
}

void BikeItem::addRiderTilt(qreal delta)
{
    const qreal t = std::clamp(m_tilt + delta, -1.0, 1.0);
    setRiderTilt(t, kTiltLeanDegrees * t, true);
}

void BikeItem::setRiderTilt(qreal tilt, qreal leanAngle, bool kick)
{
    if (!m_active)
        return;
    m_tilt = tilt;
    if (!m_riderMass || !m_riderGroove)
        return;
    if (m_stepCounter <= kNoKickSteps)
        kick = false;

    m_riderGrooveA = cpv(kRiderGrooveTiltA * tilt, kRiderGrooveLowY);
    m_riderGrooveB = cpv(kRiderGrooveTiltB * tilt, kRiderGrooveHighY);
    m_riderSpringAnchor = cpv(kRiderSpringTilt * tilt, kRiderGrooveLowY);
    cpGrooveJointSetGrooveA(m_riderGroove, m_riderGrooveA);
    cpGrooveJointSetGrooveB(m_riderGroove, m_riderGrooveB);
    cpDampedSpringSetAnchorA(m_riderSpring, m_riderSpringAnchor);

    if (kick)
        kickFrame(leanAngle);
    m_previousLeanAngle = leanAngle;
}

// A lean throws the frame the other way: a pure angular impulse whose size
// follows the change of lean angle since the last call.
void BikeItem::kickFrame(qreal leanAngle)
{
    const std::optional<qreal> impulse = LeanKick::impulse(m_previousLeanAngle, leanAngle, m_tiltButtonsUsed);
    if (!impulse)
        return;
    const qreal w = cpBodyGetAngularVelocity(m_body) + *impulse / cpBodyGetMoment(m_body);
    cpBodySetAngularVelocity(m_body, w);
}

void BikeItem::stepUpdate()
{
    if (m_ragdoll) {
        if (++m_crashCounter > kCrashSteps) {
            emit permanentlyGroundHitted();
            m_crashCounter = 0;
        }
        return;
    }
    if (!m_frontWheel || !m_rearWheel)
        return;
    ++m_stepCounter;
    if (m_throttle > 0.0) {
        const qreal w = m_rearWheel->angularVelocity();
        const cpVect v = cpBodyGetVelocity(m_rearWheel->body());
        // A wheel at exactly zero velocity has no direction to drive along.
        if (w <= m_wheelMaxAngularVelocity - kDriveHeadroom && (v.x != 0.0 || v.y != 0.0))
            m_rearWheel->applyDriveImpulse(m_throttle * (m_wheelMaxAngularVelocity - kDriveHeadroom));
        m_engineShake += m_shakeDirection * (kShakeBase + float(w) * kShakePerRadPerSec);
        if ((m_engineShake > kShakeLimit && m_shakeDirection > 0)
            || (m_engineShake < -kShakeLimit && m_shakeDirection < 0))
            m_shakeDirection = -m_shakeDirection;
    } else if (m_throttle < 0.0) {
        m_frontWheel->setAngularVelocity(0.0);
    } else {
        m_rearWheel->setAngularVelocity(m_rearWheel->angularVelocity() * kCoastSpinFactor);
    }
    if (m_tiltSpeed != 0.0)
        addRiderTilt(m_tiltSpeed);
}

void BikeItem::emitMudParticle(qreal x, qreal y, qreal angle, qreal speed)
{
    if (m_particles)
        m_particles->addEmission(x, y, angle, speed);
}

void BikeItem::playGroundHitSound(qreal volume)
{
    if (m_soundManager)
        m_soundManager->playGroundHitSound(volume);
}

void BikeItem::noteSlidingSpeed(qreal speed)
{
    m_maxSlidingSpeed = std::max(m_maxSlidingSpeed, std::fabs(speed));
}

void BikeItem::setChassisGroundContact(bool contact)
{
    m_chassisGroundContact = contact;
}

void BikeItem::updateFromBody()
{
    if (!m_body)
        return;
    const cpVect p = cpBodyGetPosition(m_body);
    setPos(p.x, p.y);

    if (m_tiltButtonsUsed && m_tiltSpeed == 0.0) {
        const qreal step = kTiltReturnPerStep;
        qreal t = m_tilt;
        if (t > 0)
            t = std::max(0.0, t - step);
        else if (t < 0)
            t = std::min(0.0, t + step);
        setRiderTilt(t, kTiltReturnLeanDegrees * t, false);
    }
    setRotation(radToDeg(cpBodyGetAngle(m_body)));

    for (BallItem *ball : {static_cast<BallItem *>(m_frontWheel), static_cast<BallItem *>(m_rearWheel),
             static_cast<BallItem *>(m_riderMass)}) {
        if (ball)
            ball->updateFromBody();
    }
    if (m_riderMass)
        m_riderMass->setAngularVelocity(0.0);

    if (m_particles) {
        m_particles->setPos(pos());
        m_particles->processEmissions();
    }

    if (m_soundManager && m_rearWheel) {
        m_soundManager->setThrottle(m_throttle > 0.0);
        m_soundManager->setMotorSpeed(
            std::max(0.0, m_rearWheel->angularVelocity() / m_wheelMaxAngularVelocity));
        m_soundManager->playSlidingSound(
            m_maxSlidingSpeed >= kMinSlidingSpeed ? m_maxSlidingSpeed / kSlidingSpeedScale : 0.0);
    }
    m_maxSlidingSpeed = 0.0;

    if (!m_ragdoll)
        detectCrash();
}

void BikeItem::detectCrash()
{
    const CrashWatch::Hit hit
        = m_crashWatch.observe(cpBodyGetVelocity(m_body), cpBodyGetAngularVelocity(m_body));
    if (hit.hard)
        emit hardCollisionDetected(hit.dvx, hit.dvy, hit.dw);
    if (hit.crash)
        releaseRagdoll();
}

void BikeItem::groundContactBookkeeping()
{
    if (m_crashWatch.countGroundContact(m_chassisGroundContact)) {
        emit permanentlyGroundHitted();
        m_crashWatch.restartGroundContact();
    }
}

void BikeItem::advance(int phase)
{
    if (phase != 1 || !m_body)
        return;
    updateFromBody();
    groundContactBookkeeping();
    m_chassisGroundContact = false;
}

void BikeItem::crash()
{
    releaseRagdoll();
}

void BikeItem::releaseRagdoll()
{
    if (!m_active)
        return;
    m_crashCounter = 0;
    m_active = false;
    if (m_headShape) {
        cpShapeSetCollisionType(m_headShape, CollisionDefault);
        setShapeGroup(m_headShape, PhysicsGroup::None);
        setShapeLayers(m_headShape, 0);
    }
    destroyRagdoll();
    if (cpSpaceIsLocked(m_space)) {
        // Chipmunk forbids adding bodies during a step: build the ragdoll
        // when this step ends.
        m_ragdollPending = true;
        cpSpaceAddPostStepCallback(m_space, &BikeItem::buildRagdollPostStep, this, this);
    } else {
        buildRagdoll();
    }
    if (m_soundManager)
        m_soundManager->playCrowdDisappointmentSound();
}

void BikeItem::buildRagdollPostStep(cpSpace *, void *, void *data)
{
    auto *bike = static_cast<BikeItem *>(data);
    if (bike->m_ragdollPending && !bike->m_active)
        bike->buildRagdoll();
}

void BikeItem::buildRagdoll()
{
    m_ragdollPending = false;
    m_ragdoll = new PartItem<RiderRagdollItem>(m_physics, m_scene, this);
    m_ragdoll->setBeforeDestroy([this] { m_ragdoll = nullptr; });
}

void BikeItem::destroyRagdoll()
{
    m_ragdollPending = false;
    if (!m_ragdoll)
        return;
    PartItem<RiderRagdollItem> *ragdoll = m_ragdoll;
    m_ragdoll = nullptr;
    ragdoll->setBeforeDestroy(nullptr);
    delete ragdoll;
}

QPointF BikeItem::bikePos() const
{
    return scenePos();
}

qreal BikeItem::frontmostX() const
{
    qreal x = bodyX();
    if (m_frontWheel)
        x = std::max(x, m_frontWheel->bodyX());
    if (m_rearWheel)
        x = std::max(x, m_rearWheel->bodyX());
    if (m_ragdoll)
        x = std::max(x, m_ragdoll->bodyX());
    return x;
}

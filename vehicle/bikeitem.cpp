// SPDX-License-Identifier: GPL-3.0-or-later
#include "bikeitem.h"

#include "physics/ballitem.h"
#include "physics/particlesystemitem.h"
#include "physics/physics.h"
#include "physics/physicsconventions.h"
#include "physics/velocragphysics.h"
#include "sound/soundmanager.h"
#include "vehicle/riderragdollitem.h"

#include <QGraphicsScene>
#include <QPainter>
#include <algorithm>
#include <cmath>

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

// Frame: mass, and the box the moment of inertia is computed for (times
// the frame rectangle).
constexpr qreal kFrameMass = 13.0;
constexpr qreal kFrameMomentScale = 1.1;
const cpVect kMainFrameVerts[] = {{-42.7, -6.5}, {-42.7, -1.5}, {38, -1.5}, {38, -6.5}};
constexpr qreal kMainFrameElasticity = 0.25;
constexpr qreal kMainFrameFriction = 1.0;
const cpVect kSecondFrameVerts[] = {{-43, 1.5}, {-43, 6.5}, {36, 6.5}, {36, 1.5}};
constexpr float kSecondFrameElasticity = 0.3f;
constexpr float kSecondFrameFriction = 0.9f;
constexpr qreal kHeadRadius = 12.0;
const cpVect kHeadOffset = {-5, -45};
constexpr float kHeadElasticity = 0.2f;
constexpr float kHeadFriction = 0.9f;
constexpr qreal kKneeRadius = 4.0;
const cpVect kKneeOffset = {18, -11};
constexpr qreal kKneeElasticity = 0.2;
constexpr qreal kKneeFriction = 0.8;

// Wheels (radius in units, mass, angular velocity limit in rad/s).
constexpr qreal kWheelRadius = 20.0;
constexpr qreal kWheelMass = 2.1;
constexpr qreal kWheelMaxAngularVelocity = 120.0;
constexpr qreal kFrontWheelElasticity = 0.0;
constexpr qreal kFrontWheelFriction = 0.96;
constexpr qreal kRearWheelElasticity = 0.05;
constexpr qreal kRearWheelFriction = 1.15;
const char *const kWheelSprite = BikePainter::kWheelPicture;

// Suspension grooves in frame coordinates; the joint uses the groove from
// a fraction of the way along it, and setBodyPos puts the wheel at 80 %.
const cpVect kFrontGrooveA = {24, 4};
const cpVect kFrontGrooveB = {36, 25};
const cpVect kRearGrooveA = {-32, 8};
const cpVect kRearGrooveB = {-32, 26};
constexpr qreal kFrontGrooveStart = 0.05;
constexpr qreal kRearGrooveStart = 0.1;
constexpr qreal kPlacementAlongGroove = 0.8;
// Springs: rest length (units), stiffness, damping.
constexpr qreal kWheelSpringRest = 24.0;
constexpr qreal kFrontSpringStiffness = 3132.0;
const qreal kFrontSpringDamping = std::nextafter(70.8, 71.0);
constexpr qreal kRearSpringStiffness = 2940.0;
constexpr qreal kRearSpringDamping = 80.4;
// Joints correct this fraction of their error per step.
constexpr qreal kJointBiasPerStep = 0.1;
constexpr qreal kRiderGrooveBiasPerStep = 0.35;

// Rider mass on its own sprung slide.
constexpr qreal kRiderMassRadius = 7.5;
constexpr qreal kRiderMassMass = 11.0;
constexpr qreal kRiderMassFriction = 0.6;
constexpr qreal kRiderMassElasticity = 0.39;
const cpVect kRiderGrooveInitialA = {-2, 10};
const cpVect kRiderGrooveInitialB = {-3, -15};
constexpr qreal kRiderSpringRest = 26.5;
constexpr qreal kRiderSpringStiffness = 550.0;
constexpr qreal kRiderSpringDamping = 37.4;
// The slide's ends move with the tilt: A = (-22.5 t, 10), B = (-30.5 t, -15);
// the spring's frame anchor = (22.5 t, 10).
constexpr qreal kRiderGrooveTiltA = -22.5;
constexpr qreal kRiderGrooveTiltB = -30.5;
constexpr qreal kRiderSpringTilt = 22.5;
constexpr qreal kRiderGrooveLowY = 10.0;
constexpr qreal kRiderGrooveHighY = -15.0;

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
constexpr float kKickMinLeanChange = 0.3f;
constexpr float kKickLeanThreshold = 3.5f;
constexpr qreal kKickBaseGain = -3.0;
constexpr qreal kKickBaseLimit = 45.0;
constexpr qreal kKickGain = 95.0;
constexpr qreal kKickLimit = 700.0;
constexpr float kKickSameDirectionFactor = 0.38f;
constexpr qreal kKickLeanDivisor = 80.0;
constexpr qreal kKickImpulse = -30.0;

// Sound.
constexpr qreal kMinSlidingSpeed = 1.0;
constexpr qreal kSlidingSpeedScale = 200.0;

// Crash detection: changes of the frame's velocity over three steps.
constexpr qreal kHardHitVx = 240.0;
constexpr qreal kHardHitVy = 401.25;
constexpr qreal kHardHitW = 8.25;
constexpr qreal kCrashVx = 320.0;
constexpr qreal kCrashVy = 535.0;
constexpr int kCrashW = 11;
// Lying on the ground: +12 per step with frame contact, -1 without.
constexpr int kGroundContactGain = 12;
constexpr int kGroundContactLimit = 1080;
// Steps after the crash until the run is given up.
constexpr int kCrashSteps = 225;

cpVect alongGroove(cpVect a, cpVect b, qreal fraction)
{
    return cpvadd(a, cpvmult(cpvsub(b, a), fraction));
}

void freeShape(cpSpace *space, cpShape *&shape)
{
    if (!shape)
        return;
    cpSpaceRemoveShape(space, shape);
    cpShapeFree(shape);
    shape = nullptr;
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
    void *listener = static_cast<CollisionListener *>(this);
    const cpCollisionType headPartners[] = {CollisionTerrain, CollisionObject};
    const cpCollisionType terrainPartners[] = {CollisionWheel, CollisionFrame};
    for (cpCollisionType b : terrainPartners) {
        cpCollisionHandler *h = cpSpaceAddCollisionHandler(m_space, CollisionTerrain, b);
        if (h->userData == listener)
            h->userData = nullptr;
    }
    for (cpCollisionType a : headPartners) {
        cpCollisionHandler *h = cpSpaceAddCollisionHandler(m_space, a, CollisionHead);
        if (h->userData == listener)
            h->userData = nullptr;
    }

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
    freeShape(m_space, m_headShape);
    freeShape(m_space, m_kneeShape);
    freeShape(m_space, m_secondFrameShape);
    freeShape(m_space, m_shape);
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

BallItem *BikeItem::frontWheel() const
{
    return m_frontWheel;
}
BallItem *BikeItem::rearWheel() const
{
    return m_rearWheel;
}
BallItem *BikeItem::riderMass() const
{
    return m_riderMass;
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
    m_groundContactCounter = 0;
    m_speedHistory.fill(cpvzero);
    m_angularSpeedHistory.fill(0.0);
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
    const qreal d = m_previousLeanAngle - leanAngle;
    const qreal minChange = kKickMinLeanChange;
    const qreal threshold = kKickLeanThreshold;
    if (std::fabs(d) < minChange && std::fabs(leanAngle) <= threshold)
        return;

    qreal base = 0.0;
    if (!m_tiltButtonsUsed && std::fabs(leanAngle) > threshold) {
        if (leanAngle > threshold && d <= 0)
            base = std::clamp(kKickBaseGain * (leanAngle - threshold), -kKickBaseLimit, kKickBaseLimit);
        else if (leanAngle < -threshold && d >= 0)
            base = std::clamp(kKickBaseGain * (leanAngle + threshold), -kKickBaseLimit, kKickBaseLimit);
    }
    qreal x = std::clamp(base + kKickGain * d, -kKickLimit, kKickLimit);
    const qreal sameDirection = kKickSameDirectionFactor;
    if (leanAngle > 0)
        x *= d > 0 ? sameDirection : 1.0 + leanAngle / kKickLeanDivisor;
    else if (leanAngle < 0)
        x *= d < 0 ? sameDirection : 1.0 - leanAngle / kKickLeanDivisor;

    const qreal w = cpBodyGetAngularVelocity(m_body) + kKickImpulse * x / cpBodyGetMoment(m_body);
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
    std::rotate(m_speedHistory.rbegin(), m_speedHistory.rbegin() + 1, m_speedHistory.rend());
    std::rotate(
        m_angularSpeedHistory.rbegin(), m_angularSpeedHistory.rbegin() + 1, m_angularSpeedHistory.rend());
    m_speedHistory[0] = cpBodyGetVelocity(m_body);
    m_angularSpeedHistory[0] = cpBodyGetAngularVelocity(m_body);

    const qreal dvx = std::fabs(m_speedHistory[0].x - m_speedHistory[3].x);
    const qreal dvy = std::fabs(m_speedHistory[0].y - m_speedHistory[3].y);
    // The angular change counts in whole radians per second.
    const qreal dw = std::fabs(std::trunc(m_angularSpeedHistory[0] - m_angularSpeedHistory[3]));
    if (dvx > kHardHitVx || dvy > kHardHitVy || dw > kHardHitW)
        emit hardCollisionDetected(dvx, dvy, dw);
    if (dvx > kCrashVx || dvy > kCrashVy || dw > kCrashW)
        releaseRagdoll();
}

void BikeItem::groundContactBookkeeping()
{
    if (m_chassisGroundContact) {
        m_groundContactCounter += kGroundContactGain;
        if (m_groundContactCounter > kGroundContactLimit) {
            emit permanentlyGroundHitted();
            m_groundContactCounter = 0;
        }
    } else if (m_groundContactCounter > 0) {
        --m_groundContactCounter;
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

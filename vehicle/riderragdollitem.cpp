// SPDX-License-Identifier: GPL-3.0-or-later
#include "riderragdollitem.h"

#include "base/densepixmap.h"
#include "physics/boxitem.h"
#include "physics/physics.h"
#include "physics/physicsconventions.h"
#include "vehicle/bikeitem.h"

#include <QGraphicsScene>
#include <QPainter>
#include <cmath>

namespace {
constexpr qreal kTorsoMass = 20.0;
constexpr qreal kTorsoWidth = 15.0;
constexpr qreal kTorsoHeight = 55.0;
constexpr float kTorsoElasticity = 0.2f;
constexpr qreal kTorsoFriction = 0.5;
// The torso starts 21 units up from the frame origin, turned back by the
// rider's tilt (degrees added as written: -tilt * 1.57 * 0.4 + 0.2).
constexpr qreal kTiltAngleFactor = -1.57 * 0.4;
constexpr qreal kAngleOffset = 0.2;
constexpr qreal kUpDegrees = 90.0;
constexpr qreal kTorsoUp = 21.0;
constexpr qreal kBoundsMarginX = 50.0;
constexpr qreal kBoundsMarginY = 60.0;

constexpr qreal kLimbElasticity = 0.3;
constexpr qreal kLimbFriction = 0.8;
constexpr qreal kLimbZ = 0.0;
// Joints correct this fraction of their error per step.
constexpr qreal kJointBiasPerStep = 0.1;
// Thigh 37 x 10, mass 5, 5 units down from the frame origin.
constexpr qreal kThighWidth = 37.0, kThighHeight = 10.0, kThighMass = 5.0, kThighDown = 5.0;
constexpr qreal kThighAngle = 0.785;
const cpVect kHipOnTorso = {0, 21};
const cpVect kHipOnThigh = {-16, 0};
constexpr qreal kHipMin = -0.628, kHipMax = 2.355;
// Shin 10 x 40, mass 3, 14 units from the thigh, 0.3 rad off the up direction.
constexpr qreal kShinWidth = 10.0, kShinHeight = 40.0, kShinMass = 3.0, kShinDown = 14.0, kShinTurn = 0.3;
constexpr qreal kShinAngle = 0.1;
const cpVect kKneeOnThigh = {14, 0};
const cpVect kKneeOnShin = {0, -18};
constexpr qreal kKneeMin = -1.57, kKneeMax = 0.785;
// Arm 40 x 10, mass 1, 35 units up, 0.2 rad off.
constexpr qreal kArmWidth = 40.0, kArmHeight = 10.0, kArmMass = 1.0, kArmUp = 35.0, kArmTurn = 0.2;
constexpr qreal kArmAngle = 0.3;
const cpVect kShoulderOnTorso = {4, -13};
const cpVect kShoulderOnArm = {-18, 0};
} // namespace

RiderRagdollItem::RiderRagdollItem(Physics *physics, QGraphicsScene *scene, BikeItem *bike, QObject *parent)
    : QObject(parent)
    , PhysicsItem(nullptr)
    , m_physics(physics)
    , m_scene(scene)
    , m_bike(bike)
    , m_torsoRect(-kTorsoWidth / 2, -kTorsoHeight / 2, kTorsoWidth, kTorsoHeight)
{
    m_space = physics->space();
    m_torsoRect.setPen(QPen(Qt::black));
    m_torsoRect.setBrush(QBrush(Qt::green));

    m_body = cpSpaceAddBody(
        m_space, cpBodyNew(kTorsoMass, cpMomentForBox(kTorsoMass, kTorsoWidth, kTorsoHeight)));
    m_shape = cpSpaceAddShape(m_space, cpBoxShapeNew(m_body, kTorsoWidth, kTorsoHeight, 0.0));
    cpShapeSetElasticity(m_shape, kTorsoElasticity);
    cpShapeSetFriction(m_shape, kTorsoFriction);
    setShapeGroup(m_shape, PhysicsGroup::Ragdoll);
    setShapeLayers(m_shape, PhysicsLayers::RagdollTorso);
    cpBodySetPosition(m_body, cpvzero);
    scene->addItem(this);

    const qreal angle = bike->bodyAngle() + (kTiltAngleFactor * bike->tilt() + kAngleOffset);
    setBodyAngle(angle);
    const qreal phi = degToRad(angle - kUpDegrees);
    const cpVect bikePos = cpv(bike->bodyX(), bike->bodyY());
    const cpVect up = cpv(std::cos(phi), std::sin(phi));
    const cpVect torsoPos = cpvadd(bikePos, cpvmult(up, kTorsoUp));
    setBodyPos(torsoPos.x, torsoPos.y);
    setAngularVelocity(bike->angularVelocity());
    setVelocity(bike->velocityX(), bike->velocityY());

    m_thigh = addLimb(kThighWidth, kThighHeight, kThighMass, ":/images/driver_foot_high.png",
        cpvsub(bikePos, cpvmult(up, kThighDown)), angle + kThighAngle);
    m_hipJoint = addJoint(cpPivotJointNew2(m_body, m_thigh->body(), kHipOnTorso, kHipOnThigh));
    m_hipLimit = addJoint(cpRotaryLimitJointNew(m_body, m_thigh->body(), kHipMin, kHipMax));

    const cpVect thighPos = cpv(m_thigh->bodyX(), m_thigh->bodyY());
    m_shin = addLimb(kShinWidth, kShinHeight, kShinMass, ":/images/driver_foot_low.png",
        cpvsub(thighPos, cpvmult(cpv(std::cos(phi - kShinTurn), std::sin(phi - kShinTurn)), kShinDown)),
        angle + kShinAngle);
    m_kneeJoint = addJoint(cpPivotJointNew2(m_thigh->body(), m_shin->body(), kKneeOnThigh, kKneeOnShin));
    m_kneeLimit = addJoint(cpRotaryLimitJointNew(m_thigh->body(), m_shin->body(), kKneeMin, kKneeMax));

    m_arm = addLimb(kArmWidth, kArmHeight, kArmMass, ":/images/driver_hand.png",
        cpvadd(bikePos, cpvmult(cpv(std::cos(phi + kArmTurn), std::sin(phi + kArmTurn)), kArmUp)),
        angle + kArmAngle);
    m_shoulderJoint = addJoint(cpPivotJointNew2(m_body, m_arm->body(), kShoulderOnTorso, kShoulderOnArm));

    updateFromBody();
    m_thigh->updateFromBody();
    m_shin->updateFromBody();
    m_arm->updateFromBody();
}

RiderRagdollItem::~RiderRagdollItem()
{
    // Joints go before the bodies they hold; each limb after its joints.
    removeJoint(m_shoulderJoint);
    deleteLimb(m_arm);
    removeJoint(m_kneeJoint);
    removeJoint(m_kneeLimit);
    deleteLimb(m_shin);
    removeJoint(m_hipLimit);
    removeJoint(m_hipJoint);
    deleteLimb(m_thigh);
    cpSpaceRemoveShape(m_space, m_shape);
    cpShapeFree(m_shape);
    m_shape = nullptr;
    cpSpaceRemoveBody(m_space, m_body);
    cpBodyFree(m_body);
    m_body = nullptr;
    if (scene())
        scene()->removeItem(this);
}

PartItem<BoxItem> *RiderRagdollItem::addLimb(
    qreal width, qreal height, qreal mass, const char *sprite, cpVect position, qreal angleDegrees)
{
    auto *limb = new PartItem<BoxItem>(m_physics, width, height, mass, QString::fromLatin1(sprite));
    limb->setBeforeDestroy([this, limb] { forgetLimb(limb); });
    limb->setBodyPos(position.x, position.y);
    limb->setGroup(PhysicsGroup::Ragdoll);
    limb->setLayers(PhysicsLayers::RagdollLimbs);
    limb->setVelocity(m_bike->velocityX(), m_bike->velocityY());
    limb->setAngularVelocity(m_bike->angularVelocity());
    limb->setBodyAngle(angleDegrees);
    m_scene->addItem(limb);
    limb->setZValue(kLimbZ);
    limb->setElasticity(kLimbElasticity);
    limb->setFriction(kLimbFriction);
    limb->setShapeData(static_cast<BoxItem *>(limb));
    return limb;
}

cpConstraint *RiderRagdollItem::addJoint(cpConstraint *joint)
{
    cpConstraintSetErrorBias(joint, m_physics->biasForStepFraction(kJointBiasPerStep));
    return cpSpaceAddConstraint(m_space, joint);
}

void RiderRagdollItem::removeJoint(cpConstraint *&joint)
{
    if (!joint)
        return;
    cpSpaceRemoveConstraint(m_space, joint);
    cpConstraintFree(joint);
    joint = nullptr;
}

// A limb is going before the ragdoll (the scene deletes items in any
// order): every joint goes first, since each may hold that limb's body.
void RiderRagdollItem::forgetLimb(BoxItem *limb)
{
    for (cpConstraint **joint : {&m_shoulderJoint, &m_kneeJoint, &m_kneeLimit, &m_hipLimit, &m_hipJoint})
        removeJoint(*joint);
    if (limb == m_thigh)
        m_thigh = nullptr;
    else if (limb == m_shin)
        m_shin = nullptr;
    else if (limb == m_arm)
        m_arm = nullptr;
}

void RiderRagdollItem::deleteLimb(PartItem<BoxItem> *&limb)
{
    if (!limb)
        return;
    PartItem<BoxItem> *doomed = limb;
    limb = nullptr;
    doomed->setBeforeDestroy(nullptr);
    if (doomed->scene())
        doomed->scene()->removeItem(doomed);
    delete doomed;
}

BoxItem *RiderRagdollItem::thigh() const
{
    return m_thigh;
}
BoxItem *RiderRagdollItem::shin() const
{
    return m_shin;
}
BoxItem *RiderRagdollItem::arm() const
{
    return m_arm;
}

void RiderRagdollItem::updateFromBody()
{
    if (!m_body)
        return;
    const cpVect p = cpBodyGetPosition(m_body);
    const qreal degrees = radToDeg(cpBodyGetAngle(m_body));
    setPos(p.x, p.y);
    setRotation(degrees);
    m_torsoRect.setPos(p.x, p.y);
    m_torsoRect.setRotation(degrees);
}

void RiderRagdollItem::advance(int phase)
{
    if (phase == 1 && m_body)
        updateFromBody();
}

QRectF RiderRagdollItem::boundingRect() const
{
    return m_torsoRect.boundingRect().adjusted(
        -kBoundsMarginX, -kBoundsMarginY, kBoundsMarginX, kBoundsMarginY);
}

void RiderRagdollItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QPixmap &body = m_bike->riderBodyPixmap();
    painter->drawPixmap(DensePixmap::centredRect(body), body, QRectF(body.rect()));
}

void RiderRagdollItem::setRagdollEnabled(bool enabled)
{
    setEnabled(enabled);
}

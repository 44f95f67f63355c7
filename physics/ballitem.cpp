// SPDX-License-Identifier: GPL-3.0-or-later
#include "ballitem.h"

#include "base/densepixmap.h"
#include "physics.h"
#include "physicsconventions.h"

#include <QPainter>
#include <cmath>

namespace {
constexpr float kBallFriction = 0.9f;
constexpr double kBallElasticity = 0.0;
// A ball's picture turns at 150/180 of its body's rotation: it reads better
// on screen than a sprite spinning at full speed.
constexpr float kSpritePi = 3.1417f;
constexpr float kSpriteHalfTurnDegrees = 150.0f;
// The fallback drawing's spoke angle: rotation x kSpokePi / 360.
constexpr float kSpokePi = 3.1416f;
// Room for the outline pen around the circle, scene units.
constexpr qreal kPenMargin = 1.5;
} // namespace

BallItem::BallItem(
    Physics *physics, qreal radius, qreal mass, PhysicsItem *ownerItem, int group, const QString &spriteName)
    : PhysicsItem(ownerItem)
    , m_physics(physics)
    , m_spriteName(spriteName)
    , m_radius(radius)
{
    m_space = physics->space();
    m_body = cpSpaceAddBody(m_space, cpBodyNew(mass, cpMomentForCircle(mass, 0.0, radius, cpvzero)));
    m_shape = cpSpaceAddShape(m_space, cpCircleShapeNew(m_body, radius, cpvzero));
    cpShapeSetElasticity(m_shape, kBallElasticity);
    cpShapeSetFriction(m_shape, kBallFriction);
    if (group != 0)
        setShapeGroup(m_shape, cpGroup(group));
    if (!spriteName.isEmpty())
        m_sprite = DensePixmap::load(spriteName);
    resetToInitial();
}

BallItem::~BallItem()
{
    freeBodyAndShape();
}

qreal BallItem::rimSpeed() const
{
    return angularVelocity() * m_radius;
}

void BallItem::applyDriveImpulse(qreal t)
{
    if (!m_body)
        return;
    const cpVect v = cpBodyGetVelocity(m_body);
    const cpFloat speed = cpvlength(v);
    if (!(speed > 0.0))
        return;
    const cpVect n = cpvmult(v, 1.0 / speed);
    cpBodySetForce(m_body, cpvzero);
    cpBodySetTorque(m_body, 0.0);
    const cpVect j = cpvmult(cpv(-n.y, n.x), m_radius);
    cpBodyApplyImpulseAtWorldPoint(m_body, j, cpvadd(cpBodyGetPosition(m_body), cpvmult(n, t)));
}

PhysicsItem *BallItem::clone() const
{
    auto *copy = new BallItem(m_physics, m_radius, cpBodyGetMass(m_body), ownerItem(), group(), m_spriteName);
    copyStateTo(copy);
    return copy;
}

void BallItem::updateFromBody()
{
    if (!m_body)
        return;
    const cpVect p = cpBodyGetPosition(m_body);
    setPos(p.x, p.y);
    setRotation(spriteRotation(cpBodyGetAngle(m_body)));
}

qreal BallItem::spriteRotation(qreal bodyAngle)
{
    return bodyAngle / kSpritePi * kSpriteHalfTurnDegrees;
}

void BallItem::advance(int phase)
{
    if (phase == 1 && !ownerItem() && m_body)
        updateFromBody();
}

// Covers the circle with its pen and, when the picture is larger than the
// circle, the picture as well.
QRectF BallItem::boundingRect() const
{
    const qreal r = m_radius + kPenMargin;
    QRectF rect(-r, -r, 2 * r, 2 * r);
    if (!m_sprite.isNull())
        rect |= DensePixmap::centredRect(m_sprite);
    return rect;
}

void BallItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (!m_sprite.isNull()) {
        painter->drawPixmap(DensePixmap::centredRect(m_sprite).topLeft(), m_sprite);
        return;
    }
    painter->setPen(m_pen);
    painter->setBrush(m_brush);
    painter->drawEllipse(QRectF(-m_radius, -m_radius, 2 * m_radius, 2 * m_radius));
    if (m_drawSpoke) {
        const qreal t = rotation() * kSpokePi / 360.0;
        painter->drawLine(QPointF(0, 0), QPointF(m_radius * std::cos(t), m_radius * std::sin(t)));
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "particleitem.h"

#include "physics.h"
#include "physicsconventions.h"

#include <QDebug>

namespace {
constexpr float kFriction = 0.9f;
constexpr qreal kElasticity = 0.0;
// A body spin below this (rad/s) after halving is stopped outright.
constexpr qreal kSpinCutoff = 0.2;
} // namespace

ParticleItem::ParticleItem(Physics *physics, qreal radius, qreal mass, int group, bool hasBody)
    : PhysicsItem(nullptr)
    , m_physics(physics)
    , m_hasBody(hasBody)
{
    m_space = physics->space();
    if (!hasBody)
        return;
    m_body = cpSpaceAddBody(m_space, cpBodyNew(mass, cpMomentForCircle(mass, 0.0, radius, cpvzero)));
    m_shape = cpSpaceAddShape(m_space, cpCircleShapeNew(m_body, radius, cpvzero));
    cpShapeSetElasticity(m_shape, kElasticity);
    cpShapeSetFriction(m_shape, kFriction);
    if (group != 0)
        setShapeGroup(m_shape, cpGroup(group));
}

void ParticleItem::setBodyPos(qreal x, qreal y)
{
    if (m_hasBody) {
        PhysicsItem::setBodyPos(x, y);
        return;
    }
    m_x = x;
    m_y = y;
}

void ParticleItem::setVelocity(qreal vx, qreal vy)
{
    if (m_hasBody) {
        PhysicsItem::setVelocity(vx, vy);
        return;
    }
    m_vx = vx;
    m_vy = vy;
}

qreal ParticleItem::bodyX() const
{
    return m_hasBody ? PhysicsItem::bodyX() : m_x;
}
qreal ParticleItem::bodyY() const
{
    return m_hasBody ? PhysicsItem::bodyY() : m_y;
}
qreal ParticleItem::velocityX() const
{
    return m_hasBody ? PhysicsItem::velocityX() : m_vx;
}
qreal ParticleItem::velocityY() const
{
    return m_hasBody ? PhysicsItem::velocityY() : m_vy;
}

void ParticleItem::updateFromBody()
{
    // Dead particles keep ticking; stop at 0 so the count cannot overflow.
    if (m_lifetime > 0)
        --m_lifetime;
    if (m_lifetime <= 0)
        m_alive = false;

    if (m_hasBody) {
        const qreal half = angularVelocity() / 2.0;
        setAngularVelocity(half < kSpinCutoff ? 0.0 : half);
        return;
    }
    const qreal dt = m_physics->timeStep();
    m_vy += cpSpaceGetGravity(m_space).y * dt;
    m_x += m_vx * dt;
    m_y += m_vy * dt;
}

QRectF ParticleItem::boundingRect() const
{
    qDebug("ParticleItem::boundingRect - unimplemented method called\n");
    return QRectF();
}

void ParticleItem::paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *)
{
    qDebug("ParticleItem::paint - unimplemented method called\n");
}

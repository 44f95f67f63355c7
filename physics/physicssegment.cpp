// SPDX-License-Identifier: GPL-3.0-or-later
#include "physicssegment.h"

#include "physics.h"
#include "physicsconventions.h"

#include <QDebug>

namespace {
constexpr double kSegmentRadius = 1.0;
constexpr double kSegmentElasticity = 1.0;
constexpr double kSegmentFriction = 1.0;
} // namespace

PhysicsSegment::PhysicsSegment(Physics *physics, qreal ax, qreal ay, qreal bx, qreal by, cpBody *body)
    : PhysicsItem(nullptr)
    , m_physics(physics)
    , m_ax(ax)
    , m_ay(ay)
    , m_bx(bx)
    , m_by(by)
{
    m_space = physics->space();
    m_body = body;
    m_shape = createShape();
}

PhysicsSegment::~PhysicsSegment()
{
    // A shape on a static body lives in the static index; cpSpaceRemoveShape
    // handles both indexes.
    cpSpaceRemoveShape(m_space, m_shape);
    cpShapeFree(m_shape);
    m_shape = nullptr;
}

cpShape *PhysicsSegment::createShape()
{
    cpBody *owner = m_body ? m_body : cpSpaceGetStaticBody(m_space);
    cpShape *shape = cpSegmentShapeNew(owner, cpv(m_ax, m_ay), cpv(m_bx, m_by), kSegmentRadius);
    cpSpaceAddShape(m_space, shape);
    cpShapeSetElasticity(shape, kSegmentElasticity);
    cpShapeSetFriction(shape, kSegmentFriction);
    return shape;
}

// The replaced shape is freed, not only taken out of the space.
void PhysicsSegment::rebuildShape()
{
    const cpGroup group = shapeGroup(m_shape);
    cpSpaceRemoveShape(m_space, m_shape);
    cpShapeFree(m_shape);
    m_shape = createShape();
    setShapeGroup(m_shape, group);
}

void PhysicsSegment::setAx(qreal ax)
{
    m_ax = ax;
    rebuildShape();
}

void PhysicsSegment::setAy(qreal ay)
{
    m_ay = ay;
    rebuildShape();
}

void PhysicsSegment::setBx(qreal bx)
{
    m_bx = bx;
    rebuildShape();
}

void PhysicsSegment::setBy(qreal by)
{
    m_by = by;
    rebuildShape();
}

QRectF PhysicsSegment::boundingRect() const
{
    qDebug().noquote() << "PhysicsSegment::boundingRect - unimplemented mehtod called\n";
    return QRectF();
}

void PhysicsSegment::paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *)
{
    qDebug().noquote() << "PhysicsSegment::paint - unimplemented mehtod called\n";
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "physicsitem.h"

#include "physics.h"
#include "physicsconventions.h"

#include <QDebug>
#include <chipmunk/chipmunk_structs.h>
#include <cmath>

PhysicsItem::PhysicsItem(PhysicsItem *ownerItem)
    : QGraphicsItem(nullptr)
    , m_ownerItem(ownerItem)
{
    resetToInitial();
}

PhysicsItem::~PhysicsItem()
{
    // The velocity function reads the limit through the body's user data;
    // a subclass that leaves its body in the space must not leave it
    // pointing here.
    if (m_body && cpBodyGetUserData(m_body) == this) {
        cpBodySetUserData(m_body, nullptr);
        cpBodySetVelocityUpdateFunc(m_body, cpBodyUpdateVelocity);
    }
}

PhysicsItem *PhysicsItem::clone() const
{
    return nullptr;
}

bool PhysicsItem::isStatic() const
{
    return m_body == nullptr;
}

void PhysicsItem::setBodyPos(qreal x, qreal y)
{
    if (m_body)
        cpBodySetPosition(m_body, cpv(x, y));
}

void PhysicsItem::setBodyAngle(qreal degrees)
{
    if (m_body)
        cpBodySetAngle(m_body, degToRad(degrees));
}

void PhysicsItem::setAngularVelocity(qreal w)
{
    if (m_body)
        cpBodySetAngularVelocity(m_body, w);
}

void PhysicsItem::setVelocity(qreal vx, qreal vy)
{
    if (m_body)
        cpBodySetVelocity(m_body, cpv(vx, vy));
}

void PhysicsItem::setFriction(qreal u)
{
    if (m_shape)
        cpShapeSetFriction(m_shape, u);
}

void PhysicsItem::setElasticity(qreal e)
{
    if (m_shape)
        cpShapeSetElasticity(m_shape, e);
}

void PhysicsItem::limitedVelocityFunc(cpBody *body, cpVect gravity, cpFloat damping, cpFloat dt)
{
    cpBodyUpdateVelocity(body, gravity, damping, dt);
    const auto *item = static_cast<const PhysicsItem *>(cpBodyGetUserData(body));
    if (!item)
        return;
    const cpFloat limit = item->m_maxAngularVelocity;
    const cpFloat w = cpBodyGetAngularVelocity(body);
    if (w > limit)
        cpBodySetAngularVelocity(body, limit);
    else if (w < -limit)
        cpBodySetAngularVelocity(body, -limit);
}

void PhysicsItem::setMaxAngularVelocity(qreal w)
{
    if (!m_body)
        return;
    m_maxAngularVelocity = w;
    cpBodySetUserData(m_body, this);
    cpBodySetVelocityUpdateFunc(m_body, &PhysicsItem::limitedVelocityFunc);
}

void PhysicsItem::setShapeData(void *data)
{
    if (m_shape)
        cpShapeSetUserData(m_shape, data);
}

void PhysicsItem::setMass(qreal m)
{
    if (m_body)
        m_body->m = m;
}

void PhysicsItem::rotateBody(qreal degrees)
{
    if (m_body)
        cpBodySetAngle(m_body, cpBodyGetAngle(m_body) + degToRad(degrees));
}

void PhysicsItem::setGroup(int group)
{
    if (m_shape)
        setShapeGroup(m_shape, cpGroup(group));
}

void PhysicsItem::setCollisionType(int type)
{
    if (m_shape)
        cpShapeSetCollisionType(m_shape, cpCollisionType(type));
}

void PhysicsItem::setLayers(unsigned int mask)
{
    if (m_shape)
        setShapeLayers(m_shape, cpBitmask(mask));
}

int PhysicsItem::group() const
{
    return m_shape ? int(shapeGroup(m_shape)) : 0;
}
unsigned int PhysicsItem::layers() const
{
    return m_shape ? unsigned(shapeLayers(m_shape)) : 0u;
}
int PhysicsItem::collisionType() const
{
    return m_shape ? int(cpShapeGetCollisionType(m_shape)) : 0;
}
qreal PhysicsItem::angularVelocity() const
{
    return m_body ? cpBodyGetAngularVelocity(m_body) : 0.0;
}
qreal PhysicsItem::velocityX() const
{
    return m_body ? cpBodyGetVelocity(m_body).x : 0.0;
}
qreal PhysicsItem::velocityY() const
{
    return m_body ? cpBodyGetVelocity(m_body).y : 0.0;
}
qreal PhysicsItem::bodyAngle() const
{
    return m_body ? radToDeg(cpBodyGetAngle(m_body)) : 0.0;
}
qreal PhysicsItem::bodyX() const
{
    return m_body ? cpBodyGetPosition(m_body).x : 0.0;
}
qreal PhysicsItem::bodyY() const
{
    return m_body ? cpBodyGetPosition(m_body).y : 0.0;
}
qreal PhysicsItem::friction() const
{
    return m_shape ? cpShapeGetFriction(m_shape) : 0.0;
}
qreal PhysicsItem::elasticity() const
{
    return m_shape ? cpShapeGetElasticity(m_shape) : 0.0;
}

void PhysicsItem::debugPrint(int index) const
{
    if (!m_body)
        return;
    const cpVect p = cpBodyGetPosition(m_body);
    const cpVect v = cpBodyGetVelocity(m_body);
    qDebug().noquote() << QString::asprintf(
        "%d: angle %f, pos: %f : %f, vel %f : %f", index, cpBodyGetAngle(m_body), p.x, p.y, v.x, v.y);
}

void PhysicsItem::resetToInitial()
{
    if (!m_body)
        return;
    setBodyPos(m_initialX, m_initialY);
    setBodyAngle(m_initialAngle);
    setAngularVelocity(0.0);
    setVelocity(0.0, 0.0);
}

void PhysicsItem::setInitialPos(qreal x, qreal y)
{
    m_initialX = x;
    m_initialY = y;
}

void PhysicsItem::setInitialAngle(qreal degrees)
{
    m_initialAngle = degrees;
}

void PhysicsItem::copyStateTo(PhysicsItem *copy) const
{
    copy->setBodyAngle(bodyAngle());
    copy->setBodyPos(bodyX(), bodyY());
    copy->setElasticity(elasticity());
    copy->setFriction(friction());
    copy->setTypeId(typeId());
}

void PhysicsItem::applyBodyPose(QGraphicsItem *item) const
{
    if (!m_body)
        return;
    const cpVect p = cpBodyGetPosition(m_body);
    item->setPos(p.x, p.y);
    item->setRotation(radToDeg(cpBodyGetAngle(m_body)));
}

void PhysicsItem::freeBodyAndShape()
{
    cpSpaceRemoveShape(m_space, m_shape);
    cpSpaceRemoveBody(m_space, m_body);
    cpShapeFree(m_shape);
    cpBodyFree(m_body);
    m_shape = nullptr;
    m_body = nullptr;
}

void PhysicsItem::storeInitial()
{
    m_initialX = bodyX();
    m_initialY = bodyY();
    m_initialAngle = bodyAngle();
}

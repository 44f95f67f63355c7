// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PHYSICSITEM_H
#define PHYSICSITEM_H

#include <QGraphicsItem>
#include <chipmunk/chipmunk.h>

// Base of every scene item backed by a rigid body. Graphics follow bodies:
// updateFromBody() copies the body's pose onto the item once per step.
// Angles given to or read from these operations are degrees. Without a body
// (or shape, for shape values) getters return 0 and setters do nothing.
class PhysicsItem : public QGraphicsItem
{
public:
    // QGraphicsItem::type() of each kind of physics item (its class's
    // Type), for qgraphicsitem_cast; the kinds of higher layers are listed
    // here too so that no two share a value.
    enum ItemType {
        BallType = UserType + 1,
        BoxType,
        GroundType,
        SegmentType,
        BikeType,
        RagdollType,
        ParticleType,
    };

    explicit PhysicsItem(PhysicsItem *ownerItem = nullptr);
    ~PhysicsItem() override;

    int typeId() const { return m_typeId; }
    void setTypeId(int id) { m_typeId = id; }
    PhysicsItem *ownerItem() const { return m_ownerItem; }

    virtual PhysicsItem *clone() const;
    virtual bool isStatic() const;
    virtual void setBodyPos(qreal x, qreal y);
    virtual void setBodyAngle(qreal degrees);
    virtual void setAngularVelocity(qreal w);
    virtual void setVelocity(qreal vx, qreal vy);
    virtual void setFriction(qreal u);
    virtual void setElasticity(qreal e);
    // Caps |angular velocity| (rad/s) after every velocity integration.
    virtual void setMaxAngularVelocity(qreal w);
    virtual void setShapeData(void *data);
    // Writes the mass field only; the inverse mass, and so the dynamics,
    // stay as they were.
    virtual void setMass(qreal m);
    virtual void rotateBody(qreal degrees);
    virtual void setGroup(int group);
    virtual void setCollisionType(int type);
    virtual void setLayers(unsigned int mask);
    virtual int group() const;
    virtual unsigned int layers() const;
    virtual int collisionType() const;
    virtual qreal angularVelocity() const;
    virtual qreal velocityX() const;
    virtual qreal velocityY() const;
    virtual qreal bodyAngle() const;
    virtual qreal bodyX() const;
    virtual qreal bodyY() const;
    virtual qreal friction() const;
    virtual qreal elasticity() const;
    virtual void debugPrint(int index) const;
    virtual void resetToInitial();
    virtual void setInitialPos(qreal x, qreal y);
    virtual void setInitialAngle(qreal degrees);
    virtual void storeInitial();
    virtual void updateFromBody() = 0;
    // Every physics item names its kind (one of ItemType).
    int type() const override = 0;
    virtual cpBody *body() const { return m_body; }

    qreal maxAngularVelocity() const { return m_maxAngularVelocity; }
    cpShape *physicsShape() const { return m_shape; }
    cpSpace *space() const { return m_space; }

protected:
    // For clone(): gives the copy this item's body angle and position, shape
    // elasticity and friction, and type id.
    void copyStateTo(PhysicsItem *copy) const;
    // Puts item (this one or a helper item it draws with) at the body's
    // position and rotation, in degrees.
    void applyBodyPose(QGraphicsItem *item) const;
    // For subclasses with one body and one shape of their own in the space:
    // removes both from the space and frees them.
    void freeBodyAndShape();

    cpSpace *m_space = nullptr;
    cpBody *m_body = nullptr;
    cpShape *m_shape = nullptr;

private:
    static void limitedVelocityFunc(cpBody *body, cpVect gravity, cpFloat damping, cpFloat dt);

    int m_typeId = 0;
    PhysicsItem *m_ownerItem;
    qreal m_initialX = 0.0;
    qreal m_initialY = 0.0;
    qreal m_initialAngle = 0.0;
    qreal m_maxAngularVelocity = 0.0; // 0: no limit installed
};

#endif

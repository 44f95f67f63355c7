// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RIDERRAGDOLLITEM_H
#define RIDERRAGDOLLITEM_H

#include "physics/physicsitem.h"
#include "vehicle/partitem.h"

#include <QGraphicsRectItem>
#include <QObject>

class BikeItem;
class BoxItem;
class Physics;
class QGraphicsScene;

// The thrown-off rider: a torso with thigh, shin and arm on pivot joints
// (hip and knee limited). It starts with the bike's pose and motion at the
// moment of the crash and then tumbles freely. Built and destroyed by the
// bike only; it takes its bodies, joints and limb items with it.
class RiderRagdollItem : public QObject, public PhysicsItem
{
    Q_OBJECT
public:
    RiderRagdollItem(Physics *physics, QGraphicsScene *scene, BikeItem *bike, QObject *parent = nullptr);
    ~RiderRagdollItem() override;

    void updateFromBody() override;
    enum { Type = RagdollType };
    int type() const override { return Type; }
    void advance(int phase) override;
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    virtual void setRagdollEnabled(bool enabled);

    BoxItem *thigh() const;
    BoxItem *shin() const;
    BoxItem *arm() const;

private:
    PartItem<BoxItem> *addLimb(
        qreal width, qreal height, qreal mass, const char *sprite, cpVect position, qreal angleDegrees);
    cpConstraint *addJoint(cpConstraint *joint);
    void removeJoint(cpConstraint *&joint);
    void forgetLimb(BoxItem *limb);
    void deleteLimb(PartItem<BoxItem> *&limb);

    Physics *m_physics;
    QGraphicsScene *m_scene;
    BikeItem *m_bike;
    QGraphicsRectItem m_torsoRect;
    PartItem<BoxItem> *m_thigh = nullptr;
    PartItem<BoxItem> *m_shin = nullptr;
    PartItem<BoxItem> *m_arm = nullptr;
    cpConstraint *m_hipJoint = nullptr;
    cpConstraint *m_hipLimit = nullptr;
    cpConstraint *m_kneeJoint = nullptr;
    cpConstraint *m_kneeLimit = nullptr;
    cpConstraint *m_shoulderJoint = nullptr;
};

#endif

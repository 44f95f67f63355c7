// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PHYSICSSEGMENT_H
#define PHYSICSSEGMENT_H

#include "physicsitem.h"

class Physics;

// One straight collision edge of a terrain or static-object outline,
// attached to its owner's static body (or to the space's own static body when
// none is given). It has no graphics and is never added to a scene.
class PhysicsSegment : public PhysicsItem
{
public:
    PhysicsSegment(Physics *physics, qreal ax, qreal ay, qreal bx, qreal by, cpBody *body = nullptr);
    ~PhysicsSegment() override;

    qreal ax() const { return m_ax; }
    qreal ay() const { return m_ay; }
    qreal bx() const { return m_bx; }
    qreal by() const { return m_by; }
    // Each setter rebuilds the shape. The new shape keeps the group; its
    // collision type and layers are the library defaults again, so an owner
    // that relies on them sets them anew.
    void setAx(qreal ax);
    void setAy(qreal ay);
    void setBx(qreal bx);
    void setBy(qreal by);

    void updateFromBody() override { }
    enum { Type = SegmentType };
    int type() const override { return Type; }
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    cpShape *createShape();
    void rebuildShape();

    Physics *m_physics;
    qreal m_ax;
    qreal m_ay;
    qreal m_bx;
    qreal m_by;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BALLITEM_H
#define BALLITEM_H

#include "physicsitem.h"

#include <QBrush>
#include <QPen>
#include <QPixmap>

class Physics;

// A dynamic circle with an optional sprite: the bike's wheels and rider mass,
// and level objects of the kind "Ball". The caller guarantees a positive,
// finite radius and mass (the level loader validates level data first).
class BallItem : public PhysicsItem
{
public:
    BallItem(Physics *physics, qreal radius, qreal mass, PhysicsItem *ownerItem = nullptr, int group = 0,
        const QString &spriteName = QString());
    ~BallItem() override;

    qreal radius() const { return m_radius; }
    // Speed of the rim in units per second (angular velocity x radius).
    qreal rimSpeed() const;
    // The bike's drive: an impulse tangential to the direction of travel with
    // lever arm t along it. Does nothing while the ball is at rest (no
    // direction of travel).
    void applyDriveImpulse(qreal t);

    void setPen(const QPen &pen) { m_pen = pen; }
    void setBrush(const QBrush &brush) { m_brush = brush; }
    void setDrawSpoke(bool draw) { m_drawSpoke = draw; }
    QString spriteName() const { return m_spriteName; }
    // The rotation (degrees) the sprite is drawn at for a body angle in
    // radians: a wheel's picture turns a little slower than its body.
    static qreal spriteRotation(qreal bodyAngle);

    PhysicsItem *clone() const override;
    void updateFromBody() override;
    enum { Type = BallType };
    int type() const override { return Type; }
    void advance(int phase) override;
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    Physics *m_physics;
    QString m_spriteName;
    qreal m_radius;
    bool m_drawSpoke = true;
    QPen m_pen {Qt::black};
    QBrush m_brush {Qt::red, Qt::SolidPattern};
    QPixmap m_sprite;
};

#endif

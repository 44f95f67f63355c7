// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PARTICLEITEM_H
#define PARTICLEITEM_H

#include "physicsitem.h"

class Physics;

// One mud particle. With a body it bounces off terrain and objects; without
// one it flies a ballistic path that ignores collisions. Particles are never
// added to the scene: their ParticleSystemItem draws them.
class ParticleItem : public PhysicsItem
{
public:
    ParticleItem(Physics *physics, qreal radius, qreal mass, int group, bool hasBody);
    // The body, if any, stays in the space; the physics world frees it.
    ~ParticleItem() override = default;

    bool isAlive() const { return m_alive; }
    void setAlive(bool alive) { m_alive = alive; }
    int lifetime() const { return m_lifetime; }
    void setLifetime(int steps) { m_lifetime = steps; }
    bool hasBody() const { return m_hasBody; }

    void setBodyPos(qreal x, qreal y) override;
    void setVelocity(qreal vx, qreal vy) override;
    qreal bodyX() const override;
    qreal bodyY() const override;
    qreal velocityX() const override;
    qreal velocityY() const override;

    // Once per step: counts the lifetime down and, without a body, moves the
    // particle by one step of gravity.
    void updateFromBody() override;
    enum { Type = ParticleType };
    int type() const override { return Type; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    Physics *m_physics;
    bool m_alive = true;
    int m_lifetime = 60;
    bool m_hasBody;
    qreal m_x = 0.0;
    qreal m_y = 0.0;
    qreal m_vx = 0.0;
    qreal m_vy = 0.0;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PARTICLESYSTEMITEM_H
#define PARTICLESYSTEMITEM_H

#include <QGraphicsItem>
#include <QPixmap>
#include <QVector>

class ParticleItem;
class Physics;
class PhysicsRandom;
class QGraphicsScene;

// The bike's mud: a fixed-size ring of particles. Emissions queued during a
// physics step become particles at the next processEmissions(); the ring's
// slots are reused in order, live or not. Sits at the bike's position
// without rotation and draws every live particle with one sprite.
class ParticleSystemItem : public QGraphicsItem
{
public:
    // random: the simulation's generator (owned by the caller), used for the
    // particles' kind and lifetime.
    ParticleSystemItem(int capacity, QGraphicsScene *scene, Physics *physics, PhysicsRandom *random,
        QGraphicsItem *parent = nullptr);
    ~ParticleSystemItem() override;

    // Queues one particle: position (scene units), direction (radians, y
    // down), speed (units per second).
    void addEmission(qreal x, qreal y, qreal angle, qreal speed);
    void processEmissions();
    // Every live particle dies at its next update.
    void killAll();

    int capacity() const { return m_capacity; }
    int nextIndex() const { return m_nextIndex; }
    int pendingEmissions() const { return m_pending.size(); }
    const QVector<ParticleItem *> &particles() const { return m_particles; }

    void advance(int phase) override;
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    struct Emission
    {
        qreal x;
        qreal y;
        qreal angle;
        qreal speed;
    };

    int m_capacity;
    int m_nextIndex = 0;
    QVector<ParticleItem *> m_particles;
    QVector<Emission> m_pending;
    QGraphicsScene *m_scene;
    Physics *m_physics;
    PhysicsRandom *m_random;
    QRectF m_outerRect;
    QRectF m_innerRect;
    QPixmap m_sprite;
};

#endif

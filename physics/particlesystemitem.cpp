// SPDX-License-Identifier: GPL-3.0-or-later
#include "particlesystemitem.h"

#include "base/densepixmap.h"
#include "particleitem.h"
#include "physicsconventions.h"
#include "physicsrandom.h"

#include <QPainter>
#include <cmath>

namespace {
constexpr qreal kParticleRadius = 2.0;
constexpr float kParticleMass = 0.05f;
constexpr qreal kParticleElasticity = 0.55;
constexpr qreal kParticleFriction = 0.9;
// One particle in this many gets a body (the rest fly without collisions).
constexpr int kBodyOddsOneStep = 6;
constexpr int kBodyOddsMultiStep = 3;
// Lifetime in steps: base + random(spread); bodiless particles live 3.5x shorter.
constexpr int kLifetimeBase = 170;
constexpr int kLifetimeSpread = 40;
constexpr double kBodilessLifetimeDivisor = 3.5;
// Drawing area around the bike (item coordinates); particles seen outside
// the inner rectangle are dropped.
const QRectF kOuterRect(-750, -250, 900, 500);
constexpr qreal kInnerMargin = 10.0;
constexpr int kSpriteSize = 8;
constexpr qreal kSpriteOffsetX = 2.0;
} // namespace

ParticleSystemItem::ParticleSystemItem(
    int capacity, QGraphicsScene *scene, Physics *physics, PhysicsRandom *random, QGraphicsItem *parent)
    : QGraphicsItem(parent)
    , m_capacity(capacity)
    , m_scene(scene)
    , m_physics(physics)
    , m_random(random)
    , m_outerRect(kOuterRect)
    , m_innerRect(kOuterRect.adjusted(kInnerMargin, kInnerMargin, -kInnerMargin, -kInnerMargin))
    , m_sprite(DensePixmap::load(QStringLiteral(":/images/mudparticle.png")))
{
    m_particles.reserve(capacity);
    m_pending.reserve(capacity);
}

ParticleSystemItem::~ParticleSystemItem()
{
    qDeleteAll(m_particles);
}

void ParticleSystemItem::addEmission(qreal x, qreal y, qreal angle, qreal speed)
{
    m_pending.append(Emission {x, y, angle, speed});
}

void ParticleSystemItem::processEmissions()
{
    for (const Emission &e : std::as_const(m_pending)) {
        if (m_nextIndex >= m_particles.size()) {
            const int odds = physicsStepsPerTick == 1 ? kBodyOddsOneStep : kBodyOddsMultiStep;
            const bool hasBody = m_random->next() % odds == 0;
            auto *particle
                = new ParticleItem(m_physics, kParticleRadius, kParticleMass, PhysicsGroup::Bike, hasBody);
            particle->setElasticity(kParticleElasticity);
            particle->setFriction(kParticleFriction);
            m_particles.append(particle);
        }
        ParticleItem *p = m_particles.at(m_nextIndex);
        p->setAlive(true);
        int lifetime = m_random->next() % kLifetimeSpread + kLifetimeBase;
        if (!p->hasBody())
            lifetime = int(lifetime / kBodilessLifetimeDivisor);
        p->setLifetime(lifetime);
        p->setBodyPos(e.x, e.y);
        p->setAngularVelocity(0.0);
        p->setVelocity(e.speed * std::cos(e.angle), e.speed * std::sin(e.angle));
        p->updateFromBody();
        if (++m_nextIndex >= m_capacity)
            m_nextIndex = 0;
    }
    m_pending.clear();
}

void ParticleSystemItem::killAll()
{
    for (ParticleItem *p : std::as_const(m_particles)) {
        if (p->isAlive())
            p->setLifetime(0);
    }
}

void ParticleSystemItem::advance(int phase)
{
    if (phase != 1)
        return;
    for (ParticleItem *p : std::as_const(m_particles))
        p->updateFromBody();
}

QRectF ParticleSystemItem::boundingRect() const
{
    return m_outerRect;
}

void ParticleSystemItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    for (ParticleItem *p : std::as_const(m_particles)) {
        if (!p->isAlive())
            continue;
        const QPointF at = mapFromScene(QPointF(p->bodyX(), p->bodyY()));
        if (!m_innerRect.contains(at)) {
            p->setAlive(false);
            continue;
        }
        painter->drawPixmap(
            QRect(int(at.x() - kSpriteOffsetX), int(at.y()), kSpriteSize, kSpriteSize), m_sprite);
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Mud: single particles with and without a body, and the particle ring.

#include "physics/particleitem.h"
#include "physics/particlesystemitem.h"
#include "physics/physics.h"
#include "physics/physicsrandom.h"

#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <cmath>

class TestParticleSystemItem : public QObject
{
    Q_OBJECT
private slots:
    void bodilessParticleFliesBallistic();
    void lifetimeCountsDown();
    void bodySpinIsDamped();
    void ringReusesSlotsInOrder();
    void lifetimesAndKinds();
    void killAllEndsEveryParticle();
    void particlesFarAwayAreDropped();
    void randomIsSeeded();
};

void TestParticleSystemItem::bodilessParticleFliesBallistic()
{
    Physics physics(450);
    ParticleItem p(&physics, 2.0, 0.05f, 1, false);
    QVERIFY(!p.hasBody());
    QVERIFY(p.isStatic());
    p.setBodyPos(10, 20);
    p.setVelocity(100, 0);
    p.updateFromBody();
    const double dt = physics.timeStep();
    QVERIFY(std::fabs(p.bodyX() - (10 + 100 * dt)) < 1e-12);
    QVERIFY(std::fabs(p.bodyY() - (20 + 450 * dt * dt)) < 1e-12);
    QVERIFY(std::fabs(p.bodyY() - 20 - 0.166) < 0.001);
    QCOMPARE(qgraphicsitem_cast<ParticleItem *>(static_cast<QGraphicsItem *>(&p)), &p);
}

void TestParticleSystemItem::lifetimeCountsDown()
{
    Physics physics(450);
    ParticleItem p(&physics, 2.0, 0.05f, 1, false);
    QVERIFY(p.isAlive());
    QCOMPARE(p.lifetime(), 60);
    p.setLifetime(2);
    p.updateFromBody();
    QVERIFY(p.isAlive());
    p.updateFromBody();
    QVERIFY(!p.isAlive());
    for (int i = 0; i < 5; ++i)
        p.updateFromBody();
    QCOMPARE(p.lifetime(), 0);
}

void TestParticleSystemItem::bodySpinIsDamped()
{
    Physics physics(450);
    ParticleItem p(&physics, 2.0, 0.05f, 1, true);
    QVERIFY(p.hasBody());
    QCOMPARE(p.friction(), double(0.9f));
    p.setAngularVelocity(10.0);
    p.updateFromBody();
    QCOMPARE(p.angularVelocity(), 5.0);
    p.setAngularVelocity(0.39);
    p.updateFromBody();
    QCOMPARE(p.angularVelocity(), 0.0);
    p.setAngularVelocity(-10.0);
    p.updateFromBody();
    QCOMPARE(p.angularVelocity(), 0.0);
    // Bodies follow the world, not their own integration.
    p.setBodyPos(0, 0);
    physics.update();
    physics.update();
    QVERIFY(p.bodyY() > 0.0);
}

void TestParticleSystemItem::ringReusesSlotsInOrder()
{
    Physics physics(450);
    QGraphicsScene scene;
    PhysicsRandom random(7);
    ParticleSystemItem system(40, &scene, &physics, &random);
    for (int i = 0; i < 40; ++i)
        system.addEmission(i, 0, 0, 0);
    QCOMPARE(system.pendingEmissions(), 40);
    system.processEmissions();
    QCOMPARE(system.pendingEmissions(), 0);
    QCOMPARE(system.particles().size(), 40);
    QCOMPARE(system.nextIndex(), 0);
    ParticleItem *first = system.particles().first();
    QVERIFY(first->isAlive());
    system.addEmission(1000, -50, 0, 0);
    system.processEmissions();
    QCOMPARE(system.particles().size(), 40);
    QCOMPARE(system.nextIndex(), 1);
    QCOMPARE(system.particles().first(), first);
    QVERIFY(std::fabs(first->bodyX() - 1000) < 1.0);
    QVERIFY(std::fabs(first->bodyY() + 50) < 1.0);
}

void TestParticleSystemItem::lifetimesAndKinds()
{
    Physics physics(450);
    QGraphicsScene scene;
    PhysicsRandom random(3);
    ParticleSystemItem system(40, &scene, &physics, &random);
    for (int i = 0; i < 40; ++i)
        system.addEmission(0, 0, 0, 10);
    system.processEmissions();
    int withBody = 0;
    for (ParticleItem *p : system.particles()) {
        // Already counted down once at launch.
        if (p->hasBody()) {
            ++withBody;
            QVERIFY(p->lifetime() >= 169 && p->lifetime() <= 208);
            QCOMPARE(p->elasticity(), 0.55);
        } else {
            QVERIFY(p->lifetime() >= 47 && p->lifetime() <= 58);
        }
    }
    // One in six has a body: 40 draws land well inside 1..20.
    QVERIFY(withBody >= 1 && withBody <= 20);
}

void TestParticleSystemItem::killAllEndsEveryParticle()
{
    Physics physics(450);
    QGraphicsScene scene;
    PhysicsRandom random(1);
    auto *system = new ParticleSystemItem(40, &scene, &physics, &random);
    scene.addItem(system);
    for (int i = 0; i < 5; ++i)
        system->addEmission(0, 0, 0, 10);
    system->processEmissions();
    system->killAll();
    for (ParticleItem *p : system->particles())
        QVERIFY(p->isAlive());
    scene.advance();
    for (ParticleItem *p : system->particles())
        QVERIFY(!p->isAlive());
}

void TestParticleSystemItem::particlesFarAwayAreDropped()
{
    Physics physics(450);
    QGraphicsScene scene;
    PhysicsRandom random(1);
    ParticleSystemItem system(40, &scene, &physics, &random);
    system.addEmission(-100, 0, 0, 0);
    system.addEmission(-745, 0, 0, 0);
    system.processEmissions();
    QImage image(100, 100, QImage::Format_ARGB32);
    QPainter painter(&image);
    system.paint(&painter, nullptr, nullptr);
    QVERIFY(system.particles().at(0)->isAlive());
    QVERIFY(!system.particles().at(1)->isAlive());
}

void TestParticleSystemItem::randomIsSeeded()
{
    PhysicsRandom a(42);
    PhysicsRandom b(42);
    PhysicsRandom c(43);
    bool differs = false;
    for (int i = 0; i < 100; ++i) {
        const int x = a.next();
        QCOMPARE(x, b.next());
        QVERIFY(x >= 0);
        differs = differs || x != c.next();
    }
    QVERIFY(differs);
    a.setSeed(42);
    PhysicsRandom d(42);
    QCOMPARE(a.next(), d.next());
}

QTEST_MAIN(TestParticleSystemItem)
#include "tst_particlesystemitem.moc"

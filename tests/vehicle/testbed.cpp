// SPDX-License-Identifier: GPL-3.0-or-later
#include "testbed.h"

#include "levels/level.h"
#include "physics/physicsconventions.h"
#include "physics/physicssegment.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

TestBed::TestBed()
    : world(std::make_unique<LevelWorld>())
    , physics(world->physics())
    , scene(*world->scene())
    , bike(world->bike())
    , sim(&world->step())
{ }

TestBed::~TestBed()
{
    qDeleteAll(segments);
    world.reset();
    if (folder)
        QDir::setCurrent(previousFolder);
}

Level *TestBed::loadTestLevel(int pack, int number)
{
    folder = std::make_unique<QTemporaryDir>();
    QFile::copy(TestSupport::binaryDir() + QStringLiteral("/testlevels.db"),
        folder->filePath(QStringLiteral("levels.db")));
    previousFolder = QDir::currentPath();
    QDir::setCurrent(folder->path());
    Level *level = world->loadLevel(pack, number);
    physics = world->physics();
    bike = world->bike();
    sim = &world->step();
    return level;
}

PhysicsSegment *TestBed::addGround(qreal ax, qreal ay, qreal bx, qreal by)
{
    auto *segment = new PhysicsSegment(physics, ax, ay, bx, by);
    segment->setCollisionType(CollisionTerrain);
    segment->setGroup(PhysicsGroup::Terrain);
    segment->setLayers(PhysicsLayers::Terrain);
    segments.append(segment);
    return segment;
}

void TestBed::placeOnGround(qreal x, qreal groundY)
{
    sim->restart(QPointF(x, groundY - kFrameAboveGround - 1.0));
}

void TestBed::step(int count)
{
    for (int i = 0; i < count; ++i)
        sim->step();
}

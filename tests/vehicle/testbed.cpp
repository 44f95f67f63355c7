#include "testbed.h"

#include "levels/level.h"
#include "levels/levelmanager.h"
#include "physics/physicsconventions.h"
#include "physics/physicssegment.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

TestBed::TestBed()
{
    bike = new BikeItem(&physics, &scene, nullptr, 75, 5);
    sim = std::make_unique<SimulationStep>(&physics, &scene, bike);
}

TestBed::~TestBed()
{
    sim.reset();
    delete bike;
    levels.reset();
    scene.clear();
    qDeleteAll(segments);
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
    levels = std::make_unique<LevelManager>(&physics, &scene);
    levels->openDb();
    return levels->LoadLevel(pack, number);
}

PhysicsSegment *TestBed::addGround(qreal ax, qreal ay, qreal bx, qreal by)
{
    auto *segment = new PhysicsSegment(&physics, ax, ay, bx, by);
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

#include "testbed.h"

#include "physics/physicsconventions.h"
#include "physics/physicssegment.h"

TestBed::TestBed()
{
    bike = new BikeItem(&physics, &scene, nullptr, 75, 5);
    sim = std::make_unique<SimulationStep>(&physics, &scene, bike);
}

TestBed::~TestBed()
{
    sim.reset();
    scene.clear();
    qDeleteAll(segments);
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

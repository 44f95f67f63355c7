// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTBED_H
#define TESTBED_H

#include "physics/physics.h"
#include "vehicle/bikeitem.h"
#include "world/levelworld.h"
#include "world/simulationstep.h"

#include <QGraphicsScene>

#include <QVector>
#include <memory>

class Level;
class PhysicsSegment;
class QTemporaryDir;

// The game's world (LevelWorld: physics, scene, bike) with terrain built
// from straight segments or a test level, torn down in the game's order
// (scene items before the world).
class TestBed
{
public:
    TestBed();
    ~TestBed();

    // Loads a level of the build's testlevels.db (compiled from
    // levels/sources/test) into the world, as the game loads levels; the
    // working folder is a temporary one while the bed lives.
    Level *loadTestLevel(int pack, int number);

    // A terrain edge (collision type, group and layers of terrain).
    PhysicsSegment *addGround(qreal ax, qreal ay, qreal bx, qreal by);
    // Flat ground at height y from x0 to x1.
    PhysicsSegment *addFlatGround(qreal y, qreal x0 = -3000, qreal x1 = 30000)
    {
        return addGround(x0, y, x1, y);
    }
    // Puts the bike at rest with its wheels just touching flat ground at y.
    void placeOnGround(qreal x, qreal groundY);

    void step(int count = 1);

    std::unique_ptr<QTemporaryDir> folder;
    QString previousFolder;
    // Loading a level builds a new world: physics, bike and sim change then.
    std::unique_ptr<LevelWorld> world;
    Physics *physics;
    QGraphicsScene &scene;
    BikeItem *bike;
    SimulationStep *sim;
    QVector<PhysicsSegment *> segments;
};

// Frame height above its wheels' contact line when resting at 80 % of the
// grooves: rear wheel centre 22.4 below the frame plus the radius.
constexpr qreal kFrameAboveGround = 22.4 + 20.0;

#endif

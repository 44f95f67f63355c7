#ifndef TESTBED_H
#define TESTBED_H

#include "game/myscene.h"
#include "game/simulationstep.h"
#include "physics/physics.h"
#include "vehicle/bikeitem.h"

#include <QVector>
#include <memory>

class Level;
class LevelManager;
class PhysicsSegment;
class QTemporaryDir;

// A physics world, a scene, terrain built from straight segments and one
// bike, torn down in the game's order (scene items before the world).
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
    Physics physics {450};
    MyScene scene;
    std::unique_ptr<LevelManager> levels;
    BikeItem *bike = nullptr;
    std::unique_ptr<SimulationStep> sim;
    QVector<PhysicsSegment *> segments;
};

// Frame height above its wheels' contact line when resting at 80 % of the
// grooves: rear wheel centre 22.4 below the frame plus the radius.
constexpr qreal kFrameAboveGround = 22.4 + 20.0;

#endif

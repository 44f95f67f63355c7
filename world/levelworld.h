// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELWORLD_H
#define LEVELWORLD_H

#include "world/simulationstep.h"

#include <QRectF>
#include <QtGlobal>
#include <functional>
#include <memory>

class BikeItem;
class Level;
class LevelManager;
class Physics;
class QGraphicsScene;
class SoundManager;

// Everything a run of a level happens in, assembled the one way the game,
// the tools and the tests share, so that the same inputs give the same run
// everywhere. Loading a level builds a fresh world in a fixed order: a new
// physics space with the game's gravity, the level's items, then the bike
// with its frame size and the simulation step; the scene takes the level's
// bounds. Before the first level the world holds a bike in an empty space.
//
// The simulation depends on the order bodies and shapes enter a space and
// on what the space went through before, so a level is never built into a
// space that held another one.
class LevelWorld
{
public:
    // Gravity of every level, scene units/s^2 downward.
    static constexpr int kGravity = 450;
    // The bike's frame rectangle, scene units.
    static constexpr qreal kBikeWidth = 75.0;
    static constexpr qreal kBikeHeight = 5.0;

    // scene: the caller's scene (the game's view shows it; it must outlive
    // the world), or null for a scene of the world's own. soundManager may
    // be null (no sound); it is not owned and must outlive the world.
    explicit LevelWorld(QGraphicsScene *scene = nullptr, SoundManager *soundManager = nullptr);
    ~LevelWorld();
    LevelWorld(const LevelWorld &) = delete;
    LevelWorld &operator=(const LevelWorld &) = delete;

    // Called with every bike the world builds (now for the current one):
    // the owner connects its signals there.
    void setBikeWiring(const std::function<void(BikeItem *)> &wire);

    // The level manager on the level and results databases of
    // DataPaths::current(), opened on the first call (a database that cannot
    // be opened ends the program, as in the game).
    LevelManager *openLevels();
    // Builds a fresh world for a level (opening the levels first). A missing
    // or refused level gives the level manager's stand-in
    // (Level::isPlayable() false) with no items; a playable one also sets
    // the scene's bounds. The bike is new (wired, hidden); the run is not
    // restarted.
    Level *loadLevel(int pack, int level);
    // The scene's rectangle for the current level: from x 0 to the end of
    // the ground, between the level's lowest and highest scene y.
    void fitSceneToLevel();
    static QRectF sceneRectFor(const Level &level);
    // A new run of the current level (nothing without one) in a world as
    // fresh as the first run's: a world that has run since it was built is
    // built again (new level object, new bike). Then the bike's reset, the
    // level's items reset, the bike at the level's start, clock 0. Returns
    // the level, which may be a new object.
    Level *restart();

    Physics *physics() const { return m_physics.get(); }
    QGraphicsScene *scene() const { return m_scene; }
    // Null until openLevels().
    LevelManager *levelManager() const { return m_levels.get(); }
    BikeItem *bike() const { return m_bike.get(); }
    SimulationStep &step() { return *m_step; }
    const SimulationStep &step() const { return *m_step; }
    // The last loaded level (owned by the level manager); null before.
    Level *level() const { return m_level; }

private:
    void buildBike();
    void tearDown();

    std::unique_ptr<QGraphicsScene> m_ownScene;
    QGraphicsScene *m_scene;
    SoundManager *m_soundManager;
    std::function<void(BikeItem *)> m_wire;
    std::unique_ptr<Physics> m_physics;
    std::unique_ptr<LevelManager> m_levels;
    std::unique_ptr<BikeItem> m_bike;
    std::unique_ptr<SimulationStep> m_step;
    Level *m_level = nullptr;
    // A run was started in this world since it was built.
    bool m_used = false;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "levelworld.h"

#include "levels/level.h"
#include "levels/levelmanager.h"
#include "physics/physics.h"
#include "vehicle/bikeitem.h"

#include <QGraphicsScene>

LevelWorld::LevelWorld(QGraphicsScene *scene, SoundManager *soundManager)
    : m_ownScene(scene ? nullptr : std::make_unique<QGraphicsScene>())
    , m_scene(scene ? scene : m_ownScene.get())
    , m_soundManager(soundManager)
    , m_physics(std::make_unique<Physics>(kGravity))
{
    buildBike();
}

LevelWorld::~LevelWorld()
{
    tearDown();
    m_levels.reset();
}

void LevelWorld::setBikeWiring(const std::function<void(BikeItem *)> &wire)
{
    m_wire = wire;
    if (m_wire)
        m_wire(m_bike.get());
}

void LevelWorld::buildBike()
{
    m_bike = std::make_unique<BikeItem>(m_physics.get(), m_scene, m_soundManager, kBikeWidth, kBikeHeight);
    m_step = std::make_unique<SimulationStep>(m_physics.get(), m_scene, m_bike.get());
    if (m_wire)
        m_wire(m_bike.get());
}

void LevelWorld::tearDown()
{
    // Everything that lives in the space leaves it before the space goes.
    m_step.reset();
    m_bike.reset();
    if (m_levels)
        m_levels->unloadLevel();
    m_level = nullptr;
}

LevelManager *LevelWorld::openLevels()
{
    if (!m_levels)
        m_levels = std::make_unique<LevelManager>(m_physics.get(), m_scene);
    return m_levels.get();
}

Level *LevelWorld::loadLevel(int pack, int level)
{
    openLevels();
    tearDown();
    m_physics = std::make_unique<Physics>(kGravity);
    m_levels->setPhysics(m_physics.get());
    m_level = m_levels->LoadLevel(pack, level);
    m_used = false;
    buildBike();
    if (m_level->isPlayable())
        fitSceneToLevel();
    return m_level;
}

QRectF LevelWorld::sceneRectFor(const Level &level)
{
    return QRectF(0.0, level.sceneMinY(), level.groundMaxX(), level.sceneMaxY() - level.sceneMinY());
}

void LevelWorld::fitSceneToLevel()
{
    if (m_level)
        m_scene->setSceneRect(sceneRectFor(*m_level));
}

Level *LevelWorld::restart()
{
    if (!m_level)
        return nullptr;
    if (m_used)
        loadLevel(m_level->levelPackNumber(), m_level->levelNumber());
    Level *level = m_level;
    m_step->restart(level->bikeStartPos(), [level] { level->resetPhysicsItems(); });
    m_used = true;
    return level;
}

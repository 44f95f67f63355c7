// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVEL_H
#define LEVEL_H

#include "levelstatus.h"

#include <QObject>
#include <QPointF>
#include <QVector>

class Physics;
class PhysicsItem;
class QGraphicsPixmapItem;
class QGraphicsScene;

// One loaded level: identity, start and finish, target times, the player's
// result and the items of its terrain and objects. The level owns its items
// and finish picture and destroys them in clearItems(); destroying the level
// object alone leaves them in the scene (the scene frees them at exit).
class Level : public QObject
{
    Q_OBJECT
public:
    explicit Level(Physics *physics, QGraphicsScene *scene, QObject *parent = nullptr);

    int levelId() const { return m_levelId; }
    void setLevelId(int id) { m_levelId = id; }
    int levelPackNumber() const { return m_levelPackNumber; }
    void setLevelPackNumber(int pack) { m_levelPackNumber = pack; }
    int levelNumber() const { return m_levelNumber; }
    void setLevelNumber(int number) { m_levelNumber = number; }
    QPointF bikeStartPos() const { return m_bikeStartPos; }
    void setBikeStartPos(QPointF pos) { m_bikeStartPos = pos; }
    double goldTime() const { return m_goldTime; }
    void setGoldTime(double t) { m_goldTime = t; }
    double silverTime() const { return m_silverTime; }
    void setSilverTime(double t) { m_silverTime = t; }
    double bronzeTime() const { return m_bronzeTime; }
    void setBronzeTime(double t) { m_bronzeTime = t; }
    // Row id of the level's results row, -1 when there is none yet. Rows of
    // a long-lived or imported results file may lie beyond 32 bits.
    qint64 levelResultId() const { return m_levelResultId; }
    void setLevelResultId(qint64 id) { m_levelResultId = id; }
    LevelStatus status() const { return m_status; }
    void setStatus(LevelStatus status) { m_status = status; }
    double sceneMinY() const { return m_sceneMinY; }
    void setSceneMinY(double y) { m_sceneMinY = y; }
    double sceneMaxY() const { return m_sceneMaxY; }
    void setSceneMaxY(double y) { m_sceneMaxY = y; }
    double finishLineX() const { return m_finishLineX; }
    double finishLineY() const { return m_finishLineY; }
    double bestTime() const { return m_bestTime; }
    // True once the level manager loaded the level completely; an empty
    // stand-in for a missing or refused level is never ridden or saved.
    bool isPlayable() const { return m_playable; }
    void setPlayable(bool playable) { m_playable = playable; }

    // Stores the finish line and puts the finish picture into the scene with
    // its bottom-left corner at (x, y).
    void setFinishLine(double x, double y);
    // Stores a best time (seconds); with updateStatus the status follows it.
    void setBestTime(double time, bool updateStatus);
    // The medal of a finishing time against this level's target times.
    LevelStatus medalForTime(double time) const;

    // Takes the item into the level and the scene and gives it the collision
    // set-up of its kind (terrain or loaded object).
    void addPhysicsItem(PhysicsItem *item);
    // Largest right edge of the terrain items, at least 0.
    double groundMaxX() const;
    // Puts every item back to its start and sweeps the static index.
    void resetPhysicsItems();
    // Drops the entries that reindexing static shapes left in the static
    // collision index (not during a step).
    void sweepStaticIndex();
    void clearItems();
    // Rebuilds the physics world's static index (not during a step).
    void dropStaleIndexEntries();

    const QVector<PhysicsItem *> &physicsItems() const { return m_physicsItems; }
    QGraphicsPixmapItem *finishLineItem() const { return m_finishLineItem; }

private:
    QVector<PhysicsItem *> m_physicsItems;
    QGraphicsPixmapItem *m_finishLineItem = nullptr;
    Physics *m_physics;
    QGraphicsScene *m_scene;
    int m_levelId = 0;
    int m_levelPackNumber = 0;
    int m_levelNumber = 0;
    QPointF m_bikeStartPos;
    double m_finishLineX = 0.0;
    double m_finishLineY = 0.0;
    double m_goldTime = 0.0;
    double m_silverTime = 0.0;
    double m_bronzeTime = 0.0;
    qint64 m_levelResultId = 0;
    LevelStatus m_status = LevelStatus::NotFinished;
    double m_bestTime = 0.0;
    bool m_playable = false;
    double m_sceneMaxY = 0.0;
    double m_sceneMinY = 0.0;
};

#endif

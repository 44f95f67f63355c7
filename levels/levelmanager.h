// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELMANAGER_H
#define LEVELMANAGER_H

#include "base/pixmapshare.h"
#include "leveldatabases.h"
#include "levelinfo.h"

#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QVector>
#include <memory>
#include <optional>

class Level;
class LevelBuilder;
class PackTable;
class QSqlError;
class ResultsStore;
class SettingsStore;
class Physics;
class QGraphicsScene;

// The levels subsystem's one door for the game and the menus: opens the
// databases (LevelDatabases: levels.db read only, the player's results.db
// attached as "result", salvaged, created or upgraded as needed), loads
// levels (LevelBuilder), lists a pack's levels with their status and stores
// results (ResultsStore) and settings (SettingsStore), and names what the
// pack table of levels.db says about a pack (PackTable). A write that fails
// (a full disk, a read-only file, a lock another program holds) loses
// nothing: what it would have stored stays pending, is read back as if
// stored, and goes in with the next write that succeeds. Every other
// database failure ends the program with a fixed message.
class LevelManager
{
public:
    LevelManager(Physics *physics, QGraphicsScene *scene);
    virtual ~LevelManager();

    bool openDb();
    bool createResultsDb();

    // Clears the previous level and loads pack/number into a new Level with
    // its items in the scene and the physics world. Never null: a level that
    // does not exist, or was refused when the database was opened (see
    // LevelAdmission), gives an empty level that is not playable and leaves
    // currentLevelPack/currentLevelNumber as they were.
    Level *LoadLevel(int levelPackNumber, int levelNumber);
    // Deletes the current level and its items (they leave the physics space).
    void unloadLevel();
    // The space the next LoadLevel() builds in (unload the current level
    // first when its space goes away).
    void setPhysics(Physics *physics) { m_physics = physics; }
    // The playable levels of a pack in ascending number; 0 means the
    // current pack.
    QVector<LevelInfo> levelInfos(int levelPackNumber = 0);
    // Number of the level after the current one in the current pack, or 0.
    int nextLevelNumber();
    // First level of the pack without a medal, or 0.
    int frontierLevel(int levelPackNumber);
    // Stores the level's best time unless the stored one is at least as
    // good; a level that is not playable stores nothing. False when the
    // write failed (see lastWriteError()): the result stays pending.
    bool saveLevelResult(Level *level);
    // Stores whatever earlier writes left pending; true when nothing is
    // left.
    bool savePendingWrites();
    bool hasPendingWrites() const;
    // The player's words for why the last write failed ("the disk is
    // full"); empty after a write that succeeded.
    QString lastWriteError() const { return m_lastWriteError; }
    // What the player should be told once about the results file as the
    // game starts (a damaged file salvaged), or empty.
    QString startNotice() const { return m_databases.startNotice(); }
    bool soundsEnabled();
    // False when the write failed; the setting is kept pending.
    bool setSoundsEnabled(bool enabled);
    // The player's other settings, kept as name/value text pairs in
    // results.db's "playersetting" table (added to older files on opening).
    // A name never set reads as a null QString; parsing and range checks
    // belong to the caller, which falls back to its default on a bad value.
    QString playerSetting(const QString &name);
    // False when the write failed; the setting is kept pending.
    bool setPlayerSetting(const QString &name, const QString &value);
    // The picture a pack's levels are shown on (the first pack's for a pack
    // without one).
    QString backgroundImage(int levelPackNumber) const;
    // Display names kept in levels.db beside the level data. Empty when the
    // level or pack is unknown or the file predates the names.
    QString levelName(int levelPackNumber, int levelNumber) const;
    QString packName(int levelPackNumber) const;
    // The number of level packs levels.db holds (packs are numbered from 1).
    int packCount() const;
    // What levels.db's pack table says about a pack (see PackTable): its
    // background picture, terrain texture and surface strip (resource
    // paths) and the name of its ambient loop; empty when it has none.
    QString packPicture(int levelPackNumber) const;
    QString packGround(int levelPackNumber) const;
    QString packSurface(int levelPackNumber) const;
    QString packAmbient(int levelPackNumber) const;
    // The player's best time of a level in seconds; 0 when never finished.
    double bestTime(int levelPackNumber, int levelNumber) const;

    int currentLevelPack() const { return m_currentLevelPack; }
    int currentLevelNumber() const { return m_currentLevelNumber; }
    Level *currentLevel() const { return m_currentLevel; }
    int levelsPerPack() const;
    QString resultsDbPath() const { return m_databases.resultsDbPath(); }

private:
    bool writeFailed(const QSqlError &error);

    Physics *m_physics;
    QGraphicsScene *m_scene;
    int m_currentLevelPack = 1;
    Level *m_currentLevel = nullptr;
    int m_currentLevelNumber = 0;
    // Declared before what uses its connection, which therefore goes first.
    LevelDatabases m_databases;
    std::unique_ptr<PackTable> m_packs;
    std::unique_ptr<LevelBuilder> m_builder;
    std::unique_ptr<ResultsStore> m_results;
    std::unique_ptr<SettingsStore> m_settings;
    QSet<int> m_refusedLevels;
    QString m_lastWriteError;
    // The pictures of the last level loaded (its items hold them anyway).
    PixmapShare::Pictures m_levelPictures;
};

#endif

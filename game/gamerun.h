// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GAMERUN_H
#define GAMERUN_H

#include "replays/replayfile.h"
#include "replays/replayrecorder.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class BikeItem;
class GhostRider;
class Level;
class LevelManager;
class LevelWorld;
class QGraphicsScene;
class SoundManager;
struct RunOutcome;

// The ride of a level: the world it happens in (with the level manager the
// world opens), the level and its bike, the clock, the recording of the run
// and the ghost that rides along, and how the run ended. It does not know
// about screens: the controller says when a run starts, takes steps and
// ends.
//
// Every run is recorded; a finish or a failure ends the recording after
// its step, a restart or another level ends it as unfinished.
class GameRun : public QObject
{
    Q_OBJECT
public:
    // scene: the caller's (outlives the run); soundManager: not owned, may
    // be null, must outlive the run.
    GameRun(QGraphicsScene *scene, SoundManager *soundManager, QObject *parent = nullptr);
    ~GameRun() override;

    LevelWorld *world() const { return m_world.get(); }
    LevelManager *levels() const { return m_levels; }
    // The level ridden or shown; null while none (or a refused one) is.
    Level *level() const { return m_level; }
    void setLevel(Level *level) { m_level = level; }
    BikeItem *bike() const { return m_bike; }
    GhostRider *ghost() const { return m_ghost.get(); }
    // The ghost joins the scene (after the scene's other items).
    void createGhost();

    // Run clock in seconds: SimulationStep::kStepsPerRunSecond steps make
    // a second, cut to tenths.
    qreal runTime() const;
    int stepCount() const;

    // Loads a level into a fresh world (see LevelWorld::loadLevel) and
    // makes it the run's level.
    Level *load(int pack, int level);
    // The scene's bounds fit the level (nothing without one).
    void fitScene();
    // A new run of the level: the last one's recording ends unfinished, a
    // lean held through the restart goes on with the new bike, recording
    // and the ghost start.
    void restart();
    // The steps of one game tick; each is followed by afterPhysics (the
    // clock and the finish test) inside the step. stopped is asked before
    // every step; a run that ended in a step has its recording closed.
    void stepTick(const std::function<void()> &afterPhysics, const std::function<bool()> &stopped);

    // Puts the bike on the finish line (a test's and a tool's shortcut);
    // false without a bike or a level.
    bool moveBikeToFinish();
    // The run has reached the finish: records a new best in the level (the
    // result waits to be saved) and the recording ends with this step.
    RunOutcome finish(int nextLevelNumber);
    // The rider is down for good; the recording ends with this step.
    RunOutcome fail(int nextLevelNumber);

    // A new best waits to be saved in the results.
    bool resultsPending() const { return m_resultsPending; }
    // Saves what waits: the run's new best, else the results and settings
    // written meanwhile. Returns what the player is to be told (empty for
    // nothing): that a save failed (after a new result, or the first
    // time), or that saving works again; *failed: whether this save did.
    QString saveResults(bool *failed);

    // Ends the run's recording with outcome: it becomes the last run, and a
    // finish that set a record is saved as the level's best.
    void endRecording(ReplayFile::Outcome outcome);
    // The recording of the last run that took a step (finished, failed or
    // left), kept until the game quits.
    const std::optional<ReplayFile> &lastRun() const { return m_lastRun; }
    // lastRun() is the run that ended last (not an older one the recorder
    // kept while a later run went unrecorded).
    bool lastRunIsLatest() const { return m_lastRunIsLatest; }
    // The run now (or the one that just finished) set a record.
    bool isBest() const { return m_runIsBest; }
    // Where the best run of a level is kept: replays/ in the player's data
    // folder, one file per level.
    static QString bestReplayPath(int pack, int level);

    // The world shows a watched run: going back into it starts a new run.
    bool isWatched() const { return m_watched; }
    void setWatched() { m_watched = true; }

signals:
    // From the bike of the run: the rider is down for good; a hard hit.
    void crashed();
    void hardCollision(qreal speedX, qreal speedY, qreal angVel);

private:
    std::unique_ptr<LevelWorld> m_world;
    LevelManager *m_levels = nullptr;
    Level *m_level = nullptr;
    BikeItem *m_bike = nullptr;
    std::unique_ptr<GhostRider> m_ghost;
    ReplayRecorder m_recorder;
    std::optional<ReplayFile> m_lastRun;
    std::optional<ReplayFile::Outcome> m_runEnd;
    bool m_lastRunIsLatest = false;
    bool m_runIsBest = false;
    bool m_resultsPending = false;
    // The last save failed; the player has been told.
    bool m_saveFailing = false;
    bool m_watched = false;
};

#endif

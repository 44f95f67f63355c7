// SPDX-License-Identifier: GPL-3.0-or-later
#include "gamerun.h"

#include "base/datapaths.h"
#include "game/ghostrider.h"
#include "levels/level.h"
#include "levels/levelmanager.h"
#include "physics/physicsconventions.h"
#include "vehicle/bikeitem.h"
#include "world/levelworld.h"
#include "world/runoutcome.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

GameRun::GameRun(QGraphicsScene *scene, SoundManager *soundManager, QObject *parent)
    : QObject(parent)
    , m_world(std::make_unique<LevelWorld>(scene, soundManager))
{
    m_levels = m_world->openLevels();
    // Every level gets a new bike.
    m_world->setBikeWiring([this](BikeItem *bike) {
        m_bike = bike;
        connect(bike, &BikeItem::permanentlyGroundHitted, this, &GameRun::crashed);
        connect(bike, &BikeItem::hardCollisionDetected, this, &GameRun::hardCollision);
    });
}

GameRun::~GameRun()
{
    m_ghost.reset();
    m_world.reset();
    m_bike = nullptr;
}

void GameRun::createGhost()
{
    m_ghost = std::make_unique<GhostRider>(m_world->scene(), m_levels);
}

qreal GameRun::runTime() const
{
    return m_world->step().runTime();
}

int GameRun::stepCount() const
{
    return m_world->step().stepCount();
}

Level *GameRun::load(int pack, int level)
{
    m_level = m_world->loadLevel(pack, level);
    return m_level;
}

void GameRun::fitScene()
{
    if (m_level)
        m_world->fitSceneToLevel();
}

void GameRun::restart()
{
    endRecording(ReplayFile::Outcome::Unfinished);
    const qreal lean = m_bike->tiltSpeed();
    m_level = m_world->restart();
    m_watched = false;
    if (lean != 0.0)
        m_bike->setTiltSpeed(lean);
    m_recorder.start(*m_world);
    m_ghost->startRun(m_level->levelPackNumber(), m_level->levelNumber(),
        bestReplayPath(m_level->levelPackNumber(), m_level->levelNumber()));
    m_lastRunIsLatest = false;
}

void GameRun::stepTick(const std::function<void()> &afterPhysics, const std::function<bool()> &stopped)
{
    for (int i = 0; i < physicsStepsPerTick; ++i) {
        if (stopped())
            return;
        m_recorder.beforeStep(*m_bike);
        m_world->step().step(afterPhysics);
        m_recorder.afterStep(*m_bike, stepCount());
        if (m_runEnd)
            endRecording(*m_runEnd);
    }
    m_ghost->showStep(stepCount());
}

bool GameRun::moveBikeToFinish()
{
    if (!m_bike || !m_level)
        return false;
    m_bike->setX(m_level->finishLineX());
    m_bike->setBodyPos(m_level->finishLineX(), m_level->finishLineY());
    return true;
}

RunOutcome GameRun::finish(int nextLevelNumber)
{
    Level *level = m_level;
    const qreal time = runTime();
    const std::optional<qreal> oldBest = RunOutcome::previousTime(level->bestTime());
    if (RunOutcome::isNewRecord(time, oldBest)) {
        level->setBestTime(time, true);
        m_resultsPending = true;
    }
    const RunOutcome outcome = RunOutcome::finished(level->levelNumber(), time, oldBest, level->status(),
        level->bestTime(), level->medalForTime(time), nextLevelNumber);
    m_runEnd = ReplayFile::Outcome::Finished;
    m_runIsBest = outcome.newRecord;
    return outcome;
}

RunOutcome GameRun::fail(int nextLevelNumber)
{
    m_runEnd = ReplayFile::Outcome::Failed;
    return RunOutcome::failedRun(
        m_level->levelNumber(), m_level->bestTime(), m_level->status(), nextLevelNumber);
}

QString GameRun::saveResults(bool *failed)
{
    *failed = false;
    bool newResult = false;
    bool saved = true;
    if (m_resultsPending && m_level) {
        m_resultsPending = false;
        newResult = true;
        saved = m_levels->saveLevelResult(m_level);
    } else if (m_levels->hasPendingWrites()) {
        saved = m_levels->savePendingWrites();
    } else {
        return QString();
    }
    QString notice;
    if (!saved && (newResult || !m_saveFailing)) {
        notice = tr("Your results could not be saved: %1. They are kept, and saved as soon as saving works "
                    "again.")
                     .arg(m_levels->lastWriteError());
    } else if (saved && m_saveFailing) {
        notice = tr("Your results are saved now.");
    }
    m_saveFailing = !saved;
    *failed = !saved;
    return notice;
}

QString GameRun::bestReplayPath(int pack, int level)
{
    return DataPaths::current().replaysDir()
        + QStringLiteral("/pack%1-level%2.vcreplay").arg(pack).arg(level, 2, 10, QLatin1Char('0'));
}

void GameRun::endRecording(ReplayFile::Outcome outcome)
{
    const bool best = m_runIsBest && outcome == ReplayFile::Outcome::Finished;
    m_runEnd.reset();
    m_runIsBest = false;
    if (!m_recorder.isRecording() || stepCount() == 0)
        return;
    m_lastRun = m_recorder.finish(*m_bike, stepCount(), outcome);
    m_lastRunIsLatest = true;
    if (!best)
        return;
    const QString path = bestReplayPath(m_lastRun->pack, m_lastRun->level);
    QString error;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !m_lastRun->save(path, &error))
        qWarning().noquote() << "The best run was not kept:" << (error.isEmpty() ? path : error);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "mygame.h"

#include "game/gamecamera.h"
#include "game/gamepadinput.h"
#include "game/gameview.h"
#include "game/ghostrider.h"
#include "game/myscene.h"
#include "game/replaywatch.h"
#include "game/replaywatchoverlay.h"
#include "game/zoomlimits.h"
#include "levels/datapaths.h"
#include "levels/level.h"
#include "levels/levelmanager.h"
#include "levels/resultssalvage.h"
#include "menus/helpmenu.h"
#include "menus/infomenu.h"
#include "menus/ingamemenu.h"
#include "menus/levelcompletedmenu.h"
#include "menus/levelstartcard.h"
#include "menus/mainmenu.h"
#include "menus/settingsmenu.h"
#include "physics/physicsconventions.h"
#include "physics/sensorreader.h"
#include "replays/replayplayback.h"
#include "sound/soundmanagergeaudio.h"
#include "vehicle/bikeitem.h"
#include "world/levelworld.h"
#include "world/runoutcome.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPropertyAnimation>
#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kTicksPerSecond = 49;
constexpr int kMsPerSecond = 1000;
constexpr int kFpsReportTicks = 50;

constexpr qreal kBrakeThrottle = -0.5;
// A tilt sensor's lean angle (degrees) that gives full tilt.
constexpr qreal kFullTiltAngleDeg = 35.0;

constexpr int kVolumeStep = 15;
// Levels place the bike this far (scene units) above the ground it starts
// on; the background's horizon is laid against that ground.
constexpr qreal kBikeStartAboveGround = 60.0;
constexpr int kDelayedExitMs = 1000;
// A notice about the results file at start names a path: it stays longer
// than a notice of the run, ms.
constexpr int kStartNoticeMs = 20000;
// A failed save is told over the results panel for as long as it usually
// stays, ms.
constexpr int kSaveFailureNoticeMs = 12000;

// The player setting that keeps the key zoom across starts; written with
// enough digits to read back the same double.
const QString kZoomSetting = QStringLiteral("zoom");
constexpr int kZoomDigits = 17;
// Player settings: the volume 0..100 and the keys (KeyBindings' text).
const QString kVolumeSetting = QStringLiteral("volume");
const QString kKeysSetting = QStringLiteral("keys");
constexpr int kMaxVolume = 100;

} // namespace

MyGame::MyGame(MyScene *scene, GameView *view, const QSize &windowSize)
    : MyGame(scene, view, windowSize, new SoundManagerGEAudio)
{ }

MyGame::MyGame(MyScene *scene, GameView *view, const QSize &windowSize, SoundManager *soundManager)
    : m_view(view)
{
    // Temporaries of saves that a stop cut short, before anything is saved.
    const QDateTime now = QDateTime::currentDateTime();
    ResultsSalvage::removeStaleTemporaries(DataPaths::current().resultsDbPath(), now);
    ReplayFile::removeStaleTemporaries(DataPaths::current().replaysDir(), now);
    m_fpsTime.start();
    m_sensorReader = new SensorReader;

    m_camera = std::make_unique<GameCamera>(this, view, windowSize.width());

    m_world = std::make_unique<LevelWorld>(scene, soundManager);
    m_levelManager = m_world->openLevels();
    m_resultsPending = false;

    m_soundManager = soundManager;
    const bool soundsOn = m_levelManager->soundsEnabled();
    if (m_soundManager)
        m_soundManager->setSoundsEnabled(soundsOn);

    m_afterPhysics = [this] {
        if (m_view)
            m_view->setTime(runTime());
        checkLevelFinished();
    };
    m_activeCheck = [this] { return m_view && m_view->isActiveWindow(); };

    // Every level gets a new bike.
    m_world->setBikeWiring([this](BikeItem *bike) {
        m_bike = bike;
        connect(bike, &BikeItem::permanentlyGroundHitted, this, &MyGame::levelFailedWithoutFinishing);
        connect(bike, &BikeItem::hardCollisionDetected, this, &MyGame::hardCollisionHandler);
    });

    m_mainMenu = new MainMenu(m_levelManager, soundsOn, windowSize, view);
    m_inGameMenu = new InGameMenu(windowSize, view);
    m_levelCompletedMenu = new LevelCompletedMenu(windowSize, view);
    m_startCard = view ? new LevelStartCard(view) : nullptr;
    m_settingsMenu = new SettingsMenu(windowSize, view);
    m_watch = new ReplayWatch(m_world.get(), m_soundManager, &m_keyBindings, view, this);
    connect(m_watch, &ReplayWatch::leaveRequested, this, &MyGame::stopWatching);
    connect(m_watch, &ReplayWatch::worldRestarted, this, [this] { m_currentLevel = m_world->level(); });
    connect(m_watch, &ReplayWatch::runEndReached, this, &MyGame::watchedRunEnded);
    connect(m_watch, &ReplayWatch::timeShown, this, [this](double seconds) {
        if (m_view)
            m_view->setTime(seconds);
    });
    connectMenus();
    connectGamepad();
    m_ghost = std::make_unique<GhostRider>(m_world->scene(), m_levelManager);
    showGhostMode();
    connect(m_inGameMenu, &InGameMenu::ghostToggled, this, &MyGame::toggleGhost);
    restorePlayerZoom();
    restorePlayerSettings();

    reset(true);
    m_fpsTime.restart();
    m_fpsFrames = -1;
    m_paused = false;
    showMainMenu();
    if (m_soundManager)
        m_soundManager->playGameStartSound();
    if (m_view)
        m_view->discardRequestedZoom();
    if (!m_levelManager->startNotice().isEmpty())
        showNotice(m_levelManager->startNotice(), kStartNoticeMs);
}

void MyGame::connectMenus()
{
    connect(m_mainMenu, &MainMenu::exit, this, &MyGame::exit);
    connect(m_mainMenu, &MainMenu::backInGame, this, qOverload<>(&MyGame::unPause));
    connect(m_mainMenu, &MainMenu::currentLevel, this, qOverload<>(&MyGame::reset));
    connect(m_mainMenu, &MainMenu::levelSelected, this, &MyGame::loadLevel);
    connect(m_mainMenu, &MainMenu::helpDone, this, &MyGame::startCurrentLevel);
    m_mainMenu->setBestRunCheck(
        [](int pack, int level) { return QFileInfo::exists(bestReplayPath(pack, level)); });
    connect(m_mainMenu, &MainMenu::watchRequested, this, [this](int pack, int level) {
        QString error;
        if (!watchReplayFile(bestReplayPath(pack, level), &error))
            qWarning().noquote() << error;
    });
    if (m_soundManager)
        connect(m_mainMenu, &MainMenu::soundsChanged, m_soundManager, &SoundManager::setSoundsEnabled);

    connect(m_inGameMenu, &InGameMenu::exit, this, &MyGame::exit);
    connect(m_inGameMenu, &InGameMenu::reset, this, qOverload<>(&MyGame::reset));
    connect(m_inGameMenu, &InGameMenu::backInGame, this, qOverload<>(&MyGame::unPause));
    connect(m_inGameMenu, &InGameMenu::mainmenu, this, &MyGame::showMainMenu);

    connect(m_levelCompletedMenu, &LevelCompletedMenu::reset, this, qOverload<>(&MyGame::reset));
    connect(m_levelCompletedMenu, &LevelCompletedMenu::exit, this, &MyGame::exit);
    connect(m_levelCompletedMenu, &LevelCompletedMenu::nextLevel, this, &MyGame::nextLevel);
    connect(m_levelCompletedMenu, &LevelCompletedMenu::mainmenu, this, &MyGame::showMainMenu);
    connect(m_levelCompletedMenu, &LevelCompletedMenu::showMenuFinished, this, &MyGame::processLevelResults);
    connect(m_levelCompletedMenu, &LevelCompletedMenu::watch, this, &MyGame::watchLastRun);

    connect(m_mainMenu, &MainMenu::settingsRequested, this, [this] { showSettings(m_mainMenu); });
    connect(m_inGameMenu, &InGameMenu::settingsRequested, this, [this] { showSettings(m_inGameMenu); });
    connect(m_settingsMenu, &SettingsMenu::ok, this, &MyGame::settingsClosed);
    for (MenuWidget *menu : slidingMenus())
        if (menu)
            connect(menu, &MenuWidget::backKeyAfterSlideOut, this, &MyGame::showInGameMenu);
    connect(m_settingsMenu, &SettingsMenu::volumeChanged, this, &MyGame::setVolume);
    connect(m_settingsMenu, &SettingsMenu::soundsChanged, this, &MyGame::setSoundsEnabled);
    connect(m_settingsMenu, &SettingsMenu::keyBindingsChanged, this, &MyGame::setKeyBindings);
    connect(m_settingsMenu, &SettingsMenu::fullScreenChanged, this, [this](bool on) {
        if (m_view)
            m_view->setFullScreenSetting(on);
    });
}

void MyGame::connectGamepad()
{
    m_gamepad = new GamepadInput(this);
    connect(m_gamepad, &GamepadInput::throttlePressed, this, &MyGame::throttleOnBike);
    connect(m_gamepad, &GamepadInput::throttleReleased, this, &MyGame::throttleOffBike);
    connect(m_gamepad, &GamepadInput::brakePressed, this, &MyGame::brakeOnBike);
    connect(m_gamepad, &GamepadInput::brakeReleased, this, &MyGame::brakeOffBike);
    connect(
        m_gamepad, &GamepadInput::leanChanged, this, [this](qreal lean) { addRiderTilt(lean * kTiltStep); });
    connect(m_gamepad, &GamepadInput::menuRequested, this, &MyGame::showInGameMenu);
    connect(m_gamepad, &GamepadInput::restartRequested, this, &MyGame::resetWithoutControlAnimations);
    connect(m_gamepad, &GamepadInput::menuKey, this, &MyGame::padMenuKey);
}

QVector<MenuWidget *> MyGame::slidingMenus() const
{
    return {m_settingsMenu, m_mainMenu->helpMenu(), m_mainMenu->infoMenu(), m_mainMenu, m_inGameMenu,
        m_levelCompletedMenu};
}

MenuWidget *MyGame::activeMenu() const
{
    MenuWidget *menus[] = {m_settingsMenu, m_mainMenu->helpMenu(), m_mainMenu->infoMenu(), m_mainMenu,
        m_inGameMenu, m_levelCompletedMenu};
    for (MenuWidget *menu : menus) {
        if (menu && menu->isVisible())
            return menu;
    }
    return nullptr;
}

void MyGame::padMenuKey(int key, bool pressed)
{
    if (MenuWidget *menu = activeMenu())
        menu->padKey(key, pressed);
}

MyGame::~MyGame()
{
    m_tickTimer.stop();
    m_ghost.reset();
    delete m_watch;
    m_watch = nullptr;
    // The bike keeps a pointer to the sound manager: it goes first.
    m_world.reset();
    m_bike = nullptr;
    m_levelManager = nullptr;
    delete m_soundManager;
    m_soundManager = nullptr;
    delete m_sensorReader;
    m_camera.reset();
}

qreal MyGame::runTime() const
{
    return m_world->step().runTime();
}

int MyGame::stepCount() const
{
    return m_world->step().stepCount();
}

// --- Recording ---------------------------------------------------------------

QString MyGame::bestReplayPath(int pack, int level)
{
    return DataPaths::current().replaysDir()
        + QStringLiteral("/pack%1-level%2.vcreplay").arg(pack).arg(level, 2, 10, QLatin1Char('0'));
}

void MyGame::endRecording(ReplayFile::Outcome outcome)
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

// --- Watching a run -----------------------------------------------------------

bool MyGame::isWatching() const
{
    return m_watch && m_watch->isWatching();
}

bool MyGame::watchReplay(const ReplayFile &file, WatchOrigin origin, QString *error)
{
    // The file may be the last run, which ending a run replaces.
    const ReplayFile watched = file;
    processLevelResults();
    endRecording(ReplayFile::Outcome::Unfinished);
    m_watch->stop();
    pause(false);
    if (m_startCard)
        m_startCard->dismiss();
    m_currentLevel = m_world->loadLevel(watched.pack, watched.level);
    if (!m_currentLevel->isPlayable()) {
        *error = tr("level %1 of pack %2 does not exist").arg(watched.level).arg(watched.pack);
        m_currentLevel = nullptr;
        if (!m_mainMenu->isVisible())
            m_mainMenu->showMenu(nullptr);
        return false;
    }
    updateSceneRect();
    showLevelSurroundings(watched.pack);
    m_worldWatched = true;
    if (!m_watch->start(watched, error)) {
        if (!m_mainMenu->isVisible())
            m_mainMenu->showMenu(m_currentLevel);
        return false;
    }
    m_watchOrigin = origin;
    m_currentLevel = m_world->level();
    m_ghost->leaveRun();
    if (m_view) {
        m_view->hideControls();
        m_view->setButtonsOff();
        m_view->setTime(0.0);
        m_view->setFocus(Qt::OtherFocusReason);
    }
    m_camera->zoomAnimation()->start();
    return true;
}

void MyGame::watchedRunEnded()
{
    const ReplayFile &file = m_watch->playback()->file();
    if (file.outcome != ReplayFile::Outcome::Finished || !m_currentLevel)
        return;
    // A kept best (or a run someone shared) is cheered as the record it
    // was; a run just finished as the results called it.
    const bool record = m_watchOrigin == WatchOrigin::MainMenu
        || (m_watchOrigin == WatchOrigin::LevelCompleted && m_runIsBest);
    const qreal time = SimulationStep::runTimeForSteps(file.steps);
    CrowdReactions::play(m_soundManager,
        CrowdReactions::atFinish(record, levelStatusCode(m_currentLevel->medalForTime(time))));
}

bool MyGame::watchReplayFile(const QString &path, QString *error)
{
    QString reason;
    std::optional<ReplayFile> file = ReplayFile::load(path, &reason);
    if (file) {
        // The main menu of the start goes at once.
        m_mainMenu->hide();
        if (watchReplay(*file, WatchOrigin::MainMenu, &reason))
            return true;
    }
    *error = tr("Cannot watch the replay '%1': %2").arg(QDir::toNativeSeparators(path), reason);
    if (!m_mainMenu->isVisible())
        m_mainMenu->showMenu(m_currentLevel);
    if (m_watch->overlay())
        m_watch->overlay()->showNotice(*error);
    return false;
}

void MyGame::watchLastRun()
{
    QString error;
    // The last run is this level's run that just ended (the recorder keeps
    // none of a run with more distinct inputs than a file holds).
    if (!m_lastRun || !m_lastRunIsLatest) {
        error = tr("this run was not recorded");
    } else if (watchReplay(*m_lastRun, WatchOrigin::LevelCompleted, &error)) {
        return;
    }
    qWarning().noquote() << "The run cannot be watched:" << error;
    if (m_watch->overlay())
        m_watch->overlay()->showNotice(tr("The run cannot be watched: %1").arg(error));
    if (m_currentLevel && !m_mainMenu->isVisible())
        m_levelCompletedMenu->showAgain();
}

void MyGame::stopWatching()
{
    if (!isWatching())
        return;
    m_watch->stop();
    pause(false);
    if (m_watchOrigin == WatchOrigin::LevelCompleted && m_currentLevel)
        m_levelCompletedMenu->showAgain();
    else
        m_mainMenu->showMenu(m_currentLevel);
}

// --- Flow between menus and the run -----------------------------------------

void MyGame::loadLevel(int levelPackNumber, int levelNumber)
{
    processLevelResults();
    endRecording(ReplayFile::Outcome::Unfinished);
    m_watch->stop();
    Level *previous = m_currentLevel;
    m_currentLevel = m_world->loadLevel(levelPackNumber, levelNumber);
    // A missing or refused level is not ridden: its stand-in has no ground
    // and a finish at 0. The menu stays with nothing to go back to.
    if (!m_currentLevel->isPlayable()) {
        qDebug("MyGame::loadLevel - level %d of levelpack %d cannot be played", levelNumber, levelPackNumber);
        m_currentLevel = nullptr;
        pause(false);
        if (!m_mainMenu->isVisible())
            m_mainMenu->showMenu(nullptr);
        return;
    }
    updateSceneRect();
    reset(false);
    showLevelSurroundings(levelPackNumber);
    if (!previous && m_currentLevel && levelPackNumber == 1 && levelNumber == 1) {
        pause(true);
        m_mainMenu->showHelp(false);
    } else {
        startCurrentLevel();
    }
}

void MyGame::showLevelSurroundings(int levelPackNumber)
{
    if (m_view) {
        m_view->setBackgroundImage(m_levelManager->backgroundImage(levelPackNumber));
        if (m_currentLevel)
            m_view->setBackgroundGroundLevel(m_currentLevel->bikeStartPos().y() + kBikeStartAboveGround);
    }
    if (m_soundManager)
        m_soundManager->setAmbientPack(m_currentLevel ? levelPackNumber : 0);
    m_camera->prepareLevelStart();
    setZoom(GameCamera::kLevelStartZoom);
}

void MyGame::reset(bool animateControls)
{
    // The restart key while watching starts the watched run over.
    if (isWatching()) {
        m_watch->restart();
        return;
    }
    if (!m_currentLevel || !m_mainMenu->subMenusHidden() || m_settingsMenu->isVisible())
        return;
    processLevelResults();
    // A visible menu slides out first and then asks for the reset again.
    if (m_inGameMenu->isVisible()) {
        m_inGameMenu->hideAndReset();
        return;
    }
    if (m_levelCompletedMenu->isVisible()) {
        m_levelCompletedMenu->hideAndReset();
        return;
    }
    if (m_mainMenu->isVisible()) {
        m_mainMenu->hideAndResetCurrentLevel();
        return;
    }
    endRecording(ReplayFile::Outcome::Unfinished);
    // A lean held through the restart goes on with the new run's bike.
    const qreal lean = m_bike->tiltSpeed();
    m_currentLevel = m_world->restart();
    m_worldWatched = false;
    if (lean != 0.0)
        m_bike->setTiltSpeed(lean);
    m_recorder.start(*m_world);
    m_ghost->startRun(m_currentLevel->levelPackNumber(), m_currentLevel->levelNumber(),
        bestReplayPath(m_currentLevel->levelPackNumber(), m_currentLevel->levelNumber()));
    m_lastRunIsLatest = false;
    if (m_view) {
        m_view->setButtonsOff();
        m_view->setTime(runTime());
    }
    brakeOffBike();
    m_fpsFrames = -1;
    m_levelCompletedMenu->hideMenu();
    unPause(animateControls);
}

void MyGame::startCurrentLevel()
{
    unPause(true);
    m_camera->zoomAnimation()->start();
    showStartCard();
}

void MyGame::showStartCard()
{
    Level *level = m_currentLevel;
    if (!m_startCard || !level || level->levelNumber() < 1)
        return;
    m_startCard->showLevel(level->levelNumber(),
        m_levelManager->levelName(level->levelPackNumber(), level->levelNumber()), level->goldTime(),
        level->silverTime(), level->bronzeTime(), level->bestTime());
}

void MyGame::showMainMenu()
{
    if (isWatching()) {
        stopWatching();
        return;
    }
    if (m_mainMenu->isVisible()) {
        m_mainMenu->hideMenu();
        return;
    }
    pause(false);
    if (m_startCard)
        m_startCard->dismiss();
    m_mainMenu->showMenu(m_currentLevel);
}

void MyGame::showInGameMenu()
{
    // While a panel slides out its decision is being carried out: Escape
    // belongs to the state that follows.
    for (MenuWidget *menu : slidingMenus()) {
        if (menu && menu->isSlidingOut()) {
            menu->deferBackKey();
            return;
        }
    }
    if (isWatching()) {
        stopWatching();
    } else if (m_settingsMenu->isVisible()) {
        m_settingsMenu->hideMenu();
    } else if (m_mainMenu->helpPending()) {
        m_mainMenu->hideHelp();
    } else if (!m_currentLevel) {
        if (m_mainMenu->isVisible())
            m_mainMenu->exitAction();
    } else if (m_inGameMenu->isVisible()) {
        m_inGameMenu->hideMenu();
    } else if (m_levelCompletedMenu->isVisible()) {
        m_levelCompletedMenu->hideAndReset();
    } else if (m_mainMenu->isVisible()) {
        m_mainMenu->hideAndResetCurrentLevel();
    } else if (!m_paused) {
        pause(false);
        if (m_view)
            m_view->hideControls();
        // The level's card would lie over the panel.
        if (m_startCard)
            m_startCard->dismiss();
        m_inGameMenu->showMenu();
    }
}

void MyGame::pauseGame()
{
    if (!m_paused)
        pause(false);
    else
        unPause(true);
}

void MyGame::pause(bool useFadingSounds)
{
    m_paused = true;
    if (m_soundManager)
        m_soundManager->mute(useFadingSounds);
}

void MyGame::unPause(bool animateControls)
{
    // A watched run is not ridden on: going back in starts a new run.
    if (m_worldWatched) {
        reset(animateControls);
        return;
    }
    m_paused = false;
    if (m_soundManager)
        m_soundManager->unmute();
    if (m_view && animateControls)
        m_view->showControls();
}

void MyGame::resizeWindow()
{
    if (!m_view)
        return;
    const QRect geometry = m_view->geometry();
    m_inGameMenu->updateScreenPosition(geometry);
    m_levelCompletedMenu->updateScreenPosition(geometry);
    m_mainMenu->updateScreenPosition(geometry);
    m_settingsMenu->updateScreenPosition(geometry);
    // F11 may switch the window while the settings panel shows.
    m_settingsMenu->setFullScreen(m_view->isFullScreen());
    updateSceneRect();
    m_view->update();
    m_view->viewport()->update();
}

void MyGame::exitApplication()
{
    processLevelResults();
    storeVolume();
    if (m_soundManager)
        m_levelManager->setSoundsEnabled(m_soundManager->isSoundsEnabled());
    if (m_levelManager->hasPendingWrites() && !m_levelManager->savePendingWrites())
        qWarning().noquote() << "Quitting without saving the last results and settings:"
                             << m_levelManager->lastWriteError();
    qDebug("Exiting..");
    // Quitting closes the windows first; the view lets itself be closed
    // from now on instead of starting the exit path again.
    m_exiting = true;
    QCoreApplication::quit();
}

void MyGame::delayedExitApplication()
{
    QTimer::singleShot(kDelayedExitMs, this, &MyGame::exitApplication);
}

bool MyGame::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ApplicationDeactivate) {
        m_applicationActive = false;
        if (m_soundManager) {
            m_soundManager->mute(false);
            m_soundManager->stop();
        }
        return true;
    }
    if (event->type() == QEvent::ApplicationActivate) {
        m_applicationActive = true;
        if (m_soundManager) {
            m_soundManager->unstop();
            if (!m_paused)
                m_soundManager->unmute();
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// --- Controls ---------------------------------------------------------------

void MyGame::throttleBike(qreal value)
{
    if (m_bike && !isWatching())
        m_bike->setThrottle(value);
}

void MyGame::brakeOnBike()
{
    throttleBike(kBrakeThrottle);
    if (m_bike && !isWatching())
        m_bike->setBrake(1.0);
}

void MyGame::brakeOffBike()
{
    throttleBike(0.0);
    if (m_bike && !isWatching())
        m_bike->setBrake(0.0);
}

void MyGame::volumeUp()
{
    if (!m_applicationActive)
        return;
    if (m_soundManager)
        m_soundManager->increaseVolume(kVolumeStep);
    setVolume(m_soundManager ? m_soundManager->volume() : m_volume + kVolumeStep);
}

void MyGame::volumeDown()
{
    if (!m_applicationActive)
        return;
    if (m_soundManager)
        m_soundManager->decreaseVolume(kVolumeStep);
    setVolume(m_soundManager ? m_soundManager->volume() : m_volume - kVolumeStep);
}

void MyGame::setVolume(int volume)
{
    m_volume = std::clamp(volume, 0, kMaxVolume);
    if (m_soundManager && m_soundManager->volume() != m_volume)
        m_soundManager->setVolume(m_volume);
    // A slider drag changes the volume at every mouse move: it is written
    // once the panel closes (or the game quits), not at each step.
    if (!m_settingsMenu->isVisible())
        storeVolume();
}

void MyGame::storeVolume()
{
    const QString value = QString::number(m_volume);
    if (m_levelManager->playerSetting(kVolumeSetting) != value)
        m_levelManager->setPlayerSetting(kVolumeSetting, value);
}

void MyGame::setSoundsEnabled(bool on)
{
    if (m_soundManager)
        m_soundManager->setSoundsEnabled(on);
    m_levelManager->setSoundsEnabled(on);
    m_mainMenu->setSoundsOn(on);
}

void MyGame::setKeyBindings(const KeyBindings &bindings)
{
    m_keyBindings = bindings;
    m_levelManager->setPlayerSetting(kKeysSetting, bindings.toText());
    m_mainMenu->infoMenu()->setKeyBindings(bindings);
}

void MyGame::setRiderTilt(qreal angle)
{
    qreal tilt;
    if (angle < -kFullTiltAngleDeg)
        tilt = 1.0;
    else if (angle > kFullTiltAngleDeg)
        tilt = -1.0;
    else
        tilt = -(angle * (1.0 / kFullTiltAngleDeg));
    if (m_bike && !isWatching())
        m_bike->setRiderTilt(tilt, angle, true);
}

void MyGame::addRiderTilt(qreal value)
{
    if (m_bike && !isWatching())
        m_bike->setTiltSpeed(value);
}

void MyGame::toggleGhost()
{
    m_ghost->cycle();
    showGhostMode();
}

void MyGame::showGhostMode()
{
    switch (m_ghost->mode()) {
    case GhostRider::Mode::Off:
        m_inGameMenu->setGhostShown(InGameMenu::GhostShown::Off);
        break;
    case GhostRider::Mode::Best:
        m_inGameMenu->setGhostShown(InGameMenu::GhostShown::Best);
        break;
    case GhostRider::Mode::Author:
        m_inGameMenu->setGhostShown(InGameMenu::GhostShown::Author);
        break;
    }
}

void MyGame::releaseRagdoll()
{
    if (m_bike && !isWatching())
        m_bike->releaseRagdoll();
}

// --- The tick and the run ---------------------------------------------------

void MyGame::startGame()
{
    m_ticksPerSecond = kTicksPerSecond;
    m_tickIntervalMs = kMsPerSecond / m_ticksPerSecond;
    connect(&m_tickTimer, &QTimer::timeout, this, &MyGame::advance, Qt::UniqueConnection);
    m_tickTimer.start(m_tickIntervalMs);
}

bool MyGame::runActive() const
{
    return !m_paused && m_activeCheck && m_activeCheck();
}

void MyGame::advance()
{
    if (!m_view) {
        qDebug("view not active");
        return;
    }
    m_camera->takeRequestedZoom(m_bike->isVisible());
    m_camera->follow(m_bike->pos() + m_cameraOffCenter);

    if (isWatching()) {
        if (m_activeCheck && m_activeCheck() && !m_watch->isPaused()) {
            m_watch->tick();
            // The crowd sees the watched run as it saw the run itself.
            if (isWatching() && !m_watch->playback()->atEnd())
                checkCrowdAwe();
        }
        return;
    }
    if (!runActive()) {
        m_fpsFrames = -1;
        return;
    }
    if (m_fpsFrames < 0) {
        m_fpsFrames = 0;
        m_fpsTime.restart();
    }
    ++m_fpsFrames;

    for (int i = 0; i < physicsStepsPerTick; ++i) {
        if (m_paused)
            return;
        m_recorder.beforeStep(*m_bike);
        m_world->step().step(m_afterPhysics);
        m_recorder.afterStep(*m_bike, stepCount());
        if (m_runEnd)
            endRecording(*m_runEnd);
    }
    m_ghost->showStep(stepCount());
    // A run that ended in these steps (a finish pauses it) has had its
    // crowd reaction.
    if (!m_paused)
        checkCrowdAwe();
    reportFrameRate();
}

void MyGame::reportFrameRate()
{
    if (m_fpsFrames % kFpsReportTicks != 0)
        return;
    const qint64 elapsed = m_fpsTime.restart();
    // A clock that did not move gives no rate; the next report starts afresh.
    if (elapsed > 0)
        m_view->setFps(qreal(kFpsReportTicks * kMsPerSecond / elapsed));
}

void MyGame::checkLevelFinished()
{
    if (m_paused || !m_currentLevel || !m_currentLevel->isPlayable()
        || !m_world->step().reached(m_currentLevel->finishLineX()))
        return;
    pause(true);
    Level *level = m_currentLevel;
    const qreal time = runTime();
    const std::optional<qreal> oldBest = RunOutcome::previousTime(level->bestTime());
    if (RunOutcome::isNewRecord(time, oldBest)) {
        level->setBestTime(time, true);
        m_resultsPending = true;
    }
    const RunOutcome outcome = RunOutcome::finished(level->levelNumber(), time, oldBest, level->status(),
        level->bestTime(), level->medalForTime(time), m_levelManager->nextLevelNumber());
    // The recording ends once this step is complete.
    m_runEnd = ReplayFile::Outcome::Finished;
    m_runIsBest = outcome.newRecord;
    CrowdReactions::play(
        m_soundManager, CrowdReactions::atFinish(outcome.newRecord, levelStatusCode(outcome.medal)));
    showRunOutcome(outcome);
}

void MyGame::levelFailedWithoutFinishing()
{
    if (!m_currentLevel || isWatching())
        return;
    pause(false);
    m_runEnd = ReplayFile::Outcome::Failed;
    showRunOutcome(RunOutcome::failedRun(m_currentLevel->levelNumber(), m_currentLevel->bestTime(),
        m_currentLevel->status(), m_levelManager->nextLevelNumber()));
}

void MyGame::showRunOutcome(const RunOutcome &outcome)
{
    if (m_view)
        m_view->hideControls();
    if (m_startCard)
        m_startCard->dismiss();
    Level *level = m_currentLevel;
    const bool finished = !outcome.failed;
    // The medal to aim for next: one better than this run's, or, after a
    // crash, one better than the level holds.
    const std::optional<LevelStatus> aim = nextBetterMedal(finished ? outcome.medal : level->status());
    const double aimTime = aim == LevelStatus::Gold ? level->goldTime()
        : aim == LevelStatus::Silver                ? level->silverTime()
                                                    : level->bronzeTime();
    m_levelCompletedMenu->setRunDetails(
        m_levelManager->levelName(level->levelPackNumber(), level->levelNumber()), finished ? runTime() : 0.0,
        aim, aim ? aimTime : 0.0);
    m_levelCompletedMenu->showMenu(outcome);
}

void MyGame::processLevelResults()
{
    if (!m_levelManager)
        return;
    if (m_resultsPending && m_currentLevel) {
        m_resultsPending = false;
        reportSave(m_levelManager->saveLevelResult(m_currentLevel), true);
    } else if (m_levelManager->hasPendingWrites()) {
        reportSave(m_levelManager->savePendingWrites(), false);
    }
}

void MyGame::reportSave(bool saved, bool newResult)
{
    QString notice;
    if (!saved && (newResult || !m_saveFailing)) {
        notice = tr("Your results could not be saved: %1. They are kept, and saved as soon as saving works "
                    "again.")
                     .arg(m_levelManager->lastWriteError());
    } else if (saved && m_saveFailing) {
        notice = tr("Your results are saved now.");
    }
    m_saveFailing = !saved;
    if (!notice.isEmpty()) {
        qWarning().noquote() << notice;
        showNotice(notice, saved ? ReplayWatchOverlay::kNoticeMs : kSaveFailureNoticeMs);
    }
}

void MyGame::showNotice(const QString &notice, int ms)
{
    if (m_watch->overlay())
        m_watch->overlay()->showNotice(notice, ms);
}

void MyGame::nextLevel()
{
    processLevelResults();
    const int next = m_levelManager->nextLevelNumber();
    if (next != 0)
        loadLevel(m_levelManager->currentLevelPack(), next);
    else
        qDebug("Warning: next level not found.");
}

void MyGame::finishLevel()
{
    if (!m_bike || !m_currentLevel || isWatching()) {
        qDebug("MyGame::finishLevel - bike or level not defined, ignoring request");
        return;
    }
    m_bike->setX(m_currentLevel->finishLineX());
    m_bike->setBodyPos(m_currentLevel->finishLineX(), m_currentLevel->finishLineY());
    qDebug("MyGame::finishLevel - bike moved");
}

void MyGame::checkCrowdAwe()
{
    CrowdReactions::play(
        m_soundManager, m_crowd.watch(m_bike->bodyAngle(), m_bike->hasRagdoll(), m_bike->velocityX()));
}

void MyGame::updateSceneRect()
{
    if (!m_currentLevel)
        return;
    m_world->fitSceneToLevel();
}

// --- Camera and zoom --------------------------------------------------------

qreal MyGame::zoom() const
{
    return m_view ? m_view->zoom() : 1.0;
}

void MyGame::setZoom(qreal z)
{
    if (m_view)
        m_view->setZoom(z);
}

void MyGame::setCameraOffAngle(qreal angle)
{
    if (!m_view)
        return;
    m_view->rotate(-m_cameraOffAngle);
    m_view->rotate(angle);
    m_cameraOffAngle = angle;
}

bool MyGame::zoomIn(qreal z, int timems, bool linear)
{
    if (!m_view || !m_camera->zoom(true, z, timems, linear))
        return false;
    m_levelManager->setPlayerSetting(kZoomSetting, QString::number(m_camera->zoomTarget(), 'g', kZoomDigits));
    return true;
}

bool MyGame::zoomOut(qreal z, int timems, bool linear)
{
    if (!m_view || !m_camera->zoom(false, z, timems, linear))
        return false;
    m_levelManager->setPlayerSetting(kZoomSetting, QString::number(m_camera->zoomTarget(), 'g', kZoomDigits));
    return true;
}

void MyGame::restorePlayerZoom()
{
    const QString stored = m_levelManager->playerSetting(kZoomSetting);
    if (stored.isNull())
        return;
    bool ok = false;
    const qreal z = stored.toDouble(&ok);
    if (!ok || !(z >= kMinZoom && z <= kMaxZoom)) {
        qWarning().noquote() << QStringLiteral(
            "Stored zoom '%1' is not a number in the zoom range; using the default.")
                                    .arg(stored);
        return;
    }
    m_camera->restoreZoom(z);
}

void MyGame::restorePlayerSettings()
{
    const QString volume = m_levelManager->playerSetting(kVolumeSetting);
    if (!volume.isNull()) {
        bool ok = false;
        const int value = volume.toInt(&ok);
        if (ok && value >= 0 && value <= kMaxVolume) {
            m_volume = value;
        } else {
            qWarning().noquote() << QStringLiteral(
                "Stored volume '%1' is not a number from 0 to %2; using %3.")
                                        .arg(volume)
                                        .arg(kMaxVolume)
                                        .arg(kDefaultVolume);
        }
    }
    if (m_soundManager)
        m_soundManager->setVolume(m_volume);

    const QString keys = m_levelManager->playerSetting(kKeysSetting);
    if (!keys.isNull()) {
        QString error;
        KeyBindings stored;
        if (stored.fromText(keys, &error))
            m_keyBindings = stored;
        else
            qWarning().noquote() << QStringLiteral(
                "Stored keys '%1' are damaged (%2); using the default keys.")
                                        .arg(keys, error);
    }
    m_mainMenu->infoMenu()->setKeyBindings(m_keyBindings);
}

void MyGame::showSettings(MenuWidget *returnTo)
{
    m_settingsReturn = returnTo;
    m_settingsMenu->setVolume(m_volume);
    m_settingsMenu->setSoundsOn(
        m_soundManager ? m_soundManager->isSoundsEnabled() : m_levelManager->soundsEnabled());
    m_settingsMenu->setFullScreen(m_view && m_view->isFullScreen());
    m_settingsMenu->setKeyBindings(m_keyBindings);
    m_settingsMenu->showMenu();
}

void MyGame::settingsClosed()
{
    storeVolume();
    MenuWidget *returnTo = m_settingsReturn;
    m_settingsReturn = nullptr;
    if (returnTo == m_inGameMenu)
        m_inGameMenu->showAgain();
    else
        m_mainMenu->showAgain();
}

void MyGame::hardCollisionHandler(qreal speedX, qreal speedY, qreal angVel)
{
    m_camera->shake(speedX, speedY, angVel);
}

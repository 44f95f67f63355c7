// SPDX-License-Identifier: GPL-3.0-or-later
#include "mygame.h"

#include "base/datapaths.h"
#include "game/gameview.h"
#include "game/ghostrider.h"
#include "game/myscene.h"
#include "game/replaywatch.h"
#include "input/gamepadinput.h"
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

namespace {
using Screen = ScreenFlow::Screen;
using Input = ScreenFlow::Input;
using Action = ScreenFlow::Action;

// Levels place the bike this far (scene units) above the ground it starts
// on; the background's horizon is laid against that ground.
constexpr qreal kBikeStartAboveGround = 60.0;
// A notice about the results file at start names a path: it stays longer
// than a notice of the run, ms.
constexpr int kStartNoticeMs = 20000;
// A failed save is told over the results panel for as long as it usually
// stays, ms.
constexpr int kSaveFailureNoticeMs = 12000;

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
    // No panel has shown yet.
    m_flow.enter(Screen::Halted);

    m_camera = std::make_unique<GameCamera>(this, view, windowSize.width());

    m_run = std::make_unique<GameRun>(scene, soundManager);
    connect(m_run.get(), &GameRun::crashed, this, &MyGame::levelFailedWithoutFinishing);
    connect(m_run.get(), &GameRun::hardCollision, this, &MyGame::hardCollisionHandler);
    m_settings = std::make_unique<PlayerSettings>(levelManager());
    m_controls = new ControlMapper([this] { return m_run->bike(); }, [this] { return isWatching(); }, this);

    m_soundManager = soundManager;
    const bool soundsOn = levelManager()->soundsEnabled();
    if (m_soundManager)
        m_soundManager->setSoundsEnabled(soundsOn);

    m_afterPhysics = [this] {
        if (m_view)
            m_view->setTime(runTime());
        checkLevelFinished();
    };
    m_activeCheck = [this] { return m_view && m_view->isActiveWindow(); };

    m_panels = std::make_unique<GamePanels>(levelManager(), soundsOn, windowSize, view, &m_flow);
    connect(m_panels.get(), &GamePanels::slidOut, this, &MyGame::enterPanelLessScreen);
    m_watch = new ReplayWatch(world(), m_soundManager, &m_settings->keys(), view, this);
    WatchSession::Hooks hooks;
    hooks.leaveRun = [this] {
        processLevelResults();
        m_run->endRecording(ReplayFile::Outcome::Unfinished);
        m_watch->stop();
        pause(false);
    };
    hooks.pause = [this] { pause(false); };
    hooks.showLevel = [this](int pack) {
        updateSceneRect();
        showLevelSurroundings(pack);
    };
    hooks.started = [this] { m_camera->zoomAnimation()->start(); };
    m_session
        = new WatchSession(m_watch, m_run.get(), m_panels.get(), &m_flow, view, m_soundManager, hooks, this);
    connectMenus();
    connectGamepad();
    m_run->createGhost();
    showGhostMode();
    connect(inGameMenu(), &InGameMenu::ghostToggled, this, &MyGame::toggleGhost);
    restorePlayerSettings();

    reset(true);
    m_paused = false;
    showMainMenu();
    if (m_soundManager)
        m_soundManager->playGameStartSound();
    if (m_view)
        m_view->discardRequestedZoom();
    if (!levelManager()->startNotice().isEmpty())
        showNotice(levelManager()->startNotice(), kStartNoticeMs);
}

MyGame::~MyGame()
{
    m_tickTimer.stop();
    m_panels.reset();
    delete m_session;
    m_session = nullptr;
    delete m_watch;
    m_watch = nullptr;
    // The bike keeps a pointer to the sound manager: the run goes first.
    m_run.reset();
    delete m_soundManager;
    m_soundManager = nullptr;
    m_camera.reset();
}

void MyGame::connectMenus()
{
    connect(mainMenu(), &MainMenu::exit, this, &MyGame::exit);
    connect(mainMenu(), &MainMenu::backInGame, this, qOverload<>(&MyGame::unPause));
    connect(mainMenu(), &MainMenu::currentLevel, this, qOverload<>(&MyGame::reset));
    connect(mainMenu(), &MainMenu::levelSelected, this, &MyGame::loadLevel);
    connect(mainMenu(), &MainMenu::helpDone, this, &MyGame::startCurrentLevel);
    mainMenu()->setBestRunCheck(
        [](int pack, int level) { return QFileInfo::exists(bestReplayPath(pack, level)); });
    connect(mainMenu(), &MainMenu::watchRequested, this, [this](int pack, int level) {
        QString error;
        if (!watchReplayFile(bestReplayPath(pack, level), &error))
            qWarning().noquote() << error;
    });
    if (m_soundManager)
        connect(mainMenu(), &MainMenu::soundsChanged, m_soundManager, &SoundManager::setSoundsEnabled);

    connect(inGameMenu(), &InGameMenu::exit, this, &MyGame::exit);
    connect(inGameMenu(), &InGameMenu::reset, this, qOverload<>(&MyGame::reset));
    connect(inGameMenu(), &InGameMenu::backInGame, this, qOverload<>(&MyGame::unPause));
    connect(inGameMenu(), &InGameMenu::mainmenu, this, &MyGame::showMainMenu);

    connect(levelCompletedMenu(), &LevelCompletedMenu::reset, this, qOverload<>(&MyGame::reset));
    connect(levelCompletedMenu(), &LevelCompletedMenu::exit, this, &MyGame::exit);
    connect(levelCompletedMenu(), &LevelCompletedMenu::nextLevel, this, &MyGame::nextLevel);
    connect(levelCompletedMenu(), &LevelCompletedMenu::mainmenu, this, &MyGame::showMainMenu);
    connect(levelCompletedMenu(), &LevelCompletedMenu::showMenuFinished, this, &MyGame::processLevelResults);
    connect(levelCompletedMenu(), &LevelCompletedMenu::watch, this, &MyGame::watchLastRun);

    connect(mainMenu(), &MainMenu::settingsRequested, this, [this] { showSettings(mainMenu()); });
    connect(inGameMenu(), &InGameMenu::settingsRequested, this, [this] { showSettings(inGameMenu()); });
    connect(settingsMenu(), &SettingsMenu::ok, this, &MyGame::settingsClosed);
    for (MenuWidget *menu : m_panels->slidingMenus())
        if (menu)
            connect(menu, &MenuWidget::backKeyAfterSlideOut, this, &MyGame::showInGameMenu);
    connect(settingsMenu(), &SettingsMenu::volumeChanged, this, &MyGame::setVolume);
    connect(settingsMenu(), &SettingsMenu::soundsChanged, this, &MyGame::setSoundsEnabled);
    connect(settingsMenu(), &SettingsMenu::keyBindingsChanged, this, &MyGame::setKeyBindings);
    connect(settingsMenu(), &SettingsMenu::fullScreenChanged, this, [this](bool on) {
        if (m_view)
            m_view->setFullScreenSetting(on);
    });
}

void MyGame::connectGamepad()
{
    m_gamepad = new GamepadInput(this);
    m_controls->attach(m_gamepad);
    connect(m_gamepad, &GamepadInput::menuRequested, this, [this] { handleInput(Input::PadStart, true); });
    connect(m_gamepad, &GamepadInput::restartRequested, this, [this] { handleInput(Input::PadBack, false); });
    connect(m_gamepad, &GamepadInput::menuKey, this, &MyGame::padMenuKey);
}

// --- The screen flow ----------------------------------------------------------

void MyGame::enterPanelLessScreen()
{
    m_flow.enter(isWatching() ? Screen::Watching : m_paused ? Screen::Halted : Screen::Riding);
}

void MyGame::padMenuKey(int key, bool pressed)
{
    if (MenuWidget *menu = activeMenu())
        menu->padKey(key, pressed);
}

void MyGame::handleInput(ScreenFlow::Input input, bool animateControls)
{
    const bool back = input == Input::Escape || input == Input::PadStart;
    // While a panel slides out its decision is being carried out: a back
    // key belongs to the screen that follows.
    if (back && m_panels->deferBackKey())
        return;
    const Action action = m_flow.actionFor(input, currentLevel() != nullptr);
    if (action == Action::StopWatching) {
        stopWatching();
        return;
    }
    if (action == Action::RestartWatch) {
        m_watch->restart();
        return;
    }
    if (m_panels->carryOut(action, GamePanels::Need::NoLevel) || action == Action::None || !currentLevel())
        return;
    // A restart key saves the results before anything slides.
    if (!back)
        processLevelResults();
    if (m_panels->carryOut(action, GamePanels::Need::Level))
        return;
    if (action == Action::Pause) {
        pause(false);
        if (m_view)
            m_view->hideControls();
        // The level's card would lie over the panel.
        m_panels->dismissStartCard();
        inGameMenu()->showMenu();
    } else if (action == Action::RestartNow) {
        restartRun(animateControls);
    }
}

bool MyGame::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ApplicationDeactivate) {
        m_applicationActive = false;
        if (m_flow.actionFor(Input::FocusLost, currentLevel()) == Action::MuteSounds && m_soundManager) {
            m_soundManager->mute(false);
            m_soundManager->stop();
        }
        return true;
    }
    if (event->type() == QEvent::ApplicationActivate) {
        m_applicationActive = true;
        if (m_flow.actionFor(Input::FocusGained, currentLevel()) == Action::UnmuteSounds && m_soundManager) {
            m_soundManager->unstop();
            if (!m_paused)
                m_soundManager->unmute();
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// --- Flow between panels and the run ------------------------------------------

void MyGame::loadLevel(int levelPackNumber, int levelNumber)
{
    processLevelResults();
    m_run->endRecording(ReplayFile::Outcome::Unfinished);
    m_watch->stop();
    Level *previous = currentLevel();
    Level *level = m_run->load(levelPackNumber, levelNumber);
    // A missing or refused level is not ridden: its stand-in has no ground
    // and a finish at 0. The menu stays with nothing to go back to.
    if (!level->isPlayable()) {
        qDebug("MyGame::loadLevel - level %d of levelpack %d cannot be played", levelNumber, levelPackNumber);
        m_run->setLevel(nullptr);
        pause(false);
        if (!m_flow.is(Screen::MainMenu))
            mainMenu()->showMenu(nullptr);
        return;
    }
    updateSceneRect();
    reset(false);
    showLevelSurroundings(levelPackNumber);
    if (!previous && currentLevel() && levelPackNumber == 1 && levelNumber == 1) {
        pause(true);
        mainMenu()->showHelp(false);
    } else {
        startCurrentLevel();
    }
}

void MyGame::showLevelSurroundings(int levelPackNumber)
{
    Level *level = currentLevel();
    if (m_view) {
        m_view->setBackgroundImage(levelManager()->backgroundImage(levelPackNumber));
        if (level)
            m_view->setBackgroundGroundLevel(level->bikeStartPos().y() + kBikeStartAboveGround);
    }
    if (m_soundManager)
        m_soundManager->setAmbientPack(level ? levelPackNumber : 0);
    m_camera->prepareLevelStart();
    setZoom(GameCamera::kLevelStartZoom);
}

void MyGame::restartRun(bool animateControls)
{
    m_run->restart();
    if (m_view) {
        m_view->setButtonsOff();
        m_view->setTime(runTime());
    }
    brakeOffBike();
    levelCompletedMenu()->hideMenu();
    unPause(animateControls);
}

void MyGame::startCurrentLevel()
{
    unPause(true);
    m_camera->zoomAnimation()->start();
    showStartCard();
}

void MyGame::showMainMenu()
{
    if (isWatching()) {
        stopWatching();
        return;
    }
    if (m_flow.is(Screen::MainMenu)) {
        mainMenu()->hideMenu();
        return;
    }
    pause(false);
    m_panels->dismissStartCard();
    mainMenu()->showMenu(currentLevel());
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
    if (!activeMenu())
        enterPanelLessScreen();
    if (m_soundManager)
        m_soundManager->mute(useFadingSounds);
}

void MyGame::unPause(bool animateControls)
{
    // A watched run is not ridden on: going back in starts a new run.
    if (m_run->isWatched()) {
        reset(animateControls);
        return;
    }
    m_paused = false;
    if (!activeMenu())
        enterPanelLessScreen();
    if (m_soundManager)
        m_soundManager->unmute();
    if (m_view && animateControls)
        m_view->showControls();
}

void MyGame::resizeWindow()
{
    if (!m_view)
        return;
    m_panels->updateScreenPosition(m_view->geometry(), m_view->isFullScreen());
    updateSceneRect();
    m_view->update();
    m_view->viewport()->update();
}

void MyGame::exitApplication()
{
    processLevelResults();
    m_settings->storeVolume();
    if (m_soundManager)
        levelManager()->setSoundsEnabled(m_soundManager->isSoundsEnabled());
    if (levelManager()->hasPendingWrites() && !levelManager()->savePendingWrites())
        qWarning().noquote() << "Quitting without saving the last results and settings:"
                             << levelManager()->lastWriteError();
    qDebug("Exiting..");
    // Quitting closes the windows first; the view lets itself be closed
    // from now on instead of starting the exit path again.
    m_exiting = true;
    QCoreApplication::quit();
}

// --- The tick and the run ---------------------------------------------------

void MyGame::startGame()
{
    connect(&m_tickTimer, &QTimer::timeout, this, &MyGame::advance, Qt::UniqueConnection);
    m_tickTimer.start(kTickMs);
}

void MyGame::advance()
{
    if (!m_view) {
        qDebug("view not active");
        return;
    }
    BikeItem *bike = m_run->bike();
    m_camera->takeRequestedZoom(bike->isVisible());
    m_camera->follow(bike->pos() + m_cameraOffCenter);

    if (isWatching()) {
        if (m_activeCheck && m_activeCheck() && !m_watch->isPaused()) {
            m_watch->tick();
            // The crowd sees the watched run as it saw the run itself.
            if (isWatching() && !m_watch->playback()->atEnd())
                checkCrowdAwe();
        }
        return;
    }
    if (!runActive())
        return;
    m_run->stepTick(m_afterPhysics, [this] { return m_paused; });
    // A run that ended in these steps (a finish pauses it) has had its
    // crowd reaction.
    if (!m_paused)
        checkCrowdAwe();
}

void MyGame::checkLevelFinished()
{
    Level *level = currentLevel();
    if (m_paused || !level || !level->isPlayable() || !world()->step().reached(level->finishLineX()))
        return;
    pause(true);
    const RunOutcome outcome = m_run->finish(levelManager()->nextLevelNumber());
    CrowdReactions::play(
        m_soundManager, CrowdReactions::atFinish(outcome.newRecord, levelStatusCode(outcome.medal)));
    showRunOutcome(outcome);
}

void MyGame::levelFailedWithoutFinishing()
{
    if (!currentLevel() || isWatching())
        return;
    pause(false);
    showRunOutcome(m_run->fail(levelManager()->nextLevelNumber()));
}

void MyGame::showRunOutcome(const RunOutcome &outcome)
{
    if (m_view)
        m_view->hideControls();
    m_panels->showRunOutcome(outcome, currentLevel(), levelManager(), runTime());
}

void MyGame::processLevelResults()
{
    if (!m_run)
        return;
    bool failed = false;
    const QString notice = m_run->saveResults(&failed);
    if (!notice.isEmpty()) {
        qWarning().noquote() << notice;
        showNotice(notice, failed ? kSaveFailureNoticeMs : ReplayWatchOverlay::kNoticeMs);
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
    const int next = levelManager()->nextLevelNumber();
    if (next != 0)
        loadLevel(levelManager()->currentLevelPack(), next);
    else
        qDebug("Warning: next level not found.");
}

void MyGame::finishLevel()
{
    if (isWatching() || !m_run->moveBikeToFinish())
        qDebug("MyGame::finishLevel - bike or level not defined, ignoring request");
    else
        qDebug("MyGame::finishLevel - bike moved");
}

void MyGame::checkCrowdAwe()
{
    BikeItem *bike = m_run->bike();
    CrowdReactions::play(
        m_soundManager, m_crowd.watch(bike->bodyAngle(), bike->hasRagdoll(), bike->velocityX()));
}

// --- The player's settings ----------------------------------------------------

void MyGame::restorePlayerSettings()
{
    if (const std::optional<qreal> zoom = m_settings->storedZoom())
        m_camera->restoreZoom(*zoom);
    m_settings->restore();
    if (m_soundManager)
        m_soundManager->setVolume(volume());
    mainMenu()->infoMenu()->setKeyBindings(keyBindings());
}

void MyGame::stepVolume(int step)
{
    if (!m_applicationActive)
        return;
    if (m_soundManager && step > 0)
        m_soundManager->increaseVolume(step);
    else if (m_soundManager)
        m_soundManager->decreaseVolume(-step);
    setVolume(m_soundManager ? m_soundManager->volume() : volume() + step);
}

void MyGame::setVolume(int volume)
{
    m_settings->setVolume(volume);
    if (m_soundManager && m_soundManager->volume() != this->volume())
        m_soundManager->setVolume(this->volume());
    // A slider drag changes the volume at every mouse move: it is written
    // once the panel closes (or the game quits), not at each step.
    if (!m_flow.is(Screen::Settings))
        m_settings->storeVolume();
}

void MyGame::setSoundsEnabled(bool on)
{
    if (m_soundManager)
        m_soundManager->setSoundsEnabled(on);
    levelManager()->setSoundsEnabled(on);
    mainMenu()->setSoundsOn(on);
}

void MyGame::setKeyBindings(const KeyBindings &bindings)
{
    m_settings->setKeys(bindings);
    mainMenu()->infoMenu()->setKeyBindings(bindings);
}

void MyGame::showSettings(MenuWidget *returnTo)
{
    m_panels->openSettings(returnTo, volume(),
        m_soundManager ? m_soundManager->isSoundsEnabled() : levelManager()->soundsEnabled(),
        m_view && m_view->isFullScreen(), keyBindings());
}

void MyGame::settingsClosed()
{
    m_settings->storeVolume();
    m_panels->closeSettings();
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

bool MyGame::zoomBy(bool in, qreal z, int timems, bool linear)
{
    if (!m_view || !m_camera->zoom(in, z, timems, linear))
        return false;
    m_settings->storeZoom(m_camera->zoomTarget());
    return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MYGAME_H
#define MYGAME_H

#include "game/controlmapper.h"
#include "game/crowdreactions.h"
#include "game/gamecamera.h"
#include "game/gamepanels.h"
#include "game/gamerun.h"
#include "game/playersettings.h"
#include "game/replaywatchoverlay.h"
#include "game/screenflow.h"
#include "game/watchsession.h"
#include "input/keybindings.h"
#include "replays/replayfile.h"

#include <QObject>
#include <QPointF>
#include <QSize>
#include <QTimer>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

class BikeItem;
class GameView;
class GamepadInput;
class GhostRider;
class InGameMenu;
class Level;
class LevelCompletedMenu;
class LevelManager;
class LevelStartCard;
class LevelWorld;
class MainMenu;
class MenuWidget;
class MyScene;
class QPropertyAnimation;
class ReplayWatch;
struct RunOutcome;
class SettingsMenu;
class SoundManager;

// The game's controller. Wires the run (GameRun: world, level, bike,
// recording, ghost), the player's settings (PlayerSettings), the riding
// inputs (ControlMapper), the camera, the sound manager, watching a
// recorded run (WatchSession) and the panels over the view (GamePanels),
// and turns the panels' decisions into the state of the run: load,
// restart, pause, go on, show a panel, quit.
// Which screen shows is the ScreenFlow's: it moves as panels slide in and
// out and runs start, stop and are watched, and it says what Escape, the
// restart keys, a pad's Start and Back and the window's focus do. One timer
// tick (advance) moves the camera and, while the run is active, takes one
// simulation step.
//
// `paused` is the only run flag: true in every state but riding.
class MyGame : public QObject
{
    Q_OBJECT
    Q_PROPERTY(qreal zoom READ zoom WRITE setZoom)
    Q_PROPERTY(QPointF cameraOffCenter READ cameraOffCenter WRITE setCameraOffCenter)
    Q_PROPERTY(qreal cameraOffAngle READ cameraOffAngle WRITE setCameraOffAngle)
public:
    // Step (scale) and duration (ms) of zoomIn()/zoomOut() without arguments.
    static constexpr qreal kDefaultZoomStep = 0.15;
    static constexpr int kDefaultZoomMs = 240;
    static constexpr qreal kTiltStep = ControlMapper::kTiltStep;
    static constexpr int kDefaultVolume = PlayerSettings::kDefaultVolume;
    static constexpr int kVolumeStep = 15;

    // The game in the caller's scene (it outlives the game; the game's
    // LevelWorld builds the physics). windowSize: the window the menus and
    // the default zoom are laid out for.
    MyGame(MyScene *scene, GameView *view, const QSize &windowSize);
    // As above with a sound manager of the caller's choice (owned from now
    // on); null plays no sound at all.
    MyGame(MyScene *scene, GameView *view, const QSize &windowSize, SoundManager *soundManager);
    ~MyGame() override;

    qreal zoom() const;
    void setZoom(qreal z);
    QPointF cameraOffCenter() const { return m_cameraOffCenter; }
    void setCameraOffCenter(const QPointF &offset) { m_cameraOffCenter = offset; }
    qreal cameraOffAngle() const { return m_cameraOffAngle; }
    void setCameraOffAngle(qreal angle);

    // Run clock in seconds (see GameRun::runTime).
    qreal runTime() const { return m_run->runTime(); }
    int stepCount() const { return m_run->stepCount(); }
    bool isPaused() const { return m_paused; }
    bool isApplicationActive() const { return m_applicationActive; }
    // True once the exit path has asked the event loop to quit.
    bool isExiting() const { return m_exiting; }
    bool resultsPending() const { return m_run->resultsPending(); }
    qreal zoomTarget() const { return m_camera->zoomTarget(); }
    // The zoom the first level start glides to on this screen.
    qreal defaultZoom() const { return m_camera->defaultZoom(); }
    static qreal defaultZoomForWidth(int windowWidth) { return GameCamera::defaultZoomForWidth(windowWidth); }

    Level *currentLevel() const { return m_run->level(); }
    LevelManager *levelManager() const { return m_run->levels(); }
    PlayerSettings *playerSettings() const { return m_settings.get(); }
    const ScreenFlow &screenFlow() const { return m_flow; }
    SoundManager *soundManager() const { return m_soundManager; }
    GamepadInput *gamepadInput() const { return m_gamepad; }
    BikeItem *bike() const { return m_run->bike(); }
    LevelWorld *world() const { return m_run->world(); }
    // See GameRun::lastRun.
    const std::optional<ReplayFile> &lastRun() const { return m_run->lastRun(); }
    static QString bestReplayPath(int pack, int level) { return GameRun::bestReplayPath(pack, level); }
    // The ghost that rides along (the best run or the author's ride).
    GhostRider *ghost() const { return m_run->ghost(); }
    // Watching a recorded run in the scene (see ReplayWatch): the file's
    // level is loaded, the player's inputs do not reach the bike and
    // nothing of the watched run is stored. Escape (or the end of the
    // watch) goes back to the panel it came from: after the level's
    // results, to them; else to the main menu. False (with *error, the
    // main menu showing) when the file's level cannot be played or its
    // poses cannot be read.
    using WatchOrigin = WatchSession::Origin;
    bool watchReplay(const ReplayFile &file, WatchOrigin origin, QString *error)
    {
        return m_session->watch(file, origin, error);
    }
    // The file at path; a file that cannot be read is said on stderr's
    // terms in *error and over the view, and the main menu stays.
    bool watchReplayFile(const QString &path, QString *error) { return m_session->watchFile(path, error); }
    bool isWatching() const { return m_session && m_session->isWatching(); }
    ReplayWatch *replayWatch() const { return m_watch; }
    MainMenu *mainMenu() const { return m_panels->mainMenu(); }
    InGameMenu *inGameMenu() const { return m_panels->inGameMenu(); }
    LevelCompletedMenu *levelCompletedMenu() const { return m_panels->levelCompletedMenu(); }
    LevelStartCard *startCard() const { return m_panels->startCard(); }
    SettingsMenu *settingsMenu() const { return m_panels->settingsMenu(); }
    // The keys of the riding actions, as the player set them.
    const KeyBindings &keyBindings() const { return m_settings->keys(); }
    void setKeyBindings(const KeyBindings &bindings);
    // The sound volume 0..100 (Page Up/Down, the settings' slider), kept
    // across starts; the sound manager plays at it.
    int volume() const { return m_settings->volume(); }
    void setVolume(int volume);
    void setSoundsEnabled(bool on);
    // The panel of the screen now, which has the pad's menu keys; null
    // while no panel shows.
    MenuWidget *activeMenu() const { return m_panels->activePanel(); }
    QPropertyAnimation *zoomAnimation() const { return m_camera->zoomAnimation(); }
    QPropertyAnimation *cameraOffCenterAnimation() const { return m_camera->offCenterAnimation(); }
    QPropertyAnimation *cameraOffAngleAnimation() const { return m_camera->offAngleAnimation(); }
    QTimer *tickTimer() { return &m_tickTimer; }

    // Whether the run may take steps now. By default the view must be the
    // active window; tests and tools may replace the check.
    void setActiveCheck(std::function<bool()> check) { m_activeCheck = std::move(check); }

    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    void hardCollisionHandler(qreal speedX, qreal speedY, qreal angVel)
    {
        m_camera->shake(speedX, speedY, angVel);
    }
    void loadLevel(int levelPackNumber, int levelNumber);
    void nextLevel();
    void advance();
    void reset(bool animateControls) { handleInput(ScreenFlow::Input::Restart, animateControls); }
    void reset() { reset(true); }
    void resetWithoutControlAnimations() { reset(false); }
    // The riding inputs (see ControlMapper).
    void throttleOnBike() { throttleBike(1.0); }
    void throttleOffBike() { throttleBike(0.0); }
    void throttleBike(qreal value) { m_controls->throttle(value); }
    void brakeOnBike() { m_controls->brakeOn(); }
    void brakeOffBike() { m_controls->brakeOff(); }
    void setRiderTilt(qreal angle) { m_controls->setRiderTilt(angle); }
    void addRiderTilt(qreal value) { m_controls->tiltSpeed(value); }
    void addRiderTiltOn() { addRiderTilt(kTiltStep); }
    void decRiderTiltOn() { addRiderTilt(-kTiltStep); }
    void addRiderTiltOff() { addRiderTilt(0.0); }
    void decRiderTiltOff() { addRiderTilt(0.0); }
    void releaseRagdoll() { m_controls->releaseRagdoll(); }
    // Page Up and Down: the volume a step up or down.
    void volumeUp() { stepVolume(kVolumeStep); }
    void volumeDown() { stepVolume(-kVolumeStep); }
    void finishLevel();
    // Zoom by z (scale) over timems, eased unless linear; false when
    // refused (see GameCamera::zoom).
    bool zoomIn(qreal z = kDefaultZoomStep, int timems = kDefaultZoomMs, bool linear = false)
    {
        return zoomBy(true, z, timems, linear);
    }
    bool zoomOut(qreal z = kDefaultZoomStep, int timems = kDefaultZoomMs, bool linear = false)
    {
        return zoomBy(false, z, timems, linear);
    }
    void exit() { exitApplication(); }
    void exitApplication();
    void startGame();
    // Escape on the view (and the menu action's keys, the on-screen menu
    // button): what the screen flow says it does here.
    void showInGameMenu() { handleInput(ScreenFlow::Input::Escape, true); }
    void showMainMenu();
    // Opens the settings panel from the main or the in-game menu, which
    // shows again when the panel closes.
    void showSettings(MenuWidget *returnTo);
    void resizeWindow();
    void pauseGame();
    // The ghost's next choice: the best run, the author's ride, off (G, the
    // pause panel's ghost button), kept for the next start.
    void toggleGhost()
    {
        ghost()->cycle();
        showGhostMode();
    }
    // The last run, from the level's results panel.
    void watchLastRun() { m_session->watchLastRun(); }
    // Ends a watch and shows the panel it came from.
    void stopWatching() { m_session->stop(); }

private slots:
    void pause(bool useFadingSounds);
    void pause() { pause(false); }
    void unPause(bool animateControls);
    void unPause() { unPause(true); }
    void levelFailedWithoutFinishing();
    void processLevelResults();
    void startCurrentLevel();
    void settingsClosed();
    // A pad's menu button (a key, see GamepadInput::menuKey) for the
    // active panel.
    void padMenuKey(int key, bool pressed);

private:
    // What input does on the screen now, as the flow says; animateControls
    // for a restart's controls.
    void handleInput(ScreenFlow::Input input, bool animateControls);
    // A new run of the level now (the restart once no panel is in the way).
    void restartRun(bool animateControls);
    // The flow without a panel: the watch, the run, or a stopped run.
    void enterPanelLessScreen();
    void connectMenus();
    void connectGamepad();
    // The level's background, ambient sound and the start's zoom glide.
    void showLevelSurroundings(int levelPackNumber);
    void restorePlayerSettings();
    void stepVolume(int step);
    bool zoomBy(bool in, qreal z, int timems, bool linear);
    void updateSceneRect() { m_run->fitScene(); }
    bool runActive() const { return !m_paused && m_activeCheck && m_activeCheck(); }
    void checkLevelFinished();
    // The crowd gasps at the bike's tumbles (its own pace; see CrowdReactions).
    void checkCrowdAwe();
    void showRunOutcome(const RunOutcome &outcome);
    // A line over the view for ms milliseconds.
    void showNotice(const QString &notice, int ms = ReplayWatchOverlay::kNoticeMs);
    void showStartCard() { m_panels->showStartCard(currentLevel(), levelManager()); }
    void showGhostMode() { m_panels->showGhostMode(ghost()->mode()); }

    std::unique_ptr<GameRun> m_run;
    std::unique_ptr<PlayerSettings> m_settings;
    ControlMapper *m_controls = nullptr;
    ScreenFlow m_flow;
    bool m_paused = false;
    QPointF m_cameraOffCenter;
    qreal m_cameraOffAngle = 0.0;
    CrowdReactions m_crowd;
    QTimer m_tickTimer;
    GameView *m_view;
    std::unique_ptr<GamePanels> m_panels;
    GamepadInput *m_gamepad = nullptr;
    std::unique_ptr<GameCamera> m_camera;
    SoundManager *m_soundManager = nullptr;
    bool m_applicationActive = true;
    bool m_exiting = false;
    std::function<void()> m_afterPhysics;
    std::function<bool()> m_activeCheck;
    ReplayWatch *m_watch = nullptr;
    WatchSession *m_session = nullptr;
};

#endif

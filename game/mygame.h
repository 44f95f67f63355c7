// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MYGAME_H
#define MYGAME_H

#include "game/crowdreactions.h"
#include "game/gamecamera.h"
#include "game/replaywatchoverlay.h"
#include "menus/keybindings.h"
#include "replays/replayfile.h"
#include "replays/replayrecorder.h"

#include <QElapsedTimer>
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
class SensorReader;
class SettingsMenu;
class SoundManager;

// The game's controller. Owns the level manager, the sound manager, the bike
// and the camera animations; creates the main, in-game and level-completed
// menus as children of the view and turns their decisions into the state of
// the run: load, restart, pause, go on, show a menu, quit. One timer tick
// (advance) moves the camera and, while the run is active, takes one
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
    // Rider lean speed per key press, a single-precision constant by design.
    static constexpr qreal kTiltStep = qreal(0.033f);
    static constexpr int kDefaultVolume = 60;

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

    // Run clock in seconds: 55 steps make a second, cut to tenths.
    qreal runTime() const;
    int stepCount() const;
    bool isPaused() const { return m_paused; }
    bool isApplicationActive() const { return m_applicationActive; }
    // True once the exit path has asked the event loop to quit.
    bool isExiting() const { return m_exiting; }
    bool resultsPending() const { return m_resultsPending; }
    qreal zoomTarget() const { return m_camera->zoomTarget(); }
    // The zoom the first level start glides to on this screen.
    qreal defaultZoom() const { return m_camera->defaultZoom(); }
    static qreal defaultZoomForWidth(int windowWidth) { return GameCamera::defaultZoomForWidth(windowWidth); }

    Level *currentLevel() const { return m_currentLevel; }
    LevelManager *levelManager() const { return m_levelManager; }
    SoundManager *soundManager() const { return m_soundManager; }
    GamepadInput *gamepadInput() const { return m_gamepad; }
    BikeItem *bike() const { return m_bike; }
    LevelWorld *world() const { return m_world.get(); }
    // The recording of the last run that took a step (finished, failed or
    // left), kept until the game quits.
    const std::optional<ReplayFile> &lastRun() const { return m_lastRun; }
    // Where the best run of a level is kept: replays/ in the player's data
    // folder, one file per level.
    static QString bestReplayPath(int pack, int level);
    // The ghost that rides along (the best run or the author's ride).
    GhostRider *ghost() const { return m_ghost.get(); }
    // Watching a recorded run in the scene (see ReplayWatch): the file's
    // level is loaded, the player's inputs do not reach the bike and
    // nothing of the watched run is stored. Escape (or the end of the
    // watch) goes back to the panel it came from: after the level's
    // results, to them; else to the main menu. False (with *error, the
    // main menu showing) when the file's level cannot be played or its
    // poses cannot be read.
    enum class WatchOrigin { MainMenu, LevelCompleted };
    bool watchReplay(const ReplayFile &file, WatchOrigin origin, QString *error);
    // The file at path; a file that cannot be read is said on stderr's
    // terms in *error and over the view, and the main menu stays.
    bool watchReplayFile(const QString &path, QString *error);
    bool isWatching() const;
    ReplayWatch *replayWatch() const { return m_watch; }
    MainMenu *mainMenu() const { return m_mainMenu; }
    InGameMenu *inGameMenu() const { return m_inGameMenu; }
    LevelCompletedMenu *levelCompletedMenu() const { return m_levelCompletedMenu; }
    LevelStartCard *startCard() const { return m_startCard; }
    SettingsMenu *settingsMenu() const { return m_settingsMenu; }
    // The keys of the riding actions, as the player set them.
    const KeyBindings &keyBindings() const { return m_keyBindings; }
    void setKeyBindings(const KeyBindings &bindings);
    // The sound volume 0..100 (Page Up/Down, the settings' slider), kept
    // across starts; the sound manager plays at it.
    int volume() const { return m_volume; }
    void setVolume(int volume);
    void setSoundsEnabled(bool on);
    // The panel that has the keys and the pad now (the topmost one shown),
    // or null while riding.
    MenuWidget *activeMenu() const;
    QPropertyAnimation *zoomAnimation() const { return m_camera->zoomAnimation(); }
    QPropertyAnimation *cameraOffCenterAnimation() const { return m_camera->offCenterAnimation(); }
    QPropertyAnimation *cameraOffAngleAnimation() const { return m_camera->offAngleAnimation(); }
    QTimer *tickTimer() { return &m_tickTimer; }

    // Whether the run may take steps now. By default the view must be the
    // active window; tests and tools may replace the check.
    void setActiveCheck(std::function<bool()> check) { m_activeCheck = std::move(check); }

    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    void hardCollisionHandler(qreal speedX, qreal speedY, qreal angVel);
    void loadLevel(int levelPackNumber, int levelNumber);
    void nextLevel();
    void advance();
    void reset(bool animateControls);
    void reset() { reset(true); }
    void resetWithoutControlAnimations() { reset(false); }
    void throttleOnBike() { throttleBike(1.0); }
    void throttleOffBike() { throttleBike(0.0); }
    void throttleBike(qreal value);
    void brakeOnBike();
    void brakeOffBike();
    void volumeUp();
    void volumeDown();
    void setRiderTilt(qreal angle);
    void addRiderTilt(qreal value);
    void addRiderTiltOn() { addRiderTilt(kTiltStep); }
    void decRiderTiltOn() { addRiderTilt(-kTiltStep); }
    void addRiderTiltOff() { addRiderTilt(0.0); }
    void decRiderTiltOff() { addRiderTilt(0.0); }
    void finishLevel();
    // Zoom by z (scale) over timems, eased unless linear; false when
    // refused (see GameCamera::zoom).
    bool zoomIn(qreal z = kDefaultZoomStep, int timems = kDefaultZoomMs, bool linear = false);
    bool zoomOut(qreal z = kDefaultZoomStep, int timems = kDefaultZoomMs, bool linear = false);
    void exit() { exitApplication(); }
    void exitApplication();
    void delayedExitApplication();
    void startGame();
    void showInGameMenu();
    void showMainMenu();
    // Opens the settings panel from the main or the in-game menu, which
    // shows again when the panel closes.
    void showSettings(MenuWidget *returnTo);
    void resizeWindow();
    void pauseGame();
    void releaseRagdoll();
    // The ghost's next choice: the best run, the author's ride, off (G, the
    // pause panel's ghost button), kept for the next start.
    void toggleGhost();
    // The last run, from the level's results panel.
    void watchLastRun();
    // Ends a watch and shows the panel it came from.
    void stopWatching();

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
    // Ends the run's recording with outcome: it becomes the last run, and a
    // finish that set a record is saved as the level's best.
    void endRecording(ReplayFile::Outcome outcome);
    void connectMenus();
    // Every panel that slides in and out.
    QVector<MenuWidget *> slidingMenus() const;
    void connectGamepad();
    // The level's background, ambient sound and the start's zoom glide.
    void showLevelSurroundings(int levelPackNumber);
    void restorePlayerZoom();
    void restorePlayerSettings();
    // Writes the volume to the player's settings unless it is there already.
    void storeVolume();
    void updateSceneRect();
    bool runActive() const;
    void checkLevelFinished();
    // The crowd gasps at the bike's tumbles (its own pace; see CrowdReactions).
    void checkCrowdAwe();
    void showRunOutcome(const RunOutcome &outcome);
    // Tells the player that a save failed (after a new result, or the
    // first time), or that saving works again.
    void reportSave(bool saved, bool newResult);
    // A line over the view for ms milliseconds.
    void showNotice(const QString &notice, int ms = ReplayWatchOverlay::kNoticeMs);
    // The level's name and goal times over the view as the run starts.
    void showStartCard();
    void reportFrameRate();
    // The pause panel's ghost button shows the ghost's choice.
    void showGhostMode();
    // A watched run came to its end: the crowd reacts as at a finish.
    void watchedRunEnded();

    LevelManager *m_levelManager = nullptr;
    Level *m_currentLevel = nullptr;
    bool m_resultsPending = false;
    // The last save failed; the player has been told.
    bool m_saveFailing = false;
    // Every run is recorded; a finish or a failure ends the recording after
    // its step, a restart or another level ends it as unfinished.
    ReplayRecorder m_recorder;
    std::optional<ReplayFile> m_lastRun;
    std::optional<ReplayFile::Outcome> m_runEnd;
    // m_lastRun is the run that ended last (not an older one the recorder
    // kept while a later run went unrecorded).
    bool m_lastRunIsLatest = false;
    bool m_runIsBest = false;
    bool m_paused = false;
    BikeItem *m_bike = nullptr;
    QPointF m_cameraOffCenter;
    qreal m_cameraOffAngle = 0.0;
    CrowdReactions m_crowd;
    QElapsedTimer m_fpsTime;
    QTimer m_tickTimer;
    int m_tickIntervalMs = 0;
    int m_fpsFrames = -1;
    int m_ticksPerSecond = 0;
    GameView *m_view;
    MainMenu *m_mainMenu = nullptr;
    InGameMenu *m_inGameMenu = nullptr;
    LevelCompletedMenu *m_levelCompletedMenu = nullptr;
    LevelStartCard *m_startCard = nullptr;
    SettingsMenu *m_settingsMenu = nullptr;
    MenuWidget *m_settingsReturn = nullptr;
    KeyBindings m_keyBindings;
    int m_volume = kDefaultVolume;
    SensorReader *m_sensorReader = nullptr;
    GamepadInput *m_gamepad = nullptr;
    std::unique_ptr<GameCamera> m_camera;
    SoundManager *m_soundManager = nullptr;
    bool m_applicationActive = true;
    bool m_exiting = false;
    std::unique_ptr<LevelWorld> m_world;
    std::unique_ptr<GhostRider> m_ghost;
    std::function<void()> m_afterPhysics;
    std::function<bool()> m_activeCheck;
    ReplayWatch *m_watch = nullptr;
    WatchOrigin m_watchOrigin = WatchOrigin::MainMenu;
    // The world shows a watched run: going back into it starts a new run.
    bool m_worldWatched = false;
};

#endif

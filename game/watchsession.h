// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WATCHSESSION_H
#define WATCHSESSION_H

#include "replays/replayfile.h"

#include <QObject>
#include <functional>

class GamePanels;
class GameRun;
class GameView;
class ReplayWatch;
class ScreenFlow;
class SoundManager;

// Watching a recorded run instead of riding (see ReplayWatch): the file's
// level is loaded, the player's inputs do not reach the bike and nothing of
// the watched run is stored. Leaving (Escape, or the end of the watch) goes
// back to the panel the watch came from: after the level's results, to
// them; else to the main menu.
class WatchSession : public QObject
{
    Q_OBJECT
public:
    enum class Origin { MainMenu, LevelCompleted };
    // What the controller does around a watch.
    struct Hooks
    {
        // The run is left (results saved, recording ended, sounds muted).
        std::function<void()> leaveRun;
        // The run stops without a panel.
        std::function<void()> pause;
        // The loaded level's scene, background, sound and start zoom.
        std::function<void(int pack)> showLevel;
        // The watch has started (the camera glides in).
        std::function<void()> started;
    };

    // watch: the player of the recorded run (outlives the session); the
    // others are the controller's.
    WatchSession(ReplayWatch *watch, GameRun *run, GamePanels *panels, ScreenFlow *flow, GameView *view,
        SoundManager *soundManager, Hooks hooks, QObject *parent = nullptr);

    bool isWatching() const;
    // False (with *error, the main menu showing) when the file's level
    // cannot be played or its poses cannot be read.
    bool watch(const ReplayFile &file, Origin origin, QString *error);
    // The file at path; a file that cannot be read is said on stderr's
    // terms in *error and over the view, and the main menu stays.
    bool watchFile(const QString &path, QString *error);
    // The last run, from the level's results panel.
    void watchLastRun();
    // Ends a watch and shows the panel it came from.
    void stop();

private:
    // A watched run came to its end: the crowd reacts as at a finish.
    void runEnded();

    ReplayWatch *m_watch;
    GameRun *m_run;
    GamePanels *m_panels;
    ScreenFlow *m_flow;
    GameView *m_view;
    SoundManager *m_soundManager;
    Hooks m_hooks;
    Origin m_origin = Origin::MainMenu;
};

#endif

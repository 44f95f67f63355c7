// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPLAYWATCH_H
#define REPLAYWATCH_H

#include "replays/replayfile.h"

#include <QObject>
#include <QString>
#include <array>
#include <memory>

class KeyBindings;
class LevelWorld;
class ReplayPlayback;
class ReplayWatchOverlay;
class SoundManager;
class QWidget;

// Watching a recorded run in the game's scene: plays it back (see
// ReplayPlayback) one game tick at a time at the chosen speed, takes the
// view's keys while watching (Space pauses, Left and Right or the lean keys
// change the speed, R or the restart key starts over, Escape or the menu key
// leaves; the riding keys do nothing, zoom and volume keys keep working)
// and shows what plays in a band over the view. The sound plays only while
// the simulation runs. It never touches results or recordings: the game
// stores nothing of a watched run.
class ReplayWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr std::array<double, 5> kSpeeds {0.25, 0.5, 1.0, 2.0, 4.0};
    static constexpr int kNormalSpeed = 2;

    // view: the game's view (keys and the band); may be null. keys: the
    // player's bindings, which must outlive the watch.
    ReplayWatch(LevelWorld *world, SoundManager *soundManager, const KeyBindings *keys, QWidget *view,
        QObject *parent = nullptr);
    ~ReplayWatch() override;

    // Starts watching file in the world, which holds the file's level. False
    // (with *error) when the file cannot be shown; nothing changes then.
    bool start(const ReplayFile &file, QString *error);
    // Ends the watch (the world stays as it is).
    void stop();
    bool isWatching() const { return m_playback != nullptr; }

    // One tick of the game's loop: the steps a tick takes at this speed.
    void tick();
    void restart();
    void togglePause();
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    void faster();
    void slower();
    double speed() const { return kSpeeds[m_speed]; }

    // Null when not watching.
    const ReplayPlayback *playback() const { return m_playback.get(); }
    ReplayWatchOverlay *overlay() const { return m_overlay; }
    // The band's state line, e.g. "REPLAY  0.5x".
    QString stateText() const;

    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // Escape or the menu key: the owner ends the watch.
    void leaveRequested();
    // The world was built again (a new level object and bike).
    void worldRestarted();
    // The run clock of the step shown, seconds.
    void timeShown(double seconds);
    // The watch has come to the recorded run's last step (again after a
    // restart).
    void runEndReached();

private:
    void changed();
    bool key(int key, bool press);

    LevelWorld *m_world;
    SoundManager *m_soundManager;
    const KeyBindings *m_keys;
    QWidget *m_view;
    ReplayWatchOverlay *m_overlay = nullptr;
    std::unique_ptr<ReplayPlayback> m_playback;
    int m_speed = kNormalSpeed;
    bool m_paused = false;
};

#endif

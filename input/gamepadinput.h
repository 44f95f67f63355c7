// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GAMEPADINPUT_H
#define GAMEPADINPUT_H

#include <QObject>
#include <QTimer>
#include <map>

struct _SDL_GameController;

// Gamepads through SDL's game-controller layer, turned into the game's
// riding actions. SDL runs without its video subsystem: it opens no window
// and never sees the keyboard; Qt keeps both. A timer on the caller's thread
// polls SDL, so every signal arrives on that thread.
//
// Pads may come and go at any time; all open pads drive the bike together:
// an action is held while any pad holds it, and the lean is the strongest
// deflection among the pads. A pad that goes away releases what it held.
// Mapping: right trigger or A throttle, left trigger or B brake, left stick
// or d-pad left/right lean, Start the menu, Back restart. For the menus, the
// d-pad, A and B are also announced as keys (menuKey).
//
// One instance at a time per process: SDL has one event queue.
class GamepadInput : public QObject
{
    Q_OBJECT
public:
    // Axis values are SDL's: sticks -32768..32767, triggers 0..32767.
    // A trigger past this value counts as pressed.
    static constexpr int kTriggerThreshold = 8192;
    // Stick deflections up to this value (either side) give no lean.
    static constexpr int kStickDeadZone = 8000;
    // SDL is polled this often (ms) while a pad is open, and at the idle
    // interval while none is: then a poll only looks for a pad being
    // plugged in, and the game need not wake a hundred times a second for it.
    static constexpr int kPollIntervalMs = 10;
    static constexpr int kIdlePollIntervalMs = 250;

    explicit GamepadInput(QObject *parent = nullptr);
    ~GamepadInput() override;
    GamepadInput(const GamepadInput &) = delete;
    GamepadInput &operator=(const GamepadInput &) = delete;

    // False when SDL's game-controller layer could not start (logged); the
    // object then stays silent.
    bool isAvailable() const { return m_available; }
    int padCount() const { return int(m_pads.size()); }
    bool throttleHeld() const { return m_throttle; }
    bool brakeHeld() const { return m_brake; }
    qreal lean() const { return m_lean; }
    // The poll timer's interval now (ms).
    int pollIntervalMs() const { return m_timer.interval(); }

    // Lean for a horizontal stick value: 0 inside the dead zone, then rising
    // linearly to 1 at full deflection; positive leans back (stick left).
    static qreal leanForStick(int axisValue);

public slots:
    // Takes SDL's pending events and emits the changes; the timer calls it.
    void poll();

signals:
    void throttlePressed();
    void throttleReleased();
    void brakePressed();
    void brakeReleased();
    // -1..1, positive leans back (as the left key), 0 lets go.
    void leanChanged(qreal lean);
    void menuRequested();
    void restartRequested();
    // A menu button went down or up, as the key the menus read for it:
    // Qt::Key_Up/Down/Left/Right for the d-pad, Qt::Key_Return for A,
    // Qt::Key_Escape for B.
    void menuKey(int key, bool pressed);
    void padsChanged(int count);

private:
    void openPad(int deviceIndex);
    void closePad(int instanceId);
    void updateHeld();
    void announceMenuKey(int button, bool pressed);

    bool m_available = false;
    QTimer m_timer;
    std::map<int, _SDL_GameController *> m_pads;
    bool m_throttle = false;
    bool m_brake = false;
    qreal m_lean = 0.0;
};

#endif

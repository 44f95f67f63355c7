// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef VIRTUALPAD_H
#define VIRTUALPAD_H

#include <SDL.h>
#include <string>

// A game controller made by SDL in memory, for tests without hardware: the
// full standard layout of buttons and axes. SDL's game-controller layer must
// be running (a GamepadInput starts it). New states reach SDL's readers on
// their next poll of events.
class VirtualPad
{
public:
    VirtualPad();
    ~VirtualPad();
    VirtualPad(const VirtualPad &) = delete;
    VirtualPad &operator=(const VirtualPad &) = delete;

    // False (with SDL's reason in error()) when SDL refused the pad.
    bool isAttached() const { return m_joystick != nullptr; }
    const char *error() const { return m_error.c_str(); }

    void setButton(SDL_GameControllerButton button, bool down);
    // Sticks -32768..32767, triggers 0..32767.
    void setAxis(SDL_GameControllerAxis axis, int value);
    // Pulls the pad out, as a cable would; the object stays harmless.
    void unplug();

private:
    SDL_Joystick *m_joystick = nullptr;
    SDL_JoystickID m_id = -1;
    std::string m_error;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "virtualpad.h"

VirtualPad::VirtualPad()
{
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Velocrag test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) {
        m_error = SDL_GetError();
        return;
    }
    m_joystick = SDL_JoystickOpen(index);
    if (!m_joystick) {
        m_error = SDL_GetError();
        SDL_JoystickDetachVirtual(index);
        return;
    }
    m_id = SDL_JoystickInstanceID(m_joystick);
}

VirtualPad::~VirtualPad()
{
    unplug();
}

void VirtualPad::setButton(SDL_GameControllerButton button, bool down)
{
    if (m_joystick)
        SDL_JoystickSetVirtualButton(m_joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
}

void VirtualPad::setAxis(SDL_GameControllerAxis axis, int value)
{
    if (!m_joystick)
        return;
    // The pad's raw axes span -32768..32767; SDL's mapping scales a trigger
    // from that span onto 0..32767, so a trigger value is sent doubled.
    const bool trigger = axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
    const int raw = trigger
        ? SDL_clamp(2 * value - SDL_JOYSTICK_AXIS_MAX, SDL_JOYSTICK_AXIS_MIN, SDL_JOYSTICK_AXIS_MAX)
        : value;
    SDL_JoystickSetVirtualAxis(m_joystick, axis, Sint16(raw));
}

void VirtualPad::unplug()
{
    if (!m_joystick)
        return;
    SDL_JoystickClose(m_joystick);
    m_joystick = nullptr;
    // Device indices shift as pads come and go; the instance id does not.
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == m_id) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "gamepadinput.h"

#include <QDebug>
#include <SDL.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr qreal kStickFullDeflection = 32767.0;
// Left on the d-pad leans back fully, as the left key does.
constexpr qreal kFullLeanBack = 1.0;

bool triggerPressed(SDL_GameController *pad, SDL_GameControllerAxis axis)
{
    return SDL_GameControllerGetAxis(pad, axis) > GamepadInput::kTriggerThreshold;
}

bool buttonDown(SDL_GameController *pad, SDL_GameControllerButton button)
{
    return SDL_GameControllerGetButton(pad, button) != 0;
}

qreal padLean(SDL_GameController *pad)
{
    const bool left = buttonDown(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    const bool right = buttonDown(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    if (left != right)
        return left ? kFullLeanBack : -kFullLeanBack;
    return GamepadInput::leanForStick(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX));
}
} // namespace

GamepadInput::GamepadInput(QObject *parent)
    : QObject(parent)
{
    // SDL must leave the process's signals to Qt, and must read pads while
    // another toolkit's window has the focus (SDL has no window of its own).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        qWarning("Gamepads unavailable: %s", SDL_GetError());
        return;
    }
    m_available = true;
    // Pads present at start arrive as device-added events on the first poll.
    connect(&m_timer, &QTimer::timeout, this, &GamepadInput::poll);
    m_timer.start(kPollIntervalMs);
}

GamepadInput::~GamepadInput()
{
    if (!m_available)
        return;
    m_timer.stop();
    for (const auto &pad : m_pads)
        SDL_GameControllerClose(pad.second);
    m_pads.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

qreal GamepadInput::leanForStick(int axisValue)
{
    const qreal magnitude = std::abs(axisValue);
    if (magnitude <= kStickDeadZone)
        return 0.0;
    const qreal lean = std::min(1.0, (magnitude - kStickDeadZone) / (kStickFullDeflection - kStickDeadZone));
    // The stick's x grows to the right; leaning back is to the left.
    return axisValue < 0 ? lean : -lean;
}

void GamepadInput::poll()
{
    if (!m_available)
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            openPad(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            closePad(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
            // Taps: taken from events so that one shorter than a poll counts.
            if (event.cbutton.button == SDL_CONTROLLER_BUTTON_START)
                emit menuRequested();
            else if (event.cbutton.button == SDL_CONTROLLER_BUTTON_BACK)
                emit restartRequested();
            announceMenuKey(event.cbutton.button, true);
            break;
        case SDL_CONTROLLERBUTTONUP:
            announceMenuKey(event.cbutton.button, false);
            break;
        default:
            break;
        }
    }
    updateHeld();
    const int interval = m_pads.empty() ? kIdlePollIntervalMs : kPollIntervalMs;
    if (m_timer.interval() != interval)
        m_timer.setInterval(interval);
}

void GamepadInput::announceMenuKey(int button, bool pressed)
{
    int key = 0;
    switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        key = Qt::Key_Up;
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        key = Qt::Key_Down;
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        key = Qt::Key_Left;
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        key = Qt::Key_Right;
        break;
    case SDL_CONTROLLER_BUTTON_A:
        key = Qt::Key_Return;
        break;
    case SDL_CONTROLLER_BUTTON_B:
        key = Qt::Key_Escape;
        break;
    default:
        return;
    }
    emit menuKey(key, pressed);
}

void GamepadInput::openPad(int deviceIndex)
{
    SDL_GameController *pad = SDL_GameControllerOpen(deviceIndex);
    if (!pad) {
        qWarning("Gamepad %d could not be opened: %s", deviceIndex, SDL_GetError());
        return;
    }
    const int id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
    // The pads present at start may be announced twice.
    if (m_pads.count(id)) {
        SDL_GameControllerClose(pad);
        return;
    }
    m_pads[id] = pad;
    const char *name = SDL_GameControllerName(pad);
    qDebug("Gamepad connected: %s", name ? name : "unnamed");
    emit padsChanged(padCount());
}

void GamepadInput::closePad(int instanceId)
{
    const auto found = m_pads.find(instanceId);
    if (found == m_pads.end())
        return;
    SDL_GameControllerClose(found->second);
    m_pads.erase(found);
    qDebug("Gamepad disconnected");
    emit padsChanged(padCount());
}

void GamepadInput::updateHeld()
{
    bool throttle = false;
    bool brake = false;
    qreal lean = 0.0;
    for (const auto &entry : m_pads) {
        SDL_GameController *pad = entry.second;
        throttle = throttle || buttonDown(pad, SDL_CONTROLLER_BUTTON_A)
            || triggerPressed(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
        brake = brake || buttonDown(pad, SDL_CONTROLLER_BUTTON_B)
            || triggerPressed(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
        const qreal padValue = padLean(pad);
        if (std::abs(padValue) > std::abs(lean))
            lean = padValue;
    }

    const bool throttleReleasedNow = m_throttle && !throttle;
    const bool brakeReleasedNow = m_brake && !brake;
    const bool throttlePressedNow = throttle && !m_throttle;
    const bool brakePressedNow = brake && !m_brake;
    m_throttle = throttle;
    m_brake = brake;
    if (throttleReleasedNow)
        emit throttleReleased();
    if (brakeReleasedNow)
        emit brakeReleased();
    // A release sets the bike's throttle to zero, so whatever is still held
    // is asserted again after it.
    const bool released = throttleReleasedNow || brakeReleasedNow;
    if (brake && (brakePressedNow || released))
        emit brakePressed();
    if (throttle && (throttlePressedNow || released))
        emit throttlePressed();

    if (lean != m_lean) {
        m_lean = lean;
        emit leanChanged(lean);
    }
}

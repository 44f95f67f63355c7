// SPDX-License-Identifier: GPL-3.0-or-later
#include "controlmapper.h"

#include "input/gamepadinput.h"
#include "vehicle/bikeitem.h"

namespace {
constexpr qreal kBrakeThrottle = -0.5;
// A tilt sensor's lean angle (degrees) that gives full tilt.
constexpr qreal kFullTiltAngleDeg = 35.0;
} // namespace

ControlMapper::ControlMapper(std::function<BikeItem *()> bike, std::function<bool()> heldOff, QObject *parent)
    : QObject(parent)
    , m_bike(std::move(bike))
    , m_heldOff(std::move(heldOff))
{ }

void ControlMapper::attach(GamepadInput *pad)
{
    connect(pad, &GamepadInput::throttlePressed, this, [this] { throttle(1.0); });
    connect(pad, &GamepadInput::throttleReleased, this, [this] { throttle(0.0); });
    connect(pad, &GamepadInput::brakePressed, this, &ControlMapper::brakeOn);
    connect(pad, &GamepadInput::brakeReleased, this, &ControlMapper::brakeOff);
    connect(pad, &GamepadInput::leanChanged, this, [this](qreal lean) { tiltSpeed(lean * kTiltStep); });
}

BikeItem *ControlMapper::target() const
{
    BikeItem *bike = m_bike();
    return bike && !m_heldOff() ? bike : nullptr;
}

void ControlMapper::throttle(qreal value)
{
    if (BikeItem *bike = target())
        bike->setThrottle(value);
}

void ControlMapper::brakeOn()
{
    throttle(kBrakeThrottle);
    if (BikeItem *bike = target())
        bike->setBrake(1.0);
}

void ControlMapper::brakeOff()
{
    throttle(0.0);
    if (BikeItem *bike = target())
        bike->setBrake(0.0);
}

void ControlMapper::setRiderTilt(qreal angle)
{
    qreal tilt;
    if (angle < -kFullTiltAngleDeg)
        tilt = 1.0;
    else if (angle > kFullTiltAngleDeg)
        tilt = -1.0;
    else
        tilt = -(angle * (1.0 / kFullTiltAngleDeg));
    if (BikeItem *bike = target())
        bike->setRiderTilt(tilt, angle, true);
}

void ControlMapper::tiltSpeed(qreal value)
{
    if (BikeItem *bike = target())
        bike->setTiltSpeed(value);
}

void ControlMapper::releaseRagdoll()
{
    if (BikeItem *bike = target())
        bike->releaseRagdoll();
}

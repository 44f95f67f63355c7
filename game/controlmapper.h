// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CONTROLMAPPER_H
#define CONTROLMAPPER_H

#include <QObject>
#include <functional>

class BikeItem;
class GamepadInput;

// The player's riding inputs (keys, a pad's sticks and buttons, the
// on-screen controls) turned into the bike's controls: throttle, brake,
// lean and the ragdoll's release. Nothing reaches a bike while the check
// given says the inputs are held off (a watched run plays its own inputs).
class ControlMapper : public QObject
{
    Q_OBJECT
public:
    // Rider lean speed per key press, a single-precision constant by design.
    static constexpr qreal kTiltStep = qreal(0.033f);

    // bike: the bike of the run now (null before the first level);
    // heldOff: true while inputs must not reach it.
    ControlMapper(std::function<BikeItem *()> bike, std::function<bool()> heldOff, QObject *parent = nullptr);

    // The pad's throttle, brake and lean drive the bike from now on.
    void attach(GamepadInput *pad);

    void throttle(qreal value);
    void brakeOn();
    void brakeOff();
    // A tilt sensor's lean angle in degrees, full tilt at +-35.
    void setRiderTilt(qreal angle);
    // Lean speed: +-kTiltStep per key, 0 on release.
    void tiltSpeed(qreal value);
    void releaseRagdoll();

private:
    BikeItem *target() const;

    std::function<BikeItem *()> m_bike;
    std::function<bool()> m_heldOff;
};

#endif

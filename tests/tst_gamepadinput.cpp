// SPDX-License-Identifier: GPL-3.0-or-later
// Gamepads on SDL's virtual joysticks: plugging, held and released actions,
// the trigger threshold, the stick's dead zone, Start and Back, unplugging
// while inputs are held and several pads at once.

#include "input/gamepadinput.h"
#include "virtualpad.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

namespace {
constexpr int kStickLeftFull = -32768;
constexpr int kStickRightFull = 32767;
constexpr int kTriggerFull = 32767;
} // namespace

// Every signal of one GamepadInput, in order, as short names.
class PadLog : public QObject
{
public:
    explicit PadLog(GamepadInput *input)
    {
        connect(input, &GamepadInput::throttlePressed, this, [this] { events << "throttle+"; });
        connect(input, &GamepadInput::throttleReleased, this, [this] { events << "throttle-"; });
        connect(input, &GamepadInput::brakePressed, this, [this] { events << "brake+"; });
        connect(input, &GamepadInput::brakeReleased, this, [this] { events << "brake-"; });
        connect(input, &GamepadInput::leanChanged, this,
            [this](qreal lean) { events << QString("lean %1").arg(lean); });
        connect(input, &GamepadInput::menuRequested, this, [this] { events << "menu"; });
        connect(input, &GamepadInput::restartRequested, this, [this] { events << "restart"; });
        connect(
            input, &GamepadInput::padsChanged, this, [this](int n) { events << QString("pads %1").arg(n); });
    }
    // The events since the last call.
    QStringList take()
    {
        const QStringList taken = events;
        events.clear();
        return taken;
    }
    QStringList events;
};

class TestGamepadInput : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<GamepadInput> m_input;
    std::unique_ptr<PadLog> m_log;

    // A pad plugged in and seen by the input; the log starts empty.
    std::unique_ptr<VirtualPad> plug()
    {
        auto pad = std::make_unique<VirtualPad>();
        if (!pad->isAttached())
            qFatal("SDL refused a virtual pad: %s", pad->error());
        m_input->poll();
        m_log->take();
        return pad;
    }
    QStringList pollLog()
    {
        m_input->poll();
        return m_log->take();
    }

private slots:
    void init()
    {
        m_input = std::make_unique<GamepadInput>();
        QVERIFY(m_input->isAvailable());
        m_input->poll();
        m_log = std::make_unique<PadLog>(m_input.get());
    }
    void cleanup()
    {
        m_log.reset();
        m_input.reset();
    }

    void plugPressHoldRelease()
    {
        QCOMPARE(m_input->padCount(), 0);
        VirtualPad pad;
        QVERIFY2(pad.isAttached(), pad.error());
        QCOMPARE(pollLog(), QStringList({"pads 1"}));
        QCOMPARE(m_input->padCount(), 1);

        pad.setButton(SDL_CONTROLLER_BUTTON_A, true);
        QCOMPARE(pollLog(), QStringList({"throttle+"}));
        QVERIFY(m_input->throttleHeld());
        // Held: later polls say nothing.
        QCOMPARE(pollLog(), QStringList());
        QCOMPARE(pollLog(), QStringList());
        QVERIFY(m_input->throttleHeld());
        pad.setButton(SDL_CONTROLLER_BUTTON_A, false);
        QCOMPARE(pollLog(), QStringList({"throttle-"}));

        pad.setButton(SDL_CONTROLLER_BUTTON_B, true);
        QCOMPARE(pollLog(), QStringList({"brake+"}));
        pad.setButton(SDL_CONTROLLER_BUTTON_B, false);
        QCOMPARE(pollLog(), QStringList({"brake-"}));
        QVERIFY(!m_input->brakeHeld());
    }

    // Without a pad SDL is polled only now and then for one being plugged
    // in; an open pad is polled at the full rate until it goes.
    void pollsSlowlyWithoutPads()
    {
        QCOMPARE(m_input->pollIntervalMs(), GamepadInput::kIdlePollIntervalMs);
        {
            auto pad = plug();
            QCOMPARE(m_input->pollIntervalMs(), GamepadInput::kPollIntervalMs);
        }
        QCOMPARE(pollLog(), QStringList({"pads 0"}));
        QCOMPARE(m_input->pollIntervalMs(), GamepadInput::kIdlePollIntervalMs);
    }

    void triggersCountPastTheThreshold()
    {
        auto pad = plug();
        pad->setAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, GamepadInput::kTriggerThreshold);
        QCOMPARE(pollLog(), QStringList());
        pad->setAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, GamepadInput::kTriggerThreshold + 1);
        QCOMPARE(pollLog(), QStringList({"throttle+"}));
        pad->setAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kTriggerFull);
        QCOMPARE(pollLog(), QStringList());
        pad->setAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
        QCOMPARE(pollLog(), QStringList({"throttle-"}));

        pad->setAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, GamepadInput::kTriggerThreshold);
        QCOMPARE(pollLog(), QStringList());
        pad->setAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, kTriggerFull);
        QCOMPARE(pollLog(), QStringList({"brake+"}));
        pad->setAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0);
        QCOMPARE(pollLog(), QStringList({"brake-"}));
    }

    void stickLeansPastTheDeadZone()
    {
        QCOMPARE(GamepadInput::leanForStick(0), 0.0);
        QCOMPARE(GamepadInput::leanForStick(GamepadInput::kStickDeadZone), 0.0);
        QCOMPARE(GamepadInput::leanForStick(-GamepadInput::kStickDeadZone), 0.0);
        QVERIFY(GamepadInput::leanForStick(-GamepadInput::kStickDeadZone - 1) > 0.0);
        QCOMPARE(GamepadInput::leanForStick(kStickLeftFull), 1.0);
        QCOMPARE(GamepadInput::leanForStick(kStickRightFull), -1.0);
        // Linear between the dead zone and full deflection.
        const int half = (GamepadInput::kStickDeadZone + kStickRightFull) / 2;
        QVERIFY(qAbs(GamepadInput::leanForStick(-half) - 0.5) < 1e-3);
        QVERIFY(qAbs(GamepadInput::leanForStick(half) + 0.5) < 1e-3);

        auto pad = plug();
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, -GamepadInput::kStickDeadZone);
        QCOMPARE(pollLog(), QStringList());
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, kStickLeftFull);
        QCOMPARE(pollLog(), QStringList({"lean 1"}));
        QCOMPARE(m_input->lean(), 1.0);
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, -half);
        pollLog();
        QVERIFY(qAbs(m_input->lean() - 0.5) < 1e-3);
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, kStickRightFull);
        QCOMPARE(pollLog(), QStringList({"lean -1"}));
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, GamepadInput::kStickDeadZone);
        QCOMPARE(pollLog(), QStringList({"lean 0"}));
        // The vertical axis leans nothing.
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTY, kStickLeftFull);
        QCOMPARE(pollLog(), QStringList());
    }

    void dpadLeansFully()
    {
        auto pad = plug();
        pad->setButton(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
        QCOMPARE(pollLog(), QStringList({"lean 1"}));
        pad->setButton(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
        pad->setButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
        QCOMPARE(pollLog(), QStringList({"lean -1"}));
        // The d-pad wins over a stick held the other way.
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, kStickLeftFull);
        QCOMPARE(pollLog(), QStringList());
        pad->setButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
        QCOMPARE(pollLog(), QStringList({"lean 1"}));
    }

    void startAndBackAreTaps()
    {
        auto pad = plug();
        pad->setButton(SDL_CONTROLLER_BUTTON_START, true);
        QCOMPARE(pollLog(), QStringList({"menu"}));
        // Holding asks once.
        QCOMPARE(pollLog(), QStringList());
        pad->setButton(SDL_CONTROLLER_BUTTON_START, false);
        QCOMPARE(pollLog(), QStringList());
        pad->setButton(SDL_CONTROLLER_BUTTON_BACK, true);
        QCOMPARE(pollLog(), QStringList({"restart"}));
        pad->setButton(SDL_CONTROLLER_BUTTON_BACK, false);
        QCOMPARE(pollLog(), QStringList());
    }

    void releasingBrakeKeepsTheHeldThrottle()
    {
        // Releasing one sets the bike's throttle to zero; the other is
        // asserted again after it.
        auto pad = plug();
        pad->setButton(SDL_CONTROLLER_BUTTON_A, true);
        pad->setButton(SDL_CONTROLLER_BUTTON_B, true);
        QCOMPARE(pollLog(), QStringList({"brake+", "throttle+"}));
        pad->setButton(SDL_CONTROLLER_BUTTON_B, false);
        QCOMPARE(pollLog(), QStringList({"brake-", "throttle+"}));
        pad->setButton(SDL_CONTROLLER_BUTTON_B, true);
        pad->setButton(SDL_CONTROLLER_BUTTON_A, false);
        QCOMPARE(pollLog(), QStringList({"throttle-", "brake+"}));
    }

    void unplugReleasesEverythingHeld()
    {
        auto pad = plug();
        pad->setAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kTriggerFull);
        pad->setButton(SDL_CONTROLLER_BUTTON_B, true);
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, kStickRightFull);
        QCOMPARE(pollLog(), QStringList({"brake+", "throttle+", "lean -1"}));
        pad->unplug();
        QCOMPARE(pollLog(), QStringList({"pads 0", "throttle-", "brake-", "lean 0"}));
        QCOMPARE(m_input->padCount(), 0);
        QVERIFY(!m_input->throttleHeld());
        QVERIFY(!m_input->brakeHeld());
        QCOMPARE(m_input->lean(), 0.0);

        // A pad plugged in again drives as before.
        auto again = plug();
        again->setButton(SDL_CONTROLLER_BUTTON_A, true);
        QCOMPARE(pollLog(), QStringList({"throttle+"}));
    }

    void anyOfSeveralPadsDrives()
    {
        auto first = plug();
        auto second = plug();
        QCOMPARE(m_input->padCount(), 2);

        first->setButton(SDL_CONTROLLER_BUTTON_A, true);
        QCOMPARE(pollLog(), QStringList({"throttle+"}));
        second->setAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kTriggerFull);
        QCOMPARE(pollLog(), QStringList());
        first->setButton(SDL_CONTROLLER_BUTTON_A, false);
        QCOMPARE(pollLog(), QStringList());
        second->setAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
        QCOMPARE(pollLog(), QStringList({"throttle-"}));

        // The strongest lean wins, whichever pad gives it.
        const int slight = GamepadInput::kStickDeadZone * 2;
        first->setAxis(SDL_CONTROLLER_AXIS_LEFTX, -slight);
        pollLog();
        QCOMPARE(m_input->lean(), GamepadInput::leanForStick(-slight));
        second->setButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
        QCOMPARE(pollLog(), QStringList({"lean -1"}));

        // One pad going away releases only what it alone held.
        second->setButton(SDL_CONTROLLER_BUTTON_B, true);
        first->setButton(SDL_CONTROLLER_BUTTON_B, true);
        pollLog();
        second->unplug();
        QCOMPARE(
            pollLog(), QStringList({"pads 1", QString("lean %1").arg(GamepadInput::leanForStick(-slight))}));
        QVERIFY(m_input->brakeHeld());
        first->unplug();
        QCOMPARE(pollLog(), QStringList({"pads 0", "brake-", "lean 0"}));
    }
};

QTEST_GUILESS_MAIN(TestGamepadInput)
#include "tst_gamepadinput.moc"

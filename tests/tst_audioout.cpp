// SPDX-License-Identifier: GPL-3.0-or-later
// The output thread without an audio server: the game stays silent and
// alive, the thread ends by itself (no busy loop) with one debug line, and
// teardown is immediate.

#include "ge/audiomixer.h"
#include "ge/audioout.h"
#include "sound/soundmanagergeaudio.h"

#include "manualclock.h"

#include <QElapsedTimer>
#include <QtTest>

class TestAudioOut : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Point the audio client at a server that does not exist, whatever
        // runs on this machine.
        qputenv("PULSE_SERVER", "unix:/nonexistent/velocrag-no-server");
    }

    void withoutDeviceTheThreadEndsQuietly()
    {
        GE::AudioMixer mixer;
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^AudioOut - .*sound is off"));
        QElapsedTimer clock;
        clock.start();
        {
            GE::AudioOut out(&mixer);
            QVERIFY(QTest::qWaitFor([&] { return out.isFinished(); }, 5000));
            QVERIFY(!out.isReady());
            QCOMPARE(out.runState(), GE::AudioOut::Stopped);
            QCOMPARE(out.bytesWritten(), 0);
            // Nothing holds the process at its exit.
            QCOMPARE(GE::AudioOut::unfinishedThreads(), 0);
        }
        QVERIFY(clock.elapsed() < 5000);
    }

    void managerWithoutDevicePlaysSilently()
    {
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^AudioOut - .*sound is off"));
        SoundManagerGEAudio manager;
        manager.setThrottle(true);
        manager.setMotorSpeed(0.5);
        manager.playGroundHitSound(1.0);
        manager.playCrowdCheerSound();
        QVERIFY(manager.currentEngineInstance());
        QVERIFY(QTest::qWaitFor([&] { return manager.audioOut()->isFinished(); }, 5000));
        QVERIFY(!manager.audioOut()->isReady());
    }

    // Without a device nothing pulls the mixer, so nothing would ever free a
    // one-shot that ended: a long ride must not fill the mixer.
    void withoutDeviceTheMixerStaysBounded()
    {
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^AudioOut - .*sound is off"));
        ManualClock<SoundManagerGEAudio> manager; // plays through the default device
        QVERIFY(QTest::qWaitFor([&] { return manager.audioOut()->isFinished(); }, 5000));
        manager.setThrottle(true);
        manager.setMotorSpeed(0.5);
        for (int i = 0; i < 1000; ++i) {
            manager.now += 250;
            manager.playGroundHitSound(1.0);
            if (i % 10 == 0)
                manager.playCrowdCheerSound();
        }
        QCOMPARE(manager.mixer()->sourceCount(), 1); // the engine loop only
    }

    void stopsAtOnceWhenDestroyedRightAway()
    {
        GE::AudioMixer mixer;
        QElapsedTimer clock;
        clock.start();
        delete new GE::AudioOut(&mixer); // the thread may not even have begun
        QVERIFY(clock.elapsed() < 5000);
    }
};

QTEST_MAIN(TestAudioOut)
#include "tst_audioout.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The sound manager on the game's mixer (no output device: the test pulls
// the mixer itself): engine pitch and volume, one-shots that go away when
// they end, the sliding loop, volume and muting, missing files, the ambient
// loop of each pack, and the headroom of the loudest moment of a ride. The
// rate limits run on a clock the test moves by hand.

#include "ge/audiobufferplayinstance.h"
#include "ge/audiomixer.h"
#include "sound/soundmanagergeaudio.h"

#include "manualclock.h"

#include <QtTest>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {
// Mixes only (the test pulls the mixer), on a hand-moved clock.
class ClockedManager : public ManualClock<SoundManagerGEAudio>
{
public:
    ClockedManager()
        : ManualClock<SoundManagerGEAudio>(Output::None)
    { }
};

// Looks for its sounds in a folder that does not exist.
class MissingFilesManager : public ClockedManager
{
protected:
    QString soundPath() const override { return QStringLiteral("/nonexistent/velocrag/"); }
};

// An output that is not ready yet (an audio server still connecting, or none).
class WaitingOutputManager : public ClockedManager
{
public:
    bool ready = false;

protected:
    bool isOutputReady() const override { return ready; }
};

// Pulls `seconds` of output from the mixer; returns the peak sample.
int pull(GE::AudioMixer *mixer, double seconds)
{
    std::vector<qint16> block(8192);
    int peak = 0;
    for (int done = 0; done < int(seconds * 22050 * 2); done += int(block.size())) {
        const int n = mixer->fillSamples(block.data(), int(block.size()));
        for (int i = 0; i < n; ++i)
            peak = qMax(peak, qAbs(int(block[size_t(i)])));
    }
    return peak;
}

} // namespace

class TestSoundManagerGEAudio : public QObject
{
    Q_OBJECT

private slots:
    void mixerGainFollowsTheVolume()
    {
        SoundManagerGEAudio m(SoundManagerGEAudio::Output::None);
        QVERIFY(!m.audioOut());
        QCOMPARE(m.mixer()->fixedGain(), 4096 * 60 / 100);
        m.setVolume(50);
        QCOMPARE(m.mixer()->fixedGain(), 2048);
        m.increaseVolume();
        QCOMPARE(m.mixer()->fixedGain(), 2457);
        m.setVolume(0);
        QCOMPARE(m.mixer()->fixedGain(), 0);
    }

    void enginePitchAndVolume()
    {
        SoundManagerGEAudio m(SoundManagerGEAudio::Output::None);
        QVERIFY(!m.currentEngineInstance());
        m.setThrottle(true);
        m.setMotorSpeed(0.0);
        GE::AudioBufferPlayInstance *engine = m.currentEngineInstance();
        QVERIFY(engine);
        QCOMPARE(engine->readStep(), 4096); // idle: as recorded
        QCOMPARE(engine->loopCount(), -1);
        QCOMPARE(engine->leftGain(), int(65 / 100.0 * 0.85 * 4096));
        QCOMPARE(engine->rightGain(), engine->leftGain());
        m.setMotorSpeed(1.0);
        QCOMPARE(m.currentEngineInstance(), engine); // one instance per variant, reused
        QCOMPARE(engine->readStep(), 7168); // 1.75x
        m.setMotorSpeed(0.99); // within 0.02: pitch kept
        QCOMPARE(engine->readStep(), 7168);
        QCOMPARE(m.mixer()->sourceCount(), 1);
        QVERIFY(pull(m.mixer(), 1.0) > 1000);
        QVERIFY(!engine->isDone()); // endless

        m.setSoundsEnabled(false); // silent at once
        QCOMPARE(engine->leftGain(), 0);
        QCOMPARE(engine->rightGain(), 0);
        QCOMPARE(pull(m.mixer(), 0.2), 0);
    }

    void oneShotsGoAwayWhenTheyEnd()
    {
        ClockedManager m;
        m.playGroundHitSound(1.0);
        QCOMPARE(m.mixer()->sourceCount(), 1);
        m.playGroundHitSound(1.0); // right after: dropped
        QCOMPARE(m.mixer()->sourceCount(), 1);
        m.playCrowdCheerSound();
        m.playCrowdDisappointmentSound();
        m.playCrowdAweSound();
        QCOMPARE(m.mixer()->sourceCount(), 4);
        QVERIFY(pull(m.mixer(), 0.2) > 1000);
        QVERIFY(pull(m.mixer(), 5.0) > 0); // the longest crowd is under 4 s
        QCOMPARE(m.mixer()->sourceCount(), 0);
    }

    void slidingLoopsAndFades()
    {
        ClockedManager m;
        m.playSlidingSound(0.4);
        GE::AudioBufferPlayInstance *sliding = m.slidingInstance();
        QVERIFY(sliding);
        QCOMPARE(sliding->leftGain(), int(0.4 * 1.1 * 4096));
        QCOMPARE(sliding->loopCount(), -1);
        QCOMPARE(sliding->readStep(), 8192); // 44100 Hz file
        QVERIFY(pull(m.mixer(), 3.0) > 500);
        m.mute(); // the skid falls silent, the loop keeps its place
        QCOMPARE(sliding->leftGain(), 0);
        QCOMPARE(m.slidingInstance(), sliding);
        QCOMPARE(m.mixer()->sourceCount(), 1);
        QCOMPARE(pull(m.mixer(), 0.2), 0);
    }

    void missingFilesAreSkipped()
    {
        MissingFilesManager m;
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("cannot load.*engine1.wav"));
        m.setMotorSpeed(0.3);
        m.setMotorSpeed(0.6); // no second message: the failure is remembered
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("cannot load.*sliding.wav"));
        m.playSlidingSound(0.5);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("cannot load.*groundhit"));
        m.playGroundHitSound(1.0);
        QVERIFY(!m.currentEngineInstance());
        QVERIFY(!m.slidingInstance());
        QCOMPARE(m.mixer()->sourceCount(), 0);
    }

    // Until the output takes samples nothing pulls the mixer, so one-shots
    // would pile up there: they are not started. Loops are started and wait.
    void oneShotsWaitForTheOutput()
    {
        WaitingOutputManager m;
        m.setThrottle(true);
        m.setMotorSpeed(0.5);
        QVERIFY(m.currentEngineInstance());
        for (int i = 0; i < 1000; ++i) {
            m.now += 250;
            m.playGroundHitSound(1.0);
            if (i % 10 == 0)
                m.playCrowdCheerSound();
        }
        QCOMPARE(m.mixer()->sourceCount(), 1); // the engine
        m.ready = true;
        m.now += 250;
        m.playGroundHitSound(1.0);
        m.playCrowdAweSound();
        QCOMPARE(m.mixer()->sourceCount(), 3);
        QVERIFY(pull(m.mixer(), 0.2) > 1000);
    }

    void ambientLoopFollowsThePackAndTheToggle()
    {
        ClockedManager m;
        QVERIFY(!m.ambientInstance());
        m.setAmbientPack(1);
        GE::AudioBufferPlayInstance *farm = m.ambientInstance();
        QVERIFY(farm);
        QCOMPARE(farm->loopCount(), -1);
        QCOMPARE(m.ambientPack(), 1);
        const int farmPeak = pull(m.mixer(), 13.0); // longer than the loop
        QVERIFY2(farmPeak > 300 && farmPeak < 32768 / 4, qPrintable(QString::number(farmPeak)));
        QVERIFY(!farm->isDone());
        m.setAmbientPack(1); // the same pack: the loop goes on
        QCOMPARE(m.ambientInstance(), farm);

        m.setAmbientPack(2);
        QVERIFY(m.ambientInstance());
        QVERIFY(m.ambientInstance()->hasBuffer());
        QCOMPARE(m.mixer()->sourceCount(), 1); // replaced, not added
        QVERIFY(pull(m.mixer(), 1.0) > 300);

        // Under the sound toggle.
        m.setSoundsEnabled(false);
        QVERIFY(!m.ambientInstance());
        QCOMPARE(m.mixer()->sourceCount(), 0);
        QCOMPARE(pull(m.mixer(), 0.5), 0);
        m.setSoundsEnabled(true);
        QVERIFY(m.ambientInstance());
        QCOMPARE(m.mixer()->sourceCount(), 1);

        // Under the volume keys, like every sound.
        m.setVolume(100);
        const int loud = pull(m.mixer(), 2.0);
        m.setVolume(0);
        QCOMPARE(pull(m.mixer(), 0.5), 0);
        m.setVolume(50);
        const int half = pull(m.mixer(), 2.0);
        QVERIFY2(half > 0 && half < loud, qPrintable(QString("%1 %2").arg(half).arg(loud)));

        // Silent while the game is stopped (the window in the background).
        m.stop();
        QVERIFY(!m.ambientInstance());
        m.unstop();
        QVERIFY(m.ambientInstance());

        // No pack, or a pack without a loop.
        m.setAmbientPack(3);
        QVERIFY(!m.ambientInstance());
        m.setAmbientPack(0);
        QVERIFY(!m.ambientInstance());
        QCOMPARE(m.mixer()->sourceCount(), 0);
    }

    // The loudest moment of a ride at volume 100: the engine at full
    // throttle and speed, a full skid (a harder one is no louder) and the
    // hardest ground hits, one after another over the running loops. The
    // mix stays under full scale, and by its balance, not by the limiter
    // pressing it down.
    void loudestMomentDoesNotClip()
    {
        ClockedManager m;
        m.setVolume(100);
        m.setThrottle(true);
        for (int i = 0; i < 20; ++i)
            m.setMotorSpeed(1.0);
        QCOMPARE(m.motorVolume(), 100);
        m.playSlidingSound(5.0);
        int peak = 0, lowestLimiterGain = 4096;
        std::srand(7);
        for (int hit = 0; hit < 60; ++hit) {
            m.now += 250;
            m.playGroundHitSound(1.0);
            std::vector<qint16> block(512); // the output thread's blocks are small
            for (int b = 0; b < 12; ++b) {
                const int n = m.mixer()->fillSamples(block.data(), int(block.size()));
                for (int i = 0; i < n; ++i)
                    peak = qMax(peak, qAbs(int(block[size_t(i)])));
                lowestLimiterGain = qMin(lowestLimiterGain, m.mixer()->limiterGain());
            }
        }
        qInfo("loudest moment: peak %d = %.2f dBFS, limiter gain at least %.3f", peak,
            20.0 * std::log10(peak / 32768.0), lowestLimiterGain / 4096.0);
        QVERIFY2(peak < 32767, "the mix clips");
        QVERIFY2(lowestLimiterGain >= 4096 * 9 / 10, "the limiter presses the mix down");
    }

    // Mixer and buffers go after the output thread: destroying a manager
    // that plays through the default device (none in this test's
    // environment, or a real one) is clean.
    void teardownWithOutputThread()
    {
        auto *m = new SoundManagerGEAudio;
        m->setMotorSpeed(0.5);
        m->playCrowdCheerSound();
        QTest::qWait(50);
        delete m;
    }
};

QTEST_MAIN(TestSoundManagerGEAudio)
#include "tst_soundmanagergeaudio.moc"

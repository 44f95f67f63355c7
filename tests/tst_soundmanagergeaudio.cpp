// The sound manager on the game's mixer (no output device: the test pulls
// the mixer itself): engine pitch and volume, one-shots that go away when
// they end, the sliding loop, volume and muting, missing files.

#include "ge/audiobufferplayinstance.h"
#include "ge/audiomixer.h"
#include "sound/soundmanagergeaudio.h"

#include <QtTest>
#include <vector>

namespace {
// Looks for its sounds in a folder that does not exist.
class MissingFilesManager : public SoundManagerGEAudio
{
public:
    MissingFilesManager()
        : SoundManagerGEAudio(Output::None)
    { }

protected:
    QString soundPath() const override { return QStringLiteral("/nonexistent/velocrag/"); }
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

qint64 elapsedSince(const QElapsedTimer &t)
{
    return t.elapsed();
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
        QCOMPARE(engine->leftGain(), int(65 / 100.0 * 1.8 * 4096));
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
        SoundManagerGEAudio m(SoundManagerGEAudio::Output::None);
        QElapsedTimer clock;
        clock.start();
        // The ground-hit gap also counts from start-up.
        QTest::qWait(250);
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
        QVERIFY(elapsedSince(clock) >= 250);
    }

    void slidingLoopsAndFades()
    {
        SoundManagerGEAudio m(SoundManagerGEAudio::Output::None);
        QTest::qWait(60); // the sliding gap counts from start-up
        m.playSlidingSound(0.4);
        GE::AudioBufferPlayInstance *sliding = m.slidingInstance();
        QVERIFY(sliding);
        QCOMPARE(sliding->leftGain(), int(0.4 * 3.5 * 4096));
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
        QTest::qWait(250);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("cannot load.*sliding.wav"));
        m.playSlidingSound(0.5);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("cannot load.*groundhit"));
        m.playGroundHitSound(1.0);
        QVERIFY(!m.currentEngineInstance());
        QVERIFY(!m.slidingInstance());
        QCOMPARE(m.mixer()->sourceCount(), 0);
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

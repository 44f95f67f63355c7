// SPDX-License-Identifier: GPL-3.0-or-later
// The sound policy shared by every sound manager: activity, rate limits,
// engine ramps and pitch, volume steps, muting and fades.

#include "sound/soundmanager.h"
#include "sound/soundmanagerdummy.h"

#include <QtTest>

namespace {
// Records what the policy asks to play, on a clock the test moves by hand.
class RecordingSoundManager : public SoundManager
{
public:
    qint64 now = 1000; // ms; past the start-up gap of the rate limits
    QList<qreal> engineSpeeds;
    QList<qreal> groundHits;
    QList<qreal> slidingVolumes;
    QStringList crowd;
    int motorVolumeApplied = 0;

protected:
    qint64 elapsedMs() const override { return now; }
    void playEngineVariant(int variant, qreal speed) override
    {
        QCOMPARE(variant, 0);
        engineSpeeds.append(speed);
    }
    void playGroundHitVariant(int variant, qreal volume) override
    {
        QVERIFY(variant >= 0 && variant < 10);
        groundHits.append(volume);
    }
    void playCrowdCheerVariant(int variant) override { crowd.append(QString("cheer%1").arg(variant)); }
    void playCrowdDisappointmentVariant(int variant) override
    {
        crowd.append(QString("disappointment%1").arg(variant));
    }
    void playCrowdAweVariant(int variant) override { crowd.append(QString("awe%1").arg(variant)); }
    void setSlidingVolume(qreal slidingFactor) override { slidingVolumes.append(slidingFactor); }
    void applyMotorVolume() override { ++motorVolumeApplied; }
};
} // namespace

class TestSoundManager : public QObject
{
    Q_OBJECT

private slots:
    void startsWithDefaults()
    {
        RecordingSoundManager m;
        QVERIFY(m.isSoundsEnabled());
        QCOMPARE(m.volume(), 60);
        QCOMPARE(m.motorVolume(), 60);
        QCOMPARE(m.motorSpeed(), 0.0);
        QVERIFY(!m.throttle());
        QCOMPARE(m.property("motorVolume").toInt(), 60);
    }

    void volumeZeroFreezesMotorSpeed()
    {
        RecordingSoundManager m;
        m.setVolume(0);
        m.setThrottle(true);
        m.setMotorSpeed(0.8);
        QCOMPARE(m.motorSpeed(), 0.0);
        QCOMPARE(m.motorVolume(), 60);
        QVERIFY(m.engineSpeeds.isEmpty());
        m.playGroundHitSound(1.0);
        m.playCrowdCheerSound();
        m.playSlidingSound(0.5);
        QVERIFY(m.groundHits.isEmpty());
        QVERIFY(m.crowd.isEmpty());
        QVERIFY(m.slidingVolumes.isEmpty());
    }

    void engineRampsAndPitch()
    {
        RecordingSoundManager m;
        m.setThrottle(true);
        m.setMotorSpeed(0.0);
        QCOMPARE(m.motorVolume(), 65);
        QCOMPARE(m.engineSpeeds, QList<qreal> {1.0});
        m.setMotorSpeed(1.0);
        QCOMPARE(m.motorVolume(), 70);
        QCOMPARE(m.engineSpeeds.last(), 1.75);
        // A change of 0.01 ramps the volume and stores the speed, but the pitch stays.
        m.setMotorSpeed(0.99);
        QCOMPARE(m.motorSpeed(), 0.99);
        QCOMPARE(m.motorVolume(), 75);
        QCOMPARE(m.engineSpeeds.size(), 2);
        // Out of range speeds are clamped, NaN counts as standing still.
        m.setMotorSpeed(7.0);
        QCOMPARE(m.motorSpeed(), 1.0);
        m.setMotorSpeed(qQNaN());
        QCOMPARE(m.motorSpeed(), 0.0);
        QCOMPARE(m.engineSpeeds.last(), 1.0);
        // Throttle released: the engine dies by 10 per update down to 0.
        m.setThrottle(false);
        for (int i = 0; i < 20; ++i)
            m.setMotorSpeed(0.5);
        QCOMPARE(m.motorVolume(), 0);
        // And swells by 5 per update up to 100, never beyond.
        m.setThrottle(true);
        for (int i = 0; i < 30; ++i)
            m.setMotorSpeed(0.5);
        QCOMPARE(m.motorVolume(), 100);
    }

    void groundHitsAreRateLimited()
    {
        RecordingSoundManager m;
        m.playGroundHitSound(0.7);
        m.now += 150;
        m.playGroundHitSound(0.9);
        QCOMPARE(m.groundHits, QList<qreal> {0.7});
        m.now += 49; // 199 ms after the last sound played: still too close
        m.playGroundHitSound(0.8);
        QCOMPARE(m.groundHits.size(), 1);
        m.now += 1;
        m.playGroundHitSound(0.8);
        QCOMPARE(m.groundHits, (QList<qreal> {0.7, 0.8}));
    }

    void slidingIsRateLimited()
    {
        RecordingSoundManager m;
        m.playSlidingSound(0.5);
        QCOMPARE(m.slidingVolumes, QList<qreal> {0.5});
        m.now += 10;
        m.playSlidingSound(0.9); // too soon
        m.now += 100;
        m.playSlidingSound(0.55); // too small a change
        QCOMPARE(m.slidingVolumes.size(), 1);
        m.playSlidingSound(0.9);
        QCOMPARE(m.slidingVolumes.last(), 0.9);
        m.playSlidingSound(0.0); // silence is never delayed
        QCOMPARE(m.slidingVolumes.last(), 0.0);
    }

    void crowdVariantsInRange()
    {
        RecordingSoundManager m;
        for (int i = 0; i < 40; ++i) {
            m.playCrowdCheerSound();
            m.playCrowdDisappointmentSound();
            m.playCrowdAweSound();
        }
        QCOMPARE(m.crowd.size(), 120);
        for (const QString &c : m.crowd) {
            const int variant = c.right(1).toInt();
            QVERIFY2(variant >= 0 && variant < 4, qPrintable(c));
        }
    }

    void volumeSteps()
    {
        RecordingSoundManager m;
        m.setVolume(5);
        m.decreaseVolume();
        QCOMPARE(m.volume(), 0);
        m.setVolume(95);
        m.increaseVolume();
        QCOMPARE(m.volume(), 100);
        m.decreaseVolume(30);
        QCOMPARE(m.volume(), 70);
        m.setMotorVolume(250);
        QCOMPARE(m.motorVolume(), 100);
        m.setMotorVolume(-3);
        QCOMPARE(m.motorVolume(), 0);
    }

    void disablingSilencesEngineAtOnce()
    {
        RecordingSoundManager m;
        const int appliedBefore = m.motorVolumeApplied;
        m.setSoundsEnabled(false);
        QCOMPARE(m.motorVolume(), 0);
        QVERIFY(m.motorVolumeApplied > appliedBefore);
        m.setThrottle(true);
        m.setMotorSpeed(0.5);
        QVERIFY(m.engineSpeeds.isEmpty());
        m.unmute(); // ignored while sounds are off
        QTest::qWait(200);
        QCOMPARE(m.motorVolume(), 0);
    }

    void muteAtOnceAndFaded()
    {
        RecordingSoundManager m;
        m.playSlidingSound(0.8);
        m.mute();
        QCOMPARE(m.motorVolume(), 0);
        QCOMPARE(m.slidingVolumes.last(), 0.0);

        m.setMotorVolume(80);
        m.setThrottle(true);
        m.setMotorSpeed(0.6);
        m.mute(true);
        QVERIFY(!m.throttle());
        QTRY_COMPARE_WITH_TIMEOUT(m.motorVolume(), 0, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(m.motorSpeed(), 0.0, 3000);
        // Wound down to idle pitch (within the 0.02 speed step that keeps the pitch).
        QVERIFY(m.engineSpeeds.last() < 1.0 + 0.02 * 0.75 + 1e-9);

        m.unmute();
        QTRY_COMPARE_WITH_TIMEOUT(m.motorVolume(), m.volume(), 2000);
    }

    void dummyKeepsThePolicy()
    {
        SoundManagerDummy m;
        m.setThrottle(true);
        m.setMotorSpeed(0.5);
        QCOMPARE(m.motorSpeed(), 0.5);
        QCOMPARE(m.motorVolume(), 65);
        m.playGroundHitSound(1.0);
        m.playCrowdAweSound();
        m.mute(true);
        QTRY_COMPARE_WITH_TIMEOUT(m.motorVolume(), 0, 3000);
    }
};

QTEST_MAIN(TestSoundManager)
#include "tst_soundmanager.moc"

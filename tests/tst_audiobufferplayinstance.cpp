// SPDX-License-Identifier: GPL-3.0-or-later
// Play instances: read steps per sample rate, loop counts, interpolation,
// stereo, gains, and the edges (no buffer, tiny buffers, odd speeds).

#include "ge/audiobuffer.h"
#include "ge/audiobufferplayinstance.h"
#include "ge/audiomixer.h"

#include <QPointer>
#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

namespace {
// A 16-bit buffer whose frame i holds values(i) on each channel.
std::unique_ptr<GE::AudioBuffer> makeBuffer(
    int rate, int frames, int channels, const std::function<qint16(int, int)> &values)
{
    auto buffer = std::make_unique<GE::AudioBuffer>();
    buffer->setFormat(channels, 16, rate);
    buffer->resizeData(frames * channels * 2);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const qint16 v = values(i, c);
            std::memcpy(buffer->data() + (i * channels + c) * 2, &v, 2);
        }
    return buffer;
}

std::unique_ptr<GE::AudioBuffer> ramp(int frames, int rate = 22050)
{
    return makeBuffer(rate, frames, 1, [](int i, int) { return qint16(100 * (i + 1)); });
}
} // namespace

class TestAudioBufferPlayInstance : public QObject
{
    Q_OBJECT

private slots:
    void readStepFollowsTheSampleRate_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<float>("speed");
        QTest::addColumn<int>("step");
        QTest::newRow("22050") << 22050 << 1.0f << 4096;
        QTest::newRow("44100") << 44100 << 1.0f << 8192;
        QTest::newRow("48000") << 48000 << 1.0f << 8916;
        QTest::newRow("22050 at 1.75") << 22050 << 1.75f << 7168;
        QTest::newRow("44100 at 0.5") << 44100 << 0.5f << 4096;
    }

    void readStepFollowsTheSampleRate()
    {
        QFETCH(int, rate);
        QFETCH(float, speed);
        QFETCH(int, step);
        auto buffer = ramp(10, rate);
        GE::AudioBufferPlayInstance instance(buffer.get());
        instance.setSpeed(speed);
        QCOMPARE(instance.readStep(), step);
    }

    void speedWithoutBufferWaitsForTheFirstPull()
    {
        GE::AudioBufferPlayInstance instance;
        instance.setSpeed(2.0f);
        QCOMPARE(instance.readStep(), 0);
        qint16 out[4];
        QCOMPARE(instance.fillSamples(out, 4), 0); // nothing to play
        auto buffer = ramp(10, 44100);
        instance.playBuffer(buffer.get());
        QCOMPARE(instance.readStep(), 0);
        QCOMPARE(instance.fillSamples(out, 4), 4);
        QCOMPARE(instance.readStep(), 8192); // speed 1.0 at the first pull
    }

    // Zero, negative and NaN speeds mean "as recorded"; they never stall or
    // run backwards out of the buffer.
    void oddSpeedsPlayAsRecorded_data()
    {
        QTest::addColumn<float>("speed");
        QTest::newRow("zero") << 0.0f;
        QTest::newRow("negative") << -3.0f;
        QTest::newRow("nan") << float(qQNaN());
    }

    void oddSpeedsPlayAsRecorded()
    {
        QFETCH(float, speed);
        auto buffer = ramp(10);
        GE::AudioBufferPlayInstance instance(buffer.get());
        instance.setSpeed(speed);
        qint16 out[64];
        QCOMPARE(instance.fillSamples(out, 64), 16); // 8 frames, once
        QCOMPARE(out[0], qint16(100));
        QCOMPARE(out[14], qint16(800));
        QVERIFY(instance.isDone());
    }

    // Loop count n plays the sound n times (0 and 1: once), then finished()
    // and the mixer deletes the instance in that same pull.
    void loopCountIsTheNumberOfPlays_data()
    {
        QTest::addColumn<int>("loops");
        QTest::addColumn<int>("plays");
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("2") << 2 << 2;
        QTest::newRow("5") << 5 << 5;
    }

    void loopCountIsTheNumberOfPlays()
    {
        QFETCH(int, loops);
        QFETCH(int, plays);
        constexpr int kFrames = 12; // 10 playable frames: the last two only feed interpolation
        auto buffer = ramp(kFrames);
        GE::AudioMixer mixer;
        QPointer<GE::AudioBufferPlayInstance> instance = buffer->startOnMixer(mixer);
        QVERIFY(instance);
        instance->setLoopCount(loops);
        QSignalSpy finished(instance.data(), &GE::AudioBufferPlayInstance::finished);
        std::vector<qint16> out(2 * 10 * 7);
        QCOMPARE(mixer.fillSamples(out.data(), int(out.size())), int(out.size()));
        QCOMPARE(finished.count(), 1);
        QVERIFY(instance.isNull());
        QCOMPARE(mixer.sourceCount(), 0);
        for (int p = 0; p < 7; ++p)
            for (int i = 0; i < 10; ++i) {
                const qint16 expected = p < plays ? qint16(100 * (i + 1)) : qint16(0);
                QCOMPARE(out[size_t(2 * (p * 10 + i))], expected);
                QCOMPARE(out[size_t(2 * (p * 10 + i) + 1)], expected);
            }
    }

    void negativeLoopCountPlaysForever()
    {
        auto buffer = ramp(12);
        GE::AudioBufferPlayInstance instance(buffer.get());
        instance.setLoopCount(-1);
        std::vector<qint16> out(2 * 1000);
        for (int pull = 0; pull < 20; ++pull)
            QCOMPARE(instance.fillSamples(out.data(), int(out.size())), int(out.size()));
        QVERIFY(!instance.isDone());
        QCOMPARE(instance.loopCount(), -1);
        instance.stop();
        QVERIFY(instance.isDone());
        QVERIFY(!instance.hasBuffer());
        QCOMPARE(instance.fillSamples(out.data(), 2), 0);
    }

    // Half speed lands between frames: linear interpolation.
    void interpolatesBetweenFrames()
    {
        auto buffer = ramp(12);
        GE::AudioBufferPlayInstance instance(buffer.get());
        instance.setSpeed(0.5f);
        qint16 out[8];
        instance.fillSamples(out, 8);
        QCOMPARE(out[0], qint16(100));
        QCOMPARE(out[2], qint16(150));
        QCOMPARE(out[4], qint16(200));
        QCOMPARE(out[6], qint16(250));
    }

    // Stereo buffers keep their sides; other channel counts play channel 0
    // on both. Each side has its own gain; loud gains clip, never wrap.
    void channelsAndGains()
    {
        auto stereo = makeBuffer(22050, 6, 2, [](int, int c) { return qint16(c ? -1000 : 1000); });
        GE::AudioBufferPlayInstance a(stereo.get());
        a.setLeftVolume(0.5f);
        a.setRightVolume(2.0f);
        qint16 out[2];
        a.fillSamples(out, 2);
        QCOMPARE(out[0], qint16(500));
        QCOMPARE(out[1], qint16(-2000));

        auto three = makeBuffer(22050, 6, 3, [](int, int c) { return qint16(1000 * (c + 1)); });
        GE::AudioBufferPlayInstance b(three.get());
        b.fillSamples(out, 2);
        QCOMPARE(out[0], qint16(1000));
        QCOMPARE(out[1], qint16(1000));

        auto loud = makeBuffer(22050, 6, 1, [](int, int) { return qint16(-30000); });
        GE::AudioBufferPlayInstance c(loud.get());
        c.setLeftVolume(3.5f);
        c.setRightVolume(1.0f);
        c.fillSamples(out, 2);
        QCOMPARE(out[0], qint16(-32768));
        QCOMPARE(out[1], qint16(-30000));

        c.setLeftVolume(1e9f); // absurd volumes are capped, not overflowed
        c.fillSamples(out, 2);
        QCOMPARE(out[0], qint16(-32768));
    }

    // Buffers too short to interpolate end at once, even when looping forever.
    void tinyBuffersEndAtOnce()
    {
        auto buffer = ramp(2);
        GE::AudioBufferPlayInstance instance(buffer.get());
        instance.setLoopCount(-1);
        QSignalSpy finished(&instance, &GE::AudioBufferPlayInstance::finished);
        qint16 out[16];
        QCOMPARE(instance.fillSamples(out, 16), 0);
        QCOMPARE(finished.count(), 1);
    }

    // Very fast playback of a short loop wraps many times within one frame
    // step without stalling.
    void veryFastLoopsKeepGoing()
    {
        auto buffer = ramp(5);
        GE::AudioBufferPlayInstance instance(buffer.get());
        instance.setLoopCount(-1);
        instance.setSpeed(100.0f);
        std::vector<qint16> out(2000);
        QCOMPARE(instance.fillSamples(out.data(), int(out.size())), int(out.size()));
    }

    // Past 2^19 frames a 32-bit fixed-point position would overflow; the
    // read position is 64-bit and long sounds play to their end.
    void longBuffersPlayToTheEnd()
    {
        constexpr int kFrames = 600000; // 27 s at 22050 Hz
        auto buffer = makeBuffer(22050, kFrames, 1, [](int i, int) { return qint16(i % 30000); });
        GE::AudioBufferPlayInstance instance(buffer.get());
        std::vector<qint16> out(2 * 100000);
        int total = 0;
        for (int pull = 0; pull < 7 && !instance.isDone(); ++pull)
            total += instance.fillSamples(out.data(), int(out.size())) / 2;
        QCOMPARE(total, kFrames - 2);
        QVERIFY(instance.isDone());
    }

    // The GUI thread changes gains, speed and loop count and restarts the
    // instance while the output thread pulls it through the mixer (the
    // ThreadSanitizer build checks that no value is shared unsynchronised).
    // Whatever the interleaving, every pull writes whole frames and a
    // restart is never undone by the pull that runs meanwhile.
    void settersWhileAnotherThreadPulls()
    {
        auto buffer = ramp(5000);
        GE::AudioMixer mixer;
        auto *instance = new GE::AudioBufferPlayInstance(buffer.get());
        instance->setLoopCount(-1);
        QVERIFY(mixer.addSource(instance));
        std::atomic<bool> stop {false};
        std::atomic<int> pulls {0}, oddPulls {0};
        std::thread puller([&] {
            qint16 block[256];
            while (!stop) {
                if (mixer.fillSamples(block, 256) % 2 != 0)
                    ++oddPulls;
                ++pulls;
            }
        });
        for (int i = 0; i < 3000; ++i) {
            instance->setLeftVolume(float(i % 7) / 7.0f);
            instance->setRightVolume(float(i % 5) / 5.0f);
            instance->setSpeed(i % 11 == 0 ? 0.0f : 0.5f + float(i % 4) * 0.5f);
            instance->setLoopCount(-1);
            if (i % 100 == 0)
                instance->playBuffer(buffer.get(), -1);
            (void)instance->readPos();
            (void)instance->isDone();
        }
        QVERIFY(QTest::qWaitFor([&] { return pulls > 50; }, 5000));
        stop = true;
        puller.join();
        QCOMPARE(oddPulls.load(), 0);
        QVERIFY(!instance->isDone());
        // A restart requested now is seen by the next pull. The instance is
        // pulled itself: the mixer's limiter may still be releasing after
        // the loud loop, and how far depends on when the puller stopped.
        instance->playBuffer(buffer.get(), 1.0f, 1.0f, -1);
        QCOMPARE(instance->readPos(), 0);
        qint16 frame[2];
        QCOMPARE(instance->fillSamples(frame, 2), 2);
        QCOMPARE(frame[0], qint16(100));
    }

    void playBufferVariants()
    {
        auto buffer = ramp(12, 44100);
        GE::AudioBufferPlayInstance instance;
        instance.playBuffer(buffer.get(), 0.5f, 2.0f, 3);
        QCOMPARE(instance.leftGain(), 2048);
        QCOMPARE(instance.rightGain(), 2048);
        QCOMPARE(instance.readStep(), 16384);
        QCOMPARE(instance.loopCount(), 3);
        qint16 out[8];
        instance.fillSamples(out, 8);
        QVERIFY(instance.readPos() > 0);
        instance.playBuffer(buffer.get(), 2); // restarts, keeps volume and speed
        QCOMPARE(instance.readPos(), 0);
        QCOMPARE(instance.leftGain(), 2048);
        QCOMPARE(instance.readStep(), 16384);
        QCOMPARE(instance.loopCount(), 2);
    }
};

QTEST_MAIN(TestAudioBufferPlayInstance)
#include "tst_audiobufferplayinstance.moc"

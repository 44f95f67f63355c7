// SPDX-License-Identifier: GPL-3.0-or-later
// The mixer: empty pulls, gains, saturation instead of wrap-around, source
// ownership, deletion of finished sources in the pull they finish, and
// adding and removing while another thread pulls.

#include "ge/audiomixer.h"

#include <QPointer>
#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <thread>
#include <vector>

namespace {
// Writes a constant value for `frames` stereo frames, then nothing; may be
// deleted once it has run out when `oneShot` is set.
class ConstantSource : public GE::AudioSource
{
public:
    ConstantSource(qint16 value, int frames = 1 << 30, bool oneShot = false)
        : m_value(value)
        , m_framesLeft(frames)
        , m_oneShot(oneShot)
    { }
    bool mayBeDeleted() override { return m_oneShot && m_framesLeft == 0; }
    int fillSamples(qint16 *target, int sampleCount) override
    {
        const int frames = qMin(sampleCount / 2, m_framesLeft);
        std::fill_n(target, frames * 2, m_value);
        m_framesLeft -= frames;
        return frames * 2;
    }

private:
    qint16 m_value;
    int m_framesLeft;
    bool m_oneShot;
};
} // namespace

class TestAudioMixer : public QObject
{
    Q_OBJECT

private slots:
    void emptyMixerWritesNothing()
    {
        GE::AudioMixer mixer;
        qint16 target[8];
        std::fill_n(target, 8, qint16(1234));
        QCOMPARE(mixer.fillSamples(target, 8), 0);
        for (qint16 v : target)
            QCOMPARE(v, qint16(1234));
    }

    void sourcesAreOwnedAndCounted()
    {
        GE::AudioMixer mixer;
        QVERIFY(!mixer.addSource(nullptr));
        auto *a = new ConstantSource(1);
        QPointer<GE::AudioSource> b = new ConstantSource(2);
        QVERIFY(mixer.addSource(a));
        QVERIFY(!mixer.addSource(a)); // twice would be deleted twice
        QVERIFY(mixer.addSource(b));
        QCOMPARE(mixer.sourceCount(), 2);
        QVERIFY(mixer.removeSource(a));
        QVERIFY(!mixer.removeSource(a));
        delete a; // removed sources are the caller's again
        mixer.deleteAllSources();
        QCOMPARE(mixer.sourceCount(), 0);
        QVERIFY(b.isNull());
    }

    void gains()
    {
        GE::AudioMixer mixer;
        QSignalSpy general(&mixer, &GE::AudioMixer::generalVolumeChanged);
        QSignalSpy absolute(&mixer, &GE::AudioMixer::absoluteVolumeChanged);
        QCOMPARE(mixer.fixedGain(), 4096);
        mixer.setGeneralVolume(0.5f); // no sources: unchanged
        QCOMPARE(mixer.fixedGain(), 4096);
        for (int i = 0; i < 4; ++i)
            mixer.addSource(new ConstantSource(4000));
        mixer.setGeneralVolume(1.0f);
        QCOMPARE(mixer.fixedGain(), 1024);
        QCOMPARE(general.last().at(0).toFloat(), 1024.0f);
        QCOMPARE(mixer.totalVolume(), 1.0f);
        qint16 target[4];
        QCOMPARE(mixer.fillSamples(target, 4), 4);
        QCOMPARE(target[0], qint16(4000)); // four sources at a quarter each
        mixer.setGeneralVolume(0.0f);
        QCOMPARE(mixer.fixedGain(), 0);
        mixer.setAbsoluteVolume(1.0f);
        QCOMPARE(mixer.fixedGain(), 4096);
        QCOMPARE(absolute.last().at(0).toFloat(), 4096.0f);
        mixer.setAbsoluteVolume(0.6f);
        QCOMPARE(mixer.fixedGain(), 2457); // truncated
        mixer.setAbsoluteVolume(qQNaN());
        QCOMPARE(mixer.fixedGain(), 0);
        mixer.setAbsoluteVolume(-1.0f);
        QCOMPARE(mixer.fixedGain(), 0);
    }

    // Two loud sources are limited to the ceiling instead of clipping or
    // wrapping around into a loud click of the opposite sign.
    void loudSourcesAreLimited_data()
    {
        const int ceiling = GE::AudioMixer::kLimiterCeiling;
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("expected");
        QTest::newRow("positive") << 30000 << 30000 << ceiling;
        QTest::newRow("negative") << -30000 << -30000 << -ceiling;
        QTest::newRow("full scale") << 32767 << 32767 << ceiling;
        QTest::newRow("cancelling") << 32767 << -32768 << -1;
        QTest::newRow("in range") << 10000 << 12000 << 22000;
    }

    void loudSourcesAreLimited()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, expected);
        GE::AudioMixer mixer;
        mixer.addSource(new ConstantSource(qint16(a)));
        mixer.addSource(new ConstantSource(qint16(b)));
        qint16 target[64];
        QCOMPARE(mixer.fillSamples(target, 64), 64);
        // Limited blocks land just under the ceiling (the gain is rounded down).
        const int tolerance = qAbs(expected) == GE::AudioMixer::kLimiterCeiling ? 16 : 0;
        for (qint16 v : target) {
            QVERIFY(qAbs(int(v)) <= GE::AudioMixer::kLimiterCeiling);
            QVERIFY2(qAbs(int(v) - expected) <= tolerance, qPrintable(QString::number(v)));
        }
    }

    // Three sources where the order of adding would matter if each sum were
    // clipped on its own: the sum is limited once, at the end.
    void limiterRecoversAfterALoudBlock()
    {
        GE::AudioMixer mixer;
        auto *loud = new ConstantSource(30000, 64);
        mixer.addSource(loud);
        mixer.addSource(new ConstantSource(30000, 64));
        mixer.addSource(new ConstantSource(1000));
        std::vector<qint16> block(128);
        mixer.fillSamples(block.data(), 128);
        QVERIFY(mixer.limiterGain() < 4096 * 6 / 10);
        // The loud pair has run out: the quiet source comes back to full
        // level within the release time, never above it.
        for (int pulls = 0; pulls < 4410 / 64 + 1; ++pulls) {
            mixer.fillSamples(block.data(), 128);
            QVERIFY(block[0] <= 1000);
        }
        QCOMPARE(mixer.limiterGain(), 4096);
        QCOMPARE(block[0], qint16(1000));
    }

    void saturationDoesNotDependOnOrder()
    {
        GE::AudioMixer mixer;
        mixer.addSource(new ConstantSource(30000));
        mixer.addSource(new ConstantSource(30000));
        mixer.addSource(new ConstantSource(-30000));
        qint16 target[2];
        mixer.fillSamples(target, 2);
        QCOMPARE(target[0], qint16(30000));
    }

    // A source that runs out in a pull has its last samples mixed, the rest
    // of the block is silence, and it is deleted in that same pull.
    void finishedSourceIsDeletedInTheSamePull()
    {
        GE::AudioMixer mixer;
        QPointer<GE::AudioSource> shot = new ConstantSource(500, 3, true);
        mixer.addSource(shot);
        mixer.addSource(new ConstantSource(7));
        qint16 target[10];
        QCOMPARE(mixer.fillSamples(target, 10), 10);
        QCOMPARE(target[5], qint16(507));
        QCOMPARE(target[6], qint16(7));
        QVERIFY(shot.isNull());
        QCOMPARE(mixer.sourceCount(), 1);
    }

    // Nobody pulls a mixer without an output device: one-shots that would
    // run out are never freed by a pull, so the number of sources is capped.
    void sourcesAreCappedWithoutPulls()
    {
        GE::AudioMixer mixer;
        int refused = 0;
        for (int i = 0; i < 1100; ++i) {
            auto *s = new ConstantSource(1, 100, true);
            if (!mixer.addSource(s)) {
                delete s;
                ++refused;
            }
        }
        QCOMPARE(mixer.sourceCount(), GE::AudioMixer::kMaxSources);
        QCOMPARE(refused, 1100 - GE::AudioMixer::kMaxSources);
        // A pull frees the finished ones and makes room again.
        qint16 block[512];
        mixer.fillSamples(block, 512);
        QCOMPARE(mixer.sourceCount(), 0);
        auto *again = new ConstantSource(1);
        QVERIFY(mixer.addSource(again));
    }

    // The volume keys change the gain on the GUI thread while the output
    // thread mixes (checked for data races by the ThreadSanitizer build);
    // every block is mixed at one of the gains set.
    void gainChangesWhileAnotherThreadPulls()
    {
        GE::AudioMixer mixer;
        mixer.addSource(new ConstantSource(4096));
        std::atomic<bool> stop {false};
        std::atomic<int> pulls {0}, strangeBlocks {0};
        std::thread puller([&] {
            qint16 block[64];
            while (!stop) {
                mixer.fillSamples(block, 64);
                if (block[0] != 1024 && block[0] != 2048 && block[0] != 4096)
                    ++strangeBlocks;
                for (int i = 1; i < 64; ++i)
                    if (block[i] != block[0])
                        ++strangeBlocks;
                ++pulls;
            }
        });
        const float gains[] = {0.25f, 0.5f, 1.0f};
        for (int i = 0; i < 20000 || pulls < 100; ++i)
            mixer.setAbsoluteVolume(gains[i % 3]);
        stop = true;
        puller.join();
        QCOMPARE(strangeBlocks.load(), 0);
    }

    void addAndRemoveWhileAnotherThreadPulls()
    {
        GE::AudioMixer mixer;
        std::atomic<bool> stop {false};
        std::atomic<int> pulls {0};
        std::thread puller([&] {
            qint16 block[512];
            while (!stop) {
                mixer.fillSamples(block, 512);
                ++pulls;
            }
        });
        for (int i = 0; i < 2000; ++i) {
            auto *s = new ConstantSource(qint16(i), 100, true);
            if (!mixer.addSource(s))
                delete s; // full: still ours
            if (i % 3 == 0)
                mixer.setGeneralVolume(0.5f);
            mixer.sourceCount();
        }
        QVERIFY(QTest::qWaitFor([&] { return pulls > 100; }, 5000));
        stop = true;
        puller.join();
        qint16 block[512];
        mixer.fillSamples(block, 512); // the rest run out now
        QCOMPARE(mixer.sourceCount(), 0);
    }
};

QTEST_MAIN(TestAudioMixer)
#include "tst_audiomixer.moc"

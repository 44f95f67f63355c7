// SPDX-License-Identifier: GPL-3.0-or-later
// An audio server that accepts the connection and then never answers: the
// sound manager is made and destroyed without waiting for it, the game stays
// silent meanwhile (no one-shot piles up in the mixer), the output thread
// left behind is counted as unfinished, and it ends and is freed once the
// server goes away.

#include "ge/audiomixer.h"
#include "ge/audioout.h"
#include "sound/soundmanagergeaudio.h"

#include "manualclock.h"
#include "silentserver.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// Far below the half minute an unanswered connection holds the client
// library, far above what constructing or destroying the manager costs.
constexpr qint64 kConstructBoundMs = 1000;
constexpr qint64 kTeardownBoundMs = SoundManagerGEAudio::kTeardownWaitMs + 1000;
} // namespace

class TestAudioOutUnresponsive : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    SilentServer m_server;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString socket = m_dir.filePath("native");
        QVERIFY(m_server.listen(socket));
        qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
    }

    void neitherSetUpNorTeardownWaitsForTheServer()
    {
        QElapsedTimer clock;
        clock.start();
        auto *manager = new ManualClock<SoundManagerGEAudio>; // the default device
        const qint64 constructMs = clock.elapsed();
        QVERIFY2(constructMs < kConstructBoundMs, qPrintable(QString::number(constructMs)));
        // The output thread has called the server, which does not answer.
        QVERIFY(QTest::qWaitFor([this] { return m_server.connections() > 0; }, 10000));
        QVERIFY(!manager->audioOut()->isReady());

        // Silent meanwhile: loops wait in the mixer, one-shots are not started.
        manager->setThrottle(true);
        manager->setMotorSpeed(0.5);
        manager->setAmbientPack(1);
        for (int i = 0; i < 1000; ++i) {
            manager->now += 250;
            manager->playGroundHitSound(1.0);
            if (i % 10 == 0)
                manager->playCrowdCheerSound();
        }
        QCOMPARE(manager->mixer()->sourceCount(), 2); // the engine and the ambience

        QPointer<GE::AudioOut> out = manager->audioOut();
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("audio server does not answer"));
        clock.restart();
        delete manager;
        const qint64 teardownMs = clock.elapsed();
        QVERIFY2(teardownMs < kTeardownBoundMs, qPrintable(QString::number(teardownMs)));
        QVERIFY(out); // still held by the server
        // The game's exit sees the held thread (and ends without the static
        // destructors it depends on).
        QCOMPARE(GE::AudioOut::unfinishedThreads(), 1);

        // The server goes away: the thread left behind ends and is freed.
        m_server.close();
        QTRY_VERIFY_WITH_TIMEOUT(out.isNull(), 60000);
        QCOMPARE(GE::AudioOut::unfinishedThreads(), 0);
    }
};

QTEST_MAIN(TestAudioOutUnresponsive)
#include "tst_audiooutunresponsive.moc"

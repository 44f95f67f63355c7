// SPDX-License-Identifier: GPL-3.0-or-later
// An audio server that accepts the connection and then never answers: the
// sound manager is made and destroyed without waiting for it, the game stays
// silent meanwhile (no one-shot piles up in the mixer), and the output
// thread left behind ends and is freed once the server goes away.

#include "ge/audiomixer.h"
#include "ge/audioout.h"
#include "sound/soundmanagergeaudio.h"

#include "manualclock.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
// Far below the half minute an unanswered connection holds the client
// library, far above what constructing or destroying the manager costs.
constexpr qint64 kConstructBoundMs = 1000;
constexpr qint64 kTeardownBoundMs = SoundManagerGEAudio::kTeardownWaitMs + 1000;
constexpr int kPollMs = 20;

// A unix socket that accepts every connection and never reads or writes.
class SilentServer
{
public:
    bool listen(const QString &path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        const QByteArray p = path.toLocal8Bit();
        if (m_fd < 0 || size_t(p.size()) >= sizeof(address.sun_path))
            return false;
        std::copy(p.begin(), p.end(), address.sun_path);
        if (::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0
            || ::listen(m_fd, 16) != 0)
            return false;
        m_thread = std::thread([this] { acceptLoop(); });
        return true;
    }

    int connections() const { return m_connections; }

    // Closes every accepted connection and the listening socket.
    void close()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        for (int fd : m_clients)
            ::close(fd);
        m_clients.clear();
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    ~SilentServer() { close(); }

private:
    void acceptLoop()
    {
        while (!m_stop) {
            pollfd p {m_fd, POLLIN, 0};
            if (::poll(&p, 1, kPollMs) > 0) {
                const int client = ::accept(m_fd, nullptr, nullptr);
                if (client >= 0) {
                    m_clients.push_back(client);
                    ++m_connections;
                }
            }
        }
    }

    int m_fd = -1;
    std::thread m_thread;
    std::atomic<bool> m_stop {false};
    std::atomic<int> m_connections {0};
    std::vector<int> m_clients; // touched by the accept thread until it is joined
};
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

        // The server goes away: the thread left behind ends and is freed.
        m_server.close();
        QTRY_VERIFY_WITH_TIMEOUT(out.isNull(), 60000);
    }
};

QTEST_MAIN(TestAudioOutUnresponsive)
#include "tst_audiooutunresponsive.moc"

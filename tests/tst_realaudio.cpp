// SPDX-License-Identifier: GPL-3.0-or-later
// Real audio end to end: a private PulseAudio server with a null sink,
// the sound manager playing the engine at idle and at full speed and then a
// ground hit through the game's mixer and output thread, the sink's monitor
// recorded with parecord and examined with sox. The engine at speed 1.0
// must sound 1.75 times higher than at idle.

#include "ge/audioout.h"
#include "sound/soundmanagergeaudio.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {
constexpr int kRate = 22050; // analysis rate of the recording
constexpr double kWindowS = 0.25; // analysis window
constexpr double kVoicedDb = -40.0; // a window with sound
constexpr double kSilentDb = -55.0; // a window without
constexpr double kSinkLatencyS = 2.5; // a fresh null sink starts this late
constexpr double kMinPitchHz = 30.0, kMaxPitchHz = 300.0;

double db(double v)
{
    return 20.0 * std::log10(std::max(v, 1e-9));
}

// Pitch of a stretch by normalised autocorrelation: the shortest lag whose
// correlation comes close to the best one (so the period, not a multiple).
double pitchOf(const std::vector<double> &s, size_t from, size_t count)
{
    const int minLag = int(kRate / kMaxPitchHz), maxLag = int(kRate / kMinPitchHz);
    std::vector<double> r(maxLag + 1, 0.0);
    double best = 0.0;
    for (int lag = minLag; lag <= maxLag; ++lag) {
        double xy = 0.0, xx = 0.0, yy = 0.0;
        for (size_t i = from; i + lag < from + count; ++i) {
            xy += s[i] * s[i + lag];
            xx += s[i] * s[i];
            yy += s[i + lag] * s[i + lag];
        }
        r[lag] = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
        best = std::max(best, r[lag]);
    }
    for (int lag = minLag + 1; lag < maxLag; ++lag)
        if (r[lag] >= 0.9 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1])
            return double(kRate) / lag;
    return 0.0;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

class TestRealAudio : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_socket;

    QProcessEnvironment clientEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PULSE_SERVER", "unix:" + m_socket);
        return env;
    }

    bool serverAnswers()
    {
        QProcess info;
        info.setProcessEnvironment(clientEnvironment());
        info.start("pactl", {"info"});
        return info.waitForFinished(3000) && info.exitStatus() == QProcess::NormalExit
            && info.exitCode() == 0;
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty())
            QSKIP("pulseaudio is not installed (scripts/install-deps.sh installs it)");
        for (const char *tool : {"pactl", "parecord", "sox"})
            QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), tool);
        QVERIFY(m_dir.isValid());
        m_socket = m_dir.filePath("native");
        // Everything of the server lives in the temporary folder: no user
        // or system configuration is read or written.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_dir.path());
        env.insert("XDG_RUNTIME_DIR", m_dir.path());
        env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
        env.insert("PULSE_RUNTIME_PATH", m_dir.filePath("runtime"));
        env.insert("PULSE_STATE_PATH", m_dir.filePath("state"));
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.setStandardOutputFile(m_dir.filePath("server.log"));
        m_server.start("pulseaudio",
            {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--disallow-module-loading",
                "-L", "module-null-sink sink_name=velocrag_test", "-L",
                "module-native-protocol-unix auth-anonymous=1 socket=" + m_socket});
        QVERIFY2(m_server.waitForStarted(5000), qPrintable(m_server.errorString()));
        QVERIFY2(QTest::qWaitFor([this] { return serverAnswers(); }, 10000),
            "the private PulseAudio did not answer");
        // The game's process finds the server through the client variable.
        qputenv("PULSE_SERVER", ("unix:" + m_socket).toLocal8Bit());
    }

    void cleanupTestCase()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(5000)) {
                m_server.kill();
                m_server.waitForFinished(2000);
            }
        }
    }

    void engineAndGroundHitReachTheSpeakers()
    {
        const QString recording = m_dir.filePath("recording.wav");
        auto manager = std::make_unique<SoundManagerGEAudio>();
        QVERIFY2(QTest::qWaitFor([&] { return manager->audioOut()->isReady(); }, 10000),
            "the output never became ready");
        // Nothing plays yet: the empty mixer gives nothing and nothing is written.
        QTest::qWait(300);
        QCOMPARE(manager->audioOut()->bytesWritten(), 0);

        QProcess recorder;
        recorder.setProcessEnvironment(clientEnvironment());
        recorder.start("parecord",
            {"--device=velocrag_test.monitor", "--file-format=wav", "--rate=22050", "--channels=1",
                "--format=s16le", recording});
        QVERIFY(recorder.waitForStarted(5000));

        manager->setThrottle(true);
        manager->setMotorSpeed(0.0); // idle: 1.0x
        QTest::qWait(int((kSinkLatencyS + 3.0) * 1000));
        manager->setMotorSpeed(1.0); // full: 1.75x
        QTest::qWait(3500);
        manager->mute();
        QTest::qWait(1500);
        manager->playGroundHitSound(1.0);
        QTest::qWait(int((kSinkLatencyS + 1.5) * 1000));

        recorder.terminate();
        QVERIFY(recorder.waitForFinished(5000));
        QVERIFY(manager->audioOut()->bytesWritten() > 0);
        manager.reset();

        // sox: the sound is there at all.
        QProcess stat;
        stat.setProcessChannelMode(QProcess::MergedChannels);
        stat.start("sox", {recording, "-n", "stat"});
        QVERIFY(stat.waitForFinished(10000));
        const QString statText = QString::fromLocal8Bit(stat.readAll());
        const QRegularExpression rmsLine("RMS\\s+amplitude:\\s+([0-9.eE+-]+)");
        const QRegularExpressionMatch rmsMatch = rmsLine.match(statText);
        QVERIFY2(rmsMatch.hasMatch(), qPrintable(statText));
        const double rms = rmsMatch.captured(1).toDouble();
        qInfo("recording RMS %.4f (%.1f dBFS)", rms, db(rms));
        QVERIFY2(rms > 0.01, qPrintable(statText));

        // sox: raw samples for the pitch analysis.
        const QString raw = m_dir.filePath("recording.raw");
        QCOMPARE(QProcess::execute("sox",
                     {recording, "-t", "raw", "-e", "signed-integer", "-b", "16", "-c", "1", "-r",
                         QString::number(kRate), raw}),
            0);
        QFile rawFile(raw);
        QVERIFY(rawFile.open(QIODevice::ReadOnly));
        const QByteArray bytes = rawFile.readAll();
        std::vector<double> s(size_t(bytes.size() / 2));
        for (size_t i = 0; i < s.size(); ++i)
            s[i] = qFromLittleEndian<qint16>(bytes.constData() + 2 * i) / 32768.0;

        // Windows: level and pitch.
        const size_t window = size_t(kWindowS * kRate);
        std::vector<double> levels, pitches;
        for (size_t from = 0; from + window <= s.size(); from += window) {
            double sum = 0.0;
            for (size_t i = from; i < from + window; ++i)
                sum += s[i] * s[i];
            levels.push_back(db(std::sqrt(sum / window)));
            pitches.push_back(levels.back() > kVoicedDb ? pitchOf(s, from, window) : 0.0);
        }
        // The engine: from the first voiced window to the first second of
        // silence after it (the mute); a short gap of a busy machine is not it.
        size_t first = 0;
        while (first < levels.size() && levels[first] <= kVoicedDb)
            ++first;
        const size_t quietRun = size_t(1.0 / kWindowS);
        size_t last = first;
        while (last < levels.size()) {
            size_t quiet = 0;
            while (last + quiet < levels.size() && levels[last + quiet] <= kSilentDb)
                ++quiet;
            if (quiet >= quietRun || last + quiet >= levels.size())
                break;
            last += quiet + 1;
        }
        QString trace;
        for (size_t i = 0; i < levels.size(); ++i)
            trace += QString("%1:%2dB/%3Hz ").arg(i).arg(levels[i], 0, 'f', 0).arg(pitches[i], 0, 'f', 0);
        qInfo("%s", qPrintable(trace));
        QVERIFY2(last - first >= 16, "the engine did not play for long enough");
        // First and last stretches, keeping clear of the change of speed.
        const size_t span = (last - first) / 3;
        std::vector<double> idle, full;
        for (size_t i = first + 1; i < first + span; ++i)
            if (pitches[i] > 0.0)
                idle.push_back(pitches[i]);
        for (size_t i = last - span; i < last - 1; ++i)
            if (pitches[i] > 0.0)
                full.push_back(pitches[i]);
        const double idlePitch = median(idle), fullPitch = median(full);
        qInfo("engine pitch idle %.1f Hz, full speed %.1f Hz, ratio %.3f", idlePitch, fullPitch,
            idlePitch > 0 ? fullPitch / idlePitch : 0.0);
        QVERIFY(idlePitch > 0.0);
        QVERIFY2(
            std::fabs(fullPitch / idlePitch - 1.75) < 0.08, "the engine pitch does not follow the speed");

        // The ground hit: sound again after the silence.
        size_t silent = last;
        while (silent < levels.size() && levels[silent] <= kVoicedDb)
            ++silent;
        QVERIFY2(silent < levels.size(), "no ground hit after the engine stopped");
        QVERIFY(*std::max_element(levels.begin() + silent, levels.end()) > -30.0);
    }
};

QTEST_MAIN(TestRealAudio)
#include "tst_realaudio.moc"

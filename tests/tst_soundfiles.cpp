// SPDX-License-Identifier: GPL-3.0-or-later
// The embedded wave files: every file the sound manager asks for exists
// in the promised format, has sound in it (duration, RMS and peak are
// printed for the record), the loops join without a jump, and the three
// crowd reactions differ the way they should.

#include "ge/audiobuffer.h"
#include "ge/audiobufferplayinstance.h"

#include <QFile>
#include <QtTest>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {
struct Expected
{
    QString name;
    int rate;
    bool hasList;
};

QList<Expected> expectedFiles()
{
    QList<Expected> files {{"engine1", 22050, false}, {"sliding", 44100, false}, {"ambient1", 22050, false},
        {"ambient2", 22050, false}};
    for (int i = 1; i <= 10; ++i)
        files.append({QString("groundhit%1").arg(i), i <= 3 ? 48000 : 22050, false});
    for (int i = 1; i <= 4; ++i) {
        files.append({QString("crowdcheer%1").arg(i), 22050, i <= 3});
        files.append({QString("crowddisappointment%1").arg(i), 22050, i == 1});
        files.append({QString("crowdawe%1").arg(i), 22050, false});
    }
    return files;
}

std::vector<double> samplesOf(const GE::AudioBuffer &buffer)
{
    std::vector<double> samples(buffer.frameCount());
    for (int i = 0; i < buffer.frameCount(); ++i)
        samples[i] = buffer.sample(i, 0) / 32768.0;
    return samples;
}

double rmsOf(const std::vector<double> &s, size_t from, size_t count)
{
    double sum = 0.0;
    for (size_t i = from; i < from + count && i < s.size(); ++i)
        sum += s[i] * s[i];
    return std::sqrt(sum / double(count));
}

double db(double v)
{
    return 20.0 * std::log10(std::max(v, 1e-9));
}

// Power-weighted mean frequency between low and high (Hz) of a Hann-windowed
// stretch starting at `at` seconds.
double centroid(const std::vector<double> &s, int rate, double at, double lowHz, double highHz)
{
    constexpr int kWindow = 4096;
    const size_t start = size_t(at * rate);
    if (start + kWindow > s.size())
        return 0.0;
    const double binHz = double(rate) / kWindow;
    double weighted = 0.0, total = 0.0;
    for (int k = int(lowHz / binHz); k <= int(highHz / binHz); ++k) {
        double re = 0.0, im = 0.0;
        for (int n = 0; n < kWindow; ++n) {
            const double w = 0.5 - 0.5 * std::cos(2 * M_PI * n / (kWindow - 1));
            const double phase = 2 * M_PI * k * n / kWindow;
            re += w * s[start + n] * std::cos(phase);
            im -= w * s[start + n] * std::sin(phase);
        }
        const double power = re * re + im * im;
        weighted += power * k * binHz;
        total += power;
    }
    return total > 0.0 ? weighted / total : 0.0;
}

std::unique_ptr<GE::AudioBuffer> load(const QString &name)
{
    return std::unique_ptr<GE::AudioBuffer>(GE::AudioBuffer::readWaveFile(":/sounds/" + name + ".wav"));
}
} // namespace

class TestSoundFiles : public QObject
{
    Q_OBJECT

private slots:
    void everyFileLoadsInItsFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("hasList");
        for (const Expected &e : expectedFiles())
            QTest::newRow(qPrintable(e.name)) << e.name << e.rate << e.hasList;
    }

    void everyFileLoadsInItsFormat()
    {
        QFETCH(QString, name);
        QFETCH(int, rate);
        QFETCH(bool, hasList);
        auto buffer = load(name);
        QVERIFY2(buffer, qPrintable(name));
        QCOMPARE(buffer->sampleRate(), rate);
        QCOMPARE(buffer->channelCount(), 1);
        QCOMPARE(buffer->bitsPerSample(), 16);

        QFile file(":/sounds/" + name + ".wav");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const int list = bytes.indexOf("LIST");
        QCOMPARE(list >= 0, hasList);
        if (hasList) {
            QVERIFY(list > bytes.indexOf("fmt "));
            QVERIFY(list < bytes.indexOf("data"));
        }
        // The stdio loader takes only "data" right after "fmt ".
        FILE *stdioFile = fmemopen(const_cast<char *>(bytes.constData()), size_t(bytes.size()), "rb");
        QVERIFY(stdioFile);
        std::unique_ptr<GE::AudioBuffer> viaStdio(GE::AudioBuffer::readWaveFile(stdioFile));
        std::fclose(stdioFile);
        QCOMPARE(viaStdio == nullptr, hasList);

        const std::vector<double> s = samplesOf(*buffer);
        const double seconds = double(s.size()) / rate;
        const double rms = rmsOf(s, 0, s.size());
        double peak = 0.0;
        for (double v : s)
            peak = std::max(peak, std::fabs(v));
        std::printf("SOUND %-22s %5d Hz %6.3f s  RMS %6.1f dBFS  peak %6.1f dBFS\n", qPrintable(name), rate,
            seconds, db(rms), db(peak));
        QVERIFY2(peak < 0.999, "clipped");
        if (name.startsWith("ambient")) {
            // A background: long enough not to be heard repeating, heard but
            // well under the game's own sounds.
            QVERIFY2(seconds >= 8.0 && seconds <= 20.0, qPrintable(QString::number(seconds)));
            QVERIFY2(db(rms) > -45.0 && db(rms) < -28.0, qPrintable(QString::number(db(rms))));
            QVERIFY2(db(peak) < -12.0, "too loud for a background");
            return;
        }
        QVERIFY2(seconds >= 0.3 && seconds <= 4.0, qPrintable(QString::number(seconds)));
        QVERIFY2(db(rms) > -30.0, "too quiet");
        if (!name.startsWith("engine") && !name.startsWith("sliding")) {
            // One-shots end in silence, not with a click.
            QVERIFY(std::fabs(s.back()) < 0.01);
        }
    }

    void loopsJoinWithoutAJump_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("engine") << "engine1";
        QTest::newRow("sliding") << "sliding";
        QTest::newRow("farm ambience") << "ambient1";
        QTest::newRow("canyon ambience") << "ambient2";
    }

    // The player interpolates up to frame count - 2 and then continues at
    // frame 0: the last two frames repeat the first two, and the step across
    // the join is an ordinary step of the sound, at an ordinary level.
    void loopsJoinWithoutAJump()
    {
        QFETCH(QString, name);
        auto buffer = load(name);
        QVERIFY(buffer);
        const std::vector<double> s = samplesOf(*buffer);
        const size_t loop = s.size() - 2;
        QCOMPARE(s[loop], s[0]);
        QCOMPARE(s[loop + 1], s[1]);
        std::vector<double> steps;
        for (size_t i = 1; i < loop; ++i)
            steps.push_back(std::fabs(s[i] - s[i - 1]));
        std::sort(steps.begin(), steps.end());
        const double typical = steps[steps.size() * 99 / 100];
        const double join = std::fabs(s[0] - s[loop - 1]);
        const size_t edge = size_t(buffer->sampleRate() * 0.03);
        const double before = rmsOf(s, loop - edge, edge), after = rmsOf(s, 0, edge);
        std::printf("LOOP %-10s join step %.4f (99th percentile of steps %.4f), level %.1f -> %.1f dBFS\n",
            qPrintable(name), join, typical, db(before), db(after));
        QVERIFY(join <= typical);
        QVERIFY(std::fabs(db(before) - db(after)) < 3.0);
    }

    // A loop with a DC offset thumps when it starts and stops and eats
    // headroom of the mix: the mean of every loop is within 0.2 % of full scale.
    void loopsHaveNoDcOffset_data() { loopsJoinWithoutAJump_data(); }

    void loopsHaveNoDcOffset()
    {
        QFETCH(QString, name);
        auto buffer = load(name);
        QVERIFY(buffer);
        const std::vector<double> s = samplesOf(*buffer);
        double sum = 0.0;
        for (size_t i = 0; i + 2 < s.size(); ++i)
            sum += s[i];
        const double mean = sum / double(s.size() - 2);
        std::printf("DC %-10s mean %+.5f of full scale\n", qPrintable(name), mean);
        QVERIFY2(std::fabs(mean) < 0.002, qPrintable(QString::number(mean)));
    }

    // Played through an endless instance, the engine repeats exactly: the
    // output one loop later is the same, sample for sample.
    void enginePlaysSeamlesslyInTheEngine()
    {
        auto buffer = load("engine1");
        QVERIFY(buffer);
        const int loop = buffer->frameCount() - 2;
        GE::AudioBufferPlayInstance instance(buffer.get());
        instance.setLoopCount(-1);
        std::vector<qint16> out(size_t(loop) * 2 * 3);
        QCOMPARE(instance.fillSamples(out.data(), int(out.size())), int(out.size()));
        for (int i = 0; i < loop * 2; ++i)
            QCOMPARE(out[size_t(i + loop * 2)], out[size_t(i)]);
        QVERIFY(!instance.isDone());
    }

    // Cheers are the brightest and swell at once; an "aww" falls in pitch; an
    // "ooh" is the darkest and rises in pitch. Pitch region 60..450 Hz,
    // brightness 200..5000 Hz.
    void crowdReactionsAreDistinct()
    {
        for (int v = 1; v <= 4; ++v) {
            auto cheer = load(QString("crowdcheer%1").arg(v));
            auto aww = load(QString("crowddisappointment%1").arg(v));
            auto ooh = load(QString("crowdawe%1").arg(v));
            QVERIFY(cheer && aww && ooh);
            const auto c = samplesOf(*cheer), d = samplesOf(*aww), a = samplesOf(*ooh);
            const int r = 22050;
            const double brightC = centroid(c, r, 1.0, 200, 5000), brightD = centroid(d, r, 1.0, 200, 5000),
                         brightA = centroid(a, r, 1.0, 200, 5000);
            const double cheerEarly = db(rmsOf(c, 0, r / 10)), cheerLate = db(rmsOf(c, r / 2, r / 2));
            const double awwEarly = centroid(d, r, 0.15, 60, 450), awwLate = centroid(d, r, 1.5, 60, 450);
            const double oohEarly = centroid(a, r, 0.3, 60, 450), oohLate = centroid(a, r, 1.9, 60, 450);
            std::printf("CROWD %d brightness cheer %.0f aww %.0f ooh %.0f Hz; cheer level %.1f->%.1f dBFS; "
                        "pitch region "
                        "aww %.0f->%.0f, ooh %.0f->%.0f Hz\n",
                v, brightC, brightD, brightA, cheerEarly, cheerLate, awwEarly, awwLate, oohEarly, oohLate);
            QVERIFY(brightC > brightD);
            QVERIFY(brightD > brightA);
            QVERIFY(cheerLate > cheerEarly + 6.0);
            QVERIFY(awwLate < awwEarly * 0.85);
            QVERIFY(oohLate > oohEarly * 1.1);
        }
    }
};

QTEST_MAIN(TestSoundFiles)
#include "tst_soundfiles.moc"

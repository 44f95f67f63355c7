// SPDX-License-Identifier: GPL-3.0-or-later
// The wave loaders: valid files in every sample format, the chunk rules
// (LIST before data, longer "fmt ", pad bytes), and a table of broken files
// that must be refused without reading past the file or allocating what a
// size field claims.

#include "ge/audiobuffer.h"

#include <QBuffer>
#include <QTemporaryFile>
#include <QtTest>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (8 * i)) & 0xff);
    return b;
}

QByteArray le16(quint16 v)
{
    return le32(v).left(2);
}

QByteArray chunk(const QByteArray &id, const QByteArray &body, bool pad = true)
{
    QByteArray c = id + le32(quint32(body.size())) + body;
    if (pad && body.size() % 2)
        c += '\0';
    return c;
}

QByteArray fmtBody(int channels, int rate, int bits, int tag = 1)
{
    const int align = channels * bits / 8;
    return le16(quint16(tag)) + le16(quint16(channels)) + le32(quint32(rate)) + le32(quint32(rate * align))
        + le16(quint16(align)) + le16(quint16(bits));
}

QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + le32(quint32(chunks.size() + 4)) + "WAVE" + chunks;
}

// 16-bit mono samples.
QByteArray pcm16(std::initializer_list<int> samples)
{
    QByteArray b;
    for (int s : samples)
        b += le16(quint16(qint16(s)));
    return b;
}

QByteArray floats(std::initializer_list<float> samples)
{
    QByteArray b;
    for (float f : samples)
        b += QByteArray(reinterpret_cast<const char *>(&f), 4);
    return b;
}

QByteArray simpleWave(const QByteArray &data, int channels = 1, int rate = 22050, int bits = 16)
{
    return riff(chunk("fmt ", fmtBody(channels, rate, bits)) + chunk("data", data));
}

// A device that cannot tell its size, like a pipe.
class SequentialBuffer : public QIODevice
{
public:
    explicit SequentialBuffer(const QByteArray &bytes)
        : m_bytes(bytes)
    { }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin(maxSize, qint64(m_bytes.size()) - m_offset);
        std::memcpy(data, m_bytes.constData() + m_offset, size_t(n));
        m_offset += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_offset = 0;
};

enum class Loader { Device, SequentialDevice, Stdio, FileName };

std::unique_ptr<GE::AudioBuffer> loadWith(Loader loader, const QByteArray &bytes)
{
    switch (loader) {
    case Loader::Device: {
        QBuffer device;
        device.setData(bytes);
        device.open(QIODevice::ReadOnly);
        return std::unique_ptr<GE::AudioBuffer>(GE::AudioBuffer::readWaveFile(device));
    }
    case Loader::SequentialDevice: {
        SequentialBuffer device(bytes);
        device.open(QIODevice::ReadOnly);
        return std::unique_ptr<GE::AudioBuffer>(GE::AudioBuffer::readWaveFile(device));
    }
    case Loader::Stdio: {
        QTemporaryFile file;
        file.open();
        file.write(bytes);
        file.flush();
        FILE *f = std::fopen(QFile::encodeName(file.fileName()).constData(), "rb");
        std::unique_ptr<GE::AudioBuffer> buffer(GE::AudioBuffer::readWaveFile(f));
        if (f)
            std::fclose(f);
        return buffer;
    }
    case Loader::FileName: {
        QTemporaryFile file;
        file.open();
        file.write(bytes);
        file.flush();
        return std::unique_ptr<GE::AudioBuffer>(GE::AudioBuffer::readWaveFile(file.fileName()));
    }
    }
    return nullptr;
}

const Loader kAllLoaders[] = {Loader::Device, Loader::SequentialDevice, Loader::Stdio, Loader::FileName};
} // namespace

class TestAudioBuffer : public QObject
{
    Q_OBJECT

private slots:
    void readsEverySampleFormat()
    {
        for (Loader loader : kAllLoaders) {
            auto mono16 = loadWith(loader, simpleWave(pcm16({0, 1000, -1000, 32767, -32768})));
            QVERIFY(mono16);
            QCOMPARE(mono16->frameCount(), 5);
            QCOMPARE(mono16->sampleRate(), 22050);
            QCOMPARE(mono16->sample(1, 0), qint16(1000));
            QCOMPARE(mono16->sample(4, 0), qint16(-32768));

            auto mono8 = loadWith(loader, simpleWave(QByteArray("\x80\xff\x00", 3), 1, 8000, 8));
            QVERIFY(mono8);
            QCOMPARE(mono8->sample(0, 0), qint16(0));
            QCOMPARE(mono8->sample(1, 0), qint16(127 * 256));
            QCOMPARE(mono8->sample(2, 0), qint16(-32768));

            auto stereo = loadWith(loader, simpleWave(pcm16({1, -1, 2, -2}), 2, 44100));
            QVERIFY(stereo);
            QCOMPARE(stereo->frameCount(), 2);
            QCOMPARE(stereo->sample(1, 0), qint16(2));
            QCOMPARE(stereo->sample(1, 1), qint16(-2));

            // Float: full scale clips instead of wrapping to the opposite sign.
            auto flt = loadWith(
                loader, simpleWave(floats({0.5f, 1.0f, -1.0f, 4.0f, float(qQNaN())}), 1, 22050, 32));
            QVERIFY(flt);
            QCOMPARE(flt->sample(0, 0), qint16(16384));
            QCOMPARE(flt->sample(1, 0), qint16(32767));
            QCOMPARE(flt->sample(2, 0), qint16(-32768));
            QCOMPARE(flt->sample(3, 0), qint16(32767));
            QCOMPARE(flt->sample(4, 0), qint16(0));
        }
    }

    // Chunks between "fmt " and "data" are skipped by the device loaders; the
    // stdio loader needs "data" right after "fmt ".
    void listChunkBeforeData()
    {
        const QByteArray list = chunk("LIST", "INFOINAM" + le32(5) + "Hello" + '\0');
        const QByteArray bytes
            = riff(chunk("fmt ", fmtBody(1, 22050, 16)) + list + chunk("data", pcm16({7, 8, 9})));
        QVERIFY(loadWith(Loader::Device, bytes));
        QVERIFY(loadWith(Loader::SequentialDevice, bytes));
        QVERIFY(loadWith(Loader::FileName, bytes));
        QVERIFY(!loadWith(Loader::Stdio, bytes));
        QCOMPARE(loadWith(Loader::Device, bytes)->sample(2, 0), qint16(9));
    }

    // A longer "fmt " (18 bytes with the extra-size field, or more) is read
    // for its first 16 bytes and the rest is skipped; odd chunks carry a pad
    // byte that is skipped too.
    void longFormatAndPadBytes()
    {
        const QByteArray fmt18 = chunk("fmt ", fmtBody(1, 22050, 16) + le16(0));
        const QByteArray fmt21 = chunk("fmt ", fmtBody(1, 22050, 16) + le16(3) + "abc");
        for (Loader loader : kAllLoaders) {
            auto a = loadWith(loader, riff(fmt18 + chunk("data", pcm16({5, 6}))));
            QVERIFY(a);
            QCOMPARE(a->sample(1, 0), qint16(6));
            auto b = loadWith(loader, riff(fmt21 + chunk("data", pcm16({5, 6}))));
            QVERIFY(b);
            QCOMPARE(b->sample(0, 0), qint16(5));
        }
        const QByteArray odd = chunk("junk", "xyz"); // 3 bytes + pad
        auto c = loadWith(Loader::Device, riff(fmt18 + odd + chunk("data", pcm16({11, 12}))));
        QVERIFY(c);
        QCOMPARE(c->sample(0, 0), qint16(11));
    }

    // Resource paths work and a missing file is refused.
    void openingByName()
    {
        QVERIFY(!GE::AudioBuffer::readWaveFile(QStringLiteral("/nonexistent/velocrag.wav")));
        QVERIFY(!GE::AudioBuffer::readWaveFile(static_cast<FILE *>(nullptr)));
        std::unique_ptr<GE::AudioBuffer> engine(GE::AudioBuffer::readWaveFile(":/sounds/engine1.wav"));
        QVERIFY(engine);
        QObject parent;
        QPointer<GE::AudioBuffer> owned = GE::AudioBuffer::readWaveFile(":sounds/engine1.wav", &parent);
        QVERIFY(owned);
        QCOMPARE(owned->parent(), &parent);
    }

    void brokenFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray fmt = chunk("fmt ", fmtBody(1, 22050, 16));
        const QByteArray good = simpleWave(pcm16({1, 2, 3, 4}));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated header") << good.left(10);
        QTest::newRow("truncated format") << good.left(30);
        QTest::newRow("truncated data") << good.left(good.size() - 1);
        QTest::newRow("wrong magic") << QByteArray("RIFX") + good.mid(4);
        QTest::newRow("not WAVE") << good.left(8) + "AVI " + good.mid(12);
        QTest::newRow("no fmt") << riff(chunk("data", pcm16({1, 2})));
        QTest::newRow("short fmt") << riff(
            chunk("fmt ", fmtBody(1, 22050, 16).left(14)) + chunk("data", pcm16({1})));
        QTest::newRow("no data chunk") << riff(fmt);
        QTest::newRow("zero data") << riff(fmt + chunk("data", QByteArray()));
        QTest::newRow("24-bit") << simpleWave(QByteArray(12, '\1'), 1, 22050, 24);
        QTest::newRow("12-bit") << simpleWave(QByteArray(12, '\1'), 1, 22050, 12);
        QTest::newRow("0 channels") << simpleWave(pcm16({1, 2, 3}), 0);
        QTest::newRow("rate 0") << simpleWave(pcm16({1, 2, 3}), 1, 0);
        QTest::newRow("data shorter than a frame") << simpleWave(QByteArray(3, '\1'), 2, 22050, 16);
        QTest::newRow("huge data size") << riff(fmt) + "data" + le32(0x7ffffff0u) + pcm16({1, 2});
        QTest::newRow("negative data size") << riff(fmt) + "data" + le32(0xfffffff0u) + pcm16({1, 2});
        QTest::newRow("huge skipped chunk")
            << riff(fmt) + "LIST" + le32(0x7ffffff0u) + chunk("data", pcm16({1}));
        QTest::newRow("empty chunk before data")
            << riff(fmt + chunk("LIST", QByteArray()) + chunk("data", pcm16({1})));
        QTest::newRow("huge fmt") << riff(
            "fmt " + le32(0xfffffff0u) + fmtBody(1, 22050, 16) + chunk("data", pcm16({1})));
    }

    void brokenFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        for (Loader loader : kAllLoaders)
            QVERIFY2(!loadWith(loader, bytes), qPrintable(QString("loader %1").arg(int(loader))));
    }
};

QTEST_MAIN(TestAudioBuffer)
#include "tst_audiobuffer.moc"

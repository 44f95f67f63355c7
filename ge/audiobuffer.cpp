// SPDX-License-Identifier: GPL-3.0-or-later
#include "ge/audiobuffer.h"

#include "ge/audiobufferplayinstance.h"
#include "ge/audiofixedpoint.h"
#include "ge/audiomixer.h"
#include "ge/wavereader.h"

#include <QFile>
#include <QIODevice>
#include <cstdlib>
#include <cstring>

namespace GE {

namespace {
constexpr int kUnsigned8Center = 128;
constexpr int kUnsigned8Scale = 256; // 8-bit step in 16-bit units
constexpr float kFloatScale = 32768.0f;

qint16 read16(const uchar *p)
{
    return qint16(quint16(p[0] | p[1] << 8));
}

// Float samples are nominally -1..1; louder ones clip instead of wrapping.
qint16 floatToSample(const uchar *p)
{
    float value;
    std::memcpy(&value, p, sizeof value); // little-endian host assumed, like the rest of the engine
    if (!(value == value))
        return 0; // NaN
    return saturate16(qint64(qBound(-kFloatScale * 2, value * kFloatScale, kFloatScale * 2)));
}
} // namespace

AudioBuffer::AudioBuffer(QObject *parent)
    : QObject(parent)
{ }

AudioBuffer::~AudioBuffer()
{
    std::free(m_data);
}

AudioBuffer *AudioBuffer::readWaveFile(const QString &fileName, QObject *parent)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    AudioBuffer *buffer = readWaveFile(file, parent);
    file.close();
    return buffer;
}

AudioBuffer *AudioBuffer::readWaveFile(QIODevice &device, QObject *parent)
{
    WaveReader reader([&device](char *target, qint64 count) { return device.read(target, count); },
        [&device]() -> qint64 {
            return device.isSequential() ? -1 : qMax<qint64>(0, device.size() - device.pos());
        });
    return reader.read(parent, true);
}

AudioBuffer *AudioBuffer::readWaveFile(FILE *file, QObject *parent)
{
    if (!file)
        return nullptr;
    WaveReader reader(
        [file](char *target, qint64 count) { return qint64(std::fread(target, 1, size_t(count), file)); },
        [file]() -> qint64 {
            const long here = std::ftell(file);
            if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
                return -1;
            const long end = std::ftell(file);
            std::fseek(file, here, SEEK_SET);
            return end < here ? -1 : qint64(end - here);
        });
    return reader.read(parent, false);
}

void AudioBuffer::resizeData(int length)
{
    std::free(m_data);
    m_data = nullptr;
    m_dataLength = 0;
    if (length < 1)
        return;
    m_data = static_cast<uchar *>(std::malloc(size_t(length)));
    if (m_data)
        m_dataLength = length;
}

bool AudioBuffer::setFormat(int channelCount, int bitsPerSample, int sampleRate)
{
    m_channelCount = qint16(qBound(0, channelCount, 0x7fff));
    m_bitsPerSample = qint16(qBound(0, bitsPerSample, 0x7fff));
    m_sampleRate = sampleRate;
    const bool mono = m_channelCount == 1;
    switch (m_bitsPerSample) {
    case 8:
        m_sampleReader = mono ? readMono8 : readMulti8;
        break;
    case 16:
        m_sampleReader = mono ? readMono16 : readMulti16;
        break;
    case 32:
        m_sampleReader = mono ? readMonoFloat : readMultiFloat;
        break;
    default:
        m_sampleReader = nullptr;
    }
    if (m_channelCount < 1 || m_sampleRate < 1)
        m_sampleReader = nullptr;
    return m_sampleReader != nullptr;
}

int AudioBuffer::frameCount() const
{
    const int bytes = frameBytes();
    return bytes > 0 ? m_dataLength / bytes : 0;
}

AudioBufferPlayInstance *AudioBuffer::startOnMixer(AudioMixer &mixer)
{
    auto *instance = new AudioBufferPlayInstance(this);
    if (!mixer.addSource(instance)) {
        delete instance;
        return nullptr;
    }
    return instance;
}

qint16 AudioBuffer::readMono8(const AudioBuffer *buffer, int position, int)
{
    return qint16((int(buffer->m_data[position]) - kUnsigned8Center) * kUnsigned8Scale);
}

qint16 AudioBuffer::readMono16(const AudioBuffer *buffer, int position, int)
{
    return read16(buffer->m_data + qsizetype(position) * 2);
}

qint16 AudioBuffer::readMonoFloat(const AudioBuffer *buffer, int position, int)
{
    return floatToSample(buffer->m_data + qsizetype(position) * 4);
}

qint16 AudioBuffer::readMulti8(const AudioBuffer *buffer, int position, int channel)
{
    const qsizetype index = qsizetype(position) * buffer->m_channelCount + channel;
    return qint16((int(buffer->m_data[index]) - kUnsigned8Center) * kUnsigned8Scale);
}

qint16 AudioBuffer::readMulti16(const AudioBuffer *buffer, int position, int channel)
{
    const qsizetype index = qsizetype(position) * buffer->m_channelCount + channel;
    return read16(buffer->m_data + index * 2);
}

qint16 AudioBuffer::readMultiFloat(const AudioBuffer *buffer, int position, int channel)
{
    const qsizetype index = qsizetype(position) * buffer->m_channelCount + channel;
    return floatToSample(buffer->m_data + index * 4);
}

} // namespace GE

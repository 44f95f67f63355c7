// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUDIOBUFFER_H
#define AUDIOBUFFER_H

#include <QObject>
#include <cstdio>

class QIODevice;

namespace GE {

class AudioBufferPlayInstance;
class AudioMixer;

// One decoded wave file, kept in the sample format of the file (8-bit
// unsigned, 16-bit signed or 32-bit float PCM, any channel count), read one
// sample at a time as signed 16-bit. A buffer can be played by many
// instances at once; it must outlive them.
class AudioBuffer : public QObject
{
    Q_OBJECT

public:
    // Reads the sample at frame `position` of `channel` as signed 16-bit.
    using SampleReader = qint16 (*)(const AudioBuffer *buffer, int position, int channel);

    explicit AudioBuffer(QObject *parent = nullptr);
    ~AudioBuffer() override;

    // Loaders. Each returns null for anything it cannot play: not RIFF/WAVE,
    // a missing or short "fmt " chunk, no channels, rate 0, a sample size
    // other than 8, 16 or 32 bits, no data, or a "data" chunk that claims
    // more bytes than the file holds. Chunks between "fmt " and "data"
    // (e.g. "LIST") are skipped, as are the extra bytes of a longer "fmt ".
    // Resource paths (":/sounds/...") work.
    static AudioBuffer *readWaveFile(const QString &fileName, QObject *parent = nullptr);
    static AudioBuffer *readWaveFile(QIODevice &device, QObject *parent = nullptr);
    // The stdio loader needs "data" right after "fmt " (no other chunks).
    static AudioBuffer *readWaveFile(FILE *file, QObject *parent = nullptr);

    // Replaces the data by `length` uninitialised bytes (none when < 1).
    void resizeData(int length);
    // Sets the sample format and chooses the reader; false when the format
    // has none (the buffer then plays nothing).
    bool setFormat(int channelCount, int bitsPerSample, int sampleRate);

    // Creates an instance that plays this buffer once at volume and speed
    // 1.0 and hands it to the mixer, which owns it from then on; null if the
    // mixer refuses it.
    AudioBufferPlayInstance *startOnMixer(AudioMixer &mixer);

    uchar *data() { return m_data; }
    const uchar *data() const { return m_data; }
    int dataLength() const { return m_dataLength; }
    int channelCount() const { return m_channelCount; }
    int bitsPerSample() const { return m_bitsPerSample; }
    int sampleRate() const { return m_sampleRate; }
    // Bytes of one frame (one sample of every channel); 0 without a format.
    int frameBytes() const { return m_bitsPerSample / 8 * m_channelCount; }
    // Whole frames in the data.
    int frameCount() const;
    bool hasSampleReader() const { return m_sampleReader != nullptr; }
    // position < frameCount(), channel 0 or 1 (1 only for stereo buffers).
    qint16 sample(int position, int channel) const { return m_sampleReader(this, position, channel); }

private:
    static qint16 readMono8(const AudioBuffer *buffer, int position, int channel);
    static qint16 readMono16(const AudioBuffer *buffer, int position, int channel);
    static qint16 readMonoFloat(const AudioBuffer *buffer, int position, int channel);
    static qint16 readMulti8(const AudioBuffer *buffer, int position, int channel);
    static qint16 readMulti16(const AudioBuffer *buffer, int position, int channel);
    static qint16 readMultiFloat(const AudioBuffer *buffer, int position, int channel);

    SampleReader m_sampleReader = nullptr;
    uchar *m_data = nullptr;
    int m_dataLength = 0;
    qint16 m_channelCount = 0;
    qint16 m_bitsPerSample = 0;
    int m_sampleRate = 0;
};

} // namespace GE

#endif

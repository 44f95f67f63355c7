#ifndef AUDIOBUFFERPLAYINSTANCE_H
#define AUDIOBUFFERPLAYINSTANCE_H

#include "ge/audiosource.h"

namespace GE {

class AudioBuffer;

// Plays one AudioBuffer into a mixer with its own left and right volume,
// playback speed (linear interpolation between frames) and loop count.
//
// Loop count is the total number of plays: 0 and 1 play once, n plays n
// times, a negative count plays until stop(). When the last play ends the
// instance emits finished() (from the audio thread) and, with
// deleteWhenDone (the default), lets the mixer delete it.
//
// The setters run in the GUI thread and write single ints without a lock;
// fillSamples() runs in the audio thread under the mixer's lock.
class AudioBufferPlayInstance : public AudioSource
{
    Q_OBJECT

public:
    explicit AudioBufferPlayInstance(AudioBuffer *buffer = nullptr, QObject *parent = nullptr);
    ~AudioBufferPlayInstance() override;

    bool hasBuffer() const { return m_buffer != nullptr; }
    bool isDone() const { return m_done; }
    void setDeleteWhenDone(bool deleteWhenDone) { m_deleteWhenDone = deleteWhenDone; }
    bool mayBeDeleted() override;
    int fillSamples(qint16 *target, int sampleCount) override;

    // Fixed-point state (4096 = 1.0); read position in frames x 4096.
    qint64 readPos() const { return m_readPos; }
    int readStep() const { return m_readStep; }
    int leftGain() const { return m_leftGain; }
    int rightGain() const { return m_rightGain; }
    int loopCount() const { return m_loopCount; }

signals:
    void finished();

public slots:
    // Start from the beginning; volumes and speed are kept.
    void playBuffer(GE::AudioBuffer *buffer, int loopCount);
    void playBuffer(GE::AudioBuffer *buffer);
    void playBuffer(GE::AudioBuffer *buffer, float volume, float speed, int loopCount);
    void playBuffer(GE::AudioBuffer *buffer, float volume, float speed);
    void stop();
    void setLoopCount(int count);
    // Playback rate relative to the buffer's own rate (1.0 = as recorded).
    // Without a buffer nothing happens; 0 or less means "as recorded" at the
    // next pull.
    void setSpeed(float speed);
    void setLeftVolume(float volume);
    void setRightVolume(float volume);

private:
    // Renders up to `frames` frames from the read position; returns how many.
    int renderFrames(const AudioBuffer *buffer, int step, qint16 *target, int frames);
    // Read step for a playback rate; 0 for rates of 0 or less (and NaN).
    static int stepFor(const AudioBuffer *buffer, float speed);

    AudioBuffer *m_buffer = nullptr;
    bool m_done = false;
    bool m_deleteWhenDone = true;
    // 64-bit: 32 bits of frames x 4096 would end after 2^19 frames (24 s at 22050 Hz).
    qint64 m_readPos = 0;
    int m_readStep = 0;
    int m_leftGain;
    int m_rightGain;
    int m_reserved = 0;
    int m_loopCount = 0;
};

} // namespace GE

#endif

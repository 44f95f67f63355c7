// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUDIOBUFFERPLAYINSTANCE_H
#define AUDIOBUFFERPLAYINSTANCE_H

#include "ge/audiosource.h"

#include <atomic>

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
// The setters run in the GUI thread and fillSamples() in the audio thread
// (under the mixer's lock, which the setters do not take): every value both
// threads touch is atomic. Gains, speed and loop count are independent
// values (relaxed order); a restart is handed over as a request that the
// next pull carries out, so that the audio thread's own position update can
// never undo it.
class AudioBufferPlayInstance : public AudioSource
{
    Q_OBJECT

public:
    explicit AudioBufferPlayInstance(AudioBuffer *buffer = nullptr, QObject *parent = nullptr);
    ~AudioBufferPlayInstance() override;

    bool hasBuffer() const { return m_buffer.load(std::memory_order_acquire) != nullptr; }
    bool isDone() const { return m_done.load(std::memory_order_acquire); }
    void setDeleteWhenDone(bool deleteWhenDone) { m_deleteWhenDone.store(deleteWhenDone); }
    bool mayBeDeleted() override;
    int fillSamples(qint16 *target, int sampleCount) override;

    // Fixed-point state (4096 = 1.0); read position in frames x 4096.
    qint64 readPos() const;
    int readStep() const { return m_readStep.load(std::memory_order_relaxed); }
    int leftGain() const { return m_leftGain.load(std::memory_order_relaxed); }
    int rightGain() const { return m_rightGain.load(std::memory_order_relaxed); }
    int loopCount() const { return m_loopCount.load(std::memory_order_relaxed); }

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
    // Renders up to `frames` frames from readPos and advances it; returns how many.
    int renderFrames(const AudioBuffer *buffer, int step, qint64 &readPos, qint16 *target, int frames);
    // Read step for a playback rate; 0 for rates of 0 or less (and NaN).
    static int stepFor(const AudioBuffer *buffer, float speed);

    // Starts the buffer from frame 0 at the next pull.
    void restart(AudioBuffer *buffer, int loopCount);

    std::atomic<AudioBuffer *> m_buffer {nullptr};
    std::atomic<bool> m_done {false};
    std::atomic<bool> m_deleteWhenDone {true};
    std::atomic<bool> m_restartRequested {false};
    // 64-bit: 32 bits of frames x 4096 would end after 2^19 frames (24 s at 22050 Hz).
    std::atomic<qint64> m_readPos {0};
    std::atomic<int> m_readStep {0};
    std::atomic<int> m_leftGain;
    std::atomic<int> m_rightGain;
    std::atomic<int> m_loopCount {0};
};

} // namespace GE

#endif

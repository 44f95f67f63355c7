// SPDX-License-Identifier: GPL-3.0-or-later
#include "ge/audiobufferplayinstance.h"

#include "ge/audiobuffer.h"
#include "ge/audiofixedpoint.h"

#include <algorithm>

namespace GE {

namespace {
// Frames kept after the loop end so that interpolation always has a next
// frame: base positions stay below frameCount - kTailFrames.
constexpr int kTailFrames = 2;
// Fastest playback: a step of this many frames per output frame.
constexpr double kMaxStepFrames = 1 << 18;
} // namespace

AudioBufferPlayInstance::AudioBufferPlayInstance(AudioBuffer *buffer, QObject *parent)
    : AudioSource(parent)
    , m_leftGain(kFixedOne)
    , m_rightGain(kFixedOne)
{
    if (buffer)
        playBuffer(buffer, 1.0f, 1.0f, 0);
}

AudioBufferPlayInstance::~AudioBufferPlayInstance() = default;

bool AudioBufferPlayInstance::mayBeDeleted()
{
    return m_done.load(std::memory_order_acquire) && m_deleteWhenDone.load(std::memory_order_relaxed);
}

qint64 AudioBufferPlayInstance::readPos() const
{
    if (m_restartRequested.load(std::memory_order_acquire))
        return 0;
    return m_readPos.load(std::memory_order_relaxed);
}

void AudioBufferPlayInstance::restart(AudioBuffer *buffer, int loopCount)
{
    m_loopCount.store(loopCount, std::memory_order_relaxed);
    m_restartRequested.store(true, std::memory_order_release);
    m_buffer.store(buffer, std::memory_order_release);
}

void AudioBufferPlayInstance::playBuffer(AudioBuffer *buffer, int loopCount)
{
    restart(buffer, loopCount);
}

void AudioBufferPlayInstance::playBuffer(AudioBuffer *buffer)
{
    playBuffer(buffer, 0);
}

void AudioBufferPlayInstance::playBuffer(AudioBuffer *buffer, float volume, float speed, int loopCount)
{
    const int gain = volumeToFixed(volume);
    m_leftGain.store(gain, std::memory_order_relaxed);
    m_rightGain.store(gain, std::memory_order_relaxed);
    if (buffer)
        m_readStep.store(stepFor(buffer, speed), std::memory_order_relaxed);
    restart(buffer, loopCount);
}

void AudioBufferPlayInstance::playBuffer(AudioBuffer *buffer, float volume, float speed)
{
    playBuffer(buffer, volume, speed, 0);
}

void AudioBufferPlayInstance::stop()
{
    m_buffer.store(nullptr, std::memory_order_release);
    m_done.store(true, std::memory_order_release);
    emit finished();
}

void AudioBufferPlayInstance::setLoopCount(int count)
{
    m_loopCount.store(count, std::memory_order_relaxed);
}

void AudioBufferPlayInstance::setSpeed(float speed)
{
    const AudioBuffer *buffer = m_buffer.load(std::memory_order_acquire);
    if (!buffer)
        return;
    m_readStep.store(stepFor(buffer, speed), std::memory_order_relaxed);
}

int AudioBufferPlayInstance::stepFor(const AudioBuffer *buffer, float speed)
{
    if (!(speed > 0.0f))
        return 0;
    const double step = double(buffer->sampleRate()) * kFixedOne * double(speed) / kOutputSampleRate;
    return std::max(1, int(std::min(step, kMaxStepFrames * kFixedOne)));
}

void AudioBufferPlayInstance::setLeftVolume(float volume)
{
    m_leftGain.store(volumeToFixed(volume), std::memory_order_relaxed);
}

void AudioBufferPlayInstance::setRightVolume(float volume)
{
    m_rightGain.store(volumeToFixed(volume), std::memory_order_relaxed);
}

int AudioBufferPlayInstance::renderFrames(
    const AudioBuffer *buffer, int step, qint64 &readPos, qint16 *target, int frames)
{
    if (!buffer->hasSampleReader())
        return 0;
    const bool stereo = buffer->channelCount() == 2;
    const qint64 left = m_leftGain.load(std::memory_order_relaxed);
    const qint64 right = m_rightGain.load(std::memory_order_relaxed);
    qint64 pos = readPos;
    for (int n = 0; n < frames; ++n) {
        const int i = int(pos >> kFixedShift);
        const qint64 f = pos & kFixedFractionMask;
        const qint64 v0
            = (buffer->sample(i + 1, 0) * f + buffer->sample(i, 0) * (kFixedOne - f)) >> kFixedShift;
        const qint64 v1 = stereo
            ? (buffer->sample(i + 1, 1) * f + buffer->sample(i, 1) * (kFixedOne - f)) >> kFixedShift
            : v0;
        target[2 * n] = saturate16((v0 * left) >> kFixedShift);
        target[2 * n + 1] = saturate16((v1 * right) >> kFixedShift);
        pos += step;
    }
    readPos = pos;
    return frames;
}

int AudioBufferPlayInstance::fillSamples(qint16 *target, int sampleCount)
{
    // The GUI thread may stop() meanwhile; keep the buffer of this pull.
    const AudioBuffer *buffer = m_buffer.load(std::memory_order_acquire);
    if (!buffer)
        return 0;
    if (m_restartRequested.exchange(false, std::memory_order_acq_rel))
        m_readPos.store(0, std::memory_order_relaxed);
    const qint64 end = buffer->frameCount() - kTailFrames;
    if (end < 1) {
        // Too short to interpolate: nothing to play.
        stop();
        return 0;
    }
    const qint64 endPos = end << kFixedShift;
    // Only this thread moves the position (a restart is a request, above).
    qint64 readPos = m_readPos.load(std::memory_order_relaxed);
    int frames = sampleCount / 2;
    int written = 0;
    while (frames > 0) {
        int step = m_readStep.load(std::memory_order_relaxed);
        if (step <= 0) {
            // "As recorded" unless the GUI thread set a speed meanwhile.
            const int asRecorded = stepFor(buffer, 1.0f);
            if (m_readStep.compare_exchange_strong(step, asRecorded, std::memory_order_relaxed))
                step = asRecorded;
        }
        // Output frames whose base position is still before the loop end.
        const qint64 remaining = (endPos - readPos + step - 1) / step;
        if (remaining >= 1) {
            const int count = renderFrames(
                buffer, step, readPos, target + 2 * written, int(std::min<qint64>(frames, remaining)));
            if (count == 0)
                break;
            written += count;
            frames -= count;
        } else {
            readPos = endPos;
        }
        if (readPos >= endPos) {
            // Loop point: frame 0 plus the overshoot.
            readPos -= endPos;
            int loops = m_loopCount.load(std::memory_order_relaxed);
            if (loops > 0)
                loops = m_loopCount.fetch_sub(1, std::memory_order_relaxed) - 1;
            if (loops == 0) {
                stop();
                break;
            }
        }
    }
    m_readPos.store(readPos, std::memory_order_relaxed);
    return written * 2;
}

} // namespace GE

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
    Q_UNUSED(m_reserved);
    if (buffer)
        playBuffer(buffer, 1.0f, 1.0f, 0);
}

AudioBufferPlayInstance::~AudioBufferPlayInstance() = default;

bool AudioBufferPlayInstance::mayBeDeleted()
{
    return m_done && m_deleteWhenDone;
}

void AudioBufferPlayInstance::playBuffer(AudioBuffer *buffer, int loopCount)
{
    m_buffer = buffer;
    m_loopCount = loopCount;
    m_readPos = 0;
}

void AudioBufferPlayInstance::playBuffer(AudioBuffer *buffer)
{
    playBuffer(buffer, 0);
}

void AudioBufferPlayInstance::playBuffer(AudioBuffer *buffer, float volume, float speed, int loopCount)
{
    m_leftGain = m_rightGain = volumeToFixed(volume);
    m_buffer = buffer;
    setSpeed(speed);
    m_loopCount = loopCount;
    m_readPos = 0;
}

void AudioBufferPlayInstance::playBuffer(AudioBuffer *buffer, float volume, float speed)
{
    playBuffer(buffer, volume, speed, 0);
}

void AudioBufferPlayInstance::stop()
{
    m_buffer = nullptr;
    m_done = true;
    emit finished();
}

void AudioBufferPlayInstance::setLoopCount(int count)
{
    m_loopCount = count;
}

void AudioBufferPlayInstance::setSpeed(float speed)
{
    if (!m_buffer)
        return;
    m_readStep = stepFor(m_buffer, speed);
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
    m_leftGain = volumeToFixed(volume);
}

void AudioBufferPlayInstance::setRightVolume(float volume)
{
    m_rightGain = volumeToFixed(volume);
}

int AudioBufferPlayInstance::renderFrames(const AudioBuffer *buffer, int step, qint16 *target, int frames)
{
    if (!buffer->hasSampleReader())
        return 0;
    const bool stereo = buffer->channelCount() == 2;
    const qint64 left = m_leftGain, right = m_rightGain;
    for (int n = 0; n < frames; ++n) {
        const int i = int(m_readPos >> kFixedShift);
        const qint64 f = m_readPos & kFixedFractionMask;
        const qint64 v0
            = (buffer->sample(i + 1, 0) * f + buffer->sample(i, 0) * (kFixedOne - f)) >> kFixedShift;
        const qint64 v1 = stereo
            ? (buffer->sample(i + 1, 1) * f + buffer->sample(i, 1) * (kFixedOne - f)) >> kFixedShift
            : v0;
        target[2 * n] = saturate16((v0 * left) >> kFixedShift);
        target[2 * n + 1] = saturate16((v1 * right) >> kFixedShift);
        m_readPos += step;
    }
    return frames;
}

int AudioBufferPlayInstance::fillSamples(qint16 *target, int sampleCount)
{
    // The GUI thread may stop() meanwhile; keep the buffer of this pull.
    const AudioBuffer *buffer = m_buffer;
    if (!buffer)
        return 0;
    const qint64 end = buffer->frameCount() - kTailFrames;
    if (end < 1) {
        // Too short to interpolate: nothing to play.
        stop();
        return 0;
    }
    const qint64 endPos = end << kFixedShift;
    int frames = sampleCount / 2;
    int written = 0;
    while (frames > 0) {
        int step = m_readStep; // written by the GUI thread at any time
        if (step <= 0)
            m_readStep = step = stepFor(buffer, 1.0f);
        // Output frames whose base position is still before the loop end.
        const qint64 remaining = (endPos - m_readPos + step - 1) / step;
        if (remaining >= 1) {
            const int count
                = renderFrames(buffer, step, target + 2 * written, int(std::min<qint64>(frames, remaining)));
            if (count == 0)
                return written * 2;
            written += count;
            frames -= count;
        } else {
            m_readPos = endPos;
        }
        if (m_readPos >= endPos) {
            // Loop point: frame 0 plus the overshoot.
            m_readPos -= endPos;
            if (m_loopCount > 0)
                --m_loopCount;
            if (m_loopCount == 0) {
                stop();
                break;
            }
        }
    }
    return written * 2;
}

} // namespace GE

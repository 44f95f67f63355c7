// SPDX-License-Identifier: GPL-3.0-or-later
#include "ge/audiomixer.h"

#include "ge/audiofixedpoint.h"

#include <QMutexLocker>
#include <algorithm>
#include <cstdlib>

namespace GE {

AudioMixer::AudioMixer(QObject *parent)
    : AudioSource(parent)
    , m_fixedGain(kFixedOne)
    , m_limiterGain(kFixedOne)
{ }

AudioMixer::~AudioMixer()
{
    deleteAllSources();
}

bool AudioMixer::addSource(AudioSource *source)
{
    if (!source)
        return false;
    QMutexLocker locker(&m_lock);
    if (m_sources.size() >= kMaxSources || m_sources.contains(source))
        return false;
    m_sources.append(source);
    return true;
}

bool AudioMixer::removeSource(AudioSource *source)
{
    QMutexLocker locker(&m_lock);
    return m_sources.removeOne(source);
}

void AudioMixer::deleteAllSources()
{
    QMutexLocker locker(&m_lock);
    qDeleteAll(m_sources);
    m_sources.clear();
}

int AudioMixer::sourceCount()
{
    QMutexLocker locker(&m_lock);
    return static_cast<int>(m_sources.size());
}

float AudioMixer::totalVolume()
{
    return float(fixedGain()) * float(sourceCount()) / float(kFixedOne);
}

void AudioMixer::setAbsoluteVolume(float volume)
{
    const int gain = volumeToFixed(volume);
    m_fixedGain.store(gain, std::memory_order_relaxed);
    emit absoluteVolumeChanged(float(gain));
}

void AudioMixer::setGeneralVolume(float volume)
{
    const int count = sourceCount();
    if (volume == 0.0f)
        m_fixedGain.store(0, std::memory_order_relaxed);
    else if (count > 0)
        m_fixedGain.store(volumeToFixed(volume / float(count)), std::memory_order_relaxed);
    emit generalVolumeChanged(float(fixedGain()));
}

int AudioMixer::fillSamples(qint16 *target, int length)
{
    QMutexLocker locker(&m_lock);
    if (m_sources.isEmpty() || length <= 0)
        return 0;
    const size_t count = size_t(length);
    if (m_scratch.size() < count) {
        m_scratch.resize(count);
        m_sum.resize(count);
    }
    std::fill_n(m_sum.begin(), count, 0);
    const int gain = fixedGain();
    for (auto it = m_sources.begin(); it != m_sources.end();) {
        AudioSource *source = *it;
        const int got = std::min(source->fillSamples(m_scratch.data(), length), length);
        for (int i = 0; i < got; ++i)
            m_sum[i] += (int(m_scratch[i]) * gain) >> kFixedShift;
        if (source->mayBeDeleted()) {
            delete source;
            it = m_sources.erase(it);
        } else {
            ++it;
        }
    }
    limit(target, length);
    return length;
}

void AudioMixer::limit(qint16 *target, int length)
{
    int peak = 0;
    for (int i = 0; i < length; ++i)
        peak = std::max(peak, std::abs(m_sum[i]));
    const qint64 frames = length / kOutputChannels;
    qint64 gain = m_limiterGain.load(std::memory_order_relaxed);
    gain = std::min<qint64>(kFixedOne, gain + frames * kFixedOne / kLimiterReleaseFrames);
    // Largest gain that keeps this block's peak at or under the ceiling.
    if (peak > 0)
        gain = std::min<qint64>(gain, qint64(kLimiterCeiling) * kFixedOne / peak);
    m_limiterGain.store(int(gain), std::memory_order_relaxed);
    for (int i = 0; i < length; ++i)
        target[i] = saturate16((qint64(m_sum[i]) * gain) >> kFixedShift);
}

} // namespace GE

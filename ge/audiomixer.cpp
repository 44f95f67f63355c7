#include "ge/audiomixer.h"

#include "ge/audiofixedpoint.h"

#include <QMutexLocker>
#include <algorithm>

namespace GE {

AudioMixer::AudioMixer(QObject *parent)
    : AudioSource(parent)
    , m_fixedGain(kFixedOne)
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
    if (m_sources.contains(source))
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
    return float(m_fixedGain) * float(sourceCount()) / float(kFixedOne);
}

void AudioMixer::setAbsoluteVolume(float volume)
{
    m_fixedGain = volumeToFixed(volume);
    emit absoluteVolumeChanged(float(m_fixedGain));
}

void AudioMixer::setGeneralVolume(float volume)
{
    const int count = sourceCount();
    if (volume == 0.0f)
        m_fixedGain = 0;
    else if (count > 0)
        m_fixedGain = volumeToFixed(volume / float(count));
    emit generalVolumeChanged(float(m_fixedGain));
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
    const int gain = m_fixedGain;
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
    for (int i = 0; i < length; ++i)
        target[i] = saturate16(m_sum[i]);
    return length;
}

} // namespace GE

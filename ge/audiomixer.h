// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUDIOMIXER_H
#define AUDIOMIXER_H

#include "ge/audiosource.h"

#include <QList>
#include <QMutex>
#include <atomic>
#include <vector>

namespace GE {

// Mixes any number of sources into one stereo stream, each scaled by the
// same fixed-point gain. The sum passes a peak limiter: a block whose peak
// would exceed kLimiterCeiling is scaled down as a whole (instant attack),
// and the gain recovers over kLimiterReleaseFrames, so the output never
// reaches full scale and never clips. The mixer owns its sources and deletes
// those that say they may be deleted right after the pull in which they
// finished.
//
// Threads: sources are added and removed from the GUI thread and mixed from
// the output thread; the lock covers the list and the scratch buffers. The
// gain is an atomic written without the lock (relaxed: a block mixed at the
// previous gain is harmless).
class AudioMixer : public AudioSource
{
    Q_OBJECT

public:
    explicit AudioMixer(QObject *parent = nullptr);
    ~AudioMixer() override;

    // Most sources mixed at once. One-shot sources are freed only by a pull
    // after they end, so a mixer that nobody pulls (no output device) would
    // otherwise grow with every sound started.
    static constexpr int kMaxSources = 64;
    // Highest output sample magnitude (-0.48 dBFS).
    static constexpr int kLimiterCeiling = 31000;
    // Frames over which the limiter's gain returns from 0 to 1 (200 ms).
    static constexpr int kLimiterReleaseFrames = 4410;

    // Refuses null, a source that is already mixed and any source beyond
    // kMaxSources; the mixer owns what it takes, the caller keeps the rest.
    bool addSource(AudioSource *source);
    // Removes the first occurrence without deleting it; true if found.
    bool removeSource(AudioSource *source);
    void deleteAllSources();
    int sourceCount();
    // Per-source gain in fixed point (4096 = 1.0).
    int fixedGain() const { return m_fixedGain.load(std::memory_order_relaxed); }
    // fixedGain x sourceCount / 4096: the loudness of all sources together.
    float totalVolume();
    // The limiter's gain of the last pull (4096 = no reduction).
    int limiterGain() const { return m_limiterGain.load(std::memory_order_relaxed); }

    int fillSamples(qint16 *target, int length) override;

signals:
    void absoluteVolumeChanged(float volume);
    void generalVolumeChanged(float volume);

public slots:
    // Gain of each source (1.0 = unchanged).
    void setAbsoluteVolume(float volume);
    // Gain such that all current sources together have this loudness.
    void setGeneralVolume(float volume);

private:
    // Writes the running sum to target through the peak limiter.
    void limit(qint16 *target, int length);

    QList<AudioSource *> m_sources;
    std::vector<qint16> m_scratch; // one source's samples
    std::vector<int> m_sum; // running sum before limiting
    QMutex m_lock;
    std::atomic<int> m_fixedGain;
    std::atomic<int> m_limiterGain; // written by the pulling thread only
};

} // namespace GE

#endif

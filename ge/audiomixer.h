#ifndef AUDIOMIXER_H
#define AUDIOMIXER_H

#include "ge/audiosource.h"

#include <QList>
#include <QMutex>
#include <vector>

namespace GE {

// Mixes any number of sources into one stereo stream, each scaled by the
// same fixed-point gain; the sum is limited to the 16-bit range. The mixer
// owns its sources and deletes those that say they may be deleted right
// after the pull in which they finished.
//
// Threads: sources are added and removed from the GUI thread and mixed from
// the output thread; the lock covers the list and the scratch buffers. The
// gain is a plain int written without the lock (a stale value for one block
// is harmless).
class AudioMixer : public AudioSource
{
    Q_OBJECT

public:
    explicit AudioMixer(QObject *parent = nullptr);
    ~AudioMixer() override;

    // Refuses null and a source that is already mixed; the mixer owns it.
    bool addSource(AudioSource *source);
    // Removes the first occurrence without deleting it; true if found.
    bool removeSource(AudioSource *source);
    void deleteAllSources();
    int sourceCount();
    // Per-source gain in fixed point (4096 = 1.0).
    int fixedGain() const { return m_fixedGain; }
    // fixedGain x sourceCount / 4096: the loudness of all sources together.
    float totalVolume();

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
    QList<AudioSource *> m_sources;
    std::vector<qint16> m_scratch; // one source's samples
    std::vector<int> m_sum; // running sum before limiting
    QMutex m_lock;
    int m_fixedGain;
};

} // namespace GE

#endif

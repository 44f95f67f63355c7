// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SOUNDMANAGERGEAUDIO_H
#define SOUNDMANAGERGEAUDIO_H

#include "sound/soundmanager.h"

#include <QVector>

namespace GE {
class AudioBuffer;
class AudioBufferPlayInstance;
class AudioMixer;
class AudioOut;
} // namespace GE

// Plays the embedded wave files (":/sounds/") through the game's own mixer
// and output thread. Buffers are loaded on first use and kept; a file that
// cannot be loaded is reported once and its sound skipped.
//
// The output thread finds and opens the audio device on its own; until it is
// ready the game is silent: loops (engine, skid, ambience) wait in the mixer
// and one-shots are not started at all, so that nothing piles up in a mixer
// that nobody pulls. Destruction waits at most kTeardownWaitMs for the
// output thread; one held by an unresponsive audio server is left to end by
// itself (it no longer touches the mixer).
class SoundManagerGEAudio : public SoundManager
{
    Q_OBJECT

public:
    enum class Output {
        DefaultDevice, // play through the default audio output
        None // mix only (the mixer is pulled by whoever wants samples)
    };

    explicit SoundManagerGEAudio(QObject *parent = nullptr);
    SoundManagerGEAudio(Output output, QObject *parent = nullptr);
    ~SoundManagerGEAudio() override;

    GE::AudioMixer *mixer() const { return m_mixer; }
    // Null with Output::None.
    GE::AudioOut *audioOut() const { return m_audioOut; }
    GE::AudioBufferPlayInstance *currentEngineInstance() const { return m_currentEngine; }
    GE::AudioBufferPlayInstance *slidingInstance() const { return m_sliding; }
    GE::AudioBufferPlayInstance *ambientInstance() const { return m_ambient; }

    static constexpr int kTeardownWaitMs = 300;

public slots:
    // Also sets the mixer's gain to volume / 100.
    void setVolume(int volume) override;

protected:
    // Folder of the wave files, with a trailing slash.
    virtual QString soundPath() const;

    void playEngineVariant(int variant, qreal speed) override;
    void playGroundHitVariant(int variant, qreal volume) override;
    void playCrowdCheerVariant(int variant) override;
    void playCrowdDisappointmentVariant(int variant) override;
    void playCrowdAweVariant(int variant) override;
    void setSlidingVolume(qreal slidingFactor) override;
    void applyMotorVolume() override;
    void setAmbientLoop(int pack) override;
    // True when something pulls the mixer: a ready output device, or the
    // caller with Output::None.
    virtual bool isOutputReady() const;

private:
    // One family of variant files ("groundhit1.wav" ...), loaded lazily.
    struct Family
    {
        QString name;
        QVector<GE::AudioBuffer *> buffers;
        QVector<bool> failed;
    };

    void initFamily(Family &family, const QString &name, int variants);
    GE::AudioBuffer *buffer(Family &family, int variant);
    GE::AudioBuffer *load(const QString &fileName);
    // Starts an instance of buffer on the mixer (owned by the mixer; null
    // when there is no buffer, or for a one-shot while the output is not ready).
    GE::AudioBufferPlayInstance *start(GE::AudioBuffer *buffer, qreal volume, int loopCount);

    GE::AudioMixer *m_mixer;
    GE::AudioOut *m_audioOut = nullptr;
    Family m_engine;
    Family m_groundHit;
    Family m_crowdCheer;
    Family m_crowdDisappointment;
    Family m_crowdAwe;
    Family m_ambience; // one variant per level pack
    GE::AudioBuffer *m_slidingBuffer = nullptr;
    bool m_slidingFailed = false;
    QVector<GE::AudioBufferPlayInstance *> m_engineInstances;
    GE::AudioBufferPlayInstance *m_currentEngine = nullptr;
    GE::AudioBufferPlayInstance *m_sliding = nullptr;
    GE::AudioBufferPlayInstance *m_ambient = nullptr;
    int m_ambientPlaying = 0; // pack of m_ambient
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SOUNDMANAGER_H
#define SOUNDMANAGER_H

#include <QElapsedTimer>
#include <QObject>

class QPropertyAnimation;

// The game's sound interface. The game controller and the bike tell it about
// engine speed, throttle, ground hits, sliding, crowd reactions, volume and
// muting; it never exposes audio data. This base class holds the whole policy
// (rate limits, random choice of variants, volume ramps, engine pitch); the
// subclasses only play (or do not play) the chosen variant.
//
// Volumes are percentages 0..100; the engine speed factor is 0..1 and maps to
// a playback rate of 1.0x (idle) .. 1.75x of the recorded engine note.
// All calls come from the GUI thread.
class SoundManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int motorVolume READ motorVolume WRITE setMotorVolume)
    Q_PROPERTY(qreal motorSpeed READ motorSpeed WRITE setMotorSpeed)

public:
    explicit SoundManager(QObject *parent = nullptr);
    ~SoundManager() override;

    virtual bool isSoundsEnabled() const;

    int volume() const { return m_volume; }
    int motorVolume() const { return m_motorVolume; }
    qreal motorSpeed() const { return m_motorSpeed; }
    bool throttle() const { return m_throttle; }
    int ambientPack() const { return m_ambientPack; }

    // Clamps to 0..100 and applies the engine volume at once.
    void setMotorVolume(int volume);

public slots:
    virtual void setSoundsEnabled(bool soundsEnabled);
    virtual void setVolume(int volume);
    virtual void playGameStartSound();
    // Ground hits closer together than 200 ms are dropped; vol is the
    // loudness of the hit (1.0 = nominal).
    virtual void playGroundHitSound(qreal vol);
    // slidingFactor 0 silences the skid at once; other values are applied at
    // most every 50 ms and only when they differ by 0.1 or more.
    virtual void playSlidingSound(qreal slidingFactor);
    virtual void playCrowdCheerSound();
    virtual void playCrowdDisappointmentSound();
    virtual void playCrowdAweSound();
    // Silences the engine and the skid; with fading the engine fades out over
    // a second while it winds down in pitch.
    virtual void mute(bool fading);
    void mute() { mute(false); }
    virtual void unmute();
    virtual void stop();
    virtual void unstop();
    virtual void increaseVolume(int step);
    void increaseVolume() { increaseVolume(kDefaultVolumeStep); }
    virtual void decreaseVolume(int step);
    void decreaseVolume() { decreaseVolume(kDefaultVolumeStep); }
    // Called every simulation step with the bike's speed factor (0..1).
    virtual void setMotorSpeed(qreal motorSpeedFactor);
    virtual void setThrottle(bool throttle);
    // The level pack whose ambient loop plays (0 or an unknown pack: none).
    // The loop plays while sounds are enabled and the game is not stopped;
    // the volume applies to it like to every other sound.
    void setAmbientPack(int pack);

protected:
    static constexpr int kDefaultVolumeStep = 10;

    // Pushes the current speed to the engine sound.
    virtual void updateEngine();

    // What the subclasses play. speed is the playback rate (1.0 = recorded),
    // volume and slidingFactor are linear factors.
    virtual void playEngineVariant(int variant, qreal speed) = 0;
    virtual void playGroundHitVariant(int variant, qreal volume) = 0;
    virtual void playCrowdCheerVariant(int variant) = 0;
    virtual void playCrowdDisappointmentVariant(int variant) = 0;
    virtual void playCrowdAweVariant(int variant) = 0;
    virtual void setSlidingVolume(qreal slidingFactor) = 0;
    // Applies motorVolume() to the playing engine sound.
    virtual void applyMotorVolume() = 0;
    // Plays the ambient loop of this pack, replacing any other; 0 stops it.
    virtual void setAmbientLoop(int pack);

    // Milliseconds on a monotonic clock started at construction; the rate
    // limits measure against it.
    virtual qint64 elapsedMs() const;

    // Number of variants per family.
    int engineVariantCount() const { return m_engineVariants; }
    int groundHitVariantCount() const { return m_groundHitVariants; }
    int crowdCheerVariantCount() const { return m_crowdCheerVariants; }
    int crowdDisappointmentVariantCount() const { return m_crowdDisappointmentVariants; }
    int crowdAweVariantCount() const { return m_crowdAweVariants; }

private:
    bool isActive() const;
    void updateAmbience();

    QPropertyAnimation *m_motorVolumeAnimation;
    QPropertyAnimation *m_motorSpeedAnimation;
    int m_engineVariants = 1;
    int m_groundHitVariants = 10;
    int m_crowdCheerVariants = 4;
    int m_crowdDisappointmentVariants = 4;
    int m_crowdAweVariants = 4;
    QElapsedTimer m_clock;
    qint64 m_lastGroundHitMs = 0;
    qint64 m_lastSlidingMs = 0;
    bool m_soundsEnabled = true;
    int m_volume = 60;
    int m_motorVolume = 60;
    qreal m_motorSpeed = 0.0;
    qreal m_lastMotorSpeed = -1.0;
    qreal m_lastSlidingFactor = 0.0;
    bool m_throttle = false;
    bool m_stopped = false;
    int m_ambientPack = 0;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/soundmanager.h"

#include <QEasingCurve>
#include <QPropertyAnimation>
#include <QtMath>
#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kMaxVolume = 100;
constexpr int kMotorVolumeRiseStep = 5; // per speed update with throttle held
constexpr int kMotorVolumeFallStep = 10; // per speed update without throttle
constexpr qreal kMotorSpeedEpsilon = 0.02; // smaller speed changes keep the pitch
constexpr qreal kEngineIdleRate = 1.0; // playback rate at speed 0
constexpr qreal kEngineRateSpan = 0.75; // added rate at speed 1
constexpr qint64 kGroundHitMinGapMs = 200;
constexpr qint64 kSlidingMinGapMs = 50;
constexpr qreal kSlidingMinChange = 0.1;
constexpr int kMuteFadeMs = 1000;
constexpr int kMuteWindDownMs = 500;
constexpr int kUnmuteFadeMs = 120;
} // namespace

SoundManager::SoundManager(QObject *parent)
    : QObject(parent)
    , m_motorVolumeAnimation(new QPropertyAnimation(this, "motorVolume", this))
    , m_motorSpeedAnimation(new QPropertyAnimation(this, "motorSpeed", this))
{
    m_clock.start();
}

SoundManager::~SoundManager() = default;

bool SoundManager::isSoundsEnabled() const
{
    return m_soundsEnabled;
}

bool SoundManager::isActive() const
{
    return m_volume != 0 && isSoundsEnabled();
}

qint64 SoundManager::elapsedMs() const
{
    return m_clock.elapsed();
}

void SoundManager::setMotorVolume(int volume)
{
    m_motorVolume = std::clamp(volume, 0, kMaxVolume);
    applyMotorVolume();
}

void SoundManager::setSoundsEnabled(bool soundsEnabled)
{
    m_soundsEnabled = soundsEnabled;
    if (!soundsEnabled) {
        m_motorVolume = 0;
        applyMotorVolume();
    }
    updateAmbience();
}

void SoundManager::setAmbientPack(int pack)
{
    m_ambientPack = pack;
    updateAmbience();
}

void SoundManager::setAmbientLoop(int) { }

void SoundManager::updateAmbience()
{
    setAmbientLoop(isSoundsEnabled() && !m_stopped ? m_ambientPack : 0);
}

void SoundManager::setVolume(int volume)
{
    m_volume = volume;
}

void SoundManager::playGameStartSound() { }

void SoundManager::playGroundHitSound(qreal vol)
{
    if (!isActive())
        return;
    const qint64 now = elapsedMs();
    if (now - m_lastGroundHitMs < kGroundHitMinGapMs)
        return;
    m_lastGroundHitMs = now;
    playGroundHitVariant(std::rand() % m_groundHitVariants, vol);
}

void SoundManager::playSlidingSound(qreal slidingFactor)
{
    if (!isActive())
        return;
    const qint64 now = elapsedMs();
    if (slidingFactor == 0.0) {
        m_lastSlidingMs = now;
        m_lastSlidingFactor = 0.0;
        setSlidingVolume(0.0);
        return;
    }
    if (qAbs(m_lastSlidingFactor - slidingFactor) < kSlidingMinChange
        || now - m_lastSlidingMs < kSlidingMinGapMs)
        return;
    m_lastSlidingMs = now;
    m_lastSlidingFactor = slidingFactor;
    setSlidingVolume(slidingFactor);
}

void SoundManager::playCrowdCheerSound()
{
    if (isActive())
        playCrowdCheerVariant(std::rand() % m_crowdCheerVariants);
}

void SoundManager::playCrowdDisappointmentSound()
{
    if (isActive())
        playCrowdDisappointmentVariant(std::rand() % m_crowdDisappointmentVariants);
}

void SoundManager::playCrowdAweSound()
{
    if (isActive())
        playCrowdAweVariant(std::rand() % m_crowdAweVariants);
}

void SoundManager::mute(bool fading)
{
    playSlidingSound(0.0);
    m_motorVolumeAnimation->stop();
    m_motorSpeedAnimation->stop();
    if (!fading) {
        setMotorVolume(0);
        return;
    }
    m_throttle = false;
    m_motorVolumeAnimation->setDuration(kMuteFadeMs);
    m_motorVolumeAnimation->setStartValue(m_motorVolume);
    m_motorVolumeAnimation->setEndValue(0);
    m_motorVolumeAnimation->setEasingCurve(QEasingCurve::InQuart);
    m_motorVolumeAnimation->start();
    m_motorSpeedAnimation->setDuration(kMuteWindDownMs);
    m_motorSpeedAnimation->setStartValue(m_motorSpeed);
    m_motorSpeedAnimation->setEndValue(0.0);
    m_motorSpeedAnimation->setEasingCurve(QEasingCurve::InOutCubic);
    m_motorSpeedAnimation->start();
}

void SoundManager::unmute()
{
    if (!isSoundsEnabled())
        return;
    m_motorVolumeAnimation->stop();
    m_motorVolumeAnimation->setDuration(kUnmuteFadeMs);
    m_motorVolumeAnimation->setStartValue(0);
    m_motorVolumeAnimation->setEndValue(m_volume);
    m_motorVolumeAnimation->setEasingCurve(QEasingCurve::Linear);
    m_motorVolumeAnimation->start();
}

void SoundManager::stop()
{
    m_stopped = true;
    updateAmbience();
}

void SoundManager::unstop()
{
    m_stopped = false;
    updateAmbience();
}

void SoundManager::increaseVolume(int step)
{
    setVolume(std::min(m_volume + step, kMaxVolume));
}

void SoundManager::decreaseVolume(int step)
{
    setVolume(std::max(m_volume - step, 0));
}

void SoundManager::setMotorSpeed(qreal motorSpeedFactor)
{
    if (!isActive())
        return;
    // A NaN factor (a broken physics reading) counts as standing still.
    const qreal speed = qIsNaN(motorSpeedFactor) ? 0.0 : std::clamp(motorSpeedFactor, 0.0, 1.0);
    m_motorSpeed = speed;
    if (m_throttle) {
        if (m_motorVolume <= kMaxVolume - 1)
            setMotorVolume(m_motorVolume + kMotorVolumeRiseStep);
    } else if (m_motorVolume >= 1) {
        setMotorVolume(m_motorVolume - kMotorVolumeFallStep);
    }
    if (qAbs(m_lastMotorSpeed - speed) <= kMotorSpeedEpsilon)
        return;
    m_lastMotorSpeed = speed;
    updateEngine();
}

void SoundManager::setThrottle(bool throttle)
{
    m_throttle = throttle;
}

void SoundManager::updateEngine()
{
    if (isActive())
        playEngineVariant(0, m_motorSpeed * kEngineRateSpan + kEngineIdleRate);
}

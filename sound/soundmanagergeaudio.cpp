// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/soundmanagergeaudio.h"

#include "ge/audiobuffer.h"
#include "ge/audiobufferplayinstance.h"
#include "ge/audiomixer.h"
#include "ge/audioout.h"

#include <QDebug>
#include <algorithm>

namespace {
constexpr qreal kPercent = 100.0;
// Gains of the sound families. The busiest moment of a ride (engine at full
// throttle, full skid and the hardest ground hit at once) sums to a peak
// under full scale at volume 100, so the mixer's limiter is a safety net
// rather than part of the sound.
constexpr qreal kEngineGain = 0.85; // engine volume at motorVolume 100
constexpr qreal kGroundHitGain = 0.4; // per unit of hit loudness (0..1)
constexpr qreal kSlidingGain = 1.1; // per unit of sliding factor
constexpr qreal kMaxSlidingFactor = 1.0; // a harder skid is not louder
constexpr qreal kCrowdGain = 0.8;
constexpr qreal kAmbientGain = 1.0; // the loops are made quiet
constexpr int kAmbientPacks = 2; // packs with an ambient loop: 1 .. this
constexpr int kLoopForever = -1;
constexpr int kPlayOnce = 0; // one-shot instances are deleted by the mixer when they end
} // namespace

SoundManagerGEAudio::SoundManagerGEAudio(QObject *parent)
    : SoundManagerGEAudio(Output::DefaultDevice, parent)
{ }

SoundManagerGEAudio::SoundManagerGEAudio(Output output, QObject *parent)
    : SoundManager(parent)
    , m_mixer(new GE::AudioMixer(this))
{
    m_mixer->setAbsoluteVolume(float(volume() / kPercent));
    if (output == Output::DefaultDevice)
        m_audioOut = new GE::AudioOut(m_mixer, this);
    initFamily(m_engine, QStringLiteral("engine"), engineVariantCount());
    initFamily(m_groundHit, QStringLiteral("groundhit"), groundHitVariantCount());
    initFamily(m_crowdCheer, QStringLiteral("crowdcheer"), crowdCheerVariantCount());
    initFamily(
        m_crowdDisappointment, QStringLiteral("crowddisappointment"), crowdDisappointmentVariantCount());
    initFamily(m_crowdAwe, QStringLiteral("crowdawe"), crowdAweVariantCount());
    initFamily(m_ambience, QStringLiteral("ambient"), kAmbientPacks);
    m_engineInstances.fill(nullptr, engineVariantCount());
}

SoundManagerGEAudio::~SoundManagerGEAudio()
{
    // The output thread pulls from the mixer until it is detached, and the
    // mixer's instances read the buffers: stop in that order.
    if (m_audioOut && !m_audioOut->shutdown(kTeardownWaitMs)) {
        qDebug() << "SoundManagerGEAudio - the audio server does not answer; not waiting for it";
        // Deleted when its thread ends; its own stack keeps it reachable until then.
        m_audioOut->setParent(nullptr);
        connect(m_audioOut, &QThread::finished, m_audioOut, &QObject::deleteLater);
        if (m_audioOut->isFinished())
            delete m_audioOut;
    } else {
        delete m_audioOut;
    }
    m_audioOut = nullptr;
    delete m_mixer;
    m_mixer = nullptr;
}

bool SoundManagerGEAudio::isOutputReady() const
{
    return !m_audioOut || m_audioOut->isReady();
}

QString SoundManagerGEAudio::soundPath() const
{
    return QStringLiteral(":/sounds/");
}

void SoundManagerGEAudio::setVolume(int volume)
{
    SoundManager::setVolume(volume);
    m_mixer->setAbsoluteVolume(float(volume / kPercent));
}

void SoundManagerGEAudio::initFamily(Family &family, const QString &name, int variants)
{
    family.name = name;
    family.buffers.fill(nullptr, variants);
    family.failed.fill(false, variants);
}

GE::AudioBuffer *SoundManagerGEAudio::load(const QString &fileName)
{
    GE::AudioBuffer *loaded = GE::AudioBuffer::readWaveFile(fileName, this);
    if (!loaded)
        qDebug() << "SoundManagerGEAudio - cannot load" << fileName;
    return loaded;
}

GE::AudioBuffer *SoundManagerGEAudio::buffer(Family &family, int variant)
{
    if (variant < 0 || variant >= family.buffers.size() || family.failed[variant])
        return nullptr;
    if (!family.buffers[variant]) {
        family.buffers[variant] = load(soundPath() + family.name + QString::number(variant + 1) + ".wav");
        family.failed[variant] = !family.buffers[variant];
    }
    return family.buffers[variant];
}

GE::AudioBufferPlayInstance *SoundManagerGEAudio::start(GE::AudioBuffer *buffer, qreal volume, int loopCount)
{
    if (!buffer || (loopCount == kPlayOnce && !isOutputReady()))
        return nullptr;
    // Volume and loop count are set before the mixer sees the instance, so
    // the output thread never pulls a block at the wrong level.
    auto *instance = new GE::AudioBufferPlayInstance(buffer);
    instance->setLeftVolume(float(volume));
    instance->setRightVolume(float(volume));
    instance->setLoopCount(loopCount);
    if (!m_mixer->addSource(instance)) {
        delete instance;
        return nullptr;
    }
    return instance;
}

void SoundManagerGEAudio::playEngineVariant(int variant, qreal speed)
{
    GE::AudioBuffer *engine = buffer(m_engine, variant);
    if (!engine)
        return;
    GE::AudioBufferPlayInstance *&instance = m_engineInstances[variant];
    if (!instance) {
        instance = start(engine, motorVolume() / kPercent * kEngineGain, kLoopForever);
        if (!instance)
            return;
    }
    if (m_currentEngine && m_currentEngine != instance) {
        m_currentEngine->setLeftVolume(0.0f);
        m_currentEngine->setRightVolume(0.0f);
    }
    m_currentEngine = instance;
    m_currentEngine->setSpeed(float(speed));
    setMotorVolume(motorVolume());
}

void SoundManagerGEAudio::applyMotorVolume()
{
    if (!m_currentEngine)
        return;
    const float gain = float(motorVolume() / kPercent * kEngineGain);
    m_currentEngine->setLeftVolume(gain);
    m_currentEngine->setRightVolume(gain);
}

void SoundManagerGEAudio::playGroundHitVariant(int variant, qreal volume)
{
    start(buffer(m_groundHit, variant), volume * kGroundHitGain, kPlayOnce);
}

void SoundManagerGEAudio::playCrowdCheerVariant(int variant)
{
    start(buffer(m_crowdCheer, variant), kCrowdGain, kPlayOnce);
}

void SoundManagerGEAudio::playCrowdDisappointmentVariant(int variant)
{
    start(buffer(m_crowdDisappointment, variant), kCrowdGain, kPlayOnce);
}

void SoundManagerGEAudio::playCrowdAweVariant(int variant)
{
    start(buffer(m_crowdAwe, variant), kCrowdGain, kPlayOnce);
}

void SoundManagerGEAudio::setAmbientLoop(int pack)
{
    if (pack == m_ambientPlaying && (m_ambient || pack == 0))
        return;
    if (m_ambient) {
        // Taken out of the mixer (under its lock) before it is deleted.
        m_mixer->removeSource(m_ambient);
        delete m_ambient;
        m_ambient = nullptr;
    }
    m_ambientPlaying = pack;
    if (pack >= 1)
        m_ambient = start(buffer(m_ambience, pack - 1), kAmbientGain, kLoopForever);
}

void SoundManagerGEAudio::setSlidingVolume(qreal slidingFactor)
{
    slidingFactor = std::min(slidingFactor, kMaxSlidingFactor);
    if (!m_sliding) {
        if (m_slidingFailed)
            return;
        m_slidingBuffer = load(soundPath() + QStringLiteral("sliding.wav"));
        m_slidingFailed = !m_slidingBuffer;
        if (!m_slidingBuffer)
            return;
        m_sliding = start(m_slidingBuffer, slidingFactor * kSlidingGain, kLoopForever);
        if (!m_sliding)
            return;
    }
    const float gain = float(slidingFactor * kSlidingGain);
    m_sliding->setLeftVolume(gain);
    m_sliding->setRightVolume(gain);
}

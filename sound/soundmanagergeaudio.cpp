#include "sound/soundmanagergeaudio.h"

#include "ge/audiobuffer.h"
#include "ge/audiobufferplayinstance.h"
#include "ge/audiomixer.h"
#include "ge/audioout.h"

#include <QDebug>

namespace {
constexpr qreal kPercent = 100.0;
constexpr qreal kEngineGain = 1.8; // engine volume at motorVolume 100
constexpr qreal kGroundHitGain = 0.9; // per unit of hit loudness
constexpr qreal kSlidingGain = 3.5; // per unit of sliding factor
constexpr qreal kCrowdGain = 1.0;
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
    m_engineInstances.fill(nullptr, engineVariantCount());
}

SoundManagerGEAudio::~SoundManagerGEAudio()
{
    // The output thread pulls from the mixer until it is gone, and the
    // mixer's instances read the buffers: stop in that order.
    delete m_audioOut;
    m_audioOut = nullptr;
    delete m_mixer;
    m_mixer = nullptr;
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
    if (!buffer)
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

void SoundManagerGEAudio::setSlidingVolume(qreal slidingFactor)
{
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

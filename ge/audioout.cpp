#include "ge/audioout.h"

#include "ge/audiofixedpoint.h"
#include "ge/audiosource.h"

#include <QAbstractEventDispatcher>
#include <QAudioSink>
#include <QDebug>
#include <QMediaDevices>

namespace GE {

namespace {
constexpr int kOutputBufferBytes = 16384; // about 186 ms at 22050 Hz stereo
constexpr int kOutputBlockSamples = kOutputBufferBytes / 2; // 16-bit samples
constexpr int kBytesPerFrame = kOutputChannels * int(sizeof(qint16));
constexpr unsigned long kPollIntervalMs = 1;
} // namespace

AudioOut::AudioOut(AudioSource *source, QObject *parent)
    : QThread(parent)
    , m_source(source)
    , m_outputBlock(kOutputBlockSamples)
    , m_outputBlockLength(kOutputBlockSamples)
{
    // The device list belongs to the GUI thread; only the sink lives in ours.
    m_device = QMediaDevices::defaultAudioOutput();
    m_format.setSampleRate(kOutputSampleRate);
    m_format.setChannelCount(kOutputChannels);
    m_format.setSampleFormat(QAudioFormat::Int16);
    if (!m_device.isNull() && !m_device.isFormatSupported(m_format)) {
        m_format = m_device.preferredFormat();
        qDebug() << "AudioOut::AudioOut - 22050 Hz stereo 16-bit not supported, using" << m_format;
    }
    start(QThread::InheritPriority);
}

AudioOut::~AudioOut()
{
    m_stopRequested = true;
    if (m_runState == Running)
        m_runState = StopRequested;
    wait();
    m_runState = Stopped;
}

bool AudioOut::openOutput()
{
    if (m_device.isNull()) {
        qDebug() << "AudioOut - no audio output device, sound is off";
        return false;
    }
    m_output = new QAudioSink(m_device, m_format);
    m_output->setBufferSize(kOutputBufferBytes);
    m_outputDevice = m_output->start();
    if (!m_outputDevice) {
        qDebug() << "AudioOut - the audio output did not start (error" << m_output->error()
                 << "), sound is off";
        closeOutput();
        return false;
    }
    m_output->setBufferSize(kOutputBufferBytes);
    m_ready = true;
    return true;
}

void AudioOut::closeOutput()
{
    m_ready = false;
    if (m_output) {
        m_output->stop();
        delete m_output;
    }
    m_output = nullptr;
    m_outputDevice = nullptr;
}

void AudioOut::run()
{
    m_runState = Running;
    if (m_source && !m_stopRequested && openOutput()) {
        QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
        while (!m_stopRequested) {
            // The sink may post events to the thread it lives in.
            if (dispatcher)
                dispatcher->processEvents(QEventLoop::AllEvents);
            tick();
            msleep(kPollIntervalMs);
        }
        closeOutput();
    }
    m_runState = Stopped;
}

void AudioOut::tick()
{
    if (!m_output || !m_outputDevice || !m_source)
        return;
    int samples = int(m_output->bytesFree() / kBytesPerFrame) * kOutputChannels;
    if (samples <= 0)
        return;
    samples = qMin(samples, m_outputBlockLength);
    const int got = m_source->fillSamples(m_outputBlock.data(), samples);
    if (got <= 0)
        return;
    const qint64 written = m_outputDevice->write(
        reinterpret_cast<const char *>(m_outputBlock.data()), qint64(got) * qint64(sizeof(qint16)));
    if (written > 0)
        m_bytesWritten += written;
}

void AudioOut::audioNotify()
{
    tick();
}

} // namespace GE

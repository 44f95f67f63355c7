// SPDX-License-Identifier: GPL-3.0-or-later
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

// Counted up before a thread starts and down as its last step, so that a
// thread not yet scheduled counts too.
std::atomic<int> unfinishedThreadCount {0};
} // namespace

int AudioOut::unfinishedThreads()
{
    return unfinishedThreadCount.load();
}

AudioOut::AudioOut(AudioSource *source, QObject *parent)
    : QThread(parent)
    , m_source(source)
    , m_outputBlock(kOutputBlockSamples)
    , m_outputBlockLength(kOutputBlockSamples)
{
    m_format.setSampleRate(kOutputSampleRate);
    m_format.setChannelCount(kOutputChannels);
    m_format.setSampleFormat(QAudioFormat::Int16);
    ++unfinishedThreadCount;
    start(QThread::InheritPriority);
}

AudioOut::~AudioOut()
{
    shutdown(0);
    wait();
    m_runState = Stopped;
}

bool AudioOut::shutdown(int waitMs)
{
    m_stopRequested = true;
    int running = Running;
    m_runState.compare_exchange_strong(running, StopRequested);
    {
        QMutexLocker locker(&m_sourceLock);
        m_source = nullptr;
    }
    return wait(QDeadlineTimer(waitMs));
}

QAudioFormat AudioOut::format() const
{
    QMutexLocker locker(&m_formatLock);
    return m_format;
}

bool AudioOut::openOutput()
{
    // Asking for the device is the first talk with the audio server; an
    // unresponsive one holds this thread here.
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        qDebug() << "AudioOut - no audio output device, sound is off";
        return false;
    }
    if (m_stopRequested)
        return false;
    QAudioFormat format = this->format();
    if (!device.isFormatSupported(format)) {
        format = device.preferredFormat();
        qDebug() << "AudioOut - 22050 Hz stereo 16-bit not supported, using" << format;
        QMutexLocker locker(&m_formatLock);
        m_format = format;
    }
    m_output = new QAudioSink(device, format);
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
    int stopped = Stopped;
    m_runState.compare_exchange_strong(stopped, Running);
    bool hasSource = false;
    {
        QMutexLocker locker(&m_sourceLock);
        hasSource = m_source != nullptr;
    }
    if (hasSource && !m_stopRequested && openOutput()) {
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
    --unfinishedThreadCount;
}

int AudioOut::pull(int samples)
{
    QMutexLocker locker(&m_sourceLock);
    return m_source ? m_source->fillSamples(m_outputBlock.data(), samples) : 0;
}

void AudioOut::tick()
{
    if (!m_output || !m_outputDevice || m_stopRequested)
        return;
    int samples = int(m_output->bytesFree() / kBytesPerFrame) * kOutputChannels;
    if (samples <= 0)
        return;
    samples = qMin(samples, m_outputBlockLength);
    const int got = pull(samples);
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

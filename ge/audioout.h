#ifndef AUDIOOUT_H
#define AUDIOOUT_H

#include <QAudioDevice>
#include <QAudioFormat>
#include <QThread>
#include <atomic>
#include <vector>

class QAudioSink;
class QIODevice;

namespace GE {

class AudioSource;

// The output thread: pulls mixed samples from its source about every
// millisecond and pushes them into the default audio output (22050 Hz,
// stereo, signed 16-bit; the device's preferred format when it cannot take
// that). The audio sink is created, started, written to and stopped inside
// this thread, since it must be used from one thread only.
//
// Without a device (no audio server, no default output, or a start that
// fails) the thread logs one debug line and ends: the game stays silent.
// Destroying the object stops the thread first; the source must outlive it.
class AudioOut : public QThread
{
    Q_OBJECT

public:
    enum RunState { Stopped = 0, Running = 1, StopRequested = 2 };

    // source is not owned.
    AudioOut(AudioSource *source, QObject *parent = nullptr);
    ~AudioOut() override;

    // True while the device takes samples.
    bool isReady() const { return m_ready; }
    RunState runState() const { return RunState(m_runState.load()); }
    const QAudioFormat &format() const { return m_format; }
    // Total bytes handed to the device so far.
    qint64 bytesWritten() const { return m_bytesWritten; }

public slots:
    // Tops the device buffer up with whole stereo frames from the source.
    void tick();

private slots:
    void audioNotify();

protected:
    void run() override;

private:
    bool openOutput();
    void closeOutput();

    QAudioSink *m_output = nullptr;
    QIODevice *m_outputDevice = nullptr;
    AudioSource *m_source;
    std::vector<qint16> m_outputBlock;
    int m_outputBlockLength;
    QAudioDevice m_device;
    QAudioFormat m_format;
    std::atomic<int> m_runState {Stopped};
    std::atomic<bool> m_stopRequested {false};
    std::atomic<bool> m_ready {false};
    std::atomic<qint64> m_bytesWritten {0};
};

} // namespace GE

#endif

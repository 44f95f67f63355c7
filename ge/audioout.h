// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUDIOOUT_H
#define AUDIOOUT_H

#include <QAudioFormat>
#include <QMutex>
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
// that). Finding the device and creating, starting, writing to and stopping
// the audio sink all happen inside this thread: an audio server that accepts
// the connection and then never answers blocks only this thread, never the
// caller's. Until isReady() nothing is pulled from the source.
//
// Without a device (no audio server, no default output, or a start that
// fails) the thread logs one debug line and ends: the game stays silent.
// shutdown() stops pulling at once and waits a bounded time for the thread;
// destroying the object waits for the thread without a bound. The source
// must outlive the object or the return of shutdown(), whichever is first.
//
// A thread held by an unresponsive server is inside the multimedia library
// and the audio client library, whose static objects it needs until it
// comes back: the process must not run its static destructors while
// unfinishedThreads() is not zero (it ends with std::_Exit instead).
class AudioOut : public QThread
{
    Q_OBJECT

public:
    enum RunState { Stopped = 0, Running = 1, StopRequested = 2 };

    // source is not owned.
    AudioOut(AudioSource *source, QObject *parent = nullptr);
    ~AudioOut() override;

    // Asks the thread to end and detaches the source (no pull starts after
    // this returns); waits up to waitMs for the thread. True when it ended.
    bool shutdown(int waitMs);

    // True while the device takes samples.
    bool isReady() const { return m_ready; }
    RunState runState() const { return RunState(m_runState.load()); }
    // The format the device was opened with (set before isReady()).
    QAudioFormat format() const;
    // Total bytes handed to the device so far.
    qint64 bytesWritten() const { return m_bytesWritten; }

    // Output threads of the whole process started and not yet ended (an
    // object left to a thread held by the server counts until it ends).
    static int unfinishedThreads();

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
    // Pulls up to `samples` samples from the source into the output block.
    int pull(int samples);

    QAudioSink *m_output = nullptr;
    QIODevice *m_outputDevice = nullptr;
    QMutex m_sourceLock; // held while the source is pulled; guards m_source
    AudioSource *m_source;
    std::vector<qint16> m_outputBlock;
    int m_outputBlockLength;
    mutable QMutex m_formatLock;
    QAudioFormat m_format;
    std::atomic<int> m_runState {Stopped};
    std::atomic<bool> m_stopRequested {false};
    std::atomic<bool> m_ready {false};
    std::atomic<qint64> m_bytesWritten {0};
};

} // namespace GE

#endif

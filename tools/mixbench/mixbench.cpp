// SPDX-License-Identifier: GPL-3.0-or-later
// Mixes eight looping sounds (the game's own files, at different speeds and
// volumes) into 8192-sample blocks, as the output thread does, and reports
// the CPU share of one core that this costs at real time.
// With --live, the same sources play through the output thread to the
// default audio device for that many seconds instead, and the CPU share of
// the whole process (polling included) is reported.
// Usage: mixbench [seconds of audio] [--live]

#include "ge/audiobuffer.h"
#include "ge/audiobufferplayinstance.h"
#include "ge/audiomixer.h"
#include "ge/audioout.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {
constexpr int kBlockSamples = 8192; // one output block: 4096 stereo frames
constexpr int kOutputRate = 22050;
constexpr double kDefaultAudioSeconds = 600.0;

double cpuSeconds(clockid_t clock = CLOCK_THREAD_CPUTIME_ID)
{
    timespec t {};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Plays the mixer through the default device; returns the exit code.
int live(GE::AudioMixer &mixer, double seconds)
{
    GE::AudioOut out(&mixer);
    QElapsedTimer wall;
    wall.start();
    while (!out.isReady() && !out.isFinished() && wall.elapsed() < 5000)
        QThread::msleep(10);
    if (!out.isReady()) {
        std::fprintf(stderr, "mixbench: no audio device\n");
        return 1;
    }
    const double cpuStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    wall.restart();
    QThread::msleep((unsigned long)(seconds * 1000));
    const double cpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart, elapsed = wall.elapsed() / 1000.0;
    std::printf(
        "mixbench --live: %.1f s played, %lld bytes written, process CPU %.3f s = %.2f %% of one core\n",
        elapsed, (long long)out.bytesWritten(), cpu, cpu / elapsed * 100.0);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const double audioSeconds = argc > 1 ? std::atof(argv[1]) : kDefaultAudioSeconds;
    const bool playLive = argc > 2 && QByteArray(argv[2]) == "--live";

    // Eight sources as in a busy moment of the game: the engine, the skid,
    // two landings and four crowd sounds, all looping.
    const char *files[] = {"engine1", "sliding", "groundhit1", "groundhit7", "crowdcheer1", "crowdawe2",
        "crowddisappointment3", "crowdcheer4"};
    const float speeds[] = {1.75f, 1.0f, 1.0f, 1.2f, 1.0f, 0.9f, 1.1f, 1.3f};
    std::vector<std::unique_ptr<GE::AudioBuffer>> buffers;
    GE::AudioMixer mixer;
    for (int i = 0; i < 8; ++i) {
        buffers.emplace_back(GE::AudioBuffer::readWaveFile(QString(":/sounds/%1.wav").arg(files[i])));
        if (!buffers.back()) {
            std::fprintf(stderr, "cannot load %s\n", files[i]);
            return 1;
        }
        GE::AudioBufferPlayInstance *instance = buffers.back()->startOnMixer(mixer);
        instance->setLoopCount(-1);
        instance->setSpeed(speeds[i]);
        instance->setLeftVolume(0.8f);
        instance->setRightVolume(0.6f);
    }
    mixer.setGeneralVolume(1.0f);
    if (playLive)
        return live(mixer, audioSeconds);

    const int blocks = int(audioSeconds * kOutputRate * 2 / kBlockSamples);
    std::vector<qint16> block(kBlockSamples);
    long long checksum = 0;
    const double start = cpuSeconds();
    for (int b = 0; b < blocks; ++b) {
        mixer.fillSamples(block.data(), kBlockSamples);
        checksum += block[size_t(b % kBlockSamples)];
    }
    const double cpu = cpuSeconds() - start;
    const double audio = double(blocks) * kBlockSamples / 2 / kOutputRate;
    std::printf("mixbench: 8 looping sources, %d blocks of %d samples = %.1f s of audio in %.3f s CPU\n",
        blocks, kBlockSamples, audio, cpu);
    std::printf("mixbench: %.1f us per block, CPU share of one core at real time %.3f %% (checksum %lld)\n",
        cpu / blocks * 1e6, cpu / audio * 100.0, checksum);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the wave loaders with arbitrary bytes: the seekable device loader,
// the same bytes as a pipe-like sequential device, and the stdio loader.
// Whatever loads is also played for a while (at a speed and loop count
// taken from the input), so the sample readers and the interpolation see
// every format the loaders accept.

#include "ge/audiobuffer.h"
#include "ge/audiobufferplayinstance.h"
#include "ge/audiomixer.h"

#include <QBuffer>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {
constexpr int kPullSamples = 2048;
constexpr int kPulls = 4;

class PipeDevice : public QIODevice
{
public:
    PipeDevice(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    { }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *target, qint64 maxSize) override
    {
        const size_t n = std::min(size_t(maxSize), m_size - m_offset);
        if (n)
            std::memcpy(target, m_data + m_offset, n);
        m_offset += n;
        return qint64(n);
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_offset = 0;
};

void play(GE::AudioBuffer *loaded, const uint8_t *data, size_t size)
{
    if (!loaded)
        return;
    std::unique_ptr<GE::AudioBuffer> buffer(loaded);
    // The last input byte picks speed and loop count, so they are fuzzed too.
    const uint8_t knob = size ? data[size - 1] : 0;
    GE::AudioMixer mixer;
    GE::AudioBufferPlayInstance *instance = buffer->startOnMixer(mixer);
    if (!instance)
        return;
    instance->setSpeed(float(knob % 16) * 0.25f);
    instance->setLoopCount(int(knob / 16) - 2);
    instance->setLeftVolume(float(knob % 7));
    std::vector<qint16> out(kPullSamples);
    for (int pull = 0; pull < kPulls; ++pull)
        mixer.fillSamples(out.data(), kPullSamples);
    mixer.deleteAllSources();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QBuffer device;
        device.setData(reinterpret_cast<const char *>(data), int(size));
        device.open(QIODevice::ReadOnly);
        play(GE::AudioBuffer::readWaveFile(device), data, size);
    }
    {
        PipeDevice pipe(data, size);
        pipe.open(QIODevice::ReadOnly);
        play(GE::AudioBuffer::readWaveFile(pipe), data, size);
    }
    if (size > 0) {
        FILE *file = fmemopen(const_cast<uint8_t *>(data), size, "rb");
        if (file) {
            play(GE::AudioBuffer::readWaveFile(file), data, size);
            std::fclose(file);
        }
    }
    return 0;
}

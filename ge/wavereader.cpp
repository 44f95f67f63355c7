// SPDX-License-Identifier: GPL-3.0-or-later
#include "ge/wavereader.h"

#include "ge/audiobuffer.h"

#include <QByteArray>
#include <climits>
#include <cstring>
#include <memory>

namespace GE {

namespace {
constexpr quint32 kPcmFormatBytes = 16; // the part of "fmt " this engine reads
constexpr qint64 kSkipBlockBytes = 4096; // skipped chunks are read in blocks of this
constexpr qint64 kDataBlockBytes = 65536; // data of unknown-length streams likewise

bool tagIs(const char tag[4], const char *expected)
{
    return std::memcmp(tag, expected, 4) == 0;
}
} // namespace

WaveReader::WaveReader(ReadFunction read, BytesLeftFunction bytesLeft)
    : m_read(std::move(read))
    , m_bytesLeft(std::move(bytesLeft))
{ }

bool WaveReader::readExactly(char *target, qint64 count)
{
    return m_read(target, count) == count;
}

bool WaveReader::readTag(char tag[4])
{
    return readExactly(tag, 4);
}

bool WaveReader::readUInt32(quint32 &value)
{
    uchar b[4];
    if (!readExactly(reinterpret_cast<char *>(b), 4))
        return false;
    value = quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
    return true;
}

bool WaveReader::readUInt16(quint16 &value)
{
    uchar b[2];
    if (!readExactly(reinterpret_cast<char *>(b), 2))
        return false;
    value = quint16(b[0] | b[1] << 8);
    return true;
}

bool WaveReader::skip(qint64 count)
{
    const qint64 left = m_bytesLeft();
    if (left >= 0 && count > left)
        return false;
    char block[kSkipBlockBytes];
    while (count > 0) {
        const qint64 step = qMin(count, kSkipBlockBytes);
        if (!readExactly(block, step))
            return false;
        count -= step;
    }
    return true;
}

bool WaveReader::readChunkHeader(char id[4], quint32 &size)
{
    return readTag(id) && readUInt32(size);
}

bool WaveReader::readData(AudioBuffer &buffer, quint32 size)
{
    const qint64 left = m_bytesLeft();
    if (left >= 0) {
        if (qint64(size) > left)
            return false;
        buffer.resizeData(int(size));
        return readExactly(reinterpret_cast<char *>(buffer.data()), size);
    }
    // Unknown length: grow with what really arrives, never by the claim.
    QByteArray bytes;
    while (bytes.size() < qint64(size)) {
        const qint64 step = qMin(qint64(size) - bytes.size(), kDataBlockBytes);
        const qsizetype before = bytes.size();
        bytes.resize(before + step);
        if (!readExactly(bytes.data() + before, step))
            return false;
    }
    buffer.resizeData(int(size));
    std::memcpy(buffer.data(), bytes.constData(), size);
    return true;
}

AudioBuffer *WaveReader::read(QObject *parent, bool skipOtherChunks)
{
    char tag[4];
    quint32 riffSize = 0;
    if (!readTag(tag) || !tagIs(tag, "RIFF") || !readUInt32(riffSize) || !readTag(tag) || !tagIs(tag, "WAVE"))
        return nullptr;

    quint32 fmtSize = 0;
    if (!readChunkHeader(tag, fmtSize) || !tagIs(tag, "fmt ") || fmtSize < kPcmFormatBytes)
        return nullptr;
    quint16 formatTag = 0, channels = 0, blockAlign = 0, bitsPerSample = 0;
    quint32 sampleRate = 0, bytesPerSecond = 0;
    if (!readUInt16(formatTag) || !readUInt16(channels) || !readUInt32(sampleRate)
        || !readUInt32(bytesPerSecond) || !readUInt16(blockAlign) || !readUInt16(bitsPerSample))
        return nullptr;
    // A longer format (extensible, or with a size field) keeps its first 16
    // bytes' meaning; chunks of odd size carry one pad byte.
    if (!skip(qint64(fmtSize - kPcmFormatBytes) + (fmtSize & 1)))
        return nullptr;
    if (channels == 0 || sampleRate == 0 || sampleRate > INT_MAX)
        return nullptr;

    quint32 dataSize = 0;
    for (;;) {
        if (!readChunkHeader(tag, dataSize))
            return nullptr;
        if (tagIs(tag, "data"))
            break;
        if (!skipOtherChunks || dataSize == 0 || !skip(qint64(dataSize) + (dataSize & 1)))
            return nullptr;
    }
    if (dataSize == 0 || dataSize > quint32(INT_MAX))
        return nullptr;

    auto buffer = std::make_unique<AudioBuffer>(parent);
    if (!buffer->setFormat(channels, bitsPerSample, int(sampleRate)))
        return nullptr;
    if (!readData(*buffer, dataSize) || buffer->frameCount() < 1)
        return nullptr;
    return buffer.release();
}

} // namespace GE

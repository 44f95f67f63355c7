// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WAVEREADER_H
#define WAVEREADER_H

#include <QtGlobal>
#include <functional>

class QObject;

namespace GE {

class AudioBuffer;

// Parses a RIFF/WAVE stream into an AudioBuffer. The stream is given as two
// functions so that Qt devices and stdio files share one parser:
//   read(target, count) -> bytes read (fewer at the end, -1 on error)
//   bytesLeft()         -> bytes left in the stream, or -1 when unknown
// Every size in the file is checked against what is left before anything
// of that size is allocated, so a broken or hostile file costs no more
// memory than it has bytes.
class WaveReader
{
public:
    using ReadFunction = std::function<qint64(char *target, qint64 count)>;
    using BytesLeftFunction = std::function<qint64()>;

    WaveReader(ReadFunction read, BytesLeftFunction bytesLeft);

    // With skipOtherChunks false, "data" must follow "fmt " directly.
    // Returns null for anything that cannot be played.
    AudioBuffer *read(QObject *parent, bool skipOtherChunks);

private:
    bool readExactly(char *target, qint64 count);
    bool readTag(char tag[4]);
    bool readUInt32(quint32 &value);
    bool readUInt16(quint16 &value);
    bool skip(qint64 count);
    // Reads a chunk header; false at the end of the stream.
    bool readChunkHeader(char id[4], quint32 &size);
    bool readData(AudioBuffer &buffer, quint32 size);

    ReadFunction m_read;
    BytesLeftFunction m_bytesLeft;
};

} // namespace GE

#endif

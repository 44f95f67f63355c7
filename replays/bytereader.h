// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BYTEREADER_H
#define BYTEREADER_H

#include <QByteArray>
#include <QtGlobal>

// Reads what ByteWriter writes, never past the end: a read beyond the data
// returns 0 and marks the reader failed, so a truncated file is noticed
// once, after the fields that depend on it were read.
class ByteReader
{
public:
    ByteReader(const char *data, qsizetype size)
        : m_data(data)
        , m_size(size)
    { }

    quint8 u8();
    quint16 u16() { return quint16(unsignedBytes(2)); }
    quint32 u32() { return quint32(unsignedBytes(4)); }
    quint64 u64() { return unsignedBytes(8); }
    qint16 i16() { return qint16(u16()); }
    qint32 i32() { return qint32(u32()); }
    double f64();
    // False (and 0) for more than five bytes or a value above 32 bits.
    quint32 varint();
    QByteArray bytes(qsizetype count);

    bool failed() const { return m_failed; }
    qsizetype position() const { return m_pos; }
    qsizetype remaining() const { return m_size - m_pos; }

private:
    quint64 unsignedBytes(int count);

    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    bool m_failed = false;
};

#endif

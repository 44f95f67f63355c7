// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BYTEWRITER_H
#define BYTEWRITER_H

#include <QByteArray>
#include <QtGlobal>

// Appends little-endian integers and IEEE doubles to a byte array: the
// replay file's primitive types. LEB128 for unsigned counts that are
// usually small.
class ByteWriter
{
public:
    explicit ByteWriter(QByteArray *out)
        : m_out(out)
    { }

    void u8(quint8 v) { m_out->append(char(v)); }
    void u16(quint16 v) { unsignedBytes(v, 2); }
    void u32(quint32 v) { unsignedBytes(v, 4); }
    void u64(quint64 v) { unsignedBytes(v, 8); }
    void i16(qint16 v) { u16(quint16(v)); }
    void i32(qint32 v) { u32(quint32(v)); }
    void f64(double v);
    void varint(quint32 v);
    void bytes(const QByteArray &b) { m_out->append(b); }

private:
    void unsignedBytes(quint64 v, int count);

    QByteArray *m_out;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "bytereader.h"

#include <cstring>

namespace {
constexpr int kBitsPerByte = 8;
constexpr quint32 kVarintPayload = 0x7f;
constexpr quint8 kVarintMore = 0x80;
constexpr int kVarintShift = 7;
constexpr int kVarintMaxBytes = 5;
constexpr int kBitsPerValue = 32;
} // namespace

quint8 ByteReader::u8()
{
    if (m_failed || m_pos >= m_size) {
        m_failed = true;
        return 0;
    }
    return quint8(m_data[m_pos++]);
}

quint64 ByteReader::unsignedBytes(int count)
{
    if (m_failed || remaining() < count) {
        m_failed = true;
        return 0;
    }
    quint64 v = 0;
    for (int i = 0; i < count; ++i)
        v |= quint64(quint8(m_data[m_pos + i])) << (kBitsPerByte * i);
    m_pos += count;
    return v;
}

double ByteReader::f64()
{
    const quint64 bits = u64();
    double v = 0.0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

quint32 ByteReader::varint()
{
    quint64 v = 0;
    for (int i = 0; i < kVarintMaxBytes; ++i) {
        const quint8 b = u8();
        if (m_failed)
            return 0;
        v |= quint64(b & kVarintPayload) << (kVarintShift * i);
        if (!(b & kVarintMore)) {
            if (v >> kBitsPerValue) {
                m_failed = true;
                return 0;
            }
            return quint32(v);
        }
    }
    m_failed = true;
    return 0;
}

QByteArray ByteReader::bytes(qsizetype count)
{
    if (m_failed || count < 0 || remaining() < count) {
        m_failed = true;
        return QByteArray();
    }
    const QByteArray b(m_data + m_pos, count);
    m_pos += count;
    return b;
}

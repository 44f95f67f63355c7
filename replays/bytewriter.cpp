// SPDX-License-Identifier: GPL-3.0-or-later
#include "bytewriter.h"

#include <cstring>

namespace {
constexpr int kBitsPerByte = 8;
constexpr quint32 kVarintPayload = 0x7f;
constexpr quint8 kVarintMore = 0x80;
constexpr int kVarintShift = 7;
} // namespace

void ByteWriter::unsignedBytes(quint64 v, int count)
{
    for (int i = 0; i < count; ++i)
        m_out->append(char(quint8(v >> (kBitsPerByte * i))));
}

void ByteWriter::f64(double v)
{
    quint64 bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    u64(bits);
}

void ByteWriter::varint(quint32 v)
{
    while (v > kVarintPayload) {
        u8(quint8((v & kVarintPayload) | kVarintMore));
        v >>= kVarintShift;
    }
    u8(quint8(v));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FNV1A_H
#define FNV1A_H

#include <QByteArray>
#include <QtGlobal>

// 64-bit FNV-1a: the replay file's check sum over its bytes and the level
// checksum's running hash. Not cryptographic: it detects damage, not intent.
class Fnv1a
{
public:
    static constexpr quint64 kOffsetBasis = 14695981039346656037ULL;
    static constexpr quint64 kPrime = 1099511628211ULL;

    void add(const char *data, qsizetype size)
    {
        for (qsizetype i = 0; i < size; ++i) {
            m_hash ^= quint8(data[i]);
            m_hash *= kPrime;
        }
    }
    void add(const QByteArray &bytes) { add(bytes.constData(), bytes.size()); }
    quint64 value() const { return m_hash; }

    static quint64 of(const char *data, qsizetype size)
    {
        Fnv1a h;
        h.add(data, size);
        return h.value();
    }

private:
    quint64 m_hash = kOffsetBasis;
};

#endif

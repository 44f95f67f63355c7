// SPDX-License-Identifier: GPL-3.0-or-later
#include "posetrack.h"

#include "bytereader.h"
#include "bytewriter.h"

#include <QtMath>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// A 16-bit position change of this value announces a 32-bit value.
constexpr qint16 kEscape = std::numeric_limits<qint16>::min();
constexpr double kTurn = 2.0 * M_PI;

qint32 quantizePosition(double v)
{
    const double q = std::round(v * PoseTrack::kQuantaPerUnit);
    if (!(q > std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min() + 1;
    if (!(q < std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    return qint32(q);
}

quint16 quantizeAngle(double radians)
{
    if (!std::isfinite(radians))
        return 0;
    const double turns = std::fmod(radians / kTurn, 1.0);
    return quint16(qint64(std::llround(turns * PoseTrack::kQuantaPerTurn)) & 0xffff);
}

void writePositionChange(ByteWriter &w, qint32 previous, qint32 value)
{
    const qint64 change = qint64(value) - previous;
    if (change > kEscape && change <= std::numeric_limits<qint16>::max()) {
        w.i16(qint16(change));
    } else {
        w.i16(kEscape);
        w.i32(value);
    }
}

bool readPositionChange(ByteReader &r, qint32 *value)
{
    const qint16 change = r.i16();
    if (change == kEscape) {
        *value = r.i32();
        return true;
    }
    const qint64 v = qint64(*value) + change;
    if (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
        return false;
    *value = qint32(v);
    return true;
}
} // namespace

void PoseTrack::append(const Sample &sample)
{
    ByteWriter w(&m_bytes);
    w.u8(sample.parts);
    for (int part = 0; part < PartCount; ++part) {
        const quint8 bit = quint8(1u << part);
        if (!(sample.parts & bit))
            continue;
        const BodyPose &pose = sample.bodies[part];
        const qint32 x = quantizePosition(pose.x);
        const qint32 y = quantizePosition(pose.y);
        const quint16 angle = quantizeAngle(pose.angle);
        if (m_previousParts & bit) {
            writePositionChange(w, m_x[part], x);
            writePositionChange(w, m_y[part], y);
            w.i16(qint16(quint16(angle - m_angle[part])));
        } else {
            w.i32(x);
            w.i32(y);
            w.u16(angle);
        }
        m_x[part] = x;
        m_y[part] = y;
        m_angle[part] = angle;
    }
    m_previousParts = sample.parts;
    ++m_count;
}

std::optional<QVector<PoseTrack::Sample>> PoseTrack::decode(
    const QByteArray &bytes, int count, QString *error)
{
    // Every sample takes at least its mask byte: a count beyond the bytes is
    // refused before anything is reserved for it.
    if (count < 0 || count > bytes.size()) {
        *error = QStringLiteral("pose track: %1 samples cannot fit in %2 bytes").arg(count).arg(bytes.size());
        return std::nullopt;
    }
    QVector<Sample> samples;
    samples.reserve(count);
    ByteReader r(bytes.constData(), bytes.size());
    quint8 previousParts = 0;
    std::array<qint32, PartCount> x {};
    std::array<qint32, PartCount> y {};
    std::array<quint16, PartCount> angle {};
    for (int i = 0; i < count; ++i) {
        Sample sample;
        sample.parts = r.u8();
        for (int part = 0; part < PartCount; ++part) {
            const quint8 bit = quint8(1u << part);
            if (!(sample.parts & bit))
                continue;
            if (previousParts & bit) {
                if (!readPositionChange(r, &x[part]) || !readPositionChange(r, &y[part])) {
                    *error = QStringLiteral("pose track: sample %1 moves a part out of range").arg(i);
                    return std::nullopt;
                }
                angle[part] = quint16(angle[part] + quint16(r.i16()));
            } else {
                x[part] = r.i32();
                y[part] = r.i32();
                angle[part] = r.u16();
            }
            sample.bodies[part] = BodyPose {
                x[part] / kQuantaPerUnit, y[part] / kQuantaPerUnit, angle[part] / kQuantaPerTurn * kTurn};
        }
        if (r.failed()) {
            *error = QStringLiteral("pose track: sample %1 of %2 is cut short").arg(i).arg(count);
            return std::nullopt;
        }
        previousParts = sample.parts;
        samples.append(sample);
    }
    if (r.remaining() != 0) {
        *error = QStringLiteral("pose track: %1 bytes after the last sample").arg(r.remaining());
        return std::nullopt;
    }
    return samples;
}

PoseTrack::Sample PoseTrack::poseAt(const QVector<Sample> &samples, int stride, int totalSteps, double step)
{
    if (samples.isEmpty() || stride < 1)
        return {};
    const int last = int(samples.size()) - 1;
    const auto stepOf = [&](int i) { return std::min(qint64(i) * stride, qint64(totalSteps)); };
    if (!(step > 0.0))
        return samples.first();
    if (step >= double(stepOf(last)))
        return samples.at(last);
    const int i = std::min(int(step / stride), last - 1);
    const Sample &a = samples.at(i);
    const Sample &b = samples.at(i + 1);
    const double span = double(stepOf(i + 1) - stepOf(i));
    const double t = span > 0.0 ? std::clamp((step - double(stepOf(i))) / span, 0.0, 1.0) : 1.0;

    Sample pose;
    pose.parts = t < 0.5 ? a.parts : b.parts;
    for (int part = 0; part < PartCount; ++part) {
        const quint8 bit = quint8(1u << part);
        const bool inA = a.parts & bit;
        const bool inB = b.parts & bit;
        if (inA && inB) {
            const BodyPose &p = a.bodies[part];
            const BodyPose &q = b.bodies[part];
            const double turn = std::remainder(q.angle - p.angle, kTurn);
            pose.bodies[part] = {p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t, p.angle + turn * t};
        } else if (inA) {
            pose.bodies[part] = a.bodies[part];
        } else if (inB) {
            pose.bodies[part] = b.bodies[part];
        }
    }
    return pose;
}

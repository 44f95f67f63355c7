// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef POSETRACK_H
#define POSETRACK_H

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>
#include <array>
#include <optional>

// The watchable part of a replay: poses of the bike's bodies sampled every
// few steps, compact enough that a minute's run stays small. Each sample
// lists which parts it holds (a bit mask of Part) and, per part, its
// position and angle. A part also held by the previous sample is stored as
// the change since then; a new one (the ragdoll's limbs after a crash) as
// its value.
//
// Encoding of a sample: u8 part mask, then for every part in mask order:
//   held before:  i16 dx, i16 dy, i16 dangle; a dx or dy of -32768 is
//                 followed by the i32 value itself (a jump too large for 16 bits)
//   new:          i32 x, i32 y, u16 angle
// Positions are in 1/16 scene units, angles in 1/65536 of a turn (the
// change of an angle wraps around the turn). All little-endian.
class PoseTrack
{
public:
    enum Part { Frame, RearWheel, FrontWheel, RiderMass, Torso, Thigh, Shin, Arm, PartCount };

    // Scene units (y down) and radians.
    struct BodyPose
    {
        double x = 0.0;
        double y = 0.0;
        double angle = 0.0;
    };
    struct Sample
    {
        quint8 parts = 0; // bit (1 << Part) per part present
        std::array<BodyPose, PartCount> bodies {};
    };

    static constexpr double kQuantaPerUnit = 16.0;
    static constexpr double kQuantaPerTurn = 65536.0;
    // The most bytes one encoded sample takes: its mask, then every part
    // held before, with both position changes escaped to 32-bit values.
    static constexpr int kMaxSampleBytes = 1 + PartCount * (2 * (2 + 4) + 2);

    void append(const Sample &sample);
    const QByteArray &bytes() const { return m_bytes; }
    int count() const { return m_count; }

    // The samples of count encoded samples; nothing (with *error) when the
    // bytes are not exactly that.
    static std::optional<QVector<Sample>> decode(const QByteArray &bytes, int count, QString *error);

    // The pose after `step` steps (fractions in between) of a run of
    // `totalSteps` steps whose samples were taken after 0, stride,
    // 2 x stride ... steps and after the last step. Positions move on a
    // straight line and angles the short way round between the samples on
    // either side; a part held by only one of them keeps that one's pose,
    // and the parts shown switch halfway. Steps outside the run give its
    // first or last pose; no samples give an empty pose.
    static Sample poseAt(const QVector<Sample> &samples, int stride, int totalSteps, double step);

private:
    QByteArray m_bytes;
    int m_count = 0;
    quint8 m_previousParts = 0;
    std::array<qint32, PartCount> m_x {};
    std::array<qint32, PartCount> m_y {};
    std::array<quint16, PartCount> m_angle {};
};

#endif

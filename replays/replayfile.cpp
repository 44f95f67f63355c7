#include "replayfile.h"

#include "bytereader.h"
#include "bytewriter.h"
#include "fnv1a.h"

#include <QFile>
#include <QSaveFile>
#include <cmath>

namespace {
constexpr int kChecksumBytes = 8;
constexpr int kVersionBytes = 2;
// Throttle and lean speeds beyond these are no input a bike gets.
constexpr double kMaxThrottle = 1.0;
constexpr double kMaxLean = 1.0;
constexpr int kMaxStride = 255;

bool validControls(const ReplayFile::Controls &c)
{
    return std::isfinite(c.throttle) && std::isfinite(c.lean) && std::fabs(c.throttle) <= kMaxThrottle
        && std::fabs(c.lean) <= kMaxLean;
}
} // namespace

int ReplayFile::poseSamplesFor(int steps, int stride)
{
    if (steps < 0 || stride < 1)
        return 0;
    return steps / stride + 1 + (steps % stride != 0 ? 1 : 0);
}

QByteArray ReplayFile::toBytes() const
{
    QByteArray out;
    ByteWriter w(&out);
    out.append(kMagic, kMagicSize);
    w.u16(kFormatVersion);
    const QByteArray version = gameVersion.toUtf8().left(kMaxGameVersionBytes);
    w.u8(quint8(version.size()));
    w.bytes(version);
    w.u16(quint16(pack));
    w.u16(quint16(level));
    w.i32(levelId);
    w.u64(levelChecksum);
    w.u64(randomState);
    w.u32(quint32(steps));
    w.u8(quint8(outcome));
    w.u64(finalStateHash);
    w.u8(quint8(poseStride));
    w.u16(quint16(controls.size()));
    for (const Controls &c : controls) {
        w.f64(c.throttle);
        w.u8(c.brake ? 1 : 0);
        w.f64(c.lean);
    }
    w.u32(quint32(inputs.size()));
    for (const InputRun &run : inputs) {
        w.varint(quint32(run.controls));
        w.varint(quint32(run.steps));
    }
    w.u32(quint32(poseCount));
    w.u32(quint32(poseBytes.size()));
    w.bytes(poseBytes);
    w.u64(Fnv1a::of(out.constData(), out.size()));
    return out;
}

std::optional<ReplayFile> ReplayFile::fromBytes(const QByteArray &bytes, QString *error)
{
    auto fail = [error](const QString &why) {
        *error = why;
        return std::nullopt;
    };
    if (bytes.size() < kMagicSize || !bytes.startsWith(QByteArray(kMagic, kMagicSize)))
        return fail(QStringLiteral("not a replay file"));
    if (bytes.size() > kMaxFileBytes)
        return fail(QStringLiteral("replay file too large (%1 bytes)").arg(bytes.size()));
    if (bytes.size() < kMagicSize + kVersionBytes + kChecksumBytes)
        return fail(QStringLiteral("replay file cut short"));
    ByteReader versionReader(bytes.constData() + kMagicSize, kVersionBytes);
    const quint16 version = versionReader.u16();
    if (version > kFormatVersion)
        return fail(QStringLiteral("replay made by a newer game (format %1; this game reads up to %2)")
                        .arg(version)
                        .arg(kFormatVersion));
    if (version == 0)
        return fail(QStringLiteral("replay of unknown format 0"));
    const qsizetype body = bytes.size() - kChecksumBytes;
    ByteReader trailer(bytes.constData() + body, kChecksumBytes);
    if (trailer.u64() != Fnv1a::of(bytes.constData(), body))
        return fail(QStringLiteral("replay file damaged or cut short (check sum does not match)"));

    ByteReader r(bytes.constData() + kMagicSize + kVersionBytes, body - kMagicSize - kVersionBytes);
    ReplayFile f;
    const quint8 versionBytes = r.u8();
    f.gameVersion = QString::fromUtf8(r.bytes(versionBytes));
    f.pack = r.u16();
    f.level = r.u16();
    f.levelId = r.i32();
    f.levelChecksum = r.u64();
    f.randomState = r.u64();
    const quint32 steps = r.u32();
    const quint8 outcome = r.u8();
    f.finalStateHash = r.u64();
    f.poseStride = r.u8();
    const int controlCount = r.u16();
    if (r.failed())
        return fail(QStringLiteral("replay header cut short"));
    if (steps > quint32(kMaxSteps))
        return fail(
            QStringLiteral("replay of %1 steps, more than the %2 a run may last").arg(steps).arg(kMaxSteps));
    f.steps = int(steps);
    if (outcome > quint8(Outcome::Unfinished))
        return fail(QStringLiteral("replay with unknown outcome %1").arg(outcome));
    f.outcome = Outcome(outcome);
    if (f.poseStride < 1 || f.poseStride > kMaxStride)
        return fail(QStringLiteral("replay with pose stride %1").arg(f.poseStride));
    for (int i = 0; i < controlCount; ++i) {
        Controls c;
        c.throttle = r.f64();
        const quint8 brake = r.u8();
        c.lean = r.f64();
        if (r.failed())
            return fail(QStringLiteral("replay controls cut short"));
        if (brake > 1 || !validControls(c))
            return fail(QStringLiteral("replay controls %1 out of range").arg(i));
        c.brake = brake == 1;
        f.controls.append(c);
    }
    const quint32 runCount = r.u32();
    // Every run takes at least two bytes and at least one step.
    if (r.failed() || runCount > quint32(r.remaining() / 2) || runCount > steps)
        return fail(QStringLiteral("replay inputs cut short or too many (%1 runs)").arg(runCount));
    qint64 total = 0;
    f.inputs.reserve(int(runCount));
    for (quint32 i = 0; i < runCount; ++i) {
        InputRun run;
        const quint32 index = r.varint();
        const quint32 length = r.varint();
        if (r.failed())
            return fail(QStringLiteral("replay inputs cut short"));
        if (index >= quint32(controlCount) || length == 0 || length > steps)
            return fail(QStringLiteral("replay input run %1 is not valid").arg(i));
        run.controls = int(index);
        run.steps = int(length);
        total += length;
        f.inputs.append(run);
    }
    if (total != steps)
        return fail(QStringLiteral("replay inputs cover %1 steps of %2").arg(total).arg(steps));
    const quint32 poseCount = r.u32();
    const quint32 poseLength = r.u32();
    if (r.failed() || poseLength != quint64(r.remaining()))
        return fail(QStringLiteral("replay pose track cut short or followed by stray bytes"));
    if (int(poseCount) != poseSamplesFor(f.steps, f.poseStride) || poseCount > poseLength)
        return fail(QStringLiteral("replay holds %1 pose samples, a run of %2 steps has %3")
                        .arg(poseCount)
                        .arg(f.steps)
                        .arg(poseSamplesFor(f.steps, f.poseStride)));
    f.poseCount = int(poseCount);
    f.poseBytes = r.bytes(poseLength);
    QString poseError;
    if (!PoseTrack::decode(f.poseBytes, f.poseCount, &poseError))
        return fail(QStringLiteral("replay %1").arg(poseError));
    return f;
}

bool ReplayFile::save(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write replay %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("cannot write replay %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

std::optional<ReplayFile> ReplayFile::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read replay %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > kMaxFileBytes) {
        *error = QStringLiteral("%1: replay file too large (%2 bytes)").arg(path).arg(file.size());
        return std::nullopt;
    }
    QString why;
    std::optional<ReplayFile> f = fromBytes(file.readAll(), &why);
    if (!f)
        *error = QStringLiteral("%1: %2").arg(path, why);
    return f;
}

std::optional<QVector<PoseTrack::Sample>> ReplayFile::poses(QString *error) const
{
    return PoseTrack::decode(poseBytes, poseCount, error);
}

QVector<ReplayFile::Controls> ReplayFile::controlsPerStep() const
{
    QVector<Controls> perStep;
    perStep.reserve(steps);
    for (const InputRun &run : inputs)
        for (int i = 0; i < run.steps; ++i)
            perStep.append(controls.value(run.controls));
    return perStep;
}

QString ReplayFile::outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Finished:
        return QStringLiteral("finished");
    case Outcome::Failed:
        return QStringLiteral("failed");
    case Outcome::Unfinished:
        break;
    }
    return QStringLiteral("unfinished");
}

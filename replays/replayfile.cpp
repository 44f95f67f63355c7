// SPDX-License-Identifier: GPL-3.0-or-later
#include "replayfile.h"

#include "bytereader.h"
#include "bytewriter.h"
#include "fnv1a.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int kChecksumBytes = 8;
constexpr int kVersionBytes = 2;
// Throttle and lean speeds beyond these are no input a bike gets.
constexpr double kMaxThrottle = 1.0;
constexpr double kMaxLean = 1.0;
constexpr int kMaxStride = 255;

// Field sizes of the format (replays/README.md), bytes.
constexpr qint64 kU8Bytes = 1;
constexpr qint64 kU16Bytes = 2;
constexpr qint64 kU32Bytes = 4;
constexpr qint64 kU64Bytes = 8;
constexpr qint64 kF64Bytes = 8;
constexpr qint64 kVarintMaxBytes = 5;
// A reader takes a game version as long as its length byte says.
constexpr qint64 kLongestGameVersion = std::numeric_limits<quint8>::max();
// Magic, format and game version, pack, level, level id, level check sum,
// random state, steps, outcome, final state, pose stride, controls count.
constexpr qint64 kHeaderBytes = ReplayFile::kMagicSize + kVersionBytes + kU8Bytes + kLongestGameVersion
    + 2 * kU16Bytes + kU32Bytes + 2 * kU64Bytes + kU32Bytes + kU8Bytes + kU64Bytes + kU8Bytes + kU16Bytes;
constexpr qint64 kControlsBytes = kF64Bytes + kU8Bytes + kF64Bytes;
// Every step a run of its own, both varints at their longest; a pose
// sample after every step (stride 1) and after step 0.
constexpr qint64 kLargestFileBytes = kHeaderBytes + ReplayFile::kMaxControls * kControlsBytes + kU32Bytes
    + qint64(ReplayFile::kMaxSteps) * 2 * kVarintMaxBytes + 2 * kU32Bytes
    + (qint64(ReplayFile::kMaxSteps) + 1) * PoseTrack::kMaxSampleBytes + kChecksumBytes;

// What save() puts after the replay's name for its temporary, and the
// random letters and digits that follow.
const QString kTemporaryMark = QStringLiteral(".saving-");
constexpr int kTemporaryRandomChars = 6;
const char kTemporaryAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
// Names tried before a save gives up on finding one that is free.
constexpr int kTemporaryNameTries = 16;
// Room added at a time for a file that grows while it is read, bytes.
constexpr qsizetype kReadChunkBytes = 64 * 1024;
constexpr mode_t kNewFileMode = 0666;

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// What a file that is no regular file is, in the player's words.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a plain file");
}

// Why a file of this status is not read as a replay; empty when it may be.
QString refusalOf(const QString &path, const struct stat &status)
{
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("%1 is not a regular file (it is %2)").arg(path, kindOf(status.st_mode));
    if (status.st_size > ReplayFile::kMaxFileBytes)
        return QStringLiteral("%1 is too large to be a replay (%2 bytes)")
            .arg(path)
            .arg(qint64(status.st_size));
    return QString();
}

// Writes all of bytes to fd; false with errno set.
bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool validControls(const ReplayFile::Controls &c)
{
    return std::isfinite(c.throttle) && std::isfinite(c.lean) && std::fabs(c.throttle) <= kMaxThrottle
        && std::fabs(c.lean) <= kMaxLean;
}
} // namespace

const qint64 ReplayFile::kMaxFileBytes = kLargestFileBytes;

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

QString ReplayFile::temporaryPathFor(const QString &path)
{
    QString random;
    for (int i = 0; i < kTemporaryRandomChars; ++i)
        random += QLatin1Char(
            kTemporaryAlphabet[QRandomGenerator::global()->bounded(int(sizeof kTemporaryAlphabet) - 1)]);
    return path + kTemporaryMark + random;
}

bool ReplayFile::save(const QString &path, QString *error) const
{
    auto fail = [&](int why) {
        *error = QStringLiteral("cannot write replay %1: %2").arg(path, systemReason(why));
        return false;
    };
    const QByteArray bytes = toBytes();
    // A name only save() makes: a stop while it is written leaves a file
    // that the clean-up of a later start recognises and removes.
    QString temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < kTemporaryNameTries; ++attempt) {
        temporary = temporaryPathFor(path);
        fd = ::open(
            QFile::encodeName(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return fail(errno);
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    if (!written) {
        ::unlink(QFile::encodeName(temporary).constData());
        return fail(writeError);
    }
    const QByteArray temporaryName = QFile::encodeName(temporary);
    if (std::rename(temporaryName.constData(), QFile::encodeName(path).constData()) != 0) {
        const int renameError = errno;
        ::unlink(temporaryName.constData());
        return fail(renameError);
    }
    return true;
}

std::optional<ReplayFile> ReplayFile::load(const QString &path, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    auto cannotRead = [&](int why) {
        *error = QStringLiteral("cannot read replay %1: %2").arg(path, systemReason(why));
        return std::nullopt;
    };
    auto refuse = [&](const QString &why) {
        *error = why;
        return std::nullopt;
    };
    // Looked at before it is opened: opening a named pipe waits for a
    // writer, and a device may never end.
    struct stat status;
    if (::stat(name.constData(), &status) != 0)
        return cannotRead(errno);
    if (const QString why = refusalOf(path, status); !why.isEmpty())
        return refuse(why);
    // Swapped for a pipe since: opened without waiting, and refused as what
    // it is now.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return cannotRead(errno);
    auto closed = [fd](auto result) {
        ::close(fd);
        return result;
    };
    if (::fstat(fd, &status) != 0)
        return closed(cannotRead(errno));
    if (const QString why = refusalOf(path, status); !why.isEmpty())
        return closed(refuse(why));
    // A file that grows while it is read is read up to one byte past the
    // limit, which is enough to refuse it.
    QByteArray bytes(qsizetype(status.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > kMaxFileBytes)
                break;
            bytes.resize(std::min(std::max(2 * bytes.size(), kReadChunkBytes), kMaxFileBytes + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return closed(cannotRead(errno));
        if (n == 0)
            break;
        done += n;
    }
    ::close(fd);
    bytes.truncate(done);
    if (bytes.size() > kMaxFileBytes)
        return refuse(QStringLiteral("%1 is too large to be a replay (more than %2 bytes)")
                          .arg(path)
                          .arg(kMaxFileBytes));
    QString why;
    std::optional<ReplayFile> f = fromBytes(bytes, &why);
    if (!f)
        *error = QStringLiteral("%1: %2").arg(path, why);
    return f;
}

int ReplayFile::removeStaleTemporaries(const QString &folder, const QDateTime &now)
{
    static const QRegularExpression temporary(
        QStringLiteral("^.+%1[%2]{%3}$")
            .arg(QRegularExpression::escape(kTemporaryMark), QString::fromLatin1(kTemporaryAlphabet))
            .arg(kTemporaryRandomChars));
    const QDir dir(folder);
    int removed = 0;
    for (const QString &entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks)) {
        if (!temporary.match(entry).hasMatch())
            continue;
        const QString path = dir.filePath(entry);
        struct stat status;
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
            continue;
        const QDateTime written = QDateTime::fromSecsSinceEpoch(qint64(status.st_mtime));
        if (written.secsTo(now) <= kStaleTemporarySeconds)
            continue;
        if (::unlink(QFile::encodeName(path).constData()) == 0)
            ++removed;
    }
    return removed;
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

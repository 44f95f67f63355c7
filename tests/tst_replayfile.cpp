// SPDX-License-Identifier: GPL-3.0-or-later
// The replay file: the round trip of every field and of the pose track,
// the size of a long run, refusal with a reason of every kind of bad file
// (foreign, cut, damaged, newer, out of range, no regular file, too large),
// and the clean-up of the temporaries of cut-short saves.

#include "readwatchdog.h"
#include "replays/bytewriter.h"
#include "replays/fnv1a.h"
#include "replays/posetrack.h"
#include "replays/replayfile.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {
// A riding bike's four bodies, moving like a bike at speed.
PoseTrack::Sample ridingSample(int i)
{
    PoseTrack::Sample s;
    s.parts = 0x0f;
    const double x = 100.0 + 40.0 * i;
    s.bodies[PoseTrack::Frame] = {x, -50.0 + std::sin(i * 0.1) * 20.0, 0.2 * std::sin(i * 0.05)};
    s.bodies[PoseTrack::RearWheel] = {x - 30.0, -30.0, i * 1.7};
    s.bodies[PoseTrack::FrontWheel] = {x + 30.0, -30.0, i * 1.6};
    s.bodies[PoseTrack::RiderMass] = {x, -90.0, 0.0};
    return s;
}

ReplayFile sampleFile(int steps)
{
    ReplayFile f;
    f.gameVersion = QStringLiteral("9.8.7");
    f.pack = 2;
    f.level = 13;
    f.levelId = 2013;
    f.levelChecksum = 0x0123456789abcdefULL;
    f.randomState = 77;
    f.steps = steps;
    f.outcome = ReplayFile::Outcome::Finished;
    f.finalStateHash = 0xfedcba9876543210ULL;
    f.poseStride = 6;
    f.controls = {{0.0, false, 0.0}, {1.0, false, 0.0}, {-0.5, true, -0.033}};
    // Alternating runs over the whole run.
    int left = steps;
    int i = 0;
    while (left > 0) {
        const int n = std::min(left, 7 + (i * 13) % 40);
        f.inputs.append({i % 3, n});
        left -= n;
        ++i;
    }
    PoseTrack track;
    for (int k = 0; k < ReplayFile::poseSamplesFor(steps, f.poseStride); ++k)
        track.append(ridingSample(k));
    f.poseBytes = track.bytes();
    f.poseCount = track.count();
    return f;
}

// The file with its check sum made right again after a change, so that
// the reader gets past the check sum to the field under test.
QByteArray resealed(QByteArray bytes)
{
    bytes.chop(8);
    QByteArray sum;
    ByteWriter(&sum).u64(Fnv1a::of(bytes.constData(), bytes.size()));
    return bytes + sum;
}

// Offset of the steps field: magic, version, game version "9.8.7",
// pack, level, id, level checksum, random state.
constexpr int kStepsOffset = 8 + 2 + 1 + 5 + 2 + 2 + 4 + 8 + 8;
} // namespace

class TestReplayFile : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip()
    {
        const ReplayFile f = sampleFile(550);
        QString error;
        const std::optional<ReplayFile> back = ReplayFile::fromBytes(f.toBytes(), &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->gameVersion, f.gameVersion);
        QCOMPARE(back->pack, 2);
        QCOMPARE(back->level, 13);
        QCOMPARE(back->levelId, 2013);
        QCOMPARE(back->levelChecksum, f.levelChecksum);
        QCOMPARE(back->randomState, quint64(77));
        QCOMPARE(back->steps, 550);
        QCOMPARE(back->outcome, ReplayFile::Outcome::Finished);
        QCOMPARE(back->finalStateHash, f.finalStateHash);
        QCOMPARE(back->poseStride, 6);
        QCOMPARE(back->controls.size(), 3);
        QCOMPARE(back->controls.at(2).throttle, -0.5);
        QVERIFY(back->controls.at(2).brake);
        QCOMPARE(back->controls.at(2).lean, -0.033);
        QCOMPARE(back->controlsPerStep(), f.controlsPerStep());
        QCOMPARE(back->controlsPerStep().size(), 550);
        QCOMPARE(back->toBytes(), f.toBytes());
    }

    void poseTrackKeepsPosesWithinQuantization()
    {
        PoseTrack track;
        QVector<PoseTrack::Sample> in;
        for (int i = 0; i < 200; ++i) {
            PoseTrack::Sample s = ridingSample(i);
            if (i >= 120) {
                // A crash: the rider mass gives way to the ragdoll's parts.
                s.parts = 0xf7;
                for (int part = PoseTrack::Torso; part <= PoseTrack::Arm; ++part)
                    s.bodies[part] = {s.bodies[0].x + part, -80.0 - part, -0.5 * part};
            }
            if (i == 150)
                s.bodies[PoseTrack::Frame].x += 5000.0; // a jump beyond 16 bits
            in.append(s);
            track.append(s);
        }
        QString error;
        const auto out = PoseTrack::decode(track.bytes(), track.count(), &error);
        QVERIFY2(out, qPrintable(error));
        QCOMPARE(out->size(), in.size());
        for (int i = 0; i < in.size(); ++i) {
            QCOMPARE(out->at(i).parts, in.at(i).parts);
            for (int part = 0; part < PoseTrack::PartCount; ++part) {
                if (!(in.at(i).parts & (1 << part)))
                    continue;
                const PoseTrack::BodyPose &a = in.at(i).bodies[part];
                const PoseTrack::BodyPose &b = out->at(i).bodies[part];
                QVERIFY2(std::fabs(a.x - b.x) <= 0.5 / PoseTrack::kQuantaPerUnit,
                    qPrintable(
                        QStringLiteral("sample %1 part %2 x %3 vs %4").arg(i).arg(part).arg(a.x).arg(b.x)));
                QVERIFY(std::fabs(a.y - b.y) <= 0.5 / PoseTrack::kQuantaPerUnit);
                // Angles come back within the turn.
                const double turn = 2.0 * M_PI;
                double d = std::fmod(std::fabs(a.angle - b.angle), turn);
                d = std::min(d, turn - d);
                QVERIFY2(d <= turn / PoseTrack::kQuantaPerTurn,
                    qPrintable(QStringLiteral("sample %1 part %2 angle %3 vs %4")
                                   .arg(i)
                                   .arg(part)
                                   .arg(a.angle)
                                   .arg(b.angle)));
            }
        }
    }

    // Between samples the pose moves on a line and turns the short way;
    // the run's last sample stands at its last step, not at a stride.
    void poseAtInterpolatesBetweenSamples()
    {
        QVector<PoseTrack::Sample> samples(3);
        for (PoseTrack::Sample &s : samples)
            s.parts = 1 << PoseTrack::Frame;
        samples[0].bodies[PoseTrack::Frame] = {0.0, 10.0, 3.0};
        samples[1].bodies[PoseTrack::Frame] = {60.0, 40.0, -3.0}; // 0.28 rad the short way
        samples[2].bodies[PoseTrack::Frame] = {64.0, 40.0, -3.0};
        // Stride 6, run of 8 steps: samples after steps 0, 6 and 8.
        const auto at
            = [&](double step) { return PoseTrack::poseAt(samples, 6, 8, step).bodies[PoseTrack::Frame]; };
        QCOMPARE(at(3.0).x, 30.0);
        QCOMPARE(at(3.0).y, 25.0);
        const double shortWay = std::remainder(-6.0, 2.0 * M_PI);
        QVERIFY(std::fabs(at(3.0).angle - (3.0 + shortWay / 2.0)) < 1e-12);
        QCOMPARE(at(7.0).x, 62.0);
        QCOMPARE(at(-1.0).x, 0.0);
        QCOMPARE(at(100.0).x, 64.0);
        QCOMPARE(PoseTrack::poseAt({}, 6, 8, 3.0).parts, quint8(0));
    }

    // A crash brings the ragdoll's parts: a part held by one side only keeps
    // its pose, and the parts shown switch halfway.
    void poseAtSwitchesPartsHalfway()
    {
        QVector<PoseTrack::Sample> samples(2);
        samples[0].parts = (1 << PoseTrack::Frame) | (1 << PoseTrack::RiderMass);
        samples[0].bodies[PoseTrack::RiderMass] = {5.0, 5.0, 0.0};
        samples[1].parts = (1 << PoseTrack::Frame) | (1 << PoseTrack::Torso);
        samples[1].bodies[PoseTrack::Torso] = {7.0, 8.0, 1.0};
        const PoseTrack::Sample early = PoseTrack::poseAt(samples, 10, 10, 4.0);
        QCOMPARE(early.parts, samples[0].parts);
        QCOMPARE(early.bodies[PoseTrack::RiderMass].x, 5.0);
        const PoseTrack::Sample late = PoseTrack::poseAt(samples, 10, 10, 6.0);
        QCOMPARE(late.parts, samples[1].parts);
        QCOMPARE(late.bodies[PoseTrack::Torso].y, 8.0);
    }

    // A minute of riding (55 steps per second) fits in 16 KB.
    void minuteOfRidingFitsIn16K()
    {
        const QByteArray bytes = sampleFile(60 * 55).toBytes();
        qInfo("a 60 s replay takes %lld bytes", qlonglong(bytes.size()));
        QVERIFY2(bytes.size() <= 16 * 1024, qPrintable(QString::number(bytes.size())));
    }

    void saveAndLoad()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("best.vcreplay"));
        QString error;
        QVERIFY2(sampleFile(100).save(path, &error), qPrintable(error));
        QVERIFY2(sampleFile(200).save(path, &error), qPrintable(error));
        const auto back = ReplayFile::load(path, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->steps, 200);
        // Nothing but the file is left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("best.vcreplay")});
    }

    void missingFileIsReported()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!ReplayFile::load(dir.filePath(QStringLiteral("none")), &error));
        QVERIFY2(error.contains(QStringLiteral("cannot read replay")), qPrintable(error));
    }

    // A named pipe is never waited on, a device or a sparse giant never
    // read: each is refused by what it is, with one line that names it.
    void nonFilesAreRefusedUnread_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("named pipe") << "named pipe"
                                    << "is not a regular file (it is a named pipe)";
        QTest::newRow("folder") << "folder"
                                << "is not a regular file (it is a folder)";
        QTest::newRow("device") << "device"
                                << "is not a regular file (it is a device)";
        QTest::newRow("too large")
            << "too large"
            << QStringLiteral("is too large to be a replay (%1 bytes)").arg(ReplayFile::kMaxFileBytes + 1);
    }

    void nonFilesAreRefusedUnread()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("best.vcreplay"));
        QVERIFY(TestSupport::plantNonFile(kind, path, ReplayFile::kMaxFileBytes + 1));
        const ReadWatchdog watchdog(kind == QLatin1String("named pipe") ? path : QString());
        QString error;
        QVERIFY(!ReplayFile::load(path, &error));
        QCOMPARE(watchdog.pipeReaders(), 0);
        QVERIFY2(error.startsWith(path + QLatin1Char(' ')) && error.endsWith(reason), qPrintable(error));
    }

    // A file no larger than a replay can be is read, whatever it holds.
    void largestSizeIsRead()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("zeros.vcreplay"));
        QVERIFY(TestSupport::plantNonFile(QStringLiteral("too large"), path, ReplayFile::kMaxFileBytes));
        QString error;
        QVERIFY(!ReplayFile::load(path, &error));
        QCOMPARE(error, path + QStringLiteral(": not a replay file"));
    }

    // What a stop in the middle of a save leaves goes at the next start;
    // what another copy of the game may be writing now, and everything not
    // named as a save's temporary, stays.
    void staleTemporariesAreRemoved()
    {
        QTemporaryDir dir;
        const QString best = dir.filePath(QStringLiteral("pack1-level01.vcreplay"));
        QString error;
        QVERIFY2(sampleFile(100).save(best, &error), qPrintable(error));
        const QString temporary = ReplayFile::temporaryPathFor(best);
        QVERIFY2(QFileInfo(temporary).fileName().startsWith(QStringLiteral("pack1-level01.vcreplay.saving-")),
            qPrintable(temporary));
        const QStringList stale {
            QFileInfo(temporary).fileName(), QStringLiteral("pack2-level13.vcreplay.saving-0a9zq1")};
        const QStringList kept {QStringLiteral("pack1-level01.vcreplay"),
            QStringLiteral("pack1-level01.vcreplay.backup"),
            QStringLiteral("pack1-level01.vcreplay.saving-abc"),
            QStringLiteral("pack1-level01.vcreplay.saving-ABCDEF"), QStringLiteral("notes.txt"),
            QStringLiteral("pack3-level02.vcreplay.saving-young1")};
        const QDateTime now = QDateTime::currentDateTime();
        for (const QString &name : stale + kept) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadWrite));
            if (file.size() == 0)
                file.write("partial");
            QVERIFY(file.flush());
            // The young one is still within a save's time, as far as the
            // clean-up's clock knows.
            const qint64 age = name.endsWith(QLatin1String("young1"))
                ? ReplayFile::kStaleTemporarySeconds / 2
                : 2 * ReplayFile::kStaleTemporarySeconds;
            QVERIFY(file.setFileTime(now.addSecs(-age), QFileDevice::FileModificationTime));
        }
        // A folder or a link named as a temporary is no temporary of ours.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("pack4-level01.vcreplay.saving-folder")));
        QVERIFY(QFile::link(best, dir.filePath(QStringLiteral("pack5-level01.vcreplay.saving-link12"))));

        QCOMPARE(ReplayFile::removeStaleTemporaries(dir.path(), now), int(stale.size()));
        QStringList left
            = QDir(dir.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        QStringList expected = kept;
        expected << QStringLiteral("pack4-level01.vcreplay.saving-folder")
                 << QStringLiteral("pack5-level01.vcreplay.saving-link12");
        left.sort();
        expected.sort();
        QCOMPARE(left, expected);
        QVERIFY(ReplayFile::load(best, &error));
    }

    void badFilesAreRefusedWithAReason_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray good = sampleFile(300).toBytes();

        QTest::newRow("empty") << QByteArray() << "not a replay file";
        QTest::newRow("foreign") << QByteArray("PK\x03\x04 some archive, not a replay at all")
                                 << "not a replay file";
        QTest::newRow("magic only") << good.left(8) << "cut short";
        for (int cut : {12, 40, 100, int(good.size()) / 2, int(good.size()) - 1})
            QTest::addRow("cut at %d", cut) << good.left(cut) << "cut short";
        QByteArray flipped = good;
        flipped[good.size() / 2] = char(flipped[good.size() / 2] ^ 0x10);
        QTest::newRow("one bit flipped") << flipped << "damaged";
        QByteArray newer = good;
        newer[8] = 2;
        QTest::newRow("newer format") << newer << "newer game (format 2; this game reads up to 1)";
        QByteArray zero = good;
        zero[8] = 0;
        QTest::newRow("format 0") << zero << "unknown format 0";
        QByteArray longRun = good;
        longRun[kStepsOffset + 3] = 0x7f;
        QTest::newRow("endless run") << resealed(longRun) << "more than the 198000 a run may last";
        QByteArray shorter = good;
        shorter[kStepsOffset] = char(shorter[kStepsOffset] - 1);
        QTest::newRow("inputs do not cover the run")
            << resealed(shorter) << "replay inputs cover 300 steps of 299";
        QByteArray outcome = good;
        outcome[kStepsOffset + 4] = 9;
        QTest::newRow("unknown outcome") << resealed(outcome) << "unknown outcome 9";
        ReplayFile wild = sampleFile(300);
        wild.controls[1].throttle = std::nan("");
        QTest::newRow("not a number") << wild.toBytes() << "controls 1 out of range";
        ReplayFile fewPoses = sampleFile(300);
        fewPoses.poseCount -= 1;
        QTest::newRow("pose count") << fewPoses.toBytes() << "a run of 300 steps has 51";
        ReplayFile strayPoses = sampleFile(300);
        strayPoses.poseBytes.append(char(0));
        QTest::newRow("pose bytes left over") << strayPoses.toBytes() << "bytes after the last sample";
        ReplayFile badIndex = sampleFile(300);
        badIndex.inputs[0].controls = 7;
        QTest::newRow("run names missing controls") << badIndex.toBytes() << "input run 0 is not valid";
    }

    void badFilesAreRefusedWithAReason()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!ReplayFile::fromBytes(bytes, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        // The same through a file on disk names the file.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.vcreplay"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QVERIFY(!ReplayFile::load(path, &error));
        QVERIFY2(error.startsWith(path + QStringLiteral(": ")) && error.contains(reason), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestReplayFile)
#include "tst_replayfile.moc"

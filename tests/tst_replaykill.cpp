// SPDX-License-Identifier: GPL-3.0-or-later
// A replay is replaced by writing a temporary file and renaming it over the
// old one: a child that rewrites one replay over and over is killed at many
// different moments, and the file is always one of the two complete
// replays it writes, never a broken or missing one; the temporaries the
// kills leave are all removed by the clean-up of the next start.

#include "replays/replayfile.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

class TestReplayKill : public QObject
{
    Q_OBJECT
private slots:
    void killedWriterLeavesAWholeReplay()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("best.vcreplay"));
        QRandomGenerator random(16);
        constexpr int kKills = 12;
        QSet<int> seen;
        for (int round = 0; round < kKills; ++round) {
            QProcess child;
            child.start(QStringLiteral(REPLAYWRITER_PATH), {path});
            QVERIFY(child.waitForStarted());
            QByteArray out;
            while (!out.contains("saved\n") && child.waitForReadyRead(30000))
                out += child.readAllStandardOutput();
            QVERIFY2(out.contains("saved\n"), child.readAllStandardError().constData());
            // Anywhere within the next few writes.
            QThread::usleep(random.bounded(200000));
            child.kill(); // SIGKILL
            QVERIFY(child.waitForFinished());
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

            QString error;
            const std::optional<ReplayFile> f = ReplayFile::load(path, &error);
            QVERIFY2(f, qPrintable(QStringLiteral("round %1: %2").arg(round).arg(error)));
            QVERIFY(f->level == 1 || f->level == 2);
            QCOMPARE(f->steps, ReplayFile::kMaxSteps);
            seen.insert(f->level);
        }
        qInfo() << "replays the killed writer left:" << seen.values();
        // Whatever else the kills left is a temporary that the next start
        // removes once it is old enough.
        const int left = int(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size()) - 1;
        qInfo() << "temporaries the kills left:" << left;
        QCOMPARE(ReplayFile::removeStaleTemporaries(dir.path(),
                     QDateTime::currentDateTime().addSecs(2 * ReplayFile::kStaleTemporarySeconds)),
            left);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            QStringList {QStringLiteral("best.vcreplay")});
    }
};

QTEST_GUILESS_MAIN(TestReplayKill)
#include "tst_replaykill.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The ride tool as a program: finishing the shipped levels from committed
// timelines, byte-identical output, its working folder and its errors.

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QString ride()
{
    return TestSupport::binaryDir() + QStringLiteral("/tools/ride/ride");
}
QString levelsDb()
{
    return TestSupport::binaryDir() + QStringLiteral("/levels.db");
}
QString testLevelsDb()
{
    return TestSupport::binaryDir() + QStringLiteral("/testlevels.db");
}
QString solution(const QString &name)
{
    return TestSupport::sourceDir() + QStringLiteral("/tools/ride/solutions/") + name;
}

QJsonObject runJson(
    const QStringList &args, TestSupport::ProcessResult *raw = nullptr, const QString &workingDir = QString())
{
    const TestSupport::ProcessResult r = TestSupport::runProcess(ride(), args, workingDir);
    if (raw)
        *raw = r;
    return QJsonDocument::fromJson(r.standardOutput.toUtf8()).object();
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(text);
    return file.fileName();
}
} // namespace

class TestRide : public QObject
{
    Q_OBJECT
private slots:
    void finishesShippedLevels_data();
    void finishesShippedLevels();
    void sameInputsSameOutput();
    void leavesThePlayersFolderAlone();
    void snapshotAndTrace();
    void badInput_data();
    void badInput();
    void recordsAndReplays();
};

void TestRide::finishesShippedLevels_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("timeline");
    QTest::addColumn<double>("bronze");
    QTest::newRow("pack 1, level 1") << 1 << "pack1-01.txt" << 22.0;
}

void TestRide::finishesShippedLevels()
{
    QFETCH(int, level);
    QFETCH(QString, timeline);
    QFETCH(double, bronze);
    TestSupport::ProcessResult raw;
    const QJsonObject out
        = runJson({QStringLiteral("--levels"), levelsDb(), QStringLiteral("--pack"), QStringLiteral("1"),
                      QStringLiteral("--level"), QString::number(level), QStringLiteral("--timeline"),
                      solution(timeline)},
            &raw);
    QVERIFY2(raw.exitCode == 0, qPrintable(raw.standardError));
    // The level database is opened once.
    QVERIFY2(!raw.standardError.contains(QStringLiteral("duplicate connection name")),
        qPrintable(raw.standardError));
    QVERIFY2(out.value(QStringLiteral("finished")).toBool(), qPrintable(raw.standardOutput));
    QVERIFY(!out.value(QStringLiteral("crashed")).toBool());
    QVERIFY(out.value(QStringLiteral("crashStep")).isNull());
    QVERIFY(out.value(QStringLiteral("runTime")).toDouble() <= bronze);
    QVERIFY(out.value(QStringLiteral("frontmostX")).toDouble()
        >= out.value(QStringLiteral("finishLineX")).toDouble());
    // The run time follows the step count: 55 steps to the second, cut to tenths.
    const int steps = out.value(QStringLiteral("steps")).toInt();
    QCOMPARE(out.value(QStringLiteral("runTime")).toDouble(), int(steps / 55.0 * 10) / 10.0);
}

void TestRide::sameInputsSameOutput()
{
    QTemporaryDir dir;
    const QString timeline = writeFile(dir, QStringLiteral("t.txt"),
        "0 throttle 1\n30 lean -1\n45 lean 0\n90 lean 1\n100 lean 0\n"
        "150 brake 1\n170 brake 0\n171 throttle 0.6\n");
    QStringList args = {QStringLiteral("--levels"), testLevelsDb(), QStringLiteral("--pack"),
        QStringLiteral("95"), QStringLiteral("--level"), QStringLiteral("2"), QStringLiteral("--timeline"),
        timeline, QStringLiteral("--seed"), QStringLiteral("12345"), QStringLiteral("--max-steps"),
        QStringLiteral("600")};
    TestSupport::ProcessResult first;
    TestSupport::ProcessResult second;
    runJson(args + QStringList {QStringLiteral("--trace"), dir.filePath(QStringLiteral("a.csv"))}, &first);
    runJson(args + QStringList {QStringLiteral("--trace"), dir.filePath(QStringLiteral("b.csv"))}, &second);
    QCOMPARE(first.exitCode, 0);
    QVERIFY(!first.standardOutput.isEmpty());
    QCOMPARE(first.standardOutput, second.standardOutput);
    QFile a(dir.filePath(QStringLiteral("a.csv")));
    QFile b(dir.filePath(QStringLiteral("b.csv")));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray traceA = a.readAll();
    QVERIFY(traceA.count('\n') > 100);
    QCOMPARE(traceA, b.readAll());
}

void TestRide::leavesThePlayersFolderAlone()
{
    // A player's folder: levels.db and a results.db that must stay as it is.
    QTemporaryDir player;
    QVERIFY(QFile::copy(levelsDb(), player.filePath(QStringLiteral("levels.db"))));
    const QString results = writeFile(player, QStringLiteral("results.db"), "not touched");
    TestSupport::ProcessResult raw;
    const QJsonObject out
        = runJson({QStringLiteral("--levels"), QStringLiteral("levels.db"), QStringLiteral("--pack"),
                      QStringLiteral("1"), QStringLiteral("--level"), QStringLiteral("1"),
                      QStringLiteral("--max-steps"), QStringLiteral("50")},
            &raw, player.path());
    QCOMPARE(raw.exitCode, 0);
    QCOMPARE(out.value(QStringLiteral("steps")).toInt(), 50);
    QFile file(results);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("not touched"));
    QCOMPARE(QDir(player.path()).entryList(QDir::Files).size(), 2);
}

void TestRide::snapshotAndTrace()
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("s.png"));
    const QString csv = dir.filePath(QStringLiteral("t.csv"));
    TestSupport::ProcessResult raw;
    const QJsonObject out
        = runJson({QStringLiteral("--levels"), testLevelsDb(), QStringLiteral("--pack"), QStringLiteral("95"),
                      QStringLiteral("--level"), QStringLiteral("1"), QStringLiteral("--max-steps"),
                      QStringLiteral("60"), QStringLiteral("--snapshot"), QStringLiteral("60:") + png,
                      QStringLiteral("--snapshot-size"), QStringLiteral("320x200"),
                      QStringLiteral("--snapshot-shapes"), QStringLiteral("--trace"), csv},
            &raw);
    QVERIFY2(raw.exitCode == 0, qPrintable(raw.standardError));
    QImage image(png);
    QCOMPARE(image.size(), QSize(320, 200));
    // Sky above, ground below, the bike in between: many colours.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    QVERIFY(colours.size() > 20);
    QFile trace(csv);
    QVERIFY(trace.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = trace.readAll().split('\n');
    QVERIFY(lines.first().startsWith("step,x,y,angle"));
    QCOMPARE(lines.size(), 1 + 60 + 1); // header, 60 rows, final newline
    QVERIFY(lines.at(60).startsWith("60,"));
}

void TestRide::badInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString db = testLevelsDb();
    QTest::newRow("no level") << QStringList {"--levels", db, "--pack", "95"}
                              << "--levels, --pack and --level";
    QTest::newRow("missing db") << QStringList {"--levels", "/nonexistent/levels.db", "--pack", "1",
        "--level", "1"} << "no level database at /nonexistent/levels.db";
    QTest::newRow("unknown level") << QStringList {"--levels", db, "--pack", "95", "--level", "99"}
                                   << "no level 99 in pack 95";
    QTest::newRow("bad pack") << QStringList {"--levels", db, "--pack", "x", "--level", "1"} << "--pack";
    QTest::newRow("bad seed") << QStringList {"--levels", db, "--pack", "95", "--level", "1", "--seed", "-3"}
                              << "--seed";
    QTest::newRow("bad snapshot") << QStringList {"--levels", db, "--pack", "95", "--level", "1",
        "--snapshot", "x.png"} << "--snapshot";
    QTest::newRow("huge snapshot") << QStringList {"--levels", db, "--pack", "95", "--level", "1",
        "--snapshot-size", "99999x2"}
                                   << "--snapshot-size";
    QTest::newRow("missing timeline")
        << QStringList {"--levels", db, "--pack", "95", "--level", "1", "--timeline", "/nonexistent/t.txt"}
        << "cannot read /nonexistent/t.txt";
    QTest::newRow("stray argument") << QStringList {"--levels", db, "--pack", "95", "--level", "1", "extra"}
                                    << "unexpected argument";
}

void TestRide::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    TestSupport::ProcessResult raw;
    runJson(args, &raw);
    QCOMPARE(raw.exitCode, 2);
    QVERIFY(!raw.crashed);
    QVERIFY(raw.standardOutput.isEmpty());
    QVERIFY2(raw.standardError.contains(QStringLiteral("ride: ") + message), qPrintable(raw.standardError));
}

// A ride written with --record (a path relative to the caller) re-simulates
// with --replay to the same JSON line; a replay on another level exits with
// status 3 naming what differs, a damaged one with status 2.
void TestRide::recordsAndReplays()
{
    QTemporaryDir dir;
    TestSupport::ProcessResult recorded;
    runJson({QStringLiteral("--levels"), levelsDb(), QStringLiteral("--pack"), QStringLiteral("1"),
                QStringLiteral("--level"), QStringLiteral("1"), QStringLiteral("--timeline"),
                solution(QStringLiteral("pack1-01.txt")), QStringLiteral("--record"),
                QStringLiteral("run.vcreplay")},
        &recorded, dir.path());
    QVERIFY2(recorded.exitCode == 0, qPrintable(recorded.standardError));
    const QString replay = dir.filePath(QStringLiteral("run.vcreplay"));
    QVERIFY(QFile::exists(replay));

    TestSupport::ProcessResult replayed;
    runJson({QStringLiteral("--levels"), levelsDb(), QStringLiteral("--replay"), replay}, &replayed);
    QVERIFY2(replayed.exitCode == 0, qPrintable(replayed.standardError));
    QCOMPARE(replayed.standardOutput, recorded.standardOutput);

    TestSupport::ProcessResult elsewhere;
    runJson({QStringLiteral("--levels"), levelsDb(), QStringLiteral("--replay"), replay,
                QStringLiteral("--level"), QStringLiteral("2")},
        &elsewhere);
    QCOMPARE(elsewhere.exitCode, 3);
    QVERIFY2(elsewhere.standardError.contains(
                 QStringLiteral("the ride differs from the recording: the level changed")),
        qPrintable(elsewhere.standardError));

    QFile file(replay);
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.seek(40);
    file.write("XX");
    file.close();
    TestSupport::ProcessResult damaged;
    runJson({QStringLiteral("--levels"), levelsDb(), QStringLiteral("--replay"), replay}, &damaged);
    QCOMPARE(damaged.exitCode, 2);
    QVERIFY2(damaged.standardError.contains(QStringLiteral("damaged")), qPrintable(damaged.standardError));
}

QTEST_MAIN(TestRide)
#include "tst_ride.moc"

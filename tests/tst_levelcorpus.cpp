// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged level databases and hard stops, each run in a child process: a
// database either loads safely or ends the process with its fixed message,
// never with a crash or a physics-library abort. Results survive SIGKILL.

#include "testsupport.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kProbe = QStringLiteral(LEVELPROBE_PATH);
constexpr int kManyVertices = 100000;

QString testLevels()
{
    return TestSupport::binaryDir() + "/testlevels.db";
}

// count more crates at the test level's crate (400, -20).
QString sameSpot(int count)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                          "INSERT INTO physicsobject (level_id, objecttype_id, x, y, angle) "
                          "SELECT 90001, 4, 400, -20, 0 FROM n")
        .arg(count);
}

// count more crates, one to a 200 x 200 square, above the test level.
QString spread(int count)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1 - 1) "
                          "INSERT INTO physicsobject (level_id, objecttype_id, x, y, angle) "
                          "SELECT 90001, 4, 100 + 200 * (i % 400), -2100 - 200 * (i / 400), 0 FROM n")
        .arg(count);
}
} // namespace

class TestLevelCorpus : public QObject
{
    Q_OBJECT
private slots:
    void corpus_data()
    {
        QTest::addColumn<QString>("kind"); // copy: test levels + statements; raw: file bytes
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // expected in stdout or stderr
        QTest::addColumn<QString>("absent"); // must not appear there (empty: no check)

        QTest::newRow("not an SQLite file") << "raw:this is not a database, just some text\n"
                                            << QStringList() << 1 << 1 << "Could not open db." << QString();
        QTest::newRow("zero-byte file") << "raw:" << QStringList() << 1 << 1 << "DB error" << QString();
        QTest::newRow("missing table") << "copy" << QStringList {"DROP TABLE physicsobject"} << 1 << 1
                                       << "Error preparing physicsobject query:" << QString();
        QTest::newRow("missing column")
            << "copy"
            << QStringList {"CREATE TABLE level2 AS SELECT id, levelpack_number, level_number, bike_startx, "
                            "bike_starty, goldtime, silvertime, bronzetime, finishline_x, finishline_y, "
                            "scene_min_y "
                            "FROM level",
                   "DROP TABLE level", "ALTER TABLE level2 RENAME TO level"}
            << 1 << 1 << "Error reading the level list:" << QString();
        QTest::newRow("NULL in REAL columns")
            << "copy"
            << QStringList {"UPDATE level SET bike_startx = NULL, goldtime = NULL, scene_max_y = NULL",
                   "UPDATE physicsobject SET x = NULL, angle = NULL",
                   "UPDATE groundvertex SET endx = NULL WHERE id % 2 = 0",
                   "UPDATE grounditem SET starty = NULL",
                   "UPDATE objecttype SET physics_width = NULL, physics_friction = NULL"}
            << 1 << 0 << "loaded items=5 " << QString();
        QTest::newRow("level without terrain")
            << "copy" << QStringList {"DELETE FROM grounditem WHERE level_id = 90001"} << 1 << 0
            << "loaded items=5 " << QString();
        QTest::newRow("100 000 vertices")
            << "copy"
            << QStringList {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                            "100000) "
                            "INSERT INTO groundvertex (grounditem_id, vertexnumber, type, endx, endy) SELECT "
                            "1, 100 + "
                            "i, 0, i * 0.5, 300 + (i % 7) FROM n"}
            << 1 << 0 << QStringLiteral("loaded items=7 shapes=%1").arg(kManyVertices + 26) << QString();
        QTest::newRow("box of mass 0")
            << "copy" << QStringList {"UPDATE objecttype SET physics_mass = 0 WHERE id = 4"} << 1 << 1
            << "BoxItem::BoxItem - zero mass not supported" << QString();
        QTest::newRow("kind Crate")
            << "copy" << QStringList {"UPDATE objecttype SET physicsitem_type = 'Crate' WHERE id = 4"} << 1
            << 0 << "could not load item of unknown physics type \"Crate\"" << QString();
        QTest::newRow("kind ball")
            << "copy" << QStringList {"UPDATE objecttype SET physicsitem_type = 'ball' WHERE id = 2"} << 1
            << 0 << "could not load item of unknown physics type \"ball\"" << QString();
        QTest::newRow("ball of mass 0 and negative friction")
            << "copy"
            << QStringList {"UPDATE objecttype SET physics_mass = 0 WHERE id = 2",
                   "UPDATE objecttype SET physics_friction = -1 WHERE id = 4"}
            << 1 << 0 << "loaded items=5 " << QString();
        QTest::newRow("infinite and huge values")
            << "copy"
            << QStringList {"UPDATE physicsobject SET y = 1e999 WHERE objecttype_id = 2",
                   "UPDATE physicsobject SET x = -1e300 WHERE objecttype_id = 10",
                   "UPDATE groundvertex SET endy = 1e999 WHERE id = 2",
                   "UPDATE objecttype SET physics_width = 1e999 WHERE id = 4"}
            << 1 << 0 << "loaded items=4 " << QString();
        QTest::newRow("infinite start position")
            << "copy" << QStringList {"UPDATE level SET bike_starty = -1e999"} << 1 << 0
            << "loaded items=0 shapes=0" << QString();
        QTest::newRow("terrain row without vertices") << "copy" << QStringList {"DELETE FROM groundvertex"}
                                                      << 1 << 0 << "loaded items=7 shapes=2" << QString();

        // Hostile but finite numbers, each with the value at its limit.
        const QString items7 = "loaded items=7 ";
        QTest::newRow("angle 1e308")
            << "copy" << QStringList {"UPDATE physicsobject SET angle = 1e308 WHERE objecttype_id = 4"} << 1
            << 0 << "loaded items=6 " << QString();
        QTest::newRow("angle -360")
            << "copy" << QStringList {"UPDATE physicsobject SET angle = -360 WHERE objecttype_id = 4"} << 1
            << 0 << items7 << "skipping";
        QTest::newRow("box size 1e-300")
            << "copy" << QStringList {"UPDATE objecttype SET physics_width = 1e-300 WHERE id = 4"} << 1 << 0
            << "loaded items=6 " << QString();
        QTest::newRow("box size 1")
            << "copy"
            << QStringList {"UPDATE objecttype SET physics_width = 1, physics_height = 1 WHERE id = 4"} << 1
            << 0 << items7 << "skipping";
        QTest::newRow("bounciness 1e300")
            << "copy" << QStringList {"UPDATE objecttype SET physics_bounciness = 1e300 WHERE id = 2"} << 1
            << 0 << "loaded items=6 " << QString();
        QTest::newRow("bounciness 1")
            << "copy" << QStringList {"UPDATE objecttype SET physics_bounciness = 1 WHERE id = 2"} << 1 << 0
            << items7 << "skipping";
        QTest::newRow("friction 10.5")
            << "copy" << QStringList {"UPDATE objecttype SET physics_friction = 10.5 WHERE id = 2"} << 1 << 0
            << "loaded items=6 " << QString();
        QTest::newRow("mass 1e300") << "copy"
                                    << QStringList {"UPDATE objecttype SET physics_mass = 1e300 WHERE id = 2"}
                                    << 1 << 0 << "loaded items=6 " << QString();
        QTest::newRow("static type with negative mass")
            << "copy" << QStringList {"UPDATE objecttype SET physics_mass = -5 WHERE id = 10"} << 1 << 0
            << "loaded items=6 " << QString();
        QTest::newRow("static type with mass 1000")
            << "copy" << QStringList {"UPDATE objecttype SET physics_mass = 1000 WHERE id = 10"} << 1 << 0
            << items7 << "skipping";
        // The crate at (400, -20) shares its 200 x 200 square with these.
        QTest::newRow("1000 objects at one point")
            << "copy" << QStringList {sameSpot(1000)} << 1 << 0
            << "skipping 969 objects beyond the limit of 32 per 200 x 200 area" << QString();
        QTest::newRow("32 objects in one square")
            << "copy" << QStringList {sameSpot(31)} << 1 << 0 << "loaded items=38 "
            << "skipping";
        QTest::newRow("33 objects in one square")
            << "copy" << QStringList {sameSpot(32)} << 1 << 0
            << "skipping 1 objects beyond the limit of 32 per 200 x 200 area" << QString();
        // Level 1 holds five objects already.
        QTest::newRow("10000 objects")
            << "copy" << QStringList {spread(10000)} << 1 << 0
            << "skipping 9505 objects beyond the limit of 500 per level" << QString();
        QTest::newRow("500 objects") << "copy" << QStringList {spread(495)} << 1 << 0 << "loaded items=502 "
                                     << "skipping";
        QTest::newRow("negative level number")
            << "copy" << QStringList {"UPDATE level SET level_number = -3 WHERE id = 90003"} << -3 << 0
            << "level 90003 (levelpack 90, number -3) refused: its number -3 is not one the level grid shows"
            << QString();
        QTest::newRow("huge level number")
            << "copy" << QStringList {"UPDATE level SET level_number = 1099511627776 WHERE id = 90003"} << 1
            << 0 << "level 90003 (levelpack 90, number 1099511627776) refused" << QString();
        QTest::newRow("level number 0")
            << "copy" << QStringList {"UPDATE level SET level_number = 0 WHERE id = 90003"} << 0 << 0
            << "loaded items=0 shapes=0" << QString();
        QTest::newRow("level number 24")
            << "copy" << QStringList {"UPDATE level SET level_number = 24 WHERE id = 90003"} << 24 << 0
            << "loaded items="
            << "refused";
        QTest::newRow("level number 25")
            << "copy" << QStringList {"UPDATE level SET level_number = 25 WHERE id = 90003"} << 25 << 0
            << "level 90003 (levelpack 90, number 25) refused" << QString();
    }

    void corpus()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, statements);
        QFETCH(int, level);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(QString, absent);
        QTemporaryDir dir;
        const QString db = dir.filePath("levels.db");
        if (kind.startsWith("raw:")) {
            QFile f(db);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(kind.mid(4).toUtf8());
        } else {
            QVERIFY(QFile::copy(testLevels(), db));
            QFile(db).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
            const QString error = TestSupport::execSql(db, statements);
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }
        const auto r = TestSupport::runProcess(kProbe, {"load", "90", QString::number(level)}, dir.path());
        const QString output = r.standardOutput + r.standardError;
        QVERIFY2(!r.crashed, qPrintable(output.right(2000)));
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(output.contains(message), qPrintable(output.right(2000)));
        QVERIFY(!output.contains("Aborting due to Chipmunk error"));
        if (!absent.isEmpty())
            QVERIFY2(!output.contains(absent), qPrintable(output.right(2000)));
    }

    void missingLevelFile()
    {
        QTemporaryDir dir;
        const auto r = TestSupport::runProcess(kProbe, {"start"}, dir.path());
        QVERIFY(!r.crashed);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(
            r.standardError.contains("Database file 'levels.db' is missing."), qPrintable(r.standardError));
    }

    // A results file that is not a database is never deleted or
    // overwritten: it is kept as it is under a dated name, and the game
    // starts on a fresh one.
    void brokenResultsFileIsKept()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(testLevels(), dir.filePath("levels.db")));
        const QByteArray garbage("not a database, but maybe someone's results\n");
        {
            QFile f(dir.filePath("results.db"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(garbage);
        }
        const auto r = TestSupport::runProcess(kProbe, {"start"}, dir.path());
        QVERIFY(!r.crashed);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.standardError.contains("damaged"), qPrintable(r.standardError));
        const QStringList aside = QDir(dir.path()).entryList({"results-damaged-*.db"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QFile f(dir.filePath(aside.first()));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), garbage);
        QCOMPARE(
            TestSupport::querySql(dir.filePath("results.db"), "PRAGMA quick_check"), QVariantList {"ok"});
    }

    void firstStartInFolderWithOnlyLevels()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(testLevels(), dir.filePath("levels.db")));
        const auto r = TestSupport::runProcess(kProbe, {"start"}, dir.path());
        QCOMPARE(r.exitCode, 0);
        const QString results = dir.filePath("results.db");
        QCOMPARE(TestSupport::querySql(results, "SELECT id || ',' || sounds_enabled FROM gamesettings")
                     .value(0)
                     .toString(),
            QString("1,1"));
        QCOMPARE(TestSupport::querySql(results, "SELECT count(*) FROM levelresult").value(0).toInt(), 0);
    }

    // The save is durable when it returns: a kill right after it loses
    // nothing and leaves a sound file.
    void resultSurvivesHardKill()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(testLevels(), dir.filePath("levels.db")));
        QProcess child;
        child.setWorkingDirectory(dir.path());
        child.start(kProbe, {"save-and-wait", "90", "4", "17.5"});
        QVERIFY(child.waitForStarted());
        QByteArray out;
        while (!out.contains("saved\n") && child.waitForReadyRead(30000))
            out += child.readAllStandardOutput();
        QVERIFY2(out.contains("saved\n"), child.readAllStandardError().constData());
        child.kill(); // SIGKILL
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        const auto r = TestSupport::runProcess(kProbe, {"read-best", "90", "4"}, dir.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.standardOutput.startsWith("best=17.5 status=2 id="), qPrintable(r.standardOutput));
        QCOMPARE(
            TestSupport::querySql(dir.filePath("results.db"), "PRAGMA integrity_check").value(0).toString(),
            QString("ok"));
    }
};

QTEST_GUILESS_MAIN(TestLevelCorpus)
#include "tst_levelcorpus.moc"

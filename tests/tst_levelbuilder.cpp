// SPDX-License-Identifier: GPL-3.0-or-later
// LevelBuilder: a level row is read by its columns' names, whatever their
// order in the file, with the player's result; everything is read through
// the connection the builder is given, not Qt's default one.

#include "levels/level.h"
#include "levels/levelbuilder.h"
#include "levels/leveldatabases.h"
#include "levels/packtable.h"
#include "physics/physics.h"
#include "testsupport.h"
#include "world/levelworld.h"

#include <QDir>
#include <QFile>
#include <QGraphicsScene>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kTestPack = 90;

// The level table's columns in the reverse of the compiler's order.
const QString kReversedColumns = "name, scene_max_y, scene_min_y, finishline_y, finishline_x, "
                                 "background_number, bronzetime, silvertime, goldtime, bike_starty, "
                                 "bike_startx, bike_number, level_number, levelpack_number, id";

struct Folder
{
    Folder()
    {
        QFile::copy(TestSupport::binaryDir() + "/testlevels.db", dir.filePath("levels.db"));
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    ~Folder() { QDir::setCurrent(previous); }
    QString file(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    QString previous;
};

// What a loaded level holds, as one comparable line.
QString describe(const Level &level)
{
    return QStringLiteral(
        "%1 %2/%3 start %4,%5 finish %6,%7 times %8/%9/%10 scene %11..%12 result %13 %14 %15 "
        "items %16")
        .arg(level.levelId())
        .arg(level.levelPackNumber())
        .arg(level.levelNumber())
        .arg(level.bikeStartPos().x())
        .arg(level.bikeStartPos().y())
        .arg(level.finishLineX())
        .arg(level.finishLineY())
        .arg(level.goldTime())
        .arg(level.silverTime())
        .arg(level.bronzeTime())
        .arg(level.sceneMinY())
        .arg(level.sceneMaxY())
        .arg(level.levelResultId())
        .arg(levelStatusCode(level.status()))
        .arg(level.bestTime())
        .arg(level.physicsItems().size());
}

// Loads pack 90 level 1 through the given connection.
QString load(const LevelDatabases &databases)
{
    Physics physics(LevelWorld::kGravity);
    QGraphicsScene scene;
    Level level(&physics, &scene, nullptr);
    const LevelBuilder builder(databases.database(), {});
    if (!builder.build(&level, &physics, kTestPack, 1, PackTable(databases.database())))
        return QStringLiteral("not built");
    const QString description = describe(level);
    level.clearItems();
    return description;
}
} // namespace

class TestLevelBuilder : public QObject
{
    Q_OBJECT
private slots:
    void columnOrderDoesNotMatter()
    {
        Folder folder;
        QCOMPARE(TestSupport::execSql(folder.file("results.db"),
                     {"CREATE TABLE levelresult (id INTEGER PRIMARY KEY, level_id INTEGER, status INTEGER, "
                      "besttime REAL)",
                         "INSERT INTO levelresult VALUES (7, 90001, 2, 15.5)"}),
            QString());
        QString asCompiled;
        {
            LevelDatabases databases(folder.file("results.db"));
            QVERIFY(databases.open());
            asCompiled = load(databases);
        }
        QCOMPARE(asCompiled,
            QString("90001 90/1 start 50,-40 finish 1800,0 times 10/20/30 scene -700..500 result 7 2 15.5 "
                    "items 7"));
        QCOMPARE(TestSupport::execSql(folder.file("levels.db"),
                     {QString("CREATE TABLE reordered AS SELECT %1 FROM level").arg(kReversedColumns),
                         "DROP TABLE level", "ALTER TABLE reordered RENAME TO level"}),
            QString());
        LevelDatabases databases(folder.file("results.db"));
        QVERIFY(databases.open());
        QCOMPARE(load(databases), asCompiled);
    }

    // The default connection is some other database: the builder must not
    // look there.
    void readsThroughItsOwnConnection()
    {
        Folder folder;
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE");
        other.setDatabaseName(":memory:");
        QVERIFY(other.open());
        {
            LevelDatabases databases(folder.file("results.db"));
            QVERIFY(databases.open());
            QVERIFY(databases.database().connectionName() != other.connectionName());
            QVERIFY(load(databases).endsWith("items 7"));
        }
        other.close();
        other = QSqlDatabase();
        QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    }

    void missingLevelIsNotBuilt()
    {
        Folder folder;
        LevelDatabases databases(folder.file("results.db"));
        QVERIFY(databases.open());
        Physics physics(LevelWorld::kGravity);
        QGraphicsScene scene;
        Level level(&physics, &scene, nullptr);
        QTest::ignoreMessage(
            QtDebugMsg, "LevelManager::LoadLevel - No level found from levelpack 90 with number 9\n");
        QVERIFY(!LevelBuilder(databases.database(), {})
                     .build(&level, &physics, kTestPack, 9, PackTable(databases.database())));
        QVERIFY(!level.isPlayable());
        QVERIFY(level.physicsItems().isEmpty());
        // A refused level is not built either.
        QVERIFY(!LevelBuilder(databases.database(), {90001})
                     .build(&level, &physics, kTestPack, 1, PackTable(databases.database())));
        QVERIFY(level.physicsItems().isEmpty());
    }
};

QTEST_MAIN(TestLevelBuilder)
#include "tst_levelbuilder.moc"

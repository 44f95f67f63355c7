// SPDX-License-Identifier: GPL-3.0-or-later
// The level manager against the compiled test levels: first start, loading a
// level into the scene and the physics world, the level lists, results and
// the sound setting across restarts, and awkward results files.

#include "levels/grounditem.h"
#include "levels/level.h"
#include "levels/levelinfo.h"
#include "levels/levelmanager.h"
#include "physics/ballitem.h"
#include "physics/boxitem.h"
#include "physics/physics.h"
#include "physics/physicssegment.h"
#include "testsupport.h"
#include "world/levelworld.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
// What a level item is, as the loader made it.
QString kindOf(const PhysicsItem *item)
{
    if (const GroundItem *ground = qgraphicsitem_cast<const GroundItem *>(item))
        return ground->isTerrain() ? "terrain" : ground->isForeground() ? "front" : "static";
    if (qgraphicsitem_cast<const BallItem *>(item))
        return "ball";
    if (qgraphicsitem_cast<const BoxItem *>(item))
        return "box";
    return "other";
}
constexpr int kTestPack = 90;

// A game folder with a copy of a level database, made the working directory
// for the fixture's lifetime. Declared order is teardown order: the manager
// goes first, then the scene (which frees the items), then the world.
struct GameFolder
{
    explicit GameFolder(const QString &subdir = QString(), const QString &db = "testlevels.db")
    {
        path = subdir.isEmpty() ? dir.path() : dir.filePath(subdir);
        QDir().mkpath(path);
        QFile::copy(TestSupport::binaryDir() + "/" + db, path + "/levels.db");
        previous = QDir::currentPath();
        QDir::setCurrent(path);
    }
    ~GameFolder() { QDir::setCurrent(previous); }
    QString file(const QString &name) const { return path + "/" + name; }

    QTemporaryDir dir;
    QString path;
    QString previous;
};

// A file system of 1 MiB mounted over a folder while the object lives.
struct SmallDisk
{
    explicit SmallDisk(const QString &folder)
        : path(folder)
    {
        const TestSupport::ProcessResult mount
            = TestSupport::runProcess("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", path});
        if (mount.exitCode != 0)
            error = "cannot mount a small file system: " + mount.standardError.trimmed();
        mounted = error.isEmpty();
    }
    ~SmallDisk()
    {
        if (mounted)
            TestSupport::runProcess("umount", {"-l", path});
    }
    // Takes every free byte.
    void fill()
    {
        QFile filler(path + "/filler");
        filler.open(QIODevice::WriteOnly);
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) { }
    }
    void unfill() { QFile::remove(path + "/filler"); }

    QString path;
    QString error;
    bool mounted = false;
};

struct Game
{
    Physics physics {LevelWorld::kGravity};
    QGraphicsScene scene;
    std::unique_ptr<LevelManager> manager {new LevelManager(&physics, &scene)};
};
} // namespace

class TestLevelManager : public QObject
{
    Q_OBJECT
private slots:
    void firstStartCreatesResults()
    {
        GameFolder folder;
        QVERIFY(!QFile::exists(folder.file("results.db")));
        {
            Game game;
            QCOMPARE(game.manager->resultsDbPath(), QDir::toNativeSeparators(folder.file("results.db")));
            QVERIFY(game.manager->soundsEnabled());
            game.manager->setSoundsEnabled(false);
            QVERIFY(!game.manager->soundsEnabled());
        }
        QCOMPARE(TestSupport::querySql(folder.file("results.db"), "SELECT count(*) FROM levelresult"),
            QVariantList {0});
        QCOMPARE(TestSupport::querySql(
                     folder.file("results.db"), "SELECT id || ',' || sounds_enabled FROM gamesettings"),
            QVariantList {"1,0"});
        Game again;
        QVERIFY(!again.manager->soundsEnabled());
    }

    void loadsLevelIntoSceneAndWorld()
    {
        GameFolder folder;
        Game game;
        Level *level = game.manager->LoadLevel(kTestPack, 1);
        QCOMPARE(level, game.manager->currentLevel());
        QCOMPARE(level->levelId(), 90001);
        QCOMPARE(level->bikeStartPos(), QPointF(50, -40));
        QCOMPARE(level->levelResultId(), -1);
        QCOMPARE(level->bestTime(), 0.0);
        // Terrain first, then the objects in their rows' order.
        QStringList kinds;
        for (const PhysicsItem *item : level->physicsItems())
            kinds.append(kindOf(item));
        QCOMPARE(kinds, (QStringList {"terrain", "terrain", "ball", "box", "static", "front", "front"}));
        auto *first = static_cast<GroundItem *>(level->physicsItems()[0]);
        auto *second = static_cast<GroundItem *>(level->physicsItems()[1]);
        QCOMPARE(first->segments().size(), 4); // closed by the loader
        QCOMPARE(second->segments().size(), 4); // vertex types 1 and 7, own closing vertex
        auto *ball = static_cast<BallItem *>(level->physicsItems()[2]);
        QCOMPARE(ball->radius(), 20.0);
        QCOMPARE(ball->typeId(), 2);
        auto *rock = static_cast<GroundItem *>(level->physicsItems()[4]);
        QCOMPARE(rock->segments().size(), 8); // octagon closed by the loader
        QCOMPARE(QPointF(rock->bodyX(), rock->bodyY()), QPointF(600, -20));
        const cpBB bb = cpShapeGetBB(rock->segments().first()->physicsShape());
        QVERIFY(bb.l > 560 && bb.r < 640); // the outline moved with the object
        auto *front = static_cast<GroundItem *>(level->physicsItems()[5]);
        QVERIFY(qAbs(front->bodyAngle() - 90.0) < 1e-9);
        QCOMPARE(front->zValue(), 100.0);
        auto *sign = static_cast<GroundItem *>(level->physicsItems()[6]);
        QCOMPARE(sign->segments().size(), 0);
        // 4 + 4 terrain, 8 + 8 rock outlines, one ball, one box.
        QCOMPARE(TestSupport::shapeCount(game.physics.space()), 26);
        QCOMPARE(game.scene.items().size(), 8);
        QGraphicsPixmapItem *finish = level->finishLineItem();
        QVERIFY(finish);
        QCOMPARE(finish->sceneBoundingRect().bottomLeft(), QPointF(1800, 0));
        // 800 units high: widened upwards to 1200.
        QCOMPARE(level->sceneMaxY(), 500.0);
        QCOMPARE(level->sceneMinY(), -700.0);
        QCOMPARE(game.manager->currentLevelPack(), kTestPack);
        QCOMPARE(game.manager->currentLevelNumber(), 1);

        // The next load clears this level from the scene and the world.
        game.manager->LoadLevel(kTestPack, 4);
        QCOMPARE(TestSupport::shapeCount(game.physics.space()), 4);
        QCOMPARE(game.scene.items().size(), 2);
    }

    void highestIdWinsForDuplicatedNumber()
    {
        GameFolder folder;
        Game game;
        Level *level = game.manager->LoadLevel(kTestPack, 2);
        QCOMPARE(level->levelId(), 90102);
        QCOMPARE(level->bikeStartPos(), QPointF(20, -20));
        QCOMPARE(level->sceneMinY(), -1000.0); // exactly 1200 high: unchanged
        QCOMPARE(level->groundMaxX(), 5000.0);
        QVector<int> numbers;
        for (const LevelInfo &info : game.manager->levelInfos(kTestPack))
            numbers.append(info.levelNumber());
        QCOMPARE(numbers, (QVector<int> {1, 2, 2, 3, 4}));
    }

    void missingLevelGivesEmptyLevel()
    {
        GameFolder folder;
        Game game;
        game.manager->LoadLevel(kTestPack, 3);
        QTest::ignoreMessage(
            QtDebugMsg, "LevelManager::LoadLevel - No level found from levelpack 1 with number 99\n");
        Level *level = game.manager->LoadLevel(1, 99);
        QVERIFY(level);
        QVERIFY(level->physicsItems().isEmpty());
        QVERIFY(!level->finishLineItem());
        QCOMPARE(level->levelId(), 0);
        QCOMPARE(level->levelNumber(), 0);
        QCOMPARE(level->goldTime(), 0.0);
        QCOMPARE(game.scene.items().size(), 0);
        QCOMPARE(TestSupport::shapeCount(game.physics.space()), 0);
        QCOMPARE(game.manager->currentLevelPack(), kTestPack);
        QCOMPARE(game.manager->currentLevelNumber(), 3);
    }

    void scenesLowerThan1200AreWidened()
    {
        GameFolder folder;
        Game game;
        Level *level = game.manager->LoadLevel(kTestPack, 4); // 0 .. 1000
        QCOMPARE(level->sceneMinY(), -200.0);
        QCOMPARE(level->sceneMaxY(), 1000.0);
    }

    void nextAndFrontierLevels()
    {
        GameFolder folder;
        Game game;
        QCOMPARE(game.manager->nextLevelNumber(), 0); // nothing loaded yet
        QCOMPARE(game.manager->frontierLevel(kTestPack), 1);
        Level *level = game.manager->LoadLevel(kTestPack, 1);
        QCOMPARE(game.manager->nextLevelNumber(), 2);
        level->setBestTime(5, true); // gold
        game.manager->saveLevelResult(level);
        level = game.manager->LoadLevel(kTestPack, 2);
        level->setBestTime(100, true); // slower than bronze: no medal
        QCOMPARE(level->status(), LevelStatus::NoMedal);
        game.manager->saveLevelResult(level);
        // Statuses 1, 4, 0: status 4 does not count as completed.
        QCOMPARE(game.manager->frontierLevel(kTestPack), 2);
        game.manager->LoadLevel(kTestPack, 4);
        QCOMPARE(game.manager->nextLevelNumber(), 0); // last of the pack
        QCOMPARE(game.manager->frontierLevel(77), 0); // empty pack
    }

    void resultIsInsertedOnceThenUpdated()
    {
        GameFolder folder;
        qint64 resultId = 0;
        {
            Game game;
            Level *level = game.manager->LoadLevel(kTestPack, 4);
            QCOMPARE(level->levelResultId(), -1);
            level->setBestTime(15, true);
            game.manager->saveLevelResult(level);
            resultId = level->levelResultId();
            QVERIFY(resultId > 0);
            level->setBestTime(9.5, true);
            game.manager->saveLevelResult(level);
            QCOMPARE(level->levelResultId(), resultId);
        }
        QCOMPARE(TestSupport::querySql(folder.file("results.db"), "SELECT id FROM levelresult"),
            QVariantList {resultId});
        Game restarted;
        Level *level = restarted.manager->LoadLevel(kTestPack, 4);
        QCOMPARE(level->levelResultId(), resultId);
        QCOMPARE(level->bestTime(), 9.5);
        QCOMPARE(level->status(), LevelStatus::Gold);
        QCOMPARE(restarted.manager->levelInfos(kTestPack).last().status(), LevelStatus::Gold);
    }

    // Another copy of the game on the same data folder stores a better time
    // after this one loaded the level: this copy's slower finish must not
    // replace it, with or without a row at load time; a faster one does.
    void saveNeverMakesTheStoredBestWorse_data()
    {
        QTest::addColumn<QStringList>("before"); // rows there when the level is loaded
        QTest::addColumn<QString>("otherCopy"); // what the other copy stores meanwhile
        QTest::addColumn<double>("ours");
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("storedStatus");
        const QString insert74
            = "INSERT INTO levelresult (level_id, status, besttime) VALUES (90004, 1, 7.4)";
        QTest::newRow("no row at load") << QStringList() << insert74 << 8.1 << 7.4 << 1;
        QTest::newRow("row at load")
            << QStringList {"INSERT INTO levelresult (level_id, status, besttime) VALUES (90004, 2, 15)"}
            << QString("UPDATE levelresult SET besttime = 7.4, status = 1 WHERE level_id = 90004") << 8.1
            << 7.4 << 1;
        QTest::newRow("ours is better") << QStringList() << insert74 << 7.3 << 7.3 << 1;
        QTest::newRow("other copy slower")
            << QStringList()
            << QString("INSERT INTO levelresult (level_id, status, besttime) VALUES (90004, 4, 99)") << 8.1
            << 8.1 << 1;
    }

    void saveNeverMakesTheStoredBestWorse()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, otherCopy);
        QFETCH(double, ours);
        QFETCH(double, stored);
        QFETCH(int, storedStatus);
        GameFolder folder;
        Game game;
        const QString results = folder.file("results.db");
        if (!before.isEmpty())
            QCOMPARE(TestSupport::execSql(results, before), QString());
        Level *level = game.manager->LoadLevel(kTestPack, 4);
        QCOMPARE(TestSupport::execSql(results, {otherCopy}), QString());
        level->setBestTime(ours, true);
        game.manager->saveLevelResult(level);
        QCOMPARE(TestSupport::querySql(results, "SELECT besttime FROM levelresult WHERE level_id = 90004"),
            QVariantList {stored});
        QCOMPARE(TestSupport::querySql(results, "SELECT status FROM levelresult WHERE level_id = 90004"),
            QVariantList {storedStatus});
        // The game shows what is stored.
        QCOMPARE(level->bestTime(), stored);
        QCOMPARE(levelStatusCode(level->status()), storedStatus);
        QVERIFY(level->levelResultId() > 0);
    }

    // Row ids of an imported or long-lived results file beyond 32 bits are
    // read, kept and written back whole: the save changes its own row only.
    void resultRowIdsBeyond32Bits()
    {
        GameFolder folder;
        const QString results = folder.file("results.db");
        constexpr qint64 kFarId = (qint64(1) << 32) + 5;
        {
            Game created; // makes results.db
        }
        QCOMPARE(TestSupport::execSql(results,
                     {QString("INSERT INTO levelresult VALUES (%1, 90004, 3, 25)").arg(kFarId),
                         "INSERT INTO levelresult VALUES (5, 90001, 1, 5)"}),
            QString());
        Game game;
        Level *level = game.manager->LoadLevel(kTestPack, 4);
        QCOMPARE(level->levelResultId(), kFarId);
        level->setBestTime(12, true);
        game.manager->saveLevelResult(level);
        QCOMPARE(level->levelResultId(), kFarId);
        QCOMPARE(TestSupport::querySql(results,
                     "SELECT id || ':' || level_id || ':' || besttime FROM levelresult "
                     "ORDER BY id"),
            (QVariantList {"5:90001:5.0", QString("%1:90004:12.0").arg(kFarId)}));

        // A new row gets the next id, beyond 32 bits, and the level keeps it.
        level = game.manager->LoadLevel(kTestPack, 3);
        QCOMPARE(level->levelResultId(), -1);
        level->setBestTime(40, true);
        game.manager->saveLevelResult(level);
        QCOMPARE(level->levelResultId(), kFarId + 1);
        level->setBestTime(30, true);
        game.manager->saveLevelResult(level);
        QCOMPARE(TestSupport::querySql(
                     results, "SELECT id || ':' || besttime FROM levelresult WHERE level_id = 90003"),
            QVariantList {QString("%1:30.0").arg(kFarId + 1)});
    }

    // A level row with positions outside the limits, or a number the level
    // grid cannot show, is refused when the database is opened: not listed,
    // loaded as an empty level that is not playable, and never saved.
    void refusedLevelsAreNotListedPlayedOrSaved()
    {
        GameFolder folder;
        QCOMPARE(TestSupport::execSql(folder.file("levels.db"),
                     {"UPDATE level SET bike_startx = 1e999 WHERE id = 90003",
                         "UPDATE level SET level_number = 25 WHERE id = 90004"}),
            QString());
        Game game;
        QVector<int> listed;
        for (const LevelInfo &info : game.manager->levelInfos(kTestPack))
            listed.append(info.levelNumber());
        QVERIFY2(!listed.contains(3) && !listed.contains(25), qPrintable(QString::number(listed.size())));
        QVERIFY(listed.contains(1));
        for (int number : {3, 25}) {
            Level *level = game.manager->LoadLevel(kTestPack, number);
            QVERIFY(!level->isPlayable());
            QVERIFY(level->physicsItems().isEmpty());
            level->setBestTime(0.1, true);
            game.manager->saveLevelResult(level);
        }
        QCOMPARE(TestSupport::querySql(folder.file("results.db"), "SELECT count(*) FROM levelresult"),
            QVariantList {0});
        QVERIFY(game.manager->LoadLevel(kTestPack, 1)->isPlayable());
    }

    // The pack table of levels.db names the background: a changed row
    // changes it, and a pack without one is shown on the first pack's.
    void backgroundsComeFromThePackTable()
    {
        GameFolder folder(QString(), "levels.db");
        QCOMPARE(
            TestSupport::execSql(folder.file("levels.db"),
                {"UPDATE levelpack SET picture = ':/images/levelpack1bg.jpg', ground = NULL WHERE number = 2",
                    "UPDATE levelpack SET picture = ':/images/levelpack2bg.jpg' WHERE number = 1"}),
            QString());
        Game game;
        QCOMPARE(game.manager->backgroundImage(2), QString(":/images/levelpack1bg.jpg"));
        QCOMPARE(game.manager->backgroundImage(1), QString(":/images/levelpack2bg.jpg"));
        QCOMPARE(game.manager->backgroundImage(0), QString(":/images/levelpack2bg.jpg"));
        QCOMPARE(game.manager->backgroundImage(3), QString(":/images/levelpack2bg.jpg"));
        QCOMPARE(game.manager->packPicture(3), QString());
        QCOMPARE(game.manager->packGround(2), QString());
        QCOMPARE(game.manager->packSurface(2), QString(":/images/surface_306.png"));
        QCOMPARE(game.manager->packAmbient(1), QString("ambient1"));
        QVERIFY(game.manager->LoadLevel(2, 1)->isPlayable()); // terrain without a texture
        QCOMPARE(game.manager->levelsPerPack(), 24);
    }

    // The results path is bound as a parameter, so any character may appear
    // in the folder's name.
    void folderWithQuoteInItsName()
    {
        GameFolder folder(QStringLiteral("odd \"folder\" 'name'"));
        {
            Game game;
            Level *level = game.manager->LoadLevel(kTestPack, 4);
            level->setBestTime(12, true);
            game.manager->saveLevelResult(level);
        }
        QCOMPARE(TestSupport::querySql(folder.file("results.db"), "SELECT besttime FROM levelresult"),
            QVariantList {12.0});
    }

    // A results file left without tables (a first start stopped while creating
    // it) is completed; one without the settings table keeps its results.
    void incompleteResultsFileIsCompleted()
    {
        GameFolder folder;
        {
            QFile empty(folder.file("results.db"));
            QVERIFY(empty.open(QIODevice::WriteOnly));
        }
        {
            Game game;
            QVERIFY(game.manager->soundsEnabled());
        }
        QCOMPARE(TestSupport::querySql(
                     folder.file("results.db"), "SELECT sounds_enabled FROM gamesettings WHERE id = 1"),
            QVariantList {1});

        GameFolder second;
        TestSupport::querySql(second.file("results.db"),
            "CREATE TABLE levelresult (id INTEGER PRIMARY KEY, level_id INTEGER, status INTEGER, besttime "
            "REAL)");
        TestSupport::querySql(
            second.file("results.db"), "INSERT INTO levelresult VALUES (7, 90004, 2, 15.5)");
        {
            Game game;
            QVERIFY(game.manager->soundsEnabled());
            Level *level = game.manager->LoadLevel(kTestPack, 4);
            QCOMPARE(level->levelResultId(), 7);
            QCOMPARE(level->bestTime(), 15.5);
        }
        QCOMPARE(TestSupport::querySql(second.file("results.db"), "SELECT count(*) FROM gamesettings"),
            QVariantList {1});
    }

    // A results file with a damaged page is set aside unchanged before
    // anything is written, and the game goes on with what could be read.
    void damagedResultsAreSalvagedBeforeAnyWrite()
    {
        GameFolder folder;
        const QString file = folder.file("results.db");
        {
            Game game;
            for (int n = 1; n <= 4; ++n) {
                Level *level = game.manager->LoadLevel(kTestPack, n);
                level->setBestTime(10.0 + n, true);
                QVERIFY(game.manager->saveLevelResult(level));
            }
        }
        // The header page says it is no database any more.
        QFile damaged(file);
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        damaged.write(QByteArray(100, '\x5a'));
        damaged.close();
        QVERIFY(damaged.open(QIODevice::ReadOnly));
        const QByteArray bytes = damaged.readAll();
        damaged.close();
        {
            Game game;
            QVERIFY(game.manager->startNotice().contains("damaged"));
            QVERIFY(!game.manager->levelInfos(kTestPack).isEmpty());
            Level *level = game.manager->LoadLevel(kTestPack, 2);
            level->setBestTime(9.0, true);
            QVERIFY(game.manager->saveLevelResult(level));
        }
        const QStringList aside = QDir(folder.path).entryList({"results-damaged-*.db"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QFile copy(folder.file(aside.first()));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), bytes);
        QCOMPARE(TestSupport::querySql(file, "PRAGMA quick_check"), QVariantList {"ok"});
        Game again;
        QVERIFY(again.manager->startNotice().isEmpty());
        QCOMPARE(again.manager->LoadLevel(kTestPack, 2)->bestTime(), 9.0);
    }

    // A write that fails (a lock another program holds, a full disk, a
    // read-only file) ends nothing and loses nothing: the result stays
    // pending, reads back as stored, and goes in with the next write that
    // works; what was stored before stays as it was.
    void failedWritesStayPendingUntilAWriteWorks_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("locked") << "locked"
                                << "another program holds the results file";
        QTest::newRow("full") << "full"
                              << "the disk is full";
        QTest::newRow("read-only") << "readonly"
                                   << "the results file or its folder is read-only";
    }

    void failedWritesStayPendingUntilAWriteWorks()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        GameFolder folder(fault == "full" ? "small" : QString());
        // A full disk is a small file system of its own (mounting one
        // needs the right to; without it the case cannot be made).
        std::unique_ptr<SmallDisk> disk;
        if (fault == "full") {
            disk = std::make_unique<SmallDisk>(folder.path);
            if (!disk->error.isEmpty())
                QSKIP(qPrintable(disk->error));
            QFile::copy(TestSupport::binaryDir() + "/testlevels.db", folder.file("levels.db"));
        }
        const QString file = folder.file("results.db");
        Game game;
        Level *level = game.manager->LoadLevel(kTestPack, 1);
        level->setBestTime(20.0, true);
        QVERIFY(game.manager->saveLevelResult(level));

        QSqlDatabase holder = QSqlDatabase::addDatabase("QSQLITE", "holder");
        holder.setDatabaseName(file);
        QVERIFY(holder.open());
        QSqlQuery lock(holder);
        // The game's own connection is the default one.
        QSqlQuery own(QSqlDatabase::database());
        if (fault == "locked") {
            // Another program in the middle of a write: readers go on, writers wait.
            QVERIFY(lock.exec("BEGIN IMMEDIATE"));
            QVERIFY(lock.exec("UPDATE gamesettings SET sounds_enabled = 1"));
        } else if (fault == "full") {
            disk->fill();
        } else {
            QVERIFY(own.exec("PRAGMA query_only = 1"));
        }
        level = game.manager->LoadLevel(kTestPack, 2);
        level->setBestTime(15.0, true);
        QVERIFY(!game.manager->saveLevelResult(level));
        QCOMPARE(game.manager->lastWriteError(), reason);
        QVERIFY(game.manager->hasPendingWrites());
        QVERIFY(!game.manager->setPlayerSetting("zoom", "0.5"));
        QCOMPARE(game.manager->playerSetting("zoom"), QString("0.5"));
        QVERIFY(!game.manager->setSoundsEnabled(false));
        QVERIFY(!game.manager->soundsEnabled());
        // A better time of the same level while it still fails replaces the
        // pending one.
        level->setBestTime(14.0, true);
        QVERIFY(!game.manager->saveLevelResult(level));

        if (fault == "locked") {
            lock.exec("ROLLBACK");
        } else if (fault == "full") {
            disk->unfill();
        } else {
            QVERIFY(own.exec("PRAGMA query_only = 0"));
        }
        lock.finish();
        own.finish();
        holder.close();
        holder = QSqlDatabase();
        QSqlDatabase::removeDatabase("holder");
        QVERIFY(game.manager->savePendingWrites());
        QVERIFY(game.manager->lastWriteError().isEmpty());
        QVERIFY(!game.manager->hasPendingWrites());
        QCOMPARE(TestSupport::querySql(
                     file, "SELECT besttime FROM levelresult WHERE level_id > 0 ORDER BY level_id"),
            (QVariantList {20.0, 14.0}));
        QCOMPARE(TestSupport::querySql(file, "SELECT value FROM playersetting WHERE name = 'zoom'"),
            QVariantList {"0.5"});
        QCOMPARE(TestSupport::querySql(file, "SELECT sounds_enabled FROM gamesettings"), QVariantList {0});
    }

    // Settings added after the first release live in their own table: an
    // older results.db gains it in place, keeping every row it had.
    void playerSettingsPersistAndOldFilesAreUpgraded()
    {
        GameFolder folder;
        TestSupport::querySql(folder.file("results.db"),
            "CREATE TABLE levelresult (id INTEGER PRIMARY KEY, level_id INTEGER, status INTEGER, besttime "
            "REAL)");
        TestSupport::querySql(folder.file("results.db"),
            "CREATE TABLE gamesettings (id INTEGER PRIMARY KEY, sounds_enabled INTEGER)");
        TestSupport::querySql(folder.file("results.db"), "INSERT INTO gamesettings VALUES (1, 0)");
        TestSupport::querySql(
            folder.file("results.db"), "INSERT INTO levelresult VALUES (7, 90004, 2, 15.5)");
        {
            Game game;
            QVERIFY(game.manager->playerSetting("fullscreen").isNull());
            game.manager->setPlayerSetting("fullscreen", "1");
            game.manager->setPlayerSetting("zoom", "0.5");
            game.manager->setPlayerSetting("zoom", "0.75");
            game.manager->setPlayerSetting("it's", "a \"quoted\" value");
        }
        {
            Game game;
            QCOMPARE(game.manager->playerSetting("fullscreen"), QString("1"));
            QCOMPARE(game.manager->playerSetting("zoom"), QString("0.75"));
            QCOMPARE(game.manager->playerSetting("it's"), QString("a \"quoted\" value"));
            QVERIFY(!game.manager->soundsEnabled());
            QCOMPARE(game.manager->LoadLevel(kTestPack, 4)->bestTime(), 15.5);
        }
        QCOMPARE(TestSupport::querySql(folder.file("results.db"), "SELECT count(*) FROM playersetting"),
            QVariantList {3});
        QCOMPARE(TestSupport::querySql(folder.file("results.db"), "SELECT count(*) FROM levelresult"),
            QVariantList {1});
    }

    // A second manager open at the same time (the ghost's own world) has a
    // connection of its own: both read and write, and the first one goes on
    // working once the second has closed.
    void twoManagersAtOnce()
    {
        GameFolder folder;
        Game first;
        {
            Game second;
            first.manager->setPlayerSetting("ghost", "off");
            QCOMPARE(second.manager->playerSetting("ghost"), QString("off"));
            second.manager->setPlayerSetting("ghost", "on");
            QCOMPARE(first.manager->playerSetting("ghost"), QString("on"));
            QVERIFY(second.manager->LoadLevel(kTestPack, 1)->isPlayable());
        }
        QCOMPARE(first.manager->playerSetting("ghost"), QString("on"));
        QVERIFY(first.manager->LoadLevel(kTestPack, 1)->isPlayable());
        Game third;
        QCOMPARE(third.manager->playerSetting("ghost"), QString("on"));
    }

    void shippedFirstLevelLoads()
    {
        GameFolder folder(QString(), "levels.db");
        Game game;
        Level *level = game.manager->LoadLevel(1, 1);
        QCOMPARE(level->levelId(), 1001);
        QVERIFY(!level->physicsItems().isEmpty());
        QCOMPARE(kindOf(level->physicsItems().first()), QString("terrain"));
        QVERIFY(level->finishLineX() >= 2000);
        QVERIFY(level->groundMaxX() > level->finishLineX());
        QCOMPARE(game.manager->nextLevelNumber(), 2);
        QVERIFY(game.manager->levelInfos(90).isEmpty()); // test packs are not shipped
    }

    // Names and best times for the menus: from the shipped file, and
    // nothing (no failure) from a file written before the names existed.
    void namesAndBestTimes()
    {
        {
            GameFolder folder(QString(), "levels.db");
            Game game;
            QCOMPARE(game.manager->levelName(1, 1), QString("First ride"));
            QCOMPARE(game.manager->packName(1), QString("Farmland"));
            QVERIFY(!game.manager->packName(2).isEmpty());
            QVERIFY(game.manager->levelName(1, 99).isEmpty());
            QVERIFY(game.manager->packName(7).isEmpty());
            QCOMPARE(game.manager->bestTime(1, 1), 0.0);
            Level *level = game.manager->LoadLevel(1, 1);
            level->setBestTime(12.5, true);
            game.manager->saveLevelResult(level);
            QCOMPARE(game.manager->bestTime(1, 1), 12.5);
            QCOMPARE(game.manager->bestTime(1, 2), 0.0);
        }
        GameFolder old(QString(), "levels.db");
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "strip");
        db.setDatabaseName(old.file("levels.db"));
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("DROP TABLE levelpack"));
        QVERIFY(q.exec("ALTER TABLE level DROP COLUMN name"));
        q.finish();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("strip");
        Game game;
        QVERIFY(game.manager->levelName(1, 1).isEmpty());
        QVERIFY(game.manager->packName(1).isEmpty());
        QCOMPARE(game.manager->LoadLevel(1, 1)->levelId(), 1001);
    }
};

QTEST_MAIN(TestLevelManager)
#include "tst_levelmanager.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// LevelDatabases: results.db in every shape this game has written is
// upgraded in place to the current layout without losing a row, and its
// layout version is recorded; a file of a later version is left alone.

#include "levels/leveldatabases.h"
#include "levels/resultsschema.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kLevelResult = "CREATE TABLE levelresult (id INTEGER PRIMARY KEY, level_id INTEGER, status "
                             "INTEGER, besttime REAL)";
const QString kGameSettings = "CREATE TABLE gamesettings (id INTEGER PRIMARY KEY, sounds_enabled INTEGER)";
const QString kPlayerSetting = "CREATE TABLE playersetting (name TEXT PRIMARY KEY NOT NULL, value TEXT)";
const QString kTwoResults = "INSERT INTO levelresult VALUES (7, 90004, 2, 15.5), (9, 90001, 1, 5)";

// A folder with the compiled test levels as levels.db, the working directory
// while it lives.
struct Folder
{
    Folder()
    {
        QFile::copy(TestSupport::binaryDir() + "/testlevels.db", dir.filePath("levels.db"));
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    ~Folder() { QDir::setCurrent(previous); }
    QString results() const { return QDir::toNativeSeparators(dir.filePath("results.db")); }

    QTemporaryDir dir;
    QString previous;
};

QVariantList tables(const QString &file)
{
    return TestSupport::querySql(file, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
}
} // namespace

class TestLevelDatabases : public QObject
{
    Q_OBJECT
private slots:
    // statements: how an older game left results.db ("empty": a zero-byte
    // file, a first start stopped before its first table).
    void olderFilesAreUpgradedInPlace_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QVariantList>("results"); // "id:besttime" after the upgrade
        QTest::addColumn<QVariantList>("settings"); // "id,sounds_enabled" after the upgrade
        QTest::addColumn<QVariantList>("playerSettings");
        const QVariantList kept {"7:15.5", "9:5.0"};
        QTest::newRow("empty") << QStringList() << QVariantList() << QVariantList {"1,1"} << QVariantList();
        QTest::newRow("results table only, stopped before the settings")
            << QStringList {kLevelResult, kTwoResults} << kept << QVariantList {"1,1"} << QVariantList();
        QTest::newRow("first release") << QStringList {kLevelResult, kGameSettings,
            "INSERT INTO gamesettings VALUES (1, 0)", kTwoResults}
                                       << kept << QVariantList {"1,0"} << QVariantList();
        QTest::newRow("first release without its settings row") << QStringList {kLevelResult, kGameSettings,
            kTwoResults} << kept << QVariantList {"1,1"} << QVariantList();
        QTest::newRow("player settings, unversioned")
            << QStringList {kLevelResult, kGameSettings, kPlayerSetting,
                   "INSERT INTO gamesettings VALUES (1, 0)",
                   "INSERT INTO playersetting VALUES ('zoom', '0.5')", kTwoResults}
            << kept << QVariantList {"1,0"} << QVariantList {"zoom=0.5"};
        QTest::newRow("player settings without the settings table") << QStringList {kLevelResult,
            kPlayerSetting, "INSERT INTO playersetting VALUES ('zoom', '0.5')",
            kTwoResults} << kept << QVariantList {"1,1"} << QVariantList {"zoom=0.5"};
        QTest::newRow("current version that lost a table") << QStringList {kLevelResult, kGameSettings,
            "INSERT INTO gamesettings VALUES (1, 0)", kTwoResults, "PRAGMA user_version = 2"}
                                                           << kept << QVariantList {"1,0"} << QVariantList();
        QTest::newRow("first release, versioned") << QStringList {kLevelResult, kGameSettings,
            "INSERT INTO gamesettings VALUES (1, 0)", kTwoResults, "PRAGMA user_version = 1"}
                                                  << kept << QVariantList {"1,0"} << QVariantList();
    }

    void olderFilesAreUpgradedInPlace()
    {
        QFETCH(QStringList, statements);
        QFETCH(QVariantList, results);
        QFETCH(QVariantList, settings);
        QFETCH(QVariantList, playerSettings);
        Folder folder;
        {
            QFile file(folder.results());
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(TestSupport::execSql(folder.results(), statements), QString());
        {
            LevelDatabases databases(folder.results());
            QVERIFY(databases.open());
            QCOMPARE(
                ResultsSchema::storedVersion(databases.database(), "result"), ResultsSchema::kCurrentVersion);
            QVERIFY(databases.startNotice().isEmpty());
        }
        QCOMPARE(tables(folder.results()), (QVariantList {"gamesettings", "levelresult", "playersetting"}));
        QCOMPARE(TestSupport::querySql(
                     folder.results(), "SELECT id || ':' || besttime FROM levelresult ORDER BY id"),
            results);
        QCOMPARE(
            TestSupport::querySql(folder.results(), "SELECT id || ',' || sounds_enabled FROM gamesettings"),
            settings);
        QCOMPARE(TestSupport::querySql(folder.results(), "SELECT name || '=' || value FROM playersetting"),
            playerSettings);
        QCOMPARE(TestSupport::querySql(folder.results(), "PRAGMA user_version"),
            QVariantList {ResultsSchema::kCurrentVersion});
    }

    void shapesAreRecognised()
    {
        Folder folder;
        QCOMPARE(TestSupport::execSql(folder.results(), {kLevelResult, kGameSettings}), QString());
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "shape");
        db.setDatabaseName(folder.results());
        QVERIFY(db.open());
        QCOMPARE(ResultsSchema::shapeVersion(db, "main"), 0); // no settings row yet
        QSqlQuery q(db);
        QVERIFY(q.exec("INSERT INTO gamesettings VALUES (1, 1)"));
        QCOMPARE(ResultsSchema::shapeVersion(db, "main"), ResultsSchema::kFirstRelease);
        QVERIFY(q.exec(kPlayerSetting));
        QCOMPARE(ResultsSchema::shapeVersion(db, "main"), ResultsSchema::kPlayerSettings);
        QCOMPARE(ResultsSchema::storedVersion(db, "main"), 0);
        q.finish();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("shape");
    }

    void newFileIsCreatedAtTheCurrentVersion()
    {
        Folder folder;
        {
            LevelDatabases databases(folder.results());
            QVERIFY(databases.open());
        }
        QCOMPARE(tables(folder.results()), (QVariantList {"gamesettings", "levelresult", "playersetting"}));
        QCOMPARE(TestSupport::querySql(folder.results(), "PRAGMA user_version"),
            QVariantList {ResultsSchema::kCurrentVersion});
    }

    // A later game's file may be laid out in ways this one does not know:
    // nothing is added to it.
    void laterVersionIsLeftAlone()
    {
        Folder folder;
        QCOMPARE(
            TestSupport::execSql(folder.results(), {kLevelResult, kTwoResults, "PRAGMA user_version = 99"}),
            QString());
        {
            LevelDatabases databases(folder.results());
            QVERIFY(databases.open());
        }
        QCOMPARE(tables(folder.results()), QVariantList {"levelresult"});
        QCOMPARE(TestSupport::querySql(folder.results(), "PRAGMA user_version"), QVariantList {99});
        QCOMPARE(
            TestSupport::querySql(folder.results(), "SELECT count(*) FROM levelresult"), QVariantList {2});
    }

    // The first instance takes the default connection, the next one its own.
    void secondInstanceHasItsOwnConnection()
    {
        Folder folder;
        LevelDatabases first(folder.results());
        QVERIFY(first.open());
        LevelDatabases second(folder.results());
        QVERIFY(second.open());
        QCOMPARE(first.database().connectionName(), QString(QSqlDatabase::defaultConnection));
        QVERIFY(second.database().connectionName() != first.database().connectionName());
        QVERIFY(second.database().isOpen());
    }
};

QTEST_GUILESS_MAIN(TestLevelDatabases)
#include "tst_leveldatabases.moc"

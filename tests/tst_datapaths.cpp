// SPDX-License-Identifier: GPL-3.0-or-later
// Where the game finds its files: the shipped levels read only from the
// installation (any prefix, any working directory) with the player's results
// attached from the data folder, and a clear message naming every path tried
// when the levels cannot be found.

#include "base/datapaths.h"
#include "levels/level.h"
#include "levels/levelmanager.h"
#include "physics/physics.h"
#include "testsupport.h"

#include <QCryptographicHash>
#include <QGraphicsScene>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kTestPack = 90;

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// An installation under <tmp>/prefix with a space/ with the test levels as
// its shipped levels.db (file and folder read only), a player's data home
// and an unrelated working directory, made current for the fixture's life.
struct Installation
{
    Installation()
    {
        prefix = dir.filePath("prefix with space");
        QDir().mkpath(prefix + "/games");
        QDir().mkpath(prefix + "/share/velocrag");
        levels = prefix + "/share/velocrag/levels.db";
        QFile::copy(TestSupport::binaryDir() + "/testlevels.db", levels);
        QFile::setPermissions(levels, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(prefix + "/share/velocrag",
            QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                | QFile::ExeOther);
        dataHome = dir.filePath("home/.local/share");
        QDir().mkpath(dataHome + "/velocrag");
        elsewhere = dir.filePath("elsewhere");
        QDir().mkpath(elsewhere);
        previous = QDir::currentPath();
        QDir::setCurrent(elsewhere);
        DataPaths::setCurrent(DataPaths::forExecutable(prefix + "/games", dataHome));
    }
    ~Installation()
    {
        DataPaths::setCurrent(DataPaths::workingDirectory());
        QDir::setCurrent(previous);
        QFile::setPermissions(
            prefix + "/share/velocrag", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir dir;
    QString prefix;
    QString levels;
    QString dataHome;
    QString elsewhere;
    QString previous;
};

// Runs body with a level manager opened on the current data paths; the
// manager goes first, then the scene (which frees the items), then the world.
template <typename Body> void withManager(Body body)
{
    Physics physics(450);
    QGraphicsScene scene;
    LevelManager manager(&physics, &scene);
    body(manager);
}
} // namespace

class TestDataPaths : public QObject
{
    Q_OBJECT
private slots:
    void installedLayoutFromTheExecutableFolder()
    {
        const DataPaths paths = DataPaths::forExecutable("/opt/some prefix/games", "/home/p/.local/share");
        QCOMPARE(paths.levelsDbCandidates(),
            QStringList({"/opt/some prefix/share/velocrag/levels.db", "/opt/some prefix/games/levels.db"}));
        QCOMPARE(paths.resultsDbPath(), QString("/home/p/.local/share/velocrag/results.db"));
        // The player's replays live beside the results.
        QCOMPARE(paths.replaysDir(), QString("/home/p/.local/share/velocrag/replays"));
    }

    // The build tree keeps levels.db beside the executable: found there when
    // no installation's share folder holds one; a folder is not a file.
    void buildTreeLevelsBesideTheExecutable()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("share/velocrag/levels.db"));
        QDir().mkpath(dir.filePath("build"));
        QVERIFY(QFile::copy(TestSupport::binaryDir() + "/testlevels.db", dir.filePath("build/levels.db")));
        const DataPaths paths = DataPaths::forExecutable(dir.filePath("build"), dir.filePath("data"));
        QCOMPARE(paths.findLevelsDb(), dir.filePath("build/levels.db"));
    }

    void missingLevelsNameEveryPathTried()
    {
        QTemporaryDir dir;
        const DataPaths paths = DataPaths::forExecutable(dir.filePath("usr/games"), dir.filePath("data"));
        QVERIFY(paths.findLevelsDb().isEmpty());
        const QString message = paths.levelsDbMissingMessage();
        QVERIFY2(message.contains(dir.filePath("usr/share/velocrag/levels.db")), qPrintable(message));
        QVERIFY2(message.contains(dir.filePath("usr/games/levels.db")), qPrintable(message));
        // Tests and tools keep the working directory's file and its message.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const QString inWorkingDirectory = DataPaths::workingDirectory().levelsDbMissingMessage();
        QDir::setCurrent(previous);
        QCOMPARE(inWorkingDirectory, QString("Database file 'levels.db' is missing."));
    }

    // The shipped file is opened read only, the results file attached to the
    // same connection stays writable; nothing lands in the working directory.
    void readOnlyLevelsWithResultsAttached()
    {
        Installation install;
        const QByteArray before = fileHash(install.levels);
        QVERIFY(!before.isEmpty());
        withManager([&](LevelManager &manager) {
            QCOMPARE(manager.resultsDbPath(), install.dataHome + "/velocrag/results.db");
            Level *level = manager.LoadLevel(kTestPack, 4);
            QVERIFY(!level->physicsItems().isEmpty());
            level->setBestTime(12, true);
            manager.saveLevelResult(level);
            manager.setPlayerSetting("zoom", "0.5");

            // Even a process that may write anywhere (root) cannot change the
            // shipped levels through the game's connection.
            QSqlQuery write(QSqlDatabase::database());
            QVERIFY(!write.exec("CREATE TABLE main.scratch (id INTEGER)"));
            QVERIFY(!write.exec("DELETE FROM main.level"));
        });
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(fileHash(install.levels), before);
        QCOMPARE(TestSupport::querySql(
                     install.dataHome + "/velocrag/results.db", "SELECT besttime FROM levelresult"),
            QVariantList {12.0});
        QVERIFY(!QFile::exists(install.dataHome + "/velocrag/levels.db"));
        QCOMPARE(QDir(install.elsewhere).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

        withManager([](LevelManager &manager) {
            QCOMPARE(manager.LoadLevel(kTestPack, 4)->bestTime(), 12.0);
            QCOMPARE(manager.playerSetting("zoom"), QString("0.5"));
        });
    }
};

QTEST_MAIN(TestDataPaths)
#include "tst_datapaths.moc"

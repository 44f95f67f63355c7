// SPDX-License-Identifier: GPL-3.0-or-later
// ResultsStore: the better of two queued results is the one stored, a
// stored best is never made worse, and the level lists leave out what they
// are told to.

#include "databasesfolder.h"
#include "levels/leveldatabases.h"
#include "levels/resultsstore.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kTestPack = 90;

using Folder = DatabasesFolder;
} // namespace

class TestResultsStore : public QObject
{
    Q_OBJECT
private slots:
    void betterQueuedResultWinsAndStoredBestStays()
    {
        Folder folder;
        ResultsStore store(folder.databases.database());
        store.queue(90004, 2, 15.0);
        store.queue(90004, 3, 25.0); // slower: the queued 15 stays
        QVERIFY(store.isPending(90004));
        QSqlError error;
        QVERIFY(store.savePending(&error));
        QVERIFY(!store.hasPending());
        const ResultsStore::Stored first = store.lastStored(90004);
        QVERIFY(first.rowId > 0);
        QCOMPARE(first.bestTime, 15.0);
        store.queue(90004, 4, 40.0); // slower than what is stored
        QVERIFY(store.savePending(&error));
        QCOMPARE(store.lastStored(90004).bestTime, 15.0);
        QCOMPARE(store.lastStored(90004).rowId, first.rowId);
        QCOMPARE(store.bestTime(kTestPack, 4), 15.0);
        QCOMPARE(
            TestSupport::querySql(folder.results(), "SELECT besttime FROM levelresult"), QVariantList {15.0});
    }

    void levelInfosCarryStatusesAndLeaveOut()
    {
        Folder folder;
        ResultsStore store(folder.databases.database());
        store.queue(90001, 1, 5.0);
        QSqlError error;
        QVERIFY(store.savePending(&error));
        QVector<int> numbers;
        QVector<int> statuses;
        for (const LevelInfo &info : store.levelInfos(kTestPack, {90002, 90003})) {
            numbers.append(info.levelNumber());
            statuses.append(levelStatusCode(info.status()));
        }
        QCOMPARE(numbers, (QVector<int> {1, 2, 4}));
        QCOMPARE(statuses, (QVector<int> {1, 0, 0}));
    }

    void failedWriteStaysQueued()
    {
        Folder folder;
        ResultsStore store(folder.databases.database());
        QSqlQuery(folder.databases.database()).exec("PRAGMA query_only = 1");
        store.queue(90001, 1, 5.0);
        QSqlError error;
        QVERIFY(!store.savePending(&error));
        QVERIFY(error.isValid());
        QVERIFY(store.isPending(90001));
        QSqlQuery(folder.databases.database()).exec("PRAGMA query_only = 0");
        QVERIFY(store.savePending(&error));
        QVERIFY(!store.hasPending());
        QCOMPARE(store.bestTime(kTestPack, 1), 5.0);
    }
};

QTEST_GUILESS_MAIN(TestResultsStore)
#include "tst_resultsstore.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// What the results panel is told after a run: record rules, the time
// difference, and when the next level is offered.

#include "world/runoutcome.h"

#include <QtTest>

class TestRunOutcome : public QObject
{
    Q_OBJECT

private slots:
    void records()
    {
        QVERIFY(RunOutcome::isNewRecord(30.0, 0.0));
        QVERIFY(RunOutcome::isNewRecord(29.9, 30.0));
        QVERIFY(!RunOutcome::isNewRecord(30.0, 30.0));
        QVERIFY(!RunOutcome::isNewRecord(30.1, 30.0));
    }

    void firstFinish()
    {
        // Never finished before (status 0): a record, no difference shown.
        const RunOutcome o = RunOutcome::finished(12.5, 0.0, 0, 2, 2, 5);
        QVERIFY(o.newRecord);
        QCOMPARE(o.showTimeDiff, 0);
        QCOMPARE(o.medal, 2);
        QVERIFY(o.nextLevelAvailable);
        QVERIFY(!o.lastLevelOfPack);
    }

    void slowerRunOnAGoldLevel()
    {
        const RunOutcome o = RunOutcome::finished(14.0, 10.0, 1, 1, 4, 7);
        QVERIFY(!o.newRecord);
        QCOMPARE(o.showTimeDiff, 1);
        QCOMPARE(o.timeDiff, 4.0);
        QCOMPARE(o.medal, 4);
        // The level's own gold opens the next one, whatever this run earned.
        QVERIFY(o.nextLevelAvailable);
    }

    void noMedalBestOffersNothing()
    {
        const RunOutcome o = RunOutcome::finished(50.0, 0.0, 0, 4, 4, 3);
        QVERIFY(o.newRecord);
        QVERIFY(!o.nextLevelAvailable);
        QVERIFY(!o.lastLevelOfPack);
    }

    void equalTimeIsNoRecord()
    {
        const RunOutcome o = RunOutcome::finished(20.0, 20.0, 3, 3, 3, 9);
        QVERIFY(!o.newRecord);
        QCOMPARE(o.timeDiff, 0.0);
        QCOMPARE(o.showTimeDiff, 1);
    }

    void lastLevelOfPack()
    {
        const RunOutcome o = RunOutcome::finished(20.0, 25.0, 2, 1, 1, 0);
        QVERIFY(o.newRecord);
        QVERIFY(o.lastLevelOfPack);
        QVERIFY(!o.nextLevelAvailable);
    }

    void failedRun_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("next");
        QTest::addColumn<bool>("offered");
        QTest::newRow("never finished") << 0 << 4 << false;
        QTest::newRow("gold") << 1 << 4 << true;
        QTest::newRow("bronze") << 3 << 4 << true;
        QTest::newRow("no medal") << 4 << 4 << false;
        QTest::newRow("gold, last level") << 1 << 0 << false;
    }
    void failedRun()
    {
        QFETCH(int, status);
        QFETCH(int, next);
        QFETCH(bool, offered);
        const RunOutcome o = RunOutcome::failed(status, next);
        QCOMPARE(o.showTimeDiff, -1);
        QCOMPARE(o.medal, 4);
        QVERIFY(!o.newRecord);
        QVERIFY(!o.lastLevelOfPack);
        QCOMPARE(o.nextLevelAvailable, offered);
    }
};

QTEST_GUILESS_MAIN(TestRunOutcome)
#include "tst_runoutcome.moc"

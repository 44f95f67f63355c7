// SPDX-License-Identifier: GPL-3.0-or-later
// What the results panel is told after a run: record rules, the time
// difference, and when the next level is offered.

#include "world/runoutcome.h"

#include <QtTest>

using S = LevelStatus;

class TestRunOutcome : public QObject
{
    Q_OBJECT

private slots:
    void records()
    {
        QVERIFY(RunOutcome::isNewRecord(30.0, std::nullopt));
        QVERIFY(RunOutcome::isNewRecord(29.9, 30.0));
        QVERIFY(!RunOutcome::isNewRecord(30.0, 30.0));
        QVERIFY(!RunOutcome::isNewRecord(30.1, 30.0));
    }

    // results.db keeps 0 for "no time yet".
    void storedZeroIsNoPreviousTime()
    {
        QVERIFY(!RunOutcome::previousTime(0.0));
        QCOMPARE(RunOutcome::previousTime(12.5), std::optional<qreal>(12.5));
    }

    void firstFinish()
    {
        // Never finished before: a record, no difference shown.
        const RunOutcome o = RunOutcome::finished(2, 12.5, std::nullopt, S::Silver, 12.5, S::Silver, 5);
        QVERIFY(o.newRecord);
        QVERIFY(!o.failed);
        QVERIFY(!o.timeDiff);
        QCOMPARE(o.levelNumber, 2);
        QCOMPARE(o.bestTime, std::optional<qreal>(12.5));
        QCOMPARE(o.medal, S::Silver);
        QVERIFY(o.nextLevelAvailable);
        QVERIFY(!o.lastLevelOfPack);
    }

    void slowerRunOnAGoldLevel()
    {
        const RunOutcome o = RunOutcome::finished(6, 14.0, 10.0, S::Gold, 10.0, S::NoMedal, 7);
        QVERIFY(!o.newRecord);
        QCOMPARE(o.timeDiff, std::optional<qreal>(4.0));
        QCOMPARE(o.bestTime, std::optional<qreal>(10.0));
        QCOMPARE(o.medal, S::NoMedal);
        // The level's own gold opens the next one, whatever this run earned.
        QVERIFY(o.nextLevelAvailable);
    }

    void noMedalBestOffersNothing()
    {
        const RunOutcome o = RunOutcome::finished(2, 50.0, std::nullopt, S::NoMedal, 50.0, S::NoMedal, 3);
        QVERIFY(o.newRecord);
        QVERIFY(!o.nextLevelAvailable);
        QVERIFY(!o.lastLevelOfPack);
    }

    void equalTimeIsNoRecord()
    {
        const RunOutcome o = RunOutcome::finished(8, 20.0, 20.0, S::Bronze, 20.0, S::Bronze, 9);
        QVERIFY(!o.newRecord);
        QCOMPARE(o.timeDiff, std::optional<qreal>(0.0));
    }

    void lastLevelOfPack()
    {
        const RunOutcome o = RunOutcome::finished(24, 20.0, 25.0, S::Gold, 20.0, S::Gold, 0);
        QVERIFY(o.newRecord);
        QCOMPARE(o.timeDiff, std::optional<qreal>(-5.0));
        QVERIFY(o.lastLevelOfPack);
        QVERIFY(!o.nextLevelAvailable);
    }

    void failedRun_data()
    {
        QTest::addColumn<LevelStatus>("status");
        QTest::addColumn<qreal>("best");
        QTest::addColumn<int>("next");
        QTest::addColumn<bool>("offered");
        QTest::newRow("never finished") << S::NotFinished << 0.0 << 4 << false;
        QTest::newRow("gold") << S::Gold << 9.0 << 4 << true;
        QTest::newRow("bronze") << S::Bronze << 30.0 << 4 << true;
        QTest::newRow("no medal") << S::NoMedal << 60.0 << 4 << false;
        QTest::newRow("gold, last level") << S::Gold << 9.0 << 0 << false;
    }
    void failedRun()
    {
        QFETCH(LevelStatus, status);
        QFETCH(qreal, best);
        QFETCH(int, next);
        QFETCH(bool, offered);
        const RunOutcome o = RunOutcome::failedRun(3, best, status, next);
        QVERIFY(o.failed);
        QVERIFY(!o.timeDiff);
        QCOMPARE(o.bestTime, RunOutcome::previousTime(best));
        QCOMPARE(o.medal, S::NoMedal);
        QVERIFY(!o.newRecord);
        QVERIFY(!o.lastLevelOfPack);
        QCOMPARE(o.nextLevelAvailable, offered);
    }
};

QTEST_GUILESS_MAIN(TestRunOutcome)
#include "tst_runoutcome.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// A level's status: its stored codes and the medal arithmetic.

#include "levels/levelstatus.h"

#include <QtTest>

using S = LevelStatus;

class TestLevelStatus : public QObject
{
    Q_OBJECT

private slots:
    // results.db holds these codes; they must never move.
    void storedCodes()
    {
        QCOMPARE(levelStatusCode(S::NotFinished), 0);
        QCOMPARE(levelStatusCode(S::Gold), 1);
        QCOMPARE(levelStatusCode(S::Silver), 2);
        QCOMPARE(levelStatusCode(S::Bronze), 3);
        QCOMPARE(levelStatusCode(S::NoMedal), 4);
        for (int code = -1; code <= 5; ++code)
            QCOMPARE(levelStatusCode(levelStatusFromCode(code)), code);
    }

    void medals()
    {
        QVERIFY(hasMedal(S::Gold) && hasMedal(S::Silver) && hasMedal(S::Bronze));
        QVERIFY(!hasMedal(S::NotFinished));
        QVERIFY(!hasMedal(S::NoMedal));
        QVERIFY(!hasMedal(levelStatusFromCode(5)));
    }

    void medalForTime_data()
    {
        QTest::addColumn<double>("time");
        QTest::addColumn<LevelStatus>("medal");
        QTest::newRow("faster than gold") << 5.0 << S::Gold;
        QTest::newRow("equal to gold") << 10.0 << S::Gold;
        QTest::newRow("just above gold") << 10.1 << S::Silver;
        QTest::newRow("equal to silver") << 20.0 << S::Silver;
        QTest::newRow("equal to bronze") << 30.0 << S::Bronze;
        QTest::newRow("0.1 above bronze") << 30.1 << S::NoMedal;
    }
    void medalForTime()
    {
        QFETCH(double, time);
        QFETCH(LevelStatus, medal);
        QCOMPARE(::medalForTime(time, 10, 20, 30), medal);
    }

    void nextBetterMedal_data()
    {
        QTest::addColumn<LevelStatus>("held");
        QTest::addColumn<int>("aim"); // -1: none
        QTest::newRow("never finished") << S::NotFinished << int(S::Bronze);
        QTest::newRow("no medal") << S::NoMedal << int(S::Bronze);
        QTest::newRow("bronze") << S::Bronze << int(S::Silver);
        QTest::newRow("silver") << S::Silver << int(S::Gold);
        QTest::newRow("gold") << S::Gold << -1;
        QTest::newRow("unknown code") << levelStatusFromCode(7) << -1;
    }
    void nextBetterMedal()
    {
        QFETCH(LevelStatus, held);
        QFETCH(int, aim);
        const std::optional<LevelStatus> next = ::nextBetterMedal(held);
        QCOMPARE(next ? levelStatusCode(*next) : -1, aim);
    }
};

QTEST_GUILESS_MAIN(TestLevelStatus)
#include "tst_levelstatus.moc"

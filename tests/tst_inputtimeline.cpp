// SPDX-License-Identifier: GPL-3.0-or-later
// The input timeline: its text format, its errors and what it does to the bike.

#include "testbed.h"
#include "world/inputtimeline.h"

#include <QTemporaryDir>
#include <QtTest>

class TestInputTimeline : public QObject
{
    Q_OBJECT
private slots:
    void parsesEvents();
    void rejectsBadLines_data();
    void rejectsBadLines();
    void roundTrip();
    void loadReportsMissingFile();
    void appliesDueEventsInOrder();
    void controlsMapToTheBike();
};

void TestInputTimeline::parsesEvents()
{
    QString error;
    const auto t = InputTimeline::parse(QStringLiteral("# a ride\n\n0 throttle 1\n  10\tlean -1  # back\n"
                                                       "10 lean 0\n25 brake 1\n30 throttle 0.25\n"),
        &error);
    QVERIFY2(t, qPrintable(error));
    QCOMPARE(t->events().size(), 5);
    QCOMPARE(t->events().at(1).step, 10);
    QCOMPARE(t->events().at(1).control, InputTimeline::Control::Lean);
    QCOMPARE(t->events().at(1).value, -1.0);
    QCOMPARE(t->events().at(4).value, 0.25);
    QVERIFY(InputTimeline::parse(QString(), &error)->events().isEmpty());
}

void TestInputTimeline::rejectsBadLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("two fields") << "0 throttle"
                                << "line 1: expected";
    QTest::newRow("negative step") << "-1 throttle 1"
                                   << "line 1: step \"-1\"";
    QTest::newRow("fraction step") << "1.5 throttle 1"
                                   << "line 1: step \"1.5\"";
    QTest::newRow("step too large") << "99999999999 throttle 1"
                                    << "line 1: step";
    QTest::newRow("going back") << "10 throttle 1\n# x\n5 throttle 0"
                                << "line 3: step 5 comes after step 10";
    QTest::newRow("unknown control") << "0 nitro 1"
                                     << "line 1: unknown control \"nitro\"";
    QTest::newRow("not a number") << "0 throttle full"
                                  << "line 1: value \"full\"";
    QTest::newRow("nan") << "0 throttle nan"
                         << "line 1: value \"nan\"";
    QTest::newRow("throttle above 1") << "0 throttle 1.5"
                                      << "line 1: throttle value";
    QTest::newRow("brake half") << "0 brake 0.5"
                                << "line 1: brake value";
    QTest::newRow("lean 2") << "2 lean 2"
                            << "line 1: lean value";
}

void TestInputTimeline::rejectsBadLines()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    QString error;
    QVERIFY(!InputTimeline::parse(text, &error));
    QVERIFY2(error.startsWith(message), qPrintable(error));
}

void TestInputTimeline::roundTrip()
{
    QString error;
    const auto t
        = InputTimeline::parse(QStringLiteral("0 throttle 0.1\n3 lean 1\n3 lean 0\n9 brake 1\n"), &error);
    QVERIFY(t);
    const auto again = InputTimeline::parse(t->toText(), &error);
    QVERIFY(again);
    QCOMPARE(again->toText(), t->toText());
    QCOMPARE(again->events().at(0).value, 0.1);
}

void TestInputTimeline::loadReportsMissingFile()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!InputTimeline::load(dir.filePath(QStringLiteral("none.txt")), &error));
    QVERIFY(error.contains(QStringLiteral("none.txt")));
    QFile bad(dir.filePath(QStringLiteral("bad.txt")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("0 throttle 1\n1 throttle 2\n");
    bad.close();
    QVERIFY(!InputTimeline::load(bad.fileName(), &error));
    QVERIFY2(error.contains(QStringLiteral("bad.txt: line 2")), qPrintable(error));
}

void TestInputTimeline::appliesDueEventsInOrder()
{
    TestBed bed;
    QString error;
    const auto t = InputTimeline::parse(
        QStringLiteral("0 throttle 1\n2 throttle 0.5\n2 throttle 0.75\n5 throttle 0\n"), &error);
    int cursor = 0;
    t->applyDue(0, bed.bike, &cursor);
    QCOMPARE(bed.bike->throttle(), 1.0);
    QCOMPARE(cursor, 1);
    t->applyDue(1, bed.bike, &cursor);
    QCOMPARE(bed.bike->throttle(), 1.0);
    t->applyDue(4, bed.bike, &cursor);
    QCOMPARE(bed.bike->throttle(), 0.75);
    QCOMPARE(cursor, 3);
    t->applyDue(100, bed.bike, &cursor);
    QCOMPARE(bed.bike->throttle(), 0.0);
    QCOMPARE(cursor, 4);
}

void TestInputTimeline::controlsMapToTheBike()
{
    TestBed bed;
    InputTimeline::apply({0, InputTimeline::Control::Brake, 1.0}, bed.bike);
    QCOMPARE(bed.bike->throttle(), -0.5);
    QVERIFY(bed.bike->isMotorAdded());
    InputTimeline::apply({0, InputTimeline::Control::Brake, 0.0}, bed.bike);
    QCOMPARE(bed.bike->throttle(), 0.0);
    QVERIFY(!bed.bike->isMotorAdded());
    InputTimeline::apply({0, InputTimeline::Control::Lean, 1.0}, bed.bike);
    QCOMPARE(bed.bike->tiltSpeed(), -double(0.033f));
    InputTimeline::apply({0, InputTimeline::Control::Lean, -1.0}, bed.bike);
    QCOMPARE(bed.bike->tiltSpeed(), double(0.033f));
    InputTimeline::apply({0, InputTimeline::Control::Lean, 0.0}, bed.bike);
    QCOMPARE(bed.bike->tiltSpeed(), 0.0);
}

QTEST_MAIN(TestInputTimeline)
#include "tst_inputtimeline.moc"

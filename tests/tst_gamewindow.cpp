// SPDX-License-Identifier: GPL-3.0-or-later
// Window size and place derived from the primary screen.

#include "app/gamewindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtTest>

class TestGameWindow : public QObject
{
    Q_OBJECT
private slots:
    void sizesAndPositions_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("position");
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QSize(1267, 712) << QPoint(320, 180);
        QTest::newRow("1600x900") << QSize(1600, 900) << QSize(1056, 594) << QPoint(266, 150);
        QTest::newRow("1366x768") << QSize(1366, 768) << QSize(901, 506) << QPoint(227, 128);
        QTest::newRow("1280x1024") << QSize(1280, 1024) << QSize(844, 675) << QPoint(213, 170);
        QTest::newRow("1024x768") << QSize(1024, 768) << QSize(675, 506) << QPoint(170, 128);
        QTest::newRow("800x600") << QSize(800, 600) << QSize(528, 396) << QPoint(133, 100);
    }

    void sizesAndPositions()
    {
        QFETCH(QSize, screen);
        QFETCH(QSize, window);
        QFETCH(QPoint, position);
        const QRect r = gameWindowRectForScreen(screen);
        QCOMPARE(r.topLeft(), QPoint(0, 0));
        QCOMPARE(r.size(), window);
        QCOMPARE(gameWindowPosForScreen(screen), position);
    }

    // On the real (offscreen) screen the window gets the computed geometry
    // and is shown.
    void placesRealWindow()
    {
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QVERIFY(!screen.isEmpty());
        QCOMPARE(gameWindowRect(), gameWindowRectForScreen(screen));
        QWidget window;
        placeGameWindow(&window);
        QVERIFY(window.isVisible());
        QCOMPARE(window.geometry(), QRect(gameWindowPosForScreen(screen), gameWindowRect().size()));
    }
};

QTEST_MAIN(TestGameWindow)
#include "tst_gamewindow.moc"

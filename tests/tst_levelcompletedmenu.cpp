// SPDX-License-Identifier: GPL-3.0-or-later
// The results panel: what it shows for a run, its keys and its actions.

#include "app/gamewindow.h"
#include "menus/buttonpixmap.h"
#include "menus/levelcompletedmenu.h"
#include "menus/numberdisplay.h"
#include "menutesting.h"

#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

using namespace MenuTesting;

class TestLevelCompletedMenu : public QObject
{
    Q_OBJECT
private:
    QWidget *m_view = nullptr;
    LevelCompletedMenu *m_menu = nullptr;
    SignalCounter *m_signals = nullptr;

    QList<int> counts() const { return m_signals->counts(); }
    QList<int> only(const QString &signal) const { return m_signals->only(signal); }
    // An outcome as the panel is shown it: best 0 is none, diffMode 1 shows
    // the difference, -1 is a failed run, 0 a first finish.
    static RunOutcome outcome(int level, qreal best, int diffMode, qreal diff, bool record, int status,
        bool nextAvailable, bool lastOfPack = false)
    {
        RunOutcome o;
        o.levelNumber = level;
        o.bestTime = RunOutcome::previousTime(best);
        o.failed = diffMode == -1;
        if (diffMode == 1)
            o.timeDiff = diff;
        o.newRecord = record;
        o.medal = levelStatusFromCode(status);
        o.nextLevelAvailable = nextAvailable;
        o.lastLevelOfPack = lastOfPack;
        return o;
    }
    // A finished run with a time of 42.5 s on level 3.
    void showRun(bool nextAvailable = true, bool lastOfPack = false)
    {
        m_menu->showMenu(outcome(3, 42.5, 1, -1.5, true, 1, nextAvailable, lastOfPack));
        finishShow(m_menu);
    }

private slots:
    void initTestCase() { QCOMPARE(gameWindowRect().size(), QSize(528, 528)); }

    void init()
    {
        m_view = newGameView();
        m_menu = new LevelCompletedMenu(gameWindowRect().size(), m_view);
        m_signals = new SignalCounter(m_menu, {"reset", "mainmenu", "nextLevel", "exit", "watch"});
    }

    void cleanup()
    {
        delete m_signals;
        delete m_view;
    }

    // 528 wide, so narrow: resting 17 below half the free height, 155 + 17.
    void layout()
    {
        QCOMPARE(m_menu->geometry(), QRect(86, 149, 356, 264));
        QVERIFY(m_menu->isHidden());
        QCOMPARE(animation(m_menu, "showAnimation")->duration(), 500);
        QCOMPARE(animation(m_menu, "hideAnimation")->duration(), 350);
        QCOMPARE(animation(m_menu, "showAnimation")->startValue().toInt(), -326);
        QCOMPARE(animation(m_menu, "showAnimation")->endValue().toInt(), 149);
        QCOMPARE(m_menu->runTimeDisplay()->rect(), QRectF(80, 66, 150, 80));
        QCOMPARE(m_menu->bestTimeDisplay()->rect(), QRectF(80, 94, 150, 80));
        QCOMPARE(m_menu->timeDiffDisplay()->rect(), QRectF(80, 122, 150, 80));
        QCOMPARE(m_menu->levelNumberDisplay()->rect(), QRectF(208, 10, 150, 80));
        QVERIFY(m_menu->levelNumberDisplay()->isLeftAligned());
        // Five buttons 64 apart across the foot: next, retry, watch, menu, exit.
        QCOMPARE(m_menu->nextButton()->hitRect(), QRectF(13, 184, 64, 64));
        QCOMPARE(m_menu->resetButton()->hitRect(), QRectF(77, 184, 64, 64));
        QCOMPARE(m_menu->watchButton()->hitRect(), QRectF(141, 184, 64, 64));
        QCOMPARE(m_menu->menuButton()->hitRect(), QRectF(205, 184, 64, 64));
        QCOMPARE(m_menu->exitButton()->hitRect(), QRectF(269, 184, 64, 64));
    }

    // The panel reports when it has slid in (the game stores a record then).
    void showFinishedSignal()
    {
        QSignalSpy finished(m_menu, &LevelCompletedMenu::showMenuFinished);
        m_menu->showMenu(outcome(1, 10.0, 0, 0.0, false, 1, true));
        QVERIFY(!m_menu->isHidden());
        QCOMPARE(finished.count(), 0);
        finishShow(m_menu);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(m_view->focusWidget(), m_menu);
    }

    void numbers()
    {
        m_menu->showMenu(outcome(12, 75.3, 1, -1.25, true, 2, true));
        QCOMPARE(m_menu->levelNumberDisplay()->text(), QString("12"));
        QCOMPARE(m_menu->bestTimeDisplay()->text(), QString("1:15.3"));
        QCOMPARE(m_menu->timeDiffDisplay()->text(), QString("-1.2"));
        QVERIFY(m_menu->timeDiffDisplay()->isVisible());
        QVERIFY(m_menu->isNewRecord());

        m_menu->showMenu(outcome(12, 75.3, 1, 1.5, false, 2, true));
        QCOMPARE(m_menu->timeDiffDisplay()->text(), QString("+1.5"));
    }

    // The level's name, the run's own time and the medal to aim for next.
    void runDetails()
    {
        m_menu->setRunDetails("Rolling hills", 14.3, LevelStatus::Silver, 12.0);
        m_menu->showMenu(outcome(3, 13.0, 1, 1.2, false, 3, true));
        QCOMPARE(m_menu->levelName(), QString("Rolling hills"));
        QCOMPARE(m_menu->runTimeDisplay()->text(), QString("14.3"));
        QCOMPARE(m_menu->bestTimeDisplay()->text(), QString("13.0"));
        QCOMPARE(m_menu->nextMedalText(), QString("Next: Silver in 12.0 s"));

        // A crash: no run time; gold held, so nothing better to name.
        m_menu->setRunDetails("Rolling hills", 0.0, std::nullopt, 0.0);
        m_menu->showMenu(outcome(3, 13.0, -1, 0.0, false, 1, true));
        QCOMPARE(m_menu->runTimeDisplay()->text(), QString("-"));
        QVERIFY(m_menu->nextMedalText().isEmpty());

        // Drawn: the name line is not empty paper.
        m_menu->setRunDetails("WWWWWWWWWW", 75.0, LevelStatus::Gold, 70.0);
        QImage withName(m_menu->size(), QImage::Format_ARGB32);
        QPainter painter(&withName);
        m_menu->paint(&painter);
        painter.end();
        m_menu->setRunDetails(QString(), 75.0, LevelStatus::Gold, 70.0);
        QImage without(m_menu->size(), QImage::Format_ARGB32);
        painter.begin(&without);
        m_menu->paint(&painter);
        painter.end();
        QVERIFY(withName.copy(16, 46, 318, 22) != without.copy(16, 46, 318, 22));
    }

    void noBestTimeShowsDash()
    {
        m_menu->showMenu(outcome(4, 0.0, 0, 0.0, false, 0, false));
        QCOMPARE(m_menu->bestTimeDisplay()->text(), QString("-"));
        // The same zero again still shows the dash.
        m_menu->showMenu(outcome(4, 0.0, 0, 0.0, false, 0, false));
        QCOMPARE(m_menu->bestTimeDisplay()->text(), QString("-"));
    }

    void timeDifferenceModes()
    {
        NumberDisplay *diff = m_menu->timeDiffDisplay();
        m_menu->showMenu(outcome(1, 30.0, 0, 2.0, false, 1, true));
        QVERIFY(!diff->isVisible());

        m_menu->showMenu(outcome(1, 30.0, 1, -0.8, false, 1, true));
        QVERIFY(diff->isVisible());
        QCOMPARE(diff->text(), QString("-0.8"));

        // -1 with a best time: a dash, visibility as it was.
        m_menu->showMenu(outcome(1, 30.0, -1, 5.0, false, 4, true));
        QVERIFY(diff->isVisible());
        QCOMPARE(diff->text(), QString("-"));

        // -1 without a best time hides the difference.
        m_menu->showMenu(outcome(1, 0.0, -1, 5.0, false, 0, true));
        QVERIFY(!diff->isVisible());

        // A tie with the earlier best after a dash still shows +0.0.
        m_menu->showMenu(outcome(1, 30.0, -1, 0.0, false, 4, true));
        m_menu->showMenu(outcome(1, 30.0, 1, 0.0, false, 1, true));
        QCOMPARE(diff->text(), QString("+0.0"));
    }

    void medalByStatus_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("picture"); // empty: nothing drawn
        QTest::newRow("not finished") << 0 << "failed";
        QTest::newRow("gold") << 1 << "gold";
        QTest::newRow("silver") << 2 << "silver";
        QTest::newRow("bronze") << 3 << "bronze";
        QTest::newRow("no medal") << 4 << "failed";
        QTest::newRow("unknown") << 5 << "";
        QTest::newRow("negative") << -1 << "";
    }

    void medalByStatus()
    {
        QFETCH(int, status);
        QFETCH(QString, picture);
        m_menu->showMenu(outcome(1, 30.0, 0, 0.0, false, status, true));
        const QPixmap *shown = m_menu->statusPixmap();
        if (picture.isEmpty()) {
            QVERIFY(!shown);
            return;
        }
        QVERIFY(shown);
        // Exactly the expected one of the four result pictures.
        const QImage image = shown->toImage().convertToFormat(QImage::Format_ARGB32);
        for (const char *name : {"failed", "gold", "silver", "bronze"}) {
            const QImage candidate = QImage(QStringLiteral(":/images/%1.png").arg(name));
            QVERIFY(!candidate.isNull());
            QCOMPARE(
                image == candidate.convertToFormat(QImage::Format_ARGB32), picture == QLatin1String(name));
        }
    }

    void nextDisabledWhenNotAvailable()
    {
        showRun(false);
        QVERIFY(!m_menu->nextButton()->isEnabled());
        click(m_menu, QPointF(40, 204));
        QVERIFY(!isHiding(m_menu));
        showRun(true);
        QVERIFY(m_menu->nextButton()->isEnabled());
    }

    void buttons_data()
    {
        QTest::addColumn<QPointF>("click");
        QTest::addColumn<QString>("signal");
        QTest::newRow("next") << QPointF(30, 194) << "nextLevel";
        QTest::newRow("reset") << QPointF(110, 244) << "reset";
        QTest::newRow("watch") << QPointF(170, 214) << "watch";
        QTest::newRow("menu") << QPointF(230, 214) << "mainmenu";
        QTest::newRow("exit") << QPointF(300, 194) << "exit";
    }

    void buttons()
    {
        QFETCH(QPointF, click);
        QFETCH(QString, signal);
        showRun();
        MenuTesting::click(m_menu, click);
        QCOMPARE(counts(), only(QString()));
        QVERIFY(isHiding(m_menu));
        finishHide(m_menu);
        QCOMPARE(counts(), only(signal));
        QVERIFY(m_menu->isHidden());
    }

    // Return presses the first usable of next, menu (last level of a pack),
    // retry; R and Backspace press retry. The key's release triggers.
    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("nextAvailable");
        QTest::addColumn<bool>("lastOfPack");
        QTest::addColumn<QString>("signal");
        QTest::newRow("return: next") << int(Qt::Key_Return) << true << false << "nextLevel";
        QTest::newRow("enter: next") << int(Qt::Key_Enter) << true << true << "nextLevel";
        QTest::newRow("return: menu after the last level")
            << int(Qt::Key_Return) << false << true << "mainmenu";
        QTest::newRow("return: reset when next is disabled")
            << int(Qt::Key_Return) << false << false << "reset";
        QTest::newRow("r") << int(Qt::Key_R) << true << false << "reset";
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << true << true << "reset";
    }

    void keys()
    {
        QFETCH(int, key);
        QFETCH(bool, nextAvailable);
        QFETCH(bool, lastOfPack);
        QFETCH(QString, signal);
        showRun(nextAvailable, lastOfPack);
        keyPress(m_menu, key);
        QVERIFY(!isHiding(m_menu)); // held, not yet triggered
        keyRelease(m_menu, key);
        QVERIFY(isHiding(m_menu));
        QCOMPARE(counts(), only(QString()));
        finishHide(m_menu);
        QCOMPARE(counts(), only(signal));
    }

    // The arrows move the ring along the buttons, passing over a disabled
    // next; Return fires the one in the ring.
    void arrowsWalkTheButtons()
    {
        showRun(false, false);
        QCOMPARE(m_menu->focusedButton(), m_menu->resetButton());
        QTest::keyClick(m_menu, Qt::Key_Left);
        QCOMPARE(m_menu->focusedButton(), m_menu->resetButton());
        QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->focusedButton(), m_menu->watchButton());
        QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->focusedButton(), m_menu->menuButton());
        QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->focusedButton(), m_menu->exitButton());
        QTest::keyClick(m_menu, Qt::Key_Return);
        QVERIFY(isHiding(m_menu));
        finishHide(m_menu);
        QCOMPARE(counts(), only("exit"));

        showRun(true, false);
        QCOMPARE(m_menu->focusedButton(), m_menu->nextButton());
        QTest::keyClick(m_menu, Qt::Key_Tab);
        QCOMPARE(m_menu->focusedButton(), m_menu->resetButton());
    }

    // After watching the run the panel comes back as it was, the ring on
    // the watch button.
    void showAgainAfterWatching()
    {
        showRun();
        MenuTesting::click(m_menu, QPointF(170, 214));
        finishHide(m_menu);
        QCOMPARE(counts(), only("watch"));
        QVERIFY(m_menu->isHidden());
        m_menu->showAgain();
        finishShow(m_menu);
        QVERIFY(m_menu->isVisible());
        QCOMPARE(m_menu->focusedButton(), m_menu->watchButton());
        QVERIFY(m_menu->bestTimeDisplay()->text().contains(QStringLiteral("42.5")));
    }

    void otherKeysDoNothing()
    {
        showRun();
        keyClick(m_menu, Qt::Key_Escape);
        keyClick(m_menu, Qt::Key_Space);
        QVERIFY(!isHiding(m_menu));
    }

    void controllerSlots()
    {
        showRun();
        m_menu->hideMenu();
        finishHide(m_menu);
        QCOMPARE(counts(), only(QString()));
        QVERIFY(m_menu->isHidden());

        showRun();
        m_menu->hideAndReset();
        finishHide(m_menu);
        QCOMPARE(counts(), only("reset"));
    }

    // Re-centring uses the narrow screen's offset of 37 chosen at
    // construction: 0.5 * (700 - 264) + 37 = 255.
    void followsResize()
    {
        m_menu->updateScreenPosition(QRect(0, 0, 1000, 700));
        QCOMPARE(m_menu->geometry(), QRect(322, 255, 356, 264));
        QCOMPARE(animation(m_menu, "showAnimation")->endValue().toInt(), 255);
        QCOMPARE(animation(m_menu, "hideAnimation")->startValue().toInt(), 255);
    }
};

QTEST_MAIN(TestLevelCompletedMenu)
#include "tst_levelcompletedmenu.moc"

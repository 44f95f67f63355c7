// SPDX-License-Identifier: GPL-3.0-or-later
// The pause panel: layout from the window size, actions that fire only
// after the slide-out, Escape towards the main menu.

#include "app/gamewindow.h"
#include "menus/buttonpixmap.h"
#include "menus/ingamemenu.h"
#include "menutesting.h"

#include <QSignalSpy>
#include <QtTest>

using namespace MenuTesting;

class TestInGameMenu : public QObject
{
    Q_OBJECT
private:
    QWidget *m_view = nullptr;
    InGameMenu *m_menu = nullptr;
    SignalCounter *m_signals = nullptr;

    QList<int> counts() const { return m_signals->counts(); }
    QList<int> only(const QString &signal) const { return m_signals->only(signal); }

private slots:
    void initTestCase()
    {
        // The offscreen platform's screen is 800 x 800: a 528 x 528 window.
        QCOMPARE(gameWindowRect().size(), QSize(528, 528));
    }

    void init()
    {
        m_view = newGameView();
        m_menu = new InGameMenu(gameWindowRect().size(), m_view);
        m_signals = new SignalCounter(m_menu, {"backInGame", "reset", "mainmenu", "exit"});
    }

    void cleanup()
    {
        delete m_signals;
        delete m_view;
    }

    // Free height 348: resting at 3/8 of it, 130; centred horizontally.
    void layoutAtConstruction()
    {
        QCOMPARE(m_menu->geometry(), QRect(64, 130, 400, 180));
        QVERIFY(m_menu->isHidden());
        QCOMPARE(m_menu->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(m_menu->buttons().size(), 6);
        const qreal xs[] = {20, 94, 168, 242, 316};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(m_menu->buttons()[i]->hitRect(), QRectF(xs[i], 58, 64, 64));
        // The ghost's small button in the top-right corner.
        QCOMPARE(m_menu->ghostButton(), m_menu->buttons()[5]);
        QCOMPARE(m_menu->ghostButton()->hitRect(), QRectF(336, 10, 44, 44));

        QPropertyAnimation *show = animation(m_menu, "showAnimation");
        QPropertyAnimation *hide = animation(m_menu, "hideAnimation");
        QCOMPARE(show->duration(), 550);
        QCOMPARE(show->startValue().toInt(), -230);
        QCOMPARE(show->endValue().toInt(), 130);
        QCOMPARE(show->easingCurve().type(), QEasingCurve::OutBack);
        QCOMPARE(hide->duration(), 357);
        QCOMPARE(hide->startValue().toInt(), 130);
        QCOMPARE(hide->endValue().toInt(), -230);
        QCOMPARE(hide->easingCurve().type(), QEasingCurve::InCubic);
    }

    void slidesIn()
    {
        m_menu->showMenu();
        QVERIFY(!m_menu->isHidden());
        QCOMPARE(m_menu->y(), -230);
        finishShow(m_menu);
        QCOMPARE(m_menu->y(), 130);
        QCOMPARE(m_view->focusWidget(), m_menu);
    }

    void actions_data()
    {
        QTest::addColumn<QPointF>("click");
        QTest::addColumn<QString>("signal");
        QTest::newRow("back") << QPointF(40, 70) << "backInGame";
        QTest::newRow("reset") << QPointF(130, 70) << "reset";
        QTest::newRow("menu") << QPointF(200, 100) << "mainmenu";
        QTest::newRow("exit") << QPointF(370, 121) << "exit";
    }

    void actions()
    {
        QFETCH(QPointF, click);
        QFETCH(QString, signal);
        m_menu->showMenu();
        finishShow(m_menu);
        MenuTesting::click(m_menu, click);
        // Nothing at the click: the panel slides out first.
        QCOMPARE(counts(), only(QString()));
        QVERIFY(isHiding(m_menu));
        finishHide(m_menu);
        QCOMPARE(counts(), only(signal));
        QVERIFY(m_menu->isHidden());
        QCOMPARE(m_menu->y(), -230);
    }

    // Clicking while the panel is still sliding in works as well.
    void interactiveWhileSliding()
    {
        m_menu->showMenu();
        animation(m_menu, "showAnimation")->setCurrentTime(100);
        click(m_menu, QPointF(m_menu->buttons()[1]->hitRect().center()));
        QVERIFY(isHiding(m_menu));
        finishHide(m_menu);
        QCOMPARE(counts(), only("reset"));
    }

    void escapeLeadsToMainMenu_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("escape") << int(Qt::Key_Escape);
        QTest::newRow("media previous") << int(Qt::Key_MediaPrevious);
    }

    void escapeLeadsToMainMenu()
    {
        QFETCH(int, key);
        m_menu->showMenu();
        finishShow(m_menu);
        keyClick(m_menu, key);
        QCOMPARE(counts(), only(QString()));
        finishHide(m_menu);
        QCOMPARE(counts(), only("mainmenu"));
    }

    void otherKeysDoNothing()
    {
        m_menu->showMenu();
        finishShow(m_menu);
        keyClick(m_menu, Qt::Key_R);
        keyClick(m_menu, Qt::Key_W);
        QVERIFY(!isHiding(m_menu));
    }

    // The keys walk the buttons left to right from resume; Return fires the
    // focused one on release.
    void keysWalkTheButtons_data()
    {
        QTest::addColumn<int>("rights");
        QTest::addColumn<QString>("signal");
        QTest::newRow("resume") << 0 << "backInGame";
        QTest::newRow("restart") << 1 << "reset";
        QTest::newRow("menu") << 2 << "mainmenu";
        QTest::newRow("quit") << 4 << "exit";
        QTest::newRow("quit, no wrap") << 6 << "exit";
    }

    void keysWalkTheButtons()
    {
        QFETCH(int, rights);
        QFETCH(QString, signal);
        m_menu->showMenu();
        finishShow(m_menu);
        QCOMPARE(m_menu->focusedButton(), m_menu->backButton());
        for (int i = 0; i < rights; ++i)
            QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->focusedButton(), m_menu->buttons().at(std::min(rights, 4)));
        QTest::keyPress(m_menu, Qt::Key_Return);
        QVERIFY(!isHiding(m_menu));
        QVERIFY(m_menu->focusedButton()->isPressed());
        QTest::keyRelease(m_menu, Qt::Key_Return);
        QVERIFY(isHiding(m_menu));
        finishHide(m_menu);
        QCOMPARE(counts(), only(signal));
    }

    // The settings button, by click and by keys, asks for the settings
    // once the panel has slid out, and nothing else.
    void settingsButton()
    {
        QSignalSpy settings(m_menu, &InGameMenu::settingsRequested);
        m_menu->showMenu();
        finishShow(m_menu);
        click(m_menu, QPointF(274, 90));
        QCOMPARE(settings.count(), 0);
        finishHide(m_menu);
        QCOMPARE(settings.count(), 1);
        QCOMPARE(counts(), only(QString()));

        m_menu->showMenu();
        finishShow(m_menu);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->focusedButton(), m_menu->settingsButton());
        QTest::keyClick(m_menu, Qt::Key_Return);
        finishHide(m_menu);
        QCOMPARE(settings.count(), 2);
        QCOMPARE(counts(), only(QString()));
        // Back from the settings: the focus is where it was.
        m_menu->showAgain();
        finishShow(m_menu);
        QCOMPARE(m_menu->focusedButton(), m_menu->settingsButton());
    }

    // The ghost button asks for the ghost's next choice at once and the
    // panel stays; its picture shows the choice it is given, a different
    // one for each.
    void ghostButton()
    {
        using Shown = InGameMenu::GhostShown;
        QSignalSpy toggled(m_menu, &InGameMenu::ghostToggled);
        m_menu->showMenu();
        finishShow(m_menu);
        QCOMPARE(m_menu->ghostShown(), Shown::Best);
        const QImage best = m_menu->ghostButton()->currentPixmap().toImage();
        click(m_menu, QPointF(358, 32));
        QCOMPARE(toggled.count(), 1);
        QVERIFY(!isHiding(m_menu));
        QCOMPARE(counts(), only(QString()));
        m_menu->setGhostShown(Shown::Author);
        QCOMPARE(m_menu->ghostShown(), Shown::Author);
        const QImage author = m_menu->ghostButton()->currentPixmap().toImage();
        m_menu->setGhostShown(Shown::Off);
        const QImage off = m_menu->ghostButton()->currentPixmap().toImage();
        QVERIFY(!off.isNull());
        QVERIFY(!author.isNull());
        QVERIFY(off != best);
        QVERIFY(author != best);
        QVERIFY(author != off);
        m_menu->setGhostShown(Shown::Best);
        QCOMPARE(m_menu->ghostButton()->currentPixmap().toImage(), best);
    }

    // Tab walks in reading order and wraps; Shift+Tab walks back. The
    // ghost button, highest on the panel, leads the order.
    void tabWalks()
    {
        m_menu->showMenu();
        finishShow(m_menu);
        QTest::keyClick(m_menu, Qt::Key_Tab);
        QCOMPARE(m_menu->focusedButton(), m_menu->buttons().at(1));
        QTest::keyClick(m_menu, Qt::Key_Tab, Qt::ShiftModifier);
        QTest::keyClick(m_menu, Qt::Key_Backtab);
        QCOMPARE(m_menu->focusedButton(), m_menu->ghostButton());
        QTest::keyClick(m_menu, Qt::Key_Backtab);
        QCOMPARE(m_menu->focusedButton(), m_menu->buttons().at(4));
        QTest::keyClick(m_menu, Qt::Key_Tab);
        QTest::keyClick(m_menu, Qt::Key_Tab);
        QCOMPARE(m_menu->focusedButton(), m_menu->backButton());
        QVERIFY(MenuWidget::focusRingShown());
        // The mouse hides the ring again.
        click(m_menu, QPointF(5, 5));
        QVERIFY(!MenuWidget::focusRingShown());
    }

    void controllerSlots()
    {
        m_menu->showMenu();
        m_menu->hideAndReset();
        finishHide(m_menu);
        QCOMPARE(counts(), only("reset"));

        m_menu->showMenu();
        m_menu->exitAction();
        finishHide(m_menu);
        QCOMPARE(counts()[3], 1);
    }

    // Re-centring after a resize moves the panel and the ends of both
    // animations to the new resting y: 0.5 * (700 - 180) - 43 = 217.
    void followsResize()
    {
        m_menu->updateScreenPosition(QRect(100, 50, 1000, 700));
        QCOMPARE(m_menu->geometry(), QRect(300, 217, 400, 180));
        QCOMPARE(animation(m_menu, "showAnimation")->endValue().toInt(), 217);
        QCOMPARE(animation(m_menu, "hideAnimation")->startValue().toInt(), 217);
        m_menu->showMenu();
        finishShow(m_menu);
        QCOMPARE(m_menu->geometry(), QRect(300, 217, 400, 180));
    }
};

QTEST_MAIN(TestInGameMenu)
#include "tst_ingamemenu.moc"

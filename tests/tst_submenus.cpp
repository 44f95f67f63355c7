// SPDX-License-Identifier: GPL-3.0-or-later
// The info and help panels opened from the main menu.

#include "app/gamewindow.h"
#include "input/keybindings.h"
#include "menus/buttonpixmap.h"
#include "menus/helpmenu.h"
#include "menus/infomenu.h"
#include "menus/menutext.h"
#include "menutesting.h"

#include <QSignalSpy>
#include <QtTest>

using namespace MenuTesting;

class TestSubMenus : public QObject
{
    Q_OBJECT
private:
    QWidget *m_view = nullptr;

    template <typename Menu> Menu *shown()
    {
        auto *menu = new Menu(gameWindowRect().size(), m_view);
        menu->showMenu();
        finishShow(menu);
        return menu;
    }

private slots:
    void initTestCase() { QCOMPARE(gameWindowRect().size(), QSize(528, 528)); }

    void init() { m_view = newGameView(); }

    void cleanup() { delete m_view; }

    void layout()
    {
        InfoMenu info(gameWindowRect().size(), m_view);
        HelpMenu help(gameWindowRect().size(), m_view);
        for (MenuWidget *menu : {static_cast<MenuWidget *>(&info), static_cast<MenuWidget *>(&help)}) {
            QCOMPARE(menu->geometry(), QRect(24, 92, 479, 344));
            QVERIFY(menu->isHidden());
            QCOMPARE(animation(menu, "showAnimation")->duration(), 750);
            QCOMPARE(animation(menu, "showAnimation")->startValue().toInt(), -401);
            QCOMPARE(animation(menu, "hideAnimation")->duration(), 487);
            QCOMPARE(animation(menu, "hideAnimation")->endValue().toInt(), -401);
        }
        // Back where the main menu, on the same panel, has its back button.
        QCOMPARE(info.buttons().first()->hitRect(), QRectF(10, 274, 64, 64));
        QCOMPARE(help.buttons().first()->hitRect(), QRectF(395, 264, 64, 64));
    }

    void infoText()
    {
        InfoMenu info(gameWindowRect().size(), m_view);
        info.setProgressPath("/home/rider/.local/share/velocrag/results.db");
        const QStringList lines = info.lines();
        QCOMPARE(lines.size(), 9);
        QCOMPARE(lines[0], QString("Velocrag"));
        QCOMPARE(lines[1], QString("Velocrag developers"));
        QCOMPARE(lines[2], QString("Version: 1.1.0 (PC)"));
        QCOMPARE(lines[3], QString("Licences: GPL-3.0-or-later (code), CC-BY-SA-4.0 (content)"));
        QVERIFY(lines[4].contains("Bitstream Vera"));
        QVERIFY(lines[4].contains("licence"));
        QCOMPARE(lines[5], QString("Progress is kept in /home/rider/.local/share/velocrag/results.db"));
        QCOMPARE(lines[6], QString("Keys: W / Up throttle, S / Down brake"));
        QCOMPARE(lines[7], QString("Lean: A / Left back, D / Right forward"));
        QCOMPARE(lines[8], QString("R / Backspace retry, Esc menu, G ghost; all keys in Settings"));
        // Every line fits the paper whole: nothing is elided.
        const QFontMetricsF metrics(menuFont(12, false));
        for (int i = 1; i < lines.size(); ++i) {
            if (i != 5) // the progress path may be elided in its middle
                QVERIFY2(metrics.horizontalAdvance(lines[i]) <= 419,
                    qPrintable(QStringLiteral("%1 px: %2 (%3)")
                                   .arg(metrics.horizontalAdvance(lines[i]))
                                   .arg(lines[i], QFontInfo(menuFont(12, false)).family())));
        }

        // The player's keys, as the settings set them; the menu key joins
        // Escape, which always opens the menu.
        KeyBindings keys;
        keys.assign(KeyBindings::Throttle, Qt::Key_I);
        keys.assign(KeyBindings::LeanBack, Qt::Key_H);
        keys.assign(KeyBindings::Menu, Qt::Key_M);
        keys.assign(KeyBindings::Restart, Qt::Key_Space);
        info.setKeyBindings(keys);
        const QStringList mine = info.lines();
        QCOMPARE(mine[6], QString("Keys: I / W throttle, S / Down brake"));
        QCOMPARE(mine[7], QString("Lean: H / A back, D / Right forward"));
        QCOMPARE(mine[8], QString("Space / R retry, Esc / M menu, G ghost; all keys in Settings"));
    }

    // The about view: the licences of the code and of the content, the
    // fonts' credit, no warranty; each line whole on the paper. Switching
    // views changes the lines and nothing else of the panel.
    void aboutText()
    {
        InfoMenu info(gameWindowRect().size(), m_view);
        info.setProgressPath("/home/rider/.local/share/velocrag/results.db");
        QCOMPARE(info.view(), InfoMenu::InfoView);
        const QStringList infoLines = info.lines();
        info.setView(InfoMenu::AboutView);
        QCOMPARE(info.view(), InfoMenu::AboutView);
        const QStringList lines = info.lines();
        QCOMPARE(lines.size(), 9);
        QCOMPARE(lines[0], QString("About Velocrag"));
        QCOMPARE(lines[1], QString("Version: 1.1.0 (PC)"));
        QCOMPARE(lines[2], QString("\u00a9 2026 Velocrag developers"));
        QCOMPARE(lines[3], QString("Code: GNU GPL, version 3 or later (GPL-3.0-or-later)"));
        QCOMPARE(lines[4], QString("Levels, pictures and sounds: CC BY-SA 4.0 (CC-BY-SA-4.0)"));
        QVERIFY(lines[5].contains("Bitstream Vera licence"));
        QVERIFY(lines[6].contains("NO WARRANTY"));
        QVERIFY(lines.filter("velocrag.games").isEmpty());
        QVERIFY(lines.filter("http").isEmpty());
        const QFontMetricsF metrics(menuFont(12, false));
        for (int i = 1; i < lines.size(); ++i)
            QVERIFY2(metrics.horizontalAdvance(lines[i]) <= 419,
                qPrintable(
                    QStringLiteral("%1 px: %2").arg(metrics.horizontalAdvance(lines[i])).arg(lines[i])));
        QCOMPARE(info.buttons().size(), 1);
        info.setView(InfoMenu::InfoView);
        QCOMPARE(info.lines(), infoLines);
    }

    void infoClosesAfterSlidingOut_data()
    {
        QTest::addColumn<int>("key"); // 0: the back button
        QTest::newRow("back button") << 0;
        QTest::newRow("escape") << int(Qt::Key_Escape);
        QTest::newRow("media previous") << int(Qt::Key_MediaPrevious);
    }

    void infoClosesAfterSlidingOut()
    {
        QFETCH(int, key);
        InfoMenu *info = shown<InfoMenu>();
        QSignalSpy ok(info, &InfoMenu::ok);
        if (key)
            keyPress(info, key);
        else
            click(info, QPointF(40, 300));
        QCOMPARE(ok.count(), 0);
        QVERIFY(isHiding(info));
        finishHide(info);
        QCOMPARE(ok.count(), 1);
        QVERIFY(info->isHidden());
    }

    void infoIgnoresOtherKeys()
    {
        InfoMenu *info = shown<InfoMenu>();
        keyClick(info, Qt::Key_W);
        keyClick(info, Qt::Key_Up);
        QVERIFY(!isHiding(info));
    }

    // The back button is the only thing to focus; Return fires it.
    void infoReturnPressesBack()
    {
        InfoMenu *info = shown<InfoMenu>();
        QSignalSpy ok(info, &InfoMenu::ok);
        QVERIFY(info->focusedButton());
        QCOMPARE(info->focusedButton(), info->buttons().first());
        QTest::keyClick(info, Qt::Key_Return);
        QVERIFY(isHiding(info));
        finishHide(info);
        QCOMPARE(ok.count(), 1);
    }

    // The closing keys show the next button held and act on release.
    void helpKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("escape") << int(Qt::Key_Escape);
        QTest::newRow("return") << int(Qt::Key_Return);
        QTest::newRow("enter") << int(Qt::Key_Enter);
    }

    void helpKeys()
    {
        QFETCH(int, key);
        HelpMenu *help = shown<HelpMenu>();
        QSignalSpy ok(help, &HelpMenu::ok);
        keyPress(help, key);
        QVERIFY(help->buttons().first()->isPressed());
        QVERIFY(!isHiding(help));
        keyRelease(help, key);
        QVERIFY(!help->buttons().first()->isPressed());
        QVERIFY(isHiding(help));
        QCOMPARE(ok.count(), 0);
        finishHide(help);
        QCOMPARE(ok.count(), 1);
    }

    void helpNextButtonAndOtherKeys()
    {
        HelpMenu *help = shown<HelpMenu>();
        QSignalSpy ok(help, &HelpMenu::ok);
        keyClick(help, Qt::Key_Space);
        QVERIFY(!isHiding(help));
        click(help, QPointF(400, 270));
        finishHide(help);
        QCOMPARE(ok.count(), 1);
    }
};

QTEST_MAIN(TestSubMenus)
#include "tst_submenus.moc"

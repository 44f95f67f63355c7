// SPDX-License-Identifier: GPL-3.0-or-later
// The settings panel on its own: walked by keys and by a pad's menu keys,
// the slider, the toggles, setting a key (moved from another action, with a
// note), restore defaults, and the mouse on the panel-drawn items.
#include "app/gamewindow.h"
#include "menus/buttonpixmap.h"
#include "menus/settingsmenu.h"
#include "menutesting.h"

#include <QSignalSpy>
#include <QtTest>

using namespace MenuTesting;

class TestSettingsMenu : public QObject
{
    Q_OBJECT
private:
    QWidget *m_view = nullptr;
    SettingsMenu *m_menu = nullptr;

    void open()
    {
        m_menu->setVolume(60);
        m_menu->setSoundsOn(true);
        m_menu->setFullScreen(false);
        m_menu->setKeyBindings(KeyBindings());
        m_menu->showMenu();
        finishShow(m_menu);
    }

    QRectF itemRect(int id) const
    {
        for (const MenuWidget::FocusItem &item : m_menu->focusItems()) {
            if (item.id == id)
                return item.rect;
        }
        return QRectF();
    }

    // Tab until the item is focused; false when a full round misses it.
    bool tabTo(int id)
    {
        for (int i = 0; i <= m_menu->focusItems().size(); ++i) {
            if (m_menu->focusedId() == id)
                return true;
            QTest::keyClick(m_menu, Qt::Key_Tab);
        }
        return false;
    }

    static int cell(KeyBindings::Action action) { return SettingsMenu::kActionItem + action; }

private slots:
    void init()
    {
        m_view = newGameView();
        m_menu = new SettingsMenu(m_view->size(), m_view);
    }

    void cleanup() { delete m_view; }

    // The slider takes Left and Right in steps of 5, within 0..100.
    void volumeByKeys()
    {
        open();
        QCOMPARE(m_menu->focusedId(), int(SettingsMenu::VolumeItem));
        QSignalSpy volume(m_menu, &SettingsMenu::volumeChanged);
        QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->volume(), 65);
        QTest::keyClick(m_menu, Qt::Key_Left);
        QTest::keyClick(m_menu, Qt::Key_Left);
        QCOMPARE(m_menu->volume(), 55);
        QCOMPARE(volume.count(), 3);
        QCOMPARE(volume.last().first().toInt(), 55);
        m_menu->setVolume(98);
        QTest::keyClick(m_menu, Qt::Key_Right);
        QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->volume(), 100);
        QCOMPARE(volume.count(), 4);
        QCOMPARE(m_menu->focusedId(), int(SettingsMenu::VolumeItem));
    }

    // Down from the slider to the toggles; Return switches the focused one.
    void togglesByKeys()
    {
        open();
        QSignalSpy sounds(m_menu, &SettingsMenu::soundsChanged);
        QSignalSpy fullScreen(m_menu, &SettingsMenu::fullScreenChanged);
        QTest::keyClick(m_menu, Qt::Key_Down);
        QCOMPARE(m_menu->focusedId(), int(SettingsMenu::SoundsItem));
        QTest::keyClick(m_menu, Qt::Key_Return);
        QCOMPARE(sounds.count(), 1);
        QCOMPARE(sounds.first().first().toBool(), false);
        QVERIFY(!m_menu->soundsOn());
        QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->focusedId(), int(SettingsMenu::FullScreenItem));
        QTest::keyClick(m_menu, Qt::Key_Enter);
        QCOMPARE(fullScreen.count(), 1);
        QVERIFY(m_menu->fullScreen());
        QCOMPARE(sounds.count(), 1);
    }

    // The key grid: two columns, Down walks a column, Right crosses over.
    void gridByKeys()
    {
        open();
        QTest::keyClick(m_menu, Qt::Key_Down);
        QTest::keyClick(m_menu, Qt::Key_Down);
        QCOMPARE(m_menu->focusedId(), cell(KeyBindings::Throttle));
        const KeyBindings::Action column[]
            = {KeyBindings::Brake, KeyBindings::LeanBack, KeyBindings::LeanForward};
        for (KeyBindings::Action action : column) {
            QTest::keyClick(m_menu, Qt::Key_Down);
            QCOMPARE(m_menu->focusedId(), cell(action));
        }
        QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->focusedId(), cell(KeyBindings::ZoomOut));
        QTest::keyClick(m_menu, Qt::Key_Down);
        QCOMPARE(m_menu->focusedId(), int(SettingsMenu::RestoreItem));
        QTest::keyClick(m_menu, Qt::Key_Left);
        QCOMPARE(m_menu->focusedButton(), m_menu->backButton());
    }

    // Return on an action waits for a key; the key is given, taken from the
    // action that held it, and the note names both. The key's release does
    // not start another wait.
    void setKeyMovesConflict()
    {
        open();
        QVERIFY(tabTo(cell(KeyBindings::Throttle)));
        QSignalSpy changed(m_menu, &SettingsMenu::keyBindingsChanged);
        QTest::keyClick(m_menu, Qt::Key_Return);
        QCOMPARE(m_menu->capturingAction(), int(KeyBindings::Throttle));
        QVERIFY(m_menu->note().contains("Throttle"));
        QTest::keyClick(m_menu, Qt::Key_Shift);
        QCOMPARE(m_menu->capturingAction(), int(KeyBindings::Throttle));
        QTest::keyClick(m_menu, Qt::Key_J);
        QCOMPARE(m_menu->capturingAction(), KeyBindings::kNoAction);
        QCOMPARE(changed.count(), 1);
        const auto keys = changed.first().first().value<KeyBindings>();
        QCOMPARE(keys.keys(KeyBindings::Throttle), (QList<int> {Qt::Key_J, Qt::Key_W}));
        QCOMPARE(keys.keys(KeyBindings::ZoomIn), (QList<int> {Qt::Key_Plus}));
        QCOMPARE(m_menu->keyBindings(), keys);
        QCOMPARE(m_menu->note(), QStringLiteral("J moved from Zoom in to Throttle"));

        // Return itself can be given; its release fires nothing.
        QTest::keyClick(m_menu, Qt::Key_Return);
        QTest::keyClick(m_menu, Qt::Key_Return);
        QCOMPARE(m_menu->keyBindings().keys(KeyBindings::Throttle), (QList<int> {Qt::Key_Return, Qt::Key_J}));
        QCOMPARE(m_menu->capturingAction(), KeyBindings::kNoAction);
        QCOMPARE(m_menu->note(), QStringLiteral("Return set for Throttle"));
        QVERIFY(!isHiding(m_menu));
    }

    // Keys that belong to the menus or the volume cannot be given; Escape
    // ends the wait, a second Escape closes the panel.
    void refusedKeysAndEscape()
    {
        open();
        QVERIFY(tabTo(cell(KeyBindings::Brake)));
        QTest::keyClick(m_menu, Qt::Key_Return);
        QTest::keyClick(m_menu, Qt::Key_PageUp);
        QCOMPARE(m_menu->capturingAction(), int(KeyBindings::Brake));
        QVERIFY(m_menu->note().contains("cannot be set"));
        QTest::keyClick(m_menu, Qt::Key_Escape);
        QCOMPARE(m_menu->capturingAction(), KeyBindings::kNoAction);
        QVERIFY(m_menu->keyBindings().isDefault());
        QVERIFY(!isHiding(m_menu));
        QSignalSpy ok(m_menu, &SettingsMenu::ok);
        QTest::keyClick(m_menu, Qt::Key_Escape);
        QVERIFY(isHiding(m_menu));
        finishHide(m_menu);
        QCOMPARE(ok.count(), 1);
    }

    // A pad's A starts the wait but never becomes a key; B cancels.
    void padNeverSetsAKey()
    {
        open();
        m_menu->padKey(Qt::Key_Down, true);
        m_menu->padKey(Qt::Key_Down, false);
        m_menu->padKey(Qt::Key_Down, true);
        m_menu->padKey(Qt::Key_Down, false);
        QCOMPARE(m_menu->focusedId(), cell(KeyBindings::Throttle));
        m_menu->padKey(Qt::Key_Return, true);
        m_menu->padKey(Qt::Key_Return, false);
        QCOMPARE(m_menu->capturingAction(), int(KeyBindings::Throttle));
        m_menu->padKey(Qt::Key_Return, true);
        m_menu->padKey(Qt::Key_Down, true);
        QCOMPARE(m_menu->capturingAction(), int(KeyBindings::Throttle));
        QVERIFY(m_menu->keyBindings().isDefault());
        m_menu->padKey(Qt::Key_Escape, true);
        QCOMPARE(m_menu->capturingAction(), KeyBindings::kNoAction);
        QVERIFY(!isHiding(m_menu));
    }

    void restoreDefaults()
    {
        KeyBindings changedKeys;
        changedKeys.assign(KeyBindings::Brake, Qt::Key_W);
        m_menu->setKeyBindings(changedKeys);
        m_menu->showMenu();
        finishShow(m_menu);
        QSignalSpy changed(m_menu, &SettingsMenu::keyBindingsChanged);
        QVERIFY(tabTo(SettingsMenu::RestoreItem));
        QTest::keyClick(m_menu, Qt::Key_Return);
        QCOMPARE(changed.count(), 1);
        QVERIFY(m_menu->keyBindings().isDefault());
        QCOMPARE(m_menu->note(), QStringLiteral("Default keys restored"));
    }

    // The mouse: the slider follows a press and a drag, a toggle switches on
    // a click, a click on an action waits for its key.
    void mouse()
    {
        open();
        const QRectF volume = itemRect(SettingsMenu::VolumeItem);
        press(m_menu, QPointF(volume.left() + 1, volume.center().y()));
        QCOMPARE(m_menu->volume(), 0);
        QMouseEvent move(QEvent::MouseMove, QPointF(volume.right() - 1, volume.center().y()), QPointF(),
            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_menu, &move);
        QCOMPARE(m_menu->volume(), 100);
        release(m_menu, QPointF(volume.right() - 1, volume.center().y()));

        click(m_menu, itemRect(SettingsMenu::FullScreenItem).center());
        QVERIFY(m_menu->fullScreen());
        click(m_menu, itemRect(cell(KeyBindings::ZoomOut)).center());
        QCOMPARE(m_menu->capturingAction(), int(KeyBindings::ZoomOut));
        QTest::keyClick(m_menu, Qt::Key_L);
        QCOMPARE(m_menu->keyBindings().keys(KeyBindings::ZoomOut), (QList<int> {Qt::Key_L, Qt::Key_Minus}));

        QSignalSpy ok(m_menu, &SettingsMenu::ok);
        click(m_menu, m_menu->backButton()->hitRect().center());
        finishHide(m_menu);
        QCOMPARE(ok.count(), 1);
    }

    // Every item is drawn inside the paper or the foot of the panel and no
    // two overlap.
    void itemsInsideThePanel()
    {
        const QVector<MenuWidget::FocusItem> items = m_menu->focusItems();
        QCOMPARE(items.size(), 1 + 3 + KeyBindings::kActionCount + 1);
        const QRectF panel(0, 0, m_menu->menuWidth(), m_menu->menuHeight());
        for (int i = 0; i < items.size(); ++i) {
            QVERIFY(panel.contains(items[i].rect));
            for (int j = i + 1; j < items.size(); ++j)
                QVERIFY2(
                    !items[i].rect.intersects(items[j].rect), qPrintable(QString("%1 %2").arg(i).arg(j)));
        }
    }
};

QTEST_MAIN(TestSettingsMenu)
#include "tst_settingsmenu.moc"

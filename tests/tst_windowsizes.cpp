// SPDX-License-Identifier: GPL-3.0-or-later
// The game in small windows and after switching to fullscreen: every panel
// stays whole inside the window (scaled down where it must be), its buttons
// answer where they are drawn, and the fullscreen choice is kept in the
// player's settings across starts, also in an older results.db.

#include "gametesting.h"
#include "levels/levelmanager.h"
#include "menus/buttonpixmap.h"
#include "menus/ingamemenu.h"
#include "menus/levelcompletedmenu.h"
#include "menus/mainmenu.h"
#include "menus/numberdisplay.h"

#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using namespace MenuTesting;

namespace {
constexpr int kNoResult = LevelDbFixture::kNoResult;
const QList<LevelDbFixture::Pack> kPacks = {{2, {kNoResult, kNoResult}}};

QList<MenuWidget *> panels(MyGame *game)
{
    return {game->mainMenu(), game->mainMenu()->infoMenu(), game->mainMenu()->helpMenu(), game->inGameMenu(),
        game->levelCompletedMenu(), game->settingsMenu()};
}

// The panel's resting rectangle in the view, and every button's hit area
// mapped onto the view, lie inside the view.
void verifyWhole(MenuWidget *panel, const QRect &view)
{
    const QString name = QString::fromLatin1(panel->metaObject()->className());
    QVERIFY2(view.contains(panel->geometry()),
        qPrintable(name
            + QStringLiteral(" at %1,%2 %3x%4")
                  .arg(panel->x())
                  .arg(panel->y())
                  .arg(panel->width())
                  .arg(panel->height())));
    const qreal scale = panel->panelScale();
    for (const ButtonPixmap *button : panel->buttons()) {
        const QRectF hit = button->hitRect();
        const QRectF shown(panel->pos() + hit.topLeft() * scale, hit.size() * scale);
        QVERIFY2(QRectF(view).contains(shown),
            qPrintable(name + " button " + QString::number(button->buttonId())));
    }
}

// The fixture writes results.db as the first release did (results and the
// sound setting, no player settings); a result row is added to it.
void addResultToOlderResultsDb(const QString &folder)
{
    const QString path = folder + "/results.db";
    QCOMPARE(TestSupport::querySql(path, "SELECT count(*) FROM sqlite_master WHERE name = 'playersetting'"),
        QVariantList {0});
    QCOMPARE(TestSupport::execSql(path, {"INSERT INTO levelresult VALUES (7, 2001, 2, 15.5)"}), QString());
}
} // namespace

class TestWindowSizes : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<GameRig> m_rig;

    GameRig &rig(QSize size, const std::function<void(const QString &)> &beforeGame = {})
    {
        m_rig = std::make_unique<GameRig>();
        QString error;
        if (!m_rig->start(kPacks, &error, size, beforeGame))
            qFatal("cannot build the test game: %s", qPrintable(error));
        return *m_rig;
    }

private slots:
    void cleanup() { m_rig.reset(); }

    void windowHasAMinimumSize()
    {
        GameRig &r = rig(QSize(200, 150));
        QCOMPARE(r.view->minimumSize(), GameView::kMinimumSize);
        QCOMPARE(r.view->size(), GameView::kMinimumSize);
    }

    void panelsFitTheWindow_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("smallest") << GameView::kMinimumSize;
        QTest::newRow("640x480 screen") << gameWindowRectForScreen(QSize(640, 480)).size();
        QTest::newRow("640x480 window") << QSize(640, 480);
    }
    void panelsFitTheWindow()
    {
        QFETCH(QSize, size);
        GameRig &r = rig(size);
        QCOMPARE(r.view->size(), size);
        const QRect view(QPoint(0, 0), size);
        for (MenuWidget *panel : panels(r.game.get())) {
            // Scaled exactly when the full-size panel and its margins do not fit.
            const bool fits
                = panel->menuWidth() + 16 <= size.width() && panel->menuHeight() + 16 <= size.height();
            QVERIFY2((panel->panelScale() == 1.0) == fits, panel->metaObject()->className());
            verifyWhole(panel, view);
        }
        // The HUD too: the pads and the clock stay inside.
        r.ride(2, 1);
        r.settle();
        for (const ButtonPixmap *button : r.view->buttons())
            QVERIFY(QRectF(view).contains(QRectF(QPointF(button->x(), button->y()), button->size())));
        QVERIFY(QRectF(view).contains(r.view->timeDisplay()->rect()));
    }

    // On the smallest window the in-game menu's buttons work where they
    // are drawn: a click on the scaled exit button's centre presses it.
    void scaledButtonsAnswerWhereDrawn()
    {
        GameRig &r = rig(GameView::kMinimumSize);
        r.ride(2, 1);
        InGameMenu *menu = r.game->inGameMenu();
        r.game->showInGameMenu();
        r.settle();
        QVERIFY(menu->isVisible());
        QVERIFY(menu->panelScale() < 1.0);
        for (ButtonPixmap *button : menu->buttons()) {
            const QPointF centre = button->hitRect().center() * menu->panelScale();
            press(menu, centre);
            QVERIFY2(button->isPressed(), qPrintable(QString::number(button->buttonId())));
            button->setPressed(false);
        }
    }

    // F11 switches to fullscreen and back, Alt+Enter too; everything is laid
    // out for the new size and the choice survives a restart.
    void fullscreenTogglesAndIsRemembered()
    {
        GameRig &r = rig(QSize(640, 480));
        const QSize screen = r.view->screen()->geometry().size();
        QVERIFY(screen != QSize(640, 480));
        r.ride(2, 1);
        r.settle();
        // Shortcuts act in the active window only.
        r.view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(r.view.get()));
        QTest::keyClick(r.view.get(), Qt::Key_F11);
        QVERIFY(r.view->isFullScreen());
        QTRY_COMPARE(r.view->size(), screen);
        QCOMPARE(r.game->levelManager()->playerSetting("fullscreen"), QString("1"));
        QCOMPARE(r.view->throttleButton()->x() + r.view->throttleButton()->size().width() > 640, true);
        QCOMPARE(r.view->timeDisplay()->rect().width(), screen.width() - 80.0);
        QCOMPARE(r.game->inGameMenu()->x(), (screen.width() - r.game->inGameMenu()->width()) / 2);

        // Escape still opens the menu and does not leave fullscreen.
        QTest::keyClick(r.view.get(), Qt::Key_Escape);
        r.settle();
        QVERIFY(r.game->inGameMenu()->isVisible());
        QVERIFY(r.view->isFullScreen());

        // The keys work while a panel has the keyboard.
        QTest::keyClick(r.game->inGameMenu(), Qt::Key_Return, Qt::AltModifier);
        QVERIFY(!r.view->isFullScreen());
        QTRY_COMPARE(r.view->size(), QSize(640, 480));
        QCOMPARE(r.game->levelManager()->playerSetting("fullscreen"), QString("0"));
        QTest::keyClick(r.game->inGameMenu(), Qt::Key_F11);
        QVERIFY(r.view->isFullScreen());

        // The next start, with the same results.db, comes up fullscreen.
        QTemporaryDir keep;
        const QString saved = keep.filePath("results.db");
        QVERIFY(QFile::copy(r.game->levelManager()->resultsDbPath(), saved));
        m_rig.reset();
        GameRig &again = rig(QSize(640, 480), [&](const QString &folder) {
            QFile::remove(folder + "/results.db");
            QFile::copy(saved, folder + "/results.db");
        });
        QVERIFY(!again.view->isFullScreen());
        again.view->applyFullScreenSetting();
        QVERIFY(again.view->isFullScreen());
    }

    void fullscreenSettingInAnOlderResultsDb()
    {
        GameRig &r = rig(QSize(640, 480), addResultToOlderResultsDb);
        QVERIFY(r.game->levelManager()->playerSetting("fullscreen").isNull());
        r.view->applyFullScreenSetting();
        QVERIFY(!r.view->isFullScreen());
        r.view->toggleFullScreen();
        QVERIFY(r.view->isFullScreen());
        const QString results = r.game->levelManager()->resultsDbPath();
        QCOMPARE(TestSupport::querySql(results, "SELECT value FROM playersetting WHERE name = 'fullscreen'"),
            QVariantList {"1"});
        QCOMPARE(TestSupport::querySql(results, "SELECT besttime FROM levelresult WHERE id = 7"),
            QVariantList {15.5});
    }

    void badFullscreenSettingIsLoggedAndIgnored()
    {
        GameRig &r = rig(QSize(640, 480));
        r.game->levelManager()->setPlayerSetting("fullscreen", "yes please");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("fullscreen setting .*yes please"));
        r.view->applyFullScreenSetting();
        QVERIFY(!r.view->isFullScreen());
        QCOMPARE(r.game->levelManager()->playerSetting("fullscreen"), QString("yes please"));
    }
};

QTEST_MAIN(TestWindowSizes)
#include "tst_windowsizes.moc"

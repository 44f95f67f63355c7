// SPDX-License-Identifier: GPL-3.0-or-later
// Menu layouts on a small screen (640 x 480, so a 422 x 316 window): the
// main menu keeps its tighter grid; the 479 x 344 panels do not fit and are
// shown scaled down to 406 x 292 (8 pixels free at the sides), centred.

#include "app/gamewindow.h"
#include "game/gameview.h"
#include "leveldbfixture.h"
#include "levels/levelmanager.h"
#include "menus/buttonpixmap.h"
#include "menus/helpmenu.h"
#include "menus/infomenu.h"
#include "menus/ingamemenu.h"
#include "menus/mainmenu.h"
#include "menus/settingsmenu.h"
#include "menutesting.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace MenuTesting;

class TestSmallScreenMenus : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(gameWindowRect().size(), QSize(422, 316)); }

    // Below 350 pixels: grid from y 26 with rows 61 apart (in the panel's
    // own coordinates), the panel scaled by 406 / 479.
    void mainMenu()
    {
        LevelDbFixture fixture;
        QVERIFY2(fixture.create(TestSupport::binaryDir() + "/testlevels.db", {{1, {1, 0}}}),
            qPrintable(fixture.errorString()));
        LevelManager levels(nullptr, nullptr);
        QWidget view;
        MainMenu menu(&levels, true, gameWindowRect().size(), &view);
        QCOMPARE(menu.panelScale(), 406.0 / 479.0);
        QCOMPARE(menu.geometry(), QRect(8, 12, 406, 292));
        QCOMPARE(animation(&menu, "showAnimation")->startValue().toInt(), -421);
        QCOMPARE(animation(&menu, "showAnimation")->endValue().toInt(), 12);
        QCOMPARE(menu.levelButton(1)->hitRect(), QRectF(25, 38, 54, 54));
        QCOMPARE(menu.levelButton(7)->hitRect(), QRectF(25, 94, 54, 54));
        QCOMPARE(menu.levelButton(24)->hitRect(), QRectF(400, 206, 54, 54));
        // Re-centring keeps the scaled placement.
        menu.updateScreenPosition(gameWindowRect());
        QCOMPARE(menu.geometry(), QRect(8, 12, 406, 292));
        QCOMPARE(animation(&menu, "showAnimation")->endValue().toInt(), 12);
    }

    // Scaled, info and help are both centred; their lifts were made for
    // the panel cut off at full size.
    void infoAndHelpScaledAndCentred()
    {
        QWidget view;
        InfoMenu info(gameWindowRect().size(), &view);
        HelpMenu help(gameWindowRect().size(), &view);
        QCOMPARE(info.geometry(), QRect(8, 12, 406, 292));
        QCOMPARE(help.geometry(), QRect(8, 12, 406, 292));
        info.updateScreenPosition(gameWindowRect());
        QCOMPARE(info.geometry(), QRect(8, 12, 406, 292));
        help.updateScreenPosition(gameWindowRect());
        QCOMPARE(help.geometry(), QRect(8, 12, 406, 292));
    }

    // The settings panel scales like info and help; the mouse hits its
    // slider where it is drawn, at the panel's scale.
    void settingsScaledAndCentred()
    {
        QWidget view;
        view.resize(gameWindowRect().size());
        SettingsMenu settings(gameWindowRect().size(), &view);
        QCOMPARE(settings.geometry(), QRect(8, 12, 406, 292));
        settings.showMenu();
        finishShow(&settings);
        settings.setVolume(0);
        // The slider's right end, in the widget's (scaled) pixels.
        QRectF volume;
        for (const MenuWidget::FocusItem &item : settings.focusItems()) {
            if (item.id == SettingsMenu::VolumeItem)
                volume = item.rect;
        }
        click(&settings, QPointF(volume.right() - 1, volume.center().y()) * settings.panelScale());
        QCOMPARE(settings.volume(), 100);
        // At the smallest window the panel still fits whole.
        settings.updateScreenPosition(QRect(QPoint(), GameView::kMinimumSize));
        QVERIFY(QRect(QPoint(), GameView::kMinimumSize).contains(settings.geometry()));
        QVERIFY(settings.panelScale() < 406.0 / 479.0);
    }

    void inGameMenu()
    {
        QWidget view;
        InGameMenu menu(gameWindowRect().size(), &view);
        QCOMPARE(menu.geometry(), QRect(11, 51, 400, 180));
    }
};

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    QFile config(dir.filePath("screens.json"));
    if (!dir.isValid() || !config.open(QIODevice::WriteOnly))
        return 1;
    config.write(R"({"screens":[{"name":"small","x":0,"y":0,"width":640,"height":480,)"
                 R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    TestSmallScreenMenus test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_smallscreenmenus.moc"

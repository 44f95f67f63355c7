// Menu layouts on a small screen (640 x 480, so a 422 x 316 window): the
// main menu's tighter grid and the panels lifted a little.

#include "app/gamewindow.h"
#include "leveldbfixture.h"
#include "levels/levelmanager.h"
#include "menus/buttonpixmap.h"
#include "menus/helpmenu.h"
#include "menus/infomenu.h"
#include "menus/ingamemenu.h"
#include "menus/mainmenu.h"
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

    // Below 350 pixels: grid from y 26 with rows 61 apart, the menu 9
    // pixels higher (half of 316 - 344, truncated, is -14).
    void mainMenu()
    {
        LevelDbFixture fixture;
        QVERIFY2(fixture.create(TestSupport::binaryDir() + "/testlevels.db", {{1, {1, 0}}}),
            qPrintable(fixture.errorString()));
        LevelManager levels(nullptr, nullptr);
        QWidget view;
        MainMenu menu(&levels, true, &view);
        QCOMPARE(menu.geometry(), QRect(-28, -23, 479, 344));
        QCOMPARE(animation(&menu, "showAnimation")->startValue().toInt(), -421);
        QCOMPARE(animation(&menu, "showAnimation")->endValue().toInt(), -23);
        QCOMPARE(menu.levelButton(1)->hitRect(), QRectF(25, 38, 54, 54));
        QCOMPARE(menu.levelButton(7)->hitRect(), QRectF(25, 94, 54, 54));
        QCOMPARE(menu.levelButton(24)->hitRect(), QRectF(400, 206, 54, 54));
        // Re-centring keeps the lift.
        menu.updateScreenPosition(gameWindowRect());
        QCOMPARE(menu.geometry(), QRect(-28, -23, 479, 344));
    }

    void infoLiftedHelpNot()
    {
        QWidget view;
        InfoMenu info(&view);
        HelpMenu help(&view);
        QCOMPARE(info.geometry(), QRect(-28, -26, 479, 344));
        QCOMPARE(help.geometry(), QRect(-28, -14, 479, 344));
        info.updateScreenPosition(gameWindowRect());
        QCOMPARE(info.geometry(), QRect(-28, -26, 479, 344));
    }

    void inGameMenu()
    {
        QWidget view;
        InGameMenu menu(&view);
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

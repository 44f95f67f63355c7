// SPDX-License-Identifier: GPL-3.0-or-later
// Renders each menu of the game in each of its states to a PNG file, placed
// over a window-sized backdrop as in the game, for looking at the layout.
//
// usage: menushots <output folder> [<screen width>x<screen height> [<dpr>]]
//
// The screen size (default 1920x1080) is that of a simulated primary screen;
// the window, and so the menus' layout, follows from it as in the game. The
// device pixel ratio (default 1) shows the pictures and the focus ring as a
// dense screen draws them.

#include "app/gamewindow.h"
#include "leveldbfixture.h"
#include "levels/level.h"
#include "levels/levelmanager.h"
#include "menus/buttonpixmap.h"
#include "menus/helpmenu.h"
#include "menus/infomenu.h"
#include "menus/ingamemenu.h"
#include "menus/levelcompletedmenu.h"
#include "menus/mainmenu.h"
#include "menus/settingsmenu.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {
constexpr QSize kDefaultScreen(1920, 1080);

// Stands in for the game view: a sky-and-ground picture, so that the menu
// edges show against something.
class Backdrop : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QLinearGradient sky(0, 0, 0, height());
        sky.setColorAt(0, QColor(90, 140, 200));
        sky.setColorAt(1, QColor(200, 220, 240));
        painter.fillRect(rect(), sky);
        painter.fillRect(QRect(0, height() * 3 / 4, width(), height() / 4), QColor(110, 85, 60));
    }
};

void finish(QObject *menu, const char *name)
{
    auto *animation = menu->findChild<QPropertyAnimation *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    if (animation && animation->state() == QAbstractAnimation::Running)
        animation->setCurrentTime(animation->totalDuration());
}

class Shooter
{
public:
    explicit Shooter(const QString &folder)
        : m_folder(folder)
    { }

    // Saves the whole window and the menu alone.
    void shoot(QWidget *view, QWidget *menu, const QString &name)
    {
        finish(menu, "showAnimation");
        QApplication::processEvents();
        save(view->grab(), name);
        save(menu->grab(), name + QStringLiteral("-panel"));
    }

    int failures() const { return m_failures; }

private:
    void save(const QPixmap &picture, const QString &name)
    {
        const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        if (picture.save(path)) {
            std::printf("%s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "menushots: could not write %s\n", qPrintable(path));
            ++m_failures;
        }
    }

    QString m_folder;
    int m_failures = 0;
};

void pressAt(QWidget *menu, QPointF pos)
{
    QMouseEvent event(QEvent::MouseButtonPress, pos, menu->mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton,
        Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &event);
}

void keyAt(QWidget *menu, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &release);
}

void shootInGameMenu(QWidget *view, Shooter &shooter)
{
    InGameMenu menu(gameWindowRect().size(), view);
    menu.showMenu();
    shooter.shoot(view, &menu, QStringLiteral("ingame"));
    pressAt(&menu, menu.buttons().at(1)->hitRect().center());
    shooter.shoot(view, &menu, QStringLiteral("ingame-reset-held"));
    menu.buttons().at(1)->setPressed(false);
    menu.hide();

    InGameMenu focused(gameWindowRect().size(), view);
    focused.showMenu();
    keyAt(&focused, Qt::Key_Right);
    keyAt(&focused, Qt::Key_Right);
    keyAt(&focused, Qt::Key_Right);
    shooter.shoot(view, &focused, QStringLiteral("ingame-focus-settings"));
    MenuWidget::setFocusRingShown(false);
}

void shootSettingsMenu(QWidget *view, Shooter &shooter)
{
    SettingsMenu menu(gameWindowRect().size(), view);
    menu.setVolume(60);
    menu.showMenu();
    shooter.shoot(view, &menu, QStringLiteral("settings"));
    // The keys: down to the throttle, wait for a key, give it J.
    keyAt(&menu, Qt::Key_Down);
    keyAt(&menu, Qt::Key_Down);
    keyAt(&menu, Qt::Key_Return);
    shooter.shoot(view, &menu, QStringLiteral("settings-waiting-for-key"));
    keyAt(&menu, Qt::Key_J);
    shooter.shoot(view, &menu, QStringLiteral("settings-key-moved"));
    keyAt(&menu, Qt::Key_Tab);
    keyAt(&menu, Qt::Key_Backtab);
    for (int i = 0; i < 5; ++i)
        keyAt(&menu, Qt::Key_Down);
    shooter.shoot(view, &menu, QStringLiteral("settings-focus-restore"));
    MenuWidget::setFocusRingShown(false);
}

void shootSubMenus(QWidget *view, Shooter &shooter)
{
    InfoMenu info(gameWindowRect().size(), view);
    info.showMenu();
    shooter.shoot(view, &info, QStringLiteral("info"));
    info.hide();
    info.setView(InfoMenu::AboutView);
    info.showMenu();
    shooter.shoot(view, &info, QStringLiteral("about"));
    info.hide();

    HelpMenu help(gameWindowRect().size(), view);
    help.showMenu();
    shooter.shoot(view, &help, QStringLiteral("help"));
}

// An outcome to show: best 0 is none, diffMode 1 shows the difference, -1
// is a failed run, 0 a first finish.
RunOutcome outcome(int level, qreal best, int diffMode, qreal diff, bool record, int status,
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

void shootLevelCompletedMenu(QWidget *view, Shooter &shooter)
{
    LevelCompletedMenu menu(gameWindowRect().size(), view);
    menu.showMenu(outcome(7, 75.3, 1, -1.4, true, 1, true));
    shooter.shoot(view, &menu, QStringLiteral("levelcompleted-record-gold"));
    menu.showMenu(outcome(12, 48.2, 1, 2.6, false, 3, true));
    shooter.shoot(view, &menu, QStringLiteral("levelcompleted-slower-bronze"));
    menu.showMenu(outcome(23, 125.0, -1, 0.0, false, 2, false, true));
    shooter.shoot(view, &menu, QStringLiteral("levelcompleted-last-silver"));
    menu.showMenu(outcome(4, 0.0, 0, 0.0, false, 0, false));
    shooter.shoot(view, &menu, QStringLiteral("levelcompleted-failed"));
    menu.showMenu(outcome(24, 9999.9, 1, -999.9, true, 4, true));
    shooter.shoot(view, &menu, QStringLiteral("levelcompleted-long-nomedal"));
}

// Pack 1: every kind of level button (gold, silver, bronze, the frontier,
// locked levels, a medal after the frontier) in 15 levels. Pack 2: all 24
// levels with a medal.
const QList<LevelDbFixture::Pack> kShotPacks = {
    {1, {1, 2, 3, 1, 1, 2, 3, 1, 2, 4, 0, 0, LevelDbFixture::kNoResult, 3, 0}},
    {2, {1, 1, 2, 3, 1, 1, 2, 2, 3, 3, 1, 2, 1, 1, 1, 1, 1, 1, 2, 2, 2, 3, 3, 1}},
};

void passMainMenuAction(MainMenu *menu)
{
    finish(menu, "hideAnimation");
    finish(menu, "showAnimation");
}

bool shootMainMenu(QWidget *view, Shooter &shooter)
{
    LevelDbFixture fixture;
    if (!fixture.create(QStringLiteral(VELOCRAG_TESTLEVELS_DB), kShotPacks)) {
        std::fprintf(stderr, "menushots: level database: %s\n", qPrintable(fixture.errorString()));
        return false;
    }
    LevelManager levels(nullptr, nullptr);
    MainMenu menu(&levels, true, gameWindowRect().size(), view);
    menu.showMenu();
    shooter.shoot(view, &menu, QStringLiteral("mainmenu-packs"));

    menu.selectLevelPack(1);
    passMainMenuAction(&menu);
    shooter.shoot(view, &menu, QStringLiteral("mainmenu-pack1-frontier"));

    keyAt(&menu, Qt::Key_Left);
    shooter.shoot(view, &menu, QStringLiteral("mainmenu-pack1-focus-level"));
    keyAt(&menu, Qt::Key_Down);
    keyAt(&menu, Qt::Key_Down);
    keyAt(&menu, Qt::Key_Down);
    shooter.shoot(view, &menu, QStringLiteral("mainmenu-pack1-focus-bottomrow"));
    MenuWidget::setFocusRingShown(false);

    pressAt(&menu, menu.levelButton(10)->hitRect().center());
    shooter.shoot(view, &menu, QStringLiteral("mainmenu-pack1-frontier-held"));
    menu.levelButton(10)->setVisible(false);

    Level level(nullptr, nullptr);
    level.setLevelPackNumber(2);
    level.setLevelNumber(7);
    menu.showMenu(&level);
    menu.soundsOnButton()->setVisible(false);
    menu.soundsOffButton()->setVisible(true);
    shooter.shoot(view, &menu, QStringLiteral("mainmenu-pack2-allmedals-fromlevel-soundsoff"));
    menu.hide();

    menu.showHelp(true);
    passMainMenuAction(&menu);
    shooter.shoot(view, menu.helpMenu(), QStringLiteral("mainmenu-help"));
    return true;
}

// Points the offscreen platform at a one-screen configuration of that size.
bool simulateScreen(const QSize &screen, int dpr, const QTemporaryDir &dir)
{
    QFile config(dir.filePath(QStringLiteral("screens.json")));
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write(
        QStringLiteral("{\"screens\":[{\"name\":\"shots\",\"x\":0,\"y\":0,\"width\":%1,\"height\":%2,"
                       "\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":%3}]}")
            .arg(screen.width())
            .arg(screen.height())
            .arg(dpr)
            .toUtf8());
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: menushots <output folder> [<width>x<height> [<dpr>]]\n");
        return 2;
    }
    QSize screen = kDefaultScreen;
    if (argc > 2) {
        const QRegularExpressionMatch m
            = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(QString::fromLocal8Bit(argv[2]));
        if (!m.hasMatch() || m.captured(1).toInt() <= 0 || m.captured(2).toInt() <= 0) {
            std::fprintf(stderr, "menushots: screen size must be <width>x<height>, not '%s'\n", argv[2]);
            return 2;
        }
        screen = QSize(m.captured(1).toInt(), m.captured(2).toInt());
    }
    const int dpr = argc > 3 ? std::atoi(argv[3]) : 1;
    if (dpr < 1 || dpr > 4) {
        std::fprintf(stderr, "menushots: the device pixel ratio must be 1 to 4, not '%s'\n", argv[3]);
        return 2;
    }
    QTemporaryDir configDir;
    if (!configDir.isValid() || !simulateScreen(screen, dpr, configDir)) {
        std::fprintf(stderr, "menushots: cannot write the screen configuration\n");
        return 1;
    }

    QApplication app(argc, argv);
    // Absolute: the main menu shots change the working directory.
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "menushots: cannot create %s\n", argv[1]);
        return 1;
    }

    Backdrop view;
    view.resize(gameWindowRect().size());
    view.show();
    Shooter shooter(folder);
    shootInGameMenu(&view, shooter);
    shootSubMenus(&view, shooter);
    shootSettingsMenu(&view, shooter);
    shootLevelCompletedMenu(&view, shooter);
    const bool mainMenuShot = shootMainMenu(&view, shooter);
    return mainMenuShot && shooter.failures() == 0 ? 0 : 1;
}

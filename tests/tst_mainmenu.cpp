// SPDX-License-Identifier: GPL-3.0-or-later
// The main menu over a real LevelManager and a shaped level database: the
// two views, the medals and the frontier level, the bottom row, the info and
// help panels, keys, and the actions that fire after the slide-out.

#include "app/gamewindow.h"
#include "leveldbfixture.h"
#include "levels/level.h"
#include "levels/levelmanager.h"
#include "menus/buttonpixmap.h"
#include "menus/helpmenu.h"
#include "menus/infomenu.h"
#include "menus/mainmenu.h"
#include "menutesting.h"
#include "testsupport.h"

#include <QDesktopServices>
#include <QPainter>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace MenuTesting;

namespace {
constexpr int kNoResult = LevelDbFixture::kNoResult;

// Pack 1: gold, silver, bronze, no medal (the frontier), not finished, never
// played, and a bronze after the frontier. Pack 2: 24 levels, all with a
// medal. Pack 3: a level number beyond the grid.
const QList<LevelDbFixture::Pack> kPacks = {
    {1, {1, 2, 3, 4, 0, kNoResult, 3}},
    {2, {1, 2, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3}},
    {3, QVector<int>(25, 1)},
};

// Receives the URLs the menu asks the desktop to open.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

bool samePicture(const QPixmap &shown, const QString &path)
{
    const QImage expected(path);
    return !expected.isNull()
        && shown.toImage().convertToFormat(QImage::Format_ARGB32)
        == expected.convertToFormat(QImage::Format_ARGB32);
}
} // namespace

class TestMainMenu : public QObject
{
    Q_OBJECT
private:
    LevelDbFixture m_fixture;
    LevelManager *m_levels = nullptr;
    QWidget *m_view = nullptr;
    MainMenu *m_menu = nullptr;

    // Opens the menu and lets it slide in.
    void open(Level *level = nullptr)
    {
        m_menu->showMenu(level);
        finishShow(m_menu);
    }
    // Level view of a pack through its pack button.
    void openPack(int pack)
    {
        open();
        click(m_menu, m_menu->levelPackButtons().at(pack - 1)->hitRect().center());
        finishHide(m_menu);
        finishShow(m_menu);
        QVERIFY(m_menu->isLevelView());
        QCOMPARE(m_menu->levelPackNumber(), pack);
    }
    void clickButton(ButtonPixmap *button) { click(m_menu, button->hitRect().center()); }

private slots:
    void initTestCase()
    {
        QCOMPARE(gameWindowRect().size(), QSize(528, 528));
        QVERIFY2(m_fixture.create(TestSupport::binaryDir() + "/testlevels.db", kPacks),
            qPrintable(m_fixture.errorString()));
        m_levels = new LevelManager(nullptr, nullptr);
        QCOMPARE(m_levels->levelInfos(1).size(), 7);
    }

    void cleanupTestCase() { delete m_levels; }

    void init()
    {
        m_view = newGameView();
        m_menu = new MainMenu(m_levels, true, gameWindowRect().size(), m_view);
    }

    void cleanup()
    {
        delete m_view;
        // The ring is shared by every panel: each case starts with the mouse.
        MenuWidget::setFocusRingShown(false);
    }

    void layout()
    {
        QCOMPARE(m_menu->geometry(), QRect(24, 92, 479, 344));
        QVERIFY(m_menu->isHidden());
        QVERIFY(m_menu->infoMenu()->isHidden());
        QVERIFY(m_menu->helpMenu()->isHidden());
        QCOMPARE(m_menu->infoMenu()->parentWidget(), m_view);
        QCOMPARE(animation(m_menu, "showAnimation")->duration(), 700);
        QCOMPARE(animation(m_menu, "showAnimation")->startValue().toInt(), -401);
        QCOMPARE(animation(m_menu, "hideAnimation")->duration(), 455);

        // Six columns 75 apart from x 25, four rows 57 apart from y 36,
        // under the caption line.
        QCOMPARE(m_menu->levelButton(1)->hitRect(), QRectF(25, 36, 54, 54));
        QCOMPARE(m_menu->levelButton(6)->hitRect(), QRectF(400, 36, 54, 54));
        QCOMPARE(m_menu->levelButton(7)->hitRect(), QRectF(25, 93, 54, 54));
        QCOMPARE(m_menu->levelButton(24)->hitRect(), QRectF(400, 207, 54, 54));
        QVERIFY(!m_menu->levelButton(25));

        // Pack buttons react in 80 x 80, pack 2 beyond its 64 picture.
        QCOMPARE(m_menu->levelPackButtons().at(0)->hitRect(), QRectF(142.5, 120, 80, 80));
        QCOMPARE(m_menu->levelPackButtons().at(1)->hitRect(), QRectF(257.5, 120, 80, 80));
        QCOMPARE(m_menu->levelPackButtons().at(1)->size(), QSizeF(64, 64));

        // Seven slots 66 apart: settings, help, info, sounds from the third.
        QCOMPARE(m_menu->settingsButton()->x(), 142.0);
        QCOMPARE(m_menu->helpButton()->x(), 208.0);
        QCOMPARE(m_menu->infoButton()->x(), 274.0);
        QCOMPARE(m_menu->soundsOnButton()->x(), 340.0);
        QCOMPARE(m_menu->soundsOffButton()->x(), 340.0);
        QCOMPARE(m_menu->aboutButton()->hitRect(), QRectF(10, 274, 64, 64));
    }

    // The panels are the menu's parent's children but belong to the menu.
    void ownsItsPanels()
    {
        auto *menu = new MainMenu(m_levels, true, gameWindowRect().size());
        QPointer<InfoMenu> info = menu->infoMenu();
        QPointer<HelpMenu> help = menu->helpMenu();
        QVERIFY(info && help);
        delete menu;
        QVERIFY(info.isNull());
        QVERIFY(help.isNull());
    }

    void levelPackView()
    {
        open();
        QVERIFY(!m_menu->isHidden());
        QVERIFY(!m_menu->isLevelView());
        for (int n = 1; n <= 24; ++n)
            QVERIFY(!m_menu->levelButton(n)->isVisible());
        for (ButtonPixmap *pack : m_menu->levelPackButtons())
            QVERIFY(pack->isVisible());
        QVERIFY(m_menu->aboutButton()->isVisible());
        QVERIFY(!m_menu->backButton()->isVisible());
        QVERIFY(!m_menu->nextButton()->isVisible());
        QVERIFY(!m_menu->currentLevelButton()->isVisible());
        QVERIFY(m_menu->soundsOnButton()->isVisible());
        QVERIFY(!m_menu->soundsOffButton()->isVisible());
    }

    // A pack button slides the menu out and back in with the level view;
    // the enlarged hit area of pack 2 counts.
    void packButtonOpensLevelView()
    {
        open();
        QSignalSpy selected(m_menu, &MainMenu::levelSelected);
        click(m_menu, QPointF(257.5 + 75, 120 + 75));
        QVERIFY(!m_menu->isLevelView());
        finishHide(m_menu);
        QVERIFY(!m_menu->isHidden());
        QVERIFY(m_menu->isLevelView());
        QCOMPARE(m_menu->levelPackNumber(), 2);
        QCOMPARE(m_menu->levelNumber(), 0);
        QCOMPARE(selected.count(), 0);
    }

    void medalsAndFrontier()
    {
        openPack(1);
        for (int n : {1, 2, 3, 4, 7})
            QVERIFY2(m_menu->levelButton(n)->isActive(), qPrintable(QString::number(n)));
        for (int n : {5, 6}) {
            QVERIFY(m_menu->levelButton(n)->isVisible());
            QVERIFY(!m_menu->levelButton(n)->isEnabled());
        }
        // Fewer levels than the grid holds: the rest stays empty.
        for (int n = 8; n <= 24; ++n)
            QVERIFY(!m_menu->levelButton(n)->isVisible());
        QCOMPARE(m_menu->levelNumber(), 4);

        auto shows = [&](int n, const char *picture) {
            return samePicture(m_menu->levelButton(n)->currentPixmap(), QString(":/images/") + picture);
        };
        QVERIFY(shows(1, "menu_gold_off.png"));
        QVERIFY(shows(2, "menu_silver_off.png"));
        QVERIFY(shows(3, "menu_bronze_off.png"));
        QVERIFY(shows(4, "menu_green_off.png"));
        QVERIFY(shows(5, "menu_notavailable.png"));
        QVERIFY(shows(6, "menu_notavailable.png"));
        QVERIFY(shows(7, "menu_bronze_off.png"));
        m_menu->levelButton(4)->setPressed(true);
        QVERIFY(shows(4, "menu_green_on.png"));

        // The pictures told apart above are really different pictures.
        QSet<QByteArray> distinct;
        for (const char *name : {"menu_gold_off", "menu_silver_off", "menu_bronze_off", "menu_green_off",
                 "menu_green_on", "menu_notavailable"}) {
            const QImage image
                = QImage(QString(":/images/%1.png").arg(name)).convertToFormat(QImage::Format_ARGB32);
            distinct.insert(
                QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes()));
        }
        QCOMPARE(distinct.size(), 6);
    }

    void frontierOffersNext()
    {
        openPack(1);
        QVERIFY(m_menu->nextButton()->isVisible());
        QVERIFY(!m_menu->currentLevelButton()->isVisible());
        QVERIFY(m_menu->backButton()->isVisible());
        QVERIFY(!m_menu->aboutButton()->isVisible());
        QCOMPARE(m_menu->backButton()->hitRect().topLeft(), QPointF(10, 274));
        QCOMPARE(m_menu->nextButton()->hitRect().topLeft(), QPointF(76, 274));

        QSignalSpy selected(m_menu, &MainMenu::levelSelected);
        clickButton(m_menu->nextButton());
        QCOMPARE(selected.count(), 0);
        finishHide(m_menu);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.first(), (QVariantList {1, 4}));
        QVERIFY(m_menu->isHidden());
    }

    void levelButtonsSelect()
    {
        openPack(1);
        QSignalSpy selected(m_menu, &MainMenu::levelSelected);
        clickButton(m_menu->levelButton(5)); // not yet open
        QVERIFY(!isHiding(m_menu));
        clickButton(m_menu->levelButton(2));
        finishHide(m_menu);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.first(), (QVariantList {1, 2}));
    }

    // Pack view by keys: the first pack is focused, Right moves to the
    // second, Return opens the focused pack.
    void keysInPackView()
    {
        open();
        QCOMPARE(m_menu->focusedButton(), m_menu->levelPackButtons().at(0));
        QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->focusedButton(), m_menu->levelPackButtons().at(1));
        QTest::keyClick(m_menu, Qt::Key_Down);
        QCOMPARE(m_menu->focusedButton(), m_menu->infoButton());
        QTest::keyClick(m_menu, Qt::Key_Up);
        QCOMPARE(m_menu->focusedButton(), m_menu->levelPackButtons().at(1));
        QTest::keyClick(m_menu, Qt::Key_Return);
        QVERIFY(isHiding(m_menu));
        finishHide(m_menu);
        finishShow(m_menu);
        QVERIFY(m_menu->isLevelView());
        QCOMPARE(m_menu->levelPackNumber(), 2);
    }

    // Level view by keys: the frontier level first; locked levels are
    // passed over (right of 4 comes 7), Down leaves the grid for the
    // bottom row, Return fires what is focused.
    void keysInLevelView()
    {
        openPack(1);
        QCOMPARE(m_menu->focusedButton(), m_menu->levelButton(4));
        QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->focusedButton(), m_menu->levelButton(7));
        // The caption names the level in the ring.
        QCOMPARE(m_menu->captionLevel(), 7);
        QTest::keyClick(m_menu, Qt::Key_Down);
        QCOMPARE(m_menu->focusedButton(), m_menu->backButton());
        QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->focusedButton(), m_menu->nextButton());
        QTest::keyClick(m_menu, Qt::Key_Right);
        QCOMPARE(m_menu->focusedButton(), m_menu->settingsButton());
        QTest::keyClick(m_menu, Qt::Key_Up);
        QCOMPARE(m_menu->focusedButton(), m_menu->levelButton(3));
        // Tab in reading order: the first row, then level 7, then back.
        const QList<ButtonPixmap *> tabs
            = {m_menu->levelButton(4), m_menu->levelButton(7), m_menu->backButton()};
        for (ButtonPixmap *expected : tabs) {
            QTest::keyClick(m_menu, Qt::Key_Tab);
            QCOMPARE(m_menu->focusedButton(), expected);
        }
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(m_menu, Qt::Key_Backtab);
        QCOMPARE(m_menu->focusedButton(), m_menu->levelButton(3));
        QTest::keyClick(m_menu, Qt::Key_Left);
        QCOMPARE(m_menu->focusedButton(), m_menu->levelButton(2));
        QSignalSpy selected(m_menu, &MainMenu::levelSelected);
        QTest::keyClick(m_menu, Qt::Key_Return);
        finishHide(m_menu);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.first(), (QVariantList {1, 2}));
    }

    void settingsButtonAsksForSettings()
    {
        open();
        QSignalSpy settings(m_menu, &MainMenu::settingsRequested);
        clickButton(m_menu->settingsButton());
        QCOMPARE(settings.count(), 0);
        finishHide(m_menu);
        QCOMPARE(settings.count(), 1);
        QVERIFY(m_menu->isHidden());
        m_menu->showAgain();
        finishShow(m_menu);
        QVERIFY(m_menu->isVisible());
        QVERIFY(!m_menu->isLevelView());
    }

    void allMedalsNoNext()
    {
        openPack(2);
        for (int n = 1; n <= 24; ++n)
            QVERIFY(m_menu->levelButton(n)->isActive());
        QVERIFY(!m_menu->nextButton()->isVisible());
        QVERIFY(!m_menu->currentLevelButton()->isVisible());
        QCOMPARE(m_menu->levelNumber(), 0);
    }

    // Opened from a level: the current-level button instead of next.
    void openedFromLevel_data()
    {
        QTest::addColumn<int>("pack");
        QTest::addColumn<int>("level");
        QTest::newRow("pack with every medal") << 2 << 5;
        QTest::newRow("pack with a frontier") << 1 << 2;
    }

    void openedFromLevel()
    {
        QFETCH(int, pack);
        QFETCH(int, level);
        Level current(nullptr, nullptr);
        current.setLevelPackNumber(pack);
        current.setLevelNumber(level);
        open(&current);
        QVERIFY(m_menu->isLevelView());
        QVERIFY(m_menu->currentLevelButton()->isVisible());
        QVERIFY(!m_menu->nextButton()->isVisible());
        QCOMPARE(m_menu->currentLevelButton()->hitRect().topLeft(), QPointF(74, 274));

        QSignalSpy current_(m_menu, &MainMenu::currentLevel);
        clickButton(m_menu->currentLevelButton());
        QCOMPARE(current_.count(), 0);
        finishHide(m_menu);
        QCOMPARE(current_.count(), 1);
    }

    // Levels the grid has no button for are left out.
    // A level the grid has no button for was refused when the database was
    // opened: it is not listed, and the 24 buttons work as usual.
    void levelBeyondTheGrid()
    {
        Level current(nullptr, nullptr);
        current.setLevelPackNumber(3);
        current.setLevelNumber(1);
        QCOMPARE(m_levels->levelInfos(3).size(), 24);
        open(&current);
        for (int n = 1; n <= 24; ++n)
            QVERIFY(m_menu->levelButton(n)->isActive());
    }

    void escapeAndBack_data()
    {
        QTest::addColumn<int>("key"); // 0: the back button
        QTest::newRow("escape") << int(Qt::Key_Escape);
        QTest::newRow("media previous") << int(Qt::Key_MediaPrevious);
        QTest::newRow("back button") << 0;
    }

    // In the level view back leads to the pack view; in the pack view
    // Escape exits.
    void escapeAndBack()
    {
        QFETCH(int, key);
        openPack(1);
        QSignalSpy exits(m_menu, &MainMenu::exit);
        if (key)
            keyPress(m_menu, key);
        else
            clickButton(m_menu->backButton());
        finishHide(m_menu);
        QVERIFY(!m_menu->isHidden());
        QVERIFY(!m_menu->isLevelView());
        QCOMPARE(m_menu->levelPackNumber(), 0);
        QCOMPARE(exits.count(), 0);

        finishShow(m_menu);
        if (key) {
            keyPress(m_menu, key);
            finishHide(m_menu);
            QCOMPARE(exits.count(), 1);
            QVERIFY(m_menu->isHidden());
        }
    }

    void exitButton()
    {
        open();
        QSignalSpy exits(m_menu, &MainMenu::exit);
        click(m_menu, QPointF(420, 300));
        QCOMPARE(exits.count(), 0);
        finishHide(m_menu);
        QCOMPARE(exits.count(), 1);
    }

    // hideMenu() (back into the run) works only where back is offered.
    void hideMenuNeedsBack()
    {
        open();
        m_menu->hideMenu();
        QVERIFY(!isHiding(m_menu));

        Level current(nullptr, nullptr);
        current.setLevelPackNumber(1);
        current.setLevelNumber(3);
        open(&current);
        QSignalSpy back(m_menu, &MainMenu::backInGame);
        m_menu->hideMenu();
        finishHide(m_menu);
        QCOMPARE(back.count(), 1);
    }

    void soundsToggle()
    {
        open();
        QSignalSpy sounds(m_menu, &MainMenu::soundsChanged);
        clickButton(m_menu->soundsOnButton());
        QVERIFY(!m_menu->soundsOnButton()->isVisible());
        QVERIFY(m_menu->soundsOffButton()->isVisible());
        clickButton(m_menu->soundsOffButton());
        QCOMPARE(sounds.count(), 2);
        QCOMPARE(sounds.at(0).first().toBool(), false);
        QCOMPARE(sounds.at(1).first().toBool(), true);
        QVERIFY(m_menu->soundsOnButton()->isVisible());
        QVERIFY(!isHiding(m_menu)); // no slide-out for the sounds

        MainMenu quiet(m_levels, false, gameWindowRect().size(), m_view);
        QVERIFY(!quiet.soundsOnButton()->isVisible());
        QVERIFY(quiet.soundsOffButton()->isVisible());
    }

    // From the help button: help, then the menu again.
    void helpReturnsToMenu()
    {
        open();
        QSignalSpy done(m_menu, &MainMenu::helpDone);
        clickButton(m_menu->helpButton());
        QVERIFY(m_menu->helpPending());
        QVERIFY(m_menu->helpMenu()->isHidden());
        finishHide(m_menu);
        QVERIFY(m_menu->isHidden());
        QVERIFY(!m_menu->helpMenu()->isHidden());
        QVERIFY(!m_menu->subMenusHidden());

        click(m_menu->helpMenu(), m_menu->helpMenu()->buttons().first()->hitRect().center());
        finishHide(m_menu->helpMenu());
        QVERIFY(m_menu->helpMenu()->isHidden());
        QVERIFY(!m_menu->isHidden());
        QVERIFY(m_menu->subMenusHidden());
        QVERIFY(!m_menu->helpPending());
        QCOMPARE(done.count(), 0);
    }

    // Opened by the game (first start): closing the help reports helpDone()
    // and leaves the menu hidden; the game can also close it with hideHelp().
    void helpOnItsOwn_data()
    {
        QTest::addColumn<bool>("closedByGame");
        QTest::newRow("next button") << false;
        QTest::newRow("hideHelp") << true;
    }

    void helpOnItsOwn()
    {
        QFETCH(bool, closedByGame);
        QSignalSpy done(m_menu, &MainMenu::helpDone);
        m_menu->hideHelp(); // nothing pending: nothing to close
        m_menu->showHelp();
        finishHide(m_menu);
        HelpMenu *help = m_menu->helpMenu();
        QVERIFY(!help->isHidden());
        finishShow(help);
        if (closedByGame)
            m_menu->hideHelp();
        else
            click(help, help->buttons().first()->hitRect().center());
        QCOMPARE(done.count(), 0);
        finishHide(help);
        QCOMPARE(done.count(), 1);
        QVERIFY(m_menu->isHidden());
        QVERIFY(!m_menu->helpPending());
    }

    void infoReturnsToMenu()
    {
        open();
        clickButton(m_menu->infoButton());
        finishHide(m_menu);
        InfoMenu *info = m_menu->infoMenu();
        QVERIFY(!info->isHidden());
        QVERIFY(!m_menu->subMenusHidden());
        keyPress(info, Qt::Key_Escape);
        finishHide(info);
        QVERIFY(!m_menu->isHidden());
        QVERIFY(m_menu->subMenusHidden());
        QCOMPARE(m_menu->pendingAction(), MainMenu::Action::None);
        QCOMPARE(m_view->focusWidget(), m_menu);
    }

    void hideAndResetCurrentLevel()
    {
        m_menu->showHelp(true);
        finishHide(m_menu);
        QVERIFY(!m_menu->helpMenu()->isHidden());
        QSignalSpy current(m_menu, &MainMenu::currentLevel);
        m_menu->hideAndResetCurrentLevel();
        QVERIFY(m_menu->helpMenu()->isHidden());
        finishHide(m_menu);
        QCOMPARE(current.count(), 1);
    }

    // The pack view's first slot opens the about view of the info panel
    // (licences, version) and nothing outside the game: no URL is opened.
    void aboutButtonOpensAboutPanel()
    {
        UrlRecorder recorder;
        for (const char *scheme : {"http", "https", "file", "mailto"})
            QDesktopServices::setUrlHandler(scheme, &recorder, "open");
        open();
        clickButton(m_menu->aboutButton());
        for (const char *scheme : {"http", "https", "file", "mailto"})
            QDesktopServices::unsetUrlHandler(scheme);
        QVERIFY(recorder.urls.isEmpty());
        QVERIFY(isHiding(m_menu));
        finishHide(m_menu);
        InfoMenu *info = m_menu->infoMenu();
        QVERIFY(!info->isHidden());
        QVERIFY(!m_menu->subMenusHidden());
        QCOMPARE(info->view(), InfoMenu::AboutView);
        const QStringList lines = info->lines();
        QVERIFY2(lines.filter("GPL-3.0-or-later").size() == 1, qPrintable(lines.join('|')));
        QVERIFY2(lines.filter("CC-BY-SA-4.0").size() == 1, qPrintable(lines.join('|')));
        QVERIFY2(lines.filter("NO WARRANTY").size() == 1, qPrintable(lines.join('|')));
        QVERIFY(lines.contains("Version: 1.1.0 (PC)"));

        // Back from it: the main menu again, as after the info panel.
        finishShow(info);
        keyPress(info, Qt::Key_Escape);
        finishHide(info);
        QVERIFY(!m_menu->isHidden());
        QVERIFY(m_menu->subMenusHidden());
        QCOMPARE(m_menu->pendingAction(), MainMenu::Action::None);

        // The info button opens the info view again, not the about view.
        finishShow(m_menu);
        clickButton(m_menu->infoButton());
        finishHide(m_menu);
        QVERIFY(!info->isHidden());
        QCOMPARE(info->view(), InfoMenu::InfoView);
    }

    void ignoredLevelNumbers()
    {
        open();
        m_menu->selectLevel(0);
        m_menu->selectLevel(-2);
        QVERIFY(!isHiding(m_menu));
    }

    // Over the grid: the pack's name, and the name and best time of the
    // level offered (the frontier) or of the one under the pointer.
    void captionNamesPackAndLevel()
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "packnames");
            db.setDatabaseName(m_fixture.path() + "/levels.db");
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("INSERT OR REPLACE INTO levelpack (number, name) VALUES (1, 'Farmland')"));
        }
        QSqlDatabase::removeDatabase("packnames");
        openPack(1);
        QCOMPARE(m_menu->packName(), QString("Farmland"));
        // Level 4, finished without a medal, is the one offered.
        QCOMPARE(m_menu->captionLevel(), 4);
        QCOMPARE(m_menu->levelCaption(), QString("4 Every loader path - best 34.0 s"));
        QTest::mouseMove(m_menu, m_menu->levelButton(2)->hitRect().center().toPoint());
        QCOMPARE(m_menu->captionLevel(), 2);
        QCOMPARE(m_menu->levelCaption(), QString("2 Every loader path - best 32.0 s"));
        QTest::mouseMove(m_menu, QPoint(5, 5));
        QCOMPARE(m_menu->captionLevel(), 4);
    }

    // Names and best times are read as the level view opens: a name changed
    // in levels.db meanwhile shows only once the view opens again.
    void captionReadAsTheViewOpens()
    {
        openPack(1);
        QCOMPARE(m_menu->levelCaption(), QString("4 Every loader path - best 34.0 s"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "renamed");
            db.setDatabaseName(m_fixture.path() + "/levels.db");
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(
                q.exec("UPDATE level SET name = 'Renamed' WHERE levelpack_number = 1 AND level_number = 4"));
        }
        QSqlDatabase::removeDatabase("renamed");
        const auto restoreName = qScopeGuard([this] {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "restored");
            db.setDatabaseName(m_fixture.path() + "/levels.db");
            if (db.open())
                QSqlQuery(db).exec("UPDATE level SET name = 'Every loader path' WHERE levelpack_number = 1 "
                                   "AND level_number = 4");
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase("restored");
        });
        QImage frame(m_menu->size(), QImage::Format_ARGB32);
        QPainter painter(&frame);
        m_menu->paint(&painter);
        painter.end();
        QCOMPARE(m_menu->levelCaption(), QString("4 Every loader path - best 34.0 s"));
        m_menu->showMenu();
        QCOMPARE(m_menu->levelCaption(), QString("4 Renamed - best 34.0 s"));
    }

    // Level numbers sit inside their 54 x 54 buttons, digits 16 x 16.
    void levelNumbersOnButtons()
    {
        using Glyphs = QVector<NumberDisplay::Glyph>;
        QCOMPARE(LevelTileGrid::levelNumberGlyphs(5, 25, 12).size(), 1);
        QCOMPARE(LevelTileGrid::levelNumberGlyphs(5, 25, 12).first().pos.y(), 30);
        const Glyphs twelve = LevelTileGrid::levelNumberGlyphs(12, 100, 77);
        QCOMPARE(twelve.size(), 2);
        QCOMPARE(twelve[0].index, 1);
        QCOMPARE(twelve[1].index, 2);
        QCOMPARE(twelve[1].pos.y(), 95);
        // Two digits stand closer than a digit's 16 pixel cell: one number.
        for (int n : {10, 11, 12, 17, 21, 24}) {
            const Glyphs g = LevelTileGrid::levelNumberGlyphs(n, 100, 77);
            QVERIFY2(g[1].pos.x() - g[0].pos.x() < 16, qPrintable(QString::number(n)));
        }
        QTest::ignoreMessage(QtDebugMsg, "invalid number: 120");
        const Glyphs tooBig = LevelTileGrid::levelNumberGlyphs(120, 0, 0);
        QCOMPARE(tooBig.size(), 2);
        QCOMPARE(tooBig[0].index, 9);
        QCOMPARE(tooBig[1].index, 9);

        for (int n = 1; n <= 24; ++n) {
            const ButtonPixmap *button = m_menu->levelButton(n);
            const QRectF picture(button->x(), button->y(), 54, 54);
            for (const NumberDisplay::Glyph &glyph :
                LevelTileGrid::levelNumberGlyphs(n, button->x(), button->y()))
                QVERIFY(picture.contains(QRectF(glyph.pos, QSizeF(16, 16))));
        }
    }

    // The pictures of the level buttons leave the number's area (x 9-43,
    // y 18-34) to the number: no dark outline of a lock or a medal badge
    // there, pressed or not.
    void levelNumberAreaIsClear_data()
    {
        QTest::addColumn<QString>("picture");
        for (const char *name : {"menu_notavailable", "menu_green_off", "menu_green_on", "menu_gold_off",
                 "menu_gold_on", "menu_silver_off", "menu_silver_on", "menu_bronze_off", "menu_bronze_on"})
            QTest::newRow(name) << QString(name);
    }

    void levelNumberAreaIsClear()
    {
        QFETCH(QString, picture);
        const QImage image = QImage(":/images/" + picture + ".png").convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(54, 54));
        const QRect numberArea(9, 18, 35, 17);
        int outline = 0;
        for (int y = numberArea.top(); y <= numberArea.bottom(); ++y) {
            for (int x = numberArea.left(); x <= numberArea.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                outline += c.alpha() > 200 && c.red() < 90 && c.green() < 80 && c.blue() < 90;
            }
        }
        QCOMPARE(outline, 0);
    }

    // The rendered level view carries the digits: over an open or a locked
    // level's button there are many more light pixels than in its picture
    // alone; where the grid is empty there are none.
    void levelNumbersAreDrawn()
    {
        openPack(1);
        const QImage shot = m_menu->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QRect numberArea(9, 18, 35, 17);
        auto lightPixels = [&](const QImage &image, QPoint origin) {
            int light = 0;
            for (int y = numberArea.top(); y <= numberArea.bottom(); ++y) {
                for (int x = numberArea.left(); x <= numberArea.right(); ++x) {
                    const QColor c = image.pixelColor(origin + QPoint(x, y));
                    light += c.red() > 235 && c.green() > 235 && c.blue() > 235;
                }
            }
            return light;
        };
        for (int level : {1, 4, 5, 7}) {
            const ButtonPixmap *button = m_menu->levelButton(level);
            const QPoint corner(int(button->x()), int(button->y()));
            const int drawn = lightPixels(shot, corner);
            const int picture = lightPixels(button->currentPixmap().toImage(), QPoint());
            QVERIFY2(drawn >= picture + 12,
                qPrintable(QString("level %1: %2 / %3").arg(level).arg(drawn).arg(picture)));
        }
        const ButtonPixmap *empty = m_menu->levelButton(20);
        QCOMPARE(lightPixels(shot, QPoint(int(empty->x()), int(empty->y()))), 0);
    }

    void followsResize()
    {
        m_menu->updateScreenPosition(QRect(0, 0, 1000, 700));
        QCOMPARE(m_menu->geometry(), QRect(260, 178, 479, 344));
        QCOMPARE(m_menu->infoMenu()->geometry(), QRect(260, 178, 479, 344));
        QCOMPARE(m_menu->helpMenu()->geometry(), QRect(260, 178, 479, 344));
        QCOMPARE(animation(m_menu, "showAnimation")->endValue().toInt(), 178);
    }

    // A pack id that is not negative is a programming error: the program
    // stops with a message (run in a child process).
    void invalidLevelPackStops()
    {
        const TestSupport::ProcessResult result
            = TestSupport::runProcess(QCoreApplication::applicationFilePath(), {"--invalid-levelpack"});
        QVERIFY(!result.crashed);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(
            result.standardError.contains("Invalid levelpack number: 3"), qPrintable(result.standardError));
        QVERIFY(result.standardError.contains("invalid levelpack"));
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--invalid-levelpack") == 0) {
        QApplication app(argc, argv);
        MainMenu menu(nullptr, true, gameWindowRect().size());
        menu.selectLevelPack(3);
        return 0;
    }
    QApplication app(argc, argv);
    TestMainMenu test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainmenu.moc"

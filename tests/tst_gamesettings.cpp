// SPDX-License-Identifier: GPL-3.0-or-later
// The settings in the assembled game: reached from the main and the
// in-game menu by keys and by a pad, applied to the sound, the window and
// the keys of the ride, kept in results.db across starts, and damaged stored
// values falling back to the defaults.
#include "gametesting.h"
#include "input/gamepadinput.h"
#include "levels/levelmanager.h"
#include "menus/buttonpixmap.h"
#include "menus/infomenu.h"
#include "menus/ingamemenu.h"
#include "menus/mainmenu.h"
#include "vehicle/bikeitem.h"
#include "virtualpad.h"

#include <QRegularExpression>
#include <QtTest>

namespace {
constexpr int kNoResult = LevelDbFixture::kNoResult;
const QList<LevelDbFixture::Pack> kPacks = {{2, {kNoResult, kNoResult}}};

// Tab on a panel until the button has the focus; false after a full round.
bool tabTo(MenuWidget *menu, ButtonPixmap *button)
{
    for (int i = 0; i <= menu->focusItems().size(); ++i) {
        if (menu->focusedButton() == button)
            return true;
        QTest::keyClick(menu, Qt::Key_Tab);
    }
    return false;
}

// A pad button pressed and let go, each read by the game's poll.
void tap(VirtualPad &pad, GamepadInput *input, SDL_GameControllerButton button)
{
    pad.setButton(button, true);
    input->poll();
    pad.setButton(button, false);
    input->poll();
}
} // namespace

class TestGameSettings : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<GameRig> m_rig;

    GameRig &rig()
    {
        m_rig = std::make_unique<GameRig>();
        QString error;
        if (!m_rig->start(kPacks, &error))
            qFatal("cannot build the test game: %s", qPrintable(error));
        return *m_rig;
    }

private slots:
    void cleanup() { m_rig.reset(); }

    // Every setting made in the panel, opened from the main menu by keys,
    // is there again after the game starts anew.
    void settingsAreKeptAcrossStarts()
    {
        GameRig &r = rig();
        r.settle();
        MainMenu *menu = r.game->mainMenu();
        QVERIFY(menu->isVisible());
        QVERIFY(tabTo(menu, menu->settingsButton()));
        QTest::keyClick(menu, Qt::Key_Return);
        r.settle();
        SettingsMenu *settings = r.game->settingsMenu();
        QVERIFY(settings->isVisible());
        QVERIFY(menu->isHidden());
        QCOMPARE(settings->volume(), MyGame::kDefaultVolume);
        QVERIFY(settings->soundsOn());

        for (int i = 0; i < 3; ++i)
            QTest::keyClick(settings, Qt::Key_Right);
        QCOMPARE(r.sound->volume(), 75);
        // Written when the panel closes, not at every step of the slider.
        QVERIFY(r.game->levelManager()->playerSetting("volume").isNull());
        QTest::keyClick(settings, Qt::Key_Down);
        QTest::keyClick(settings, Qt::Key_Return); // sounds off
        QVERIFY(!r.sound->isSoundsEnabled());
        QVERIFY(menu->soundsOffButton()->isVisible());
        QTest::keyClick(settings, Qt::Key_Right);
        QTest::keyClick(settings, Qt::Key_Return); // fullscreen
        QVERIFY(r.view->isFullScreen());
        QTest::keyClick(settings, Qt::Key_Left);
        QTest::keyClick(settings, Qt::Key_Down);
        QCOMPARE(settings->focusedId(), SettingsMenu::kActionItem + KeyBindings::Throttle);
        QTest::keyClick(settings, Qt::Key_Return);
        QTest::keyClick(settings, Qt::Key_I);
        QCOMPARE(r.game->keyBindings().keys(KeyBindings::Throttle), (QList<int> {Qt::Key_I, Qt::Key_W}));
        // The info panel names the player's keys.
        QVERIFY(r.game->mainMenu()->infoMenu()->lines().contains("Keys: I / W throttle, S / Down brake"));

        // Back to the main menu it came from.
        QTest::keyClick(settings, Qt::Key_Escape);
        r.settle();
        QVERIFY(settings->isHidden());
        QVERIFY(menu->isVisible());
        QCOMPARE(r.game->levelManager()->playerSetting("volume"), QString("75"));

        r.restart();
        QCOMPARE(r.game->volume(), 75);
        QCOMPARE(r.sound->volume(), 75);
        QVERIFY(!r.sound->isSoundsEnabled());
        QVERIFY(r.game->mainMenu()->soundsOffButton()->isVisible());
        QCOMPARE(r.game->keyBindings().keys(KeyBindings::Throttle), (QList<int> {Qt::Key_I, Qt::Key_W}));
        QVERIFY(r.game->mainMenu()->infoMenu()->lines().contains("Keys: I / W throttle, S / Down brake"));
        QVERIFY(!r.view->isFullScreen());
        r.view->applyFullScreenSetting();
        QVERIFY(r.view->isFullScreen());
    }

    // The volume keys change the value the slider shows, and it is kept.
    void volumeKeysAreKept()
    {
        GameRig &r = rig();
        r.ride(2, 1);
        QTest::keyClick(r.view.get(), Qt::Key_PageDown);
        QCOMPARE(r.game->volume(), MyGame::kDefaultVolume - 15);
        r.restart();
        QCOMPARE(r.sound->volume(), MyGame::kDefaultVolume - 15);
        r.game->showSettings(r.game->mainMenu());
        QCOMPARE(r.game->settingsMenu()->volume(), MyGame::kDefaultVolume - 15);
    }

    // The ride follows the player's keys; a key given away does nothing
    // more, and Escape opens the menu whatever the menu action's keys.
    void remappedKeysDriveTheBike()
    {
        GameRig &r = rig();
        r.ride(2, 1);
        KeyBindings keys;
        keys.assign(KeyBindings::Throttle, Qt::Key_I);
        keys.assign(KeyBindings::Brake, Qt::Key_Up);
        keys.assign(KeyBindings::Menu, Qt::Key_M);
        keys.assign(KeyBindings::Menu, Qt::Key_N);
        r.game->setKeyBindings(keys);
        GameView *view = r.view.get();

        QTest::keyPress(view, Qt::Key_I);
        QCOMPARE(r.game->bike()->throttle(), 1.0);
        QVERIFY(view->throttleButton()->isPressed());
        QTest::keyRelease(view, Qt::Key_I);
        QCOMPARE(r.game->bike()->throttle(), 0.0);
        QTest::keyPress(view, Qt::Key_Up);
        QCOMPARE(r.game->bike()->throttle(), -0.5);
        QTest::keyRelease(view, Qt::Key_Up);
        QTest::keyClick(view, Qt::Key_W);
        QCOMPARE(r.game->bike()->throttle(), 0.0);

        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(r.game->inGameMenu()->isVisible());
        r.settle();
        r.game->inGameMenu()->hideMenu();
        r.settle();
        QVERIFY(!r.game->isPaused());
        QTest::keyClick(view, Qt::Key_N);
        QVERIFY(r.game->inGameMenu()->isVisible());
    }

    void damagedStoredSettingsFallBack_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::newRow("volume: text") << "volume"
                                      << "loud";
        QTest::newRow("volume: empty") << "volume"
                                       << "";
        QTest::newRow("volume: above 100") << "volume"
                                           << "101";
        QTest::newRow("volume: below 0") << "volume"
                                         << "-1";
        QTest::newRow("keys: not json") << "keys"
                                        << "{";
        QTest::newRow("keys: unknown key") << "keys"
                                           << R"({"throttle":["Wobble"]})";
        QTest::newRow("keys: empty") << "keys"
                                     << "";
    }

    void damagedStoredSettingsFallBack()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        GameRig &r = rig();
        r.game->levelManager()->setPlayerSetting(name, stored);
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(
                QStringLiteral("^Stored %1 '%2' .*; using ").arg(name, QRegularExpression::escape(stored))));
        r.restart();
        QCOMPARE(r.game->volume(), MyGame::kDefaultVolume);
        QCOMPARE(r.sound->volume(), MyGame::kDefaultVolume);
        QVERIFY(r.game->keyBindings().isDefault());
        // The bad value stays until the player changes the setting.
        QCOMPARE(r.game->levelManager()->playerSetting(name), stored);
    }

    // F11 while the panel shows: the panel's switch follows the window.
    void fullScreenKeyUpdatesThePanel()
    {
        GameRig &r = rig();
        r.settle();
        r.game->showSettings(r.game->mainMenu());
        r.settle();
        QVERIFY(!r.game->settingsMenu()->fullScreen());
        r.view->toggleFullScreen();
        QTRY_VERIFY(r.game->settingsMenu()->fullScreen());
        r.view->toggleFullScreen();
        QTRY_VERIFY(!r.game->settingsMenu()->fullScreen());
    }

    // A pad walks the menus: Start opens the pause panel, the d-pad moves
    // to the settings button, A opens the panel, the d-pad moves the
    // slider, B goes back to the pause panel.
    void padWalksTheMenus()
    {
        GameRig &r = rig();
        r.ride(2, 1);
        GamepadInput *input = r.game->gamepadInput();
        QVERIFY(input->isAvailable());
        VirtualPad pad;
        QVERIFY2(pad.isAttached(), pad.error());
        input->poll();

        tap(pad, input, SDL_CONTROLLER_BUTTON_START);
        InGameMenu *pause = r.game->inGameMenu();
        QVERIFY(pause->isVisible());
        r.settle();
        QCOMPARE(r.game->activeMenu(), pause);
        QCOMPARE(pause->focusedButton(), pause->backButton());
        for (int i = 0; i < 3; ++i)
            tap(pad, input, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        QCOMPARE(pause->focusedButton(), pause->settingsButton());
        tap(pad, input, SDL_CONTROLLER_BUTTON_A);
        r.settle();
        SettingsMenu *settings = r.game->settingsMenu();
        QVERIFY(settings->isVisible());
        QVERIFY(pause->isHidden());
        QCOMPARE(r.game->activeMenu(), settings);

        tap(pad, input, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        QCOMPARE(r.game->volume(), MyGame::kDefaultVolume + SettingsMenu::kVolumeKeyStep);
        tap(pad, input, SDL_CONTROLLER_BUTTON_B);
        r.settle();
        QVERIFY(settings->isHidden());
        QVERIFY(pause->isVisible());
        QVERIFY(r.game->isPaused());
        // The pause panel comes back with the settings button focused.
        QCOMPARE(pause->focusedButton(), pause->settingsButton());
    }

    // While the panel is open, the pad's restart does not start the run
    // under it, and Start closes the panel.
    void panelHoldsTheRun()
    {
        GameRig &r = rig();
        r.ride(2, 1);
        r.game->showInGameMenu();
        r.settle();
        r.game->showSettings(r.game->inGameMenu());
        r.settle();
        r.game->resetWithoutControlAnimations();
        QVERIFY(r.game->isPaused());
        QVERIFY(r.game->settingsMenu()->isVisible());
        r.game->showInGameMenu();
        r.settle();
        QVERIFY(r.game->settingsMenu()->isHidden());
        QVERIFY(r.game->inGameMenu()->isVisible());
    }
};

QTEST_MAIN(TestGameSettings)
#include "tst_gamesettings.moc"

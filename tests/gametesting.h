// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GAMETESTING_H
#define GAMETESTING_H

// The assembled game for in-process tests: a level database in a temporary
// working folder, the view, the scene and the controller (with its world),
// built and torn down in the game's own order, with a sound manager that
// counts what it is asked to do and an "active window" the test switches.

#include "app/gamewindow.h"
#include "game/gameview.h"
#include "game/mygame.h"
#include "game/myscene.h"
#include "leveldbfixture.h"
#include "menus/helpmenu.h"
#include "menus/infomenu.h"
#include "menus/settingsmenu.h"
#include "menutesting.h"
#include "sound/soundmanagerdummy.h"
#include "testsupport.h"

#include <functional>
#include <memory>

class CountingSoundManager : public SoundManagerDummy
{
public:
    int gameStart = 0, mutes = 0, unmutes = 0, stops = 0, unstops = 0, volumeUps = 0, volumeDowns = 0;
    int cheers = 0, awes = 0, disappointments = 0;
    bool muted = false;
    void playGameStartSound() override { ++gameStart; }
    void mute(bool fading) override
    {
        ++mutes;
        muted = true;
        SoundManagerDummy::mute(fading);
    }
    void unmute() override
    {
        ++unmutes;
        muted = false;
        SoundManagerDummy::unmute();
    }
    void stop() override { ++stops; }
    void unstop() override { ++unstops; }
    void increaseVolume(int step) override
    {
        ++volumeUps;
        SoundManagerDummy::increaseVolume(step);
    }
    void decreaseVolume(int step) override
    {
        ++volumeDowns;
        SoundManagerDummy::decreaseVolume(step);
    }
    void playCrowdCheerSound() override { ++cheers; }
    void playCrowdAweSound() override { ++awes; }
    void playCrowdDisappointmentSound() override { ++disappointments; }
};

struct GameRig
{
    static constexpr int kTemplateLevelId = 90001;
    static constexpr int kLevelIdPackFactor = 1000;

    LevelDbFixture fixture;
    std::unique_ptr<GameView> view;
    std::unique_ptr<MyScene> scene;
    std::unique_ptr<MyGame> game;
    CountingSoundManager *sound = nullptr;
    bool active = true;

    // False (with the reason in error) when the database cannot be made.
    // beforeGame, when given, gets the working folder before the game opens
    // its databases there. soundManager replaces the counting one (sound
    // stays null then); the game owns it.
    bool start(const QList<LevelDbFixture::Pack> &packs, QString *error, QSize size = QSize(),
        const std::function<void(const QString &)> &beforeGame = {}, SoundManager *soundManager = nullptr)
    {
        if (!fixture.create(TestSupport::binaryDir() + "/testlevels.db", packs)) {
            *error = fixture.errorString();
            return false;
        }
        // The fixture's level rows are copies of the template's first level
        // under new ids; its terrain and objects go to the first level of
        // the first pack (the other levels have none).
        const QString target = QString::number(packs.first().number * kLevelIdPackFactor + 1);
        const QString terrain = QStringLiteral(" SET level_id = ") + target
            + QStringLiteral(" WHERE level_id = ") + QString::number(kTemplateLevelId);
        const QString sqlError = TestSupport::execSql(
            fixture.path() + "/levels.db", {"UPDATE grounditem" + terrain, "UPDATE physicsobject" + terrain});
        if (!sqlError.isEmpty()) {
            *error = sqlError;
            return false;
        }
        if (beforeGame)
            beforeGame(fixture.path());
        build(size, soundManager);
        return true;
    }

    // A new start of the game on the same databases, as after quitting it,
    // with a counting sound manager.
    void restart(QSize size = QSize())
    {
        tearDown();
        build(size, nullptr);
    }

    ~GameRig() { tearDown(); }

    void build(QSize size, SoundManager *soundManager)
    {
        view = std::make_unique<GameView>();
        scene = std::make_unique<MyScene>(QRectF(0, -500, 3800, 880));
        view->setScene(scene.get());
        sound = nullptr;
        if (!soundManager)
            soundManager = sound = new CountingSoundManager;
        game = std::make_unique<MyGame>(scene.get(), view.get(), gameWindowRect().size(), soundManager);
        game->setActiveCheck([this] { return active; });
        view->setGame(game.get());
        view->resize(size.isValid() ? size : gameWindowRect().size());
        view->show();
    }

    void tearDown()
    {
        game.reset();
        scene.reset();
        view.reset();
    }

    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            game->advance();
    }

    // Loads a level that is not pack 1 level 1 of a first start and settles
    // every slide.
    void ride(int pack, int level)
    {
        game->loadLevel(pack, level);
        settle();
    }

    // Runs every running slide of the menus and the controls to its end.
    void settle()
    {
        for (int round = 0; round < 4; ++round) {
            for (QWidget *menu : {(QWidget *)game->mainMenu(), (QWidget *)game->inGameMenu(),
                     (QWidget *)game->levelCompletedMenu(), (QWidget *)game->settingsMenu()}) {
                MenuTesting::finishHide(menu);
                MenuTesting::finishShow(menu);
            }
            MenuTesting::finish(view->showControlsAnimation());
            MenuTesting::finish(view->hideControlsAnimation());
        }
    }
};

#endif

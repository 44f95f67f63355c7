// SPDX-License-Identifier: GPL-3.0-or-later
// The controller with the real menus, level manager and bike on a test
// level database: first start, run clock, finishing and failing, Escape,
// activation, exit, the camera's zoom and shake, the zoom kept across starts
// and a gamepad riding.

#include "game/replaywatch.h"
#include "game/replaywatchoverlay.h"
#include "gametesting.h"
#include "ge/audiomixer.h"
#include "input/gamepadinput.h"
#include "levels/level.h"
#include "levels/levelmanager.h"
#include "menus/buttonpixmap.h"
#include "menus/helpmenu.h"
#include "menus/ingamemenu.h"
#include "menus/levelcompletedmenu.h"
#include "menus/levelstartcard.h"
#include "menus/mainmenu.h"
#include "menus/numberdisplay.h"
#include "physics/particleitem.h"
#include "physics/particlesystemitem.h"
#include "physics/physics.h"
#include "sound/soundmanagergeaudio.h"
#include "vehicle/bikeitem.h"
#include "virtualpad.h"
#include "world/levelworld.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMetaMethod>
#include <QPropertyAnimation>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace MenuTesting;

namespace {
constexpr int kNoResult = LevelDbFixture::kNoResult;
// The fixture's levels: gold 10 s, silver 20 s, bronze 30 s, the finish
// line far enough that a bike without throttle never reaches it.
constexpr int kStepsPerSecond = 55;
// Largest number of particles the bike's particle system keeps.
constexpr int kParticlePoolCapacity = 40;

// Reads QObject's receiver count of a signal of any object. receivers() is
// protected: it is reached through a pointer to QObject's own member, taken
// in a derived class, never by casting an object to a type it is not.
struct ReceiverCount : QObject
{
    static int of(const QObject *object, const QMetaMethod &signal)
    {
        const QByteArray signature = QByteArray::number(QSIGNAL_CODE) + signal.methodSignature();
        int (QObject::*receivers)(const char *) const = &ReceiverCount::receivers;
        return (object->*receivers)(signature.constData());
    }
};

// What a run leaves behind in the application: scene items, objects, their
// timers and signal connections, physics bodies and shapes, and the sources
// in the mixer. Two caches fill up
// on first use and are bounded: the sound buffers (one per sound file) and
// the bike's particle pool; they are counted apart.
struct Wear
{
    int sceneItems = 0, objects = 0, timers = 0, connections = 0, bodies = 0, shapes = 0;
    int mixerSources = 0, soundBuffers = 0, particleBodies = 0;
    QMap<QByteArray, int> classes; // objects by class, for the failure message

    static Wear of(GameRig &r, SoundManagerGEAudio *audio)
    {
        Wear w;
        w.sceneItems = int(r.scene->items().size());
        QList<QObject *> objects {qApp};
        for (QWidget *top : QApplication::topLevelWidgets())
            objects.append(top);
        objects += {r.game.get(), r.scene.get(), r.game->world()->physics(), audio};
        for (int i = 0, roots = int(objects.size()); i < roots; ++i)
            objects += objects[i]->findChildren<QObject *>();
        std::sort(objects.begin(), objects.end());
        objects.erase(std::unique(objects.begin(), objects.end()), objects.end());
        for (QObject *o : std::as_const(objects)) {
            w.timers += int(QAbstractEventDispatcher::instance()->registeredTimers(o).size());
            const QMetaObject *meta = o->metaObject();
            for (int m = 0; m < meta->methodCount(); ++m) {
                if (meta->method(m).methodType() == QMetaMethod::Signal)
                    w.connections += ReceiverCount::of(o, meta->method(m));
            }
            if (qstrcmp(o->metaObject()->className(), "GE::AudioBuffer") == 0)
                ++w.soundBuffers;
            else
                ++w.objects;
            w.classes[o->metaObject()->className()]++;
        }
        QSet<const cpBody *> particles;
        for (const ParticleItem *p : r.game->bike()->particleSystem()->particles()) {
            if (p->body())
                particles.insert(p->body());
        }
        struct Bodies
        {
            const QSet<const cpBody *> *particles;
            Wear *wear;
        } bodies {&particles, &w};
        cpSpaceEachBody(
            r.game->world()->physics()->space(),
            [](cpBody *body, void *data) {
                auto *b = static_cast<Bodies *>(data);
                ++(b->particles->contains(body) ? b->wear->particleBodies : b->wear->bodies);
            },
            &bodies);
        cpSpaceEachShape(
            r.game->world()->physics()->space(),
            [](cpShape *shape, void *data) {
                auto *b = static_cast<Bodies *>(data);
                if (!b->particles->contains(cpShapeGetBody(shape)))
                    ++b->wear->shapes;
            },
            &bodies);
        w.mixerSources = audio->mixer()->sourceCount();

        return w;
    }
    QString toString() const
    {
        QStringList byClass;
        for (auto it = classes.begin(); it != classes.end(); ++it)
            byClass.append(QString("%1 %2").arg(QString::fromLatin1(it.key())).arg(it.value()));
        return QString("items %1, objects %2 (%8), timers %3, connections %4, bodies %5, shapes %6, "
                       "mixer sources %7, sound buffers %9, particle bodies %10")
            .arg(sceneItems)
            .arg(objects)
            .arg(timers)
            .arg(connections)
            .arg(bodies)
            .arg(shapes)
            .arg(mixerSources)
            .arg(byClass.join(", "))
            .arg(soundBuffers)
            .arg(particleBodies);
    }
};

QVariant storedBest(const GameRig &rig, int levelId)
{
    const QVariantList rows = TestSupport::querySql(rig.fixture.path() + "/results.db",
        QString("SELECT besttime FROM levelresult WHERE level_id = %1").arg(levelId));
    return rows.isEmpty() ? QVariant() : rows.first();
}
} // namespace

class TestMyGame : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<GameRig> m_rig;
    GameRig &rig(const QList<LevelDbFixture::Pack> &packs = {{1, {kNoResult, kNoResult}}})
    {
        m_rig = std::make_unique<GameRig>();
        QString error;
        if (!m_rig->start(packs, &error))
            qFatal("cannot build the test game: %s", qPrintable(error));
        return *m_rig;
    }
    // Rides n steps, then moves the bike onto the finish line: the next step
    // (step n + 1) ends the run.
    void finishAfter(GameRig &r, int steps)
    {
        r.ticks(steps);
        r.game->finishLevel();
        r.ticks(1);
    }

private slots:
    void cleanup() { m_rig.reset(); }

    void firstStartShowsMenuAndHelpOnce()
    {
        GameRig &r = rig();
        MyGame *g = r.game.get();
        QVERIFY(g->mainMenu()->isVisible());
        QVERIFY(g->isPaused());
        QCOMPARE(r.sound->gameStart, 1);
        QVERIFY(!g->currentLevel());

        // Pack 1, then level 1, through the menu itself.
        finishShow(g->mainMenu());
        g->mainMenu()->selectLevelPack(1);
        finishHide(g->mainMenu());
        finishShow(g->mainMenu());
        g->mainMenu()->selectLevel(1);
        finishHide(g->mainMenu());
        QVERIFY(g->currentLevel());
        QCOMPARE(g->currentLevel()->levelNumber(), 1);
        finishHide(g->mainMenu());
        QVERIFY(g->mainMenu()->helpPending());
        QVERIFY(g->isPaused());
        QCOMPARE(g->zoom(), 0.4);
        QCOMPARE(g->zoomAnimation()->state(), QAbstractAnimation::Stopped);

        // Closing the help starts the run with the glide to the default zoom.
        finishShow(g->mainMenu()->helpMenu());
        g->mainMenu()->hideHelp();
        finishHide(g->mainMenu()->helpMenu());
        QVERIFY(!g->isPaused());
        QCOMPARE(g->zoomAnimation()->state(), QAbstractAnimation::Running);
        QCOMPARE(g->zoomAnimation()->duration(), 2500);
        QCOMPARE(g->zoomAnimation()->startValue().toReal(), 0.4);
        // The game lays out for the window it starts in.
        QCOMPARE(g->defaultZoom(), MyGame::defaultZoomForWidth(gameWindowRect().width()));
        QCOMPARE(g->zoomAnimation()->endValue().toReal(), g->defaultZoom());
        g->zoomAnimation()->setCurrentTime(2500);
        QCOMPARE(g->zoom(), g->defaultZoom());
        QCOMPARE(r.sound->gameStart, 1);

        // A later choice of pack 1 level 1 starts at once, gliding back to the
        // player's zoom.
        g->setZoom(0.8);
        g->loadLevel(1, 1);
        r.settle();
        QVERIFY(!g->mainMenu()->helpPending());
        QVERIFY(!g->isPaused());
        QCOMPARE(g->zoomAnimation()->endValue().toReal(), 0.8);
    }

    void defaultZoomFollowsWindowWidth()
    {
        QCOMPARE(MyGame::defaultZoomForWidth(1267), qreal(0.65f));
        QCOMPARE(MyGame::defaultZoomForWidth(791), qreal(0.65f));
        QCOMPARE(MyGame::defaultZoomForWidth(790), qreal(0.54f));
        QCOMPARE(MyGame::defaultZoomForWidth(675), qreal(0.54f));
    }

    void runClockCountsStepsOnlyWhileRunning()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        QVERIFY(!g->isPaused());
        const QList<QPair<int, qreal>> expected = {{0, 0.0}, {5, 0.0}, {54, 0.9}, {55, 1.0}, {110, 2.0}};
        int done = 0;
        for (const auto &[steps, seconds] : expected) {
            r.ticks(steps - done);
            done = steps;
            QCOMPARE(g->stepCount(), steps);
            QCOMPARE(g->runTime(), seconds);
        }
        QCOMPARE(r.view->timeDisplay()->text(), QString("2.0"));

        g->pauseGame();
        r.ticks(10);
        QCOMPARE(g->stepCount(), 110);
        g->pauseGame();

        // Inactive: no time passes, but the camera still follows the bike.
        r.active = false;
        g->zoomAnimation()->stop();
        g->setZoom(1.0);
        r.ticks(1);
        const QPointF before = r.view->mapToScene(r.view->viewport()->rect().center());
        g->bike()->setBodyPos(g->bike()->bodyX() + 300, g->bike()->bodyY());
        g->bike()->updateFromBody();
        r.ticks(3);
        QCOMPARE(g->stepCount(), 110);
        const QPointF after = r.view->mapToScene(r.view->viewport()->rect().center());
        QVERIFY2(
            after.x() > before.x() + 200, qPrintable(QString("%1 -> %2").arg(before.x()).arg(after.x())));
        r.active = true;
        r.ticks(1);
        QCOMPARE(g->stepCount(), 111);
    }

    void firstFinishIsSavedWhenTheMenuHasSlidIn()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        finishAfter(r, 2 * kStepsPerSecond);
        QVERIFY(g->isPaused());
        LevelCompletedMenu *menu = g->levelCompletedMenu();
        QVERIFY(menu->isVisible());
        QVERIFY(menu->isNewRecord());
        QVERIFY(!menu->timeDiffDisplay()->isVisible()); // no earlier time to compare
        QCOMPARE(menu->bestTimeDisplay()->text(), QString("2.0"));
        QVERIFY(menu->nextButton()->isEnabled());
        QCOMPARE(r.sound->cheers, 1);
        QVERIFY(g->resultsPending());
        QVERIFY(!storedBest(r, 2001).isValid());
        finishShow(menu);
        QVERIFY(!g->resultsPending());
        QCOMPARE(storedBest(r, 2001).toDouble(), 2.0);
        // No steps while the menu shows.
        r.ticks(5);
        QCOMPARE(g->stepCount(), 2 * kStepsPerSecond + 1);
    }

    // A save that fails at the finish (another program holds the results
    // file) ends nothing: the run's panel stays, the window says why, and
    // the time goes in as soon as a save works (leaving the level here).
    // A lock that also keeps readers out (an exclusive one, or another
    // program in the middle of its write) lets the game go on to the menus
    // and the next level, from the results it read before.
    void failedSaveKeepsTheRunAndSavesItLater_data()
    {
        QTest::addColumn<QString>("lock");
        QTest::newRow("writers kept out") << "BEGIN IMMEDIATE";
        QTest::newRow("readers kept out") << "BEGIN EXCLUSIVE";
    }
    void failedSaveKeepsTheRunAndSavesItLater()
    {
        QFETCH(QString, lock);
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        QSqlDatabase holder = QSqlDatabase::addDatabase("QSQLITE", "holder");
        holder.setDatabaseName(r.fixture.path() + "/results.db");
        QVERIFY(holder.open());
        {
            QSqlQuery locked(holder);
            QVERIFY(locked.exec(lock));
            QVERIFY(locked.exec("UPDATE gamesettings SET sounds_enabled = 1"));
            finishAfter(r, 2 * kStepsPerSecond);
            finishShow(g->levelCompletedMenu());
            QVERIFY(g->levelCompletedMenu()->isVisible());
            QVERIFY(!g->isExiting());
            const QString notice = g->replayWatch()->overlay()->notice();
            QVERIFY2(notice.contains("could not be saved") && notice.contains("another program"),
                qPrintable(notice));
            QVERIFY(g->replayWatch()->overlay()->isVisible());
            g->showMainMenu();
            r.settle();
            g->loadLevel(2, 2);
            QVERIFY(!g->isExiting());
            QCOMPARE(g->currentLevel()->levelNumber(), 2);
            QVERIFY(g->levelManager()->hasPendingWrites());
            locked.exec("ROLLBACK");
        }
        holder.close();
        holder = QSqlDatabase();
        QSqlDatabase::removeDatabase("holder");
        QVERIFY(!storedBest(r, 2001).isValid());
        g->showMainMenu();
        r.settle();
        g->loadLevel(2, 1);
        QCOMPARE(storedBest(r, 2001).toDouble(), 2.0);
        QCOMPARE(g->replayWatch()->overlay()->notice(), QString("Your results are saved now."));
        QVERIFY(!g->levelManager()->hasPendingWrites());
    }

    // A damaged results file found at start is told in the window once.
    void salvagedResultsAreToldAtStart()
    {
        m_rig = std::make_unique<GameRig>();
        QString error;
        QVERIFY2(m_rig->start({{2, {1, kNoResult}}}, &error, QSize(),
                     [](const QString &folder) {
                         QFile file(folder + "/results.db");
                         QVERIFY(file.open(QIODevice::ReadWrite));
                         file.write(QByteArray(100, '\x5a'));
                     }),
            qPrintable(error));
        const QString notice = m_rig->game->replayWatch()->overlay()->notice();
        QVERIFY2(notice.contains("damaged") && notice.contains("results-damaged-"), qPrintable(notice));
        m_rig->restart();
        QVERIFY(m_rig->game->replayWatch()->overlay()->notice().isEmpty());
    }

    void equalTimeIsNoRecord()
    {
        GameRig &r = rig({{2, {1, kNoResult}}});
        QCOMPARE(TestSupport::execSql(r.fixture.path() + "/results.db",
                     {"UPDATE levelresult SET besttime = 2.0 WHERE level_id = 2001"}),
            QString());
        MyGame *g = r.game.get();
        r.ride(2, 1);
        finishAfter(r, 2 * kStepsPerSecond);
        QVERIFY(g->levelCompletedMenu()->isVisible());
        QVERIFY(!g->levelCompletedMenu()->isNewRecord());
        QVERIFY(!g->resultsPending());
        QCOMPARE(g->currentLevel()->status(), LevelStatus::Gold);
        QCOMPARE(g->levelCompletedMenu()->timeDiffDisplay()->text(), QString("+0.0"));
        QCOMPARE(r.sound->cheers, 1); // a gold run
    }

    void slowerRunOnGoldLevelShowsItsMedalAndOffersNext()
    {
        GameRig &r = rig({{2, {1, kNoResult}}});
        QCOMPARE(TestSupport::execSql(r.fixture.path() + "/results.db",
                     {"UPDATE levelresult SET besttime = 8.0 WHERE level_id = 2001"}),
            QString());
        MyGame *g = r.game.get();
        r.ride(2, 1);
        finishAfter(r, 25 * kStepsPerSecond);
        LevelCompletedMenu *menu = g->levelCompletedMenu();
        QVERIFY(!menu->isNewRecord());
        QCOMPARE(menu->statusPixmap()->toImage(), QPixmap(":/images/bronze.png").toImage());
        QVERIFY(menu->nextButton()->isEnabled());
        QCOMPARE(r.sound->awes, 1);
    }

    void noMedalBestOffersNoNextLevel()
    {
        GameRig &r = rig({{2, {4, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        // The stored best (31 s) beaten, still without a medal.
        finishAfter(r, 30 * kStepsPerSecond + 30);
        QVERIFY(g->levelCompletedMenu()->isNewRecord());
        QCOMPARE(g->currentLevel()->status(), LevelStatus::NoMedal);
        QVERIFY(!g->levelCompletedMenu()->nextButton()->isEnabled());
    }

    void lastLevelOfPackOffersNoNextLevel()
    {
        GameRig &r = rig({{2, {1, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 2);
        finishAfter(r, kStepsPerSecond);
        QVERIFY(g->levelCompletedMenu()->isVisible());
        QVERIFY(!g->levelCompletedMenu()->nextButton()->isEnabled());
        // nextLevel without a next level leaves everything as it is.
        g->nextLevel();
        QCOMPARE(g->currentLevel()->levelNumber(), 2);
    }

    void failedRunShowsNoMedalAndDash()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        r.ticks(20);
        emit g->bike()->permanentlyGroundHitted();
        QVERIFY(g->isPaused());
        LevelCompletedMenu *menu = g->levelCompletedMenu();
        QVERIFY(menu->isVisible());
        QVERIFY(!menu->isNewRecord());
        QCOMPARE(menu->bestTimeDisplay()->text(), QString("-"));
        QVERIFY(!menu->timeDiffDisplay()->isVisible());
        QVERIFY(!menu->nextButton()->isEnabled());
        finishShow(menu);
        QVERIFY(!storedBest(r, 2001).isValid());
    }

    // A level that cannot be loaded (missing, or refused when the database
    // was opened) has no ground and a finish at 0: it is not ridden and
    // leaves no result.
    void unplayableLevelIsNotRiddenOrSaved()
    {
        GameRig &r = rig();
        r.ride(1, 9); // no such level
        QVERIFY(r.game->isPaused());
        QVERIFY(!r.game->currentLevel());
        r.ticks(5);
        QVERIFY(!r.game->levelCompletedMenu()->isVisible());
        QVERIFY(!r.game->resultsPending());
        r.game->exitApplication();
        QCOMPARE(TestSupport::querySql(r.fixture.path() + "/results.db", "SELECT count(*) FROM levelresult"),
            QVariantList {0});
    }

    // The level's card goes when the pause panel comes, which it would
    // otherwise cover while it lasts.
    void pausePanelTakesTheStartCardsPlace()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        r.ride(2, 1);
        QVERIFY(r.game->startCard()->isVisible());
        r.ticks(10);
        r.game->showInGameMenu();
        r.settle();
        QVERIFY(r.game->inGameMenu()->isVisible());
        QVERIFY(!r.game->startCard()->isVisible());
    }

    void nextLevelLoadsTheFollowingLevel()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        finishAfter(r, kStepsPerSecond);
        g->levelCompletedMenu()->nextButton()->setPressed(true);
        g->levelCompletedMenu()->nextButton()->setPressed(false);
        r.settle();
        QCOMPARE(g->currentLevel()->levelNumber(), 2);
        QVERIFY(!g->isPaused());
        QCOMPARE(g->stepCount(), 0);
        QCOMPARE(storedBest(r, 2001).toDouble(), 1.0);
    }

    void escapeRules()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        // 2: no level and the first menu: Escape leaves the game.
        QSignalSpy exitSpy(g->mainMenu(), &MainMenu::exit);
        finishShow(g->mainMenu());
        g->showInGameMenu();
        finishHide(g->mainMenu());
        QCOMPARE(exitSpy.count(), 1);

        r.ride(2, 1);
        // 6: running: pause, controls away, in-game menu.
        g->showInGameMenu();
        QVERIFY(g->isPaused());
        QCOMPARE(r.view->hideControlsAnimation()->state(), QAbstractAnimation::Running);
        QVERIFY(g->inGameMenu()->isVisible());
        r.settle();
        // 3: the in-game menu open: Escape returns to the run.
        g->showInGameMenu();
        r.settle();
        QVERIFY(!g->inGameMenu()->isVisible());
        QVERIFY(!g->isPaused());
        // 4: the level-completed menu: Escape retries.
        finishAfter(r, 60);
        g->showInGameMenu();
        r.settle();
        QVERIFY(!g->levelCompletedMenu()->isVisible());
        QVERIFY(!g->isPaused());
        QCOMPARE(g->stepCount(), 0);
        // 5: the main menu over a level: Escape restarts the level.
        r.ticks(10);
        g->showMainMenu();
        QVERIFY(g->isPaused());
        r.settle();
        QVERIFY(g->mainMenu()->isVisible());
        g->showInGameMenu();
        r.settle();
        QVERIFY(!g->mainMenu()->isVisible());
        QVERIFY(!g->isPaused());
        QCOMPARE(g->stepCount(), 0);
        // 7: paused with no menu: nothing happens.
        g->pauseGame();
        g->showInGameMenu();
        QVERIFY(!g->inGameMenu()->isVisible());
        // 1: the help showing: Escape closes it.
        g->pauseGame();
        g->mainMenu()->showHelp(false);
        r.settle();
        QVERIFY(g->mainMenu()->helpPending());
        g->showInGameMenu();
        QCOMPARE(animation(g->mainMenu()->helpMenu(), "hideAnimation")->state(), QAbstractAnimation::Running);
    }

    // Escape while a panel slides out is kept for the state that follows:
    // the pause panel going back to the run opens again, and a main menu on
    // its way out to a level opens the pause panel of that level instead of
    // taking the key as its own "back" (which would quit).
    void escapeDuringASlideOutIsKept()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        g->showInGameMenu();
        r.settle();
        g->showInGameMenu();
        QVERIFY(g->inGameMenu()->isSlidingOut());
        g->showInGameMenu();
        finishHide(g->inGameMenu());
        QVERIFY(!g->isPaused());
        QCoreApplication::processEvents();
        QVERIFY(g->isPaused());
        QVERIFY(g->inGameMenu()->isVisible());
        g->showInGameMenu();
        r.settle();

        QSignalSpy exitSpy(g->mainMenu(), &MainMenu::exit);
        g->showMainMenu();
        r.settle();
        g->showInGameMenu(); // back into the level: the menu slides out
        QVERIFY(g->mainMenu()->isSlidingOut());
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(g->mainMenu(), &escape);
        finishHide(g->mainMenu());
        QCoreApplication::processEvents();
        QCOMPARE(exitSpy.count(), 0);
        QVERIFY(g->isPaused());
        QVERIFY(g->inGameMenu()->isVisible());
    }

    void activationMutesAndVolumeKeysWaitForIt()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        QEvent deactivate(QEvent::ApplicationDeactivate);
        QEvent activate(QEvent::ApplicationActivate);
        const int mutes = r.sound->mutes;
        QVERIFY(g->eventFilter(qApp, &deactivate));
        QVERIFY(!g->isApplicationActive());
        QCOMPARE(r.sound->mutes, mutes + 1);
        QCOMPARE(r.sound->stops, 1);
        g->volumeUp();
        g->volumeDown();
        QCOMPARE(r.sound->volumeUps + r.sound->volumeDowns, 0);

        // Back under the in-game menu: the engine restarts, sound stays muted.
        g->showInGameMenu();
        const int unmutes = r.sound->unmutes;
        QVERIFY(g->eventFilter(qApp, &activate));
        QCOMPARE(r.sound->unstops, 1);
        QCOMPARE(r.sound->unmutes, unmutes);
        QVERIFY(r.sound->muted);
        g->volumeUp();
        QCOMPARE(r.sound->volumeUps, 1);

        // Other events pass.
        QEvent other(QEvent::User);
        QVERIFY(!g->eventFilter(qApp, &other));
    }

    void exitSavesPendingBestAndSoundSetting()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        finishAfter(r, 3 * kStepsPerSecond);
        QVERIFY(g->resultsPending());
        r.sound->setSoundsEnabled(false);
        g->exit();
        QVERIFY(!g->resultsPending());
        QCOMPARE(storedBest(r, 2001).toDouble(), 3.0);
        const QVariantList sounds = TestSupport::querySql(
            r.fixture.path() + "/results.db", "SELECT sounds_enabled FROM gamesettings");
        QCOMPARE(sounds.value(0).toInt(), 0);
    }

    void keyZoomAndItsLimits()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        g->zoomAnimation()->stop();
        g->setZoom(0.9);
        QVERIFY(g->zoomIn());
        QCOMPARE(g->zoomAnimation()->endValue().toReal(), 1.0);
        g->zoomAnimation()->setCurrentTime(100);
        QVERIFY(!g->zoomIn());
        g->zoomAnimation()->setCurrentTime(240);
        QCOMPARE(g->zoom(), 1.0);
        QVERIFY(!g->zoomIn());

        QVERIFY(g->zoomOut(0.11, 240, true));
        QCOMPARE(g->zoomAnimation()->easingCurve().type(), QEasingCurve::Linear);
        g->zoomAnimation()->setCurrentTime(240);
        g->setZoom(0.45);
        QVERIFY(g->zoomOut());
        QCOMPARE(g->zoomAnimation()->endValue().toReal(), qreal(0.4f));
        g->zoomAnimation()->setCurrentTime(240);
        g->setZoom(0.4);
        QVERIFY(!g->zoomOut());
    }

    // A player restarts with R all evening: every restart must leave the game
    // as the first one left it. Each run rides a little with the throttle
    // held; the counts are taken right after a restart, with posted events
    // (deferred deletes, queued signals) delivered and the mixer pulled, as
    // an output would, until every one-shot sound has played out.
    void restartsDoNotWearTheGameDown()
    {
        auto *audio = new SoundManagerGEAudio(SoundManagerGEAudio::Output::None);
        m_rig = std::make_unique<GameRig>();
        QString error;
        QVERIFY2(m_rig->start({{2, {kNoResult, kNoResult}}}, &error, QSize(), {}, audio), qPrintable(error));
        GameRig &r = *m_rig;
        r.ride(2, 1);
        constexpr int kRestarts = 1000;
        constexpr int kTicksPerRun = 2;
        constexpr int kPullSamples = 4096;
        // Longer than the longest one-shot sound (stereo samples at 22050 Hz).
        constexpr int kPlayOutSamples = 2 * 22050 * 20;
        std::vector<qint16> samples(kPlayOutSamples);
        const auto restart = [&] {
            QTest::keyClick(r.view.get(), Qt::Key_R);
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        Wear first;
        for (int i = 1; i <= kRestarts; ++i) {
            r.game->throttleOnBike();
            r.ticks(kTicksPerRun);
            audio->mixer()->fillSamples(samples.data(), kPullSamples);
            restart();
            if (i == 1) {
                audio->mixer()->fillSamples(samples.data(), kPlayOutSamples);
                first = Wear::of(r, audio);
            }
        }
        audio->mixer()->fillSamples(samples.data(), kPlayOutSamples);
        const Wear last = Wear::of(r, audio);
        QVERIFY(!r.game->isPaused());
        qInfo().noquote() << "after the first restart:" << first.toString();
        qInfo().noquote() << "after" << kRestarts << "restarts:" << last.toString();
        QCOMPARE(last.sceneItems, first.sceneItems);
        QCOMPARE(last.objects, first.objects);
        QCOMPARE(last.timers, first.timers);
        QCOMPARE(last.connections, first.connections);
        QCOMPARE(last.bodies, first.bodies);
        QCOMPARE(last.shapes, first.shapes);
        QCOMPARE(last.mixerSources, first.mixerSources);
        // The caches stay within their bounds: one buffer per sound file,
        // the particle pool's capacity.
        QVERIFY(last.soundBuffers <= QDir(":/sounds").entryList().size());
        QVERIFY(last.particleBodies <= kParticlePoolCapacity);
    }

    void keyZoomIsKeptAcrossStarts()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        r.ride(2, 1);
        r.game->zoomAnimation()->stop();
        r.game->setZoom(0.5);
        QVERIFY(r.game->zoomIn(0.2, 240, true));
        const qreal chosen = r.game->zoomTarget();
        QCOMPARE(chosen, 0.7);
        QVERIFY(chosen != r.game->defaultZoom());

        r.restart();
        r.ride(2, 1);
        QCOMPARE(r.game->zoomAnimation()->startValue().toReal(), 0.4);
        QCOMPARE(r.game->zoomAnimation()->endValue().toReal(), chosen);

        // Zooming out is kept as well, to the last digit.
        r.game->zoomAnimation()->stop();
        r.game->setZoom(0.9);
        QVERIFY(r.game->zoomOut(0.33, 240, true));
        const qreal out = r.game->zoomTarget();
        r.restart();
        r.ride(2, 1);
        QCOMPARE(r.game->zoomAnimation()->endValue().toReal(), out);
    }

    void damagedStoredZoomFallsBackToTheDefault_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("text") << "wide";
        QTest::newRow("empty") << "";
        QTest::newRow("too far out") << "0.1";
        QTest::newRow("too close") << "1.5";
        QTest::newRow("not a number") << "nan";
    }

    void damagedStoredZoomFallsBackToTheDefault()
    {
        QFETCH(QString, stored);
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        r.game->levelManager()->setPlayerSetting("zoom", stored);
        QTest::ignoreMessage(QtWarningMsg,
            qPrintable(QString("Stored zoom '%1' is not a number in the zoom range; using the default.")
                           .arg(stored)));
        r.restart();
        r.ride(2, 1);
        QCOMPARE(r.game->zoomAnimation()->endValue().toReal(), r.game->defaultZoom());
        // The bad value stays until the player zooms; then it is replaced.
        QCOMPARE(r.game->levelManager()->playerSetting("zoom"), stored);
    }

    void gamepadRidesAndUnplugReleasesEveryInput()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        GamepadInput *input = g->gamepadInput();
        QVERIFY(input->isAvailable());
        VirtualPad pad;
        QVERIFY2(pad.isAttached(), pad.error());
        input->poll();
        QCOMPARE(input->padCount(), 1);

        pad.setAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
        pad.setAxis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
        input->poll();
        QCOMPARE(g->bike()->throttle(), 1.0);
        QCOMPARE(g->bike()->tiltSpeed(), MyGame::kTiltStep);
        r.ticks(5);
        QVERIFY(g->bike()->tilt() > 0.0);

        pad.unplug();
        input->poll();
        QCOMPARE(input->padCount(), 0);
        QCOMPARE(g->bike()->throttle(), 0.0);
        QCOMPARE(g->bike()->tiltSpeed(), 0.0);

        // The brake held on a pad that goes away lets go too.
        VirtualPad second;
        QVERIFY2(second.isAttached(), second.error());
        input->poll();
        second.setButton(SDL_CONTROLLER_BUTTON_B, true);
        input->poll();
        QVERIFY(g->bike()->isMotorAdded());
        QCOMPARE(g->bike()->throttle(), -0.5);
        second.unplug();
        input->poll();
        QVERIFY(!g->bike()->isMotorAdded());
        QCOMPARE(g->bike()->throttle(), 0.0);
    }

    void gamepadStartOpensTheMenuAndBackRestarts()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        VirtualPad pad;
        QVERIFY2(pad.isAttached(), pad.error());
        GamepadInput *input = g->gamepadInput();
        input->poll();

        r.ticks(20);
        QVERIFY(g->stepCount() > 0);
        pad.setButton(SDL_CONTROLLER_BUTTON_BACK, true);
        input->poll();
        QCOMPARE(g->stepCount(), 0);
        pad.setButton(SDL_CONTROLLER_BUTTON_BACK, false);

        pad.setButton(SDL_CONTROLLER_BUTTON_START, true);
        input->poll();
        QVERIFY(g->isPaused());
        QVERIFY(g->inGameMenu()->isVisible());
    }

    void hardCollisionShakesTheCamera()
    {
        GameRig &r = rig({{2, {kNoResult, kNoResult}}});
        MyGame *g = r.game.get();
        r.ride(2, 1);
        g->hardCollisionHandler(900, -450, 170);
        QCOMPARE(g->cameraOffCenter(), QPointF(10, -5));
        QCOMPARE(g->cameraOffAngle(), 10.0);
        QVERIFY(g->cameraOffCenterAnimation()->duration() >= 50);
        QVERIFY(g->cameraOffCenterAnimation()->duration() <= 159);
        QVERIFY(g->cameraOffAngleAnimation()->duration() <= 149);
        // A second hit during the shake is ignored.
        g->hardCollisionHandler(0, 0, 0);
        QCOMPARE(g->cameraOffAngleAnimation()->startValue().toReal(), 10.0);
        g->cameraOffCenterAnimation()->setCurrentTime(200);
        g->cameraOffAngleAnimation()->setCurrentTime(200);
        QCOMPARE(g->cameraOffCenter(), QPointF(0, 0));
        QCOMPARE(g->cameraOffAngle(), 0.0);
        // The rotation is undone exactly.
        QVERIFY(qFuzzyIsNull(r.view->transform().m12()));
    }
};

QTEST_MAIN(TestMyGame)
#include "tst_mygame.moc"

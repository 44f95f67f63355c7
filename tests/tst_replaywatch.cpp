// SPDX-License-Identifier: GPL-3.0-or-later
// Watching a run in the game: the run just finished plays back in the
// game's scene to its recorded finish step and state; pause, speed,
// restart and Escape; a slow watch draws the bike on its way between
// two steps; the player's keys never reach the bike; nothing of
// a watched run is stored; a replay that no longer matches its level or
// the physics shows its recorded path with a message; a replay file that
// cannot be watched is refused with a message, and one that is no regular
// file (a named pipe, a device) or too large is refused unread, even when
// the game starts with it.

#include "game/ghostitem.h"
#include "game/ghostrider.h"
#include "game/replaywatch.h"
#include "game/replaywatchoverlay.h"
#include "gametesting.h"
#include "goldenride.h"
#include "levels/level.h"
#include "levels/levelmanager.h"
#include "menus/buttonpixmap.h"
#include "menus/levelcompletedmenu.h"
#include "menus/mainmenu.h"
#include "physics/ballitem.h"
#include "readwatchdog.h"
#include "replays/replayfile.h"
#include "replays/replayplayback.h"
#include "replays/replayrecorder.h"
#include "vehicle/bikeitem.h"
#include "world/bikestate.h"
#include "world/inputtimeline.h"
#include "world/levelworld.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {
constexpr int kPack = 2;
constexpr int kLevel = 9;
constexpr int kMaxTicks = 55 * 60;
// Longest wait for the game started with --replay to say what it refused.
constexpr int kGameStartMs = 60000;
// The game started with --replay reads no file larger than a replay: grown
// by this much memory it is stopped, bytes.
constexpr qint64 kGameGrowthBytes = qint64(3) << 30;

// A best time no run of the level beats: a stored result would replace it.
constexpr double kUnbeatenBest = 999.0;

void play(GameRig &r, const InputTimeline &timeline)
{
    int cursor = 0;
    for (int tick = 0; tick < kMaxTicks && !r.game->isPaused(); ++tick) {
        timeline.applyDue(r.game->stepCount(), r.game->bike(), &cursor);
        r.game->advance();
    }
}

// Ticks until the watch has shown the whole run (or kMaxTicks).
void watchToEnd(GameRig &r)
{
    for (int tick = 0; tick < kMaxTicks && !r.game->replayWatch()->playback()->atEnd(); ++tick)
        r.game->advance();
}

void press(ButtonPixmap *button)
{
    button->setPressed(true);
    button->setPressed(false);
}

// The bike's frame where the recorded track has it at the watch's step.
bool bikeOnTrack(GameRig &r)
{
    const ReplayPlayback *playback = r.game->replayWatch()->playback();
    const ReplayFile &file = playback->file();
    QString error;
    const auto samples = file.poses(&error);
    if (!samples)
        return false;
    const PoseTrack::Sample pose
        = PoseTrack::poseAt(*samples, file.poseStride, file.steps, playback->position());
    const PoseTrack::Sample now = ReplayRecorder::sample(*r.game->bike());
    const PoseTrack::BodyPose &a = pose.bodies[PoseTrack::Frame];
    const PoseTrack::BodyPose &b = now.bodies[PoseTrack::Frame];
    return std::abs(a.x - b.x) < 1e-6 && std::abs(a.y - b.y) < 1e-6 && std::abs(a.angle - b.angle) < 1e-6;
}
} // namespace

class TestReplayWatch : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<LevelsFolder> m_folder;
    std::unique_ptr<GameRig> m_rig;
    GoldenRide m_golden;
    ReplayFile m_run;

private slots:
    // One finished run of a committed solution, ridden through the game
    // (the tests that start the game itself need none).
    void init()
    {
        if (QByteArray(QTest::currentTestFunction()).startsWith("replayOption"))
            return;
        m_golden = goldenRide(solutionPath(kPack, kLevel));
        QVERIFY(m_golden.steps > 0);
        QString error;
        const std::optional<InputTimeline> timeline
            = InputTimeline::load(solutionPath(kPack, kLevel), &error);
        QVERIFY2(timeline, qPrintable(error));
        m_folder = std::make_unique<LevelsFolder>();
        m_rig = std::make_unique<GameRig>();
        m_rig->build(QSize(), nullptr);
        m_rig->ride(kPack, kLevel);
        play(*m_rig, *timeline);
        QVERIFY(m_rig->game->lastRun());
        m_run = *m_rig->game->lastRun();
        QCOMPARE(m_run.outcome, ReplayFile::Outcome::Finished);
        m_rig->settle();
        QVERIFY(m_rig->game->levelCompletedMenu()->isVisible());
    }

    void cleanup()
    {
        m_rig.reset();
        m_folder.reset();
    }

    void watchButtonReplaysTheRunToItsRecordedEnd()
    {
        GameRig &r = *m_rig;
        LevelCompletedMenu *menu = r.game->levelCompletedMenu();
        QVERIFY(menu->watchButton()->isActive());
        press(menu->watchButton());
        r.settle();
        QVERIFY(r.game->isWatching());
        QVERIFY(!menu->isVisible());
        QCOMPARE(r.game->stepCount(), 0);
        QVERIFY(r.game->replayWatch()->overlay()->isVisible());
        QCOMPARE(r.game->replayWatch()->overlay()->message(), QString());

        watchToEnd(r);
        const ReplayPlayback *playback = r.game->replayWatch()->playback();
        QCOMPARE(playback->mode(), ReplayPlayback::Mode::Simulating);
        QCOMPARE(r.game->stepCount(), m_golden.steps);
        QCOMPARE(BikeState::hashText(BikeState::hash(r.game->stepCount(), *r.game->bike())), m_golden.state);
        // The end holds: more ticks take no step.
        r.ticks(5);
        QCOMPARE(r.game->stepCount(), m_golden.steps);
        QVERIFY(r.game->replayWatch()->stateText().contains(QStringLiteral("END")));

        // Escape goes back to the results, which offer to watch again.
        QTest::keyClick(r.view.get(), Qt::Key_Escape);
        QVERIFY(!r.game->isWatching());
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->focusedButton(), menu->watchButton());
        QVERIFY(!r.game->replayWatch()->overlay()->isVisible());
        r.settle();
        press(menu->watchButton());
        r.settle();
        QVERIFY(r.game->isWatching());
        QCOMPARE(r.game->replayWatch()->playback()->file().toBytes(), m_run.toBytes());
    }

    // The crowd cheers the watched finish as it cheered the run (a first
    // finish is a record), once per time the watch reaches it, and never
    // while the watch stands at its end.
    void crowdCheersTheWatchedFinish()
    {
        GameRig &r = *m_rig;
        QVERIFY(r.sound);
        QCOMPARE(r.sound->cheers, 1);
        const int disappointments = r.sound->disappointments;
        press(r.game->levelCompletedMenu()->watchButton());
        r.settle();
        QVERIFY(r.game->isWatching());
        watchToEnd(r);
        QCOMPARE(r.sound->cheers, 2);
        r.ticks(30);
        QCOMPARE(r.sound->cheers, 2);
        QTest::keyClick(r.view.get(), Qt::Key_R);
        watchToEnd(r);
        QCOMPARE(r.sound->cheers, 3);
        QCOMPARE(r.sound->disappointments, disappointments);
    }

    // The ghost belongs to the player's runs: a watched run shows none, and
    // the switch does not bring it back until the next run of the player's.
    void ghostStaysAwayWhileWatching()
    {
        GameRig &r = *m_rig;
        GhostRider *ghost = r.game->ghost();
        QVERIFY(ghost->isOn());
        press(r.game->levelCompletedMenu()->watchButton());
        r.settle();
        QVERIFY(r.game->isWatching());
        r.ticks(20);
        QVERIFY(!ghost->item()->isVisible());
        r.game->toggleGhost(); // the author's ride
        r.ticks(20);
        QVERIFY(ghost->isOn());
        QVERIFY(!ghost->item()->isVisible());
    }

    void watchingStoresNothing()
    {
        GameRig &r = *m_rig;
        const QString bestPath = MyGame::bestReplayPath(kPack, kLevel);
        QVERIFY(QFile::remove(bestPath));
        // The stored best made one the watched run would beat.
        const QString sqlError = TestSupport::execSql(r.game->levelManager()->resultsDbPath(),
            {QStringLiteral("UPDATE levelresult SET besttime = %1 WHERE level_id = %2")
                    .arg(kUnbeatenBest)
                    .arg(r.game->currentLevel()->levelId())});
        QVERIFY2(sqlError.isEmpty(), qPrintable(sqlError));

        press(r.game->levelCompletedMenu()->watchButton());
        r.settle();
        QVERIFY(r.game->isWatching());
        watchToEnd(r);
        QCOMPARE(r.game->stepCount(), m_golden.steps);
        r.ticks(10);
        QTest::keyClick(r.view.get(), Qt::Key_Escape);
        r.settle();

        QVERIFY(!r.game->resultsPending());
        QVERIFY(!QFile::exists(bestPath));
        QCOMPARE(r.game->lastRun()->toBytes(), m_run.toBytes());
        // The level as the results database has it now.
        r.game->loadLevel(kPack, kLevel);
        r.settle();
        QCOMPARE(r.game->currentLevel()->bestTime(), kUnbeatenBest);
    }

    void playerInputsDoNotReachTheBike()
    {
        GameRig &r = *m_rig;
        r.game->watchLastRun();
        QVERIFY(r.game->isWatching());
        // Every riding input, by key and by the controller's slots, through
        // the whole run: the run stays the recorded one.
        const Qt::Key keys[] = {Qt::Key_W, Qt::Key_S, Qt::Key_Up, Qt::Key_Down};
        for (int tick = 0; tick < kMaxTicks && !r.game->replayWatch()->playback()->atEnd(); ++tick) {
            const qreal throttle = r.game->bike()->throttle();
            const qreal lean = r.game->bike()->tiltSpeed();
            const bool brake = r.game->bike()->isMotorAdded();
            QTest::keyPress(r.view.get(), keys[tick % 4]);
            r.game->throttleOnBike();
            r.game->brakeOnBike();
            r.game->addRiderTiltOn();
            r.game->setRiderTilt(20.0);
            r.game->releaseRagdoll();
            QCOMPARE(r.game->bike()->throttle(), throttle);
            QCOMPARE(r.game->bike()->tiltSpeed(), lean);
            QCOMPARE(r.game->bike()->isMotorAdded(), brake);
            QVERIFY(!r.game->bike()->hasRagdoll());
            QTest::keyRelease(r.view.get(), keys[tick % 4]);
            r.game->advance();
        }
        QCOMPARE(r.game->replayWatch()->playback()->mode(), ReplayPlayback::Mode::Simulating);
        QCOMPARE(BikeState::hashText(BikeState::hash(r.game->stepCount(), *r.game->bike())), m_golden.state);
    }

    void pauseSpeedRestartAndEscape()
    {
        GameRig &r = *m_rig;
        r.game->watchLastRun();
        ReplayWatch *watch = r.game->replayWatch();
        QWidget *view = r.view.get();
        r.ticks(10);
        QCOMPARE(r.game->stepCount(), 10);

        QTest::keyClick(view, Qt::Key_Space);
        QVERIFY(watch->isPaused());
        QVERIFY(watch->overlay()->state().contains(QStringLiteral("PAUSED")));
        r.ticks(10);
        QCOMPARE(r.game->stepCount(), 10);
        QTest::keyClick(view, Qt::Key_Space);
        QVERIFY(!watch->isPaused());

        QTest::keyClick(view, Qt::Key_Right);
        QCOMPARE(watch->speed(), 2.0);
        r.ticks(3);
        QCOMPARE(r.game->stepCount(), 16);
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, Qt::Key_Right);
        QCOMPARE(watch->speed(), 4.0);
        QVERIFY(watch->overlay()->state().contains(QStringLiteral("4x")));
        r.ticks(1);
        QCOMPARE(r.game->stepCount(), 20);
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(view, Qt::Key_Left);
        QCOMPARE(watch->speed(), 0.25);
        QVERIFY(watch->overlay()->state().contains(QStringLiteral("0.25x")));
        r.ticks(7);
        // Shown on the way to the next step, which the world stands at.
        QCOMPARE(watch->playback()->position(), 21.75);
        QCOMPARE(r.game->stepCount(), 22);
        // The lean keys change the speed too.
        QTest::keyClick(view, Qt::Key_D);
        QCOMPARE(watch->speed(), 0.5);
        QTest::keyClick(view, Qt::Key_A);
        QCOMPARE(watch->speed(), 0.25);

        QTest::keyClick(view, Qt::Key_R);
        QVERIFY(r.game->isWatching());
        QCOMPARE(r.game->stepCount(), 0);
        QCOMPARE(r.game->bike()->throttle(), 0.0);
        QTest::keyClick(view, Qt::Key_Backspace);
        QCOMPARE(r.game->stepCount(), 0);

        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(!r.game->isWatching());
        QVERIFY(r.game->levelCompletedMenu()->isVisible());
        // Going back into the level from here rides a new run.
        r.settle();
        press(r.game->levelCompletedMenu()->resetButton());
        r.settle();
        QVERIFY(!r.game->isPaused());
        QCOMPARE(r.game->stepCount(), 0);
        r.game->throttleOnBike();
        r.ticks(3);
        QCOMPARE(r.game->stepCount(), 3);
        QCOMPARE(r.game->bike()->throttle(), 1.0);
    }

    // At a quarter speed the bike is drawn on its way between two steps at
    // every tick, not held at one step for four ticks and then moved on; the
    // run is the recorded one all the same.
    void slowWatchDrawsBetweenSteps()
    {
        GameRig &r = *m_rig;
        r.game->watchLastRun();
        ReplayWatch *watch = r.game->replayWatch();
        const ReplayPlayback *playback = watch->playback();
        constexpr int kRiding = 60;
        r.ticks(kRiding);
        watch->slower();
        watch->slower();
        QCOMPARE(watch->speed(), 0.25);
        const BikeItem *bike = r.game->bike();
        struct Drawn
        {
            QPointF frame;
            qreal frameDegrees;
            QPointF wheel;
            qreal wheelDegrees;
        };
        const auto drawn = [bike] {
            return Drawn {
                bike->pos(), bike->rotation(), bike->rearWheel()->pos(), bike->rearWheel()->rotation()};
        };
        const Drawn a = drawn();
        QCOMPARE(playback->position(), double(kRiding));
        // A whole step is drawn where the bodies are.
        QCOMPARE(a.frame, QPointF(bike->bodyX(), bike->bodyY()));
        QVector<Drawn> between;
        for (int tick = 0; tick < 3; ++tick) {
            r.ticks(1);
            between.append(drawn());
        }
        r.ticks(1);
        QCOMPARE(playback->position(), double(kRiding + 1));
        QCOMPARE(r.game->stepCount(), kRiding + 1);
        const Drawn b = drawn();
        QCOMPARE(b.frame, QPointF(bike->bodyX(), bike->bodyY()));

        const auto strictlyBetween
            = [](qreal v, qreal from, qreal to) { return (from < v && v < to) || (to < v && v < from); };
        QVERIFY(a.frame.x() != b.frame.x() && a.wheelDegrees != b.wheelDegrees);
        for (int i = 0; i < between.size(); ++i) {
            const Drawn &d = between.at(i);
            QVERIFY2(strictlyBetween(d.frame.x(), a.frame.x(), b.frame.x()), qPrintable(QString::number(i)));
            QVERIFY2(strictlyBetween(d.wheel.x(), a.wheel.x(), b.wheel.x()), qPrintable(QString::number(i)));
            QVERIFY2(strictlyBetween(d.wheelDegrees, a.wheelDegrees, b.wheelDegrees),
                qPrintable(QString::number(i)));
            // A quarter of the way further at every tick.
            const qreal along = (d.frame.x() - a.frame.x()) / (b.frame.x() - a.frame.x());
            QVERIFY2(std::abs(along - 0.25 * (i + 1)) < 1e-9, qPrintable(QString::number(along)));
            if (a.frame.y() != b.frame.y())
                QVERIFY(strictlyBetween(d.frame.y(), a.frame.y(), b.frame.y()));
            if (a.frameDegrees != b.frameDegrees)
                QVERIFY(strictlyBetween(d.frameDegrees, a.frameDegrees, b.frameDegrees));
        }

        // Paused between two steps, it stays drawn there.
        r.ticks(1);
        watch->setPaused(true);
        const Drawn held = drawn();
        r.ticks(3);
        QCOMPARE(drawn().frame, held.frame);
        watch->setPaused(false);
        for (int i = 0; i < 4; ++i)
            watch->faster();
        watchToEnd(r);
        QCOMPARE(playback->mode(), ReplayPlayback::Mode::Simulating);
        QCOMPARE(r.game->stepCount(), m_golden.steps);
        QCOMPARE(BikeState::hashText(BikeState::hash(r.game->stepCount(), *r.game->bike())), m_golden.state);
    }

    void mainMenuAfterWatchingStartsANewRun()
    {
        GameRig &r = *m_rig;
        QString error;
        QVERIFY2(r.game->watchReplay(m_run, MyGame::WatchOrigin::MainMenu, &error), qPrintable(error));
        r.ticks(30);
        QTest::keyClick(r.view.get(), Qt::Key_Escape);
        QVERIFY(!r.game->isWatching());
        r.settle();
        QVERIFY(r.game->mainMenu()->isVisible());
        // Escape on the menu goes back into the level: a fresh, recorded run.
        r.game->showMainMenu();
        r.settle();
        QVERIFY(!r.game->mainMenu()->isVisible());
        QVERIFY(!r.game->isPaused());
        QCOMPARE(r.game->stepCount(), 0);
    }

    void mainMenuWatchesALevelsBestRun()
    {
        GameRig &r = *m_rig;
        r.game->showMainMenu();
        r.settle();
        MainMenu *menu = r.game->mainMenu();
        QVERIFY(menu->isVisible());
        QVERIFY(menu->isLevelView());
        QCOMPARE(menu->levelPackNumber(), kPack);
        // Only the level with a best run kept offers to watch it.
        QVERIFY(menu->watchButton(kLevel)->isActive());
        QVERIFY(!menu->watchButton(kLevel - 1)->isActive());
        QVERIFY(!menu->watchButton(1)->isActive());

        // A click on the watch button, which lies over the corner of the
        // level's tile, watches and does not ride the level.
        const QPointF spot = menu->watchButton(kLevel)->hitRect().center() * menu->panelScale();
        QVERIFY(menu->levelButton(kLevel)->hitRect().contains(menu->watchButton(kLevel)->hitRect().center()));
        QTest::mousePress(menu, Qt::LeftButton, Qt::NoModifier, spot.toPoint());
        QVERIFY(menu->watchButton(kLevel)->isPressed());
        QVERIFY(!menu->levelButton(kLevel)->isPressed());
        QTest::mouseRelease(menu, Qt::LeftButton, Qt::NoModifier, spot.toPoint());
        r.settle();
        QVERIFY(r.game->isWatching());
        QCOMPARE(r.game->replayWatch()->playback()->file().toBytes(), m_run.toBytes());
        r.ticks(25);
        QCOMPARE(r.game->stepCount(), 25);
        QTest::keyClick(r.view.get(), Qt::Key_Escape);
        QVERIFY(!r.game->isWatching());
        QVERIFY(menu->isVisible());
    }

    void changedLevelShowsTheRecordedPath()
    {
        GameRig &r = *m_rig;
        ReplayFile changed = m_run;
        changed.levelChecksum ^= 1;
        QString error;
        QVERIFY2(
            r.game->watchReplay(changed, MyGame::WatchOrigin::LevelCompleted, &error), qPrintable(error));
        const ReplayPlayback *playback = r.game->replayWatch()->playback();
        QCOMPARE(playback->mode(), ReplayPlayback::Mode::PoseTrack);
        QCOMPARE(playback->reason(), ReplayPlayback::Reason::LevelChanged);
        QCOMPARE(r.game->replayWatch()->overlay()->message(),
            QStringLiteral(
                "This run was recorded on a different version of the level: showing its recorded path"));
        QVERIFY(bikeOnTrack(r));
        // Slow: positions between the samples.
        QTest::keyClick(r.view.get(), Qt::Key_Left);
        QTest::keyClick(r.view.get(), Qt::Key_Left);
        r.ticks(7);
        QCOMPARE(playback->position(), 1.75);
        QVERIFY(bikeOnTrack(r));
        QTest::keyClick(r.view.get(), Qt::Key_Right);
        QTest::keyClick(r.view.get(), Qt::Key_Right);
        watchToEnd(r);
        QVERIFY(bikeOnTrack(r));
        QCOMPARE(r.game->stepCount(), m_run.steps);
        QTest::keyClick(r.view.get(), Qt::Key_R);
        QCOMPARE(playback->position(), 0.0);
        QVERIFY(bikeOnTrack(r));
    }

    void driftedRunShowsTheRecordedPath()
    {
        GameRig &r = *m_rig;
        // Other inputs than the poses were recorded with: the simulation
        // leaves the track, and the track is what shows from then on.
        ReplayFile tampered = m_run;
        for (ReplayFile::Controls &c : tampered.controls)
            c.throttle = c.throttle > 0 ? c.throttle * 0.5 : c.throttle;
        QString error;
        QVERIFY2(
            r.game->watchReplay(tampered, MyGame::WatchOrigin::LevelCompleted, &error), qPrintable(error));
        const ReplayPlayback *playback = r.game->replayWatch()->playback();
        QCOMPARE(playback->mode(), ReplayPlayback::Mode::Simulating);
        watchToEnd(r);
        QCOMPARE(playback->mode(), ReplayPlayback::Mode::PoseTrack);
        QCOMPARE(playback->reason(), ReplayPlayback::Reason::Drifted);
        QVERIFY(!r.game->replayWatch()->overlay()->message().isEmpty());
        QVERIFY(bikeOnTrack(r));
        QCOMPARE(r.game->stepCount(), m_run.steps);
    }

    void replayFilesThatCannotBeWatched()
    {
        GameRig &r = *m_rig;
        r.game->showMainMenu();
        r.settle();
        QString error;
        const QString missing = m_dir.filePath(QStringLiteral("missing.vcreplay"));
        QVERIFY(!r.game->watchReplayFile(missing, &error));
        QVERIFY2(error.contains(missing), qPrintable(error));
        QVERIFY(!r.game->isWatching());
        QVERIFY(r.game->mainMenu()->isVisible());
        QCOMPARE(r.game->replayWatch()->overlay()->notice(), error);

        const QString damaged = m_dir.filePath(QStringLiteral("damaged.vcreplay"));
        QByteArray bytes = m_run.toBytes();
        bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x5a);
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QVERIFY(!r.game->watchReplayFile(damaged, &error));
        QVERIFY2(error.contains(damaged), qPrintable(error));
        QVERIFY(!r.game->isWatching());
        QVERIFY(r.game->mainMenu()->isVisible());

        ReplayFile elsewhere = m_run;
        elsewhere.level = 77;
        const QString noLevel = m_dir.filePath(QStringLiteral("nolevel.vcreplay"));
        QVERIFY2(elsewhere.save(noLevel, &error), qPrintable(error));
        QVERIFY(!r.game->watchReplayFile(noLevel, &error));
        QVERIFY2(error.contains(QStringLiteral("does not exist")), qPrintable(error));
        QVERIFY(!r.game->isWatching());
        QVERIFY(r.game->mainMenu()->isVisible());

        // A good file starts the watch over the menu; Escape brings it back.
        QVERIFY2(r.game->watchReplayFile(MyGame::bestReplayPath(kPack, kLevel), &error), qPrintable(error));
        QVERIFY(r.game->isWatching());
        QVERIFY(!r.game->mainMenu()->isVisible());
        r.ticks(20);
        QCOMPARE(r.game->stepCount(), 20);
        QTest::keyClick(r.view.get(), Qt::Key_Escape);
        QVERIFY(!r.game->isWatching());
        QVERIFY(r.game->mainMenu()->isVisible());
    }

    // The game started with --replay of a file it cannot watch says why on
    // stderr and carries on at its main menu. A named pipe is not waited
    // on and a device not read: the watchdog lets a game that waits on the
    // pipe go on, and stops one that reads without end.
    void replayOptionRefusesBadFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QStringLiteral("missing.vcreplay") << QString() << QByteArray()
                                 << QStringLiteral("No such file");
        QTest::newRow("damaged") << QStringLiteral("damaged.vcreplay") << QString()
                                 << QByteArray("VCRGRPLY\x01\x00garbage") << QStringLiteral("replay");
        QTest::newRow("named pipe") << QStringLiteral("pipe.vcreplay") << QStringLiteral("named pipe")
                                    << QByteArray()
                                    << QStringLiteral("is not a regular file (it is a named pipe)");
        QTest::newRow("folder") << QStringLiteral("folder.vcreplay") << QStringLiteral("folder")
                                << QByteArray() << QStringLiteral("is not a regular file (it is a folder)");
        QTest::newRow("device") << QStringLiteral("/dev/zero") << QString() << QByteArray()
                                << QStringLiteral("is not a regular file (it is a device)");
        QTest::newRow("too large")
            << QStringLiteral("large.vcreplay") << QStringLiteral("too large") << QByteArray()
            << QStringLiteral("is too large to be a replay (%1 bytes)").arg(ReplayFile::kMaxFileBytes + 1);
    }

    void replayOptionRefusesBadFiles()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        m_rig.reset();
        QTemporaryDir data;
        const QString path = name.startsWith(QLatin1Char('/')) ? name : data.filePath(name);
        if (!bytes.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        if (!kind.isEmpty())
            QVERIFY(TestSupport::plantNonFile(kind, path, ReplayFile::kMaxFileBytes + 1));
        QProcess game;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
        game.setProcessEnvironment(env);
        game.setReadChannel(QProcess::StandardError);
        game.start(QStringLiteral(VELOCRAG_PATH), {QStringLiteral("--replay"), path});
        QVERIFY(game.waitForStarted());
        const ReadWatchdog watchdog(
            kind == QLatin1String("named pipe") ? path : QString(), game.processId(), kGameGrowthBytes);
        QByteArray errors;
        const QByteArray expected = QStringLiteral("Cannot watch the replay '%1'").arg(path).toUtf8();
        while (!errors.contains(expected) && game.state() == QProcess::Running
            && game.waitForReadyRead(kGameStartMs))
            errors += game.readAllStandardError();
        errors += game.readAllStandardError();
        QVERIFY2(!watchdog.childKilled(), "the game read the file without end");
        QCOMPARE(watchdog.pipeReaders(), 0);
        QVERIFY2(errors.contains(expected), errors.constData());
        QVERIFY2(errors.contains(reason.toUtf8()), errors.constData());
        // Still running at its menu: the refusal was no crash.
        QCOMPARE(game.state(), QProcess::Running);
        game.kill();
        game.waitForFinished();
    }
};

QTEST_MAIN(TestReplayWatch)
#include "tst_replaywatch.moc"

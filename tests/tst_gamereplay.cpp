// SPDX-License-Identifier: GPL-3.0-or-later
// Every run in the game is recorded: a committed solution ride played
// through the game's own flow (twice, with a restart between) finishes at
// its golden step and state, the best run is kept in replays/ of the
// player's data folder, and the recording re-simulates headlessly to the
// same finish. A best-run file that is no regular file never holds up the
// level's start, and what saves cut short left is cleared at the start.

#include "base/datapaths.h"
#include "game/ghostrider.h"
#include "gametesting.h"
#include "goldenride.h"
#include "levels/level.h"
#include "levels/resultssalvage.h"
#include "physics/physics.h"
#include "readwatchdog.h"
#include "replays/replayfile.h"
#include "replays/replayplayer.h"
#include "replays/worldchecksum.h"
#include "vehicle/bikeitem.h"
#include "world/bikestate.h"
#include "world/inputtimeline.h"
#include "world/levelworld.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kPack = 2;
constexpr int kLevel = 9;
constexpr int kMaxTicks = 55 * 60;

// Plays the timeline through the running game, one tick per step, until
// the run ends (a finish or a failure pauses the game).
void play(GameRig &r, const InputTimeline &timeline)
{
    int cursor = 0;
    for (int tick = 0; tick < kMaxTicks && !r.game->isPaused(); ++tick) {
        timeline.applyDue(r.game->stepCount(), r.game->bike(), &cursor);
        r.game->advance();
    }
}
} // namespace

class TestGameReplay : public QObject
{
    Q_OBJECT
private slots:
    void gameRecordsRunsThatReplayHeadlessly()
    {
        const GoldenRide g = goldenRide(solutionPath(kPack, kLevel));
        QVERIFY(g.steps > 0);
        QString error;
        const std::optional<InputTimeline> timeline
            = InputTimeline::load(solutionPath(kPack, kLevel), &error);
        QVERIFY2(timeline, qPrintable(error));

        LevelsFolder folder;
        GameRig r;
        r.build(QSize(), nullptr);
        r.ride(kPack, kLevel);
        QVERIFY(!r.game->isPaused());

        play(r, *timeline);
        QVERIFY(r.game->lastRun());
        const ReplayFile first = *r.game->lastRun();
        QCOMPARE(first.outcome, ReplayFile::Outcome::Finished);
        QCOMPARE(first.steps, g.steps);
        QCOMPARE(BikeState::hashText(first.finalStateHash), g.state);

        // The first finish is the best: kept in the data folder.
        const QString best = MyGame::bestReplayPath(kPack, kLevel);
        QVERIFY2(best.startsWith(folder.path() + QStringLiteral("/replays/")), qPrintable(best));
        const std::optional<ReplayFile> kept = ReplayFile::load(best, &error);
        QVERIFY2(kept, qPrintable(error));
        QCOMPARE(kept->toBytes(), first.toBytes());

        // A restart rides in a world as fresh as the first: the same run again.
        r.game->reset();
        r.settle();
        QVERIFY(!r.game->isPaused());
        QCOMPARE(r.game->stepCount(), 0);
        play(r, *timeline);
        QVERIFY(r.game->isPaused());
        QCOMPARE(r.game->lastRun()->steps, g.steps);
        QCOMPARE(r.game->lastRun()->finalStateHash, first.finalStateHash);
        r.tearDown();

        // Headless: the file re-simulated in a world of its own.
        LevelWorld world;
        world.loadLevel(kept->pack, kept->level);
        ReplayPlayer player(*kept);
        player.restart(&world);
        QCOMPARE(WorldChecksum::of(world.physics()->space()), kept->levelChecksum);
        bool finished = false;
        while (!finished && world.step().stepCount() < kept->steps) {
            player.applyStep(world.step().stepCount(), world.bike());
            world.step().step([&] { finished = world.step().reached(world.level()->finishLineX()); });
        }
        QVERIFY(finished);
        QCOMPARE(world.step().stepCount(), kept->steps);
        QCOMPARE(BikeState::hash(world.step().stepCount(), *world.bike()), kept->finalStateHash);
    }

    // A run left by a restart is the last run, marked unfinished, and does
    // not replace the best.
    void interruptedRunIsTheLastRun()
    {
        LevelsFolder folder;
        GameRig r;
        r.build(QSize(), nullptr);
        r.ride(kPack, kLevel);
        r.game->throttleOnBike();
        for (int i = 0; i < 40; ++i)
            r.game->advance();
        QVERIFY(!r.game->lastRun());
        r.game->reset();
        QVERIFY(r.game->lastRun());
        QCOMPARE(r.game->lastRun()->outcome, ReplayFile::Outcome::Unfinished);
        QCOMPARE(r.game->lastRun()->steps, 40);
        QCOMPARE(r.game->lastRun()->controls.at(r.game->lastRun()->inputs.last().controls).throttle, 1.0);
        QVERIFY(!QFile::exists(MyGame::bestReplayPath(kPack, kLevel)));
    }

    // In place of the level's best run: the level starts at once with the
    // author's ghost, and the player is told once why the best is not shown.
    void bestRunThatIsNoFileDoesNotHoldUpTheStart_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("named pipe") << "named pipe"
                                    << "is not a regular file \\(it is a named pipe\\)";
        QTest::newRow("folder") << "folder"
                                << "is not a regular file \\(it is a folder\\)";
        QTest::newRow("device") << "device"
                                << "is not a regular file \\(it is a device\\)";
        QTest::newRow("too large") << "too large"
                                   << "is too large to be a replay \\(\\d+ bytes\\)";
    }

    void bestRunThatIsNoFileDoesNotHoldUpTheStart()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        LevelsFolder folder;
        const QString best = MyGame::bestReplayPath(kPack, kLevel);
        QVERIFY(QDir().mkpath(QFileInfo(best).absolutePath()));
        QVERIFY(TestSupport::plantNonFile(kind, best, ReplayFile::kMaxFileBytes + 1));
        const ReadWatchdog watchdog(kind == QLatin1String("named pipe") ? best : QString());
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(QStringLiteral(
                "^The best run of level %1 of pack %2 cannot ride as a ghost .*\\.vcreplay %3$")
                                   .arg(kLevel)
                                   .arg(kPack)
                                   .arg(reason)));
        GameRig r;
        r.build(QSize(), nullptr);
        r.ride(kPack, kLevel);
        QVERIFY(!r.game->isPaused());
        QCOMPARE(r.game->ghost()->source(), GhostRider::Source::Author);
        r.game->throttleOnBike();
        r.ticks(20);
        QCOMPARE(r.game->stepCount(), 20);
        QCOMPARE(watchdog.pipeReaders(), 0);
    }

    // Temporaries of saves that a stop cut short go when the game starts;
    // a young one (perhaps another copy of the game saving now) and every
    // other file in the data folder stay.
    void startClearsWhatCutShortSavesLeft()
    {
        LevelsFolder folder;
        const DataPaths &paths = DataPaths::current();
        QVERIFY(QDir().mkpath(paths.replaysDir()));
        const QString best = MyGame::bestReplayPath(kPack, kLevel);
        const QString stale[]
            = {ReplayFile::temporaryPathFor(best), ResultsSalvage::freshPath(paths.resultsDbPath())};
        const QString kept[] = {ReplayFile::temporaryPathFor(best),
            paths.replaysDir() + "/pack2-level09.vcreplay.old", folder.path() + "/notes.txt"};
        const QDateTime now = QDateTime::currentDateTime();
        for (const QString &path : stale) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("cut short");
            QVERIFY(file.flush());
            QVERIFY(file.setFileTime(
                now.addSecs(-2 * ReplayFile::kStaleTemporarySeconds), QFileDevice::FileModificationTime));
        }
        for (const QString &path : kept) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("kept");
        }
        GameRig r;
        r.build(QSize(), nullptr);
        for (const QString &path : stale)
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
        for (const QString &path : kept)
            QVERIFY2(QFileInfo(path).size() == 4, qPrintable(path));
        QVERIFY(QFileInfo(paths.resultsDbPath()).isFile());
    }
};

QTEST_MAIN(TestGameReplay)
#include "tst_gamereplay.moc"

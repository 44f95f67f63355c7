// Every run in the game is recorded: a committed solution ride played
// through the game's own flow (twice, with a restart between) finishes at
// its golden step and state, the best run is kept in replays/ of the
// player's data folder, and the recording re-simulates headlessly to the
// same finish.

#include "gametesting.h"
#include "goldenride.h"
#include "levels/level.h"
#include "physics/physics.h"
#include "replays/replayfile.h"
#include "replays/replayplayer.h"
#include "replays/worldchecksum.h"
#include "vehicle/bikeitem.h"
#include "world/bikestate.h"
#include "world/inputtimeline.h"
#include "world/levelworld.h"

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
};

QTEST_MAIN(TestGameReplay)
#include "tst_gamereplay.moc"

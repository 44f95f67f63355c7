// SPDX-License-Identifier: GPL-3.0-or-later
// Recording a run and re-simulating it: a committed solution ride recorded
// in a LevelWorld finishes at its golden step and state, the saved file
// plays back to the same finish in a fresh world, and the pose track
// follows the bike.

#include "goldenride.h"
#include "levels/level.h"
#include "physics/physics.h"
#include "replays/replayfile.h"
#include "replays/replayplayer.h"
#include "replays/replayrecorder.h"
#include "replays/worldchecksum.h"
#include "testsupport.h"
#include "vehicle/bikeitem.h"
#include "world/bikestate.h"
#include "world/inputtimeline.h"
#include "world/levelworld.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {
constexpr int kMaxSteps = 55 * 120;
constexpr double kLeanSpeed = 0.033;

// Rides the world's level to the finish (or the step limit) with inputs
// given per step by feed, recording when a recorder is given.
bool rideToFinish(
    LevelWorld &world, const std::function<void(int, BikeItem *)> &feed, ReplayRecorder *recorder)
{
    BikeItem *bike = world.bike();
    SimulationStep &sim = world.step();
    bool finished = false;
    while (!finished && sim.stepCount() < kMaxSteps) {
        feed(sim.stepCount(), bike);
        if (recorder)
            recorder->beforeStep(*bike);
        sim.step([&] { finished = sim.reached(world.level()->finishLineX()); });
        if (recorder)
            recorder->afterStep(*bike, sim.stepCount());
    }
    return finished;
}
} // namespace

class TestReplayRecorder : public QObject
{
    Q_OBJECT
private slots:
    void recordsAndReplaysAGoldenRide_data()
    {
        QTest::addColumn<int>("pack");
        QTest::addColumn<int>("level");
        QTest::newRow("pack 1 level 1") << 1 << 1;
        QTest::newRow("pack 2 level 9") << 2 << 9;
    }

    void recordsAndReplaysAGoldenRide()
    {
        QFETCH(int, pack);
        QFETCH(int, level);
        const QString solution = solutionPath(pack, level);
        const GoldenRide g = goldenRide(solution);
        QVERIFY(g.steps > 0);
        QString error;
        const std::optional<InputTimeline> timeline = InputTimeline::load(solution, &error);
        QVERIFY2(timeline, qPrintable(error));

        LevelsFolder folder;
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("run.vcreplay"));
        {
            LevelWorld world;
            QVERIFY(world.loadLevel(pack, level)->isPlayable());
            world.restart();
            ReplayRecorder recorder;
            recorder.start(world);
            int cursor = 0;
            QVERIFY(rideToFinish(
                world, [&](int taken, BikeItem *bike) { timeline->applyDue(taken, bike, &cursor); },
                &recorder));
            const ReplayFile file
                = recorder.finish(*world.bike(), world.step().stepCount(), ReplayFile::Outcome::Finished);
            // The recording is the golden ride.
            QCOMPARE(file.steps, g.steps);
            QCOMPARE(BikeState::hashText(file.finalStateHash), g.state);
            QCOMPARE(file.pack, pack);
            QCOMPARE(file.level, level);
            QCOMPARE(file.levelId, world.level()->levelId());
            QCOMPARE(file.poseCount, ReplayFile::poseSamplesFor(g.steps, ReplayRecorder::kPoseStride));
            // The last pose is where the bike stopped.
            const auto poses = file.poses(&error);
            QVERIFY2(poses, qPrintable(error));
            const PoseTrack::BodyPose last = poses->last().bodies[PoseTrack::Frame];
            QVERIFY(std::fabs(last.x - world.bike()->bodyX()) < 0.1);
            QVERIFY(std::fabs(last.y - world.bike()->bodyY()) < 0.1);
            QVERIFY2(file.save(path, &error), qPrintable(error));
        }

        // Back from the file, in a world built afresh.
        const std::optional<ReplayFile> file = ReplayFile::load(path, &error);
        QVERIFY2(file, qPrintable(error));
        LevelWorld world;
        world.loadLevel(file->pack, file->level);
        ReplayPlayer player(*file);
        player.restart(&world);
        QCOMPARE(WorldChecksum::of(world.physics()->space()), file->levelChecksum);
        QVERIFY(rideToFinish(
            world, [&](int taken, BikeItem *bike) { player.applyStep(taken, bike); }, nullptr));
        QCOMPARE(world.step().stepCount(), file->steps);
        QCOMPARE(BikeState::hash(world.step().stepCount(), *world.bike()), file->finalStateHash);
    }

    // Runs of equal controls: a steady input is one run however long.
    void steadyInputIsOneRun()
    {
        LevelsFolder folder;
        LevelWorld world;
        world.loadLevel(1, 1);
        world.restart();
        ReplayRecorder recorder;
        recorder.start(world);
        world.bike()->setThrottle(1.0);
        for (int i = 0; i < 100; ++i) {
            recorder.beforeStep(*world.bike());
            world.step().step();
            recorder.afterStep(*world.bike(), world.step().stepCount());
        }
        world.bike()->setTiltSpeed(-kLeanSpeed);
        for (int i = 0; i < 20; ++i) {
            recorder.beforeStep(*world.bike());
            world.step().step();
            recorder.afterStep(*world.bike(), world.step().stepCount());
        }
        const ReplayFile file = recorder.finish(*world.bike(), 120, ReplayFile::Outcome::Unfinished);
        QCOMPARE(file.inputs.size(), 2);
        QCOMPARE(file.inputs.at(0).steps, 100);
        QCOMPARE(file.inputs.at(1).steps, 20);
        QCOMPARE(file.controls.at(file.inputs.at(1).controls).lean, -kLeanSpeed);
        QCOMPARE(file.controls.at(file.inputs.at(0).controls).throttle, 1.0);
        QCOMPARE(file.poseCount, 21);
    }
};

QTEST_MAIN(TestReplayRecorder)
#include "tst_replayrecorder.moc"

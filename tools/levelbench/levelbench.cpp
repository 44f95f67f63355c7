// SPDX-License-Identifier: GPL-3.0-or-later
// Times LevelManager::LoadLevel on the largest test level: 100 loads, each
// replacing the previous level in the scene and the physics world and
// followed by the work the scene queued for the new items, and
// prints the median, fastest and slowest load in milliseconds (wall time),
// and the median CPU time of the loading thread.
// With --restarts: times LevelWorld::restart (thread CPU time) on the level
// of terrain edges across the whole coordinate range (pack 96 level 1), 600
// times, and a stretch of riding (throttle held) on the fresh world and
// again after the restarts: restarts must not wear the world down.
// Usage: levelbench [--restarts] <testlevels.db> [pack level [loads|restarts]]

#include "levels/level.h"
#include "levels/levelmanager.h"
#include "physics/physics.h"
#include "vehicle/bikeitem.h"
#include "world/levelworld.h"
#include "world/simulationstep.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsScene>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {
constexpr int kDefaultLoads = 100;
constexpr int kLargestTestPack = 90;
constexpr int kLargestTestLevel = 3;
constexpr int kDefaultRestarts = 600;
constexpr int kLongEdgesPack = 96;
constexpr int kLongEdgesLevel = 1;
// Steps of riding timed before and after the restarts: about 10 s of play.
constexpr int kRideSteps = 550;

// CPU time of this thread, ms: unlike wall time it does not count the time
// other processes on a shared machine take.
double threadCpuMs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
double rideMs(LevelWorld &world)
{
    world.bike()->setThrottle(1.0);
    const double start = threadCpuMs();
    for (int i = 0; i < kRideSteps; ++i)
        world.step().step();
    return threadCpuMs() - start;
}

int benchLoads(int pack, int number, int loads)
{
    Physics physics(LevelWorld::kGravity);
    QGraphicsScene scene;
    LevelManager manager(&physics, &scene);
    std::vector<double> ms;
    std::vector<double> cpuMs;
    int items = 0;
    for (int i = 0; i < loads; ++i) {
        QElapsedTimer timer;
        const double cpuStart = threadCpuMs();
        timer.start();
        Level *level = manager.LoadLevel(pack, number);
        // What the scene queued for the new items (their polish) is done
        // in the game by the next turn of the event loop, before any other
        // load, and counts as part of this one. Left undone, every load's
        // items would stay on the scene's polish list, and removing an item
        // walks that list: later loads would pay for all earlier ones.
        QCoreApplication::sendPostedEvents();
        ms.push_back(timer.nsecsElapsed() / 1e6);
        cpuMs.push_back(threadCpuMs() - cpuStart);
        if (qEnvironmentVariableIsSet("LEVELBENCH_TRACE"))
            std::printf("%d %.3f\n", i, ms.back());
        items = int(level->physicsItems().size());
        // As in the game, the world steps between loads (untimed): a step
        // rebuilds the index of moving shapes.
        physics.update();
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpuMs.begin(), cpuMs.end());
    std::printf("level %d/%d: %d items, %d loads: median %.3f ms, fastest %.3f ms, slowest %.3f ms; "
                "CPU time median %.3f ms\n",
        pack, number, items, loads, ms[ms.size() / 2], ms.front(), ms.back(), cpuMs[cpuMs.size() / 2]);
    return 0;
}

int benchRestarts(int pack, int number, int restarts)
{
    LevelWorld world;
    Level *level = world.loadLevel(pack, number);
    if (!level || level->levelPackNumber() != pack || level->levelNumber() != number) {
        std::fprintf(stderr, "levelbench: no level %d in pack %d\n", number, pack);
        return 1;
    }
    world.restart();
    const double freshRide = rideMs(world);
    std::vector<double> ms;
    for (int i = 0; i < restarts; ++i) {
        const double start = threadCpuMs();
        world.restart();
        ms.push_back(threadCpuMs() - start);
        world.step().step();
    }
    const double wornRide = rideMs(world);
    std::sort(ms.begin(), ms.end());
    std::printf("level %d/%d, %d restarts: CPU time per restart median %.3f ms, slowest %.3f ms; "
                "riding %d steps: %.1f ms fresh, %.1f ms after the restarts (%+.1f %%)\n",
        pack, number, restarts, ms[ms.size() / 2], ms.back(), kRideSteps, freshRide, wornRide,
        100.0 * (wornRide - freshRide) / freshRide);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    const bool restarts = args.size() > 1 && args[1] == QStringLiteral("--restarts");
    if (restarts)
        args.removeAt(1);
    if (args.size() < 2) {
        std::fprintf(
            stderr, "usage: levelbench [--restarts] <testlevels.db> [pack level [loads|restarts]]\n");
        return 2;
    }
    const int pack = args.size() > 3 ? args[2].toInt() : restarts ? kLongEdgesPack : kLargestTestPack;
    const int number = args.size() > 3 ? args[3].toInt() : restarts ? kLongEdgesLevel : kLargestTestLevel;
    const int count = args.size() > 4 ? std::max(1, args[4].toInt())
        : restarts                    ? kDefaultRestarts
                                      : kDefaultLoads;

    // The manager works in the current folder; give it a scratch one.
    QTemporaryDir dir;
    if (!QFile::copy(args[1], dir.filePath("levels.db"))) {
        std::fprintf(stderr, "levelbench: cannot copy %s\n", qPrintable(args[1]));
        return 1;
    }
    QDir::setCurrent(dir.path());
    return restarts ? benchRestarts(pack, number, count) : benchLoads(pack, number, count);
}

// Times LevelManager::LoadLevel on the largest test level: 100 loads, each
// replacing the previous level in the scene and the physics world, and
// prints the median, fastest and slowest load in milliseconds (wall time),
// and the median CPU time of the loading thread.
// Usage: levelbench <testlevels.db> [pack level [loads]]

#include "levels/level.h"
#include "levels/levelmanager.h"
#include "physics/physics.h"
#include "world/levelworld.h"

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

// CPU time of this thread, ms: unlike wall time it does not count the time
// other processes on a shared machine take.
double threadCpuMs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: levelbench <testlevels.db> [pack level [loads]]\n");
        return 2;
    }
    const int pack = args.size() > 3 ? args[2].toInt() : kLargestTestPack;
    const int number = args.size() > 3 ? args[3].toInt() : kLargestTestLevel;
    const int loads = args.size() > 4 ? args[4].toInt() : kDefaultLoads;

    // The manager works in the current folder; give it a scratch one.
    QTemporaryDir dir;
    if (!QFile::copy(args[1], dir.filePath("levels.db"))) {
        std::fprintf(stderr, "levelbench: cannot copy %s\n", qPrintable(args[1]));
        return 1;
    }
    QDir::setCurrent(dir.path());

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

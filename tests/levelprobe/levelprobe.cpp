// SPDX-License-Identifier: GPL-3.0-or-later
// A small program the tests run as a child process for the paths that end
// the process (fatal messages), for damaged level databases, and for saves
// that must survive a hard kill. Runs in the current working directory.
//
//   box-zero-mass                 builds a box of mass 0
//   start                         opens the databases and exits
//   load <pack> <level>           loads a level, steps the world, prints
//                                 "loaded items=N shapes=M"
//   save-and-wait <pack> <level> <seconds>
//                                 stores a best time, prints "saved", then
//                                 waits to be killed
//   read-best <pack> <level>      prints "best=<seconds> status=<code> id=<n>"

#include "levels/level.h"
#include "levels/levelmanager.h"
#include "physics/boxitem.h"
#include "physics/physics.h"
#include "world/levelworld.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QThread>
#include <cstdio>

namespace {
constexpr int kShakeSteps = 200; // steps run after loading, to catch bad values

int usage()
{
    std::fprintf(stderr,
        "usage: velocrag_levelprobe box-zero-mass | start | load <pack> <level> | "
        "save-and-wait <pack> <level> <seconds> | read-best <pack> <level>\n");
    return 2;
}

int shapeCount(cpSpace *space)
{
    int n = 0;
    cpSpaceEachShape(
        space, [](cpShape *, void *d) { ++*static_cast<int *>(d); }, &n);
    return n;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.first();
    Physics physics(LevelWorld::kGravity);
    QGraphicsScene scene;
    if (command == QLatin1String("box-zero-mass")) {
        BoxItem box(&physics, 10, 10, 0);
        return 0;
    }
    LevelManager manager(&physics, &scene);
    if (command == QLatin1String("start"))
        return 0;
    if (args.size() < 3)
        return usage();
    Level *level = manager.LoadLevel(args[1].toInt(), args[2].toInt());
    if (command == QLatin1String("load")) {
        for (int i = 0; i < kShakeSteps; ++i) {
            physics.update();
            scene.advance();
        }
        std::printf(
            "loaded items=%d shapes=%d\n", int(level->physicsItems().size()), shapeCount(physics.space()));
        return 0;
    }
    if (command == QLatin1String("save-and-wait") && args.size() == 4) {
        level->setBestTime(args[3].toDouble(), true);
        manager.saveLevelResult(level);
        std::printf("saved\n");
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    }
    if (command == QLatin1String("read-best")) {
        std::printf("best=%g status=%d id=%lld\n", level->bestTime(), levelStatusCode(level->status()),
            qlonglong(level->levelResultId()));
        return 0;
    }
    return usage();
}

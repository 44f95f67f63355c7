// SPDX-License-Identifier: GPL-3.0-or-later
#include "ghostfigures.h"

#include "game/gameview.h"
#include "game/ghostitem.h"
#include "game/ghostrider.h"
#include "game/mygame.h"
#include "levels/levelmanager.h"
#include "replays/authorride.h"
#include "world/inputtimeline.h"
#include "world/levelworld.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {
constexpr double kNsPerMs = 1e6;
constexpr int kPacks = 2;
constexpr int kLevelsPerPack = 24;

double medianOf(std::vector<double> ms)
{
    if (ms.empty())
        return 0.0;
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

double threadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / kNsPerMs;
}

// The game thread's CPU time of one synchronous repaint: other load on the
// machine hardly changes it.
double timedRepaint(GameView &view)
{
    const double start = threadCpuMs();
    view.viewport()->repaint();
    return threadCpuMs() - start;
}
} // namespace

GhostDrawFigures measureGhostDraw(MyGame &game, GameView &view, int frames)
{
    GhostDrawFigures figures;
    GhostItem *ghost = game.ghost()->item();
    std::vector<double> shown;
    std::vector<double> hidden;
    std::vector<double> paint;
    std::vector<double> difference;
    QImage picture(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < frames && !game.isPaused(); ++i) {
        game.advance();
        ++figures.frames;
        const bool inView = ghost->isVisible()
            && view.mapFromScene(ghost->sceneBoundingRect())
                   .boundingRect()
                   .intersects(view.viewport()->rect());
        if (!inView)
            continue;
        ++figures.framesShown;
        // Shown and hidden in turn first, so that neither always finds the
        // caches warm.
        double withGhost = 0.0;
        double without = 0.0;
        if (i % 2 == 0)
            withGhost = timedRepaint(view);
        ghost->setVisible(false);
        without = timedRepaint(view);
        ghost->setVisible(true);
        if (i % 2 != 0)
            withGhost = timedRepaint(view);
        shown.push_back(withGhost);
        hidden.push_back(without);
        difference.push_back(withGhost - without);

        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHints(view.renderHints());
        painter.setTransform(ghost->sceneTransform() * view.viewportTransform());
        painter.setOpacity(ghost->opacity());
        QElapsedTimer timer;
        timer.start();
        ghost->paint(&painter, nullptr, nullptr);
        paint.push_back(timer.nsecsElapsed() / kNsPerMs);
    }
    figures.repaintShownMs = medianOf(shown);
    figures.repaintHiddenMs = medianOf(hidden);
    figures.itemPaintMs = medianOf(paint);
    figures.repaintDifferenceMs = medianOf(difference);
    return figures;
}

int authorGhostBench(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: gamebench authorghost <levels.db>\n");
        return 2;
    }
    QTemporaryDir dir;
    if (!QFile::copy(QFile::decodeName(argv[2]), dir.filePath("levels.db"))) {
        std::fprintf(stderr, "gamebench: cannot read %s\n", argv[2]);
        return 2;
    }
    QDir::setCurrent(dir.path());
    // The game's own level manager holds the default connection, as in the game.
    LevelWorld game;
    game.openLevels();
    LevelWorld world;
    std::vector<double> starts;
    std::vector<double> rides;
    std::vector<double> perStep;
    double longestRideMs = 0.0;
    int longestSteps = 0;
    for (int pack = 1; pack <= kPacks; ++pack) {
        for (int level = 1; level <= kLevelsPerPack; ++level) {
            const QString path = GhostRider::solutionPath(QStringLiteral(":/solutions"), pack, level);
            QString error;
            const std::optional<InputTimeline> timeline = InputTimeline::load(path, &error);
            if (!timeline) {
                std::fprintf(stderr, "gamebench: %s\n", qPrintable(error));
                return 1;
            }
            AuthorRide ride(&world, *timeline);
            QElapsedTimer timer;
            timer.start();
            if (!ride.start(pack, level, &error)) {
                std::fprintf(stderr, "gamebench: %s\n", qPrintable(error));
                return 1;
            }
            starts.push_back(timer.nsecsElapsed() / kNsPerMs);
            timer.restart();
            ride.rideToEnd();
            const double ms = timer.nsecsElapsed() / kNsPerMs;
            rides.push_back(ms);
            perStep.push_back(ms / std::max(1, ride.steps()));
            if (ride.steps() > longestSteps) {
                longestSteps = ride.steps();
                longestRideMs = ms;
            }
        }
    }
    std::printf("author's ghost (%d levels): level world built in median %.2f ms, max %.2f ms; whole ride "
                "median %.1f ms, max %.1f ms; longest ride %d steps in %.1f ms; %.3f ms per step (median), "
                "so %d steps per tick cost about %.2f ms\n",
        int(starts.size()), medianOf(starts), *std::max_element(starts.begin(), starts.end()),
        medianOf(rides), *std::max_element(rides.begin(), rides.end()), longestSteps, longestRideMs,
        medianOf(perStep), GhostRider::kAuthorStepsPerTick,
        medianOf(perStep) * GhostRider::kAuthorStepsPerTick);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks of the assembled game (see README.md):
//   gamebench frame <levels.db> <pack> <level> raster|opengl [frames] [shot.png]
//     one tick of the game loop plus a synchronous repaint of the view at
//     1267 x 712 while riding with the throttle held, until the frame is
//     drawn (OpenGL: its framebuffer read back, so the GPU's work counts);
//     median and 90th percentile milliseconds per frame, wall clock, and the
//     median CPU time of the game's thread per frame (which other load on
//     the machine hardly changes; the X server's and the GPU's or software
//     rasterizer's threads are not in it). A frame that paints nothing (a
//     window not exposed) fails the benchmark.
//   gamebench restarts <levels.db> <pack> <level> [restarts]
//     the riding frame (raster, as above) before and after restarting the
//     level the given number of times (default 1000, each after a few
//     riding frames, as a player pressing R does), with the scene's item
//     count and the mixer's source count at both points.
//     With the ghost on (the default), the same riding frames also give
//     the ghost's own cost: the repaint with the ghost shown and hidden at
//     the same scene state, and the ghost item's paint alone.
//   gamebench authorghost <levels.db>
//     the author's ride of every shipped level simulated into a ghost's
//     pose track: the level world's build and the whole ride per level.
//   gamebench startup
//     from process start to the first painted frame of the main menu, with
//     the objects built exactly as the game builds them (working directory
//     must hold levels.db).

#include "app/gamefonts.h"
#include "game/gameview.h"
#include "game/ghostrider.h"
#include "game/mygame.h"
#include "game/myscene.h"
#include "ge/audiomixer.h"
#include "ghostfigures.h"
#include "menus/helpmenu.h"
#include "menus/infomenu.h"
#include "menus/mainmenu.h"
#include "sound/soundmanagerdummy.h"
#include "sound/soundmanagergeaudio.h"
#include "vehicle/bikeitem.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {
constexpr int kWindowWidth = 1267;
constexpr int kWindowHeight = 712;
constexpr int kDefaultFrames = 600;
// Frames ridden before measuring: the level-start zoom and the first
// settling of the loose objects.
constexpr int kWarmUpFrames = 60;
constexpr double kNsPerMs = 1e6;
constexpr double kPercentile90 = 0.9;
// Waiting for the main menu to slide out before the run starts.
constexpr int kSettleLimitMs = 5000;
constexpr int kSettleSliceMs = 10;
// Waiting for a frame whose repaint was declined to be painted.
constexpr int kPaintWaitLimitMs = 2000;
constexpr int kPaintWaitSliceMs = 5;
constexpr int kDefaultRestarts = 1000;
// Restarts timed at the start and at the end of the restart benchmark.
constexpr int kTimedRestarts = 50;
// Riding frames between two restarts of the restart benchmark.
constexpr int kFramesPerRestart = 6;
// Samples pulled from the mixer per frame, as an output would (stereo
// 22050 Hz at 49 frames a second, rounded up).
constexpr int kPullSamplesPerFrame = 1024;

// True when every pixel of the picture has the same colour.
bool isUniform(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const QRgb first = rgb.pixel(0, 0);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            if (line[x] != first)
                return false;
    }
    return true;
}

// Milliseconds since this process was started (from /proc/self/stat).
double msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1.0;
    const QByteArray line = stat.readAll();
    // Field 22 (start time in clock ticks since boot) follows the ")" of the
    // command name, which may itself contain spaces.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    constexpr int kStartTimeField = 22 - 3;
    const double startTicks = fields.value(kStartTimeField).toDouble();
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / kNsPerMs;
    return nowMs - startTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

class FirstPaintProbe : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !painted) {
            watched->removeEventFilter(this);
            // Let the paint happen, then note it on the next turn of the loop.
            painted = true;
        }
        return false;
    }
};

// (Re)starts the run of the loaded level and holds the throttle. The main
// menu, or the results panel, slides out first and then starts the run; the
// throttle goes on once the run is live, since a reset releases it.
bool startRiding(MyGame &game)
{
    game.reset(false);
    QElapsedTimer settle;
    settle.start();
    while ((game.isPaused() || game.mainMenu()->isVisible()) && settle.elapsed() < kSettleLimitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, kSettleSliceMs);
    if (game.isPaused())
        return false;
    game.throttleOnBike();
    return true;
}

double threadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / kNsPerMs;
}

// Counts the paint events its widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        Q_UNUSED(watched);
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Waits until the OpenGL viewport's frame is drawn: reading a pixel of its
// framebuffer back cannot finish before every command drawing into it has,
// whatever the driver does with a bare glFinish.
void finishOpenGLFrame(QOpenGLWidget *glWidget)
{
    glWidget->makeCurrent();
    QOpenGLFunctions *gl = glWidget->context()->functions();
    gl->glFinish();
    GLubyte pixel[4] = {};
    gl->glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glWidget->doneCurrent();
}

// One riding frame: a tick of the game loop and a repaint of the view,
// timed until the frame is drawn (on an OpenGL viewport the GPU's work too,
// as the composition of the window waits for it); milliseconds of wall
// clock, and of the thread's CPU time in *cpuMs when given. A repaint the
// window's compositor declines (an OpenGL window still composing the
// previous frame paints nothing and returns at once) is waited for: the
// frame counts once it is painted. *late says whether it had to be.
double rideFrame(MyGame &game, GameView &view, QOpenGLWidget *glWidget, PaintCounter *counter, bool *late,
    double *cpuMs = nullptr)
{
    QElapsedTimer timer;
    const int paintsBefore = counter ? counter->paints : 0;
    const double cpuStart = threadCpuMs();
    timer.start();
    game.advance();
    view.viewport()->repaint();
    const bool painted = !counter || counter->paints > paintsBefore;
    if (!painted) {
        view.viewport()->update();
        while (counter->paints == paintsBefore && timer.elapsed() < kPaintWaitLimitMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, kPaintWaitSliceMs);
    }
    if (glWidget)
        finishOpenGLFrame(glWidget);
    const double elapsed = timer.nsecsElapsed() / kNsPerMs;
    if (cpuMs)
        *cpuMs = threadCpuMs() - cpuStart;
    if (late)
        *late = !painted;
    QCoreApplication::processEvents();
    return elapsed;
}

double median(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// The game in a temporary folder holding a copy of the level database, with
// the window the benchmarks measure.
struct BenchGame
{
    QTemporaryDir dir;
    GameView view;
    MyScene scene {QRectF(0, -500, 3800, 880)};
    std::unique_ptr<MyGame> game;

    bool copyLevels(const char *levels)
    {
        if (!QFile::copy(QFile::decodeName(levels), dir.filePath("levels.db"))) {
            std::fprintf(stderr, "gamebench: cannot read %s\n", levels);
            return false;
        }
        QDir::setCurrent(dir.path());
        return true;
    }
    void start(SoundManager *sound)
    {
        view.setScene(&scene);
        game = std::make_unique<MyGame>(&scene, &view, QSize(kWindowWidth, kWindowHeight), sound);
        game->setActiveCheck([] { return true; });
        view.setGame(game.get());
        view.setGeometry(0, 0, kWindowWidth, kWindowHeight);
        view.show();
        QCoreApplication::processEvents();
    }
    ~BenchGame()
    {
        game.reset();
        view.setScene(nullptr);
    }
};

// Riding frames of the restart benchmark: a crash or the finish starts the
// run again; the mixer is pulled as an output would.
std::vector<double> rideFrames(BenchGame &b, SoundManagerGEAudio &audio, int frames, bool *ok)
{
    std::vector<double> ms;
    std::vector<qint16> samples(kPullSamplesPerFrame);
    for (int i = 0; i < frames && *ok; ++i) {
        if (b.game->isPaused())
            *ok = startRiding(*b.game);
        ms.push_back(rideFrame(*b.game, b.view, nullptr, nullptr, nullptr));
        audio.mixer()->fillSamples(samples.data(), kPullSamplesPerFrame);
    }
    return ms;
}

int restarts(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: gamebench restarts <levels.db> <pack> <level> [restarts]\n");
        return 2;
    }
    const int pack = QByteArray(argv[3]).toInt();
    const int level = QByteArray(argv[4]).toInt();
    const int count = argc > 5 ? QByteArray(argv[5]).toInt() : kDefaultRestarts;
    BenchGame b;
    if (!b.copyLevels(argv[2]))
        return 2;
    auto *audio = new SoundManagerGEAudio(SoundManagerGEAudio::Output::None);
    b.start(audio);
    b.game->loadLevel(pack, level);
    bool ok = startRiding(*b.game);
    rideFrames(b, *audio, kWarmUpFrames, &ok);
    ok = ok && startRiding(*b.game);
    const std::vector<double> before = rideFrames(b, *audio, kDefaultFrames, &ok);
    const int itemsBefore = int(b.scene.items().size());
    const int sourcesBefore = audio->mixer()->sourceCount();
    // The restart itself (the game's reset) is timed too, for the first and
    // the last restarts of the series.
    std::vector<double> firstRestarts;
    std::vector<double> lastRestarts;
    QElapsedTimer timer;
    for (int i = 0; i < count && ok; ++i) {
        timer.start();
        b.game->reset(false);
        const double ms = timer.nsecsElapsed() / kNsPerMs;
        (i < kTimedRestarts ? firstRestarts : lastRestarts).push_back(ms);
        if (lastRestarts.size() > size_t(kTimedRestarts))
            lastRestarts.erase(lastRestarts.begin());
        ok = startRiding(*b.game);
        rideFrames(b, *audio, kFramesPerRestart, &ok);
    }
    ok = ok && startRiding(*b.game);
    const std::vector<double> after = rideFrames(b, *audio, kDefaultFrames, &ok);
    if (!ok) {
        std::fprintf(stderr, "gamebench: the run did not start again\n");
        return 1;
    }
    std::printf("restarts (raster, %dx%d, pack %d level %d, %d riding frames each): before %d restarts: "
                "median %.2f ms, %d scene items, %d mixer sources; after: median %.2f ms, %d scene items, "
                "%d mixer sources; one restart: median %.3f ms of the first %d, %.3f ms of the last %d\n",
        b.view.width(), b.view.height(), pack, level, kDefaultFrames, count, median(before), itemsBefore,
        sourcesBefore, median(after), int(b.scene.items().size()), audio->mixer()->sourceCount(),
        firstRestarts.empty() ? 0.0 : median(firstRestarts), kTimedRestarts,
        lastRestarts.empty() ? 0.0 : median(lastRestarts), kTimedRestarts);
    return 0;
}

int startup(int argc, char **argv)
{
    QApplication app(argc, argv);
    registerGameFonts();
    GameView view;
    if (qEnvironmentVariable("VELOCRAG_RENDERER") != QLatin1String("raster"))
        view.useOpenGLViewport(qEnvironmentVariable("VELOCRAG_RENDERER") != QLatin1String("opengl"));
    MyScene scene(QRectF(0, -500, 3800, 880));
    view.setScene(&scene);
    MyGame game(&scene, &view, QSize(kWindowWidth, kWindowHeight));
    view.setGame(&game);
    view.setGeometry(0, 0, kWindowWidth, kWindowHeight);
    view.show();
    view.setWindowTitle("Velocrag");
    FirstPaintProbe probe;
    view.viewport()->installEventFilter(&probe);
    while (!probe.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
    std::printf("startup: %.1f ms from process start to the main menu painted (%s viewport)\n",
        msSinceProcessStart(), view.isOpenGLViewport() ? "OpenGL" : "raster");
    return 0;
}

int frame(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 6) {
        std::fprintf(
            stderr, "usage: gamebench frame <levels.db> <pack> <level> raster|opengl [frames] [shot.png]\n");
        return 2;
    }
    const int pack = QByteArray(argv[3]).toInt();
    const int level = QByteArray(argv[4]).toInt();
    const bool openGL = QByteArray(argv[5]) == "opengl";
    const int frames = argc > 6 ? QByteArray(argv[6]).toInt() : kDefaultFrames;
    const QString shot = argc > 7 ? QFile::decodeName(argv[7]) : QString();

    BenchGame b;
    if (!b.copyLevels(argv[2]))
        return 2;
    if (openGL && !b.view.useOpenGLViewport(false)) {
        std::fprintf(stderr, "gamebench: OpenGL is not available on this platform\n");
        return 1;
    }
    b.start(new SoundManagerDummy);
    MyGame &game = *b.game;
    GameView &view = b.view;

    game.loadLevel(pack, level);
    if (!startRiding(game)) {
        std::fprintf(stderr, "gamebench: the run did not start\n");
        return 1;
    }
    auto *glWidget = qobject_cast<QOpenGLWidget *>(view.viewport());
    PaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    int late = 0;

    std::vector<double> ms;
    std::vector<double> cpu;
    ms.reserve(frames);
    cpu.reserve(frames);
    int restarts = 0;
    qreal ridden = 0.0;
    qreal startX = game.bike()->pos().x();
    for (int i = 0; i < kWarmUpFrames + frames; ++i) {
        // Only riding frames count: a crash or the finish starts the run again.
        if (game.isPaused()) {
            ridden += game.bike()->pos().x() - startX;
            if (!startRiding(game)) {
                std::fprintf(stderr, "gamebench: the run did not start again\n");
                return 1;
            }
            startX = game.bike()->pos().x();
            ++restarts;
        }
        double cpuMs = 0.0;
        bool paintedLate = false;
        const double elapsed = rideFrame(game, view, glWidget, &counter, &paintedLate, &cpuMs);
        if (i >= kWarmUpFrames && paintedLate)
            ++late;
        if (i >= kWarmUpFrames) {
            ms.push_back(elapsed);
            cpu.push_back(cpuMs);
        }
    }
    ridden += game.bike()->pos().x() - startX;
    view.viewport()->removeEventFilter(&counter);
    // What the window shows (an OpenGL viewport's picture exists only once
    // the window has composed it).
    QCoreApplication::processEvents();
    const QImage frameImage = view.screen()->grabWindow(view.winId()).toImage();
    if (!shot.isEmpty())
        frameImage.save(shot);
    // A frame of one colour means nothing was drawn: no figure for it.
    if (frameImage.isNull() || isUniform(frameImage)) {
        std::fprintf(stderr, "gamebench: the %s frame is empty; nothing was measured\n",
            glWidget ? "OpenGL" : "raster");
        return 1;
    }
    std::sort(ms.begin(), ms.end());
    std::printf(
        "frame (%s, %dx%d, pack %d level %d, %d riding frames): median %.2f ms, p90 %.2f ms, "
        "game thread CPU median %.2f ms; %d frames painted after their repaint was declined; bike rode "
        "%.0f units, %d restarts\n",
        glWidget ? "OpenGL" : "raster", view.width(), view.height(), pack, level, frames, ms[ms.size() / 2],
        ms[size_t(ms.size() * kPercentile90)], median(cpu), late, ridden, restarts);
    if (!game.ghost()->isOn() || !startRiding(game))
        return 0;
    const GhostDrawFigures ghost = measureGhostDraw(game, view, frames);
    std::printf(
        "ghost (%s, %d of %d riding frames in view): repaint CPU median %.3f ms shown, %.3f ms hidden, "
        "difference per frame median %.3f ms; the ghost's paint alone median %.3f ms\n",
        glWidget ? "OpenGL" : "raster", ghost.framesShown, ghost.frames, ghost.repaintShownMs,
        ghost.repaintHiddenMs, ghost.repaintDifferenceMs, ghost.itemPaintMs);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "startup")
        return startup(argc, argv);
    if (mode == "frame")
        return frame(argc, argv);
    if (mode == "restarts")
        return restarts(argc, argv);
    if (mode == "authorghost")
        return authorGhostBench(argc, argv);
    std::fprintf(stderr, "usage: gamebench frame|restarts|authorghost|startup ...\n");
    return 2;
}

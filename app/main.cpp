// Entry point of the game: creates the top-level objects in their fixed
// order, runs the event loop, and tears them down in reverse order.

#include "app/gamewindow.h"
#include "game/gameview.h"
#include "game/mygame.h"
#include "game/myscene.h"
#include "physics/physics.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QTime>
#include <cstdlib>

namespace {
constexpr int kGravity = 450;
const QRectF kInitialSceneRect(0, -500, 3800, 880);

// VELOCRAG_RENDERER=raster keeps the raster viewport even where OpenGL
// works; otherwise the scene is drawn through OpenGL whenever a context can
// be made.
bool wantOpenGL()
{
    return qEnvironmentVariable("VELOCRAG_RENDERER") != QLatin1String("raster");
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(":/images/velocrag.png"));
    std::srand(unsigned(QTime(0, 0, 0).secsTo(QTime::currentTime())));

    // Missing font files are not an error: text falls back to the default font.
    QFontDatabase::addApplicationFont("fonts/Vera.ttf");
    QFontDatabase::addApplicationFont("fonts/VeraBd.ttf");
    QFontDatabase::addApplicationFont("fonts/VeraIt.ttf");

    GameView view;
    if (wantOpenGL())
        view.useOpenGLViewport();
    Physics physics(kGravity);
    MyScene scene(kInitialSceneRect);
    view.setScene(&scene);

    MyGame game(&physics, &scene, &view);
    view.setGame(&game);
    placeGameWindow(&view);
    view.setWindowTitle("Velocrag");
    view.viewport()->update();
    app.installEventFilter(&game);
    game.startGame();

    return app.exec();
}

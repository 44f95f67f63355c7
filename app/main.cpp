// Entry point of the game: creates the top-level objects in their fixed
// order, runs the event loop, and tears them down in reverse order.

#include "app/gamefonts.h"
#include "app/gamewindow.h"
#include "game/gameview.h"
#include "game/mygame.h"
#include "game/myscene.h"
#include "levels/datapaths.h"
#include "physics/fatalerror.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>
#include <QTime>
#include <cstdio>
#include <cstdlib>

namespace {
const QRectF kInitialSceneRect(0, -500, 3800, 880);

// The shipped levels are found from the executable's own folder, whatever the
// working directory; the player's results go to the XDG data folder
// (${XDG_DATA_HOME:-~/.local/share}/velocrag), created here when missing.
void locateData()
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const DataPaths paths = DataPaths::forExecutable(QCoreApplication::applicationDirPath(), dataHome);
    const QString resultsDir = QFileInfo(paths.resultsDbPath()).absolutePath();
    if (!QDir().mkpath(resultsDir))
        fatalError(QStringLiteral("Could not create the data folder '%1'.").arg(resultsDir));
    DataPaths::setCurrent(paths);
}

// The scene goes through OpenGL where the platform offers accelerated
// OpenGL, else through the raster engine. VELOCRAG_RENDERER=raster or
// =opengl overrides the choice (opengl then accepts software rasterizers).
void chooseViewport(GameView *view)
{
    const QString renderer = qEnvironmentVariable("VELOCRAG_RENDERER");
    if (renderer == QLatin1String("raster"))
        return;
    view->useOpenGLViewport(renderer != QLatin1String("opengl"));
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(":/images/velocrag.png"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A side-view motorbike physics game."));
    parser.addHelpOption();
    const QCommandLineOption replayOption(QStringLiteral("replay"),
        QStringLiteral(
            "Start by watching a replay file (a file that cannot be watched is named on stderr and "
            "the game shows its main menu)."),
        QStringLiteral("file"));
    parser.addOption(replayOption);
    parser.process(app);
    std::srand(unsigned(QTime(0, 0, 0).secsTo(QTime::currentTime())));

    registerGameFonts();
    locateData();

    GameView view;
    chooseViewport(&view);
    MyScene scene(kInitialSceneRect);
    view.setScene(&scene);

    MyGame game(&scene, &view, gameWindowRect().size());
    view.setGame(&game);
    placeGameWindow(&view);
    view.applyFullScreenSetting();
    view.setWindowTitle("Velocrag");
    view.viewport()->update();
    app.installEventFilter(&game);
    game.startGame();
    if (parser.isSet(replayOption)) {
        QString error;
        if (!game.watchReplayFile(parser.value(replayOption), &error))
            std::fprintf(stderr, "%s\n", qPrintable(error));
    }

    return app.exec();
}

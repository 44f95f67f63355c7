// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of the game: creates the top-level objects in their fixed
// order, runs the event loop, and tears them down in reverse order.

#include "app/gamefonts.h"
#include "app/gamewindow.h"
#include "base/datapaths.h"
#include "base/fatalerror.h"
#include "game/gameview.h"
#include "game/mygame.h"
#include "game/myscene.h"
#include "ge/audioout.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QProcess>
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

// A fatal message reaches a player who started the game from a launcher,
// without a terminal: a process of its own (this executable with
// --fatal-message) shows it in a window while this one ends. Platforms
// without a screen for a player (offscreen, minimal) get the log line only.
void presentFatalError(const QString &message)
{
    const QString platform = QGuiApplication::platformName();
    if (!QCoreApplication::instance() || platform == QLatin1String("offscreen")
        || platform == QLatin1String("minimal"))
        return;
    QProcess::startDetached(
        QCoreApplication::applicationFilePath(), {QStringLiteral("--fatal-message"), message});
}

int showFatalMessage(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Velocrag"),
        QCoreApplication::translate("main", "Velocrag cannot go on."), QMessageBox::Close);
    box.setInformativeText(message);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
    return 0;
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

// Runs the game until it quits. The results and settings are saved before
// the event loop ends (MyGame::exitApplication); on return the windows are
// closed and the game's objects destroyed.
int runGame(QApplication &app, const QCommandLineParser &parser, const QCommandLineOption &replayOption)
{
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

// An audio output thread still held by an unresponsive audio server (the
// sound manager waited a bounded time for it and left it) is inside the
// multimedia and audio client libraries: their static destructors would
// wait for it until the server's connection times out (half a minute) and
// then free what it is using. With everything saved and the windows
// closed, the process ends here instead, without running them.
void endAtOnceIfAudioIsHeld(int status)
{
    if (GE::AudioOut::unfinishedThreads() == 0)
        return;
    std::fprintf(stderr, "velocrag: the audio server does not answer; quitting without waiting for it\n");
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
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
    QCommandLineOption fatalOption(QStringLiteral("fatal-message"),
        QStringLiteral("Show a fatal message of an ended game in a window."), QStringLiteral("text"));
    fatalOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(fatalOption);
    parser.process(app);
    if (parser.isSet(fatalOption))
        return showFatalMessage(parser.value(fatalOption));
    setFatalErrorPresenter(presentFatalError);
    std::srand(unsigned(QTime(0, 0, 0).secsTo(QTime::currentTime())));

    registerGameFonts();
    locateData();

    const int status = runGame(app, parser, replayOption);
    endAtOnceIfAudioIsHeld(status);
    return status;
}

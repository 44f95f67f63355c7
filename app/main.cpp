// Entry point of the game: creates the top-level objects in their fixed
// order, runs the event loop, and tears them down in reverse order.

#include "app/gamewindow.h"
#include "game/myscene.h"
#include "physics/physics.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGraphicsView>
#include <QIcon>
#include <QTime>
#include <cstdlib>

namespace {
constexpr int kGravity = 450;
const QRectF kInitialSceneRect(0, -500, 3800, 880);
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

    QGraphicsView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Physics physics(kGravity);
    MyScene scene(kInitialSceneRect);
    view.setScene(&scene);

    placeGameWindow(&view);
    view.setWindowTitle("Velocrag");
    view.viewport()->update();

    return app.exec();
}

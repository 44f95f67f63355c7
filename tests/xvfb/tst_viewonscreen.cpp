// SPDX-License-Identifier: GPL-3.0-or-later
// What the game window really shows, read back from the X server: the view
// draws the same picture through OpenGL as through the raster engine, and
// the HUD stays put while the camera scrolls. Runs under Xvfb, where Mesa's
// software OpenGL makes contexts.

#include "game/openglsupport.h"
#include "gametesting.h"
#include "menus/buttonpixmap.h"
#include "menus/levelstartcard.h"
#include "menus/numberdisplay.h"

#include <QScreen>
#include <QtTest>
#include <cstdlib>

using namespace MenuTesting;

namespace {
constexpr int kNoResult = LevelDbFixture::kNoResult;
const QList<LevelDbFixture::Pack> kPacks = {{2, {kNoResult, kNoResult}}};
const QSize kWindow(640, 400);
// Riding frames before the picture is taken.
constexpr int kTicks = 45;
// Largest difference per colour channel (0-255) between the two engines'
// antialiasing and texture sampling that still counts as the same pixel.
constexpr int kChannelTolerance = 24;
// Share of the pixels that must match.
constexpr double kMatchingShare = 0.99;
// Time for the X server to show a painted frame.
constexpr int kPresentMs = 200;

// The same ride on a fresh game each time: level, ticks with the throttle
// held, the camera without its level-start glide. Returns the viewport.
QImage rideAndShoot(bool openGL)
{
    GameRig rig;
    QString error;
    if (!rig.start(kPacks, &error, kWindow))
        qFatal("cannot build the test game: %s", qPrintable(error));
    if (openGL && !rig.view->useOpenGLViewport(false))
        return {};
    if (!QTest::qWaitForWindowExposed(rig.view.get()))
        return {};
    rig.ride(2, 1);
    rig.settle();
    finish(rig.game->zoomAnimation());
    rig.game->throttleOnBike();
    for (int i = 0; i < kTicks; ++i) {
        rig.ticks(1);
        QCoreApplication::processEvents();
    }
    finish(rig.game->cameraOffCenterAnimation());
    finish(rig.game->cameraOffAngleAnimation());
    // What the X server shows: an OpenGL viewport's picture only exists
    // once the window has composed it.
    rig.view->viewport()->repaint();
    QCoreApplication::processEvents();
    QTest::qWait(kPresentMs);
    GameView *view = rig.view.get();
    return view->screen()->grabWindow(view->winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

double matchingShare(const QImage &a, const QImage &b)
{
    qint64 matching = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *la = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *lb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (std::abs(qRed(la[x]) - qRed(lb[x])) <= kChannelTolerance
                && std::abs(qGreen(la[x]) - qGreen(lb[x])) <= kChannelTolerance
                && std::abs(qBlue(la[x]) - qBlue(lb[x])) <= kChannelTolerance)
                ++matching;
        }
    }
    return double(matching) / (qint64(a.width()) * a.height());
}
} // namespace

class TestViewOnScreen : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(!OpenGLSupport::rendererName().isEmpty(),
            "no OpenGL context on this display (needs Xvfb with Mesa's GLX)");
    }

    void sameFrameThroughBothEngines()
    {
        const QImage raster = rideAndShoot(false);
        const QImage openGL = rideAndShoot(true);
        QVERIFY(!openGL.isNull());
        QCOMPARE(openGL.size(), raster.size());
        const double share = matchingShare(raster, openGL);
        qInfo("%.2f %% of the pixels match", share * 100);
        if (share < kMatchingShare) {
            const QString dir = TestSupport::binaryDir() + "/tests/";
            raster.save(dir + "viewonscreen-raster.png");
            openGL.save(dir + "viewonscreen-opengl.png");
        }
        QVERIFY2(
            share >= kMatchingShare, qPrintable(QStringLiteral("%1 % of the pixels match").arg(share * 100)));
    }

    // The frame is a picture, not a uniform fill: background and scene
    // were drawn beneath the HUD.
    void openGLFrameShowsTheScene()
    {
        const QImage openGL = rideAndShoot(true);
        QVERIFY(!openGL.isNull());
        QSet<QRgb> colours;
        for (int y = 0; y < openGL.height(); y += 7)
            for (int x = 0; x < openGL.width(); x += 7)
                colours.insert(openGL.pixel(x, y));
        QVERIFY2(colours.size() > 200, qPrintable(QString::number(colours.size())));
    }

    // While the camera moves, what the window shows of the pause button, the
    // pads and the clock is exactly what a full repaint of the same state
    // draws: no pixels scrolled along with the scene. First frames riding,
    // then the camera panning alone (nothing else asks for a repaint).
    void hudStaysPutWhileTheCameraScrolls()
    {
        GameRig r;
        QString error;
        QVERIFY2(r.start(kPacks, &error, QSize(1267, 712)), qPrintable(error));
        QVERIFY(QTest::qWaitForWindowExposed(r.view.get()));
        r.ride(2, 1);
        r.settle();
        // The level-start card over the top strip fades on the wall clock: on
        // a busy machine its fade would run between the two grabs of a frame.
        // It is not part of the HUD under test.
        r.game->startCard()->dismiss();
        GameView *v = r.view.get();
        QScreen *screen = v->screen();
        r.game->throttleOnBike();
        // The level-start zoom glide moves the camera in the riding frames.
        // It runs on the wall clock, so the share of frames it moved in
        // depended on how fast the machine painted; it is stepped by a fixed
        // time per frame instead.
        QPropertyAnimation *glide = r.game->zoomAnimation();
        QCOMPARE(glide->state(), QAbstractAnimation::Running);
        glide->pause();
        QList<QRect> hud;
        for (const ButtonPixmap *button : {v->menuButton(), v->throttleButton(), v->brakeButton()})
            hud.append(QRectF(QPointF(button->x(), button->y()), button->currentPixmap().size()).toRect());
        hud.append(v->timeDisplay()->rect().toRect());
        QCoreApplication::processEvents();

        constexpr int kRidingFrames = 30;
        constexpr int kPanningFrames = 10;
        constexpr int kGlideStepMs = 40;
        const QPointF panStep(9.0, 4.0);
        int scrolled = 0;
        QPointF lastCorner = v->mapToScene(QPoint(0, 0));
        for (int frame = 0; frame < kRidingFrames + kPanningFrames; ++frame) {
            if (frame < kRidingFrames) {
                glide->setCurrentTime(glide->currentTime() + kGlideStepMs);
                r.ticks(1);
            } else {
                const QPointF centre = v->mapToScene(v->viewport()->rect().center());
                v->centerOn(centre + panStep / v->zoom());
            }
            // The frame as the window shows it: the update asked for,
            // painted into the window's backing store (no timers run, so
            // nothing moves before the same state is painted afresh).
            QCoreApplication::sendPostedEvents(v, QEvent::UpdateRequest);
            const QPointF corner = v->mapToScene(QPoint(0, 0));
            if (corner != lastCorner)
                ++scrolled;
            lastCorner = corner;
            const QImage shown
                = screen->grabWindow(v->winId()).toImage().convertToFormat(QImage::Format_RGB32);
            const QImage drawn = v->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shown.size(), drawn.size());
            for (const QRect &region : std::as_const(hud)) {
                if (shown.copy(region) != drawn.copy(region))
                    QFAIL(qPrintable(QStringLiteral("frame %1: the HUD at %2,%3 %4x%5 moved")
                                         .arg(frame)
                                         .arg(region.x())
                                         .arg(region.y())
                                         .arg(region.width())
                                         .arg(region.height())));
            }
            QCoreApplication::processEvents();
        }
        // The camera really moved in most frames.
        qInfo("the camera moved in %d of %d frames", scrolled, kRidingFrames + kPanningFrames);
        QVERIFY2(scrolled > (kRidingFrames + kPanningFrames) / 2, qPrintable(QString::number(scrolled)));
    }
};

QTEST_MAIN(TestViewOnScreen)
#include "tst_viewonscreen.moc"

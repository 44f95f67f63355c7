// SPDX-License-Identifier: GPL-3.0-or-later
// The game view with the real controller: layout of the on-screen controls,
// mouse and touch rules, the pinch zoom, closing and the parallax background.

#include "gametesting.h"
#include "menus/buttonpixmap.h"
#include "menus/ingamemenu.h"
#include "menus/mainmenu.h"
#include "menus/numberdisplay.h"
#include "vehicle/bikeitem.h"

#include <QPointingDevice>
#include <QtTest>

using namespace MenuTesting;

namespace {
constexpr int kNoResult = LevelDbFixture::kNoResult;
const QList<LevelDbFixture::Pack> kPacks = {{2, {kNoResult, kNoResult}}};
} // namespace

class TestGameView : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<GameRig> m_rig;
    QPointingDevice *m_touch = nullptr;

    GameRig &rig(QSize size = QSize())
    {
        m_rig = std::make_unique<GameRig>();
        QString error;
        if (!m_rig->start(kPacks, &error, size))
            qFatal("cannot build the test game: %s", qPrintable(error));
        return *m_rig;
    }
    // A running level with the controls in place.
    GameRig &riding(QSize size = QSize())
    {
        GameRig &r = rig(size);
        r.ride(2, 1);
        r.settle();
        return r;
    }

private slots:
    void initTestCase() { m_touch = QTest::createTouchDevice(); }
    void cleanup() { m_rig.reset(); }

    void controlsLayout_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("top");
        QTest::addColumn<qreal>("resting");
        QTest::addColumn<qreal>("margin");
        QTest::newRow("640x480") << QSize(640, 480) << 396.0 << 408.0 << 20.0;
        QTest::newRow("1267x712") << QSize(1267, 712) << 598.0 << 610.0 << 35.0;
    }
    void controlsLayout()
    {
        QFETCH(QSize, size);
        QFETCH(qreal, top);
        QFETCH(qreal, resting);
        QFETCH(qreal, margin);
        GameRig &r = rig(size);
        GameView *v = r.view.get();
        QCOMPARE(v->bottomButtonsY(), resting);
        QCOMPARE(v->timeDisplay()->rect(), QRectF(80, 0, size.width() - 80, 80));
        QCOMPARE(v->brakeButton()->x(), margin);
        QCOMPARE(v->throttleButton()->x(), size.width() - 64 - margin);
        // Laid out with their picture tops here, hidden until a run starts.
        QVERIFY(!v->throttleButton()->isVisible());
        QCOMPARE(v->throttleButton()->y(), top);
        QCOMPARE(v->brakeButton()->y(), top);
        r.ride(2, 1);
        QVERIFY(v->throttleButton()->isVisible());
        r.settle();
        QCOMPARE(v->controlsPosition(), 100.0);
        QCOMPARE(v->throttleButton()->y(), resting);
        QCOMPARE(v->brakeButton()->y(), resting);
        QCOMPARE(v->menuButton()->y(), 10.0);
        // The menu button's hit area is the whole top strip.
        QCOMPARE(v->menuButton()->hitRect(), QRectF(0, 0, size.width(), 90));
        // Slid out: 100 pixels lower, off the screen.
        v->setControlsPosition(0);
        QCOMPARE(v->throttleButton()->y(), resting + 100);
        QCOMPARE(v->menuButton()->y(), -90.0);
    }

    void padsDriveTheBikeAndAnyReleaseLiftsThem()
    {
        GameRig &r = riding(QSize(1267, 712));
        GameView *v = r.view.get();
        BikeItem *bike = r.game->bike();
        // The lower-right corner is the throttle pad, well beyond the picture.
        press(v->viewport(), QPointF(1260, 705));
        QVERIFY(v->throttleButton()->isPressed());
        QCOMPARE(bike->throttle(), 1.0);
        press(v->viewport(), QPointF(5, 705));
        QVERIFY(v->brakeButton()->isPressed());
        release(v->viewport(), QPointF(640, 300));
        QVERIFY(!v->throttleButton()->isPressed());
        QVERIFY(!v->brakeButton()->isPressed());
        QCOMPARE(bike->throttle(), 0.0);
        // The middle of the window presses nothing.
        press(v->viewport(), QPointF(640, 300));
        QVERIFY(!v->throttleButton()->isPressed() && !v->brakeButton()->isPressed());
        release(v->viewport(), QPointF(640, 300));
    }

    void keysCallTheController()
    {
        GameRig &r = riding();
        GameView *v = r.view.get();
        BikeItem *bike = r.game->bike();
        keyPress(v, Qt::Key_W);
        QCOMPARE(bike->throttle(), 1.0);
        QVERIFY(v->throttleButton()->isPressed());
        keyRelease(v, Qt::Key_W);
        QCOMPARE(bike->throttle(), 0.0);
        keyPress(v, Qt::Key_Left);
        QCOMPARE(bike->tiltSpeed(), qreal(0.033f));
        keyRelease(v, Qt::Key_Left);
        QCOMPARE(bike->tiltSpeed(), 0.0);
        keyPress(v, Qt::Key_D);
        QCOMPARE(bike->tiltSpeed(), -qreal(0.033f));
        keyRelease(v, Qt::Key_D);
        r.ticks(30);
        keyClick(v, Qt::Key_R);
        QCOMPARE(r.game->stepCount(), 0);
        // A restart rides a new bike.
        bike = r.game->bike();
        // W with the controls hidden still drives; the hidden button stays unlit.
        r.view->hideControls();
        r.settle();
        keyPress(v, Qt::Key_Up);
        QCOMPARE(bike->throttle(), 1.0);
        QVERIFY(!v->throttleButton()->isPressed());
        keyRelease(v, Qt::Key_Up);
        keyClick(v, Qt::Key_Escape);
        QVERIFY(r.game->inGameMenu()->isVisible());
    }

    void topStripActsAsEscape()
    {
        GameRig &r = riding(QSize(1267, 712));
        click(r.view->viewport(), QPointF(900, 45));
        QVERIFY(r.game->inGameMenu()->isVisible());
        QVERIFY(r.game->isPaused());
    }

    void topStripOnFirstMenuLeavesTheGame()
    {
        GameRig &r = rig(QSize(1267, 712));
        QSignalSpy exitSpy(r.game->mainMenu(), &MainMenu::exit);
        finishShow(r.game->mainMenu());
        click(r.view->viewport(), QPointF(5, 5));
        finishHide(r.game->mainMenu());
        QCOMPARE(exitSpy.count(), 1);
    }

    void pinchStopsAtTheLimitAndReversesAtOnce()
    {
        GameRig &r = riding(QSize(1267, 712));
        GameView *v = r.view.get();
        r.game->zoomAnimation()->stop();
        r.game->setZoom(0.6);
        QWidget *w = v->viewport();
        QTest::touchEvent(w, m_touch).press(0, QPoint(400, 300), w).press(1, QPoint(600, 300), w);
        QTest::touchEvent(w, m_touch).move(0, QPoint(480, 300), w).move(1, QPoint(520, 300), w);
        // 0.6 x 0.2 would be 0.12: held at 0.4.
        QCOMPARE(v->requestedZoom(), qreal(0.4f));
        QTest::touchEvent(w, m_touch).move(0, QPoint(460, 300), w).move(1, QPoint(540, 300), w);
        QVERIFY(v->requestedZoom() > qreal(0.4f) + 0.3);
        r.ticks(1);
        QCOMPARE(v->zoom(), v->requestedZoom());
        QTest::touchEvent(w, m_touch).release(0, QPoint(460, 300), w).release(1, QPoint(540, 300), w);
    }

    void pinchEndingInTheTopStripOpensNoMenu()
    {
        GameRig &r = riding(QSize(1267, 712));
        QWidget *w = r.view->viewport();
        QTest::touchEvent(w, m_touch).press(0, QPoint(400, 300), w);
        QTest::touchEvent(w, m_touch).stationary(0).press(1, QPoint(600, 40), w);
        QVERIFY(r.view->menuButton()->isPressed());
        QTest::touchEvent(w, m_touch).move(0, QPoint(300, 300), w).move(1, QPoint(700, 40), w);
        QTest::touchEvent(w, m_touch).release(0, QPoint(300, 300), w).release(1, QPoint(700, 40), w);
        QVERIFY(r.view->menuReleaseSuppressed());
        QVERIFY(!r.game->inGameMenu()->isVisible());
        QVERIFY(!r.game->isPaused());
        // A plain tap in the strip still opens the menu.
        QTest::touchEvent(w, m_touch).press(0, QPoint(600, 40), w);
        QTest::touchEvent(w, m_touch).release(0, QPoint(600, 40), w);
        QVERIFY(r.game->inGameMenu()->isVisible());
    }

    void touchPadsWorkTogether()
    {
        // Inside the offscreen screen, where touch points are delivered.
        GameRig &r = riding();
        QWidget *w = r.view->viewport();
        QTest::touchEvent(w, m_touch).press(0, QPoint(500, 500), w);
        QVERIFY(r.view->throttleButton()->isPressed());
        QCOMPARE(r.game->bike()->throttle(), 1.0);
        QTest::touchEvent(w, m_touch).stationary(0).press(1, QPoint(20, 500), w);
        QVERIFY(r.view->brakeButton()->isPressed());
        QVERIFY(r.view->throttleButton()->isPressed());
        QTest::touchEvent(w, m_touch).release(0, QPoint(500, 500), w).release(1, QPoint(20, 500), w);
        QVERIFY(!r.view->throttleButton()->isPressed() && !r.view->brakeButton()->isPressed());
    }

    // Holding throttle with one thumb and tapping brake with the other: the
    // lifted finger lets go of its own pad only, and the held pad acts again.
    void eachTouchPointReleasesItsOwnPad()
    {
        GameRig &r = riding();
        QWidget *w = r.view->viewport();
        QTest::touchEvent(w, m_touch).press(0, QPoint(500, 500), w);
        QTest::touchEvent(w, m_touch).stationary(0).press(1, QPoint(20, 500), w);
        QVERIFY(r.game->bike()->throttle() < 0.0); // braking
        QTest::touchEvent(w, m_touch).stationary(0).release(1, QPoint(20, 500), w);
        QVERIFY(!r.view->brakeButton()->isPressed());
        QVERIFY(r.view->throttleButton()->isPressed());
        QCOMPARE(r.game->bike()->throttle(), 1.0);

        // The other way round: the brake stays on when the throttle lifts.
        QTest::touchEvent(w, m_touch).stationary(0).press(2, QPoint(20, 500), w);
        QTest::touchEvent(w, m_touch).release(0, QPoint(500, 500), w).stationary(2);
        QVERIFY(!r.view->throttleButton()->isPressed());
        QVERIFY(r.view->brakeButton()->isPressed());
        QVERIFY(r.game->bike()->throttle() < 0.0);
        QTest::touchEvent(w, m_touch).release(2, QPoint(20, 500), w);
        QVERIFY(!r.view->brakeButton()->isPressed());
        QCOMPARE(r.game->bike()->throttle(), 0.0);
    }

    void closeRunsTheExitPath()
    {
        GameRig &r = riding();
        r.game->finishLevel();
        r.ticks(1);
        QVERIFY(r.game->resultsPending());
        QCloseEvent close;
        QCoreApplication::sendEvent(r.view.get(), &close);
        QVERIFY(!close.isAccepted());
        QVERIFY(!r.game->resultsPending());
        QVERIFY(r.game->isExiting());
        // Quitting closes the windows: now the close goes through, and the
        // exit path does not run again.
        QCloseEvent again;
        QCoreApplication::sendEvent(r.view.get(), &again);
        QVERIFY(again.isAccepted());
    }

    void zoomOperations()
    {
        GameView view;
        view.setZoom(0.7);
        QCOMPARE(view.zoom(), 0.7);
        QCOMPARE(view.transform().m11(), 0.7);
        QVERIFY(!view.zoomRequested());
        view.setZoom(-1);
        QCOMPARE(view.zoom(), 0.0);
        view.setZoom(0.5);
        view.rotate(10);
        view.setZoom(0.5);
        QVERIFY(qFuzzyIsNull(view.transform().m12()));
    }

    void parallaxBackgroundScaledInTallWindows()
    {
        GameRig &r = riding(QSize(1267, 712));
        GameView *v = r.view.get();
        // The pack's picture (615 pixels high for pack 2) is lower than the window.
        const int ph = v->backgroundPixmap().height();
        QVERIFY(ph > 0 && ph < 712);
        r.game->zoomAnimation()->stop();
        r.game->setZoom(1.0);
        r.ticks(1);
        const GameView::BackgroundPlacement p = v->parallaxPlacement(QRectF(0, 0, 1267, 712));
        QCOMPARE(p.source.height(), qreal(ph));
        QCOMPARE(p.target.height(), 712.0);
        QVERIFY(qAbs(p.target.width() - 1267.0) < 2.0);
        // Left edge of the level: the left edge of the picture.
        QCOMPARE(p.source.x(), 0.0);
        // Further along, the picture has scrolled, less than the scene.
        r.game->bike()->setPos(r.scene->sceneRect().center());
        r.ticks(1);
        const GameView::BackgroundPlacement moved = v->parallaxPlacement(QRectF(0, 0, 1267, 712));
        QVERIFY(moved.source.x() > 0.0);
        QVERIFY(moved.source.right() <= v->backgroundPixmap().width());

        // What is painted is the picture, scaled: the viewport is not blank.
        const QImage frame = v->grab().toImage();
        const QImage picture = v->backgroundPixmap().toImage();
        QCOMPARE(frame.pixelColor(2, 100).blue() > 0, true);
        QVERIFY(frame.pixelColor(600, 30) != QColor(Qt::black));
        Q_UNUSED(picture);
    }
};

QTEST_MAIN(TestGameView)
#include "tst_gameview.moc"

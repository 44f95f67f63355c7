// SPDX-License-Identifier: GPL-3.0-or-later
#include "gameview.h"

#include "game/mygame.h"
#include "game/onscreencontrols.h"
#include "game/openglsupport.h"
#include "game/playersettings.h"
#include "game/zoomlimits.h"
#include "levels/levelmanager.h"
#include "menus/buttonpixmap.h"
#include "menus/numberdisplay.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineF>
#include <QOpenGLWidget>
#include <QPainter>
#include <QShortcut>
#include <QTouchEvent>

namespace {
// Run clock: x, y, width, height in viewport pixels, then laid out per size.
constexpr qreal kClockX = 100.0;
constexpr qreal kClockY = 0.0;
constexpr qreal kClockWidth = 500.0;
constexpr qreal kClockHeight = 90.0;
constexpr qreal kClockLeft = 80.0;
constexpr qreal kClockRowHeight = 80.0;

// Key zoom: one step, in ms, at constant speed.
constexpr qreal kKeyZoomStep = 0.11;
constexpr int kKeyZoomMs = 240;

} // namespace

GameView::GameView(QWidget *parent)
    : QGraphicsView(parent)
{
    // Every frame is drawn whole. A partial update would let Qt scroll the
    // pixels already drawn when the camera moves, the HUD's and the slower
    // parallax background's with them, and redraw only the exposed strip.
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    // The frame's first layer paints every pixel (drawBackground), so the
    // viewport is not filled with its background colour beforehand.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setDragMode(QGraphicsView::NoDrag);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(0);

    m_timeDisplay = new NumberDisplay(kClockX, kClockY, kClockWidth, kClockHeight, true, false);

    m_controls = new OnScreenControls(this);
    connect(m_controls, &OnScreenControls::menuRequested, this, [this] {
        if (m_game)
            m_game->showInGameMenu();
    });
    m_pinchBaseZoom = m_requestedZoom = m_zoom;
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(kMinimumSize);

    // Whichever panel has the keyboard, these keys switch fullscreen; the
    // game has a single window, so they belong to the application.
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_F11), QKeySequence(Qt::ALT | Qt::Key_Return),
             QKeySequence(Qt::ALT | Qt::Key_Enter)}) {
        auto *shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::ApplicationShortcut);
        connect(shortcut, &QShortcut::activated, this, &GameView::toggleFullScreen);
    }
}

GameView::~GameView()
{
    delete m_timeDisplay;
}

bool GameView::openGLAvailable(bool acceleratedOnly)
{
    return OpenGLSupport::available(acceleratedOnly);
}

bool GameView::useOpenGLViewport(bool acceleratedOnly)
{
    if (!openGLAvailable(acceleratedOnly))
        return false;
    setViewport(new QOpenGLWidget);
    if (m_game)
        viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    m_openGL = true;
    return true;
}

void GameView::setGame(MyGame *game)
{
    m_game = game;
    viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    // Meant to run once; a second call replaces every button.
    m_controls->create(game);
    layoutControls();
    setBackgroundImage(QStringLiteral(":/images/levelpack1bg.jpg"));
}

void GameView::setFullScreen(bool on)
{
    if (on == isFullScreen())
        return;
    setWindowState(on ? (windowState() | Qt::WindowFullScreen) : (windowState() & ~Qt::WindowFullScreen));
}

void GameView::toggleFullScreen()
{
    setFullScreenSetting(!isFullScreen());
}

void GameView::setFullScreenSetting(bool on)
{
    setFullScreen(on);
    if (m_game && m_game->levelManager())
        m_game->playerSettings()->storeFullScreen(on);
}

void GameView::applyFullScreenSetting()
{
    if (!m_game || !m_game->levelManager())
        return;
    if (const std::optional<bool> on = m_game->playerSettings()->storedFullScreen())
        setFullScreen(*on);
}

void GameView::setBackgroundImage(const QString &path)
{
    m_background.setImage(path);
    viewport()->update();
}

void GameView::setTime(qreal seconds)
{
    if (m_timeDisplay->setValue(seconds))
        viewport()->update();
}

// --- Zoom -------------------------------------------------------------------

void GameView::setZoom(qreal z)
{
    const qreal zoom = z < 0.0 ? 0.0 : z;
    m_zoom = m_requestedZoom = m_pinchBaseZoom = zoom;
    resetTransform();
    scale(zoom, zoom);
}

void GameView::applyRequestedZoom()
{
    if (m_requestedZoom == m_zoom)
        return;
    m_zoom = m_requestedZoom;
    setTransform(QTransform::fromScale(m_zoom, m_zoom));
}

void GameView::discardRequestedZoom()
{
    m_requestedZoom = m_zoom;
}

bool GameView::zoomRequested() const
{
    return m_requestedZoom != m_zoom;
}

void GameView::pinch(QTouchEvent *e)
{
    const QList<QEventPoint> &points = e->points();
    if (points.size() != 2 || m_controls->padPressed())
        return;
    const qreal startDistance = QLineF(points[0].pressPosition(), points[1].pressPosition()).length();
    if (startDistance <= 0.0)
        return;
    qreal f = QLineF(points[0].position(), points[1].position()).length() / startDistance;
    if (e->touchPointStates() & QEventPoint::Released) {
        m_pinchBaseZoom *= f;
        m_controls->suppressMenuRelease();
        f = 1.0;
    }
    // Moving the base rather than clamping the product makes the gesture
    // reverse at once when the fingers turn back at a limit.
    qreal total = m_pinchBaseZoom * f;
    if (total <= kMinZoom) {
        m_pinchBaseZoom = kMinZoom / f;
        total = m_pinchBaseZoom * f;
    }
    if (total >= kMaxZoom) {
        m_pinchBaseZoom = kMaxZoom / f;
        total = m_pinchBaseZoom * f;
    }
    m_requestedZoom = total;
}

// --- Input ------------------------------------------------------------------

void GameView::keyPressEvent(QKeyEvent *e)
{
    if (!m_game) {
        QGraphicsView::keyPressEvent(e);
        return;
    }
    switch (m_game->keyBindings().actionForKey(e->key())) {
    case KeyBindings::Throttle:
        m_game->throttleOnBike();
        m_controls->throttleButton()->setPressed(true);
        break;
    case KeyBindings::Brake:
        m_game->brakeOnBike();
        m_controls->brakeButton()->setPressed(true);
        break;
    case KeyBindings::LeanBack:
        m_game->addRiderTiltOn();
        break;
    case KeyBindings::LeanForward:
        m_game->decRiderTiltOn();
        break;
    case KeyBindings::ZoomIn:
        m_game->zoomIn(kKeyZoomStep, kKeyZoomMs, true);
        break;
    case KeyBindings::ZoomOut:
        m_game->zoomOut(kKeyZoomStep, kKeyZoomMs, true);
        break;
    case KeyBindings::Restart:
        m_game->resetWithoutControlAnimations();
        break;
    case KeyBindings::Menu:
        m_game->showInGameMenu();
        break;
    default:
        // Keys no action holds: the fixed ones. Escape opens the menu
        // whatever the menu action's keys are.
        switch (e->key()) {
        case Qt::Key_PageUp:
            m_game->volumeUp();
            break;
        case Qt::Key_PageDown:
            m_game->volumeDown();
            break;
        case Qt::Key_G:
            m_game->toggleGhost();
            break;
        case Qt::Key_Escape:
            m_game->showInGameMenu();
            break;
        default:
            QGraphicsView::keyPressEvent(e);
            return;
        }
    }
    viewport()->update();
}

void GameView::keyReleaseEvent(QKeyEvent *e)
{
    if (!m_game) {
        QGraphicsView::keyReleaseEvent(e);
        return;
    }
    // Auto-repeat sends release/press pairs; a held key must stay held.
    if (e->isAutoRepeat()) {
        e->ignore();
        return;
    }
    switch (m_game->keyBindings().actionForKey(e->key())) {
    case KeyBindings::Throttle:
        m_game->throttleOffBike();
        m_controls->throttleButton()->setPressed(false);
        break;
    case KeyBindings::Brake:
        m_game->brakeOffBike();
        m_controls->brakeButton()->setPressed(false);
        break;
    case KeyBindings::LeanBack:
        m_game->decRiderTiltOff();
        break;
    case KeyBindings::LeanForward:
        m_game->addRiderTiltOff();
        break;
    default:
        if (e->key() == Qt::Key_PageUp || e->key() == Qt::Key_PageDown) {
            e->ignore();
            return;
        }
        QGraphicsView::keyReleaseEvent(e);
        return;
    }
    viewport()->update();
}

void GameView::mousePressEvent(QMouseEvent *e)
{
    QGraphicsView::mousePressEvent(e);
    if (m_controls->pressAt(e->position()))
        e->accept();
}

void GameView::mouseReleaseEvent(QMouseEvent *e)
{
    // Any release lifts every pressed button, wherever it happens.
    Q_UNUSED(e);
    m_controls->releaseAll();
}

void GameView::mouseDoubleClickEvent(QMouseEvent *e)
{
    mousePressEvent(e);
}

bool GameView::viewportEvent(QEvent *e)
{
    switch (e->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel: {
        // Touches are taken whole (no mouse events are made from them), so
        // the buttons are pressed here: each finger that lands presses what
        // lies under it, and lifting it releases what it pressed.
        auto *touch = static_cast<QTouchEvent *>(e);
        for (const QEventPoint &point : touch->points()) {
            if (point.state() == QEventPoint::Pressed)
                m_controls->pressTouch(point.id(), point.position());
        }
        // A pinch that ends keeps the menu button's release from opening it.
        if (e->type() != QEvent::TouchCancel)
            pinch(touch);
        for (const QEventPoint &point : touch->points()) {
            if (point.state() == QEventPoint::Released)
                m_controls->releaseTouch(point.id());
        }
        // No finger is left down after these.
        if (e->type() == QEvent::TouchEnd || e->type() == QEvent::TouchCancel)
            m_controls->releaseAll();
        return true;
    }
    default:
        return QGraphicsView::viewportEvent(e);
    }
}

// --- Controls ---------------------------------------------------------------

void GameView::showControls()
{
    m_controls->show();
}

void GameView::hideControls()
{
    m_controls->hide();
}

void GameView::setButtonsOff()
{
    m_controls->setButtonsOff();
}

void GameView::layoutControls()
{
    m_controls->layout();
    const qreal vw = viewport()->width();
    m_timeDisplay->setRect(kClockLeft, 0.0, vw - kClockLeft, kClockRowHeight);
}

// --- Painting ---------------------------------------------------------------

QRectF GameView::visibleSceneRect(const QRectF &viewportRect) const
{
    const QPointF topLeft = mapToScene(QPoint(0, 0));
    const QPointF bottomRight = mapToScene(QPoint(int(viewportRect.width()), int(viewportRect.height())));
    return QRectF(topLeft, bottomRight);
}

GameView::BackgroundPlacement GameView::parallaxPlacement(const QRectF &viewportRect) const
{
    return m_background.placement(viewportRect, sceneRect(), visibleSceneRect(viewportRect), m_zoom);
}

// One painter draws the whole frame: the parallax background, the scene and
// the HUD. An OpenGL viewport clears itself each time a painter begins on
// it, so painting the layers with separate painters would leave only the
// last one.
void GameView::drawBackground(QPainter *painter, const QRectF &rect)
{
    Q_UNUSED(rect);
    painter->save();
    painter->resetTransform();
    const QRectF viewportRect(0.0, 0.0, viewport()->width(), viewport()->height());
    const QRect covered
        = m_background.draw(painter, viewportRect, sceneRect(), visibleSceneRect(viewportRect), m_zoom);
    // What no picture covers gets the viewport's background colour.
    const QRegion uncovered = QRegion(viewportRect.toAlignedRect()) - covered;
    for (const QRect &r : uncovered)
        painter->fillRect(r, viewport()->palette().brush(viewport()->backgroundRole()));
    painter->restore();
}

void GameView::drawForeground(QPainter *painter, const QRectF &rect)
{
    Q_UNUSED(rect);
    painter->save();
    painter->resetTransform();
    m_controls->paint(painter);
    m_timeDisplay->paint(painter);
    painter->restore();
}

void GameView::resizeEvent(QResizeEvent *e)
{
    // The base class keeps the scrollable area in step with the viewport's
    // size; without it the camera would clamp to the old size.
    QGraphicsView::resizeEvent(e);
    layoutControls();
    viewport()->update();
    if (m_game)
        m_game->resizeWindow();
}

void GameView::closeEvent(QCloseEvent *e)
{
    if (m_game && !m_game->isExiting()) {
        e->ignore();
        m_game->exit();
    } else {
        e->accept();
    }
}

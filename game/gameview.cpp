#include "gameview.h"

#include "game/mygame.h"
#include "game/zoomlimits.h"
#include "menus/buttonpixmap.h"
#include "menus/numberdisplay.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineF>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QPainter>
#include <QPropertyAnimation>
#include <QTouchEvent>
#include <cmath>

namespace {
// Run clock: x, y, width, height in viewport pixels, then laid out per size.
constexpr qreal kClockX = 100.0;
constexpr qreal kClockY = 0.0;
constexpr qreal kClockWidth = 500.0;
constexpr qreal kClockHeight = 90.0;
constexpr qreal kClockLeft = 80.0;
constexpr qreal kClockRowHeight = 80.0;

// Controls slide between 0 (off the screen) and 100 (in place); the value
// is also the distance in pixels they travel.
constexpr int kControlsHidden = 0;
constexpr int kControlsShown = 100;
constexpr int kShowControlsMs = 400;
constexpr int kHideControlsMs = 300;

// On-screen button pictures are 64 x 64; their hit areas reach far beyond
// them so that the lower corners of the window act as pads.
constexpr qreal kButtonSize = 64.0;
constexpr qreal kBrakeX = 15.0;
constexpr qreal kThrottleX = 500.0;
constexpr qreal kBottomInitialY = 100.0;
constexpr qreal kBrakeHitX = -60.0;
constexpr qreal kThrottleHitX = -70.0;
constexpr qreal kPadHitY = -110.0;
constexpr qreal kBrakeHitWidth = 204.0;
constexpr qreal kThrottleHitWidth = 194.0;
constexpr qreal kPadHitHeight = 234.0;
constexpr qreal kMenuButtonX = 14.0;
constexpr qreal kMenuButtonY = 6.0;
constexpr qreal kMenuButtonHit = -10.0;
constexpr qreal kMenuButtonHitSize = 66.0;
constexpr qreal kTopButtonsY = 10.0;
// The whole top strip of the window opens the in-game menu.
constexpr qreal kMenuStripHeight = 90.0;

// Control margins: large windows keep the pads further from the edges.
constexpr int kLargeViewMinHeight = 501;
constexpr qreal kLargeMargin = 35.0;
constexpr qreal kLargeExtra = 15.0;
constexpr qreal kSmallMargin = 20.0;
// Resting y of the pads lies this far below the top of their picture slot.
constexpr qreal kBottomRestOffset = 12.0;

// Key zoom: one step, in ms, at constant speed.
constexpr qreal kKeyZoomStep = 0.11;
constexpr int kKeyZoomMs = 240;
} // namespace

GameView::GameView(QWidget *parent)
    : QGraphicsView(parent)
{
    setViewportUpdateMode(QGraphicsView::SmartViewportUpdate);
    setDragMode(QGraphicsView::NoDrag);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(0);

    m_timeDisplay = new NumberDisplay(kClockX, kClockY, kClockWidth, kClockHeight, true, false);

    m_showControlsAnimation = new QPropertyAnimation(this, "controlsPosition", this);
    m_showControlsAnimation->setDuration(kShowControlsMs);
    m_showControlsAnimation->setStartValue(kControlsHidden);
    m_showControlsAnimation->setEndValue(kControlsShown);
    m_showControlsAnimation->setEasingCurve(QEasingCurve::OutBack);
    connect(m_showControlsAnimation, &QPropertyAnimation::finished, this, &GameView::showControlsFinished);

    m_hideControlsAnimation = new QPropertyAnimation(this, "controlsPosition", this);
    m_hideControlsAnimation->setDuration(kHideControlsMs);
    m_hideControlsAnimation->setStartValue(kControlsShown);
    m_hideControlsAnimation->setEndValue(kControlsHidden);
    m_hideControlsAnimation->setEasingCurve(QEasingCurve::InCubic);
    connect(m_hideControlsAnimation, &QPropertyAnimation::finished, this, &GameView::hideControlsFinished);

    m_controlsPosition = kControlsHidden;
    m_pinchBaseZoom = m_requestedZoom = m_zoom;
    setFocusPolicy(Qt::StrongFocus);
}

GameView::~GameView()
{
    qDeleteAll(m_buttons);
    delete m_timeDisplay;
}

bool GameView::openGLAvailable(bool acceleratedOnly)
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    QOpenGLContext context;
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return false;
    const auto *renderer = reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    const QByteArray name = QByteArray(renderer ? renderer : "").toLower();
    context.doneCurrent();
    if (name.isEmpty())
        return false;
    if (!acceleratedOnly)
        return true;
    for (const char *software : {"llvmpipe", "softpipe", "swrast", "software"}) {
        if (name.contains(software))
            return false;
    }
    return true;
}

bool GameView::useOpenGLViewport(bool acceleratedOnly)
{
    if (!openGLAvailable(acceleratedOnly))
        return false;
    setViewport(new QOpenGLWidget);
    // A GL viewport is redrawn as a whole in any case.
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    if (m_game)
        viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    m_openGL = true;
    return true;
}

ButtonPixmap *GameView::newButton(const QString &off, const QString &on, qreal x, qreal y, qreal hitX,
    qreal hitY, qreal hitWidth, qreal hitHeight)
{
    auto *button
        = new ButtonPixmap(off, on, x, y, kButtonSize, kButtonSize, hitX, hitY, hitWidth, hitHeight, 0);
    m_buttons.append(button);
    return button;
}

void GameView::setGame(MyGame *game)
{
    m_game = game;
    viewport()->setAttribute(Qt::WA_AcceptTouchEvents);

    // setGame is meant to run once; a second call replaces every button.
    qDeleteAll(m_buttons);
    m_buttons.clear();

    m_brakeButton
        = newButton(QStringLiteral(":/images/brake_off.png"), QStringLiteral(":/images/brake_on.png"),
            kBrakeX, kBottomInitialY, kBrakeHitX, kPadHitY, kBrakeHitWidth, kPadHitHeight);
    connect(m_brakeButton, &ButtonPixmap::pressed, game, &MyGame::brakeOnBike);
    connect(m_brakeButton, &ButtonPixmap::released, game, &MyGame::brakeOffBike);

    m_throttleButton
        = newButton(QStringLiteral(":/images/throttle_off.png"), QStringLiteral(":/images/throttle_on.png"),
            kThrottleX, kBottomInitialY, kThrottleHitX, kPadHitY, kThrottleHitWidth, kPadHitHeight);
    connect(m_throttleButton, &ButtonPixmap::pressed, game, &MyGame::throttleOnBike);
    connect(m_throttleButton, &ButtonPixmap::released, game, &MyGame::throttleOffBike);

    m_topButtonsY = kTopButtonsY;
    m_menuButton = newButton(QStringLiteral(":/images/ingamemenu_off.png"),
        QStringLiteral(":/images/ingamemenu_on.png"), kMenuButtonX, kMenuButtonY, kMenuButtonHit,
        kMenuButtonHit, kMenuButtonHitSize, kMenuButtonHitSize);
    connect(m_menuButton, &ButtonPixmap::pressed, this, &GameView::showInGameMenuPressed);
    connect(m_menuButton, &ButtonPixmap::released, this, &GameView::showInGameMenuReleased);

    layoutControls();
    hideControlsFinished();
    m_menuButton->setVisible(true);
    setControlsPosition(kControlsHidden);
    setBackgroundImage(QStringLiteral(":/images/levelpack1bg.jpg"));
}

void GameView::setBackgroundImage(const QString &path)
{
    m_backgroundPixmap = QPixmap(path);
    m_backgroundWidth = m_backgroundPixmap.width();
    m_backgroundHeight = m_backgroundPixmap.height();
    viewport()->update();
}

void GameView::setTime(qreal seconds)
{
    if (m_timeDisplay->setValue(seconds))
        viewport()->update();
}

void GameView::setFps(qreal fps)
{
    Q_UNUSED(fps);
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

bool GameView::bottomButtonPressed() const
{
    return (m_throttleButton && m_throttleButton->isPressed())
        || (m_brakeButton && m_brakeButton->isPressed());
}

void GameView::pinch(QTouchEvent *e)
{
    const QList<QEventPoint> &points = e->points();
    if (points.size() != 2 || bottomButtonPressed())
        return;
    const qreal startDistance = QLineF(points[0].pressPosition(), points[1].pressPosition()).length();
    if (startDistance <= 0.0)
        return;
    qreal f = QLineF(points[0].position(), points[1].position()).length() / startDistance;
    if (e->touchPointStates() & QEventPoint::Released) {
        m_pinchBaseZoom *= f;
        m_menuReleaseSuppressed = true;
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
    switch (e->key()) {
    case Qt::Key_W:
    case Qt::Key_Up:
        m_game->throttleOnBike();
        m_throttleButton->setPressed(true);
        break;
    case Qt::Key_S:
    case Qt::Key_Down:
        m_game->brakeOnBike();
        m_brakeButton->setPressed(true);
        break;
    case Qt::Key_A:
    case Qt::Key_Left:
        m_game->addRiderTiltOn();
        break;
    case Qt::Key_D:
    case Qt::Key_Right:
        m_game->decRiderTiltOn();
        break;
    case Qt::Key_Plus:
    case Qt::Key_J:
        m_game->zoomIn(kKeyZoomStep, kKeyZoomMs, true);
        break;
    case Qt::Key_Minus:
    case Qt::Key_K:
        m_game->zoomOut(kKeyZoomStep, kKeyZoomMs, true);
        break;
    case Qt::Key_R:
    case Qt::Key_Backspace:
        m_game->resetWithoutControlAnimations();
        break;
    case Qt::Key_PageUp:
        m_game->volumeUp();
        break;
    case Qt::Key_PageDown:
        m_game->volumeDown();
        break;
    case Qt::Key_Escape:
    case Qt::Key_MediaPrevious:
        m_game->showInGameMenu();
        break;
    default:
        QGraphicsView::keyPressEvent(e);
        return;
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
    switch (e->key()) {
    case Qt::Key_W:
    case Qt::Key_Up:
        m_game->throttleOffBike();
        m_throttleButton->setPressed(false);
        break;
    case Qt::Key_S:
    case Qt::Key_Down:
        m_game->brakeOffBike();
        m_brakeButton->setPressed(false);
        break;
    case Qt::Key_A:
    case Qt::Key_Left:
        m_game->decRiderTiltOff();
        break;
    case Qt::Key_D:
    case Qt::Key_Right:
        m_game->addRiderTiltOff();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        e->ignore();
        return;
    default:
        QGraphicsView::keyReleaseEvent(e);
        return;
    }
    viewport()->update();
}

bool GameView::pressButtonsAt(const QPointF &pos)
{
    // Every button is tested: overlapping hit areas press several buttons.
    bool hit = false;
    for (ButtonPixmap *button : std::as_const(m_buttons)) {
        if (button->isActive() && button->contains(pos)) {
            button->setPressed(true);
            viewport()->update();
            hit = true;
        }
    }
    return hit;
}

void GameView::releaseButtons()
{
    for (ButtonPixmap *button : std::as_const(m_buttons)) {
        if (button->isActive() && button->isPressed()) {
            button->setPressed(false);
            viewport()->update();
        }
    }
}

void GameView::mousePressEvent(QMouseEvent *e)
{
    QGraphicsView::mousePressEvent(e);
    if (pressButtonsAt(e->position()))
        e->accept();
}

void GameView::mouseReleaseEvent(QMouseEvent *e)
{
    // Any release lifts every pressed button, wherever it happens.
    Q_UNUSED(e);
    releaseButtons();
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
        // lies under it, and lifting the last finger releases them all.
        auto *touch = static_cast<QTouchEvent *>(e);
        for (const QEventPoint &point : touch->points()) {
            if (point.state() == QEventPoint::Pressed)
                pressButtonsAt(point.position());
        }
        if (e->type() != QEvent::TouchCancel)
            pinch(touch);
        if (e->type() == QEvent::TouchEnd || e->type() == QEvent::TouchCancel)
            releaseButtons();
        return true;
    }
    default:
        return QGraphicsView::viewportEvent(e);
    }
}

void GameView::showInGameMenuPressed()
{
    m_menuReleaseSuppressed = false;
}

void GameView::showInGameMenuReleased()
{
    if (!m_menuReleaseSuppressed && m_game)
        m_game->showInGameMenu();
}

// --- Controls ---------------------------------------------------------------

void GameView::setControlsPosition(qreal position)
{
    m_controlsPosition = position;
    const qreal bottomY = (kControlsShown - position) + m_bottomButtonsY;
    if (m_throttleButton)
        m_throttleButton->setY(bottomY);
    if (m_brakeButton)
        m_brakeButton->setY(bottomY);
    if (m_menuButton)
        m_menuButton->setY(position - kControlsShown + m_topButtonsY);
    layoutMenuButtonHitArea();
    viewport()->update();
}

void GameView::showControls()
{
    for (ButtonPixmap *button : {m_throttleButton, m_brakeButton, m_menuButton}) {
        if (button)
            button->setVisible(true);
    }
    viewport()->update();
    m_showControlsAnimation->start();
}

void GameView::hideControls()
{
    m_hideControlsAnimation->start();
}

void GameView::hideControlsFinished()
{
    if (m_throttleButton)
        m_throttleButton->setVisible(false);
    if (m_brakeButton)
        m_brakeButton->setVisible(false);
    layoutMenuButtonHitArea();
    viewport()->update();
}

void GameView::showControlsFinished()
{
    layoutMenuButtonHitArea();
}

void GameView::setButtonsOff()
{
    for (ButtonPixmap *button : {m_throttleButton, m_brakeButton}) {
        if (button && button->isVisible())
            button->setPressed(false);
    }
}

void GameView::layoutControls()
{
    if (!m_throttleButton || !m_brakeButton)
        return;
    const qreal vw = viewport()->width();
    const qreal vh = viewport()->height();
    const bool large = vh >= kLargeViewMinHeight;
    const qreal margin = large ? kLargeMargin : kSmallMargin;
    const qreal extra = large ? kLargeExtra : 0.0;
    const qreal y = vh - m_throttleButton->size().height() - margin - extra;
    m_bottomButtonsY = y + kBottomRestOffset;
    m_brakeButton->setPos(margin, y);
    m_throttleButton->setPos(vw - m_throttleButton->size().width() - margin, y);
    m_timeDisplay->setRect(kClockLeft, 0.0, vw - kClockLeft, kClockRowHeight);
    layoutMenuButtonHitArea();
}

void GameView::layoutMenuButtonHitArea()
{
    if (m_menuButton)
        m_menuButton->setHitArea(
            -m_menuButton->x(), -m_menuButton->y(), viewport()->width(), kMenuStripHeight);
}

// --- Painting ---------------------------------------------------------------

GameView::BackgroundPlacement GameView::parallaxPlacement(const QRectF &rect) const
{
    const qreal vw = rect.width();
    const qreal vh = rect.height();
    const QRectF s = sceneRect();
    const QPointF topLeft = mapToScene(QPoint(0, 0));
    const QPointF bottomRight = mapToScene(QPoint(int(vw), int(vh)));
    const qreal pw = m_backgroundWidth;
    const qreal ph = m_backgroundHeight;

    const qreal kx = (pw - vw) / ((s.x() + s.width() - (bottomRight.x() - topLeft.x())) - s.x());
    qreal srcX = (topLeft.x() - s.x()) * kx;
    if (srcX < 0.0)
        srcX = 0.0;
    const qreal ky = (ph - vh) / ((s.y() + s.height()) / m_zoom - (bottomRight.y() - topLeft.y()) - s.y());
    qreal srcY = (topLeft.y() - s.y()) * ky;
    if (srcY < 0.0)
        srcY = 0.0;
    if (srcY > ph - vh)
        srcY = ph - vh;
    // Non-finite offsets (a scene no wider than the view) start at the edge.
    if (!std::isfinite(srcX))
        srcX = 0.0;
    if (!std::isfinite(srcY))
        srcY = 0.0;

    BackgroundPlacement placement;
    if (vh <= ph) {
        placement.source = QRectF(int(srcX), int(srcY), int(vw), int(vh));
        placement.target = QRectF(0.0, 0.0, int(vw), int(vh));
    } else {
        const qreal s = vh / ph;
        placement.source = QRectF(int(srcX), 0.0, int(vw), ph);
        placement.target = QRectF(0.0, 0.0, int(vw) * s, vh);
    }
    return placement;
}

void GameView::drawParallaxBackground(QPainter *painter, const QRectF &rect)
{
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    if (m_backgroundWidth <= 0 || m_backgroundHeight <= 0)
        return;
    const BackgroundPlacement placement = parallaxPlacement(rect);
    painter->drawPixmap(placement.target, m_backgroundPixmap, placement.source);
}

void GameView::paintEvent(QPaintEvent *e)
{
    {
        QPainter painter(viewport());
        drawParallaxBackground(&painter, QRectF(0.0, 0.0, viewport()->width(), viewport()->height()));
    }
    QGraphicsView::paintEvent(e);
    QPainter painter(viewport());
    for (ButtonPixmap *button : std::as_const(m_buttons))
        button->paint(&painter);
    m_timeDisplay->paint(&painter);
}

void GameView::drawBackground(QPainter *painter, const QRectF &rect)
{
    Q_UNUSED(painter);
    Q_UNUSED(rect);
}

void GameView::drawForeground(QPainter *painter, const QRectF &rect)
{
    Q_UNUSED(painter);
    Q_UNUSED(rect);
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

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GAMEVIEW_H
#define GAMEVIEW_H

#include "game/onscreencontrols.h"
#include "game/parallaxbackground.h"

#include <QGraphicsView>
#include <QPixmap>
#include <QVector>

class ButtonPixmap;
class MyGame;
class NumberDisplay;
class QPropertyAnimation;
class QTouchEvent;

// The game's window: shows the scene through the camera, draws the level
// pack's background with parallax beneath it and the on-screen controls and
// run clock over it, and turns keys (through the controller's key
// bindings), mouse and touch into calls on the controller. The menus are
// child widgets created by the controller.
//
// Zoom: `zoom` is the scale applied to the view; a pinch writes only
// `requestedZoom`, which the controller applies between ticks.
class GameView : public QGraphicsView
{
    Q_OBJECT
public:
    // The smallest the window may become: the HUD and every menu (scaled
    // down where needed) stay whole at this size.
    static constexpr QSize kMinimumSize {400, 300};

    explicit GameView(QWidget *parent = nullptr);
    ~GameView() override;

    // Creates the on-screen buttons and connects them to the controller.
    void setGame(MyGame *game);
    MyGame *game() const { return m_game; }

    // Whether an OpenGL context can be made on this platform (never on the
    // offscreen and minimal platforms). With acceleratedOnly, a software
    // rasterizer (llvmpipe and the like) does not count: it draws the game
    // many times slower than the raster engine. Safe before any window exists.
    static bool openGLAvailable(bool acceleratedOnly = true);
    // Puts the scene on an OpenGL viewport; false (raster kept) when OpenGL
    // is not available in the sense above.
    bool useOpenGLViewport(bool acceleratedOnly = true);
    bool isOpenGLViewport() const { return m_openGL; }

    // Fullscreen or back to the window. toggleFullScreen (F11, Alt+Enter)
    // also stores the choice in the player's settings, which
    // applyFullScreenSetting applies at start; a bad stored value is logged
    // and leaves the window as it is.
    void setFullScreen(bool on);
    void toggleFullScreen();
    // Fullscreen or not, stored as the player's choice.
    void setFullScreenSetting(bool on);
    void applyFullScreenSetting();

    void setBackgroundImage(const QString &path);
    // The level's ground height (scene y) that the background's horizon
    // is placed against.
    void setBackgroundGroundLevel(qreal sceneY) { m_background.setGroundLevel(sceneY); }
    const QPixmap &backgroundPixmap() const { return m_background.pixmap(); }
    void setTime(qreal seconds);

    qreal zoom() const { return m_zoom; }
    void setZoom(qreal z);
    qreal requestedZoom() const { return m_requestedZoom; }
    qreal pinchBaseZoom() const { return m_pinchBaseZoom; }
    void applyRequestedZoom();
    void discardRequestedZoom();
    bool zoomRequested() const;

    OnScreenControls *controls() const { return m_controls; }
    qreal controlsPosition() const { return m_controls->position(); }
    void setControlsPosition(qreal position) { m_controls->setPosition(position); }
    qreal bottomButtonsY() const { return m_controls->bottomButtonsY(); }
    bool menuReleaseSuppressed() const { return m_controls->menuReleaseSuppressed(); }
    ButtonPixmap *throttleButton() const { return m_controls->throttleButton(); }
    ButtonPixmap *brakeButton() const { return m_controls->brakeButton(); }
    ButtonPixmap *menuButton() const { return m_controls->menuButton(); }
    const QVector<ButtonPixmap *> &buttons() const { return m_controls->buttons(); }
    QPropertyAnimation *showControlsAnimation() const { return m_controls->showAnimation(); }
    QPropertyAnimation *hideControlsAnimation() const { return m_controls->hideAnimation(); }
    NumberDisplay *timeDisplay() const { return m_timeDisplay; }

    // Source and target of the background for a viewport rectangle, as
    // the frame paints it (exposed for checking the formula).
    using BackgroundPlacement = ParallaxBackground::Placement;
    BackgroundPlacement parallaxPlacement(const QRectF &viewportRect) const;

public slots:
    void hideControls();
    void showControls();
    void setButtonsOff();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    bool viewportEvent(QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    void layoutControls();
    // The part of the scene the viewport rectangle shows, in scene units.
    QRectF visibleSceneRect(const QRectF &viewportRect) const;
    void pinch(QTouchEvent *e);

    qreal m_zoom = 1.0;
    MyGame *m_game = nullptr;
    OnScreenControls *m_controls = nullptr;
    NumberDisplay *m_timeDisplay = nullptr;
    ParallaxBackground m_background;
    qreal m_pinchBaseZoom = 1.0;
    qreal m_requestedZoom = 1.0;
    bool m_openGL = false;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GAMECAMERA_H
#define GAMECAMERA_H

#include <QPointF>
#include <QtGlobal>

class GameView;
class QObject;
class QPropertyAnimation;

// The camera of the game controller: following the bike with a look-ahead,
// the level-start zoom, key zooms and the shake of hard collisions. The
// three animations drive the controller's "zoom", "cameraOffCenter" and
// "cameraOffAngle" properties; they are children of the controller and are
// deleted with this helper.
class GameCamera
{
public:
    // Zoom of a level's first frames, before the glide in.
    static constexpr qreal kLevelStartZoom = 0.4;

    // controller: the object with the three properties; view may be null;
    // windowWidth: the width (pixels) of the window the game starts in.
    GameCamera(QObject *controller, GameView *view, int windowWidth);
    ~GameCamera();
    GameCamera(const GameCamera &) = delete;
    GameCamera &operator=(const GameCamera &) = delete;

    QPropertyAnimation *zoomAnimation() const { return m_zoomAnimation; }
    QPropertyAnimation *offCenterAnimation() const { return m_offCenterAnimation; }
    QPropertyAnimation *offAngleAnimation() const { return m_offAngleAnimation; }
    // End of the last zoom request or level start; -1 before the first.
    qreal zoomTarget() const { return m_zoomTarget; }

    // The zoom a first level start glides to: wide windows see less.
    qreal defaultZoom() const;
    static qreal defaultZoomForWidth(int windowWidth);

    // Between ticks: a pinch request stops a running glide and is applied;
    // while the bike is hidden pinches are dropped.
    void takeRequestedZoom(bool bikeVisible);
    // Centres the view on the followed point (scene units) plus the look-ahead.
    void follow(const QPointF &point);
    // Sets up (does not start) the glide from kLevelStartZoom to the
    // player's zoom, or to the default zoom on the first level.
    void prepareLevelStart();
    // Makes z (within the zoom range) the player's zoom, as if zoomed there:
    // the next level start glides to it.
    void restoreZoom(qreal z);
    // Zoom in or out by step within the zoom range over ms; false when
    // refused: no view, a zoom younger than 300 ms running, or already at
    // the limit in that direction.
    bool zoom(bool in, qreal step, int ms, bool linear);
    // Shake from a hard hit; ignored per property while its shake runs.
    void shake(qreal speedX, qreal speedY, qreal angularVelocity);

private:
    bool zoomBlocked();

    GameView *m_view;
    int m_windowWidth;
    QPropertyAnimation *m_zoomAnimation;
    QPropertyAnimation *m_offCenterAnimation;
    QPropertyAnimation *m_offAngleAnimation;
    qreal m_zoomTarget = -1.0;
};

#endif

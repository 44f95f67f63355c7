// SPDX-License-Identifier: GPL-3.0-or-later
#include "gamecamera.h"

#include "game/gameview.h"
#include "game/zoomlimits.h"

#include <QPropertyAnimation>
#include <cstdlib>

namespace {
// A running zoom younger than this refuses new requests.
constexpr int kZoomBlockMs = 300;
// Level start: from far out, gliding in.
constexpr int kLevelStartZoomMs = 2500;
constexpr qreal kWideDefaultZoom = qreal(0.65f);
constexpr qreal kNarrowDefaultZoom = qreal(0.54f);
constexpr int kWideWindowMinWidth = 791;

// Look-ahead: the bike sits left of centre by the visible width over these
// divisors (narrow windows also look 20 units further down).
constexpr int kNarrowViewMaxWidth = 599;
constexpr int kMediumViewMaxWidth = 999;
constexpr qreal kNarrowLookAheadDivisor = 3.5;
constexpr qreal kMediumLookAheadFactor = 0.25;
constexpr qreal kWideLookAheadDivisor = 3.8;
constexpr qreal kNarrowLookDown = 20.0;

// Shake: offset = speed / 90 scene units, angle = angular velocity / 17
// degrees; durations 50 ... 159 ms and 50 ... 149 ms.
constexpr qreal kShakeSpeedDivisor = 90.0;
constexpr qreal kShakeAngleDivisor = 17.0;
constexpr int kShakeOffsetMsSpread = 110;
constexpr int kShakeAngleMsSpread = 100;
constexpr int kShakeMinMs = 50;
} // namespace

GameCamera::GameCamera(QObject *controller, GameView *view, int windowWidth)
    : m_view(view)
    , m_windowWidth(windowWidth)
    , m_zoomAnimation(new QPropertyAnimation(controller, "zoom", controller))
    , m_offCenterAnimation(new QPropertyAnimation(controller, "cameraOffCenter", controller))
    , m_offAngleAnimation(new QPropertyAnimation(controller, "cameraOffAngle", controller))
{ }

GameCamera::~GameCamera()
{
    delete m_zoomAnimation;
    delete m_offCenterAnimation;
    delete m_offAngleAnimation;
}

qreal GameCamera::defaultZoom() const
{
    return defaultZoomForWidth(m_windowWidth);
}

qreal GameCamera::defaultZoomForWidth(int windowWidth)
{
    return windowWidth >= kWideWindowMinWidth ? kWideDefaultZoom : kNarrowDefaultZoom;
}

void GameCamera::takeRequestedZoom(bool bikeVisible)
{
    if (!m_view)
        return;
    if (!bikeVisible) {
        m_view->discardRequestedZoom();
        return;
    }
    if (m_zoomAnimation->state() == QAbstractAnimation::Running && m_view->zoomRequested())
        m_zoomAnimation->stop();
    m_view->applyRequestedZoom();
}

void GameCamera::follow(const QPointF &p)
{
    if (!m_view)
        return;
    const int w = m_view->width();
    const qreal z = m_view->zoom();
    // A zoom of 0 (only by a direct property write) has no visible width.
    if (z <= 0.0)
        return;
    if (w <= kNarrowViewMaxWidth)
        m_view->centerOn(p.x() + (w / kNarrowLookAheadDivisor) / z, p.y() - kNarrowLookDown);
    else if (w <= kMediumViewMaxWidth)
        m_view->centerOn(p.x() + (kMediumLookAheadFactor * w) / z, p.y());
    else
        m_view->centerOn(p.x() + (w / kWideLookAheadDivisor) / z, p.y());
}

void GameCamera::prepareLevelStart()
{
    const qreal current = m_view ? m_view->zoom() : 1.0;
    m_zoomTarget = m_zoomTarget >= 0.0 ? current : defaultZoom();
    m_zoomAnimation->stop();
    m_zoomAnimation->setStartValue(kLevelStartZoom);
    m_zoomAnimation->setEndValue(m_zoomTarget);
    m_zoomAnimation->setEasingCurve(QEasingCurve::InOutQuart);
    m_zoomAnimation->setDuration(kLevelStartZoomMs);
}

void GameCamera::restoreZoom(qreal z)
{
    m_zoomTarget = z;
    if (m_view)
        m_view->setZoom(z);
}

bool GameCamera::zoomBlocked()
{
    if (m_zoomAnimation->state() != QAbstractAnimation::Running)
        return false;
    if (m_zoomAnimation->currentTime() < kZoomBlockMs)
        return true;
    m_zoomAnimation->stop();
    return false;
}

bool GameCamera::zoom(bool in, qreal step, int ms, bool linear)
{
    if (!m_view || zoomBlocked())
        return false;
    const qreal current = m_view->zoom();
    if (in ? current >= kMaxZoom : current <= kMinZoomExact)
        return false;
    m_zoomTarget = qBound(kMinZoom, in ? current + step : current - step, kMaxZoom);
    m_zoomAnimation->setDuration(ms);
    m_zoomAnimation->setStartValue(current);
    m_zoomAnimation->setEndValue(m_zoomTarget);
    m_zoomAnimation->setEasingCurve(linear ? QEasingCurve::Linear : QEasingCurve::OutSine);
    m_zoomAnimation->start();
    return true;
}

void GameCamera::shake(qreal speedX, qreal speedY, qreal angularVelocity)
{
    if (m_offCenterAnimation->state() != QAbstractAnimation::Running) {
        m_offCenterAnimation->setDuration(std::rand() % kShakeOffsetMsSpread + kShakeMinMs);
        m_offCenterAnimation->setStartValue(
            QPointF(speedX / kShakeSpeedDivisor, speedY / kShakeSpeedDivisor));
        m_offCenterAnimation->setEndValue(QPointF(0.0, 0.0));
        m_offCenterAnimation->setEasingCurve(QEasingCurve::InOutBack);
        m_offCenterAnimation->start();
    }
    if (m_offAngleAnimation->state() != QAbstractAnimation::Running) {
        m_offAngleAnimation->setDuration(std::rand() % kShakeAngleMsSpread + kShakeMinMs);
        m_offAngleAnimation->setStartValue(angularVelocity / kShakeAngleDivisor);
        m_offAngleAnimation->setEndValue(0.0);
        m_offAngleAnimation->setEasingCurve(QEasingCurve::InOutBack);
        m_offAngleAnimation->start();
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "parallaxbackground.h"

#include "physics/densepixmap.h"

#include <QPainter>
#include <cmath>

void ParallaxBackground::setImage(const QString &path)
{
    m_pixmap = DensePixmap::load(path);
}

void ParallaxBackground::setGroundLevel(qreal sceneY)
{
    m_groundY = sceneY;
    m_hasGround = std::isfinite(sceneY);
}

ParallaxBackground::Placement ParallaxBackground::groundedPlacement(
    const QRectF &viewport, const QRectF &scene, const QRectF &visible) const
{
    const qreal vw = viewport.width();
    const qreal vh = viewport.height();
    const qreal pw = m_pixmap.deviceIndependentSize().width();
    const qreal ph = m_pixmap.deviceIndependentSize().height();
    const qreal scale = qMax<qreal>(1.0, vh / ph);
    const qreal sourceWidth = qMin(pw, vw / scale);

    qreal srcX = (visible.x() - scene.x()) * (pw - sourceWidth) / (scene.width() - visible.width());
    if (!std::isfinite(srcX) || srcX < 0.0)
        srcX = 0.0;
    srcX = qMin(srcX, pw - sourceWidth);

    const qreal pixelsPerUnit = vh / visible.height();
    const qreal groundOnScreen = (m_groundY - visible.y()) * pixelsPerUnit;
    const qreal rest = vh * kHorizonRest;
    qreal horizon = rest + (groundOnScreen - rest) * kVerticalFollow;
    if (!std::isfinite(horizon))
        horizon = rest;

    Placement placement;
    placement.source = QRectF(int(srcX), 0.0, int(sourceWidth), ph);
    placement.target = QRectF(0.0, horizon - ph * kHorizonRow * scale, int(sourceWidth) * scale, ph * scale);
    return placement;
}

ParallaxBackground::Placement ParallaxBackground::placement(
    const QRectF &viewport, const QRectF &scene, const QRectF &visible, qreal zoom) const
{
    if (m_hasGround && visible.height() > 0.0)
        return groundedPlacement(viewport, scene, visible);
    const qreal vw = viewport.width();
    const qreal vh = viewport.height();
    const qreal pw = m_pixmap.deviceIndependentSize().width();
    const qreal ph = m_pixmap.deviceIndependentSize().height();

    const qreal kx = (pw - vw) / ((scene.x() + scene.width() - visible.width()) - scene.x());
    qreal srcX = (visible.x() - scene.x()) * kx;
    if (srcX < 0.0)
        srcX = 0.0;
    const qreal ky = (ph - vh) / ((scene.y() + scene.height()) / zoom - visible.height() - scene.y());
    qreal srcY = (visible.y() - scene.y()) * ky;
    if (srcY < 0.0)
        srcY = 0.0;
    if (srcY > ph - vh)
        srcY = ph - vh;
    // Non-finite offsets (a scene no wider than the view) start at the edge.
    if (!std::isfinite(srcX))
        srcX = 0.0;
    if (!std::isfinite(srcY))
        srcY = 0.0;

    Placement placement;
    if (vh <= ph) {
        placement.source = QRectF(int(srcX), int(srcY), int(vw), int(vh));
        placement.target = QRectF(0.0, 0.0, int(vw), int(vh));
    } else {
        const qreal scale = vh / ph;
        placement.source = QRectF(int(srcX), 0.0, int(vw), ph);
        placement.target = QRectF(0.0, 0.0, int(vw) * scale, vh);
    }
    return placement;
}

void ParallaxBackground::draw(
    QPainter *painter, const QRectF &viewport, const QRectF &scene, const QRectF &visible, qreal zoom) const
{
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    if (m_pixmap.width() <= 0 || m_pixmap.height() <= 0)
        return;
    const Placement p = placement(viewport, scene, visible, zoom);
    const qreal ratio = m_pixmap.devicePixelRatio();
    painter->drawPixmap(p.target, m_pixmap, DensePixmap::sourceRect(m_pixmap, p.source));
    // Above and below the picture: its first and last row of pixels, stretched.
    const qreal rowHeight = 1.0 / ratio;
    if (p.target.top() > 0.0)
        painter->drawPixmap(QRectF(p.target.left(), 0.0, p.target.width(), p.target.top()), m_pixmap,
            DensePixmap::sourceRect(
                m_pixmap, QRectF(p.source.left(), p.source.top(), p.source.width(), rowHeight)));
    if (p.target.bottom() < viewport.height())
        painter->drawPixmap(QRectF(p.target.left(), p.target.bottom(), p.target.width(),
                                viewport.height() - p.target.bottom()),
            m_pixmap,
            DensePixmap::sourceRect(m_pixmap,
                QRectF(p.source.left(), p.source.bottom() - rowHeight, p.source.width(), rowHeight)));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "parallaxbackground.h"

#include "base/densepixmap.h"

#include <QPainter>
#include <cmath>

void ParallaxBackground::setImage(const QString &path)
{
    m_pixmap = DensePixmap::load(path);
    m_scaled = QPixmap();
    m_scaledFor = 0.0;
    m_edges = QPixmap();
    m_edgesFor = 0;
}

const QPixmap &ParallaxBackground::scaledPixmap(qreal scale)
{
    if (scale == 1.0 || m_pixmap.isNull())
        return m_pixmap;
    if (scale != m_scaledFor || m_scaled.isNull()) {
        const QSize size(qRound(m_pixmap.width() * scale), qRound(m_pixmap.height() * scale));
        m_scaled = m_pixmap.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        m_scaled.setDevicePixelRatio(m_pixmap.devicePixelRatio());
        m_scaledFor = scale;
    }
    return m_scaled;
}

const QPixmap &ParallaxBackground::edgeRows(const QPixmap &picture)
{
    if (m_edgesFor == picture.cacheKey() && !m_edges.isNull())
        return m_edges;
    const qreal ratio = picture.devicePixelRatio();
    const int rows = qRound(kEdgeRows * ratio);
    m_edges = QPixmap(picture.width(), 2 * rows);
    m_edges.setDevicePixelRatio(ratio);
    QPainter painter(&m_edges);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // In the picture's own pixels, as the strips are copied.
    painter.resetTransform();
    painter.scale(1.0 / ratio, 1.0 / ratio);
    painter.drawPixmap(QRectF(0, 0, picture.width(), rows), picture, QRectF(0, 0, picture.width(), 1));
    painter.drawPixmap(
        QRectF(0, rows, picture.width(), rows), picture, QRectF(0, picture.height() - 1, picture.width(), 1));
    painter.end();
    m_edgesFor = picture.cacheKey();
    return m_edges;
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

QRect ParallaxBackground::draw(
    QPainter *painter, const QRectF &viewport, const QRectF &scene, const QRectF &visible, qreal zoom)
{
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    if (m_pixmap.width() <= 0 || m_pixmap.height() <= 0)
        return QRect();
    const Placement p = placement(viewport, scene, visible, zoom);
    if (p.source.height() <= 0.0)
        return QRect();
    // Every placement scales both ways alike.
    const qreal scale = p.target.height() / p.source.height();
    const QPixmap &picture = scaledPixmap(scale);
    const QSizeF size = picture.deviceIndependentSize();
    // The placement in the scaled picture, on whole pixels, as wide as the
    // viewport where the picture reaches (a scaled target may fall short of
    // its right edge by part of a pixel).
    const qreal left = qMin(std::round(p.source.left() * scale), size.width());
    const qreal top = qMin(std::round(p.source.top() * scale), size.height());
    const qreal width = qMin(qMax(std::round(p.target.width()), viewport.width()), size.width() - left);
    const qreal height = qMin(std::round(p.target.height()), size.height() - top);
    if (width <= 0.0 || height <= 0.0)
        return QRect();
    const QRectF source(left, top, width, height);
    const QRectF target(std::round(p.target.left()), std::round(p.target.top()), width, height);
    painter->drawPixmap(target, picture, DensePixmap::sourceRect(picture, source));
    // Above and below the picture: its first and last row of pixels, as
    // many strips of them as the uncovered height takes.
    const QPixmap &edges = edgeRows(picture);
    auto strips = [&](qreal from, qreal to, qreal edgeTop) {
        for (qreal y = from; y < to; y += kEdgeRows) {
            const qreal rows = qMin<qreal>(kEdgeRows, to - y);
            painter->drawPixmap(QRectF(target.left(), y, width, rows), edges,
                DensePixmap::sourceRect(edges, QRectF(left, edgeTop, width, rows)));
        }
    };
    strips(0.0, target.top(), 0.0);
    strips(target.bottom(), viewport.height(), kEdgeRows);
    return QRectF(target.left(), 0.0, width, viewport.height()).toAlignedRect() & viewport.toAlignedRect();
}

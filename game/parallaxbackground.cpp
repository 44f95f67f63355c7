#include "parallaxbackground.h"

#include <QPainter>
#include <cmath>

void ParallaxBackground::setImage(const QString &path)
{
    m_pixmap = QPixmap(path);
}

ParallaxBackground::Placement ParallaxBackground::placement(
    const QRectF &viewport, const QRectF &scene, const QRectF &visible, qreal zoom) const
{
    const qreal vw = viewport.width();
    const qreal vh = viewport.height();
    const qreal pw = m_pixmap.width();
    const qreal ph = m_pixmap.height();

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
    painter->drawPixmap(p.target, m_pixmap, p.source);
}

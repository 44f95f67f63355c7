// SPDX-License-Identifier: GPL-3.0-or-later
#include "densepixmap.h"

#include "pixmapshare.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <cmath>

namespace {
// The one dense variant the art is made in.
constexpr int kDenseRatio = 2;
} // namespace

QPixmap DensePixmap::load(const QString &path)
{
    return load(path, qApp ? qApp->devicePixelRatio() : 1.0);
}

QPixmap DensePixmap::load(const QString &path, qreal devicePixelRatio)
{
    PixmapShare *share = PixmapShare::current();
    if (share) {
        const QPixmap shared = share->find({path, devicePixelRatio});
        if (!shared.isNull())
            return shared;
    }
    const QPixmap pixmap = loadUnshared(path, devicePixelRatio);
    if (share && !pixmap.isNull())
        share->keep({path, devicePixelRatio}, pixmap);
    return pixmap;
}

QPixmap DensePixmap::loadUnshared(const QString &path, qreal devicePixelRatio)
{
    if (devicePixelRatio > 1.0) {
        const QString dense = variantPath(path, kDenseRatio);
        if (QFileInfo::exists(dense)) {
            QPixmap pixmap(dense);
            if (!pixmap.isNull()) {
                pixmap.setDevicePixelRatio(kDenseRatio);
                return pixmap;
            }
        }
    }
    return QPixmap(path);
}

QString DensePixmap::variantPath(const QString &path, int ratio)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const QString suffix = QStringLiteral("@%1x").arg(ratio);
    if (dot <= slash)
        return path + suffix;
    return path.left(dot) + suffix + path.mid(dot);
}

QRectF DensePixmap::centredRect(const QPixmap &pixmap)
{
    const QSizeF size = pixmap.deviceIndependentSize();
    return QRectF(QPointF(std::trunc(-size.width() / 2.0), std::trunc(-size.height() / 2.0)), size);
}

QSize DensePixmap::logicalSize(const QPixmap &pixmap)
{
    return pixmap.deviceIndependentSize().toSize();
}

QBrush DensePixmap::textureBrush(const QPixmap &pixmap, const QTransform &logicalToItem)
{
    const qreal ratio = pixmap.devicePixelRatio();
    QPixmap pixels = pixmap;
    pixels.setDevicePixelRatio(1.0);
    QBrush brush(pixels);
    brush.setTransform(QTransform::fromScale(1.0 / ratio, 1.0 / ratio) * logicalToItem);
    return brush;
}

QRectF DensePixmap::sourceRect(const QPixmap &pixmap, const QRectF &logical)
{
    const qreal ratio = pixmap.devicePixelRatio();
    return QRectF(logical.topLeft() * ratio, logical.size() * ratio);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DENSEPIXMAP_H
#define DENSEPIXMAP_H

#include <QBrush>
#include <QPixmap>
#include <QRectF>
#include <QString>

// Loads a picture for the screen's device pixel ratio: on a dense screen
// (ratio above 1) the "<name>@2x.<ext>" variant beside the file, made with
// twice the pixels each way, when there is one. The pixmap carries its
// ratio, so it is drawn at the same size as the 1x picture, only sharper.
class DensePixmap
{
public:
    // The ratio of the application (the highest of its screens). Within a
    // PixmapShare, one picture per path and ratio.
    static QPixmap load(const QString &path);
    static QPixmap load(const QString &path, qreal devicePixelRatio);
    // "a/b.png" -> "a/b@2x.png".
    static QString variantPath(const QString &path, int ratio);
    // A picture's size in logical pixels, rounded to whole pixels.
    static QSize logicalSize(const QPixmap &pixmap);
    // A rectangle of the picture in logical pixels as the picture's own
    // pixels, which drawPixmap's source rectangle counts in.
    static QRectF sourceRect(const QPixmap &pixmap, const QRectF &logical);
    // A brush tiling the picture's pixels, `logicalToItem` mapping the
    // picture's logical pixels to the painter's coordinates. The density is
    // folded into the brush's own transform, so every paint engine tiles
    // a dense picture at its logical size wherever the transform moves it.
    static QBrush textureBrush(const QPixmap &pixmap, const QTransform &logicalToItem = QTransform());
    // Where a picture stands, in logical pixels, when drawn centred on the
    // origin (its top-left corner truncated to whole pixels).
    static QRectF centredRect(const QPixmap &pixmap);

private:
    static QPixmap loadUnshared(const QString &path, qreal devicePixelRatio);
};

#endif

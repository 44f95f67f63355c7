// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DENSECANVAS_H
#define DENSECANVAS_H

#include <QImage>
#include <QSize>

// A blank picture of `logical` size in logical pixels made with `ratio`
// device pixels per logical pixel (ratio times the pixels each way). Its
// device pixel ratio is set, so a QPainter on it draws in logical
// coordinates; loops over its pixels run over image.width() x height()
// and divide by the ratio to find the logical spot.
inline QImage denseCanvas(const QSize &logical, QImage::Format format, int ratio)
{
    QImage image(logical * ratio, format);
    image.setDevicePixelRatio(ratio);
    return image;
}

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SVGLAYERS_H
#define SVGLAYERS_H

#include "manifest.h"

#include <QImage>

// Renders the SVG layers of a picture, one over the other, each scaled from
// its viewBox onto the whole picture. ratio renders the same picture with
// that many pixels per picture pixel each way. Returns a null image and sets
// error when a layer cannot be read.
QImage renderSvgLayers(const QString &assetsDir, const PictureSpec &spec, QString *error, int ratio = 1);

#endif

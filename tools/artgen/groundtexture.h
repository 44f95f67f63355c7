// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GROUNDTEXTURE_H
#define GROUNDTEXTURE_H

#include <QImage>
#include <QSize>

// Each picture is drawn at `size` logical pixels with `ratio` device pixels
// per logical pixel (see densecanvas.h).

// Seamlessly tileable terrain fills: everything is built from periodic noise
// and every stone is drawn at all its wrapped positions, so a tile's right
// edge continues its left edge and its bottom edge its top edge. Tiles of a
// multiple of 256 pixels keep the detail's size and lengthen the period.

// Pack 1: dark loam with pebbles and roots.
QImage renderSoilTexture(const QSize &size, int ratio = 1);
// Pack 2: banded red sandstone.
QImage renderSandstoneTexture(const QSize &size, int ratio = 1);
// Spare fill: grey fieldstone.
QImage renderFieldstoneTexture(const QSize &size, int ratio = 1);

#endif

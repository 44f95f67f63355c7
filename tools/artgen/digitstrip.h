// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DIGITSTRIP_H
#define DIGITSTRIP_H

#include <QImage>
#include <QSize>

// Each picture is drawn at `size` logical pixels with `ratio` device pixels
// per logical pixel (see densecanvas.h).

// The bitmap digit strip: "0".."9", ".", ":", "+", "-" as white glyphs with a
// dark outline, each inside its fixed cell of the 256 x 16 strip; everything
// between the cells stays transparent.
QImage renderDigitStrip(const QSize &size, int ratio = 1);

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SURFACEBAND_H
#define SURFACEBAND_H

#include <QImage>
#include <QSize>

// Each picture is drawn at `size` logical pixels with `ratio` device pixels
// per logical pixel (see densecanvas.h).

// Surface strips laid along the top edges of terrain. A strip tiles
// horizontally; its rows run from above the ground line (transparent except
// for what stands on the ground) down into the ground, where it fades out.
// Row kSurfaceLine of the strip lies on the terrain outline; the game reads
// the same row from its own constant, so both must change together.
constexpr int kSurfaceLine = 12;

// Pack 1: grass tufts over a green turf and a darker soil lip.
QImage renderGrassBand(const QSize &size, int ratio = 1);
// Pack 2: a weathered rock crust with cracks and loose grit on top.
QImage renderRockCrustBand(const QSize &size, int ratio = 1);

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ZOOMLIMITS_H
#define ZOOMLIMITS_H

#include <QtGlobal>

// The one zoom range of the game (view scale; 1.0 = one pixel per scene
// unit). The clamps use the single-precision 0.4 on purpose: the zoom-out
// precondition compares with the double 0.4, so a zoom that was clamped to
// the float value still counts as "above 0.4" there.
constexpr qreal kMinZoom = qreal(0.4f);
constexpr qreal kMinZoomExact = 0.4;
constexpr qreal kMaxZoom = 1.0;

#endif

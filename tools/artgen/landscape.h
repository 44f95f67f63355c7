// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LANDSCAPE_H
#define LANDSCAPE_H

#include <QImage>
#include <QSize>

// Each picture is drawn at `size` logical pixels with `ratio` device pixels
// per logical pixel (see densecanvas.h).

// Wide parallax backgrounds, one per level pack. Both are lit from the left,
// where the sun stands, like every sprite of the game.

// Pack 1: a sunny green countryside of rolling hills, fields, trees and a farm.
QImage renderCountryside(const QSize &size, int ratio = 1);

// Pack 2: a desert canyon of layered mesas at dusk under a setting sun.
QImage renderCanyon(const QSize &size, int ratio = 1);

#endif

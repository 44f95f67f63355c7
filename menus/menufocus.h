// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MENUFOCUS_H
#define MENUFOCUS_H

#include <QRectF>
#include <QVector>

class QPainter;

// Geometry of the keyboard and pad focus on a menu panel: which of the
// panel's focusable rectangles an arrow key or Tab moves to, and the focus
// ring drawn around the chosen one. Rectangles are in panel coordinates.
class MenuFocus
{
public:
    enum Direction { Left, Right, Up, Down };

    // The rectangle nearest to rects[from] in that direction: among those
    // in line with it (overlapping sideways) if any, else among all, the
    // sideways distance weighing double. Left and right past a row's end go
    // on in reading order. from itself when there is none (no wrapping).
    static int neighbour(const QVector<QRectF> &rects, int from, Direction direction);
    // Indices in reading order: rows top to bottom (centres less than half
    // the smaller height apart share a row), each left to right.
    static QVector<int> readingOrder(const QVector<QRectF> &rects);
    // The next (or previous) index in reading order, wrapping around; the
    // first (or last) one when from is -1.
    static int step(const QVector<QRectF> &rects, int from, bool forward);

    // The ring around a focused rectangle: a dark outline under a bright
    // amber band, anti-aliased, drawn in the painter's coordinates.
    static void paintRing(QPainter *painter, const QRectF &rect);
};

#endif

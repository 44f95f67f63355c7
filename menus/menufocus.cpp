// SPDX-License-Identifier: GPL-3.0-or-later
#include "menufocus.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace {
// A neighbour's centre must lie at least this far (pixels) in the direction
// of travel.
constexpr qreal kMinTravel = 1.0;
constexpr qreal kSidewaysWeight = 2.0;

// Ring: gap between the item and the ring, widths of the amber band and of
// the dark outline under it, corner radius (pixels).
constexpr qreal kRingGap = 3.0;
constexpr qreal kRingWidth = 3.0;
constexpr qreal kRingOutlineWidth = 6.0;
constexpr qreal kRingRadius = 9.0;
const QColor kRingColour(0xff, 0xd1, 0x66);
const QColor kRingOutline(0x2a, 0x22, 0x30);
} // namespace

int MenuFocus::neighbour(const QVector<QRectF> &rects, int from, Direction direction)
{
    if (from < 0 || from >= rects.size())
        return from;
    const QRectF &origin = rects[from];
    const bool horizontal = direction == Left || direction == Right;
    const QPointF unit = direction == Left ? QPointF(-1, 0)
        : direction == Right               ? QPointF(1, 0)
        : direction == Up                  ? QPointF(0, -1)
                                           : QPointF(0, 1);
    // First the items in line (overlapping sideways), then any.
    for (const bool inLineOnly : {true, false}) {
        int best = -1;
        qreal bestScore = 0.0;
        for (int i = 0; i < rects.size(); ++i) {
            if (i == from)
                continue;
            const QRectF &r = rects[i];
            const bool inLine = horizontal ? r.top() < origin.bottom() && r.bottom() > origin.top()
                                           : r.left() < origin.right() && r.right() > origin.left();
            if (inLineOnly && !inLine)
                continue;
            const QPointF delta = r.center() - origin.center();
            const qreal travel = delta.x() * unit.x() + delta.y() * unit.y();
            if (travel < kMinTravel)
                continue;
            const qreal sideways = std::abs(delta.x() * unit.y() - delta.y() * unit.x());
            const qreal score = travel + kSidewaysWeight * sideways;
            if (best < 0 || score < bestScore) {
                best = i;
                bestScore = score;
            }
        }
        if (best >= 0)
            return best;
        // At a row's end, left and right carry on in reading order.
        if (horizontal) {
            const QVector<int> order = readingOrder(rects);
            const int at = int(order.indexOf(from)) + (direction == Right ? 1 : -1);
            return at >= 0 && at < order.size() ? order[at] : from;
        }
    }
    return from;
}

QVector<int> MenuFocus::readingOrder(const QVector<QRectF> &rects)
{
    QVector<int> order(rects.size());
    for (int i = 0; i < rects.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
        [&rects](int a, int b) { return rects[a].center().y() < rects[b].center().y(); });
    // Rows from the top; each row then sorted left to right.
    int rowStart = 0;
    while (rowStart < order.size()) {
        const QRectF &first = rects[order[rowStart]];
        int rowEnd = rowStart + 1;
        while (rowEnd < order.size()) {
            const QRectF &next = rects[order[rowEnd]];
            const qreal tolerance = 0.5 * std::min(first.height(), next.height());
            if (next.center().y() - first.center().y() >= tolerance)
                break;
            ++rowEnd;
        }
        std::stable_sort(order.begin() + rowStart, order.begin() + rowEnd,
            [&rects](int a, int b) { return rects[a].center().x() < rects[b].center().x(); });
        rowStart = rowEnd;
    }
    return order;
}

int MenuFocus::step(const QVector<QRectF> &rects, int from, bool forward)
{
    if (rects.isEmpty())
        return -1;
    const QVector<int> order = readingOrder(rects);
    const int at = order.indexOf(from);
    if (at < 0)
        return forward ? order.first() : order.last();
    const int n = int(order.size());
    return order[(at + (forward ? 1 : n - 1)) % n];
}

void MenuFocus::paintRing(QPainter *painter, const QRectF &rect)
{
    const QRectF ring = rect.adjusted(-kRingGap, -kRingGap, kRingGap, kRingGap);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(kRingOutline, kRingOutlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->drawRoundedRect(ring, kRingRadius, kRingRadius);
    painter->setPen(QPen(kRingColour, kRingWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->drawRoundedRect(ring, kRingRadius, kRingRadius);
    painter->restore();
}

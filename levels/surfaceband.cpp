// SPDX-License-Identifier: GPL-3.0-or-later
#include "surfaceband.h"

#include "base/densepixmap.h"

#include <QPainter>
#include <QVector2D>
#include <cmath>

namespace {
constexpr double kDegreesToRadians = 3.14159265358979 / 180.0;
// An edge meeting a run's end at less than this angle gets a square end,
// since a cut along it would run far out along the strip.
constexpr double kMinCutAngle = 45.0;

struct Edge
{
    QPointF a;
    QPointF b;
    QPointF along; // unit direction a -> b
    QPointF inward; // unit normal into the ground
    double length;
};

double dot(QPointF p, QPointF q)
{
    return p.x() * q.x() + p.y() * q.y();
}

double cross(QPointF p, QPointF q)
{
    return p.x() * q.y() - p.y() * q.x();
}

// Twice the signed area; its sign tells on which side of each edge the
// ground lies.
double signedArea(const QVector<QPointF> &outline)
{
    double sum = 0.0;
    for (int i = 0; i < outline.size(); ++i)
        sum += cross(outline[i], outline[(i + 1) % outline.size()]);
    return sum;
}

// The point at depth t (negative: above) under corner q, on the line through
// q with direction cut.
QPointF onCut(QPointF q, const Edge &e, QPointF cut, double t)
{
    // q + inward * t + s * along lies on q + r * cut: solve for s.
    const double c = cross(e.along, cut);
    const double s = -cross(e.inward, cut) * t / c;
    return q + e.inward * t + e.along * s;
}

// The mitre point at depth t where edge e meets edge f at their common corner.
QPointF mitre(const Edge &e, const Edge &f, double t)
{
    const QPointF sum = e.inward + f.inward;
    const double len = std::hypot(sum.x(), sum.y());
    const QPointF m = sum / len;
    return e.b + m * (t / dot(m, e.inward));
}

// The line along which a run ends at corner q next to the non-top edge
// `neighbour` (its direction).
QPointF endCut(const Edge &e, QPointF neighbour)
{
    const double sine = std::abs(cross(e.along, neighbour));
    return sine >= std::sin(kMinCutAngle * kDegreesToRadians) ? neighbour : e.inward;
}
} // namespace

QVector<SurfaceBand::Piece> SurfaceBand::build(const QVector<QPointF> &outline, double above, double below)
{
    QVector<Piece> pieces;
    QVector<Edge> edges;
    const double orientation = signedArea(outline) >= 0.0 ? 1.0 : -1.0;
    for (int i = 0; i < outline.size(); ++i) {
        const QPointF a = outline[i];
        const QPointF b = outline[(i + 1) % outline.size()];
        const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
        if (length <= 0.0)
            continue;
        const QPointF along = (b - a) / length;
        // With a positive area (y down) the ground lies to the right-hand
        // normal's opposite side.
        const QPointF outward = QPointF(along.y(), -along.x()) * orientation;
        edges.append({a, b, along, -outward, length});
    }
    const int n = edges.size();
    if (n < 3)
        return pieces;
    const double topLimit = std::cos(kMaxTopSlope * kDegreesToRadians);
    const double bendLimit = std::cos(kMaxBend * kDegreesToRadians);
    auto isTop = [&](int i) { return edges[i].inward.y() > topLimit; };
    auto joined = [&](int i, int j) {
        return isTop(i) && isTop(j) && dot(edges[i].along, edges[j].along) >= bendLimit;
    };

    // Start at an edge that begins a run, so that no run wraps around index 0.
    int first = -1;
    for (int i = 0; i < n && first < 0; ++i) {
        if (isTop(i) && !joined((i + n - 1) % n, i))
            first = i;
    }
    if (first < 0)
        return pieces;

    for (int k = 0; k < n; ++k) {
        const int i = (first + k) % n;
        if (!isTop(i))
            continue;
        const Edge &e = edges[i];
        const int previous = (i + n - 1) % n;
        const int next = (i + 1) % n;
        QPointF startTop, startBottom, endTop, endBottom;
        if (joined(previous, i)) {
            startTop = mitre(edges[previous], e, -above);
            startBottom = mitre(edges[previous], e, below);
        } else {
            const QPointF cut = endCut(e, edges[previous].along);
            startTop = onCut(e.a, e, cut, -above);
            startBottom = onCut(e.a, e, cut, below);
        }
        if (joined(i, next)) {
            endTop = mitre(e, edges[next], -above);
            endBottom = mitre(e, edges[next], below);
        } else {
            const QPointF cut = endCut(e, edges[next].along);
            endTop = onCut(e.b, e, cut, -above);
            endBottom = onCut(e.b, e, cut, below);
        }
        // Distance along the run at this edge's start, so that the strip
        // flows on across the joins.
        double runStart = 0.0;
        for (int j = previous; joined(j, (j + 1) % n) && j != i; j = (j + n - 1) % n)
            runStart += edges[j].length;
        Piece piece;
        piece.quad = QPolygonF({startTop, endTop, endBottom, startBottom});
        // Strip pixel (u, v) -> item point: u along the edge, v into the
        // ground, row `above` on the outline.
        const QPointF origin = e.a - e.along * runStart - e.inward * above;
        piece.stripToItem
            = QTransform(e.along.x(), e.along.y(), e.inward.x(), e.inward.y(), origin.x(), origin.y());
        pieces.append(piece);
    }
    return pieces;
}

void SurfaceBand::set(const QString &path, int surfaceRow, const QVector<QPointF> &outline)
{
    m_path = path;
    m_pieces.clear();
    m_brushes.clear();
    m_strip = path.isEmpty() ? QPixmap() : DensePixmap::load(path);
    if (m_strip.isNull())
        return;
    m_above = surfaceRow;
    m_pieces = build(outline, surfaceRow, DensePixmap::logicalSize(m_strip).height() - surfaceRow);
    for (const Piece &piece : std::as_const(m_pieces)) {
        m_brushes.append(DensePixmap::textureBrush(m_strip, piece.stripToItem));
    }
}

void SurfaceBand::paint(QPainter *painter) const
{
    if (m_pieces.isEmpty())
        return;
    painter->save();
    painter->setPen(Qt::NoPen);
    for (int i = 0; i < m_pieces.size(); ++i) {
        painter->setBrush(m_brushes[i]);
        painter->drawPolygon(m_pieces[i].quad);
    }
    painter->restore();
}

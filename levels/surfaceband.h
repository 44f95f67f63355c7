// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SURFACEBAND_H
#define SURFACEBAND_H

#include <QBrush>
#include <QPixmap>
#include <QPolygonF>
#include <QTransform>
#include <QVector>

// The surface strip laid along the upward-facing edges of a terrain outline
// (grass, a rock crust). An edge faces up when its outward normal points no
// further than kMaxTopSlope from straight up; walls and undersides get no
// strip. Consecutive top edges form one run with mitred joins; a run breaks
// at a bend sharper than kMaxBend and ends flush with the wall or underside
// that follows (or square when that edge turns only a little).
//
// The strip picture tiles along the edge; its row `surfaceRow` lies on the
// outline, the rows above stand on the ground, the rows below lie inside it.
// One picture pixel is one scene unit.
class SurfaceBand
{
public:
    // One quadrilateral of a run with the brush that maps the strip onto it.
    struct Piece
    {
        QPolygonF quad;
        QTransform stripToItem;
    };

    static constexpr double kMaxTopSlope = 55.0; // degrees from horizontal
    static constexpr double kMaxBend = 60.0; // degrees between neighbouring edges

    // outline: the closed outline's corners in order (the closing edge back
    // to the first corner is implied); above and below: the strip's extent
    // over and under the outline, scene units.
    static QVector<Piece> build(const QVector<QPointF> &outline, double above, double below);

    // Builds the pieces for the outline with the strip picture at path; an
    // empty or unreadable path leaves the band empty.
    void set(const QString &path, int surfaceRow, const QVector<QPointF> &outline);
    void paint(QPainter *painter) const;
    bool isEmpty() const { return m_pieces.isEmpty(); }
    const QVector<Piece> &pieces() const { return m_pieces; }
    QString path() const { return m_path; }
    // How far the strip reaches over the outline (scene units).
    double above() const { return m_above; }

private:
    QString m_path;
    QPixmap m_strip;
    QVector<Piece> m_pieces;
    QVector<QBrush> m_brushes;
    double m_above = 0.0;
};

#endif

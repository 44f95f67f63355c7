// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RIDERPREVIEW_H
#define RIDERPREVIEW_H

#include <QImage>
#include <QMap>
#include <QPointF>
#include <QString>

class QPainter;

// Paints the bike at rest in frame coordinates (origin at the frame centre):
// wheels, fork and swing arm, the bike sprite and the rider assembled from the
// limb sprites the way the bike paints him; optionally the physics shapes
// over it as thin lines. `pictures` maps file names to rendered pictures.
void drawBikeAtRest(QPainter &p, const QMap<QString, QImage> &pictures, bool withShapes);
// The same with the rider mass at `riderMass` (frame coordinates).
void drawBike(QPainter &p, const QMap<QString, QImage> &pictures, QPointF riderMass, bool withShapes);

// Shows how the bike, wheel and rider sprites sit on their physics shapes:
// the bike at rest with its shapes, the fallen rider with each sprite centred
// on its ragdoll box, and the rider with his mass at either end of its
// groove. `scale` magnifies the drawing.
QImage renderRiderPreview(const QMap<QString, QImage> &pictures, double scale);

#endif

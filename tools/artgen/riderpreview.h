#ifndef RIDERPREVIEW_H
#define RIDERPREVIEW_H

#include <QImage>
#include <QMap>
#include <QString>

// Shows how the bike, wheel and rider sprites sit on their physics shapes:
// the bike at rest with the rider assembled from the limb sprites the way the
// bike paints him, and the fallen rider with each sprite centred on its
// ragdoll box. The shapes are overlaid as thin lines. `pictures` maps file
// names to rendered pictures; `scale` magnifies the drawing.
// Paints the bike at rest in frame coordinates (origin at the frame centre):
// wheels, fork and swing arm, the bike sprite and the rider assembled the way
// the bike paints him; optionally the physics shapes over it.
class QPainter;
void drawBikeAtRest(QPainter &p, const QMap<QString, QImage> &pictures, bool withShapes);

QImage renderRiderPreview(const QMap<QString, QImage> &pictures, double scale);

#endif

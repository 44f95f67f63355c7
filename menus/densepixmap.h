#ifndef DENSEPIXMAP_H
#define DENSEPIXMAP_H

#include <QPixmap>
#include <QString>

// Loads a picture for the screen's device pixel ratio: on a dense screen
// (ratio above 1) the "<name>@2x.<ext>" variant beside the file, made with
// twice the pixels each way, when there is one. The pixmap carries its
// ratio, so it is drawn at the same size as the 1x picture, only sharper.
class DensePixmap
{
public:
    // The ratio of the application (the highest of its screens).
    static QPixmap load(const QString &path);
    static QPixmap load(const QString &path, qreal devicePixelRatio);
    // "a/b.png" -> "a/b@2x.png".
    static QString variantPath(const QString &path, int ratio);
};

#endif

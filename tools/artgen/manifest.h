#ifndef MANIFEST_H
#define MANIFEST_H

#include <QMap>
#include <QSize>
#include <QString>
#include <QVector>

// One SVG drawn into a picture: its file (relative to the assets folder), an
// optional colour substitution and an offset in picture pixels.
struct SvgLayer
{
    QString svg;
    QMap<QString, QString> recolor; // "#rrggbb" -> "#rrggbb", lower case
    double dx = 0.0;
    double dy = 0.0;
};

// One output picture: its file name under :/images/, its exact size, and
// either a list of SVG layers or the name of a procedural generator.
struct PictureSpec
{
    QString file;
    QSize size;
    QVector<SvgLayer> layers;
    QString generator;
};

// The list of every picture, read from assets/pictures.json.
struct Manifest
{
    QString assetsDir;
    QVector<PictureSpec> pictures;

    // Reads the manifest; on failure returns false and sets error.
    bool load(const QString &path, QString *error);
};

#endif

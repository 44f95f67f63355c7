// SPDX-License-Identifier: GPL-3.0-or-later
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

// The list of every picture, read from assets/pictures.json. Every picture is
// also rendered for each of the high-density device pixel ratios, ratio
// times as large, under Qt's "<name>@<ratio>x.<ext>" names.
struct Manifest
{
    QString assetsDir;
    QVector<PictureSpec> pictures;
    QVector<int> hidpiRatios;

    // "back_off.png", 2 -> "back_off@2x.png".
    static QString ratioFileName(const QString &file, int ratio);

    // Reads the manifest; on failure returns false and sets error.
    bool load(const QString &path, QString *error);
};

#endif

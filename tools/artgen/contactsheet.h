// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CONTACTSHEET_H
#define CONTACTSHEET_H

#include "manifest.h"

#include <QImage>

// One picture with every rendered picture of the manifest, labelled with its
// name and size, on a checkerboard so that transparency shows. Sprites are
// magnified by `zoom`; pictures wider than the sheet are scaled down (the
// label says so). Ground textures are shown tiled 2 x 2 to expose seams, and
// the bike and rider are shown assembled on their physics shapes.
QImage renderContactSheet(const Manifest &manifest, const QString &imagesDir, double zoom, QString *error);

#endif

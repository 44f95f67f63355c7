// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SCENEPREVIEW_H
#define SCENEPREVIEW_H

#include <QImage>
#include <QMap>
#include <QString>

// Mock-ups that put the pictures together the way the game does, so that the
// contact sheet shows whether they read well in place: the level grid with
// its numbers, the result panel, and a level of each pack with the bike, a few
// objects, the finish gate and the on-screen controls.
QImage renderLevelGridPreview(const QMap<QString, QImage> &pictures);
QImage renderResultPreview(const QMap<QString, QImage> &pictures);
QImage renderGamePreview(const QMap<QString, QImage> &pictures, int pack);

#endif

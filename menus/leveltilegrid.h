// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELTILEGRID_H
#define LEVELTILEGRID_H

#include "levels/levelinfo.h"
#include "numberdisplay.h"

#include <QPointF>
#include <QString>
#include <QVector>
#include <functional>

class ButtonPixmap;

// The main menu's grid of level tiles, six to a row, each with a small
// watch badge on its top-left corner for a level with a best run kept. The
// buttons belong to the menu (made through the given factory, tiles first,
// then the badges so that they are painted over the tiles); the grid knows
// which level each one stands for and dresses the tiles by their status.
class LevelTileGrid
{
public:
    // Makes a button with off and on pictures at (x, y), width x height.
    using ButtonFactory = std::function<ButtonPixmap *(
        const QString &off, const QString &on, qreal x, qreal y, qreal w, qreal h)>;

    struct Tile
    {
        int levelNumber = 0;
        ButtonPixmap *button = nullptr;
        ButtonPixmap *watch = nullptr;
    };

    // count tiles from gridTop down, rowStep apart (panel pixels).
    LevelTileGrid(const ButtonFactory &addButton, int count, qreal gridTop, qreal rowStep);

    const QVector<Tile> &tiles() const { return m_tiles; }
    // Tile n's button or watch badge (1-based), or null.
    ButtonPixmap *tileButton(int levelNumber) const;
    ButtonPixmap *watchButton(int levelNumber) const;
    // The level a tile or a badge stands for, 0 for any other button.
    int levelOf(const ButtonPixmap *button) const;
    // The level of the tile a tile's button is, 0 for anything else (a
    // badge included).
    int tileLevelOf(const ButtonPixmap *button) const;
    // The visible tile or badge under p (a badge wins over its tile), 0 none.
    int levelAt(const QPointF &p) const;
    // The active badge under p, or null.
    ButtonPixmap *watchAt(const QPointF &p) const;

    void hideAll();
    // Shows the tiles of a pack's levels: the frontier green and open, a
    // medal's picture and open, any other closed; hasBestRun tells where a
    // badge shows.
    void dress(const QVector<LevelInfo> &infos, int frontier, const std::function<bool(int)> &hasBestRun);

    // Where the digits of a level number go over a tile whose picture's
    // top-left corner is at (x, y).
    static QVector<NumberDisplay::Glyph> levelNumberGlyphs(int number, qreal x, qreal y);

private:
    QVector<Tile> m_tiles;
};

#endif

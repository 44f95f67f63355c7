// SPDX-License-Identifier: GPL-3.0-or-later
#include "leveltilegrid.h"

#include "buttonpixmap.h"

namespace {
// Level grid: 54 x 54 buttons, 75 apart, six to a row.
constexpr qreal kLevelButtonSize = 54;
constexpr qreal kGridLeft = 25;
constexpr qreal kColumnStep = 75;
constexpr qreal kGridRight = 464;

// Watch badges on the top-left corner of a level's tile (offset from the
// tile's corner, size).
constexpr qreal kWatchSize = 24;
constexpr qreal kWatchDX = -7;
constexpr qreal kWatchDY = -4;

// Level numbers over the tiles: top offset from the picture's corner.
constexpr qreal kNumberY = 18;
constexpr int kMaxLevelNumber = 99;
constexpr int kDecimalBase = 10;

QString image(const QString &name)
{
    return QStringLiteral(":/images/") + name;
}
} // namespace

LevelTileGrid::LevelTileGrid(const ButtonFactory &addButton, int count, qreal gridTop, qreal rowStep)
{
    const QString closed = image(QStringLiteral("menu_notavailable.png"));
    qreal x = kGridLeft;
    qreal y = gridTop;
    for (int n = 1; n <= count; ++n) {
        Tile tile;
        tile.levelNumber = n;
        tile.button = addButton(closed, closed, x, y, kLevelButtonSize, kLevelButtonSize);
        m_tiles.append(tile);
        x += kColumnStep;
        if (x > kGridRight) {
            x = kGridLeft;
            y += rowStep;
        }
    }
    // After every tile, so that they are painted over them.
    for (Tile &tile : m_tiles) {
        tile.watch = addButton(image(QStringLiteral("watchbadge_off.png")),
            image(QStringLiteral("watchbadge_on.png")), tile.button->x() + kWatchDX,
            tile.button->y() + kWatchDY, kWatchSize, kWatchSize);
        tile.watch->setVisible(false);
    }
}

ButtonPixmap *LevelTileGrid::tileButton(int levelNumber) const
{
    if (levelNumber < 1 || levelNumber > m_tiles.size())
        return nullptr;
    return m_tiles.at(levelNumber - 1).button;
}

ButtonPixmap *LevelTileGrid::watchButton(int levelNumber) const
{
    if (levelNumber < 1 || levelNumber > m_tiles.size())
        return nullptr;
    return m_tiles.at(levelNumber - 1).watch;
}

int LevelTileGrid::levelOf(const ButtonPixmap *button) const
{
    for (const Tile &tile : m_tiles) {
        if (button && (tile.button == button || tile.watch == button))
            return tile.levelNumber;
    }
    return 0;
}

int LevelTileGrid::tileLevelOf(const ButtonPixmap *button) const
{
    for (const Tile &tile : m_tiles) {
        if (button && tile.button == button)
            return tile.levelNumber;
    }
    return 0;
}

int LevelTileGrid::levelAt(const QPointF &p) const
{
    int level = 0;
    for (const Tile &tile : m_tiles) {
        if (tile.button->isVisible() && tile.button->contains(p))
            level = tile.levelNumber;
    }
    for (const Tile &tile : m_tiles) {
        if (tile.watch->isVisible() && tile.watch->contains(p))
            level = tile.levelNumber;
    }
    return level;
}

ButtonPixmap *LevelTileGrid::watchAt(const QPointF &p) const
{
    for (const Tile &tile : m_tiles) {
        if (tile.watch->isActive() && tile.watch->contains(p))
            return tile.watch;
    }
    return nullptr;
}

void LevelTileGrid::hideAll()
{
    for (const Tile &tile : std::as_const(m_tiles)) {
        tile.button->setVisible(false);
        tile.watch->setVisible(false);
    }
}

void LevelTileGrid::dress(
    const QVector<LevelInfo> &infos, int frontier, const std::function<bool(int)> &hasBestRun)
{
    for (const LevelInfo &info : infos) {
        ButtonPixmap *button = tileButton(info.levelNumber());
        if (!button) {
            qDebug("LevelTileGrid::dress - no tile for level %d", info.levelNumber());
            continue;
        }
        QString off = image(QStringLiteral("menu_notavailable.png"));
        QString on = off;
        bool enabled = false;
        if (info.levelNumber() == frontier) {
            off = image(QStringLiteral("menu_green_off.png"));
            on = image(QStringLiteral("menu_green_on.png"));
            enabled = true;
        } else if (hasMedal(info.status())) {
            const QString medal = info.status() == LevelStatus::Gold ? QStringLiteral("gold")
                : info.status() == LevelStatus::Silver               ? QStringLiteral("silver")
                                                                     : QStringLiteral("bronze");
            off = image(QStringLiteral("menu_") + medal + QStringLiteral("_off.png"));
            on = image(QStringLiteral("menu_") + medal + QStringLiteral("_on.png"));
            enabled = true;
        }
        button->setVisible(true);
        if (enabled) {
            button->setOffPixmap(off);
            button->setOnPixmap(on);
            button->setEnabled(true);
        } else {
            button->setEnabled(false);
            button->setDisabledPixmap(off);
        }
        watchButton(info.levelNumber())->setVisible(hasBestRun(info.levelNumber()));
    }
}

QVector<NumberDisplay::Glyph> LevelTileGrid::levelNumberGlyphs(int number, qreal x, qreal y)
{
    if (number < 1)
        return {};
    if (number > kMaxLevelNumber) {
        qDebug("invalid number: %d", number);
        number = kMaxLevelNumber;
    }
    const QVector<int> digits = number < kDecimalBase
        ? QVector<int> {number}
        : QVector<int> {number / kDecimalBase, number % kDecimalBase};
    // Centred on the tile by the digits' ink.
    const int width = NumberDisplay::inkWidth(digits);
    return NumberDisplay::setGlyphs(digits, int(x + (kLevelButtonSize - width) / 2.0), int(y + kNumberY));
}

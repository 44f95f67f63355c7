// SPDX-License-Identifier: GPL-3.0-or-later
#include "digitstrip.h"

#include "artfonts.h"
#include "densecanvas.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace {

struct GlyphCell
{
    QChar character;
    int x;
    int width;
};

// Cell x positions and widths as the number display reads them: digits at
// trunc(i * 18.85), 16 wide; "." and ":" 8 wide; "+" and "-" 16 wide.
const GlyphCell kCells[] = {
    {'0', 0, 16},
    {'1', 18, 16},
    {'2', 37, 16},
    {'3', 56, 16},
    {'4', 75, 16},
    {'5', 94, 16},
    {'6', 113, 16},
    {'7', 131, 16},
    {'8', 150, 16},
    {'9', 169, 16},
    {'.', 188, 8},
    {':', 197, 8},
    {'+', 211, 16},
    {'-', 230, 16},
};

constexpr double kOutlinePx = 2.6;
constexpr double kDigitHeightPx = 12.6; // cap height of a digit inside its 16 px cell
const QColor kOutline(0x2a, 0x22, 0x30);

} // namespace

QImage renderDigitStrip(const QSize &size, int ratio)
{
    QImage image = denseCanvas(size, QImage::Format_ARGB32_Premultiplied, ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font(artFontFamily());
    font.setBold(true);
    font.setPixelSize(64);

    // One scale for all digits, from the height of "0".
    QPainterPath zero;
    zero.addText(0, 0, font, "0");
    const double scale = kDigitHeightPx / zero.boundingRect().height();
    const double baseline = (size.height() + kDigitHeightPx) / 2.0;

    for (const GlyphCell &cell : kCells) {
        QPainterPath path;
        path.addText(0, 0, font, QString(cell.character));
        const QRectF box = path.boundingRect();
        QTransform t;
        // Digits keep their proportions but are squeezed to fit the cell.
        const double sx = std::min(scale, (cell.width - kOutlinePx - 0.6) / box.width());
        t.translate(cell.x + cell.width / 2.0, baseline);
        t.scale(sx, scale);
        t.translate(-box.center().x(), 0);
        QPainterPath placed = t.map(path);
        if (cell.character == '-' || cell.character == '+' || cell.character == ':') {
            // Centre the signs vertically on the digits.
            const QRectF b = placed.boundingRect();
            placed.translate(0, (baseline - kDigitHeightPx / 2.0) - b.center().y());
        }
        painter.setClipRect(QRect(cell.x, 0, cell.width, size.height()));
        painter.strokePath(placed, QPen(kOutline, kOutlinePx, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QLinearGradient fill(0, baseline - kDigitHeightPx, 0, baseline);
        fill.setColorAt(0.0, QColor(255, 255, 255));
        fill.setColorAt(1.0, QColor(0xe4, 0xe9, 0xf2));
        painter.fillPath(placed, fill);
    }
    painter.end();
    return image;
}

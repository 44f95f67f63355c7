// SPDX-License-Identifier: GPL-3.0-or-later
#include "contactsheet.h"

#include "artfonts.h"
#include "riderpreview.h"
#include "scenepreview.h"

#include <QFont>
#include <QPainter>

namespace {

constexpr int kSheetWidth = 2000;
constexpr int kMargin = 16;
constexpr int kLabelHeight = 18;
constexpr int kChecker = 8;
// Largest dense variant shown whole on the sheet, in pixels.
const QSize kDenseDetail(640, 400);

struct Cell
{
    QString label;
    QImage image; // already scaled
};

QImage tiled2x2(const QImage &tile)
{
    QImage out(tile.size() * 2, QImage::Format_RGB32);
    QPainter p(&out);
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i)
            p.drawImage(i * tile.width(), j * tile.height(), tile);
    return out;
}

void checkerboard(QPainter &p, const QRect &r)
{
    p.save();
    p.setClipRect(r);
    for (int y = r.top(); y < r.bottom(); y += kChecker)
        for (int x = r.left(); x < r.right(); x += kChecker)
            p.fillRect(x, y, kChecker, kChecker,
                ((x - r.left()) / kChecker + (y - r.top()) / kChecker) % 2 ? QColor(0xbc, 0xbc, 0xbc)
                                                                           : QColor(0xe6, 0xe6, 0xe6));
    p.restore();
}

// Scales the image by zoom, or less when it would not fit the sheet, and
// notes the scale in the label. Returns the scale used.
double magnify(QImage &image, QString &label, double zoom)
{
    double s = zoom;
    if (image.width() * s > kSheetWidth - 2 * kMargin)
        s = double(kSheetWidth - 2 * kMargin) / image.width();
    if (s != 1.0) {
        image = image.scaled(
            (QSizeF(image.size()) * s).toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        label += QString("  (shown x%1)").arg(s, 0, 'g', 3);
    }
    return s;
}

} // namespace

QImage renderContactSheet(const Manifest &manifest, const QString &imagesDir, double zoom, QString *error)
{
    QVector<Cell> cells;
    QMap<QString, QImage> byName;
    for (const PictureSpec &spec : manifest.pictures) {
        QImage image(imagesDir + "/" + spec.file);
        if (image.isNull()) {
            *error = QString("missing %1/%2").arg(imagesDir, spec.file);
            return QImage();
        }
        byName.insert(spec.file, image);
        QString label = QString("%1  %2x%3").arg(spec.file).arg(image.width()).arg(image.height());
        const bool texture = spec.file.startsWith("groundtexture");
        if (texture) {
            image = tiled2x2(image);
            label += "  (tiled 2x2)";
        }
        const double s = magnify(image, label, image.width() <= 400 && !texture ? zoom : 1.0);
        cells.append({label, image});
        // The pictures for dense screens beside, pixel for pixel at the
        // same magnification, so their finer detail shows.
        for (int ratio : manifest.hidpiRatios) {
            const QString file = Manifest::ratioFileName(spec.file, ratio);
            QImage dense(imagesDir + "/" + file);
            if (dense.isNull()) {
                *error = QString("missing %1/%2").arg(imagesDir, file);
                return QImage();
            }
            // Loading an "@2x" file marks the image for a dense screen; the
            // sheet is drawn one image pixel per sheet pixel.
            dense.setDevicePixelRatio(1.0);
            QString denseLabel = QString("%1  %2x%3").arg(file).arg(dense.width()).arg(dense.height());
            // A background or a texture at twice its size would not fit the
            // sheet: its top-left corner shows the detail.
            if (dense.width() > kDenseDetail.width() || dense.height() > kDenseDetail.height()) {
                dense = dense.copy(QRect(QPoint(), kDenseDetail));
                denseLabel += QString("  (top-left %1x%2)").arg(dense.width()).arg(dense.height());
            }
            magnify(dense, denseLabel, s);
            cells.append({denseLabel, dense});
        }
    }
    cells.append({"assembly (x3): bike and rider at rest with shapes in blue; fallen rider on ragdoll boxes; "
                  "rider mass at the back and at the front of its groove",
        renderRiderPreview(byName, 3.0)});
    cells.append({"mock-up: level grid with numbers", renderLevelGridPreview(byName)});
    cells.append({"mock-up: result panel", renderResultPreview(byName)});
    cells.append({"mock-up: pack 1 level at zoom 0.65", renderGamePreview(byName, 1)});
    cells.append({"mock-up: pack 2 level at zoom 0.65", renderGamePreview(byName, 2)});

    QFont font(artFontFamily());
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    // Flow layout: rows of cells, each row as tall as its tallest cell.
    struct Placed
    {
        const Cell *cell;
        QPoint at;
    };
    QVector<Placed> placed;
    int x = kMargin, y = kMargin, rowHeight = 0;
    for (const Cell &cell : cells) {
        const int w = std::max(cell.image.width(), metrics.horizontalAdvance(cell.label));
        if (x + w > kSheetWidth - kMargin) {
            x = kMargin;
            y += rowHeight + kMargin;
            rowHeight = 0;
        }
        placed.append({&cell, QPoint(x, y)});
        x += w + kMargin;
        rowHeight = std::max(rowHeight, cell.image.height() + kLabelHeight);
    }
    QImage sheet(kSheetWidth, y + rowHeight + kMargin, QImage::Format_RGB32);
    sheet.fill(QColor(0x30, 0x33, 0x3a));
    QPainter p(&sheet);
    p.setFont(font);
    for (const Placed &pl : placed) {
        const QRect r(pl.at + QPoint(0, kLabelHeight), pl.cell->image.size());
        checkerboard(p, r);
        p.drawImage(r.topLeft(), pl.cell->image);
        p.setPen(QColor(0xf0, 0xf0, 0xf0));
        p.drawText(pl.at + QPoint(0, kLabelHeight - 5), pl.cell->label);
    }
    p.end();
    return sheet;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenepreview.h"

#include "riderpreview.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

// Digit strip glyph cells: 0-9, ".", ":", "+", "-".
const int kGlyphX[] = {0, 18, 37, 56, 75, 94, 113, 131, 150, 169, 188, 197, 211, 230};
const int kGlyphW[] = {16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 8, 8, 16, 16};

void glyph(QPainter &p, const QImage &digits, int index, double x, double y)
{
    p.drawImage(QPointF(int(x), int(y)), digits, QRectF(kGlyphX[index], 0, kGlyphW[index], 16));
}

// Writes text with the glyph advances of the number display.
void digitText(QPainter &p, const QImage &digits, const QString &text, double x, double y)
{
    for (QChar c : text) {
        if (c.isDigit()) {
            glyph(p, digits, c.digitValue(), x, y);
            x += 17;
        } else if (c == '.') {
            glyph(p, digits, 10, x, y);
            x += 10;
        } else if (c == ':') {
            x -= 2;
            glyph(p, digits, 11, x, y);
            x += 12;
        } else if (c == '+') {
            glyph(p, digits, 12, x, y);
            x += 17;
        } else if (c == '-') {
            glyph(p, digits, 13, x, y);
            x += 12;
        }
    }
}

void rightAligned(QPainter &p, const QImage &digits, const QString &text, QRectF r)
{
    digitText(p, digits, text, r.x() + r.width() - 16 * text.size() - 10, r.y() + 10);
}

} // namespace

QImage renderLevelGridPreview(const QMap<QString, QImage> &pic)
{
    QImage image(479, 344, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.drawImage(0, 0, pic["mainmenu.png"]);
    const QImage &digits = pic["numbers.png"];
    double x = 25, y = 12;
    for (int n = 1; n <= 24; ++n) {
        const char *tile = n <= 5 ? "menu_gold_off.png"
            : n <= 8              ? "menu_silver_off.png"
            : n <= 10             ? "menu_bronze_off.png"
            : n == 11             ? "menu_green_on.png"
            : n == 12             ? "menu_green_off.png"
                                  : "menu_notavailable.png";
        p.drawImage(QPointF(x, y), pic[tile]);
        if (n < 10) {
            glyph(p, digits, n, x + (n == 1 ? 17 : n == 7 ? 18 : 19), y + 18);
        } else {
            const double first = x + ((n == 10 || (n >= 14 && n <= 18)) ? 9 : 11);
            glyph(p, digits, n / 10, first, y + 18);
            glyph(p, digits, n % 10, first + 16, y + 18);
        }
        x += 75;
        if (x > 464) {
            x = 25;
            y += 65;
        }
    }
    const struct
    {
        const char *file;
        int x;
    } row[] = {{"back_off.png", 10}, {"next_on.png", 90}, {"help_off.png", 165}, {"info_off.png", 245},
        {"soundson_off.png", 325}, {"exit_off.png", 405}};
    for (const auto &b : row)
        p.drawImage(b.x, 274, pic[b.file]);
    p.end();
    return image;
}

QImage renderResultPreview(const QMap<QString, QImage> &pic)
{
    QImage image(356, 218, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.drawImage(0, 0, pic["levelfinished.png"]);
    const struct
    {
        const char *file;
        int x;
    } row[] = {{"next_off.png", 13}, {"reset_off.png", 77}, {"watch_off.png", 141}, {"menu_on.png", 205},
        {"exit_off.png", 269}};
    for (const auto &b : row)
        p.drawImage(b.x, 140, pic[b.file]);
    const QImage &digits = pic["numbers.png"];
    rightAligned(p, digits, "1:15.3", QRectF(80, 60, 150, 80));
    rightAligned(p, digits, "-0.8", QRectF(80, 100, 150, 80));
    digitText(p, digits, "12", 208, 20);
    p.drawImage(275, 60, pic["star.png"]);
    p.drawImage(22, 45, pic["gold.png"]);
    p.end();
    return image;
}

QImage renderGamePreview(const QMap<QString, QImage> &pic, int pack)
{
    const QSize size(760, 300);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QImage &bg = pic[pack == 1 ? "levelpack1bg.jpg" : "levelpack2bg.jpg"];
    // The background fills the window height, as in a window taller than it.
    p.drawImage(QRectF(0, 0, size.width(), size.height()), bg,
        QRectF(300, 0, size.width() * bg.height() / double(size.height()), bg.height()));

    // Scene at the default zoom of a large window.
    constexpr double kZoom = 0.65;
    p.save();
    p.scale(kZoom, kZoom);
    const double groundY = 400;
    QPainterPath ground;
    ground.moveTo(-10, 600);
    for (double x = -10; x <= 1200; x += 10)
        ground.lineTo(x, groundY + 25 * std::sin(x / 130.0) * (x > 600 ? 1 : 0.2));
    ground.lineTo(1200, 600);
    ground.closeSubpath();
    p.fillPath(ground, QBrush(pic[pack == 1 ? "groundtexture_305.jpg" : "groundtexture_306.jpg"]));
    const auto put = [&](const char *file, double cx, double cy) {
        const QImage &img = pic[file];
        p.drawImage(QPointF(cx - img.width() / 2, cy - img.height() / 2), img);
    };
    put("jump1.png", 440, groundY - 30);
    put("crate2.png", 620, groundY - 30 + 25 * std::sin(620 / 130.0));
    put("ball2.png", 700, groundY - 20 + 25 * std::sin(700 / 130.0));
    put(pack == 1 ? "rock2.png" : "rock3.png", 860, groundY - 25 + 25 * std::sin(860 / 130.0));
    p.save();
    p.translate(200, groundY - 41);
    drawBikeAtRest(p, pic, false);
    p.restore();
    put("rock4.png", 290, groundY - 8);
    const QImage &gate = pic["finishline.png"];
    p.drawImage(QPointF(1020, groundY + 25 * std::sin(1020 / 130.0) - gate.height()), gate);
    p.restore();

    // On-screen controls and the run clock.
    p.drawImage(14, 6, pic["ingamemenu_off.png"]);
    p.drawImage(20, size.height() - 64 - 20, pic["brake_off.png"]);
    p.drawImage(size.width() - 64 - 20, size.height() - 64 - 20, pic["throttle_on.png"]);
    rightAligned(p, pic["numbers.png"], "1:07.4", QRectF(80, 0, size.width() - 80, 80));
    p.end();
    return image;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "groundtexture.h"

#include "densecanvas.h"
#include "periodicnoise.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;

QColor mix(QColor a, QColor b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
        a.blueF() + (b.blueF() - a.blueF()) * t);
}

// Draws `draw` at the nine wrapped copies of a tile so shapes crossing an edge
// reappear on the opposite side.
template <typename Draw> void wrapped(QPainter &p, const QSize &size, Draw draw)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            p.save();
            p.translate(dx * size.width(), dy * size.height());
            draw();
            p.restore();
        }
}

// Scatters `count` small grains over the tile, light or dark at random.
void grit(QPainter &p, const QSize &size, ArtRandom &random, int count, QColor light, QColor dark,
    double minR, double maxR)
{
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const QPointF c(random.uniform(0, size.width()), random.uniform(0, size.height()));
        p.setBrush(random.range(0, 2) == 0 ? light : dark);
        const double r = random.uniform(minR, maxR);
        wrapped(p, size, [&] { p.drawEllipse(c, r, r); });
    }
}

// Draws `count` wandering lines of `steps` segments each; `step` returns the
// next segment and may turn the heading it is given.
template <typename Step>
void wanderingLines(
    QPainter &p, const QSize &size, ArtRandom &random, int count, int steps, const QPen &pen, Step step)
{
    for (int i = 0; i < count; ++i) {
        QPainterPath line;
        QPointF at(random.uniform(0, size.width()), random.uniform(0, size.height()));
        line.moveTo(at);
        double heading = random.uniform(0, kTwoPi);
        for (int k = 0; k < steps; ++k) {
            at += step(heading);
            line.lineTo(at);
        }
        wrapped(p, size, [&] { p.strokePath(line, pen); });
    }
}

// A rounded stone lit from the top-left.
void stone(QPainter &p, QPointF c, double rx, double ry, double angle, QColor base)
{
    p.save();
    p.translate(c);
    p.rotate(angle);
    QPainterPath s;
    s.addEllipse(QPointF(0, 0), rx, ry);
    p.fillPath(s.translated(rx * 0.15, ry * 0.25), QColor(0, 0, 0, 70)); // contact shadow
    QRadialGradient g(QPointF(-rx * 0.4, -ry * 0.5), std::max(rx, ry) * 1.5);
    g.setColorAt(0, base.lighter(135));
    g.setColorAt(0.6, base);
    g.setColorAt(1, base.darker(140));
    p.fillPath(s, g);
    p.restore();
}

// The noise is sampled per device pixel; it is periodic over the tile's
// width, whatever the pixel count.
QImage noiseField(
    const QSize &size, int ratio, const TileNoise &noise, QColor dark, QColor light, double contrast)
{
    QImage image = denseCanvas(size, QImage::Format_RGB32, ratio);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double n = (noise.at(x, y, image.width()) - 0.5) * contrast + 0.5;
            image.setPixel(x, y, mix(dark, light, n).rgb());
        }
    return image;
}

// Detail is laid out per 256 pixels; a larger tile repeats it with fresh
// randomness, so the pattern's period grows with the tile.
constexpr int kDetailTile = 256;

int tileScale(const QSize &size)
{
    return std::max(1, size.width() / kDetailTile);
}

// A second, coarse layer: brightness drifting by up to kLargeScaleShade
// over a few blotches per tile, so that neighbouring stretches of ground
// differ and the tile's repeat does not catch the eye.
constexpr double kLargeScaleShade = 0.14;

void shadeLargeScale(QImage &image, std::uint32_t seed)
{
    const TileNoise coarse(2, 2, seed);
    const double size = image.width();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double f = 1.0 + (coarse.at(x, y, size) - 0.5) * 2.0 * kLargeScaleShade;
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(int(qRed(c) * f), 0, 255), std::clamp(int(qGreen(c) * f), 0, 255),
                std::clamp(int(qBlue(c) * f), 0, 255));
        }
    }
}

} // namespace

QImage renderSoilTexture(const QSize &size, int ratio)
{
    const int k = tileScale(size);
    QImage image = noiseField(
        size, ratio, TileNoise(4 * k, 5, 305), QColor(0x5e, 0x37, 0x1f), QColor(0x9a, 0x62, 0x36), 2.2);
    shadeLargeScale(image, 3051);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    ArtRandom random(3050);
    grit(
        p, size, random, 900 * k * k, QColor(0xc8, 0x94, 0x5e, 150), QColor(0x3a, 0x22, 0x14, 150), 0.6, 1.6);
    // Thin roots.
    wanderingLines(p, size, random, 6 * k * k, 8,
        QPen(QColor(0x3b, 0x24, 0x16, 170), 1.6, Qt::SolidLine, Qt::RoundCap), [&](double &heading) {
            heading += random.uniform(-0.7, 0.7);
            return QPointF(std::cos(heading), std::sin(heading)) * 7;
        });
    const QColor pebbles[] = {QColor(0x9c, 0x8a, 0x78), QColor(0x8a, 0x6a, 0x4e), QColor(0xb0, 0xa0, 0x8c)};
    for (int i = 0; i < 26 * k * k; ++i) {
        const QPointF c(random.uniform(0, size.width()), random.uniform(0, size.height()));
        const double rx = random.uniform(3, 9), ry = rx * random.uniform(0.55, 0.85),
                     a = random.uniform(-30, 30);
        const QColor base = pebbles[random.range(0, 2)];
        wrapped(p, size, [&] { stone(p, c, rx, ry, a, base); });
    }
    p.end();
    return image;
}

QImage renderSandstoneTexture(const QSize &size, int ratio)
{
    const int k = tileScale(size);
    const TileNoise warp(3 * k, 3, 306), grain(8 * k, 3, 3061);
    const QColor bands[] = {QColor(0xc2, 0x62, 0x3e), QColor(0xd8, 0x84, 0x52), QColor(0xa8, 0x4a, 0x34),
        QColor(0xcc, 0x70, 0x46), QColor(0xe2, 0x96, 0x5e), QColor(0xb2, 0x54, 0x38)};
    const int bandCount = 6 * k;
    // Strata colours in a fixed random order, never the same twice running.
    ArtRandom order(3063);
    std::vector<int> strata(bandCount);
    for (int i = 0; i < bandCount; ++i) {
        do
            strata[i] = order.range(0, 5);
        while (i > 0 && strata[i] == strata[i - 1]);
    }
    QImage image = denseCanvas(size, QImage::Format_RGB32, ratio);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            // Band position wobbles with periodic noise; the band count per
            // tile is whole, so the strata continue across the tile edge.
            const double v = (double(y) / ratio + (warp.at(x, y, image.width()) - 0.5) * 40.0) / size.height()
                * bandCount;
            const double f = v - std::floor(v);
            const int band = ((int(std::floor(v)) % bandCount) + bandCount) % bandCount;
            QColor c = bands[strata[band]];
            if (f > 0.85) // soft transition into the next band
                c = mix(c, bands[strata[(band + 1) % bandCount]], (f - 0.85) / 0.15);
            const double g = grain.at(x, y, image.width());
            c = mix(c.darker(118), c.lighter(112), g);
            image.setPixel(x, y, c.rgb());
        }
    shadeLargeScale(image, 3062);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    ArtRandom random(3060);
    grit(
        p, size, random, 700 * k * k, QColor(0xff, 0xd8, 0xa8, 110), QColor(0x6a, 0x28, 0x1e, 110), 0.5, 1.3);
    // Hairline cracks.
    wanderingLines(p, size, random, 7 * k * k, 5, QPen(QColor(0x5a, 0x22, 0x1a, 150), 1.2),
        [&](double &) { return QPointF(random.uniform(-6, 6), random.uniform(4, 9)); });
    for (int i = 0; i < 10 * k * k; ++i) {
        const QPointF c(random.uniform(0, size.width()), random.uniform(0, size.height()));
        const double rx = random.uniform(3, 7), ry = rx * 0.6;
        wrapped(p, size, [&] { stone(p, c, rx, ry, 0, QColor(0xb8, 0x6a, 0x48)); });
    }
    p.end();
    return image;
}

QImage renderFieldstoneTexture(const QSize &size, int ratio)
{
    QImage image = noiseField(
        size, ratio, TileNoise(4, 4, 2002), QColor(0x3a, 0x34, 0x30), QColor(0x5e, 0x54, 0x4c), 1.6);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    ArtRandom random(2020);
    constexpr int kGrid = 6;
    const double cell = size.width() / double(kGrid);
    const QColor greys[] = {QColor(0x9a, 0x96, 0x8e), QColor(0x84, 0x80, 0x7c), QColor(0xaa, 0xa0, 0x90),
        QColor(0x7c, 0x80, 0x86), QColor(0x94, 0x88, 0x7a)};
    for (int j = 0; j < kGrid; ++j)
        for (int i = 0; i < kGrid; ++i) {
            const QPointF c((i + 0.5 + random.uniform(-0.2, 0.2) + (j % 2) * 0.5) * cell,
                (j + 0.5 + random.uniform(-0.15, 0.15)) * cell);
            // An irregular rounded stone: a smoothed polygon of 7 corners.
            QPainterPath outline;
            QVector<QPointF> corners;
            const double r = cell * random.uniform(0.44, 0.56);
            const double squash = random.uniform(0.65, 0.9), turn = random.uniform(0, kTwoPi);
            for (int k = 0; k < 7; ++k) {
                const double a = turn + kTwoPi * k / 7 + random.uniform(-0.25, 0.25);
                const double rr = r * random.uniform(0.8, 1.1);
                corners.append(QPointF(std::cos(a) * rr, std::sin(a) * rr * squash));
            }
            outline.moveTo((corners[6] + corners[0]) / 2);
            for (int k = 0; k < 7; ++k)
                outline.quadTo(corners[k], (corners[k] + corners[(k + 1) % 7]) / 2);
            const QColor base = greys[random.range(0, 4)];
            wrapped(p, size, [&] {
                p.save();
                p.translate(c);
                p.fillPath(outline.translated(r * 0.12, r * 0.18), QColor(0, 0, 0, 80));
                QRadialGradient g(QPointF(-r * 0.4, -r * 0.45), r * 1.5);
                g.setColorAt(0, base.lighter(140));
                g.setColorAt(0.55, base);
                g.setColorAt(1, base.darker(150));
                p.fillPath(outline, g);
                p.restore();
            });
        }
    p.end();
    return image;
}

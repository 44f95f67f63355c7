// SPDX-License-Identifier: GPL-3.0-or-later
#include "surfaceband.h"

#include "densecanvas.h"
#include "periodicnoise.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

QColor mix(QColor a, QColor b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
        a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

// Draws `draw` at x - width, x and x + width so that shapes crossing the
// strip's left or right edge continue on the other side.
template <typename Draw> void wrappedX(QPainter &p, int width, Draw draw)
{
    for (int dx = -1; dx <= 1; ++dx) {
        p.save();
        p.translate(dx * width, 0);
        draw();
        p.restore();
    }
}

// Periodic 1-D noise along the strip (0..1), `cells` features per strip width.
double along(const PeriodicNoise &noise, double x, int width, int cells)
{
    return noise.at(x / width * cells, 0.5);
}

// Fills the rows beneath the surface line: for each device pixel, the
// layers top to bottom given by colourAt(x, depth) in logical pixels, and an
// alpha fade over the lowest fadeRows rows whose edge wobbles with the noise.
template <typename ColourAt>
void fillLayers(QImage &image, int ratio, const PeriodicNoise &edgeNoise, int fadeRows, ColourAt colourAt)
{
    const int w = image.width();
    const double h = double(image.height()) / ratio;
    for (int px = 0; px < w; ++px) {
        const double x = double(px) / ratio;
        const double wobble = along(edgeNoise, px, w, 24);
        const double fadeStart = h - fadeRows - wobble * fadeRows * 0.8;
        for (int py = kSurfaceLine * ratio; py < image.height(); ++py) {
            const double y = double(py) / ratio;
            QColor c = colourAt(x, y - kSurfaceLine);
            if (y > fadeStart)
                c.setAlphaF(c.alphaF() * std::clamp(1.0 - (y - fadeStart) / (h - fadeStart), 0.0, 1.0));
            image.setPixelColor(px, py, c);
        }
    }
}

} // namespace

QImage renderGrassBand(const QSize &size, int ratio)
{
    const int w = size.width();
    QImage image = denseCanvas(size, QImage::Format_ARGB32_Premultiplied, ratio);
    image.fill(Qt::transparent);
    const PeriodicNoise turf(64, 1701), lip(32, 1702), edge(24, 1703);
    const int depth = size.height() - kSurfaceLine;
    const int turfRows = depth * 5 / 9;
    const QColor turfLight(0x7c, 0xc2, 0x4a), turfDark(0x3f, 0x86, 0x2e);
    const QColor soilLight(0x6e, 0x44, 0x26), soilDark(0x42, 0x28, 0x16);
    fillLayers(image, ratio, edge, depth / 3, [&](double x, double d) {
        // The turf's lower edge wanders by a few rows along the strip.
        const double boundary = turfRows + (along(lip, x, w, 32) - 0.5) * 6.0;
        const double n = turf.at(double(x) / w * 64, d * 0.35);
        if (d < boundary) {
            const QColor c = mix(turfLight, turfDark, d / boundary * 0.7 + (n - 0.5) * 0.5);
            return d < 2 ? c.lighter(112) : c;
        }
        const double s = (d - boundary) / std::max(1.0, depth - boundary);
        return mix(soilLight, soilDark, s * 0.8 + (n - 0.5) * 0.4);
    });

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    ArtRandom random(1704);
    // Tufts: thin curved blades rising from the surface line.
    const QColor blades[] = {QColor(0x5e, 0xaa, 0x3a), QColor(0x86, 0xcc, 0x52), QColor(0x46, 0x92, 0x32)};
    const int tufts = w / 5;
    for (int i = 0; i < tufts; ++i) {
        const double x = random.uniform(0, w);
        const double height = random.uniform(3.0, kSurfaceLine - 1.0);
        const double lean = random.uniform(-3.0, 3.0);
        const QColor c = blades[random.range(0, 2)];
        QPainterPath blade;
        blade.moveTo(x - 1.2, kSurfaceLine + 2);
        blade.quadTo(x + lean * 0.3, kSurfaceLine - height * 0.5, x + lean, kSurfaceLine - height);
        blade.quadTo(x + lean * 0.3 + 0.6, kSurfaceLine - height * 0.5, x + 1.2, kSurfaceLine + 2);
        wrappedX(p, w, [&] { p.fillPath(blade, c); });
    }
    // A few dark roots in the soil lip.
    p.setPen(QPen(QColor(0x2e, 0x1c, 0x10, 140), 1.0));
    for (int i = 0; i < w / 24; ++i) {
        const QPointF a(random.uniform(0, w), kSurfaceLine + turfRows + random.uniform(-2, 2));
        const QPointF b = a + QPointF(random.uniform(-5, 5), random.uniform(3, 8));
        wrappedX(p, w, [&] { p.drawLine(a, b); });
    }
    p.end();
    return image;
}

QImage renderRockCrustBand(const QSize &size, int ratio)
{
    const int w = size.width();
    QImage image = denseCanvas(size, QImage::Format_ARGB32_Premultiplied, ratio);
    image.fill(Qt::transparent);
    const PeriodicNoise grain(96, 2701), seam(24, 2702), edge(24, 2703);
    const int depth = size.height() - kSurfaceLine;
    const int crustRows = depth * 4 / 9;
    const QColor crustLight(0xe8, 0xb0, 0x7a), crustDark(0xc0, 0x78, 0x4c);
    const QColor seamColour(0x7a, 0x34, 0x22), underLight(0xa8, 0x52, 0x36), underDark(0x86, 0x3c, 0x28);
    fillLayers(image, ratio, edge, depth / 3, [&](double x, double d) {
        const double n = grain.at(double(x) / w * 96, d * 0.5);
        const double boundary = crustRows + (along(seam, x, w, 24) - 0.5) * 5.0;
        if (d < boundary - 1.5)
            return mix(crustLight, crustDark, d / boundary * 0.6 + (n - 0.5) * 0.6);
        if (d < boundary + 1.0)
            return seamColour;
        return mix(underLight, underDark, (d - boundary) / std::max(1.0, depth - boundary) + (n - 0.5) * 0.5);
    });

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    ArtRandom random(2704);
    // Vertical cracks through the crust.
    p.setPen(QPen(QColor(0x6a, 0x2c, 0x1c, 170), 1.0));
    for (int i = 0; i < w / 28; ++i) {
        const double x = random.uniform(0, w);
        QPainterPath crack;
        crack.moveTo(x, kSurfaceLine + 1);
        double cx = x;
        for (double y = kSurfaceLine + 4; y < kSurfaceLine + crustRows; y += 4) {
            cx += random.uniform(-1.5, 1.5);
            crack.lineTo(cx, y);
        }
        wrappedX(p, w, [&] { p.drawPath(crack); });
    }
    // Loose grit and small stones resting on the surface.
    p.setPen(Qt::NoPen);
    const QColor stones[] = {QColor(0xd4, 0x90, 0x60), QColor(0xb0, 0x66, 0x40), QColor(0xe6, 0xae, 0x80)};
    for (int i = 0; i < w / 9; ++i) {
        const double rx = random.uniform(0.8, 3.2);
        const double ry = rx * random.uniform(0.5, 0.8);
        const QPointF c(random.uniform(0, w), kSurfaceLine - ry * 0.6);
        const QColor colour = stones[random.range(0, 2)];
        wrappedX(p, w, [&] {
            p.setBrush(colour.darker(130));
            p.drawEllipse(c + QPointF(0.4, 0.6), rx, ry);
            p.setBrush(colour);
            p.drawEllipse(c, rx, ry);
        });
    }
    // A light rim along the very edge.
    p.fillRect(QRectF(0, kSurfaceLine, w, 1.5), QColor(0xf6, 0xd0, 0xa0, 150));
    p.end();
    return image;
}

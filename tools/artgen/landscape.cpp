// SPDX-License-Identifier: GPL-3.0-or-later
#include "landscape.h"

#include "densecanvas.h"
#include "periodicnoise.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <functional>

namespace {

constexpr double kTwoPi = 6.283185307179586;

using Profile = std::function<double(double)>;

// A hill line: a sum of sines over the picture width.
Profile rollingProfile(double base, double amplitude, std::uint32_t seed, double width)
{
    ArtRandom random(seed);
    struct Wave
    {
        double a, f, p;
    };
    std::vector<Wave> waves;
    for (int i = 0; i < 4; ++i)
        waves.push_back({amplitude / (1 + i) * random.uniform(0.6, 1.0), (i + 1) * random.uniform(1.2, 2.6),
            random.uniform(0, kTwoPi)});
    return [=](double x) {
        double y = base;
        for (const Wave &w : waves)
            y -= w.a * std::sin(kTwoPi * w.f * x / width + w.p);
        return y;
    };
}

QPainterPath areaBelow(const Profile &profile, const QSize &size, double step = 4.0)
{
    QPainterPath path;
    path.moveTo(-10, size.height() + 10);
    for (double x = -10; x <= size.width() + 10; x += step)
        path.lineTo(x, profile(x));
    path.lineTo(size.width() + 10, size.height() + 10);
    path.closeSubpath();
    return path;
}

void fillLayer(QPainter &p, const QPainterPath &area, double top, double bottom, QColor upper, QColor lower)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, upper);
    g.setColorAt(1, lower);
    p.fillPath(area, g);
}

// A sunlit rim along the top of a hill layer.
void rimLight(QPainter &p, const Profile &profile, const QSize &size, QColor colour, double width)
{
    QPainterPath line;
    line.moveTo(-10, profile(-10) + width / 2);
    for (double x = -10; x <= size.width() + 10; x += 4)
        line.lineTo(x, profile(x) + width / 2);
    p.strokePath(line, QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

// A picture of the given size filled with a vertical sky gradient that ends
// at the horizon height `horizon`.
QImage skyCanvas(const QSize &size, int ratio, double horizon, const QGradientStops &stops)
{
    QImage image = denseCanvas(size, QImage::Format_RGB32, ratio);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setStops(stops);
    p.fillRect(QRect(QPoint(), size), sky);
    return image;
}

void sunGlow(QPainter &p, QPointF centre, double radius, QColor core, QColor glow, double glowRadius)
{
    QRadialGradient halo(centre, glowRadius);
    halo.setColorAt(0, glow);
    QColor clear = glow;
    clear.setAlpha(0);
    halo.setColorAt(1, clear);
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(centre, glowRadius, glowRadius);
    QRadialGradient disc(centre - QPointF(radius * 0.3, radius * 0.3), radius * 1.2);
    disc.setColorAt(0, core.lighter(115));
    disc.setColorAt(1, core);
    p.setBrush(disc);
    p.drawEllipse(centre, radius, radius);
}

// A cartoon cumulus: overlapping puffs standing on a flat base, shaded
// underneath; `at` is the left end of the base line.
void cloud(QPainter &p, ArtRandom &random, QPointF at, double scale, QColor light, QColor shade)
{
    QPainterPath puffs;
    puffs.setFillRule(Qt::WindingFill); // overlapping puffs must not cancel out
    const int n = random.range(3, 5);
    double x = 0;
    for (int i = 0; i < n; ++i) {
        const bool edge = i == 0 || i == n - 1;
        const double r = scale * random.uniform(16, 26) * (edge ? 0.65 : 1.0);
        puffs.addEllipse(QPointF(at.x() + x + r, at.y() - r * random.uniform(0.55, 0.9)), r, r);
        x += r * random.uniform(1.0, 1.35);
    }
    const double length = x + scale * 14;
    QPainterPath base;
    base.addRoundedRect(QRectF(at.x() + scale * 6, at.y() - scale * 16, length - scale * 8, scale * 16),
        scale * 8, scale * 8);
    puffs = puffs.united(base);
    QPainterPath below;
    below.addRect(at.x() - 100, at.y(), length + 200, 300);
    puffs = puffs.subtracted(below).simplified();
    const QRectF b = puffs.boundingRect();
    QLinearGradient g(0, b.top(), 0, b.bottom());
    g.setColorAt(0.0, light);
    g.setColorAt(0.6, light);
    g.setColorAt(1.0, shade);
    p.fillPath(puffs.translated(scale * 3, scale * 3), QColor(0x5a, 0x8a, 0xb8, 40));
    p.fillPath(puffs, g);
}

// A small flock of birds seen from afar: shallow "v" strokes.
void birds(QPainter &p, ArtRandom &random, QPointF at, int count, QColor colour)
{
    p.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < count; ++i) {
        const QPointF c = at + QPointF(random.uniform(-40, 40), random.uniform(-18, 18));
        const double span = random.uniform(4, 7), lift = random.uniform(1.5, 3.5);
        QPainterPath bird;
        bird.moveTo(c + QPointF(-span, -lift));
        bird.quadTo(c + QPointF(-span * 0.4, -lift * 1.2), c);
        bird.quadTo(c + QPointF(span * 0.4, -lift * 1.2), c + QPointF(span, -lift));
        p.drawPath(bird);
    }
}

void tree(QPainter &p, QPointF foot, double size, QColor leafLight, QColor leafDark)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x6b, 0x4a, 0x2b));
    p.drawRect(QRectF(foot.x() - size * 0.09, foot.y() - size * 0.9, size * 0.18, size * 0.95));
    QPainterPath crown;
    crown.setFillRule(Qt::WindingFill);
    crown.addEllipse(QPointF(foot.x(), foot.y() - size * 1.25), size * 0.55, size * 0.55);
    crown.addEllipse(QPointF(foot.x() - size * 0.35, foot.y() - size * 0.9), size * 0.38, size * 0.38);
    crown.addEllipse(QPointF(foot.x() + size * 0.38, foot.y() - size * 0.92), size * 0.4, size * 0.4);
    crown = crown.simplified();
    QRadialGradient g(foot + QPointF(-size * 0.35, -size * 1.55), size * 1.3);
    g.setColorAt(0, leafLight);
    g.setColorAt(1, leafDark);
    p.fillPath(crown, g);
}

void poplar(QPainter &p, QPointF foot, double size, QColor leafLight, QColor leafDark)
{
    QPainterPath crown;
    crown.addEllipse(QRectF(foot.x() - size * 0.22, foot.y() - size * 1.6, size * 0.44, size * 1.55));
    QLinearGradient g(foot.x() - size * 0.22, 0, foot.x() + size * 0.22, 0);
    g.setColorAt(0, leafLight);
    g.setColorAt(1, leafDark);
    p.fillPath(crown, g);
}

void barn(QPainter &p, QPointF foot, double s)
{
    const QColor outline(0x2a, 0x22, 0x30, 160);
    p.setPen(QPen(outline, 1.2));
    // Silo first, behind the barn.
    QLinearGradient silo(foot.x() + 26 * s, 0, foot.x() + 40 * s, 0);
    silo.setColorAt(0, QColor(0xe8, 0xe4, 0xdc));
    silo.setColorAt(1, QColor(0xa9, 0xa6, 0xa8));
    p.setBrush(silo);
    p.drawRect(QRectF(foot.x() + 26 * s, foot.y() - 46 * s, 14 * s, 46 * s));
    p.drawChord(QRectF(foot.x() + 26 * s, foot.y() - 53 * s, 14 * s, 14 * s), 0, 180 * 16);
    QPolygonF body;
    body << QPointF(foot.x() - 24 * s, foot.y()) << QPointF(foot.x() - 24 * s, foot.y() - 22 * s)
         << QPointF(foot.x(), foot.y() - 38 * s) << QPointF(foot.x() + 24 * s, foot.y() - 22 * s)
         << QPointF(foot.x() + 24 * s, foot.y());
    QLinearGradient wall(foot.x() - 24 * s, 0, foot.x() + 24 * s, 0);
    wall.setColorAt(0, QColor(0xd9, 0x4a, 0x38));
    wall.setColorAt(1, QColor(0xa3, 0x2f, 0x26));
    p.setBrush(wall);
    p.drawPolygon(body);
    p.setPen(QPen(QColor(0xf6, 0xee, 0xe0), 2 * s));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(foot.x() - 8 * s, foot.y() - 16 * s, 16 * s, 16 * s));
    p.drawLine(QPointF(foot.x() - 8 * s, foot.y() - 16 * s), QPointF(foot.x() + 8 * s, foot.y()));
    p.drawLine(QPointF(foot.x() + 8 * s, foot.y() - 16 * s), QPointF(foot.x() - 8 * s, foot.y()));
    p.setPen(QPen(QColor(0x5a, 0x2a, 0x22), 3 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF() << QPointF(foot.x() - 27 * s, foot.y() - 20 * s)
                               << QPointF(foot.x(), foot.y() - 39 * s)
                               << QPointF(foot.x() + 27 * s, foot.y() - 20 * s));
}

} // namespace

QImage renderCountryside(const QSize &size, int ratio)
{
    const double w = size.width(), h = size.height();
    QImage image = skyCanvas(size, ratio, h * 0.72,
        {{0.0, QColor(0x3f, 0x9f, 0xe0)}, {0.6, QColor(0x8f, 0xcf, 0xf2)}, {1.0, QColor(0xe4, 0xf4, 0xf4)}});
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    ArtRandom random(1905);
    sunGlow(p, QPointF(w * 0.11, h * 0.16), 46, QColor(0xff, 0xe0, 0x5c), QColor(255, 255, 240, 140), 200);

    for (int i = 0; i < 9; ++i) {
        const double x = w * (i + random.uniform(0.0, 0.6)) / 9.0;
        const double y = random.uniform(h * 0.1, h * 0.42);
        const double s = random.uniform(0.8, 1.5) * (1.0 - y / h * 0.6);
        cloud(p, random, QPointF(x, y), s, QColor(255, 255, 255), QColor(0xc4, 0xd8, 0xea));
    }

    birds(p, random, QPointF(w * 0.36, h * 0.07), 5, QColor(0x3a, 0x4a, 0x5a, 200));
    birds(p, random, QPointF(w * 0.72, h * 0.3), 3, QColor(0x3a, 0x4a, 0x5a, 200));

    // Distant hazy hills.
    const Profile far = rollingProfile(h * 0.6, 34, 11, w);
    fillLayer(p, areaBelow(far, size), h * 0.5, h * 0.75, QColor(0xa9, 0xd3, 0xc4), QColor(0x9c, 0xc9, 0xa8));
    for (double x = 10; x < w; x += random.uniform(18, 40))
        poplar(p, QPointF(x, far(x) + 3), random.uniform(12, 20), QColor(0x9c, 0xc8, 0xa6),
            QColor(0x84, 0xb5, 0x95));

    // Fields on the middle hills, separated by hedges.
    const Profile mid = rollingProfile(h * 0.68, 40, 23, w);
    const QPainterPath midArea = areaBelow(mid, size);
    fillLayer(p, midArea, h * 0.55, h, QColor(0x9a, 0xcf, 0x63), QColor(0x6f, 0xae, 0x48));
    p.save();
    p.setClipPath(midArea);
    const QColor fieldColours[] = {QColor(0xc9, 0xd8, 0x6a), QColor(0x86, 0xc4, 0x5a),
        QColor(0xe0, 0xc8, 0x6c), QColor(0x9f, 0xd0, 0x6a)};
    for (double x = -20; x < w;) {
        const double fw = random.uniform(120, 260);
        QPolygonF patch;
        const double tilt = random.uniform(-30, 30);
        patch << QPointF(x, 0) << QPointF(x + fw, 0) << QPointF(x + fw + tilt, h) << QPointF(x + tilt, h);
        QColor c = fieldColours[random.range(0, 3)];
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(patch);
        // Furrows running down the slope.
        p.setPen(QPen(c.darker(112), 2));
        for (double fx = x + 8; fx < x + fw; fx += 9)
            p.drawLine(QPointF(fx, mid(fx)), QPointF(fx + tilt * 1.3, h));
        x += fw;
        // Hedge between fields.
        for (double hy = mid(x) - 2; hy < h; hy += 7)
            p.setBrush(QColor(0x4f, 0x8f, 0x3a)), p.setPen(Qt::NoPen),
                p.drawEllipse(QPointF(x + tilt * (hy - mid(x)) / h, hy), 5, 4.5);
    }
    p.restore();
    rimLight(p, mid, size, QColor(0xd6, 0xf0, 0x8e, 200), 3);
    for (double x = 30; x < w; x += random.uniform(60, 170))
        tree(p, QPointF(x, mid(x) + 4), random.uniform(16, 24), QColor(0x8d, 0xcc, 0x56),
            QColor(0x3e, 0x84, 0x30));

    // Near pasture with the farm and big trees.
    const Profile near = rollingProfile(h * 0.8, 30, 37, w);
    fillLayer(p, areaBelow(near, size), h * 0.7, h, QColor(0x7c, 0xc1, 0x4a), QColor(0x4d, 0x94, 0x34));
    rimLight(p, near, size, QColor(0xc4, 0xea, 0x7c, 220), 4);
    barn(p, QPointF(w * 0.37, near(w * 0.37) + 6), 1.4);
    barn(p, QPointF(w * 0.81, near(w * 0.81) + 6), 1.2);
    // A wooden fence along the pasture.
    p.setPen(QPen(QColor(0x8a, 0x5e, 0x36), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (double x = w * 0.45; x < w * 0.7; x += 16)
        p.drawLine(QPointF(x, near(x) + 10), QPointF(x, near(x) - 6));
    for (double rail : {-3.0, 4.0}) {
        QPainterPath railPath;
        railPath.moveTo(w * 0.45, near(w * 0.45) + rail);
        for (double x = w * 0.45; x <= w * 0.7; x += 8)
            railPath.lineTo(x, near(x) + rail);
        p.strokePath(railPath, QPen(QColor(0xa8, 0x78, 0x48), 2.2));
    }
    for (double x = 60; x < w; x += random.uniform(140, 320)) {
        if (std::abs(x - w * 0.37) < 70 || std::abs(x - w * 0.81) < 60)
            continue;
        tree(p, QPointF(x, near(x) + 8), random.uniform(30, 44), QColor(0x9a, 0xd6, 0x5e),
            QColor(0x2f, 0x76, 0x2a));
    }

    // Foreground meadow with flowers.
    const Profile front = rollingProfile(h * 0.92, 18, 41, w);
    fillLayer(p, areaBelow(front, size), h * 0.85, h, QColor(0x5f, 0xad, 0x3c), QColor(0x3d, 0x85, 0x2e));
    rimLight(p, front, size, QColor(0xa8, 0xdc, 0x68, 220), 4);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 260; ++i) {
        const double x = random.uniform(0, w);
        const double y = front(x) + random.uniform(6, h - front(x));
        p.setBrush(random.range(0, 2) ? QColor(255, 255, 255, 210) : QColor(0xff, 0xd8, 0x4a, 220));
        p.drawEllipse(QPointF(x, y), 2.2, 2.2);
    }
    p.end();
    return image;
}

namespace {

// A flat-topped rock massif: steep stepped sides, lit on the left.
struct Mesa
{
    double left, right, top, foot;
};

QPainterPath mesaPath(const Mesa &m, ArtRandom &random)
{
    QPainterPath path;
    const double height = m.foot - m.top;
    const double ledge = height * random.uniform(0.35, 0.55);
    path.moveTo(m.left - height * 0.5, m.foot);
    path.lineTo(m.left - height * 0.12, m.top + ledge);
    path.lineTo(m.left - 4, m.top + ledge - 3);
    path.lineTo(m.left, m.top + 4);
    path.lineTo(m.left + 6, m.top);
    for (double x = m.left + 6; x < m.right - 6; x += 20)
        path.lineTo(x, m.top + random.uniform(-1.5, 1.5));
    path.lineTo(m.right - 6, m.top);
    path.lineTo(m.right, m.top + 5);
    path.lineTo(m.right + 3, m.top + ledge * 0.8);
    path.lineTo(m.right + height * 0.15, m.top + ledge * 0.8 + 4);
    path.lineTo(m.right + height * 0.6, m.foot);
    path.closeSubpath();
    return path;
}

void drawMesas(QPainter &p, const QSize &size, double foot, double minH, double maxH, QColor body, QColor lit,
    QColor strata, std::uint32_t seed, double minW, double maxW)
{
    ArtRandom random(seed);
    for (double x = random.uniform(-100, 0); x < size.width() + 100;) {
        // Mostly broad mesas, now and then a narrow tall butte.
        const bool butte = random.range(0, 2) == 0;
        const double width = butte ? random.uniform(minW * 0.3, minW * 0.6) : random.uniform(minW, maxW);
        const double height = butte ? random.uniform(maxH * 0.9, maxH * 1.25) : random.uniform(minH, maxH);
        const Mesa m {x, x + width, foot - height, foot + 4};
        const QPainterPath path = mesaPath(m, random);
        p.fillPath(path, body);
        p.save();
        p.setClipPath(path);
        // Sunlit left face: everything left of a line a little inside the cliff.
        QPolygonF face;
        face << QPointF(m.left - (m.foot - m.top), m.foot) << QPointF(m.left - 10, m.top)
             << QPointF(m.left + 10, m.top) << QPointF(m.left + 2, m.foot);
        p.setPen(Qt::NoPen);
        p.setBrush(lit);
        p.drawPolygon(face);
        // Rock strata.
        for (double y = m.top + 8; y < m.foot; y += random.uniform(7, 15)) {
            p.setPen(QPen(strata, random.uniform(1.2, 2.6)));
            p.drawLine(QPointF(m.left - 200, y), QPointF(m.right + 200, y + random.uniform(-2, 2)));
        }
        // Erosion gullies running down the cliff faces.
        for (double gx = m.left + random.uniform(10, 30); gx < m.right - 8; gx += random.uniform(18, 45)) {
            QPainterPath gully;
            gully.moveTo(gx, m.top + random.uniform(3, 12));
            gully.cubicTo(gx + random.uniform(-4, 4), m.top + (m.foot - m.top) * 0.4,
                gx + random.uniform(-6, 6), m.top + (m.foot - m.top) * 0.7, gx + random.uniform(-8, 8),
                m.foot);
            p.strokePath(
                gully, QPen(body.darker(125), random.uniform(1.5, 3.0), Qt::SolidLine, Qt::RoundCap));
        }
        // Bright cap rock.
        p.setPen(QPen(lit.lighter(112), 3));
        p.drawLine(QPointF(m.left, m.top + 1.5), QPointF(m.right, m.top + 1.5));
        p.restore();
        x += width + random.uniform(40, 300);
    }
}

void cactus(QPainter &p, QPointF foot, double s, QColor colour)
{
    QPainterPath c;
    c.setFillRule(Qt::WindingFill);
    c.addRoundedRect(QRectF(foot.x() - 4 * s, foot.y() - 44 * s, 8 * s, 46 * s), 4 * s, 4 * s);
    c.addRoundedRect(QRectF(foot.x() - 14 * s, foot.y() - 30 * s, 6 * s, 18 * s), 3 * s, 3 * s);
    c.addRect(QRectF(foot.x() - 14 * s, foot.y() - 16 * s, 12 * s, 5 * s));
    c.addRoundedRect(QRectF(foot.x() + 8 * s, foot.y() - 36 * s, 6 * s, 20 * s), 3 * s, 3 * s);
    c.addRect(QRectF(foot.x() + 2 * s, foot.y() - 21 * s, 12 * s, 5 * s));
    p.fillPath(c.simplified(), colour);
}

} // namespace

QImage renderCanyon(const QSize &size, int ratio)
{
    const double w = size.width(), h = size.height();
    QImage image = skyCanvas(size, ratio, h * 0.74,
        {{0.0, QColor(0x22, 0x1d, 0x4a)}, {0.35, QColor(0x62, 0x36, 0x76)}, {0.62, QColor(0xd2, 0x5c, 0x58)},
            {0.82, QColor(0xf5, 0x9a, 0x4a)}, {1.0, QColor(0xff, 0xd0, 0x78)}});
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    ArtRandom random(2024);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 140; ++i) {
        const double y = random.uniform(0, h * 0.3);
        p.setBrush(QColor(255, 245, 230, int(200 * (1 - y / (h * 0.3)))));
        const double r = random.uniform(0.6, 1.5);
        p.drawEllipse(QPointF(random.uniform(0, w), y), r, r);
    }
    sunGlow(p, QPointF(w * 0.16, h * 0.62), 52, QColor(0xff, 0xb8, 0x4a), QColor(255, 200, 120, 170), 320);

    // Long thin evening clouds, lit from below by the low sun.
    for (int i = 0; i < 14; ++i) {
        const double cx = random.uniform(-100, w), cy = random.uniform(h * 0.1, h * 0.5);
        const double cw = random.uniform(160, 420), ch = random.uniform(4, 9);
        const double warmth = cy / (h * 0.5);
        QLinearGradient g(0, cy - ch, 0, cy + ch);
        g.setColorAt(0, QColor(0x7a, 0x44, 0x82, 150));
        g.setColorAt(1, QColor(0xff, int(120 + 60 * warmth), 0x7a, 230));
        QPainterPath streak;
        streak.setFillRule(Qt::WindingFill);
        streak.addEllipse(QRectF(cx, cy - ch, cw, ch * 2));
        streak.addEllipse(QRectF(cx + cw * random.uniform(0.15, 0.45), cy - ch * 1.7, cw * 0.45, ch * 2));
        p.fillPath(streak.simplified(), g);
    }

    birds(p, random, QPointF(w * 0.45, h * 0.4), 4, QColor(0x3a, 0x20, 0x34, 220));

    drawMesas(p, size, h * 0.72, 40, 95, QColor(0x9a, 0x5e, 0x86), QColor(0xc8, 0x80, 0x8e),
        QColor(0x82, 0x4c, 0x78, 120), 5, 120, 300);
    p.fillRect(QRectF(0, h * 0.72, w, h), QColor(0x9a, 0x5e, 0x86));
    // Evening haze in front of the far mesas.
    QLinearGradient haze(0, h * 0.6, 0, h * 0.76);
    haze.setColorAt(0, QColor(0xff, 0xb0, 0x70, 0));
    haze.setColorAt(1, QColor(0xff, 0xb0, 0x70, 110));
    p.fillRect(QRectF(0, h * 0.6, w, h * 0.16), haze);
    drawMesas(p, size, h * 0.8, 60, 150, QColor(0xa4, 0x48, 0x3a), QColor(0xdb, 0x7c, 0x46),
        QColor(0x84, 0x34, 0x2e, 150), 17, 150, 360);
    const Profile ground = rollingProfile(h * 0.8, 10, 29, w);
    fillLayer(p, areaBelow(ground, size), h * 0.75, h, QColor(0xb8, 0x5a, 0x3c), QColor(0x8c, 0x3e, 0x30));

    // Near rocky ridge with cacti against the glow.
    const Profile ridge = [&](double x) {
        return h * 0.9 - 22 * std::sin(x / 97.0) - 14 * std::sin(x / 41.0 + 1.3)
            - 9 * std::abs(std::sin(x / 23.0));
    };
    fillLayer(p, areaBelow(ridge, size, 3), h * 0.78, h, QColor(0x5e, 0x2c, 0x34), QColor(0x3a, 0x1c, 0x28));
    rimLight(p, ridge, size, QColor(0xf0, 0x8a, 0x52, 200), 3);
    for (double x = 80; x < w; x += random.uniform(160, 380))
        cactus(p, QPointF(x, ridge(x) + 6), random.uniform(0.9, 1.5), QColor(0x2e, 0x18, 0x24));
    p.end();
    return image;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "riderpreview.h"

#include <QLineF>
#include <QPainter>
#include <cmath>

namespace {

// Rest pose of the bike in frame coordinates (scene units, y down).
const QPointF kFrontWheel(33.6, 20.8);
const QPointF kRearWheel(-32.0, 22.4);
const QPointF kRiderMass(0.0, -7.5); // spring rest length minus the rider's sag
// Rider mass at full tilt +1 and -1: the groove ends move by 22.5 and 30.5
// units along x per unit of tilt.
const QPointF kMassAtBack(-28.5, -7.5);
const QPointF kMassAtFront(28.5, -7.5);
constexpr double kWheelRadius = 20.0;
const QPointF kHeadCentre(-5.0, -45.0);
constexpr double kHeadRadius = 12.0;

const QColor kShapePen(0, 160, 255, 200);

void drawPicture(QPainter &p, const QImage &image, QPointF topLeft)
{
    p.drawImage(QRectF(topLeft, QSizeF(image.size())), image);
}

void drawRiderOnBike(QPainter &p, const QMap<QString, QImage> &pic, QPointF mass, double shake)
{
    const QImage &body = pic["driver_body.png"], &upper = pic["driver_foot_high.png"],
                 &lower = pic["driver_foot_low.png"], &hand = pic["driver_hand.png"];
    const double a = 0.8 * QLineF(QPointF(0, 0), mass).angle() + 24;
    const double k = 0.5 * mass.y() - 25;
    const int bw = body.width(), bh = body.height(), uw = upper.width(), uh = upper.height(),
              lw = lower.width(), lh = lower.height();
    p.save();
    p.translate(-10, k);
    p.translate(bw / 2 - 19, bh / 2 - 37);
    p.rotate(0.5 * a - 20);
    p.translate(-bw / 2, -bh / 2);
    drawPicture(p, body, QPointF(0, 0));
    for (double g : {shake, -shake}) { // second leg with the shake mirrored
        p.save();
        p.translate(uw / 2 + 9, bh + uh / 2 - 20 + 0.25 * g);
        p.rotate(25 + g - a / 2.2);
        p.translate(-uw / 2, -uh / 2);
        drawPicture(p, upper, QPointF(0, 0));
        p.translate(uw, -1);
        p.rotate(45 - 0.5 * g - a / 3);
        p.translate(-lw / 2, -lh / 2 - k);
        drawPicture(p, lower, QPointF(0, 0));
        p.restore();
    }
    p.restore();
    p.save();
    p.translate(0, k - 19);
    p.rotate(-2.5 * (k + 10));
    drawPicture(p, hand, QPointF(0, 0));
    p.restore();
}

} // namespace

void drawBikeAtRest(QPainter &p, const QMap<QString, QImage> &pic, bool withShapes)
{
    drawBike(p, pic, kRiderMass, withShapes);
}

void drawBike(QPainter &p, const QMap<QString, QImage> &pic, QPointF riderMass, bool withShapes)
{
    const QImage &wheel = pic["wheel.png"];
    for (QPointF c : {kRearWheel, kFrontWheel})
        drawPicture(p, wheel, c - QPointF(wheel.width() / 2, wheel.height() / 2));
    p.setPen(QPen(QColor(50, 50, 50), 3));
    p.drawLine(QPointF(24, 4), kFrontWheel);
    p.setPen(QPen(QColor(110, 10, 10), 3));
    p.drawLine(QPointF(-5, 20), kRearWheel);
    p.drawLine(QPointF(0, 5), kRearWheel);
    drawPicture(p, pic["bike.png"], QPointF(-50, -20));
    drawRiderOnBike(p, pic, riderMass, 0.0);
    if (!withShapes)
        return;

    p.setPen(QPen(kShapePen, 0));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(QPolygonF() << QPointF(-42.7, -6.5) << QPointF(-42.7, -1.5) << QPointF(38, -1.5)
                              << QPointF(38, -6.5));
    p.drawPolygon(
        QPolygonF() << QPointF(-43, 1.5) << QPointF(-43, 6.5) << QPointF(36, 6.5) << QPointF(36, 1.5));
    p.drawEllipse(kHeadCentre, kHeadRadius, kHeadRadius);
    p.drawEllipse(QPointF(18, -11), 4, 4);
    for (QPointF c : {kRearWheel, kFrontWheel})
        p.drawEllipse(c, kWheelRadius, kWheelRadius);
}

namespace {

// One ragdoll part: sprite centred on its box, box outlined.
void drawPart(QPainter &p, const QImage &image, QPointF centre, double degrees, QSizeF box)
{
    p.save();
    p.translate(centre);
    p.rotate(degrees);
    drawPicture(p, image, QPointF(-image.width() / 2, -image.height() / 2));
    p.setPen(QPen(kShapePen, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(-box.width() / 2, -box.height() / 2, box.width(), box.height()));
    p.restore();
}

QPointF rotated(QPointF v, double degrees)
{
    const double r = degrees * M_PI / 180.0;
    return QPointF(v.x() * std::cos(r) - v.y() * std::sin(r), v.x() * std::sin(r) + v.y() * std::cos(r));
}

// The fallen rider in a relaxed pose with every joint closed: the torso
// upright, hip (0, 21)-(-16, 0), knee (14, 0)-(0, -18), shoulder (4, -13)-(-18, 0).
void drawRagdoll(QPainter &p, const QMap<QString, QImage> &pic)
{
    const double thighAngle = -20, shinAngle = 15, armAngle = 60;
    const QPointF torso(0, 0);
    const QPointF hip = torso + QPointF(0, 21);
    const QPointF thigh = hip - rotated(QPointF(-16, 0), thighAngle);
    const QPointF knee = thigh + rotated(QPointF(14, 0), thighAngle);
    const QPointF shin = knee - rotated(QPointF(0, -18), shinAngle);
    const QPointF shoulder = torso + QPointF(4, -13);
    const QPointF arm = shoulder - rotated(QPointF(-18, 0), armAngle);
    drawPart(p, pic["driver_foot_high.png"], thigh, thighAngle, QSizeF(37, 10));
    drawPart(p, pic["driver_foot_low.png"], shin, shinAngle, QSizeF(10, 40));
    drawPart(p, pic["driver_body.png"], torso, 0, QSizeF(15, 55));
    drawPart(p, pic["driver_hand.png"], arm, armAngle, QSizeF(40, 10));
    p.setPen(QPen(kShapePen, 0));
    p.drawEllipse(torso + QPointF(-5, -24), kHeadRadius, kHeadRadius); // where the bike's head circle was
}

} // namespace

QImage renderRiderPreview(const QMap<QString, QImage> &pictures, double scale)
{
    const QSizeF area(520, 130);
    QImage image((area * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0xee, 0xf4, 0xf8));
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
    p.save();
    p.translate(70, 75);
    drawBikeAtRest(p, pictures, true);
    p.restore();
    p.save();
    p.translate(330, 75);
    drawBike(p, pictures, kMassAtBack, false);
    p.restore();
    p.save();
    p.translate(460, 75);
    drawBike(p, pictures, kMassAtFront, false);
    p.restore();
    p.save();
    p.translate(200, 60);
    drawRagdoll(p, pictures);
    p.restore();
    p.end();
    return image;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "bikepainter.h"

#include "base/densepixmap.h"

#include <QLineF>
#include <QPainter>

namespace {
constexpr int kPenWidth = 3;
const QColor kStrutColor(50, 50, 50, 255);
const QColor kSwingArmColor(110, 10, 10, 255);
// Attachment points on the frame (item coordinates).
const QPointF kForkTop(24, 4);
const QPointF kSwingArmLow(-5, 20);
const QPointF kSwingArmHigh(0, 5);
const QPointF kBikeSpriteTopLeft(-50, -20);

// Rider: a = 0.8 * (angle of the rider mass seen from the frame origin) + 24.
constexpr qreal kLeanFactor = 0.8;
constexpr qreal kLeanOffset = 24.0;
// Everything hangs from a point that follows the rider mass's height:
// k = 0.5 * M.y - 25, translated by (-10, k).
constexpr qreal kRiderX = -10.0;
constexpr qreal kRiderHeightFactor = 0.5;
constexpr qreal kRiderHeightOffset = -25.0;
// Body pivot offsets from the sprite's centre, and its turn 0.5 a - 20.
constexpr qreal kBodyPivotX = -19.0;
constexpr qreal kBodyPivotY = -37.0;
constexpr qreal kBodyTurnFactor = 0.5;
constexpr qreal kBodyTurnOffset = -20.0;
// Legs: hip at (upper w/2 + 9, body h + upper h/2 - 20 +- 0.25 G), thigh
// turned 25 +- G - a/2.2, knee at (upper w, -1), shin turned 45 -+ 0.5 G - a/3.
constexpr qreal kHipX = 9.0;
constexpr qreal kHipY = -20.0;
constexpr qreal kHipShake = 0.25;
constexpr qreal kThighTurn = 25.0;
constexpr qreal kThighLeanDivisor = 2.2;
constexpr qreal kKneeY = -1.0;
constexpr qreal kShinTurn = 45.0;
constexpr qreal kShinShake = 0.5;
constexpr qreal kShinLeanDivisor = 3.0;
// Arm: pivot at (0, k - 19), turned -2.5 (k + 10).
constexpr qreal kArmPivotY = -19.0;
constexpr qreal kArmTurnFactor = -2.5;
constexpr qreal kArmTurnOffset = 10.0;

void drawAtOrigin(QPainter *painter, const QPixmap &pixmap)
{
    painter->drawPixmap(QRectF(QPointF(0, 0), pixmap.deviceIndependentSize()), pixmap, QRectF(pixmap.rect()));
}
} // namespace

BikePainter::BikePainter()
    : m_bike(DensePixmap::load(QStringLiteral(":/images/bike.png")))
    , m_riderBody(DensePixmap::load(QStringLiteral(":/images/driver_body.png")))
    , m_riderHand(DensePixmap::load(QStringLiteral(":/images/driver_hand.png")))
    , m_upperLeg(DensePixmap::load(QStringLiteral(":/images/driver_foot_high.png")))
    , m_lowerLeg(DensePixmap::load(QStringLiteral(":/images/driver_foot_low.png")))
    , m_strutPen(kStrutColor, kPenWidth)
    , m_swingArmPen(kSwingArmColor, kPenWidth)
{ }

qreal BikePainter::leanAngle(QPointF riderMass)
{
    return kLeanFactor * QLineF(QPointF(0, 0), riderMass).angle() + kLeanOffset;
}

void BikePainter::paint(
    QPainter *painter, QPointF front, QPointF rear, QPointF riderMass, float shake, bool riderOn) const
{
    painter->setPen(m_strutPen);
    painter->drawLine(kForkTop, front);
    painter->setPen(m_swingArmPen);
    painter->drawLine(kSwingArmLow, rear);
    painter->drawLine(kSwingArmHigh, rear);
    painter->drawPixmap(
        QRectF(kBikeSpriteTopLeft, m_bike.deviceIndependentSize()), m_bike, QRectF(m_bike.rect()));
    if (riderOn)
        paintRider(painter, riderMass, shake);
}

void BikePainter::paintRider(QPainter *painter, QPointF riderMass, float shake) const
{
    const qreal a = leanAngle(riderMass);
    const qreal k = kRiderHeightFactor * riderMass.y() + kRiderHeightOffset;
    const int bodyW = DensePixmap::logicalSize(m_riderBody).width();
    const int bodyH = DensePixmap::logicalSize(m_riderBody).height();

    painter->save();
    painter->translate(kRiderX, k);
    painter->translate(bodyW / 2 + kBodyPivotX, bodyH / 2 + kBodyPivotY);
    painter->rotate(kBodyTurnFactor * a + kBodyTurnOffset);
    painter->translate(-(bodyW / 2), -(bodyH / 2));
    drawAtOrigin(painter, m_riderBody);
    paintLeg(painter, a, k, shake);
    paintLeg(painter, a, k, -shake);
    painter->restore();

    painter->save();
    painter->translate(0, k + kArmPivotY);
    painter->rotate(kArmTurnFactor * (k + kArmTurnOffset));
    drawAtOrigin(painter, m_riderHand);
    painter->restore();
}

// One leg in the body's coordinates; the second leg mirrors the shake.
void BikePainter::paintLeg(QPainter *painter, qreal a, qreal k, float shake) const
{
    const int bodyH = DensePixmap::logicalSize(m_riderBody).height();
    const QSize upper = DensePixmap::logicalSize(m_upperLeg);
    const QSize lower = DensePixmap::logicalSize(m_lowerLeg);
    const int upperW = upper.width();
    const int upperH = upper.height();
    const int lowerW = lower.width();
    const int lowerH = lower.height();
    const qreal g = shake;

    painter->save();
    painter->translate(upperW / 2 + kHipX, bodyH + upperH / 2 + kHipY + kHipShake * g);
    painter->rotate(kThighTurn + g - a / kThighLeanDivisor);
    painter->translate(-(upperW / 2), -(upperH / 2));
    drawAtOrigin(painter, m_upperLeg);
    painter->translate(upperW, kKneeY);
    painter->rotate(kShinTurn - kShinShake * g - a / kShinLeanDivisor);
    painter->translate(-(lowerW / 2), -(lowerH / 2) - k);
    drawAtOrigin(painter, m_lowerLeg);
    painter->restore();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BIKEPAINTER_H
#define BIKEPAINTER_H

#include <QPen>
#include <QPixmap>
#include <QPointF>

class QPainter;

// Draws the bike in its own item coordinates: fork and swing arm to the
// wheels, the bike sprite and, while the rider sits on it, a rider made of
// four sprites whose joints follow the rider mass, the lean and the engine
// shake. The wheels draw themselves; after a crash the ragdoll draws the
// rider.
class BikePainter
{
public:
    BikePainter();

    // front, rear, riderMass: centres in item coordinates; shake: the
    // engine shake (about -10..10); riderOn: draw the rider.
    void paint(
        QPainter *painter, QPointF front, QPointF rear, QPointF riderMass, float shake, bool riderOn) const;

    // The wheels' picture (the wheels are items of their own).
    static constexpr const char *kWheelPicture = ":/images/wheel.png";

    // The rider's pictures, which the thrown-off rider's parts show too.
    const QPixmap &riderBody() const { return m_riderBody; }
    const QPixmap &riderHand() const { return m_riderHand; }
    const QPixmap &upperLeg() const { return m_upperLeg; }
    const QPixmap &lowerLeg() const { return m_lowerLeg; }

    // Rotation of the rider's body (degrees) for a rider mass at m.
    static qreal leanAngle(QPointF riderMass);

private:
    void paintRider(QPainter *painter, QPointF riderMass, float shake) const;
    void paintLeg(QPainter *painter, qreal a, qreal k, float shake) const;

    QPixmap m_bike;
    QPixmap m_riderBody;
    QPixmap m_riderHand;
    QPixmap m_upperLeg;
    QPixmap m_lowerLeg;
    QPen m_strutPen;
    QPen m_swingArmPen;
};

#endif

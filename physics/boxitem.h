// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BOXITEM_H
#define BOXITEM_H

#include "physicsitem.h"

#include <QGraphicsRectItem>
#include <QPixmap>

class Physics;

// A dynamic box with an optional sprite: level objects of the kind "Box" and
// the rider ragdoll's limbs. Width runs along the body's x axis. A mass that
// is not positive ends the program (the level loader and compiler keep such
// data out); width and height must be positive and finite.
class BoxItem : public PhysicsItem
{
public:
    BoxItem(Physics *physics, qreal width, qreal height, qreal mass, const QString &spriteName = QString());
    ~BoxItem() override;

    qreal width() const { return m_rect.rect().width(); }
    qreal height() const { return m_rect.rect().height(); }
    QString spriteName() const { return m_spriteName; }

    PhysicsItem *clone() const override;
    void updateFromBody() override;
    enum { Type = BoxType };
    int type() const override { return Type; }
    void advance(int phase) override;
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QPixmap m_sprite;
    QString m_spriteName;
    // Drawn when there is no sprite: black outline, green fill.
    QGraphicsRectItem m_rect;
    Physics *m_physics;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "boxitem.h"

#include "base/densepixmap.h"
#include "base/fatalerror.h"
#include "physics.h"

#include <QBrush>
#include <QPainter>
#include <QPen>
#include <cmath>

namespace {
constexpr double kBoxElasticity = 0.0;
constexpr double kBoxFriction = 1.0;
} // namespace

BoxItem::BoxItem(Physics *physics, qreal width, qreal height, qreal mass, const QString &spriteName)
    : PhysicsItem(nullptr)
    , m_spriteName(spriteName)
    , m_rect(-width / 2, -height / 2, width, height)
    , m_physics(physics)
{
    m_rect.setPen(QPen(Qt::black));
    m_rect.setBrush(QBrush(Qt::green, Qt::SolidPattern));
    m_space = physics->space();
    // Chipmunk aborts on a dynamic body without mass; a negative or NaN mass
    // is no better.
    if (!(mass > 0.0))
        fatalError(QStringLiteral("BoxItem::BoxItem - zero mass not supported"));
    m_body = cpSpaceAddBody(m_space, cpBodyNew(mass, cpMomentForBox(mass, width, height)));
    m_shape = cpSpaceAddShape(m_space, cpBoxShapeNew(m_body, width, height, 0.0));
    cpShapeSetElasticity(m_shape, kBoxElasticity);
    cpShapeSetFriction(m_shape, kBoxFriction);
    cpBodySetPosition(m_body, cpvzero);
    if (!spriteName.isEmpty())
        m_sprite = DensePixmap::load(spriteName);
}

BoxItem::~BoxItem()
{
    freeBodyAndShape();
}

PhysicsItem *BoxItem::clone() const
{
    auto *copy = new BoxItem(m_physics, width(), height(), cpBodyGetMass(m_body), m_spriteName);
    copyStateTo(copy);
    return copy;
}

void BoxItem::updateFromBody()
{
    applyBodyPose(this);
    applyBodyPose(&m_rect);
}

void BoxItem::advance(int phase)
{
    if (phase == 1 && m_body)
        updateFromBody();
}

QRectF BoxItem::boundingRect() const
{
    QRectF rect = m_rect.boundingRect();
    if (!m_sprite.isNull())
        rect |= DensePixmap::centredRect(m_sprite);
    return rect;
}

void BoxItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    if (m_sprite.isNull()) {
        m_rect.paint(painter, option, widget);
        return;
    }
    painter->drawPixmap(DensePixmap::centredRect(m_sprite).topLeft(), m_sprite);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "grounditem.h"

#include "base/densepixmap.h"
#include "physics/physics.h"
#include "physics/physicssegment.h"

#include <QBrush>
#include <QPainter>
#include <QPen>
#include <QVector2D>
#include <cmath>

namespace {
// Edge colour of an outline drawn with a line width, and the plain fill of
// terrain without a texture.
const QColor kEdgeColour(219, 135, 41, 255);
const QColor kPlainFillColour(221, 131, 23, 255);
// Line width used for the drawn outline points when none is given (a float
// on purpose: the points lie 0.05 units beside the physical outline).
constexpr float kDefaultLineWidth = 0.1f;
} // namespace

GroundItem::GroundItem(Physics *physics, double x, double y, double lineWidth, const QString &texturePath,
    const QString &pixmapPath)
    : PhysicsItem(nullptr)
    , m_physics(physics)
    , m_startPoint(x, y)
    , m_texturePath(texturePath)
    , m_pixmapPath(pixmapPath)
{
    init(lineWidth);
}

GroundItem::GroundItem(
    Physics *physics, QPointF start, double lineWidth, const QString &texturePath, const QString &pixmapPath)
    : PhysicsItem(nullptr)
    , m_physics(physics)
    , m_startPoint(start)
    , m_texturePath(texturePath)
    , m_pixmapPath(pixmapPath)
{
    init(lineWidth);
}

void GroundItem::init(double lineWidth)
{
    m_lineWidth = lineWidth;
    m_lastPoint = m_startPoint;
    m_space = m_physics->space();
    m_outline.append(m_startPoint);
    if (!m_pixmapPath.isEmpty())
        m_picture = DensePixmap::load(m_pixmapPath);
    if (m_picture.isNull()) {
        if (m_lineWidth > 0)
            m_polygon.setPen(QPen(QBrush(kEdgeColour), int(m_lineWidth)));
        else
            m_polygon.setPen(Qt::NoPen);
        if (!m_texturePath.isEmpty())
            m_texture = DensePixmap::load(m_texturePath);
        if (!m_texture.isNull()) {
            m_polygon.setBrush(DensePixmap::textureBrush(m_texture));
            m_polygon.setPen(Qt::NoPen);
        } else {
            m_polygon.setBrush(QBrush(kPlainFillColour, Qt::SolidPattern));
        }
        if (m_lineWidth == 0.0)
            m_lineWidth = kDefaultLineWidth;
        // Terrain does not change while it is shown: its textured fill is
        // drawn once into a cache in the view's pixels, which follows the
        // camera's scrolling and draws only the strip that scrolls in. Filling
        // the textured outline every frame cost the raster engine a large
        // share of the frame, spread over Qt's worker threads.
        setCacheMode(DeviceCoordinateCache);
    }
    // Static, and deliberately not added to the space: its shapes go into the
    // static index and move only when reindexed.
    m_body = cpBodyNewStatic();
}

GroundItem::~GroundItem()
{
    qDeleteAll(m_segments);
    m_segments.clear();
    cpBodyFree(m_body);
    m_body = nullptr;
}

void GroundItem::addPoint(QPointF p, bool withSegment)
{
    const QPointF previous = m_lastPoint;
    m_lastPoint = p;
    if (withSegment) {
        auto *segment = new PhysicsSegment(m_physics, previous.x(), previous.y(), p.x(), p.y(), m_body);
        segment->setCollisionType(m_collisionType);
        segment->setGroup(m_group);
        segment->setLayers(m_layers);
        m_segments.append(segment);
    }
    const QVector2D d = QVector2D(p - previous).normalized();
    const double h = m_lineWidth * 0.5;
    m_outline.append(QPointF(p.x() - h * d.y(), p.y() + h * d.x()));
}

void GroundItem::completeOutline()
{
    m_endPoint = m_lastPoint;
    if (m_endPoint.x() != m_startPoint.x() || m_endPoint.y() != m_startPoint.y())
        addPoint(m_startPoint, true);
    m_polygon.setPolygon(QPolygonF(m_outline));
}

void GroundItem::setSurface(const QString &stripPath)
{
    prepareGeometryChange();
    QVector<QPointF> corners;
    for (const PhysicsSegment *segment : std::as_const(m_segments))
        corners.append(QPointF(segment->ax(), segment->ay()));
    m_surface.set(m_picture.isNull() ? stripPath : QString(), kSurfaceRow, corners);
}

void GroundItem::advance(int phase)
{
    if (phase == 1 && m_body)
        updateFromBody();
}

// The outline's rectangle; a picture, drawn centred on the origin, is
// covered too, since it usually reaches beyond its collision outline.
QRectF GroundItem::boundingRect() const
{
    QRectF rect = m_polygon.boundingRect();
    if (!m_surface.isEmpty()) {
        const double reach = m_surface.above();
        rect.adjust(-reach, -reach, reach, reach);
    }
    if (!m_picture.isNull()) {
        const QSize size = DensePixmap::logicalSize(m_picture);
        const QRectF pictureRect(-size.width() / 2.0, -size.height() / 2.0, size.width(), size.height());
        rect = rect.width() == 0 ? pictureRect : rect | pictureRect.adjusted(-1, -1, 1, 1);
    }
    return rect;
}

void GroundItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    if (m_picture.isNull()) {
        m_polygon.paint(painter, option, widget);
        m_surface.paint(painter);
        return;
    }
    const int w = DensePixmap::logicalSize(m_picture).width();
    const int h = DensePixmap::logicalSize(m_picture).height();
    painter->drawPixmap(QRect(qRound(-w * 0.5), qRound(-h * 0.5), w, h), m_picture);
}

PhysicsItem *GroundItem::clone() const
{
    auto *copy = new GroundItem(m_physics, m_startPoint, m_lineWidth, m_texturePath, m_pixmapPath);
    for (const PhysicsSegment *segment : m_segments)
        copy->addPoint(QPointF(segment->bx(), segment->by()), true);
    copy->completeOutline();
    copy->setBodyAngle(bodyAngle());
    copy->setBodyPos(bodyX(), bodyY());
    copy->setGroup(m_group);
    copy->setLayers(m_layers);
    copy->setCollisionType(m_collisionType);
    copy->setTypeId(typeId());
    if (m_foreground)
        copy->setForeground();
    copy->setSurface(m_surface.path());
    copy->setVisible(isVisible());
    return copy;
}

// Segments on a static body keep their place in the collision index until
// reindexed; only this item's segments need it.
void GroundItem::reindexSegments()
{
    if (m_body && !m_segments.isEmpty())
        cpSpaceReindexShapesForBody(m_space, m_body);
}

void GroundItem::setBodyPos(qreal x, qreal y)
{
    PhysicsItem::setBodyPos(x, y);
    reindexSegments();
}

void GroundItem::setBodyAngle(qreal degrees)
{
    PhysicsItem::setBodyAngle(degrees);
    reindexSegments();
}

void GroundItem::setGroup(int group)
{
    m_group = group;
    for (PhysicsSegment *segment : m_segments)
        segment->setGroup(group);
}

void GroundItem::setCollisionType(int type)
{
    m_collisionType = type;
    for (PhysicsSegment *segment : m_segments)
        segment->setCollisionType(type);
}

void GroundItem::setLayers(unsigned int mask)
{
    m_layers = mask;
    for (PhysicsSegment *segment : m_segments)
        segment->setLayers(mask);
}

void GroundItem::updateFromBody()
{
    applyBodyPose(this);
    applyBodyPose(&m_polygon);
}

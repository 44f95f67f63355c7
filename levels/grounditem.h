// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GROUNDITEM_H
#define GROUNDITEM_H

#include "levels/surfaceband.h"
#include "physics/physicsitem.h"

#include <QGraphicsPolygonItem>
#include <QPixmap>
#include <QVector>

class Physics;
class QSqlDatabase;
class PhysicsSegment;

// A piece of terrain, or a static object of a level: an outline of straight
// edges, each a PhysicsSegment on the item's own static body. The body is
// never added to the space; moving it reindexes the item's segments. Terrain
// is drawn as the outline polygon filled with the pack's ground texture and,
// once given one, the pack's surface strip along its top edges; a static
// object draws its picture centred on its origin instead.
class GroundItem : public PhysicsItem
{
public:
    GroundItem(Physics *physics, double x, double y, double lineWidth, const QString &texturePath,
        const QString &pixmapPath);
    GroundItem(Physics *physics, QPointF start, double lineWidth, const QString &texturePath,
        const QString &pixmapPath);
    ~GroundItem() override;

    // Reads ground item groundItemId with its vertices from the level
    // database db and returns it completed. Vertices with a non-finite or
    // out-of-range point are skipped with a log line; a start point of that
    // kind yields null (the caller skips the item). A missing row is fatal.
    static GroundItem *loadGroundItem(const QSqlDatabase &db, int groundItemId, Physics *physics,
        const QString &texturePath, const QString &pixmapPath);

    // Appends p to the outline; with withSegment also the edge from the last
    // point to p.
    void addPoint(QPointF p, bool withSegment);
    // Closes the outline back to the start point when it ends elsewhere and
    // hands it to the polygon.
    void completeOutline();
    // Lays the surface strip picture at stripPath along the completed
    // outline's top edges (see SurfaceBand); an empty path removes it. Row
    // kSurfaceRow of the strip lies on the outline.
    void setSurface(const QString &stripPath);
    const SurfaceBand &surface() const { return m_surface; }
    static constexpr int kSurfaceRow = 12;
    void setForeground() { m_foreground = true; }
    bool isForeground() const { return m_foreground; }

    const QVector<PhysicsSegment *> &segments() const { return m_segments; }
    const QVector<QPointF> &outline() const { return m_outline; }
    QPointF startPoint() const { return m_startPoint; }
    QPointF endPoint() const { return m_endPoint; }
    double lineWidth() const { return m_lineWidth; }
    const QGraphicsPolygonItem &polygonItem() const { return m_polygon; }

    void advance(int phase) override;
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    PhysicsItem *clone() const override;
    void setBodyPos(qreal x, qreal y) override;
    void setBodyAngle(qreal degrees) override;
    void setGroup(int group) override;
    void setCollisionType(int type) override;
    void setLayers(unsigned int mask) override;
    void updateFromBody() override;
    enum { Type = GroundType };
    int type() const override { return Type; }
    // Terrain, as opposed to a level's static object.
    bool isTerrain() const { return typeId() == 0; }

private:
    void init(double lineWidth);
    void reindexSegments();

    Physics *m_physics;
    QGraphicsPolygonItem m_polygon;
    QPointF m_startPoint;
    QPointF m_endPoint;
    QPointF m_lastPoint;
    QString m_texturePath;
    QString m_pixmapPath;
    QPixmap m_texture;
    QPixmap m_picture;
    QVector<QPointF> m_outline;
    QVector<PhysicsSegment *> m_segments;
    SurfaceBand m_surface;
    double m_lineWidth = 0.0;
    int m_group = 0;
    int m_collisionType = 0;
    unsigned int m_layers = 0;
    bool m_foreground = false;
};

#endif

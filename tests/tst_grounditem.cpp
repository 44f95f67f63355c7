// SPDX-License-Identifier: GPL-3.0-or-later
// Terrain and static objects: outlines and their closing edge, drawing set-up,
// collision attributes reaching every segment, moving the static body.

#include "levels/grounditem.h"
#include "physics/ballitem.h"
#include "physics/physics.h"
#include "physics/physicssegment.h"

#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {
GroundItem *rectangle(Physics *physics, bool closingVertex, const QString &texture = QString())
{
    auto *item = new GroundItem(physics, 0, 0, 0.0, texture, QString());
    item->addPoint(QPointF(100, 0), true);
    item->addPoint(QPointF(100, 50), true);
    item->addPoint(QPointF(0, 50), true);
    if (closingVertex)
        item->addPoint(QPointF(0, 0), true);
    item->completeOutline();
    return item;
}
// The scene area (0, 0, size) with the item in it, drawn on white.
QImage rendered(GroundItem *item, const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QGraphicsScene scene;
    scene.addItem(item);
    QPainter painter(&image);
    const QRectF area(QPointF(0, 0), QSizeF(size));
    scene.render(&painter, area, area);
    painter.end();
    scene.removeItem(item);
    return image;
}
} // namespace

class TestGroundItem : public QObject
{
    Q_OBJECT
private slots:
    void outlineIsClosedOnce_data()
    {
        QTest::addColumn<bool>("closingVertex");
        QTest::addColumn<int>("outlinePoints");
        QTest::newRow("closed by the loader") << false << 5;
        QTest::newRow("closed by its last vertex") << true << 5;
    }
    void outlineIsClosedOnce()
    {
        QFETCH(bool, closingVertex);
        QFETCH(int, outlinePoints);
        Physics physics(450);
        QScopedPointer<GroundItem> item(rectangle(&physics, closingVertex));
        QCOMPARE(item->segments().size(), 4);
        QCOMPARE(item->outline().size(), outlinePoints);
        const PhysicsSegment *last = item->segments().last();
        QCOMPARE(QPointF(last->ax(), last->ay()), QPointF(0, 50));
        QCOMPARE(QPointF(last->bx(), last->by()), QPointF(0, 0));
        QCOMPARE(item->endPoint(), closingVertex ? QPointF(0, 0) : QPointF(0, 50));
        QCOMPARE(item->polygonItem().polygon().size(), outlinePoints);
        QCOMPARE(qgraphicsitem_cast<GroundItem *>(static_cast<QGraphicsItem *>(item.data())), item.data());
        QVERIFY(item->isTerrain());
        // The segments hang on the item's own static body.
        QCOMPARE(cpShapeGetBody(last->physicsShape()), item->body());
        QCOMPARE(cpBodyGetType(item->body()), CP_BODY_TYPE_STATIC);
    }

    // Drawn points lie half the default line width (0.05) beside the edge.
    void drawnPointsAreOffset()
    {
        Physics physics(450);
        QScopedPointer<GroundItem> item(rectangle(&physics, false));
        QCOMPARE(item->lineWidth(), double(0.1f));
        const QPointF first = item->outline().at(1); // edge (0,0) -> (100,0)
        QCOMPARE(first.x(), 100.0);
        QVERIFY(qAbs(first.y() - 0.05) < 1e-7);
    }

    void plainFillWithoutTexture()
    {
        Physics physics(450);
        QScopedPointer<GroundItem> item(rectangle(&physics, false, QStringLiteral(":/images/missing.jpg")));
        QCOMPARE(item->polygonItem().pen().style(), Qt::NoPen);
        QCOMPARE(item->polygonItem().brush().color(), QColor(221, 131, 23));
        QCOMPARE(item->polygonItem().brush().style(), Qt::SolidPattern);
        const QImage image = rendered(item.data(), QSize(120, 60));
        QCOMPARE(image.pixelColor(50, 25), QColor(221, 131, 23));
        QCOMPARE(image.pixelColor(110, 25), QColor(Qt::white));
    }

    void textureFillsThePolygon()
    {
        QTemporaryDir dir;
        QImage texture(8, 8, QImage::Format_RGB32);
        texture.fill(QColor(10, 200, 30));
        const QString path = dir.filePath("texture.png");
        QVERIFY(texture.save(path));
        Physics physics(450);
        QScopedPointer<GroundItem> item(rectangle(&physics, false, path));
        QCOMPARE(item->polygonItem().brush().texture().size(), QSize(8, 8));
        QCOMPARE(item->polygonItem().pen().style(), Qt::NoPen);
    }

    // A strip of one colour laid on a box with a ledge: the top edges get
    // it (inside the ground, down to the strip's depth), the walls and the
    // underside do not, and the collision outline stays as it was.
    void surfaceStripOnTopEdgesOnly()
    {
        QTemporaryDir dir;
        constexpr int kDepth = 20;
        QImage strip(16, GroundItem::kSurfaceRow + kDepth, QImage::Format_ARGB32);
        strip.fill(QColor(255, 0, 0));
        const QString stripPath = dir.filePath("strip.png");
        QVERIFY(strip.save(stripPath));
        Physics physics(450);
        // A block 200 wide whose right half overhangs a cut-out: its top
        // (y 40), a wall down, the underside of the overhang (y 100) back to
        // x 100, a wall down to y 160 and back along the bottom.
        QScopedPointer<GroundItem> item(new GroundItem(&physics, 0, 40, 0.0, QString(), QString()));
        for (const QPointF p :
            {QPointF(200, 40), QPointF(200, 100), QPointF(100, 100), QPointF(100, 160), QPointF(0, 160)})
            item->addPoint(p, true);
        item->completeOutline();
        QVector<QPointF> before;
        for (const PhysicsSegment *s : item->segments())
            before << QPointF(s->ax(), s->ay()) << QPointF(s->bx(), s->by());
        item->setSurface(stripPath);
        QVector<QPointF> after;
        for (const PhysicsSegment *s : item->segments())
            after << QPointF(s->ax(), s->ay()) << QPointF(s->bx(), s->by());
        QCOMPARE(after, before);
        QCOMPARE(item->surface().pieces().size(), 1);

        const QImage image = rendered(item.data(), QSize(240, 200));
        const QColor red(255, 0, 0);
        const QColor fill(221, 131, 23);
        // Under the top edge, across its whole length.
        for (int x : {5, 100, 195})
            QCOMPARE(image.pixelColor(x, 40 + kDepth / 2), red);
        // Deeper than the strip: the ground fill.
        QCOMPARE(image.pixelColor(50, 40 + kDepth + 5), fill);
        // Along the overhang's underside and along the walls: no strip.
        QCOMPARE(image.pixelColor(150, 100 - 3), fill);
        QCOMPARE(image.pixelColor(200 - 3, 75), fill);
        QCOMPARE(image.pixelColor(100 - 3, 130), fill);
        QCOMPARE(image.pixelColor(50, 160 - 3), fill);
        // Above the edge: the strip's upper rows, outside the ground.
        QCOMPARE(image.pixelColor(100, 40 - GroundItem::kSurfaceRow / 2), red);
        // Nothing beyond the right wall, where the top edge ends.
        QCOMPARE(image.pixelColor(205, 40 + kDepth / 2), QColor(Qt::white));
    }

    // Neighbouring top edges share their corner points at every depth: no
    // gap opens over a crest and the strips do not cross in a dip.
    void surfaceStripJoinsAtCorners()
    {
        // A crest at (100, 0) and a dip at (200, 30), then walls and bottom.
        const QVector<QPointF> outline = {QPointF(0, 30), QPointF(100, 0), QPointF(200, 30), QPointF(300, 0),
            QPointF(300, 200), QPointF(0, 200)};
        const QVector<SurfaceBand::Piece> pieces = SurfaceBand::build(outline, 10, 20);
        QCOMPARE(pieces.size(), 3);
        for (int i = 0; i + 1 < pieces.size(); ++i) {
            // Quad corners: start top, end top, end bottom, start bottom.
            QCOMPARE(pieces[i].quad[1], pieces[i + 1].quad[0]);
            QCOMPARE(pieces[i].quad[2], pieces[i + 1].quad[3]);
        }
        // The run's ends lie on the walls' lines (x 0 and x 300).
        QVERIFY(qAbs(pieces.first().quad[0].x()) < 1e-9);
        QVERIFY(qAbs(pieces.first().quad[3].x()) < 1e-9);
        QVERIFY(qAbs(pieces.last().quad[1].x() - 300) < 1e-9);
        QVERIFY(qAbs(pieces.last().quad[2].x() - 300) < 1e-9);
        // The strip flows on across the crest: on the second edge, strip
        // column "length of the first edge" lies on the crest.
        QVERIFY(
            QLineF(pieces[1].stripToItem.map(QPointF(QLineF(0, 30, 100, 0).length(), 10)), QPointF(100, 0))
                .length()
            < 1e-9);
    }

    void collisionAttributesReachEverySegment()
    {
        Physics physics(450);
        GroundItem item(&physics, 0, 0, 0.0, QString(), QString());
        for (int i = 1; i <= 9; ++i)
            item.addPoint(QPointF(i * 10, (i % 2) * 5), true);
        item.completeOutline();
        QCOMPARE(item.segments().size(), 10);
        item.setCollisionType(1);
        item.setGroup(2);
        item.setLayers(17);
        for (const PhysicsSegment *s : item.segments()) {
            QCOMPARE(s->collisionType(), 1);
            QCOMPARE(s->group(), 2);
            QCOMPARE(s->layers(), 17u);
        }
    }

    // The body is static and never added to the space; moving it must carry
    // the segments along in the collision search.
    void movedOutlineCollidesAtItsNewPlace()
    {
        Physics physics(450);
        GroundItem item(&physics, -50, 0, 0.0, QString(), QString());
        item.addPoint(QPointF(50, 0), true);
        item.addPoint(QPointF(50, 20), true);
        item.addPoint(QPointF(-50, 20), true);
        item.completeOutline();
        item.setLayers(17);
        item.setBodyPos(1000, 300);
        item.setBodyAngle(0);
        item.advance(1);
        QCOMPARE(item.pos(), QPointF(1000, 300));
        BallItem ball(&physics, 10, 1);
        ball.setBodyPos(1000, 250);
        for (int i = 0; i < 150; ++i)
            physics.update();
        QVERIFY2(qAbs(ball.bodyY() - 289.0) < 1.0, qPrintable(QString::number(ball.bodyY())));
        QCOMPARE(cpSpaceContainsBody(physics.space(), item.body()), cpFalse);
    }

    void staticObjectKinds()
    {
        Physics physics(450);
        GroundItem item(&physics, 0, 0, 0.0, QString(), QString());
        item.setTypeId(12);
        QVERIFY(!item.isTerrain());
        QVERIFY(!item.isForeground());
        item.setForeground();
        QVERIFY(item.isForeground());
        QVERIFY(!item.isTerrain());
        QVERIFY(item.isForeground());
    }

    // Without an outline a static object is only its picture: no segments,
    // its bounding rectangle is the picture centred on the origin.
    void pictureOnlyStaticObject()
    {
        QTemporaryDir dir;
        QImage picture(48, 64, QImage::Format_ARGB32);
        picture.fill(Qt::blue);
        const QString path = dir.filePath("sign.png");
        QVERIFY(picture.save(path));
        Physics physics(450);
        GroundItem item(&physics, -100, 10000, 0.0, QString(), path);
        item.setTypeId(17);
        QCOMPARE(item.segments().size(), 0);
        QCOMPARE(item.outline().size(), 1);
        QCOMPARE(item.boundingRect(), QRectF(-24, -32, 48, 64));
    }

    void cloneCopiesOutlineAndPlacement()
    {
        Physics physics(450);
        QScopedPointer<GroundItem> item(rectangle(&physics, false));
        item->setTypeId(3);
        item->setCollisionType(8);
        item->setLayers(17);
        item->setBodyPos(40, 50);
        QScopedPointer<PhysicsItem> copy(item->clone());
        auto *c = dynamic_cast<GroundItem *>(copy.data());
        QVERIFY(c);
        QCOMPARE(c->segments().size(), 4);
        QCOMPARE(c->bodyX(), 40.0);
        QCOMPARE(c->typeId(), 3);
        QCOMPARE(c->segments().first()->collisionType(), 8);
        QCOMPARE(c->segments().first()->layers(), 17u);
    }
};

QTEST_MAIN(TestGroundItem)
#include "tst_grounditem.moc"

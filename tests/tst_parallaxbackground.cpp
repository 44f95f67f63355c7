// SPDX-License-Identifier: GPL-3.0-or-later
// The background picture's placement: the horizon laid against the level's
// ground, following it at a fraction of its speed, and the uncovered rows.

#include "game/parallaxbackground.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr qreal kViewWidth = 1267;
constexpr qreal kViewHeight = 712;
constexpr qreal kZoom = 0.7;
const QRectF kScene(-300, -1200, 5000, 1700);

// The part of the scene shown when the ground (y 0) is groundOnScreen pixels
// below the viewport's top.
QRectF visibleWithGroundAt(qreal groundOnScreen, qreal left = 0)
{
    return QRectF(left, -groundOnScreen / kZoom, kViewWidth / kZoom, kViewHeight / kZoom);
}
} // namespace

class TestParallaxBackground : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_picture;

private slots:
    void initTestCase()
    {
        // Sky above row 300, ground colour below: like the pack pictures,
        // shorter than the view.
        QImage image(2000, 600, QImage::Format_RGB32);
        QPainter p(&image);
        p.fillRect(0, 0, 2000, 300, QColor(80, 150, 230));
        p.fillRect(0, 300, 2000, 300, QColor(60, 160, 60));
        p.end();
        m_picture = m_dir.filePath("bg.png");
        QVERIFY(image.save(m_picture));
    }

    // The picture's horizon row sits above the ground on screen, inside the
    // view, so that what stands on the horizon shows over the terrain.
    void horizonStandsOnTheGround()
    {
        ParallaxBackground background;
        background.setImage(m_picture);
        background.setGroundLevel(0.0);
        const QRectF view(0, 0, kViewWidth, kViewHeight);
        for (qreal ground : {300.0, 430.0, 520.0}) {
            const auto p = background.placement(view, kScene, visibleWithGroundAt(ground), kZoom);
            const qreal scale = p.target.height() / p.source.height();
            const qreal horizon = p.target.top() + 600 * ParallaxBackground::kHorizonRow * scale;
            QVERIFY2(horizon > 0 && horizon <= ground, qPrintable(QString("%1 %2").arg(horizon).arg(ground)));
        }
    }

    // The horizon moves by a fraction of the ground's movement on screen.
    void horizonFollowsAtAFraction()
    {
        ParallaxBackground background;
        background.setImage(m_picture);
        background.setGroundLevel(0.0);
        const QRectF view(0, 0, kViewWidth, kViewHeight);
        const auto a = background.placement(view, kScene, visibleWithGroundAt(400), kZoom);
        const auto b = background.placement(view, kScene, visibleWithGroundAt(500), kZoom);
        QVERIFY(qAbs((b.target.top() - a.target.top()) - 100 * ParallaxBackground::kVerticalFollow) < 1e-6);
        // Sideways the picture still scrolls slower than the scene.
        const auto c = background.placement(view, kScene, visibleWithGroundAt(400, 1000), kZoom);
        QVERIFY(c.source.x() > a.source.x());
        QVERIFY(c.source.x() < 1000 * kZoom);
    }

    // Above the picture its top row, below it its bottom row: nothing is
    // left unpainted when the camera is far above or below the ground.
    void uncoveredRowsArePainted()
    {
        ParallaxBackground background;
        background.setImage(m_picture);
        background.setGroundLevel(0.0);
        const QRectF view(0, 0, kViewWidth, kViewHeight);
        const QRectF high = visibleWithGroundAt(1200);
        QVERIFY(background.placement(view, kScene, high, kZoom).target.top() > 10);
        const QRectF low = visibleWithGroundAt(-1000);
        QVERIFY(background.placement(view, kScene, low, kZoom).target.bottom() < kViewHeight - 10);
        for (const QRectF &visible : {high, low}) {
            QImage frame(int(kViewWidth), int(kViewHeight), QImage::Format_RGB32);
            frame.fill(Qt::black);
            QPainter painter(&frame);
            background.draw(&painter, view, kScene, visible, kZoom);
            painter.end();
            QCOMPARE(frame.pixelColor(600, 2),
                QColor(visible == high ? QColor(80, 150, 230) : QColor(60, 160, 60)));
            QCOMPARE(frame.pixelColor(600, int(kViewHeight) - 2), QColor(60, 160, 60));
        }
    }

    // Scaled up to a view taller than the picture, the picture still reaches
    // the view's right edge: its scaled width falls short of the view by
    // part of a pixel, which the scaled draw left as a column of whatever
    // was beneath.
    void scaledPictureCoversTheView()
    {
        ParallaxBackground background;
        background.setImage(m_picture);
        background.setGroundLevel(0.0);
        const QRectF view(0, 0, kViewWidth, kViewHeight);
        const QColor beneath(255, 0, 255);
        for (qreal left : {0.0, 1000.0, 3000.0}) {
            const QRectF visible = visibleWithGroundAt(430, left);
            const auto p = background.placement(view, kScene, visible, kZoom);
            QVERIFY(p.target.height() > p.source.height());
            QImage frame(int(kViewWidth), int(kViewHeight), QImage::Format_RGB32);
            frame.fill(beneath);
            QPainter painter(&frame);
            background.draw(&painter, view, kScene, visible, kZoom);
            painter.end();
            for (int y = 0; y < frame.height(); ++y)
                for (int x = 0; x < frame.width(); ++x)
                    if (frame.pixelColor(x, y) == beneath)
                        QFAIL(
                            qPrintable(QString("pixel %1,%2 left unpainted at %3").arg(x).arg(y).arg(left)));
        }
    }

    // Without a ground level the picture keeps its old placement: the view's
    // height, from the picture's top.
    void withoutGroundThePictureFillsTheHeight()
    {
        ParallaxBackground background;
        background.setImage(m_picture);
        const auto p = background.placement(
            QRectF(0, 0, kViewWidth, kViewHeight), kScene, visibleWithGroundAt(400), kZoom);
        QCOMPARE(p.target.top(), 0.0);
        QCOMPARE(p.target.height(), kViewHeight);
    }
};

QTEST_MAIN(TestParallaxBackground)
#include "tst_parallaxbackground.moc"

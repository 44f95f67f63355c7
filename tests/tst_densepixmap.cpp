// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures for dense screens: at a device pixel ratio of 2 (this test runs
// with QT_SCALE_FACTOR=2) buttons, panels, the scene's sprites, the clock
// and the background draw from the @2x pictures, which have twice the
// pixels each way and the same size on screen.

#include "base/densepixmap.h"
#include "game/parallaxbackground.h"
#include "levels/surfaceband.h"
#include "menus/buttonpixmap.h"
#include "menus/menuwidget.h"
#include "menus/numberdisplay.h"
#include "physics/ballitem.h"
#include "physics/physics.h"
#include "testsupport.h"
#include "vehicle/bikepainter.h"

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QtTest>
#include <cstdlib>

namespace {
class Panel : public MenuWidget
{
public:
    using MenuWidget::MenuWidget;
};

constexpr int kGravity = 450;
constexpr qreal kBallRadius = 15.0;
// Rows of a surface strip above the ground's outline.
constexpr int kSurfaceRow = 12;
// Where the bike painter puts its frame picture's top-left corner.
const QPoint kBikeSpriteTopLeft(-50, -20);
// Mean difference per colour channel (0-255) below which two pictures of
// the same size show the same thing (one sharper than the other).
constexpr double kSamePicture = 12.0;
// Least share of a drawing's pixels that must be drawn on.
constexpr double kLeastCover = 0.1;

// What `paint` draws into a picture of `logical` size at `ratio` pixels per
// logical pixel, as an image of ratio 1 (one image pixel per pixel).
template <typename Paint>
QImage paintAt(
    qreal ratio, QSize logical, Paint paint, QImage::Format format = QImage::Format_ARGB32_Premultiplied)
{
    QImage image((QSizeF(logical) * ratio).toSize(), format);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    paint(p);
    p.end();
    image.setDevicePixelRatio(1.0);
    return image;
}

template <typename Paint>
QImage paintDense(QSize logical, Paint paint, QImage::Format format = QImage::Format_ARGB32_Premultiplied)
{
    return paintAt(2.0, logical, paint, format);
}

// Share of the pixels that are not fully transparent.
double coveredShare(const QImage &image)
{
    qint64 covered = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            covered += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return double(covered) / (qint64(image.width()) * image.height());
}

// Mean absolute difference per channel, alpha included; a null `b` counts
// as fully transparent.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.isNull() ? QImage() : b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *lx = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *ly = y.isNull() ? nullptr : reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = lx[col];
            const QRgb q = ly ? ly[col] : 0;
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q))
                + std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    }
    return double(sum) / (4.0 * x.width() * x.height());
}
} // namespace

class TestDensePixmap : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(qApp->devicePixelRatio(), 2.0); }

    void variantPaths()
    {
        QCOMPARE(DensePixmap::variantPath(":/images/back_off.png", 2), QString(":/images/back_off@2x.png"));
        QCOMPARE(DensePixmap::variantPath("a.b/c", 2), QString("a.b/c@2x"));
    }

    void buttonPictureHasTwiceThePixels()
    {
        ButtonPixmap button(":/images/back_off.png", ":/images/back_on.png", 0, 0, 64, 64, 0, 0, 64, 64, 0);
        const QPixmap plain(":/images/back_off.png");
        QVERIFY(!plain.isNull());
        const QPixmap &shown = button.currentPixmap();
        QCOMPARE(shown.size(), plain.size() * 2);
        QCOMPARE(shown.devicePixelRatio(), 2.0);
        QCOMPARE(shown.deviceIndependentSize(), QSizeF(plain.size()));
        button.setPressed(true);
        QCOMPARE(button.currentPixmap().size(), plain.size() * 2);
    }

    void panelBackgroundHasTwiceThePixels()
    {
        Panel panel;
        panel.setBackground(":/images/ingamemenu.png");
        const QPixmap plain(":/images/ingamemenu.png");
        QCOMPARE(panel.background().size(), plain.size() * 2);
        QCOMPARE(panel.background().deviceIndependentSize(), QSizeF(plain.size()));
    }

    // The dense picture is the same drawing, not the plain one enlarged: it
    // has detail between the plain picture's pixels.
    void denseVariantIsDrawnNotEnlarged()
    {
        const QImage plain(":/images/back_off.png");
        const QImage dense(":/images/back_off@2x.png");
        const QImage enlarged = plain.scaled(plain.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        QCOMPARE(dense.size(), enlarged.size());
        QVERIFY(
            dense.convertToFormat(QImage::Format_ARGB32) != enlarged.convertToFormat(QImage::Format_ARGB32));
    }

    // Every picture, drawn from SVG sources or generated, comes in both
    // ratios.
    void everyPictureHasItsVariant()
    {
        QFile file(TestSupport::sourceDir() + "/assets/pictures.json");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonArray pictures
            = QJsonDocument::fromJson(file.readAll()).object().value("pictures").toArray();
        QVERIFY(!pictures.isEmpty());
        int generated = 0;
        for (const QJsonValue &v : pictures) {
            const QJsonObject o = v.toObject();
            const QString path = ":/images/" + o.value("file").toString();
            const QImage image(DensePixmap::variantPath(path, 2));
            QVERIFY2(!image.isNull(), qPrintable(DensePixmap::variantPath(path, 2)));
            QCOMPARE(image.size(), QSize(o.value("width").toInt(), o.value("height").toInt()) * 2);
            QCOMPARE(DensePixmap::load(path).devicePixelRatio(), 2.0);
            generated += o.contains("generator") ? 1 : 0;
        }
        QVERIFY(generated >= 8);
    }

    // Generated pictures too are drawn at the density, not enlarged.
    void generatedVariantIsDrawnNotEnlarged_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *file :
            {"numbers.png", "groundtexture_305.jpg", "surface_306.png", "levelpack2bg.jpg"})
            QTest::newRow(file) << QString::fromLatin1(file);
    }

    void generatedVariantIsDrawnNotEnlarged()
    {
        QFETCH(QString, file);
        const QImage plain = QImage(":/images/" + file).convertToFormat(QImage::Format_ARGB32);
        const QImage dense
            = QImage(DensePixmap::variantPath(":/images/" + file, 2)).convertToFormat(QImage::Format_ARGB32);
        const QImage enlarged
            = plain.scaled(plain.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QCOMPARE(dense.size(), enlarged.size());
        // The same picture: close on average ...
        QVERIFY2(meanDifference(dense, enlarged) < kSamePicture,
            qPrintable(QString::number(meanDifference(dense, enlarged))));
        // ... with its own detail between the plain picture's pixels.
        QVERIFY(dense != enlarged);
    }

    // Scene pictures: a ball's sprite on a dense screen is the @2x picture,
    // pixel for pixel, at the same place and size as the plain one.
    void ballSpriteDrawsDensePixels()
    {
        Physics physics(kGravity);
        BallItem ball(&physics, kBallRadius, 1.0, nullptr, 0, QStringLiteral(":/images/ball1.png"));
        const QImage sprite(":/images/ball1.png");
        const QSize logical = sprite.size();
        const QImage drawn = paintDense(logical, [&](QPainter &p) {
            p.translate(logical.width() / 2, logical.height() / 2);
            ball.paint(&p, nullptr, nullptr);
        });
        const QImage expected
            = QImage(":/images/ball1@2x.png").convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(drawn.size(), expected.size());
        QVERIFY(drawn == expected);
        // Its bounds cover the picture's logical size, not its pixels.
        QVERIFY(ball.boundingRect().contains(DensePixmap::centredRect(QPixmap::fromImage(sprite))));
        QVERIFY(ball.boundingRect().width() < logical.width() * 1.5);
    }

    // The bike's frame is its @2x picture pixel for pixel where that
    // picture is opaque (the struts are drawn beneath it).
    void bikeFrameDrawsDensePixels()
    {
        BikePainter bike;
        const QPoint origin(120, 90);
        const QImage drawn = paintDense(QSize(240, 160), [&](QPainter &p) {
            p.translate(origin);
            bike.paint(&p, QPointF(30, 25), QPointF(-32, 24), QPointF(-8, -20), 0.0f, false);
        });
        const QImage sprite
            = QImage(":/images/bike@2x.png").convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QPoint topLeft = (origin + kBikeSpriteTopLeft) * 2;
        int opaque = 0;
        for (int y = 0; y < sprite.height(); ++y)
            for (int x = 0; x < sprite.width(); ++x) {
                const QRgb expected = sprite.pixel(x, y);
                if (qAlpha(expected) != 255)
                    continue;
                ++opaque;
                if (drawn.pixel(topLeft + QPoint(x, y)) != expected)
                    QFAIL(qPrintable(QStringLiteral("bike pixel %1,%2 differs").arg(x).arg(y)));
            }
        QVERIFY(opaque > sprite.width() * sprite.height() / 10);
    }

    // The background, placed without scaling, is the @2x picture's crop at
    // the placement's source rectangle.
    void backgroundDrawsDensePixels()
    {
        ParallaxBackground background;
        background.setImage(QStringLiteral(":/images/levelpack1bg.jpg"));
        const QRectF viewport(0, 0, 240, 160);
        const QRectF scene(0, -500, 3800, 880);
        const QRectF visible(300, -200, 240, 160);
        const ParallaxBackground::Placement placement = background.placement(viewport, scene, visible, 1.0);
        QCOMPARE(placement.source.size(), placement.target.size());
        const QImage drawn = paintDense(viewport.size().toSize(),
            [&](QPainter &p) { background.draw(&p, viewport, scene, visible, 1.0); });
        const QImage dense(":/images/levelpack1bg@2x.jpg");
        const QRect crop(placement.source.topLeft().toPoint() * 2, placement.source.size().toSize() * 2);
        QVERIFY(drawn.convertToFormat(QImage::Format_RGB32)
            == dense.copy(crop).convertToFormat(QImage::Format_RGB32));
    }

    // The ground's surface strip runs along the outline's top edge at the
    // same place as the plain strip does, tilted or not.
    void surfaceStripFollowsTheEdge_data()
    {
        QTest::addColumn<qreal>("rise");
        QTest::newRow("level") << qreal(0.0);
        QTest::newRow("tilted") << qreal(-30.0);
    }

    void surfaceStripFollowsTheEdge()
    {
        // Far along a level, as most ground is.
        constexpr qreal kFarX = 2400.0;
        QFETCH(qreal, rise);
        SurfaceBand band;
        band.set(QStringLiteral(":/images/surface_305.png"), kSurfaceRow,
            {QPointF(kFarX + 20, 70), QPointF(kFarX + 220, 70 + rise), QPointF(kFarX + 220, 150),
                QPointF(kFarX + 20, 150)});
        QVERIFY(!band.isEmpty());
        const QSize logical(240, 160);
        // As the view draws the scene: zoomed, turned with the camera, moved.
        const auto paint = [&](QPainter &p) {
            p.translate(30, -10);
            p.rotate(2.0);
            p.scale(0.8, 0.8);
            p.translate(-kFarX, 0);
            band.paint(&p);
        };
        // Into an opaque picture, as the window's backing store is.
        const QImage dense = paintDense(logical, paint, QImage::Format_RGB32);
        const QImage plain = paintAt(1.0, logical, paint, QImage::Format_RGB32);
        const QImage smooth = plain.scaled(logical * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double difference = meanDifference(dense, smooth);
        QVERIFY2(difference < kSamePicture / 2, qPrintable(QString::number(difference)));
        QImage black(dense.size(), QImage::Format_RGB32);
        black.fill(Qt::black);
        // The strip covers about a fifth of the picture.
        const double drawn = meanDifference(dense, black);
        QVERIFY2(drawn > kSamePicture / 4, qPrintable(QString::number(drawn)));
    }

    // The clock's digits land where the plain ones do (close to the plain
    // drawing enlarged) but are not the plain pixels doubled.
    void clockDrawsDenseDigits()
    {
        NumberDisplay clock(0, 0, 120, 24, true, false);
        clock.setValue(qreal(83.4));
        const QSize logical(120, 24);
        const QImage dense = paintDense(logical, [&](QPainter &p) { clock.paint(&p); });
        const QImage plain = paintAt(1.0, logical, [&](QPainter &p) { clock.paint(&p); });
        const QImage smooth = plain.scaled(logical * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double difference = meanDifference(dense, smooth);
        QVERIFY2(difference < kSamePicture, qPrintable(QString::number(difference)));
        const QImage doubled = plain.scaled(logical * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        QVERIFY(dense != doubled.convertToFormat(dense.format()));
        QVERIFY2(coveredShare(dense) > kLeastCover, qPrintable(QString::number(coveredShare(dense))));
    }

    void plainRatioLoadsThePlainPicture()
    {
        const QPixmap pixmap = DensePixmap::load(":/images/back_off.png", 1.0);
        QCOMPARE(pixmap.devicePixelRatio(), 1.0);
        QCOMPARE(pixmap.size(), QSize(64, 64));
        QVERIFY(DensePixmap::load(":/images/no-such-picture.png", 2.0).isNull());
    }
};

QTEST_MAIN(TestDensePixmap)
#include "tst_densepixmap.moc"

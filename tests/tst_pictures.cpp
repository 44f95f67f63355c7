// SPDX-License-Identifier: GPL-3.0-or-later
// The embedded pictures: every path the game names resolves (with and without
// the slash after the colon) at the size its drawing code relies on; the
// digit strip has a glyph in every cell and nothing between the cells; object
// pictures fill the shapes of their physics bodies; ground textures tile.

#include "testsupport.h"
#include "vehicle/bikepainter.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRegularExpression>
#include <QtTest>
#include <cmath>

namespace {

struct Expected
{
    const char *file;
    int width;
    int height;
};

// Sizes fixed by the code that draws the pictures (menus, HUD, bike, level
// objects) or chosen here for pictures whose size is free (marked "free").
const Expected kPictures[] = {
    {"levelpack1bg.jpg", 1993, 628}, {"levelpack2bg.jpg", 1923, 615},
    {"groundtexture_305.jpg", 1024, 1024}, // free; tiled, long enough not to show its repeat
    {"groundtexture_306.jpg", 1024, 1024}, // free; tiled
    {"surface_305.png", 512, 48}, // free; tiled along top edges, row 12 on the outline
    {"surface_306.png", 512, 48}, // free
    {"groundtexture2.jpg", 256, 256}, // free; tiled
    {"numbers.png", 256, 16}, {"mainmenu.png", 479, 344}, {"levelpackselection.png", 479, 344},
    {"helpmenu-pc.png", 479, 346}, {"levelfinished.png", 350, 260}, {"ingamemenu.png", 400, 179},
    {"back_off.png", 64, 64}, {"back_on.png", 64, 64}, {"next_off.png", 64, 64}, {"next_on.png", 64, 64},
    {"next_disabled.png", 64, 64}, {"reset_off.png", 64, 64}, {"reset_on.png", 64, 64},
    {"watch_off.png", 64, 64}, {"watch_on.png", 64, 64}, {"watchbadge_off.png", 24, 24},
    {"watchbadge_on.png", 24, 24}, {"menu_off.png", 64, 64}, {"menu_on.png", 64, 64},
    {"exit_off.png", 64, 64}, {"exit_on.png", 64, 64}, {"info_off.png", 64, 64}, {"info_on.png", 64, 64},
    {"help_off.png", 64, 64}, {"help_on.png", 64, 64}, {"settings_off.png", 64, 64},
    {"settings_on.png", 64, 64}, {"soundson_off.png", 64, 64}, {"soundson_on.png", 64, 64},
    {"soundsoff_off.png", 64, 64}, {"soundsoff_on.png", 64, 64}, {"ghoston_off.png", 44, 44},
    {"ghoston_on.png", 44, 44}, {"ghostoff_off.png", 44, 44}, {"ghostoff_on.png", 44, 44},
    {"ghostauthor_off.png", 44, 44}, {"ghostauthor_on.png", 44, 44}, {"about_off.png", 64, 64},
    {"about_on.png", 64, 64}, {"throttle_off.png", 64, 64}, {"throttle_on.png", 64, 64},
    {"brake_off.png", 64, 64}, {"brake_on.png", 64, 64}, {"ingamemenu_off.png", 64, 64},
    {"ingamemenu_on.png", 64, 64}, {"levelpack1_off.png", 80, 80}, {"levelpack1_on.png", 80, 80},
    {"levelpack2_off.png", 80, 80}, {"levelpack2_on.png", 80, 80}, {"menu_notavailable.png", 54, 54},
    {"menu_green_off.png", 54, 54}, {"menu_green_on.png", 54, 54}, {"menu_gold_off.png", 54, 54},
    {"menu_gold_on.png", 54, 54}, {"menu_silver_off.png", 54, 54}, {"menu_silver_on.png", 54, 54},
    {"menu_bronze_off.png", 54, 54}, {"menu_bronze_on.png", 54, 54},
    {"gold.png", 64, 80}, // free; fits between (22,74) and the buttons at y 184
    {"silver.png", 64, 80}, // free
    {"bronze.png", 64, 80}, // free
    {"failed.png", 64, 80}, // free
    {"star.png", 64, 64}, // free; drawn at (275,80) inside the 350 x 260 panel
    {"finishline.png", 140, 180}, // free
    {"mudparticle.png", 16, 16}, // free; drawn scaled into 8 x 8
    {"bike.png", 100, 48}, // drawn from frame (-50,-20)
    {"wheel.png", 40, 40}, // wheel radius 20
    {"driver_body.png", 34, 64}, {"driver_foot_high.png", 40, 12}, {"driver_foot_low.png", 14, 44},
    {"driver_hand.png", 44, 14}, {"ball1.png", 30, 30}, {"ball2.png", 40, 40}, {"ball3.png", 56, 56},
    {"crate1.png", 40, 40}, {"crate2.png", 60, 60}, {"board2.png", 120, 12}, {"board3.png", 180, 14},
    {"log_small.png", 80, 20}, {"log_medium.png", 140, 26}, {"rock1.png", 60, 40}, {"rock2.png", 90, 60},
    {"rock3.png", 120, 70}, {"rock4.png", 50, 36}, {"jump1.png", 160, 60}, {"wooden-jump2.png", 200, 70},
    {"wooden-jump3.png", 260, 90}, {"warnsign-drop.png", 48, 64}, {"warnsign-steep-descent.png", 48, 64},
    {"velocrag.png", 256, 256}, // application icon
};

QImage load(const QString &file)
{
    return QImage(":/images/" + file).convertToFormat(QImage::Format_ARGB32);
}

int alphaAt(const QImage &image, double x, double y)
{
    return qAlpha(image.pixel(int(x), int(y)));
}

// Bounding rectangle of the pixels that are more than faintly opaque.
QRect opaqueRect(const QImage &image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (alphaAt(image, x, y) > 40)
                r |= QRect(x, y, 1, 1);
    return r;
}

// Where the bike's item origin lands in paintBike's picture.
const QPointF kBikeOrigin(100, 120);

// The bike as the game paints it, wheels at rest, on a transparent picture.
QImage paintBike(QPointF riderMass, bool riderOn)
{
    const BikePainter painter;
    QImage image(200, 200, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.translate(kBikeOrigin);
    painter.paint(&p, QPointF(33.6, 20.8), QPointF(-32, 22.4), riderMass, 0.0f, riderOn);
    p.end();
    return image;
}

// Whether the rider covers point p (bike item coordinates): the picture with
// the rider clearly differs there from the one without.
bool riderAt(const QImage &with, const QImage &without, QPointF p)
{
    const QPoint px = (p + kBikeOrigin).toPoint();
    const QRgb a = with.pixel(px), b = without.pixel(px);
    return qAlpha(a) > 200
        && std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b))
            + std::abs(qAlpha(a) - qAlpha(b))
        > 60;
}

// Glyph cells of the digit strip as the number display reads them.
struct Cell
{
    int x;
    int width;
};
const Cell kDigitCells[] = {{0, 16}, {18, 16}, {37, 16}, {56, 16}, {75, 16}, {94, 16}, {113, 16}, {131, 16},
    {150, 16}, {169, 16}, {188, 8}, {197, 8}, {211, 16}, {230, 16}};

// Mean absolute colour difference between two columns (or rows) of a tile.
double lineDifference(const QImage &image, int a, int b, bool columns)
{
    const int n = columns ? image.height() : image.width();
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        const QRgb p = columns ? image.pixel(a, i) : image.pixel(i, a);
        const QRgb q = columns ? image.pixel(b, i) : image.pixel(i, b);
        sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
    }
    return sum / n;
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void everyPictureResolvesAtItsSize_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        for (const Expected &e : kPictures)
            QTest::newRow(e.file) << QString(e.file) << QSize(e.width, e.height);
    }

    void everyPictureResolvesAtItsSize()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        // Callers write both forms; they must name the same resource.
        const QImage withSlash(":/images/" + file);
        const QImage withoutSlash(":images/" + file);
        QVERIFY2(!withSlash.isNull(), qPrintable(":/images/" + file + " is missing"));
        QVERIFY2(!withoutSlash.isNull(), qPrintable(":images/" + file + " is missing"));
        QCOMPARE(withSlash.size(), size);
        QCOMPARE(withoutSlash.size(), size);
    }

    void noUnexpectedPictures()
    {
        // Every embedded picture is listed above, so a renamed file cannot
        // leave the game with a stale name.
        QStringList expected;
        for (const Expected &e : kPictures)
            expected << e.file;
        // A dense-screen variant "<name>@2x.<ext>" belongs to a listed picture
        // and has twice its pixels each way.
        const QRegularExpression denseName(QStringLiteral("^(.*)@2x(\\.[a-z]+)$"));
        int plain = 0;
        const QStringList embedded = QDir(":/images").entryList(QDir::Files);
        for (const QString &file : embedded) {
            const QRegularExpressionMatch dense = denseName.match(file);
            if (!dense.hasMatch()) {
                QVERIFY2(expected.contains(file), qPrintable(file + " is embedded but not expected"));
                ++plain;
                continue;
            }
            const QString base = dense.captured(1) + dense.captured(2);
            QVERIFY2(expected.contains(base), qPrintable(file + " belongs to no expected picture"));
            QCOMPARE(QImage(":/images/" + file).size(), QImage(":/images/" + base).size() * 2);
        }
        QCOMPARE(plain, expected.size());
    }

    void spritesHaveTransparentSurroundings()
    {
        // Round buttons, medals and sprites are cut out: their corners are clear.
        for (const char *file : {"back_off.png", "throttle_on.png", "menu_gold_off.png", "levelpack2_on.png",
                 "gold.png", "star.png", "bike.png", "wheel.png", "ball3.png", "mudparticle.png"}) {
            const QImage image = load(file);
            QVERIFY2(alphaAt(image, 0, 0) == 0, file);
            QVERIFY2(alphaAt(image, image.width() - 1, 0) == 0, file);
        }
    }

    void digitStripCellsHoldGlyphsAndGapsAreClear()
    {
        const QImage strip = load("numbers.png");
        QVector<bool> inCell(strip.width(), false);
        for (const Cell &cell : kDigitCells) {
            int opaque = 0, white = 0;
            for (int x = cell.x; x < cell.x + cell.width; ++x) {
                inCell[x] = true;
                for (int y = 0; y < strip.height(); ++y) {
                    const QRgb p = strip.pixel(x, y);
                    opaque += qAlpha(p) > 200;
                    white += qAlpha(p) > 200 && qRed(p) > 220 && qGreen(p) > 220 && qBlue(p) > 220;
                }
            }
            // White fill inside a dark outline: both must be present.
            QVERIFY2(white >= 3, qPrintable(QString("cell at x %1 has no white fill").arg(cell.x)));
            QVERIFY2(opaque > white, qPrintable(QString("cell at x %1 has no outline").arg(cell.x)));
        }
        for (int x = 0; x < strip.width(); ++x) {
            if (inCell[x])
                continue;
            for (int y = 0; y < strip.height(); ++y)
                QVERIFY2(qAlpha(strip.pixel(x, y)) == 0,
                    qPrintable(QString("gap pixel (%1,%2) drawn").arg(x).arg(y)));
        }
    }

    void digitGlyphsDiffer()
    {
        // Ten distinct digits, not one glyph repeated.
        const QImage strip = load("numbers.png");
        for (int i = 0; i < 10; ++i)
            for (int j = i + 1; j < 10; ++j)
                QVERIFY2(strip.copy(kDigitCells[i].x, 0, 16, 16) != strip.copy(kDigitCells[j].x, 0, 16, 16),
                    qPrintable(QString("digits %1 and %2 look the same").arg(i).arg(j)));
    }

    void ballsFillTheirCircle_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("ball1") << "ball1.png";
        QTest::newRow("ball2") << "ball2.png";
        QTest::newRow("ball3") << "ball3.png";
        QTest::newRow("wheel") << "wheel.png";
    }

    void ballsFillTheirCircle()
    {
        QFETCH(QString, file);
        const QImage image = load(file);
        const double r = image.width() / 2.0;
        for (int k = 0; k < 16; ++k) {
            const double a = k * M_PI / 8;
            // Just inside the rim: drawn. Corners of the square: clear.
            QVERIFY(alphaAt(image, r + (r - 2.5) * std::cos(a), r + (r - 2.5) * std::sin(a)) > 200);
        }
        QCOMPARE(alphaAt(image, 1, image.height() - 2), 0);
        QCOMPARE(alphaAt(image, image.width() - 2, image.height() - 2), 0);
    }

    void boxesFillTheirBox_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *f :
            {"crate1.png", "crate2.png", "board2.png", "board3.png", "log_small.png", "log_medium.png"})
            QTest::newRow(f) << QString(f);
    }

    void boxesFillTheirBox()
    {
        // The physics box is the whole picture: its middle row and column are
        // drawn from edge to edge (the rounded corners aside).
        QFETCH(QString, file);
        const QImage image = load(file);
        const int w = image.width(), h = image.height();
        for (int x = 1; x < w - 1; ++x)
            QVERIFY2(alphaAt(image, x, h / 2) > 200, qPrintable(QString("x %1").arg(x)));
        for (int y = 1; y < h - 1; ++y)
            QVERIFY2(alphaAt(image, w * 3 / 4, y) > 200, qPrintable(QString("y %1").arg(y)));
    }

    void rocksFillTheirOctagon_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *f : {"rock1.png", "rock2.png", "rock3.png", "rock4.png"})
            QTest::newRow(f) << QString(f);
    }

    void rocksFillTheirOctagon()
    {
        // The collision outline is the octagon inscribed in the w x h ellipse;
        // the picture covers it and leaves the corners outside it clear.
        QFETCH(QString, file);
        const QImage image = load(file);
        const double cx = image.width() / 2.0, cy = image.height() / 2.0;
        QPolygonF octagon;
        for (int k = 0; k < 8; ++k)
            octagon << QPointF(cx + cx * std::cos(k * M_PI / 4), cy + cy * std::sin(k * M_PI / 4));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QPointF p(x + 0.5, y + 0.5);
                // Compare against the octagon shrunk and grown by 3 px.
                const QPointF toCentre = QPointF(cx, cy) - p;
                const double len = std::hypot(toCentre.x(), toCentre.y());
                if (len < 1e-9)
                    continue;
                const QPointF step = toCentre / len * 3.0;
                if (octagon.containsPoint(p - step, Qt::OddEvenFill))
                    QVERIFY2(alphaAt(image, x, y) > 200,
                        qPrintable(QString("(%1,%2) inside not drawn").arg(x).arg(y)));
                else if (!octagon.containsPoint(p + step, Qt::OddEvenFill))
                    QVERIFY2(alphaAt(image, x, y) == 0,
                        qPrintable(QString("(%1,%2) outside drawn").arg(x).arg(y)));
            }
    }

    void rampsRiseToTheRight_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *f : {"jump1.png", "wooden-jump2.png", "wooden-jump3.png"})
            QTest::newRow(f) << QString(f);
    }

    void rampsRiseToTheRight()
    {
        // Collision triangle (0,h) (w,h) (w,0): its right edge and its deck are
        // drawn, the corner above the deck is clear.
        QFETCH(QString, file);
        const QImage image = load(file);
        const int w = image.width(), h = image.height();
        for (double t = 0.05; t < 0.96; t += 0.05) {
            const double x = t * w, deckY = h - t * h;
            QVERIFY2(alphaAt(image, x, std::min(h - 1.0, deckY + 3)) > 200,
                qPrintable(QString("deck at t %1").arg(t)));
            if (deckY - 6 > 0)
                QVERIFY2(alphaAt(image, x, deckY - 6) == 0, qPrintable(QString("above deck at t %1").arg(t)));
        }
        for (int y = 2; y < h - 2; ++y)
            QVERIFY(alphaAt(image, w - 3, y) > 200);
    }

    void riderSpritesCoverTheirRagdollBoxes_data()
    {
        // Each limb sprite is drawn centred on its ragdoll box at natural size.
        // margin: how far (px) the opaque pixels may reach past the box's
        // sides and ends (the helmet, the boot's toe cap, the outline).
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("margin");
        // start, end: how far in from the box's ends the long axis is drawn
        // (the helmet leaves the top of the torso box free, the sleeve starts
        // just past the shoulder joint).
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        QTest::newRow("torso") << "driver_body.png" << QSize(15, 55) << QSize(7, 1) << 6.0 << 2.0;
        QTest::newRow("thigh") << "driver_foot_high.png" << QSize(37, 10) << QSize(1, 1) << 2.0 << 2.0;
        QTest::newRow("shin") << "driver_foot_low.png" << QSize(10, 40) << QSize(2, 1) << 2.0 << 2.0;
        QTest::newRow("arm") << "driver_hand.png" << QSize(40, 10) << QSize(2, 1) << 5.5 << 2.0;
    }

    void riderSpritesCoverTheirRagdollBoxes()
    {
        QFETCH(QString, file);
        QFETCH(QSize, box);
        QFETCH(QSize, margin);
        QFETCH(double, start);
        QFETCH(double, end);
        const QImage image = load(file);
        const double cx = image.width() / 2.0, cy = image.height() / 2.0;
        // The long axis of the box is drawn from end to end.
        if (box.width() > box.height()) {
            for (double x = cx - box.width() / 2.0 + start; x <= cx + box.width() / 2.0 - end; x += 1)
                QVERIFY2(alphaAt(image, x, cy) > 200, qPrintable(QString("x %1").arg(x)));
        } else {
            for (double y = cy - box.height() / 2.0 + start; y <= cy + box.height() / 2.0 - end; y += 1)
                QVERIFY2(alphaAt(image, cx, y) > 200, qPrintable(QString("y %1").arg(y)));
        }
        // Nothing reaches further past the box than the margin, or the part
        // floats off its body or sinks into the ground when lying on it.
        const QRect opaque = opaqueRect(image);
        const QRectF allowed
            = QRectF(cx - box.width() / 2.0, cy - box.height() / 2.0, box.width(), box.height())
                  .adjusted(-margin.width(), -margin.height(), margin.width(), margin.height());
        QVERIFY2(opaque.left() >= allowed.left() && opaque.right() + 1 <= allowed.right()
                && opaque.top() >= allowed.top() && opaque.bottom() + 1 <= allowed.bottom(),
            qPrintable(QString("opaque %1,%2 %3x%4 outside box plus margin")
                           .arg(opaque.x())
                           .arg(opaque.y())
                           .arg(opaque.width())
                           .arg(opaque.height())));
    }

    void torsoIsAsSlimAsItsBox()
    {
        // Below the helmet (which ends a little above the box's centre) the
        // jersey and the pants are no wider than the 15-unit torso box,
        // outline included.
        const QImage image = load("driver_body.png");
        const double cx = image.width() / 2.0, cy = image.height() / 2.0;
        int rows = 0;
        for (int y = int(cy - 2); y < int(cy + 55 / 2.0); ++y) {
            int left = image.width(), right = -1;
            for (int x = 0; x < image.width(); ++x)
                if (alphaAt(image, x, y) > 40) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            if (right < 0)
                continue;
            ++rows;
            QVERIFY2(left >= std::floor(cx - 7.5) && right + 1 <= std::ceil(cx + 7.5),
                qPrintable(QString("row %1 spans %2..%3").arg(y).arg(left).arg(right)));
        }
        QVERIFY(rows >= 25);
    }

    void helmetSitsOnTheHeadCircle_data()
    {
        // Rider mass at rest (spring sag under gravity), leaning back and
        // leaning forward; the frame's head circle stays at (-5,-45) r 12.
        QTest::addColumn<QPointF>("riderMass");
        QTest::newRow("rest") << QPointF(0, -7.5);
        QTest::newRow("mass a little higher") << QPointF(0, -12);
    }

    void helmetSitsOnTheHeadCircle()
    {
        // The rider the bike paints at rest: the helmet covers the middle of
        // the frame's head circle and reaches no more than 2 units above it,
        // so a bike landing upside down shows the helmet on the ground.
        QFETCH(QPointF, riderMass);
        const QImage without = paintBike(riderMass, false);
        const QImage with = paintBike(riderMass, true);
        const QPointF head(-5, -45);
        const double radius = 12;
        auto isHelmetBlue = [&](QPointF p) {
            const QRgb c = with.pixel((p + kBikeOrigin).toPoint());
            return qBlue(c) > qRed(c) + 40;
        };
        QVERIFY(riderAt(with, without, head));
        QVERIFY(isHelmetBlue(head));
        for (int i = 0; i < 8; ++i) {
            const double t = i * M_PI / 4;
            const QPointF p = head + 0.55 * radius * QPointF(std::cos(t), std::sin(t));
            QVERIFY2(riderAt(with, without, p), qPrintable(QString("direction %1 deg").arg(i * 45)));
        }
        // Topmost rider pixel near the top of the circle.
        double top = 1000;
        for (int y = -100; y < 0 && top == 1000; ++y)
            for (int x = -60; x < 60; ++x)
                if (riderAt(with, without, QPointF(x, y))) {
                    top = y;
                    break;
                }
        const double circleTop = head.y() - radius;
        QVERIFY2(top >= circleTop - 2 && top <= circleTop + 4,
            qPrintable(QString("rider top %1, circle top %2").arg(top).arg(circleTop)));
    }

    void riderSitsOnTheSeat()
    {
        // At rest the rider's pants reach down to the seat (top near y -14
        // between x -30 and -10) but not through the bike's frame below it.
        const QImage without = paintBike(QPointF(0, -7.5), false);
        const QImage with = paintBike(QPointF(0, -7.5), true);
        int lowest = -100;
        for (int x = -30; x <= -12; ++x)
            for (int y = -40; y <= 10; ++y) {
                if (riderAt(with, without, QPointF(x, y)))
                    lowest = std::max(lowest, y);
            }
        QVERIFY2(lowest >= -14 && lowest <= -4, qPrintable(QString::number(lowest)));
    }

    void bikeSpansItsFrame()
    {
        // Drawn from frame (-50,-20): the frame polygon x -42.7 ... 38 maps to
        // picture x 7.3 ... 88, which the body of the bike must reach.
        const QImage image = load("bike.png");
        int left = image.width(), right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (alphaAt(image, x, y) > 200) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        QVERIFY2(left <= 8, qPrintable(QString::number(left)));
        QVERIFY2(right >= 88, qPrintable(QString::number(right)));
        // The wheels are separate pictures: the axles are not covered.
        QCOMPARE(alphaAt(image, 18, 42), 0); // rear axle (-32, 22.4)
        QCOMPARE(alphaAt(image, 83, 40), 0); // front axle (33.6, 20.8)
    }

    void objectCatalogueMatchesThePictures()
    {
        // The level sources' object-type catalogue gives each ball and box its
        // physics size and each static object its collision outline; the
        // pictures must agree with it.
        QFile file(TestSupport::sourceDir() + "/levels/sources/objecttypes.json");
        if (!file.exists())
            QSKIP("no object-type catalogue in this tree");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonArray types
            = QJsonDocument::fromJson(file.readAll()).object().value("objecttypes").toArray();
        QVERIFY(!types.isEmpty());
        int checked = 0;
        for (const QJsonValue &value : types) {
            const QJsonObject type = value.toObject();
            const QString picture = type.value("picture").toString().section('/', -1);
            if (picture.isEmpty())
                continue;
            const QImage image = load(picture);
            QVERIFY2(!image.isNull(), qPrintable(picture + " named by the catalogue is missing"));
            const QString kind = type.value("kind").toString();
            const int width = type.value("width").toInt(), height = type.value("height").toInt();
            if (kind == "Ball")
                QCOMPARE(image.size(), QSize(width, width));
            else if (kind == "Box")
                QCOMPARE(image.size(), QSize(width, height));
            const QJsonObject outline = type.value("outline").toObject();
            if (!outline.isEmpty()) {
                // Every outline point lies on the picture (centred on the
                // origin) and is drawn just inside, towards the centre.
                QVector<QPointF> points;
                const QJsonArray start = outline.value("start").toArray();
                points << QPointF(start[0].toDouble(), start[1].toDouble());
                for (const QJsonValue &v : outline.value("vertices").toArray())
                    points << QPointF(v.toArray()[0].toDouble(), v.toArray()[1].toDouble());
                QPointF centre;
                for (const QPointF &pt : points)
                    centre += pt / points.size();
                for (const QPointF &pt : points) {
                    const QPointF onPicture = pt + QPointF(image.width() / 2.0, image.height() / 2.0);
                    QVERIFY2(onPicture.x() >= -0.01 && onPicture.x() <= image.width() + 0.01
                            && onPicture.y() >= -0.01 && onPicture.y() <= image.height() + 0.01,
                        qPrintable(QString("%1: outline point (%2,%3) off the picture")
                                       .arg(picture)
                                       .arg(pt.x())
                                       .arg(pt.y())));
                    const QPointF towards = centre - pt;
                    const QPointF inside = onPicture + towards / std::hypot(towards.x(), towards.y()) * 4.0;
                    QVERIFY2(alphaAt(image, inside.x(), inside.y()) > 200,
                        qPrintable(QString("%1: not drawn inside outline point (%2,%3)")
                                       .arg(picture)
                                       .arg(pt.x())
                                       .arg(pt.y())));
                }
            }
            ++checked;
        }
        QVERIFY(checked >= 16);
    }

    void groundTexturesTileSeamlessly_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *f : {"groundtexture_305.jpg", "groundtexture_306.jpg", "groundtexture2.jpg"})
            QTest::newRow(f) << QString(f);
    }

    void groundTexturesTileSeamlessly()
    {
        // Across the wrap (last line -> first line) colours change no more
        // than between neighbouring lines inside the tile.
        QFETCH(QString, file);
        const QImage tile = QImage(":/images/" + file).convertToFormat(QImage::Format_RGB32);
        for (bool columns : {true, false}) {
            const int n = columns ? tile.width() : tile.height();
            double inside = 0;
            for (int i = 0; i + 1 < n; ++i)
                inside += lineDifference(tile, i, i + 1, columns);
            inside /= n - 1;
            const double across = lineDifference(tile, n - 1, 0, columns);
            QVERIFY2(across < inside * 1.6 + 4,
                qPrintable(QString("%1 seam %2 vs %3")
                               .arg(columns ? "vertical" : "horizontal")
                               .arg(across)
                               .arg(inside)));
        }
    }

    // The surface strips continue across their left and right ends, are
    // clear above the surface row except for what stands on it, and opaque
    // just beneath it.
    void surfaceStripsTileAndSitOnTheirRow_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("grass") << QString("surface_305.png");
        QTest::newRow("rock crust") << QString("surface_306.png");
    }

    void surfaceStripsTileAndSitOnTheirRow()
    {
        QFETCH(QString, file);
        const QImage strip = QImage(":/images/" + file).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!strip.isNull());
        constexpr int kSurfaceRow = 12;
        double inside = 0;
        for (int x = 0; x + 1 < strip.width(); ++x)
            inside += lineDifference(strip, x, x + 1, true);
        inside /= strip.width() - 1;
        const double across = lineDifference(strip, strip.width() - 1, 0, true);
        QVERIFY2(across < inside * 1.6 + 4, qPrintable(QString("seam %1 vs %2").arg(across).arg(inside)));
        int clearTop = 0;
        for (int x = 0; x < strip.width(); ++x) {
            clearTop += qAlpha(strip.pixel(x, 0)) < 32;
            QVERIFY2(qAlpha(strip.pixel(x, kSurfaceRow + 2)) > 240, qPrintable(QString::number(x)));
        }
        QVERIFY(clearTop > strip.width() * 3 / 4);
    }

    void backgroundsAreDistinctMoods()
    {
        // Pack 1 is a green daytime scene, pack 2 a warm dusk one.
        const QImage day = QImage(":/images/levelpack1bg.jpg")
                               .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage dusk = QImage(":/images/levelpack2bg.jpg")
                                .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QRgb d = day.pixel(0, 0), k = dusk.pixel(0, 0);
        QVERIFY(qGreen(d) > qRed(d));
        QVERIFY(qRed(k) > qGreen(k));
        QVERIFY(qBlue(d) > qBlue(k));
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"

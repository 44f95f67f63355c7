// SPDX-License-Identifier: GPL-3.0-or-later
// The ghost's picture: the bike's and the rider's own pictures in one pose,
// painted as one see-through sheet, never outside its bounds.

#include "game/ghostitem.h"
#include "goldenride.h"
#include "replays/authorride.h"
#include "world/inputtimeline.h"
#include "world/levelworld.h"

#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <cmath>

namespace {
// A riding bike with its frame at (0, -40): wheels 30 units either side,
// the rider 25 above.
PoseTrack::Sample ridingPose()
{
    PoseTrack::Sample s;
    auto put = [&s](PoseTrack::Part part, double x, double y) {
        s.parts |= quint8(1u << part);
        s.bodies[part] = PoseTrack::BodyPose {x, y, 0.0};
    };
    put(PoseTrack::Frame, 0.0, -40.0);
    put(PoseTrack::RearWheel, -30.0, -20.0);
    put(PoseTrack::FrontWheel, 30.0, -20.0);
    put(PoseTrack::RiderMass, 0.0, -65.0);
    return s;
}

bool near(QPointF a, QPointF b, double tolerance)
{
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance;
}
} // namespace

class TestGhostItem : public QObject
{
    Q_OBJECT
private slots:
    // The bike's and the rider's pictures, see-through: the ghost covers
    // the frame's place, but nowhere fully.
    void drawsTheBikeSeeThrough()
    {
        QGraphicsScene scene(QRectF(-200, -200, 400, 400));
        auto *item = new GhostItem;
        scene.addItem(item);
        const PoseTrack::Sample pose = ridingPose();
        item->showPose(pose);
        QImage image(400, 400, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            scene.render(&p);
        }
        int covered = 0;
        int maxAlpha = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int a = qAlpha(image.pixel(x, y));
                covered += a > 0;
                maxAlpha = std::max(maxAlpha, a);
            }
        }
        QVERIFY2(covered > 2000, qPrintable(QString::number(covered)));
        QVERIFY2(maxAlpha <= int(255 * GhostItem::kOpacity) + 2, qPrintable(QString::number(maxAlpha)));
        QVERIFY(qAlpha(image.pixel(200, 160)) > 0); // the frame, at scene (0, -40)

        // A thrown-off rider: torso and limbs where the track has them.
        PoseTrack::Sample down = pose;
        down.parts &= quint8(~(1u << PoseTrack::RiderMass));
        const PoseTrack::Part ragdoll[]
            = {PoseTrack::Torso, PoseTrack::Thigh, PoseTrack::Shin, PoseTrack::Arm};
        for (int i = 0; i < 4; ++i) {
            down.parts |= quint8(1u << ragdoll[i]);
            down.bodies[ragdoll[i]] = PoseTrack::BodyPose {60.0 + 10 * i, -120.0, 0.3 * i};
        }
        item->showPose(down);
        for (int i = 0; i < 4; ++i)
            QVERIFY(near(item->partScenePos(ragdoll[i]), QPointF(60.0 + 10 * i, -120.0), 1e-9));
        QVERIFY(item->boundingRect().contains(item->mapFromScene(QPointF(90.0, -120.0))));
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            scene.render(&p);
        }
        QVERIFY(qAlpha(image.pixel(260, 80)) > 0); // the torso at scene (60, -120)
    }

    // The tag floats upright over the ghost whatever the frame's angle, and
    // goes with an empty word.
    void tagStandsOverTheGhost()
    {
        QGraphicsScene scene(QRectF(-200, -200, 400, 400));
        auto *item = new GhostItem;
        scene.addItem(item);
        QImage image(400, 400, QImage::Format_ARGB32_Premultiplied);
        auto render = [&] {
            image.fill(Qt::transparent);
            QPainter p(&image);
            scene.render(&p);
        };
        // Alpha in a box of scene coordinates.
        auto covered = [&](const QRectF &sceneBox) {
            int count = 0;
            for (int y = int(sceneBox.top()); y < int(sceneBox.bottom()); ++y) {
                for (int x = int(sceneBox.left()); x < int(sceneBox.right()); ++x)
                    count += qAlpha(image.pixel(x + 200, y + 200)) > 0;
            }
            return count;
        };
        PoseTrack::Sample pose = ridingPose();
        // The frame at (0, -40): the tag's centre 92 above it, a line of
        // text wide; nothing of the bike reaches there.
        const QRectF tagBox(-20, -140, 40, 16);
        item->showPose(pose);
        render();
        QCOMPARE(covered(tagBox), 0);
        item->setTag("author");
        QCOMPARE(item->tag(), QString("author"));
        item->showPose(pose);
        render();
        const int upright = covered(tagBox);
        QVERIFY2(upright > 400, qPrintable(QString::number(upright)));

        // Frame on its side: the tag stays over it, as wide as before.
        for (int part = 0; part < PoseTrack::PartCount; ++part)
            pose.bodies[part].angle = M_PI / 2;
        item->showPose(pose);
        render();
        QCOMPARE(covered(tagBox), upright);

        item->setTag(QString());
        item->showPose(pose);
        render();
        QCOMPARE(covered(tagBox), 0);
    }

    // Whatever the ghost draws lies inside its bounding rectangle (its
    // picture is cut there), in every pose of a real ride, a crash too.
    void drawsInsideItsBounds_data()
    {
        QTest::addColumn<int>("pack");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("timeline");
        QTest::addColumn<QString>("tag");
        QTest::newRow("ride") << 1 << 2 << QString() << QString();
        QTest::newRow("crash") << 1 << 3 << QString("0 throttle 1\n0 lean -1\n") << QString();
        QTest::newRow("ride, tagged") << 1 << 2 << QString() << QString("your best");
        QTest::newRow("crash, tagged") << 1 << 3 << QString("0 throttle 1\n0 lean -1\n") << QString("author");
    }

    void drawsInsideItsBounds()
    {
        QFETCH(int, pack);
        QFETCH(int, level);
        QFETCH(QString, timeline);
        QFETCH(QString, tag);
        LevelsFolder folder;
        QString error;
        const std::optional<InputTimeline> inputs = timeline.isEmpty()
            ? InputTimeline::load(solutionPath(pack, level), &error)
            : InputTimeline::parse(timeline, &error);
        QVERIFY2(inputs, qPrintable(error));
        LevelWorld world;
        AuthorRide ride(&world, *inputs);
        QVERIFY2(ride.start(pack, level, &error), qPrintable(error));
        ride.rideToEnd();
        QVERIFY(ride.samples().size() > 10);
        GhostItem item;
        item.setTag(tag);
        QImage image(400, 400, QImage::Format_ARGB32_Premultiplied);
        bool crashed = false;
        for (const PoseTrack::Sample &pose : ride.samples()) {
            item.showPose(pose);
            crashed = crashed || item.holds(PoseTrack::Torso);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.translate(200, 200);
            item.paint(&p, nullptr, nullptr);
            p.end();
            const QRectF bounds = item.boundingRect().translated(200, 200);
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (qAlpha(image.pixel(x, y)) == 0)
                        continue;
                    QVERIFY2(bounds.contains(QPointF(x + 0.5, y + 0.5)),
                        qPrintable(
                            QStringLiteral("pixel (%1, %2) outside the bounds").arg(x - 200).arg(y - 200)));
                }
            }
        }
        QCOMPARE(crashed, !timeline.isEmpty());
    }
};

QTEST_MAIN(TestGhostItem)
#include "tst_ghostitem.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GHOSTITEM_H
#define GHOSTITEM_H

#include "replays/posetrack.h"
#include "vehicle/bikepainter.h"

#include <QGraphicsItem>
#include <QPixmap>

// A recorded run's bike and rider drawn over the level: the bike's and the
// rider's own pictures in one pose of a pose track, see-through. It has no
// body, so nothing collides with it and it makes no sound. The item sits
// at the frame's pose (position and rotation); wheels, rider and the
// thrown-off rider's parts are drawn in the frame's coordinates.
class GhostItem : public QGraphicsItem
{
public:
    enum { Type = UserType + 0x6857 };
    // Drawn behind the player's bike (wheels at 9, frame at 10), over the
    // ground.
    static constexpr qreal kZ = 5.0;
    // The see-through-ness of a ghost in full view.
    static constexpr qreal kOpacity = 0.45;

    GhostItem();

    // Shows the pose (scene units, y down, radians) at `fade` (1 full, 0
    // gone) of kOpacity; a pose without a frame hides the item.
    void showPose(const PoseTrack::Sample &pose, qreal fade = 1.0);
    const PoseTrack::Sample &pose() const { return m_pose; }
    // A short word on a tag that floats upright over the ghost (whose run
    // it is); empty for none.
    void setTag(const QString &text);
    QString tag() const { return m_tagText; }
    // Where a part of the shown pose is drawn, in scene coordinates, and
    // whether the pose holds it.
    bool holds(PoseTrack::Part part) const { return m_pose.parts & (1u << part); }
    QPointF partScenePos(PoseTrack::Part part) const;

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    // A part's position and angle (degrees) in the frame's coordinates.
    struct LocalPose
    {
        QPointF pos;
        qreal degrees = 0.0;
    };
    LocalPose local(PoseTrack::Part part) const;
    static void drawCentred(QPainter *painter, const LocalPose &at, const QPixmap &pixmap);
    // Where the tag's centre is, in the frame's coordinates, for the frame
    // turned by `degrees`.
    static QPointF tagCentre(qreal degrees);

    BikePainter m_painter;
    QPixmap m_wheel;
    PoseTrack::Sample m_pose;
    std::array<LocalPose, PoseTrack::PartCount> m_local {};
    QRectF m_bounds;
    QString m_tagText;
    QPixmap m_tag;
};

#endif

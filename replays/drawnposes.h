// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DRAWNPOSES_H
#define DRAWNPOSES_H

#include <QPointF>
#include <QVector>

class LevelWorld;
class QGraphicsItem;

// Where a world's moving items are drawn after a simulation step: the
// scene position and rotation (degrees) that copying their bodies gave the
// bike's parts and the level's loose objects. Those of two consecutive
// steps give the drawing in between, so that a watch slower than the
// simulation moves on every frame rather than every few, as the ghost does
// between its samples. Only the items move, never the bodies; restore()
// puts the items back exactly before the next step.
class DrawnPoses
{
public:
    // The poses the world's items are drawn at now.
    static DrawnPoses of(LevelWorld *world);

    // Draws every item of `to`, which must be taken of the world as it is
    // now, the fraction t (0 ... 1) of the way from its pose in `from` to
    // its pose in `to`, turning the short way round. An item that `from`
    // does not hold in the same role (a rider thrown off in the step) stays
    // at its pose in `to`. The items of `from` are never touched: they may
    // be gone.
    static void drawBetween(const DrawnPoses &from, const DrawnPoses &to, double t);
    // Puts the items back at these poses.
    void restore() const;

private:
    struct Pose
    {
        QGraphicsItem *item = nullptr;
        // The bike's part (PoseTrack::Part) or, past them, the place in the
        // level's items.
        int role = 0;
        QPointF pos;
        qreal rotation = 0.0;
    };
    void add(QGraphicsItem *item, int role);

    QVector<Pose> m_poses;
};

#endif

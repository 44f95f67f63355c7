// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawnposes.h"

#include "levels/level.h"
#include "physics/ballitem.h"
#include "physics/boxitem.h"
#include "physics/physicsitem.h"
#include "replays/posetrack.h"
#include "vehicle/bikeitem.h"
#include "vehicle/riderragdollitem.h"
#include "world/levelworld.h"

#include <QGraphicsItem>
#include <chipmunk/chipmunk.h>
#include <cmath>

namespace {
constexpr qreal kTurnDegrees = 360.0;
}

void DrawnPoses::add(QGraphicsItem *item, int role)
{
    if (item)
        m_poses.append(Pose {item, role, item->pos(), item->rotation()});
}

DrawnPoses DrawnPoses::of(LevelWorld *world)
{
    DrawnPoses poses;
    if (BikeItem *bike = world->bike()) {
        poses.add(bike, PoseTrack::Frame);
        poses.add(bike->rearWheel(), PoseTrack::RearWheel);
        poses.add(bike->frontWheel(), PoseTrack::FrontWheel);
        poses.add(bike->riderMass(), PoseTrack::RiderMass);
        if (RiderRagdollItem *ragdoll = bike->ragdoll()) {
            poses.add(ragdoll, PoseTrack::Torso);
            poses.add(ragdoll->thigh(), PoseTrack::Thigh);
            poses.add(ragdoll->shin(), PoseTrack::Shin);
            poses.add(ragdoll->arm(), PoseTrack::Arm);
        }
    }
    if (const Level *level = world->level()) {
        const QVector<PhysicsItem *> &items = level->physicsItems();
        for (int i = 0; i < items.size(); ++i) {
            cpBody *body = items.at(i)->body();
            if (body && cpBodyGetType(body) == CP_BODY_TYPE_DYNAMIC)
                poses.add(items.at(i), PoseTrack::PartCount + i);
        }
    }
    return poses;
}

void DrawnPoses::drawBetween(const DrawnPoses &from, const DrawnPoses &to, double t)
{
    for (const Pose &end : to.m_poses) {
        const Pose *start = nullptr;
        for (const Pose &candidate : from.m_poses) {
            if (candidate.role == end.role && candidate.item == end.item) {
                start = &candidate;
                break;
            }
        }
        if (!start) {
            end.item->setPos(end.pos);
            end.item->setRotation(end.rotation);
            continue;
        }
        // Measured back from the end: t = 1 gives its pose exactly.
        const qreal turn = std::remainder(end.rotation - start->rotation, kTurnDegrees);
        end.item->setPos(end.pos + (start->pos - end.pos) * (1.0 - t));
        end.item->setRotation(end.rotation - turn * (1.0 - t));
    }
}

void DrawnPoses::restore() const
{
    for (const Pose &pose : m_poses) {
        pose.item->setPos(pose.pos);
        pose.item->setRotation(pose.rotation);
    }
}

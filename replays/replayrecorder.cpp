// SPDX-License-Identifier: GPL-3.0-or-later
#include "replayrecorder.h"

#include "levels/level.h"
#include "physics/ballitem.h"
#include "physics/boxitem.h"
#include "physics/physics.h"
#include "replays/worldchecksum.h"
#include "vehicle/bikeitem.h"
#include "vehicle/riderragdollitem.h"
#include "world/bikestate.h"
#include "world/levelworld.h"

#include <chipmunk/chipmunk.h>

namespace {
void put(PoseTrack::Sample *sample, PoseTrack::Part part, const PhysicsItem *item)
{
    if (!item || !item->body())
        return;
    const cpVect p = cpBodyGetPosition(item->body());
    sample->parts |= quint8(1u << part);
    sample->bodies[part] = PoseTrack::BodyPose {p.x, p.y, cpBodyGetAngle(item->body())};
}
} // namespace

QString ReplayRecorder::gameVersion()
{
    return QString::fromLatin1(VELOCRAG_VERSION);
}

void ReplayRecorder::start(const LevelWorld &world)
{
    m_file = ReplayFile();
    m_poses = PoseTrack();
    m_file.gameVersion = gameVersion();
    if (const Level *level = world.level()) {
        m_file.pack = level->levelPackNumber();
        m_file.level = level->levelNumber();
        m_file.levelId = level->levelId();
    }
    m_file.levelChecksum = WorldChecksum::of(world.physics()->space());
    m_file.randomState = world.bike()->random().state();
    m_file.poseStride = kPoseStride;
    m_currentIndex = -1;
    m_runSteps = 0;
    m_recording = true;
    m_poses.append(sample(*world.bike()));
}

void ReplayRecorder::beforeStep(const BikeItem &bike)
{
    if (!m_recording)
        return;
    const ReplayFile::Controls now {bike.throttle(), bike.isMotorAdded(), bike.tiltSpeed()};
    if (m_currentIndex >= 0 && now == m_current) {
        ++m_runSteps;
        return;
    }
    if (m_runSteps > 0)
        m_file.inputs.append(ReplayFile::InputRun {m_currentIndex, m_runSteps});
    int index = int(m_file.controls.indexOf(now));
    if (index < 0) {
        if (m_file.controls.size() >= ReplayFile::kMaxControls) {
            // More distinct inputs than a file holds: this run is not kept.
            m_recording = false;
            return;
        }
        index = int(m_file.controls.size());
        m_file.controls.append(now);
    }
    m_current = now;
    m_currentIndex = index;
    m_runSteps = 1;
}

void ReplayRecorder::afterStep(const BikeItem &bike, int stepsTaken)
{
    if (m_recording && stepsTaken % kPoseStride == 0)
        m_poses.append(sample(bike));
}

ReplayFile ReplayRecorder::finish(const BikeItem &bike, int stepsTaken, ReplayFile::Outcome outcome)
{
    if (m_runSteps > 0)
        m_file.inputs.append(ReplayFile::InputRun {m_currentIndex, m_runSteps});
    m_runSteps = 0;
    if (stepsTaken % kPoseStride != 0)
        m_poses.append(sample(bike));
    m_file.steps = stepsTaken;
    m_file.outcome = outcome;
    m_file.finalStateHash = BikeState::hash(stepsTaken, bike);
    m_file.poseBytes = m_poses.bytes();
    m_file.poseCount = m_poses.count();
    m_recording = false;
    return m_file;
}

PoseTrack::Sample ReplayRecorder::sample(const BikeItem &bike)
{
    PoseTrack::Sample s;
    put(&s, PoseTrack::Frame, &bike);
    put(&s, PoseTrack::RearWheel, bike.rearWheel());
    put(&s, PoseTrack::FrontWheel, bike.frontWheel());
    if (const RiderRagdollItem *ragdoll = bike.ragdoll()) {
        put(&s, PoseTrack::Torso, ragdoll);
        put(&s, PoseTrack::Thigh, ragdoll->thigh());
        put(&s, PoseTrack::Shin, ragdoll->shin());
        put(&s, PoseTrack::Arm, ragdoll->arm());
    } else {
        put(&s, PoseTrack::RiderMass, bike.riderMass());
    }
    return s;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "replayplayback.h"

#include "levels/level.h"
#include "physics/ballitem.h"
#include "physics/boxitem.h"
#include "physics/physics.h"
#include "physics/physicsitem.h"
#include "replays/replayrecorder.h"
#include "replays/worldchecksum.h"
#include "vehicle/bikeitem.h"
#include "vehicle/riderragdollitem.h"
#include "world/bikestate.h"
#include "world/levelworld.h"
#include "world/simulationstep.h"

#include <QCoreApplication>
#include <chipmunk/chipmunk.h>
#include <cmath>

namespace {
constexpr double kTurn = 6.283185307179586;

// The angle from a to b the short way round, radians.
double turnBetween(double a, double b)
{
    return std::abs(std::remainder(b - a, kTurn));
}

// The body items of the bike in PoseTrack's part order (null where the bike
// has no such part now).
std::array<PhysicsItem *, PoseTrack::PartCount> partItems(BikeItem *bike)
{
    std::array<PhysicsItem *, PoseTrack::PartCount> items {};
    items[PoseTrack::Frame] = bike;
    items[PoseTrack::RearWheel] = bike->rearWheel();
    items[PoseTrack::FrontWheel] = bike->frontWheel();
    if (RiderRagdollItem *ragdoll = bike->ragdoll()) {
        items[PoseTrack::Torso] = ragdoll;
        items[PoseTrack::Thigh] = ragdoll->thigh();
        items[PoseTrack::Shin] = ragdoll->shin();
        items[PoseTrack::Arm] = ragdoll->arm();
    } else {
        items[PoseTrack::RiderMass] = bike->riderMass();
    }
    return items;
}

constexpr quint8 kRagdollParts
    = (1u << PoseTrack::Torso) | (1u << PoseTrack::Thigh) | (1u << PoseTrack::Shin) | (1u << PoseTrack::Arm);
} // namespace

ReplayPlayback::ReplayPlayback(LevelWorld *world, const ReplayFile &file)
    : m_world(world)
    , m_file(file)
{ }

ReplayPlayback::~ReplayPlayback() = default;

bool ReplayPlayback::start(QString *error)
{
    std::optional<QVector<PoseTrack::Sample>> samples = m_file.poses(error);
    if (!samples)
        return false;
    if (samples->size() != ReplayFile::poseSamplesFor(m_file.steps, m_file.poseStride)) {
        *error = QCoreApplication::translate("ReplayPlayback", "the pose track does not cover the run");
        return false;
    }
    m_samples = *samples;
    m_mode = Mode::Simulating;
    m_reason = Reason::None;
    restart();
    if (WorldChecksum::of(m_world->physics()->space()) != m_file.levelChecksum)
        switchToTrack(Reason::LevelChanged);
    return true;
}

void ReplayPlayback::restart()
{
    m_player = std::make_unique<ReplayPlayer>(m_file);
    m_player->restart(m_world);
    m_position = 0.0;
    m_drawn = DrawnPoses::of(m_world);
    m_drawnBefore = m_drawn;
    if (m_mode == Mode::PoseTrack)
        placeOnTrack();
}

void ReplayPlayback::advance(double steps)
{
    m_position = std::min(m_position + steps, double(m_file.steps));
    if (m_mode == Mode::PoseTrack) {
        placeOnTrack();
        return;
    }
    SimulationStep &sim = m_world->step();
    if (sim.stepCount() < m_position) {
        // The step sees its items as the last one left them.
        m_drawn.restore();
        while (m_mode == Mode::Simulating && sim.stepCount() < m_position) {
            step();
            m_drawnBefore = m_drawn;
            m_drawn = DrawnPoses::of(m_world);
        }
    }
    if (m_mode == Mode::Simulating)
        DrawnPoses::drawBetween(m_drawnBefore, m_drawn, 1.0 - (sim.stepCount() - m_position));
}

void ReplayPlayback::step()
{
    SimulationStep &sim = m_world->step();
    const Level *level = m_world->level();
    BikeItem *bike = m_world->bike();
    m_player->applyStep(sim.stepCount(), bike);
    bool finished = false;
    sim.step([&] { finished = level && sim.reached(level->finishLineX()); });
    const int taken = sim.stepCount();
    // A run that reaches the finish ends there: reaching it at another step
    // than recorded, or ending in another state, is another run.
    const bool endsHere = taken == m_file.steps;
    const bool sameEnd = !endsHere || BikeState::hash(taken, *bike) == m_file.finalStateHash;
    const bool sameFinish = finished == (endsHere && m_file.outcome == ReplayFile::Outcome::Finished);
    if (!sameEnd || (finished && !sameFinish) || !matchesTrack(taken))
        switchToTrack(Reason::Drifted);
}

bool ReplayPlayback::matchesTrack(int stepsTaken) const
{
    const int stride = m_file.poseStride;
    int index = -1;
    if (stepsTaken % stride == 0)
        index = stepsTaken / stride;
    else if (stepsTaken == m_file.steps)
        index = int(m_samples.size()) - 1;
    if (index < 0 || index >= m_samples.size())
        return true;
    const PoseTrack::Sample recorded = m_samples.at(index);
    const PoseTrack::Sample now = ReplayRecorder::sample(*m_world->bike());
    if (recorded.parts != now.parts)
        return false;
    for (int part = 0; part < PoseTrack::PartCount; ++part) {
        if (!(now.parts & (1u << part)))
            continue;
        const PoseTrack::BodyPose &a = recorded.bodies[part];
        const PoseTrack::BodyPose &b = now.bodies[part];
        if (std::hypot(a.x - b.x, a.y - b.y) > kDriftDistance || turnBetween(a.angle, b.angle) > kDriftAngle)
            return false;
    }
    return true;
}

void ReplayPlayback::switchToTrack(Reason reason)
{
    const double position = m_position;
    m_mode = Mode::PoseTrack;
    m_reason = reason;
    // A fresh world: no ragdoll or moved objects of the other run remain.
    restart();
    m_position = position;
    placeOnTrack();
}

void ReplayPlayback::placeOnTrack()
{
    const PoseTrack::Sample pose = PoseTrack::poseAt(m_samples, m_file.poseStride, m_file.steps, m_position);
    BikeItem *bike = m_world->bike();
    // The ragdoll comes where the track has one; a track that has none
    // again (after a restart to the start) gets a fresh world.
    if ((pose.parts & kRagdollParts) && !bike->ragdoll())
        bike->releaseRagdoll();
    else if (!(pose.parts & kRagdollParts) && bike->ragdoll()) {
        m_player->restart(m_world);
        bike = m_world->bike();
    }
    const auto items = partItems(bike);
    for (int part = 0; part < PoseTrack::PartCount; ++part) {
        PhysicsItem *item = items[part];
        if (!item || !item->body() || !(pose.parts & (1u << part)))
            continue;
        const PoseTrack::BodyPose &p = pose.bodies[part];
        cpBodySetPosition(item->body(), cpv(p.x, p.y));
        cpBodySetAngle(item->body(), p.angle);
        cpBodySetVelocity(item->body(), cpvzero);
        cpBodySetAngularVelocity(item->body(), 0.0);
    }
    for (PhysicsItem *item : items) {
        if (item && item->body())
            item->updateFromBody();
    }
    m_world->step().setStepCount(int(m_position));
}

QString ReplayPlayback::message() const
{
    switch (m_reason) {
    case Reason::LevelChanged:
        return QCoreApplication::translate("ReplayPlayback",
            "This run was recorded on a different version of the level: showing its recorded path");
    case Reason::Drifted:
        return QCoreApplication::translate("ReplayPlayback",
            "This run plays differently in this version of the game: showing its recorded path");
    case Reason::None:
        break;
    }
    return QString();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "authorride.h"

#include "levels/level.h"
#include "replays/replayrecorder.h"
#include "vehicle/bikeitem.h"
#include "world/levelworld.h"
#include "world/simulationstep.h"

#include <QGraphicsScene>

AuthorRide::AuthorRide(LevelWorld *world, const InputTimeline &timeline)
    : m_world(world)
    , m_timeline(timeline)
{ }

AuthorRide::~AuthorRide()
{
    QObject::disconnect(m_downConnection);
}

bool AuthorRide::start(int pack, int level, QString *error)
{
    Level *loaded = m_world->loadLevel(pack, level);
    if (!loaded->isPlayable() || loaded->levelPackNumber() != pack || loaded->levelNumber() != level) {
        *error = QStringLiteral("level %1 of pack %2 cannot be ridden").arg(level).arg(pack);
        m_complete = true;
        return false;
    }
    // Every item moves every step: a spatial index would cost more to keep
    // up than it saves in a scene nobody looks at.
    m_world->scene()->setItemIndexMethod(QGraphicsScene::NoIndex);
    BikeItem *bike = m_world->bike();
    m_downConnection = QObject::connect(bike, &BikeItem::permanentlyGroundHitted, [this] { m_down = true; });
    bike->random().setSeed(kSeed);
    m_world->restart();
    m_finishLineX = loaded->finishLineX();
    m_samples.append(ReplayRecorder::sample(*bike));
    m_started = true;
    return true;
}

void AuthorRide::rideTo(int steps, int maxSteps)
{
    if (!m_started || m_complete)
        return;
    BikeItem *bike = m_world->bike();
    SimulationStep &sim = m_world->step();
    const int stride = ReplayRecorder::kPoseStride;
    for (int taken = 0; taken < maxSteps && m_steps < steps; ++taken) {
        m_timeline.applyDue(m_steps, bike, &m_cursor);
        sim.step([this, &sim] {
            if (sim.reached(m_finishLineX))
                m_finished = true;
        });
        m_steps = sim.stepCount();
        const bool ended = m_finished || m_down || m_steps >= kMaxSteps;
        if (m_steps % stride == 0 || ended)
            m_samples.append(ReplayRecorder::sample(*bike));
        if (ended) {
            m_complete = true;
            QObject::disconnect(m_downConnection);
            return;
        }
    }
}

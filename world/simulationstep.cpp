// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulationstep.h"

#include "physics/physics.h"
#include "vehicle/bikeitem.h"

#include <QGraphicsScene>

namespace {
constexpr int kTenthsPerSecond = 10;
}

SimulationStep::SimulationStep(Physics *physics, QGraphicsScene *scene, BikeItem *bike)
    : m_physics(physics)
    , m_scene(scene)
    , m_bike(bike)
{ }

void SimulationStep::step(const std::function<void()> &afterPhysics)
{
    ++m_stepCount;
    m_bike->stepUpdate();
    m_physics->update();
    if (afterPhysics)
        afterPhysics();
    m_scene->advance();
}

void SimulationStep::restart(QPointF bikeStart, const std::function<void()> &resetLevelItems)
{
    m_bike->resetToInitial();
    m_bike->setBikeVisible(true);
    if (resetLevelItems)
        resetLevelItems();
    m_physics->update();
    m_bike->setBodyPos(bikeStart.x(), bikeStart.y());
    m_bike->updateFromBody();
    m_bike->setThrottle(0.0);
    m_bike->setBrake(0.0);
    m_stepCount = 0;
}

qreal SimulationStep::runTimeForSteps(int steps)
{
    const int tenths = int(double(steps) / kStepsPerRunSecond * kTenthsPerSecond);
    return qreal(tenths) / kTenthsPerSecond;
}

bool SimulationStep::reached(qreal finishLineX) const
{
    return m_bike->frontmostX() >= finishLineX;
}

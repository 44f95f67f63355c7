// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SIMULATIONSTEP_H
#define SIMULATIONSTEP_H

#include <QPointF>
#include <functional>

class BikeItem;
class Physics;
class QGraphicsScene;

// The one per-step sequence of a running level, shared by the game loop and
// the tools: count the step, the bike's control, one physics step, the
// caller's clock and finish test, then the scene's advance (every item
// copies its pose from its body). Also the bike's part of a level restart.
class SimulationStep
{
public:
    // Simulation steps that make one second of the run clock.
    static constexpr int kStepsPerRunSecond = 55;

    SimulationStep(Physics *physics, QGraphicsScene *scene, BikeItem *bike);

    // One step. afterPhysics runs after the physics step and before the
    // scene's advance: the game shows its clock and tests the finish there.
    void step(const std::function<void()> &afterPhysics = {});

    // Restarts the run at bikeStart: the bike's reset, the level's own item
    // reset (resetLevelItems, may be empty), one settling physics step, the
    // bike placed at the start, brakes and throttle released, clock at 0.
    void restart(QPointF bikeStart, const std::function<void()> &resetLevelItems = {});

    int stepCount() const { return m_stepCount; }
    void setStepCount(int steps) { m_stepCount = steps; }
    // Run clock in seconds, cut (not rounded) to tenths.
    qreal runTime() const { return runTimeForSteps(m_stepCount); }
    static qreal runTimeForSteps(int steps);
    // Whether the bike's frontmost point has reached x (reaching it exactly counts).
    bool reached(qreal finishLineX) const;

private:
    Physics *m_physics;
    QGraphicsScene *m_scene;
    BikeItem *m_bike;
    int m_stepCount = 0;
};

#endif

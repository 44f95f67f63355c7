// SPDX-License-Identifier: GPL-3.0-or-later
#include "replayplayer.h"

#include "vehicle/bikeitem.h"
#include "world/levelworld.h"

ReplayPlayer::ReplayPlayer(const ReplayFile &file)
    : m_file(file)
    , m_runEnd(file.inputs.isEmpty() ? 0 : file.inputs.first().steps)
{ }

void ReplayPlayer::restart(LevelWorld *world) const
{
    world->restart();
    world->bike()->random().setState(m_file.randomState);
}

void ReplayPlayer::applyStep(int stepsTaken, BikeItem *bike)
{
    while (m_run < m_file.inputs.size() && stepsTaken >= m_runEnd) {
        ++m_run;
        if (m_run < m_file.inputs.size())
            m_runEnd += m_file.inputs.at(m_run).steps;
    }
    if (m_run < m_file.inputs.size())
        apply(m_file.controls.at(m_file.inputs.at(m_run).controls), bike);
}

void ReplayPlayer::apply(const ReplayFile::Controls &controls, BikeItem *bike)
{
    if (bike->throttle() != controls.throttle)
        bike->setThrottle(controls.throttle);
    if (bike->isMotorAdded() != controls.brake)
        bike->setBrake(controls.brake ? 1.0 : 0.0);
    if (bike->tiltSpeed() != controls.lean)
        bike->setTiltSpeed(controls.lean);
}

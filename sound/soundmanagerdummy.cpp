// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/soundmanagerdummy.h"

SoundManagerDummy::SoundManagerDummy(QObject *parent)
    : SoundManager(parent)
{ }

SoundManagerDummy::~SoundManagerDummy() = default;

void SoundManagerDummy::playEngineVariant(int, qreal) { }
void SoundManagerDummy::playGroundHitVariant(int, qreal) { }
void SoundManagerDummy::playCrowdCheerVariant(int) { }
void SoundManagerDummy::playCrowdDisappointmentVariant(int) { }
void SoundManagerDummy::playCrowdAweVariant(int) { }
void SoundManagerDummy::setSlidingVolume(qreal) { }
void SoundManagerDummy::applyMotorVolume() { }

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SOUNDMANAGERDUMMY_H
#define SOUNDMANAGERDUMMY_H

#include "sound/soundmanager.h"

// The sound interface with the full policy and no output: for machines and
// tests without sound.
class SoundManagerDummy : public SoundManager
{
    Q_OBJECT

public:
    explicit SoundManagerDummy(QObject *parent = nullptr);
    ~SoundManagerDummy() override;

protected:
    void playEngineVariant(int variant, qreal speed) override;
    void playGroundHitVariant(int variant, qreal volume) override;
    void playCrowdCheerVariant(int variant) override;
    void playCrowdDisappointmentVariant(int variant) override;
    void playCrowdAweVariant(int variant) override;
    void setSlidingVolume(qreal slidingFactor) override;
    void applyMotorVolume() override;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ENGINESOUND_H
#define ENGINESOUND_H

#include "synthdsp.h"

namespace synth {

// A twin-cylinder motorbike engine at idle, as one seamless loop.
struct EngineRecipe
{
    int sampleRate = 22050;
    int cycleFrames = 336; // one engine cycle: 65.6 Hz at 22050 Hz
    int cycles = 24; // cycles in the loop (the loop is cycleFrames x cycles)
    double secondFiring = 0.4; // uneven twin: the second cylinder fires at this fraction of the cycle
    double firingJitter = 0.1; // relative spread of firing strength from cycle to cycle
    double popHz = 170.0; // exhaust resonance of a firing pulse
    double popHz2 = 540.0; // its upper resonance
    double popDecayMs = 5.0;
    double harmonicLevel = 0.45; // steady harmonic note under the pulses
    double mechanicalNoise = 0.04;
    double drive = 1.6; // soft saturation
    float peak = 0.55f;
    unsigned seed = 1;
};

// Returns cycleFrames x cycles frames that repeat exactly, followed by the
// first two frames again, so that a player interpolating up to the last
// frame joins the loop without a step.
Signal makeEngine(const EngineRecipe &recipe);

} // namespace synth

#endif

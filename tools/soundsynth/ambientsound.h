// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AMBIENTSOUND_H
#define AMBIENTSOUND_H

#include "synthdsp.h"

namespace synth {

// A quiet outdoor background as one seamless loop: wind (band-passed noise
// whose gusts repeat a whole number of times per loop), an optional whistle
// of wind in rock, and optional bird calls.
struct AmbientRecipe
{
    int sampleRate = 22050;
    double loopS = 12.0;
    double crossfadeS = 1.0; // noise overrun blended into the loop start
    double windLowHz = 180.0, windHighHz = 900.0; // band of the wind noise
    double windLevel = 1.0;
    int gustCycles = 3; // slow swells per loop
    double gustDepth = 0.5; // 0: steady wind, 1: swells down to silence
    double whistleHz = 0.0; // resonance of wind in rock; 0: none
    double whistleQ = 12.0;
    double whistleLevel = 0.0;
    int birdCalls = 0; // calls per loop
    double birdLowHz = 2600.0, birdHighHz = 4200.0; // pitch range of a call
    double birdLevel = 0.0;
    double echoS = 0.0; // delay of a canyon echo; 0: none
    double echoLevel = 0.0;
    float peak = 0.12f;
    unsigned seed = 1;
};

// Returns loopS x sampleRate frames that repeat exactly, followed by the
// first two frames again (see makeEngine), with no DC offset.
Signal makeAmbient(const AmbientRecipe &recipe);

} // namespace synth

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef IMPACTSOUND_H
#define IMPACTSOUND_H

#include "synthdsp.h"

namespace synth {

// A bike landing: a low body thump, a burst of filtered noise (dirt, tyre),
// optionally the ring of metal parts, and optionally a smaller bounce.
struct ImpactRecipe
{
    int sampleRate = 22050;
    double durationS = 0.6;
    double bodyHz = 60.0; // where the thump settles
    double bodySweep = 1.8; // it starts this many times higher
    double bodyDecayMs = 90.0;
    double bodyLevel = 1.0;
    double noiseCutoffHz = 900.0; // low-pass of the noise burst
    double noiseDecayMs = 45.0;
    double noiseLevel = 0.6;
    double crunchLevel = 0.2; // short high-passed crackle at the start
    double metalHz = 0.0; // lowest ringing mode; 0 = no metal
    double metalDecayMs = 150.0;
    double metalLevel = 0.0;
    double bounceDelayMs = 0.0; // 0 = no bounce
    double bounceLevel = 0.0;
    int rattles = 0; // extra small metal knocks after the hit
    float peak = 0.85f;
    unsigned seed = 1;
};

Signal makeImpact(const ImpactRecipe &recipe);

} // namespace synth

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SLIDINGSOUND_H
#define SLIDINGSOUND_H

#include "synthdsp.h"

namespace synth {

// A tyre skidding on dirt: band-passed hiss, a low scrape, and the crackle
// of grit, as a loop joined by a crossfade.
struct SlidingRecipe
{
    int sampleRate = 44100;
    double loopS = 2.0;
    double crossfadeS = 0.3;
    double hissHz = 1400.0;
    double hissLevel = 0.5;
    double scrapeHz = 180.0; // low-pass of the scrape
    double scrapeLevel = 0.6;
    double gritPerS = 140.0; // grains of grit hitting the tyre
    double gritLevel = 0.55;
    double wobbleHz = 2.3; // slow unevenness of the skid
    float peak = 0.28f;
    unsigned seed = 1;
};

// loopS seconds that repeat without a seam, followed by the first two
// frames again (see makeEngine).
Signal makeSliding(const SlidingRecipe &recipe);

} // namespace synth

#endif

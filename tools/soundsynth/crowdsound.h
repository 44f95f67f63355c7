// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CROWDSOUND_H
#define CROWDSOUND_H

#include "synthdsp.h"

namespace synth {

// A vowel as three formants (Hz).
struct Vowel
{
    double f1, f2, f3;
};

// A crowd of voices singing one vowel glide together: each voice is a
// harmonic source shaped by the formants of the vowel, with its own pitch,
// timing, vibrato and loudness; breath noise through the same formants and
// optional clapping thicken it.
struct CrowdRecipe
{
    int sampleRate = 22050;
    double durationS = 2.8;
    int voices = 32;
    Vowel startVowel {750, 1200, 2600};
    Vowel endVowel {750, 1200, 2600};
    double vowelGlideS = 0.5; // time to move from start to end vowel
    double pitchStart = 1.0; // pitch factor at the start of a voice ...
    double pitchEnd = 1.0; // ... and at its end (the glide of the reaction)
    double pitchGlideS = 1.0;
    double spectralTilt = 1.2; // harmonic k has amplitude 1/k^tilt: lower is brighter
    double onsetSpreadS = 0.2; // voices start within this time
    double attackS = 0.15;
    double releaseS = 1.2; // fade at the end of each voice
    double voiceLengthS = 2.2; // mean length of one voice
    double breathLevel = 0.15;
    double clapsPerS = 0.0; // applause (0 = none)
    double clapLevel = 0.0;
    double liveliness = 0.0; // depth of per-voice loudness bursts ("hey!")
    float peak = 0.7f;
    unsigned seed = 1;
};

Signal makeCrowd(const CrowdRecipe &recipe);

} // namespace synth

#endif

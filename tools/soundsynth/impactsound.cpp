// SPDX-License-Identifier: GPL-3.0-or-later
#include "impactsound.h"

#include <cmath>

namespace synth {

namespace {
constexpr double kSweepMs = 25.0; // body pitch glide time
constexpr double kAttackMs = 1.5;
constexpr double kCrunchMs = 9.0;
constexpr double kCrunchCutoffHz = 2500.0;
constexpr double kEndFadeMs = 15.0;
// Inharmonic modes of a struck metal part (ratios to the lowest mode).
constexpr double kMetalRatios[] = {1.0, 1.593, 2.135, 2.917, 3.752, 4.61};
constexpr double kMetalModeFall = 0.3; // higher modes are weaker ...
constexpr double kMetalDecayFall = 0.35; // ... and die sooner
constexpr double kMaxModeShare = 0.45; // of the sample rate
constexpr double kNoiseQ = 0.9, kNoiseSecondStage = 1.5, kButterworthQ = 0.7071;
constexpr double kNoiseGain = 2.5; // makes noiseLevel comparable to bodyLevel
constexpr double kBouncePitch = 1.15; // a bounce is a little higher and lighter
// Loose parts knocking after the hit.
constexpr double kKnockNoise = 0.1, kKnockCrunch = 0.05, kKnockDecayShare = 0.4;
constexpr double kKnockStartS = 0.03, kKnockGapS[2] = {0.025, 0.07};
constexpr double kKnockLevel[2] = {0.2, 0.45}, kKnockPitch[2] = {1.1, 1.6};

// Adds one hit of the recipe at `startS`, scaled by `level`.
void addHit(Signal &out, const ImpactRecipe &r, double startS, double level, double pitch, Rng &rng)
{
    const double rate = r.sampleRate;
    const int start = int(startS * rate);
    const int length = int(out.size());
    Biquad noiseFilter = Biquad::lowPass(rate, r.noiseCutoffHz * pitch, kNoiseQ);
    Biquad noiseFilter2 = Biquad::lowPass(rate, r.noiseCutoffHz * pitch * kNoiseSecondStage, kButterworthQ);
    Biquad crunchFilter = Biquad::highPass(rate, kCrunchCutoffHz, kButterworthQ);
    double metalPhase[6], metalGain[6];
    for (int m = 0; m < 6; ++m) {
        metalPhase[m] = rng.uniform(0, 2 * kPi);
        metalGain[m] = rng.uniform(0.4, 1.0) / (1.0 + kMetalModeFall * m);
    }
    double bodyPhase = 0.0;
    for (int n = start; n < length; ++n) {
        const double t = (n - start) / rate, tMs = t * 1e3;
        const double attack = 1.0 - std::exp(-tMs / kAttackMs);
        // Body: a sine whose pitch falls quickly onto bodyHz.
        const double bodyHz = r.bodyHz * pitch * (1.0 + (r.bodySweep - 1.0) * std::exp(-tMs / kSweepMs));
        bodyPhase += 2 * kPi * bodyHz / rate;
        double v = r.bodyLevel * attack * std::exp(-tMs / r.bodyDecayMs) * std::sin(bodyPhase);
        // Noise burst, two low-pass stages for a dull thud.
        const double noise = noiseFilter2.process(noiseFilter.process(rng.noise()));
        v += r.noiseLevel * kNoiseGain * attack * std::exp(-tMs / r.noiseDecayMs) * noise;
        // Crackle of dirt and gravel at the very start.
        v += r.crunchLevel * std::exp(-tMs / kCrunchMs) * crunchFilter.process(rng.noise());
        // Ringing metal.
        if (r.metalHz > 0.0) {
            for (int m = 0; m < 6; ++m) {
                const double f = r.metalHz * pitch * kMetalRatios[m];
                if (f > rate * kMaxModeShare)
                    break;
                const double decay = r.metalDecayMs / (1.0 + kMetalDecayFall * m);
                v += r.metalLevel * metalGain[m] * attack * std::exp(-tMs / decay)
                    * std::sin(2 * kPi * f * t + metalPhase[m]);
            }
        }
        out[n] += float(level * v);
    }
}
} // namespace

Signal makeImpact(const ImpactRecipe &r)
{
    Rng rng(r.seed);
    Signal out(size_t(r.durationS * r.sampleRate), 0.0f);
    addHit(out, r, 0.0, 1.0, 1.0, rng);
    if (r.bounceDelayMs > 0.0)
        addHit(out, r, r.bounceDelayMs * 1e-3, r.bounceLevel, kBouncePitch, rng);
    if (r.rattles > 0 && r.metalHz > 0.0) {
        ImpactRecipe knock = r;
        knock.bodyLevel = 0.0;
        knock.noiseLevel = kKnockNoise;
        knock.crunchLevel = kKnockCrunch;
        knock.metalDecayMs = r.metalDecayMs * kKnockDecayShare;
        double at = kKnockStartS;
        for (int i = 0; i < r.rattles; ++i) {
            at += rng.uniform(kKnockGapS[0], kKnockGapS[1]);
            addHit(out, knock, at, rng.uniform(kKnockLevel[0], kKnockLevel[1]),
                rng.uniform(kKnockPitch[0], kKnockPitch[1]), rng);
        }
    }
    normalize(out, r.peak);
    fadeEdges(out, 0, int(kEndFadeMs * 1e-3 * r.sampleRate));
    return out;
}

} // namespace synth

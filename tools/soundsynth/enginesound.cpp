// SPDX-License-Identifier: GPL-3.0-or-later
#include "enginesound.h"

#include <cmath>

namespace synth {

namespace {
constexpr int kHarmonics = 40;
constexpr double kAttackMs = 0.5;
constexpr int kLoopTailFrames = 2;
// Spectral bumps of the steady note (body and intake resonances).
constexpr double kBodyFormantHz = 260.0, kIntakeFormantHz = 950.0, kFormantWidthHz = 220.0;
constexpr double kMechanicalHz = 2600.0;
constexpr double kMechanicalQ = 0.9;
constexpr double kMechanicalGain = 3.0, kMechanicalFloor = 0.4; // clatter between firings
// Partials of one exhaust pop: (relative level, frequency factor of popHz2, phase).
constexpr double kPopUpper = 0.55, kPopUpperPhase = 0.6;
constexpr double kPopTop = 0.25, kPopTopRatio = 2.07, kPopTopPhase = 1.3;
constexpr double kPopSpanDecays = 14.0; // a pop is cut after this many decay times (e^-14)
constexpr double kSecondFiring = 0.8; // strength of the second cylinder
constexpr double kFiringEnvelopeCycles = 0.12; // decay of the clatter envelope, in cycles
constexpr double kHarmonicSlope = 1.1; // harmonic k at 1/k^slope
constexpr double kHarmonicFloor = 0.35, kIntakeLevel = 0.6;
constexpr double kMaxHarmonicShare = 0.45; // of the sample rate
constexpr double kLopeLevel = 0.12, kLopePhase = 0.3;

// Adds one exhaust pop at frame `at` to a loop of `length` frames; the tail
// wraps around the loop end so the loop stays exact.
void addPop(Signal &out, int at, double strength, const EngineRecipe &r)
{
    const int length = int(out.size());
    const double rate = r.sampleRate;
    const double decay = r.popDecayMs * 1e-3 * rate, attack = kAttackMs * 1e-3 * rate;
    const int span = std::min(length, int(decay * kPopSpanDecays));
    for (int d = 0; d < span; ++d) {
        const double env = strength * std::exp(-d / decay) * (1.0 - std::exp(-d / attack));
        const double t = d / rate;
        const double v = std::sin(2 * kPi * r.popHz * t)
            + kPopUpper * std::sin(2 * kPi * r.popHz2 * t + kPopUpperPhase)
            + kPopTop * std::sin(2 * kPi * r.popHz2 * kPopTopRatio * t + kPopTopPhase);
        out[(at + d) % length] += float(env * v);
    }
}

double bump(double f, double centre)
{
    return std::exp(-std::pow((f - centre) / kFormantWidthHz, 2));
}
} // namespace

Signal makeEngine(const EngineRecipe &r)
{
    Rng rng(r.seed);
    const int period = r.cycleFrames, length = r.cycleFrames * r.cycles;
    Signal loop(length, 0.0f);

    // Firing pulses: two per cycle, of slightly different strength each time.
    Signal firingEnvelope(length, 0.0f);
    for (int c = 0; c < r.cycles; ++c) {
        const int first = c * period;
        const int second = first + int(r.secondFiring * period);
        const double s1 = 1.0 + r.firingJitter * rng.gauss();
        const double s2 = kSecondFiring * (1.0 + r.firingJitter * rng.gauss());
        addPop(loop, first, s1, r);
        addPop(loop, second, s2, r);
        for (int d = 0; d < period; ++d) {
            const double e = s1 * std::exp(-d / (kFiringEnvelopeCycles * period));
            firingEnvelope[(first + d) % length] += float(e);
            firingEnvelope[(second + d) % length] += float(kSecondFiring * e);
        }
    }

    // Steady harmonic note at the cycle rate (periodic in one cycle).
    const double f0 = double(r.sampleRate) / period;
    double amps[kHarmonics + 1], phases[kHarmonics + 1];
    for (int k = 1; k <= kHarmonics; ++k) {
        const double f = k * f0;
        amps[k] = (1.0 / std::pow(k, kHarmonicSlope))
            * (kHarmonicFloor + bump(f, kBodyFormantHz) + kIntakeLevel * bump(f, kIntakeFormantHz));
        phases[k] = rng.uniform(0, 2 * kPi);
    }
    for (int n = 0; n < length; ++n) {
        double v = 0.0;
        for (int k = 1; k <= kHarmonics && k * f0 < r.sampleRate * kMaxHarmonicShare; ++k)
            v += amps[k] * std::sin(2 * kPi * k * n / period + phases[k]);
        // A faint half-order lope: the cylinders are not identical.
        v += kLopeLevel * std::sin(kPi * n / period + kLopePhase);
        loop[n] += float(r.harmonicLevel * v);
    }

    // Mechanical clatter: band-passed noise, louder at each firing. Filtered
    // around the loop twice so that its state at the end meets the start.
    Signal noise(length);
    for (float &v : noise)
        v = rng.noise();
    Biquad band = Biquad::bandPass(r.sampleRate, kMechanicalHz, kMechanicalQ);
    Signal clatter(length);
    for (int pass = 0; pass < 2; ++pass)
        for (int n = 0; n < length; ++n)
            clatter[n] = band.process(noise[n]);
    for (int n = 0; n < length; ++n)
        loop[n] += float(
            r.mechanicalNoise * (kMechanicalFloor + firingEnvelope[n]) * clatter[n] * kMechanicalGain);

    // Soft saturation gives the note its grit.
    normalize(loop, 1.0f);
    const double norm = std::tanh(r.drive);
    for (float &v : loop)
        v = float(std::tanh(r.drive * v) / norm);
    // The pops are one-sided and the saturation keeps that: without this the
    // note would sit about 5 % of full scale off zero. The loop's mean is one
    // constant, so the loop stays seamless.
    removeDc(loop);
    normalize(loop, r.peak);

    appendLoopTail(loop, kLoopTailFrames);
    return loop;
}

} // namespace synth

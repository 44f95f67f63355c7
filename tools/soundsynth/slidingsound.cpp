// SPDX-License-Identifier: GPL-3.0-or-later
#include "slidingsound.h"

#include <cmath>

namespace synth {

namespace {
constexpr double kGrainMs = 1.8; // decay of one grain of grit
constexpr double kGritCutoffHz = 2500.0;
constexpr double kToneCutoffHz = 7000.0; // dirt absorbs the highest hiss
constexpr int kLoopTailFrames = 2;
constexpr double kButterworthQ = 0.7071;
constexpr double kHissQ = 0.8, kHissHighRatio = 2.3, kHissHighQ = 1.2, kHissHighLevel = 0.5, kHissGain = 2.0;
constexpr double kScrapeQ = 0.9, kScrapeBodyRatio = 2.2, kScrapeBodyQ = 1.5, kScrapeBodyLevel = 0.4;
constexpr double kScrapeGain = 4.0, kScrapeSteady = 0.8; // the scrape follows the wobble only a little
constexpr double kWobbleDepth = 0.25, kWobble2Depth = 0.15, kWobble2Ratio = 2.71;
constexpr double kGrainLevel[2] = {0.3, 1.0};
constexpr double kGritGain = 3.0;
} // namespace

Signal makeSliding(const SlidingRecipe &r)
{
    Rng rng(r.seed);
    const double rate = r.sampleRate;
    const int loop = int(r.loopS * rate), fade = int(r.crossfadeS * rate);
    const int total = loop + fade;
    Signal raw(total, 0.0f);

    Biquad hiss = Biquad::bandPass(rate, r.hissHz, kHissQ);
    Biquad hissHigh = Biquad::bandPass(rate, r.hissHz * kHissHighRatio, kHissHighQ);
    Biquad scrape = Biquad::lowPass(rate, r.scrapeHz, kScrapeQ);
    Biquad scrapeBody = Biquad::bandPass(rate, r.scrapeHz * kScrapeBodyRatio, kScrapeBodyQ);
    Biquad grit = Biquad::highPass(rate, kGritCutoffHz, kButterworthQ);
    Biquad tone = Biquad::lowPass(rate, kToneCutoffHz, kButterworthQ),
           tone2 = Biquad::lowPass(rate, kToneCutoffHz, kButterworthQ);
    const double grainDecay = kGrainMs * 1e-3 * rate;
    const double grainChance = r.gritPerS / rate;
    double grainEnv = 0.0, grainSign = 1.0;
    const double w1 = rng.uniform(0, 2 * kPi), w2 = rng.uniform(0, 2 * kPi);
    for (int n = 0; n < total; ++n) {
        const double t = n / rate;
        const double wobble = 1.0 + kWobbleDepth * std::sin(2 * kPi * r.wobbleHz * t + w1)
            + kWobble2Depth * std::sin(2 * kPi * r.wobbleHz * kWobble2Ratio * t + w2);
        const float white = rng.noise();
        double v = r.hissLevel * kHissGain * (hiss.process(white) + kHissHighLevel * hissHigh.process(white))
            * wobble;
        const float brown = rng.noise();
        v += r.scrapeLevel * kScrapeGain
            * (scrape.process(brown) + kScrapeBodyLevel * scrapeBody.process(brown))
            * (kScrapeSteady + (1.0 - kScrapeSteady) * wobble);
        if (rng.uniform() < grainChance) {
            grainEnv = rng.uniform(kGrainLevel[0], kGrainLevel[1]);
            grainSign = rng.uniform() < 0.5 ? -1.0 : 1.0;
        }
        v += r.gritLevel * grainSign * grainEnv * grit.process(rng.noise()) * kGritGain;
        grainEnv *= std::exp(-1.0 / grainDecay);
        raw[n] = tone2.process(tone.process(float(v)));
    }

    Signal out = crossfadeLoop(raw, loop, fade);
    normalize(out, r.peak);
    appendLoopTail(out, kLoopTailFrames);
    return out;
}

} // namespace synth

#include "slidingsound.h"

#include <cmath>

namespace synth {

namespace {
constexpr double kGrainMs = 1.8; // decay of one grain of grit
constexpr double kGritCutoffHz = 2500.0;
constexpr double kToneCutoffHz = 7000.0; // dirt absorbs the highest hiss
constexpr int kLoopTailFrames = 2;
} // namespace

Signal makeSliding(const SlidingRecipe &r)
{
    Rng rng(r.seed);
    const double rate = r.sampleRate;
    const int loop = int(r.loopS * rate), fade = int(r.crossfadeS * rate);
    const int total = loop + fade;
    Signal raw(total, 0.0f);

    Biquad hiss = Biquad::bandPass(rate, r.hissHz, 0.8);
    Biquad hissHigh = Biquad::bandPass(rate, r.hissHz * 2.3, 1.2);
    Biquad scrape = Biquad::lowPass(rate, r.scrapeHz, 0.9);
    Biquad scrapeBody = Biquad::bandPass(rate, r.scrapeHz * 2.2, 1.5);
    Biquad grit = Biquad::highPass(rate, kGritCutoffHz, 0.7);
    Biquad tone = Biquad::lowPass(rate, kToneCutoffHz, 0.7),
           tone2 = Biquad::lowPass(rate, kToneCutoffHz, 0.7);
    const double grainDecay = kGrainMs * 1e-3 * rate;
    const double grainChance = r.gritPerS / rate;
    double grainEnv = 0.0, grainSign = 1.0;
    const double w1 = rng.uniform(0, 2 * kPi), w2 = rng.uniform(0, 2 * kPi);
    for (int n = 0; n < total; ++n) {
        const double t = n / rate;
        const double wobble = 1.0 + 0.25 * std::sin(2 * kPi * r.wobbleHz * t + w1)
            + 0.15 * std::sin(2 * kPi * r.wobbleHz * 2.71 * t + w2);
        const float white = rng.noise();
        double v = r.hissLevel * 2.0 * (hiss.process(white) + 0.5 * hissHigh.process(white)) * wobble;
        const float brown = rng.noise();
        v += r.scrapeLevel * 4.0 * (scrape.process(brown) + 0.4 * scrapeBody.process(brown))
            * (0.8 + 0.2 * wobble);
        if (rng.uniform() < grainChance) {
            grainEnv = rng.uniform(0.3, 1.0);
            grainSign = rng.uniform() < 0.5 ? -1.0 : 1.0;
        }
        v += r.gritLevel * grainSign * grainEnv * grit.process(rng.noise()) * 3.0;
        grainEnv *= std::exp(-1.0 / grainDecay);
        raw[n] = tone2.process(tone.process(float(v)));
    }

    // The loop's first `fade` frames blend the overrun (which continues the
    // loop's end) into the start with equal power, since both are noise.
    Signal out(raw.begin(), raw.begin() + loop);
    for (int n = 0; n < fade; ++n) {
        const double x = (n + 0.5) / fade * kPi / 2;
        out[n] = float(raw[n] * std::sin(x) + raw[loop + n] * std::cos(x));
    }
    normalize(out, r.peak);
    for (int i = 0; i < kLoopTailFrames; ++i)
        out.push_back(out[i]);
    return out;
}

} // namespace synth

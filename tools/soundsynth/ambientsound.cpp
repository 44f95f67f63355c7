// SPDX-License-Identifier: GPL-3.0-or-later
#include "ambientsound.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {
constexpr int kLoopTailFrames = 2;
constexpr double kButterworthQ = 0.7071;
// A bird call: a few quick notes, each a pitch sweep with a vibrato.
constexpr int kMinNotes = 2, kMaxNotes = 5;
constexpr double kNoteS = 0.07, kNoteGapS = 0.05;
constexpr double kNoteSweep = 0.25; // relative pitch fall over a note
constexpr double kVibratoHz = 45.0, kVibratoDepth = 0.04;
constexpr double kNoteAttackS = 0.008;
constexpr double kWhistleGustPower = 2.0; // the whistle sounds mostly in the gusts

// Adds one bird call at frame `at`, wrapping around the loop end.
void addBirdCall(Signal &out, int at, Rng &rng, const AmbientRecipe &r)
{
    const int length = int(out.size());
    const double rate = r.sampleRate;
    const int notes = kMinNotes + int(rng.uniform() * (kMaxNotes - kMinNotes + 1));
    const double pitch = rng.uniform(r.birdLowHz, r.birdHighHz);
    const double level = r.birdLevel * rng.uniform(0.4, 1.0); // near and far birds
    int start = at;
    for (int note = 0; note < notes; ++note) {
        const int frames = int(kNoteS * rate);
        double phase = 0.0;
        for (int d = 0; d < frames; ++d) {
            const double t = d / rate, x = double(d) / frames;
            const double f
                = pitch * (1.0 - kNoteSweep * x) * (1.0 + kVibratoDepth * std::sin(2 * kPi * kVibratoHz * t));
            phase += 2 * kPi * f / rate;
            const double env = std::min(1.0, t / kNoteAttackS) * std::sin(kPi * x);
            out[(start + d) % length] += float(level * env * std::sin(phase));
        }
        start += frames + int(kNoteGapS * rate * rng.uniform(0.6, 1.4));
    }
}
} // namespace

Signal makeAmbient(const AmbientRecipe &r)
{
    Rng rng(r.seed);
    const double rate = r.sampleRate;
    const int loop = int(r.loopS * rate), fade = int(r.crossfadeS * rate);
    const int total = loop + fade;

    // Wind: noise in a band, swelling in gusts that repeat exactly per loop.
    Biquad low = Biquad::highPass(rate, r.windLowHz, kButterworthQ);
    Biquad high = Biquad::lowPass(rate, r.windHighHz, kButterworthQ);
    Biquad high2 = Biquad::lowPass(rate, r.windHighHz, kButterworthQ);
    Biquad whistle = r.whistleHz > 0.0 ? Biquad::bandPass(rate, r.whistleHz, r.whistleQ) : Biquad();
    const double gustPhase = rng.uniform(0, 2 * kPi);
    Signal raw(total, 0.0f);
    for (int n = 0; n < total; ++n) {
        const double t = n / rate;
        const double gust
            = 1.0 - r.gustDepth * 0.5 * (1.0 + std::sin(2 * kPi * r.gustCycles * t / r.loopS + gustPhase));
        const float white = rng.noise();
        double v = r.windLevel * gust * high2.process(high.process(low.process(white)));
        if (r.whistleHz > 0.0)
            v += r.whistleLevel * std::pow(gust, kWhistleGustPower) * whistle.process(white);
        raw[n] = float(v);
    }
    Signal out = crossfadeLoop(raw, loop, fade);

    for (int c = 0; c < r.birdCalls; ++c)
        addBirdCall(out, int(rng.uniform() * loop), rng, r);

    // A canyon answers everything once, later and softer; the echo of the
    // loop's end lands on its start, so the loop stays seamless.
    if (r.echoS > 0.0) {
        const int delay = int(r.echoS * rate);
        const Signal dry = out;
        for (int n = 0; n < loop; ++n)
            out[n] += float(r.echoLevel * dry[(n - delay % loop + loop) % loop]);
    }

    removeDc(out);
    normalize(out, r.peak);
    appendLoopTail(out, kLoopTailFrames);
    return out;
}

} // namespace synth

// SPDX-License-Identifier: GPL-3.0-or-later
#include "crowdsound.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {
constexpr int kBlock = 32; // samples between updates of pitch and formants
constexpr double kMaxHarmonicHz = 5000.0;
constexpr double kFormantBandwidthHz[3] = {140.0, 180.0, 240.0};
constexpr double kFormantGain[3] = {1.0, 0.7, 0.35};
constexpr double kClapHz = 1600.0, kClapMs = 6.0;
constexpr double kEndFadeMs = 40.0;
constexpr double kFormantFloor = 0.02; // spectral floor between formants

// The crowd's population of voices.
constexpr double kHighVoiceShare = 0.45; // share of higher (mostly female and young) voices
constexpr double kHighVoiceHz[2] = {190.0, 290.0}; // their pitch range
constexpr double kLowVoiceHz[2] = {100.0, 160.0};
constexpr double kHighVoiceFormantScale = 1.12; // shorter vocal tracts
constexpr double kFormantSpread = 0.07; // +- per voice
constexpr double kVoiceLengthSpread = 0.2; // +- per voice
constexpr double kVoiceLevel[2] = {0.5, 1.0};
constexpr double kVibratoHz[2] = {4.5, 6.5};
constexpr double kVibratoDepth[2] = {0.01, 0.03}; // relative pitch
constexpr double kBurstHz[2] = {1.5, 3.5}; // rate of "hey!" bursts
constexpr double kDriftKeep = 0.98, kDriftStep = 0.002; // slow random pitch drift per block

// Breath noise and applause.
constexpr double kBreathQ[2] = {4.0, 6.0}; // at the first and second formant
constexpr double kBreathSecondFormant = 0.6;
constexpr double kClapSpread[2] = {0.7, 1.4}; // clap colour around kClapHz
constexpr double kClapQ = 1.2;
constexpr double kClapLevel[2] = {0.3, 1.0};
constexpr double kClapTailFactor = 1.5; // applause outlasts the voices' release

double smoothstep(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

Vowel mix(const Vowel &a, const Vowel &b, double x)
{
    return {a.f1 + (b.f1 - a.f1) * x, a.f2 + (b.f2 - a.f2) * x, a.f3 + (b.f3 - a.f3) * x};
}

// Loudness of the vowel's formants at frequency f (resonance curves).
double formantGain(const Vowel &v, double f)
{
    const double centres[3] = {v.f1, v.f2, v.f3};
    double g = kFormantFloor;
    for (int i = 0; i < 3; ++i) {
        const double x = (f - centres[i]) / (kFormantBandwidthHz[i] / 2.0);
        g += kFormantGain[i] / (1.0 + x * x);
    }
    return g;
}

struct Voice
{
    double f0; // base pitch, Hz
    double start, end; // seconds
    double level;
    double vibratoHz, vibratoDepth, vibratoPhase;
    double formantScale; // vocal tract size
    double burstHz, burstPhase;
    double phase = 0.0;
};

void addVoice(Signal &out, const CrowdRecipe &r, Voice &voice, Rng &rng)
{
    const double rate = r.sampleRate;
    const int first = int(voice.start * rate), last = std::min(int(out.size()), int(voice.end * rate));
    double drift = 0.0;
    std::vector<double> amps;
    for (int block = first; block < last; block += kBlock) {
        const double t = block / rate, local = t - voice.start, length = voice.end - voice.start;
        // Pitch: the reaction's glide, vibrato and a slow random drift.
        drift = kDriftKeep * drift + kDriftStep * rng.gauss();
        const double glide = r.pitchStart + (r.pitchEnd - r.pitchStart) * smoothstep(local / r.pitchGlideS);
        const double f0 = voice.f0 * glide
            * (1.0 + voice.vibratoDepth * std::sin(2 * kPi * voice.vibratoHz * t + voice.vibratoPhase)
                + drift);
        Vowel vowel = mix(r.startVowel, r.endVowel, smoothstep(local / r.vowelGlideS));
        vowel = {vowel.f1 * voice.formantScale, vowel.f2 * voice.formantScale, vowel.f3 * voice.formantScale};
        const double envelope = smoothstep(local / r.attackS) * smoothstep((length - local) / r.releaseS);
        const double burst
            = 1.0 - r.liveliness * 0.5 * (1.0 + std::sin(2 * kPi * voice.burstHz * t + voice.burstPhase));
        const double gain = voice.level * envelope * burst;
        const int harmonics = std::max(1, int(kMaxHarmonicHz / f0));
        amps.assign(harmonics + 1, 0.0);
        for (int k = 1; k <= harmonics; ++k)
            amps[k] = gain * formantGain(vowel, k * f0) / std::pow(k, r.spectralTilt);
        const double step = 2 * kPi * f0 / rate;
        for (int n = block; n < std::min(last, block + kBlock); ++n) {
            voice.phase = std::fmod(voice.phase + step, 2 * kPi);
            // sin(k x) by the Chebyshev recurrence: one sin and cos per sample.
            const double s1 = std::sin(voice.phase), c2 = 2 * std::cos(voice.phase);
            double prev = 0.0, cur = s1, v = 0.0;
            for (int k = 1; k <= harmonics; ++k) {
                v += amps[k] * cur;
                const double next = c2 * cur - prev;
                prev = cur;
                cur = next;
            }
            out[n] += float(v);
        }
    }
}

// Breath and murmur of the crowd: noise through the vowel's formants.
void addBreath(Signal &out, const CrowdRecipe &r, Rng &rng)
{
    const double rate = r.sampleRate;
    const int length = int(out.size());
    const double total = length / rate;
    for (int block = 0; block < length; block += kBlock) {
        const double t = block / rate;
        const Vowel v = mix(r.startVowel, r.endVowel, smoothstep(t / r.vowelGlideS));
        Biquad f1 = Biquad::bandPass(rate, v.f1, kBreathQ[0]), f2 = Biquad::bandPass(rate, v.f2, kBreathQ[1]);
        const double envelope
            = smoothstep(t / (r.onsetSpreadS + r.attackS)) * smoothstep((total - t) / r.releaseS);
        for (int n = block; n < std::min(length, block + kBlock); ++n) {
            const float x = rng.noise();
            out[n]
                += float(r.breathLevel * envelope * (f1.process(x) + kBreathSecondFormant * f2.process(x)));
        }
    }
}

void addClaps(Signal &out, const CrowdRecipe &r, Rng &rng)
{
    const double rate = r.sampleRate;
    const int length = int(out.size());
    const double total = length / rate;
    const int claps = int(r.clapsPerS * total);
    for (int c = 0; c < claps; ++c) {
        const double at = r.onsetSpreadS * 0.5 + rng.uniform() * (total - r.onsetSpreadS * 0.5);
        Biquad clap = Biquad::bandPass(rate, kClapHz * rng.uniform(kClapSpread[0], kClapSpread[1]), kClapQ);
        const double level = r.clapLevel * rng.uniform(kClapLevel[0], kClapLevel[1])
            * smoothstep((total - at) / (r.releaseS * kClapTailFactor));
        const int start = int(at * rate), span = int(kClapMs * 6e-3 * rate);
        for (int d = 0; d < span && start + d < length; ++d)
            out[start + d]
                += float(level * std::exp(-d / (kClapMs * 1e-3 * rate)) * clap.process(rng.noise()));
    }
}
} // namespace

Signal makeCrowd(const CrowdRecipe &r)
{
    Rng rng(r.seed);
    Signal out(size_t(r.durationS * r.sampleRate), 0.0f);
    for (int i = 0; i < r.voices; ++i) {
        Voice voice;
        const bool high = rng.uniform() < kHighVoiceShare;
        voice.f0 = high ? rng.uniform(kHighVoiceHz[0], kHighVoiceHz[1])
                        : rng.uniform(kLowVoiceHz[0], kLowVoiceHz[1]);
        voice.formantScale
            = (high ? kHighVoiceFormantScale : 1.0) * rng.uniform(1.0 - kFormantSpread, 1.0 + kFormantSpread);
        voice.start = rng.uniform(0.0, r.onsetSpreadS);
        voice.end = std::min(r.durationS,
            voice.start + r.voiceLengthS * rng.uniform(1.0 - kVoiceLengthSpread, 1.0 + kVoiceLengthSpread));
        voice.level = rng.uniform(kVoiceLevel[0], kVoiceLevel[1]) / std::sqrt(double(r.voices));
        voice.vibratoHz = rng.uniform(kVibratoHz[0], kVibratoHz[1]);
        voice.vibratoDepth = rng.uniform(kVibratoDepth[0], kVibratoDepth[1]);
        voice.vibratoPhase = rng.uniform(0, 2 * kPi);
        voice.burstHz = rng.uniform(kBurstHz[0], kBurstHz[1]);
        voice.burstPhase = rng.uniform(0, 2 * kPi);
        addVoice(out, r, voice, rng);
    }
    addBreath(out, r, rng);
    if (r.clapsPerS > 0.0)
        addClaps(out, r, rng);
    normalize(out, r.peak);
    fadeEdges(out, 0, int(kEndFadeMs * 1e-3 * r.sampleRate));
    return out;
}

} // namespace synth

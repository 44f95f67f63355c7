// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundrecipes.h"

#include "ambientsound.h"
#include "crowdsound.h"
#include "enginesound.h"
#include "impactsound.h"
#include "slidingsound.h"

namespace synth {

namespace {
constexpr int kRate22 = 22050, kRate44 = 44100, kRate48 = 48000;

// Vowels (formants in Hz, adult voice).
constexpr Vowel kEe {400, 2000, 2700}; // the "ye" of "yeah"
constexpr Vowel kAh {730, 1090, 2440};
constexpr Vowel kAe {690, 1600, 2500}; // the open "a" of a shout
constexpr Vowel kAw {570, 840, 2410};
constexpr Vowel kOh {450, 800, 2600};
constexpr Vowel kOo {310, 870, 2250};

ImpactRecipe impact(int rate, double durationS, double bodyHz, double bodyDecayMs, double noiseCutoffHz,
    double noiseDecayMs, double noiseLevel, double crunchLevel, unsigned seed)
{
    ImpactRecipe r;
    r.sampleRate = rate;
    r.durationS = durationS;
    r.bodyHz = bodyHz;
    r.bodyDecayMs = bodyDecayMs;
    r.noiseCutoffHz = noiseCutoffHz;
    r.noiseDecayMs = noiseDecayMs;
    r.noiseLevel = noiseLevel;
    r.crunchLevel = crunchLevel;
    r.seed = seed;
    return r;
}

std::vector<ImpactRecipe> groundHits()
{
    std::vector<ImpactRecipe> hits;
    // 1: heavy landing in dirt.
    hits.push_back(impact(kRate48, 0.8, 55, 140, 700, 70, 0.7, 0.25, 101));
    // 2: heavy landing with a suspension clunk.
    ImpactRecipe h = impact(kRate48, 0.8, 65, 110, 1100, 50, 0.6, 0.2, 102);
    h.metalHz = 420;
    h.metalLevel = 0.25;
    h.metalDecayMs = 120;
    hits.push_back(h);
    // 3: landing that bounces once.
    h = impact(kRate48, 0.9, 60, 100, 800, 55, 0.6, 0.2, 103);
    h.bounceDelayMs = 140;
    h.bounceLevel = 0.45;
    hits.push_back(h);
    // 4: soft thud.
    hits.push_back(impact(kRate22, 0.45, 75, 70, 600, 35, 0.5, 0.1, 104));
    // 5: light clank of the frame.
    h = impact(kRate22, 0.6, 90, 50, 1500, 25, 0.4, 0.15, 105);
    h.metalHz = 780;
    h.metalLevel = 0.6;
    h.metalDecayMs = 180;
    hits.push_back(h);
    // 6: double bounce.
    h = impact(kRate22, 0.7, 70, 80, 900, 40, 0.6, 0.2, 106);
    h.bounceDelayMs = 110;
    h.bounceLevel = 0.6;
    hits.push_back(h);
    // 7: crunch into gravel.
    hits.push_back(impact(kRate22, 0.6, 65, 80, 2000, 60, 0.8, 0.6, 107));
    // 8: heavy clank, the suspension bottoming out.
    h = impact(kRate22, 0.9, 50, 120, 1000, 50, 0.6, 0.2, 108);
    h.metalHz = 310;
    h.metalLevel = 0.5;
    h.metalDecayMs = 260;
    hits.push_back(h);
    // 9: dull thump.
    hits.push_back(impact(kRate22, 0.7, 48, 160, 400, 90, 0.5, 0.05, 109));
    // 10: landing with loose parts rattling.
    h = impact(kRate22, 0.8, 70, 80, 1200, 45, 0.5, 0.2, 110);
    h.metalHz = 620;
    h.metalLevel = 0.4;
    h.metalDecayMs = 120;
    h.rattles = 4;
    hits.push_back(h);
    return hits;
}

// A crowd cheering "yeah!": bright, rising, with applause.
CrowdRecipe cheer(int variant)
{
    CrowdRecipe r;
    r.durationS = 3.0 + 0.15 * variant;
    r.voices = 34 + 4 * variant;
    r.startVowel = kEe;
    r.endVowel = variant % 2 ? kAh : kAe;
    r.vowelGlideS = 0.35;
    r.pitchStart = 1.0;
    r.pitchEnd = 1.3 + 0.05 * variant;
    r.pitchGlideS = 0.6;
    r.spectralTilt = 0.9;
    r.onsetSpreadS = 0.15;
    r.attackS = 0.12;
    r.releaseS = 0.9;
    r.voiceLengthS = 2.2;
    r.breathLevel = 0.12;
    r.clapsPerS = 70 + 15 * variant;
    r.clapLevel = 0.9;
    r.liveliness = 0.5;
    r.peak = 0.7f;
    r.seed = 201 + variant;
    return r;
}

// A disappointed "aww": the pitch falls, the vowel darkens.
CrowdRecipe disappointment(int variant)
{
    CrowdRecipe r;
    r.durationS = 2.6 + 0.1 * variant;
    r.voices = 30 + 3 * variant;
    r.startVowel = kAh;
    r.endVowel = kAw;
    r.vowelGlideS = 0.6;
    r.pitchStart = 1.35 + 0.03 * variant;
    r.pitchEnd = 0.7;
    r.pitchGlideS = 1.4;
    r.spectralTilt = 1.5;
    r.onsetSpreadS = 0.12;
    r.attackS = 0.12;
    r.releaseS = 1.0;
    r.voiceLengthS = 2.1;
    r.breathLevel = 0.15;
    r.peak = 0.65f;
    r.seed = 301 + variant;
    return r;
}

// An amazed "ooh": a soft swell whose pitch rises.
CrowdRecipe awe(int variant)
{
    CrowdRecipe r;
    r.durationS = 2.8 + 0.1 * variant;
    r.voices = 28 + 3 * variant;
    r.startVowel = kOh;
    r.endVowel = kOo;
    r.vowelGlideS = 0.35;
    r.pitchStart = 0.85;
    r.pitchEnd = 1.25 + 0.04 * variant;
    r.pitchGlideS = 1.8;
    r.spectralTilt = 1.9;
    r.onsetSpreadS = 0.2;
    r.attackS = 0.5;
    r.releaseS = 0.9;
    r.voiceLengthS = 2.3;
    r.breathLevel = 0.1;
    r.peak = 0.6f;
    r.seed = 401 + variant;
    return r;
}

// Pack 1: wind over open farmland, birds in the hedges.
AmbientRecipe farm()
{
    AmbientRecipe r;
    r.loopS = 12.0;
    r.windLowHz = 150.0;
    r.windHighHz = 700.0;
    r.gustCycles = 3;
    r.gustDepth = 0.6;
    r.birdCalls = 7;
    r.birdLowHz = 2600.0;
    r.birdHighHz = 4200.0;
    r.birdLevel = 0.3;
    r.peak = 0.16f;
    r.seed = 501;
    return r;
}

// Pack 2: dry wind in a canyon, whistling in the rocks, with an echo.
AmbientRecipe canyon()
{
    AmbientRecipe r;
    r.loopS = 12.0;
    r.windLowHz = 250.0;
    r.windHighHz = 1600.0;
    r.gustCycles = 2;
    r.gustDepth = 0.75;
    r.whistleHz = 620.0;
    r.whistleQ = 14.0;
    r.whistleLevel = 3.0;
    r.echoS = 0.45;
    r.echoLevel = 0.35;
    r.peak = 0.12f;
    r.seed = 502;
    return r;
}

WaveLayout layout(int rate, const std::string &listTitle = std::string(), int fmtBytes = 16)
{
    WaveLayout l;
    l.sampleRate = rate;
    l.listTitle = listTitle;
    l.fmtChunkBytes = fmtBytes;
    return l;
}
} // namespace

std::vector<SoundFile> gameSounds()
{
    std::vector<SoundFile> files;
    files.push_back({"engine1.wav", layout(kRate22), [] { return makeEngine(EngineRecipe()); }});

    const std::vector<ImpactRecipe> hits = groundHits();
    for (size_t i = 0; i < hits.size(); ++i) {
        const ImpactRecipe r = hits[i];
        // One file keeps the 18-byte format chunk many editors write.
        files.push_back({"groundhit" + std::to_string(i + 1) + ".wav",
            layout(r.sampleRate, "", i == 1 ? 18 : 16), [r] { return makeImpact(r); }});
    }

    SlidingRecipe sliding;
    sliding.sampleRate = kRate44;
    files.push_back({"sliding.wav", layout(kRate44), [sliding] { return makeSliding(sliding); }});

    for (int v = 0; v < 4; ++v) {
        const std::string n = std::to_string(v + 1);
        // Three cheers and one groan carry a LIST chunk before the data.
        files.push_back({"crowdcheer" + n + ".wav", layout(kRate22, v < 3 ? "Crowd cheer " + n : ""),
            [v] { return makeCrowd(cheer(v)); }});
        files.push_back(
            {"crowddisappointment" + n + ".wav", layout(kRate22, v == 0 ? "Crowd disappointed" : ""),
                [v] { return makeCrowd(disappointment(v)); }});
        files.push_back({"crowdawe" + n + ".wav", layout(kRate22), [v] { return makeCrowd(awe(v)); }});
    }
    files.push_back({"ambient1.wav", layout(kRate22), [] { return makeAmbient(farm()); }});
    files.push_back({"ambient2.wav", layout(kRate22), [] { return makeAmbient(canyon()); }});
    return files;
}

} // namespace synth

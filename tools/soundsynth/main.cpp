// SPDX-License-Identifier: GPL-3.0-or-later
// Makes every wave file of the game from the recipes in soundrecipes.cpp.
// Usage: soundsynth <output folder> [name ...]
// Prints one line per file: rate, duration, RMS and peak (dBFS).

#include "soundrecipes.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {
double dbfs(double linear)
{
    return linear > 0.0 ? 20.0 * std::log10(linear) : -999.0;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder> [name ...]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    int failures = 0;
    for (const synth::SoundFile &sound : synth::gameSounds()) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i)
            wanted = wanted || sound.name == argv[i];
        if (!wanted)
            continue;
        const synth::Signal signal = sound.make();
        const std::vector<std::int16_t> pcm = synth::toPcm16(signal);
        double sum = 0.0;
        int peak = 0;
        for (std::int16_t s : pcm) {
            sum += double(s) * s;
            peak = std::max(peak, std::abs(int(s)));
        }
        const double rms = std::sqrt(sum / double(pcm.size())) / 32768.0;
        std::printf("%-26s %5d Hz %6.3f s  RMS %6.1f dBFS  peak %6.1f dBFS\n", sound.name.c_str(),
            sound.layout.sampleRate, double(pcm.size()) / sound.layout.sampleRate, dbfs(rms),
            dbfs(peak / 32768.0));
        if (!synth::writeWave(folder + "/" + sound.name, pcm, sound.layout))
            ++failures;
    }
    return failures ? 1 : 0;
}

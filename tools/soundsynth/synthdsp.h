// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SYNTHDSP_H
#define SYNTHDSP_H

// Small signal-processing kit of the sound synthesiser: a seeded random
// generator (every sound is reproducible from its recipe), biquad filters,
// and helpers on float signals in -1..1.

#include <cstdint>
#include <vector>

namespace synth {

constexpr double kPi = 3.14159265358979323846;

using Signal = std::vector<float>;

// xorshift64* generator: fast, seeded, identical on every machine.
class Rng
{
public:
    explicit Rng(std::uint64_t seed);
    double uniform(); // [0, 1)
    double uniform(double low, double high);
    double gauss(); // mean 0, deviation 1
    float noise() { return float(uniform(-1.0, 1.0)); }

private:
    std::uint64_t m_state;
};

// Direct-form biquad with the usual cookbook designs.
class Biquad
{
public:
    static Biquad lowPass(double rate, double cutoffHz, double q = 0.7071);
    static Biquad highPass(double rate, double cutoffHz, double q = 0.7071);
    // Band pass with 0 dB gain at the centre.
    static Biquad bandPass(double rate, double centreHz, double q);

    float process(float x);
    void reset() { m_x1 = m_x2 = m_y1 = m_y2 = 0.0; }

private:
    static Biquad fromCoefficients(double b0, double b1, double b2, double a0, double a1, double a2);

    double m_b0 = 1, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
    double m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

// Peak of |x|.
float peakOf(const Signal &signal);
// Subtracts the mean, so that the signal has no DC offset.
void removeDc(Signal &signal);
// Scales so that the peak is `peak` (no-op on silence).
void normalize(Signal &signal, float peak);
// Linear fade in/out over the given number of samples at either end.
void fadeEdges(Signal &signal, int fadeInSamples, int fadeOutSamples);
// A seamless loop of noise-like sound: the first `loop` frames of raw, with
// the overrun raw[loop, loop + fade) (which continues the loop's end)
// blended into the start with equal power.
Signal crossfadeLoop(const Signal &raw, int loop, int fade);
// Appends the first `frames` frames again, so that a player interpolating up
// to the last frame joins the loop without a step.
void appendLoopTail(Signal &loop, int frames);
// Converts to 16-bit with rounding and clipping.
std::vector<std::int16_t> toPcm16(const Signal &signal);

} // namespace synth

#endif

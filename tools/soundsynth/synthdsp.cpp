// SPDX-License-Identifier: GPL-3.0-or-later
#include "synthdsp.h"

#include <algorithm>
#include <cmath>

namespace synth {

Rng::Rng(std::uint64_t seed)
    : m_state(seed ? seed * 0x9E3779B97F4A7C15ull : 0x2545F4914F6CDD1Dull)
{ }

double Rng::uniform()
{
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    return double((m_state * 0x2545F4914F6CDD1Dull) >> 11) * (1.0 / 9007199254740992.0);
}

double Rng::uniform(double low, double high)
{
    return low + (high - low) * uniform();
}

double Rng::gauss()
{
    // Box-Muller; u1 kept away from 0.
    const double u1 = 1.0 - uniform();
    const double u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
}

namespace {
// Angular frequency terms shared by the cookbook designs.
struct Cookbook
{
    double alpha, cosW;
    Cookbook(double rate, double hz, double q)
    {
        const double w = 2.0 * kPi * hz / rate;
        alpha = std::sin(w) / (2.0 * q);
        cosW = std::cos(w);
    }
};
} // namespace

Biquad Biquad::fromCoefficients(double b0, double b1, double b2, double a0, double a1, double a2)
{
    Biquad f;
    f.m_b0 = b0 / a0;
    f.m_b1 = b1 / a0;
    f.m_b2 = b2 / a0;
    f.m_a1 = a1 / a0;
    f.m_a2 = a2 / a0;
    return f;
}

Biquad Biquad::lowPass(double rate, double cutoffHz, double q)
{
    const Cookbook c(rate, cutoffHz, q);
    return fromCoefficients((1.0 - c.cosW) / 2.0, 1.0 - c.cosW, (1.0 - c.cosW) / 2.0, 1.0 + c.alpha,
        -2.0 * c.cosW, 1.0 - c.alpha);
}

Biquad Biquad::highPass(double rate, double cutoffHz, double q)
{
    const Cookbook c(rate, cutoffHz, q);
    return fromCoefficients((1.0 + c.cosW) / 2.0, -(1.0 + c.cosW), (1.0 + c.cosW) / 2.0, 1.0 + c.alpha,
        -2.0 * c.cosW, 1.0 - c.alpha);
}

Biquad Biquad::bandPass(double rate, double centreHz, double q)
{
    const Cookbook c(rate, centreHz, q);
    return fromCoefficients(c.alpha, 0.0, -c.alpha, 1.0 + c.alpha, -2.0 * c.cosW, 1.0 - c.alpha);
}

float Biquad::process(float x)
{
    const double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
    m_x2 = m_x1;
    m_x1 = x;
    m_y2 = m_y1;
    m_y1 = y;
    return float(y);
}

float peakOf(const Signal &signal)
{
    float peak = 0.0f;
    for (float v : signal)
        peak = std::max(peak, std::fabs(v));
    return peak;
}

void removeDc(Signal &signal)
{
    if (signal.empty())
        return;
    double sum = 0.0;
    for (float v : signal)
        sum += v;
    const float mean = float(sum / double(signal.size()));
    for (float &v : signal)
        v -= mean;
}

Signal crossfadeLoop(const Signal &raw, int loop, int fade)
{
    Signal out(raw.begin(), raw.begin() + loop);
    for (int n = 0; n < fade; ++n) {
        const double x = (n + 0.5) / fade * kPi / 2;
        out[n] = float(raw[n] * std::sin(x) + raw[loop + n] * std::cos(x));
    }
    return out;
}

void appendLoopTail(Signal &loop, int frames)
{
    for (int i = 0; i < frames; ++i)
        loop.push_back(loop[i]);
}

void normalize(Signal &signal, float peak)
{
    const float current = peakOf(signal);
    if (current <= 0.0f)
        return;
    const float gain = peak / current;
    for (float &v : signal)
        v *= gain;
}

void fadeEdges(Signal &signal, int fadeInSamples, int fadeOutSamples)
{
    const int n = int(signal.size());
    for (int i = 0; i < fadeInSamples && i < n; ++i)
        signal[i] *= float(i) / float(fadeInSamples);
    for (int i = 0; i < fadeOutSamples && i < n; ++i)
        signal[n - 1 - i] *= float(i) / float(fadeOutSamples);
}

std::vector<std::int16_t> toPcm16(const Signal &signal)
{
    std::vector<std::int16_t> pcm(signal.size());
    for (size_t i = 0; i < signal.size(); ++i)
        pcm[i] = std::int16_t(std::clamp(std::lround(signal[i] * 32767.0f), -32768L, 32767L));
    return pcm;
}

} // namespace synth

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUDIOFIXEDPOINT_H
#define AUDIOFIXEDPOINT_H

#include <QtGlobal>
#include <cmath>

// Fixed-point conventions of the audio engine: volumes, speeds and read
// positions carry 12 fractional bits, so kFixedOne (4096) means 1.0.
namespace GE {

constexpr int kFixedShift = 12;
constexpr int kFixedOne = 1 << kFixedShift;
constexpr int kFixedFractionMask = kFixedOne - 1;

// The mixer's output: interleaved stereo, signed 16-bit, at this rate.
constexpr int kOutputSampleRate = 22050; // Hz
constexpr int kOutputChannels = 2;

// Largest gain a volume can ask for (16.0); keeps sample x gain within 32 bits.
constexpr float kMaxVolume = 16.0f;

// trunc(value x 4096) for a volume, limited to 0 .. kMaxVolume; NaN gives 0.
inline int volumeToFixed(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value > kMaxVolume)
        value = kMaxVolume;
    return static_cast<int>(value * kFixedOne);
}

// A sample value limited to the signed 16-bit range instead of wrapping.
inline qint16 saturate16(qint64 value)
{
    if (value > 32767)
        return 32767;
    if (value < -32768)
        return -32768;
    return static_cast<qint16>(value);
}

} // namespace GE

#endif

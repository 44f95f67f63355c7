// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WAVEWRITER_H
#define WAVEWRITER_H

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

// How a mono 16-bit PCM wave file is laid out.
struct WaveLayout
{
    int sampleRate = 22050;
    // 16 is the plain PCM format; 18 adds the (empty) extra-size field.
    int fmtChunkBytes = 16;
    // When not empty, a "LIST"/"INFO" chunk with this title (INAM) and the
    // software name (ISFT) goes between "fmt " and "data".
    std::string listTitle;
};

// Writes the file; false (with a message on stderr) when it cannot.
bool writeWave(const std::string &path, const std::vector<std::int16_t> &samples, const WaveLayout &layout);

} // namespace synth

#endif

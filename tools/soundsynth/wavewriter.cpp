// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavewriter.h"

#include <cstdio>

namespace synth {

namespace {
constexpr std::uint16_t kPcmFormat = 1;
constexpr std::uint16_t kMono = 1;
constexpr std::uint16_t kBits = 16;
constexpr char kSoftware[] = "Velocrag soundsynth";

void put32(std::string &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(char((v >> (8 * i)) & 0xff));
}

void put16(std::string &out, std::uint16_t v)
{
    out.push_back(char(v & 0xff));
    out.push_back(char(v >> 8));
}

// A RIFF sub-chunk; odd sizes get their pad byte.
void putChunk(std::string &out, const char *id, const std::string &body)
{
    out.append(id, 4);
    put32(out, std::uint32_t(body.size()));
    out += body;
    if (body.size() % 2)
        out.push_back('\0');
}

std::string infoString(const std::string &text)
{
    return text + '\0';
}
} // namespace

bool writeWave(const std::string &path, const std::vector<std::int16_t> &samples, const WaveLayout &layout)
{
    std::string fmt;
    put16(fmt, kPcmFormat);
    put16(fmt, kMono);
    put32(fmt, std::uint32_t(layout.sampleRate));
    put32(fmt, std::uint32_t(layout.sampleRate * kBits / 8));
    put16(fmt, kMono * kBits / 8);
    put16(fmt, kBits);
    if (layout.fmtChunkBytes >= 18)
        put16(fmt, 0);

    std::string body = "WAVE";
    putChunk(body, "fmt ", fmt);
    if (!layout.listTitle.empty()) {
        std::string info = "INFO";
        putChunk(info, "INAM", infoString(layout.listTitle));
        putChunk(info, "ISFT", infoString(kSoftware));
        putChunk(body, "LIST", info);
    }
    std::string data;
    for (std::int16_t s : samples)
        put16(data, std::uint16_t(s));
    putChunk(body, "data", data);

    std::string file = "RIFF";
    put32(file, std::uint32_t(body.size()));
    file += body;

    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        return false;
    }
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace synth

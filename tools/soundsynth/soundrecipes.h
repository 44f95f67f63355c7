// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SOUNDRECIPES_H
#define SOUNDRECIPES_H

#include "synthdsp.h"
#include "wavewriter.h"

#include <functional>
#include <string>
#include <vector>

namespace synth {

// One embedded sound: its file name, how it is written and how it is made.
struct SoundFile
{
    std::string name;
    WaveLayout layout;
    std::function<Signal()> make;
};

// Every sound of the game, with all the parameters that shape it.
std::vector<SoundFile> gameSounds();

} // namespace synth

#endif

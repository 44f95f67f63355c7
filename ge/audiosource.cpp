// SPDX-License-Identifier: GPL-3.0-or-later
#include "ge/audiosource.h"

namespace GE {

AudioSource::AudioSource(QObject *parent)
    : QObject(parent)
{ }

AudioSource::~AudioSource() = default;

bool AudioSource::mayBeDeleted()
{
    return false;
}

} // namespace GE

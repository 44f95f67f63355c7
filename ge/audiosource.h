// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUDIOSOURCE_H
#define AUDIOSOURCE_H

#include <QObject>

namespace GE {

// Anything that produces interleaved stereo signed 16-bit samples on demand.
// fillSamples() runs in the audio output thread, under the mixer's lock when
// the source is mixed.
class AudioSource : public QObject
{
    Q_OBJECT

public:
    explicit AudioSource(QObject *parent = nullptr);
    ~AudioSource() override;

    // True when the mixer may delete this source after a pull.
    virtual bool mayBeDeleted();
    // Writes up to sampleCount samples (an even number: left, right, ...)
    // into target and returns how many were written.
    virtual int fillSamples(qint16 *target, int sampleCount) = 0;
};

} // namespace GE

#endif

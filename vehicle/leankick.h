// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEANKICK_H
#define LEANKICK_H

#include <QtGlobal>
#include <optional>

// A rider's lean throws the frame the other way: the angular impulse of a
// change of lean angle (degrees) since the last step, for the bike to add
// to its frame.
class LeanKick
{
public:
    // The angular impulse (kg units^2 / s) for a lean from previousLean to
    // lean; none when the change is too small to kick. buttonsUsed: the lean
    // comes from the lean buttons, which give no extra base kick.
    static std::optional<qreal> impulse(qreal previousLean, qreal lean, bool buttonsUsed);
};

#endif

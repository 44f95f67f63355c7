// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BIKESTATE_H
#define BIKESTATE_H

#include <QString>
#include <QtGlobal>

class BikeItem;

// The bike's state after a step as one line of text, and its hash: what the
// ride tool's trace writes per step and what golden rides and replays
// compare. Values are written with 17 significant digits, so two states
// hash equal only when they are bit-identical.
class BikeState
{
public:
    // "step,x,y,angle,vx,vy,w,rear_w,front_w,throttle,tilt,active,ragdoll"
    static QString header();
    // The row for the bike after steps steps (no line end).
    static QString row(int steps, const BikeItem &bike);
    // The first 64 bits of the row's SHA-256, as golden rides record them
    // (16 hexadecimal digits).
    static quint64 hash(int steps, const BikeItem &bike);
    static quint64 hashOfRow(const QString &row);
    static QString hashText(quint64 hash);
};

#endif

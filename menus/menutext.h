// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MENUTEXT_H
#define MENUTEXT_H

#include "levels/levelstatus.h"

#include <QFont>
#include <QString>

// Text helpers shared by the menus and the start card.

// The menus' text face (the bundled Bitstream Vera Sans) at a pixel size.
QFont menuFont(int pixelSize, bool bold);

// Run times as the menus print them: "9.8 s" below a minute, "1:05.3" from
// a minute on (tenths, as the run clock counts). Zero or less reads "-":
// the results store 0 for "no time yet".
QString formatRunTime(double seconds);

// The medal names (empty for a status without a medal).
QString medalName(LevelStatus status);

#endif

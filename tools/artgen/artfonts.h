// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ARTFONTS_H
#define ARTFONTS_H

#include <QString>

// Registers the Bitstream Vera font files with the application so that SVG
// text ("Bitstream Vera Sans") and the generators use them and never a
// fallback font. Returns false with a message when a file is missing.
bool loadArtFonts(QString *error);

// Family name of the registered fonts.
QString artFontFamily();

#endif

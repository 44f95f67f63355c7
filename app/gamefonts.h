// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GAMEFONTS_H
#define GAMEFONTS_H

// Registers the Bitstream Vera fonts (regular, bold, italic) of the system's
// font package with the application. Missing font files are not an error:
// text then falls back to the default font.
void registerGameFonts();

#endif

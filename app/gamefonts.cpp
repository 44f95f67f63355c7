// SPDX-License-Identifier: GPL-3.0-or-later
#include "gamefonts.h"

#include <QFontDatabase>
#include <QString>

namespace {
// Where Debian's ttf-bitstream-vera package puts the files.
const char *const kFontDir = "/usr/share/fonts/truetype/ttf-bitstream-vera/";
} // namespace

void registerGameFonts()
{
    for (const char *file : {"Vera.ttf", "VeraBd.ttf", "VeraIt.ttf"})
        QFontDatabase::addApplicationFont(QLatin1String(kFontDir) + QLatin1String(file));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "artfonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace {
const char *const kFontDir = "/usr/share/fonts/truetype/ttf-bitstream-vera/";
QString g_family;
} // namespace

bool loadArtFonts(QString *error)
{
    for (const char *name : {"Vera.ttf", "VeraBd.ttf"}) {
        const QString path = QString(kFontDir) + name;
        const int id = QFontDatabase::addApplicationFont(path);
        if (id < 0) {
            *error = QString("cannot load font %1 (package ttf-bitstream-vera)").arg(path);
            return false;
        }
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty())
            g_family = families.first();
    }
    // SVG text names the family; make sure it resolves to these files and not
    // to a look-alike fallback.
    for (bool bold : {false, true}) {
        QFont font(g_family);
        font.setBold(bold);
        if (QFontInfo(font).family() != g_family) {
            *error
                = QString("font family %1 does not resolve (got %2)").arg(g_family, QFontInfo(font).family());
            return false;
        }
    }
    return true;
}

QString artFontFamily()
{
    return g_family;
}

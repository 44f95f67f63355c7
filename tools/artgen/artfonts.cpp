#include "artfonts.h"

#include <QFontDatabase>
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
    return true;
}

QString artFontFamily()
{
    return g_family;
}

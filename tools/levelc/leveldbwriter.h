#ifndef LEVELDBWRITER_H
#define LEVELDBWRITER_H

#include "levelsource.h"

#include <QString>

// Writes the level database: the tables level, grounditem, groundvertex,
// objecttype and physicsobject with the columns the game reads, plus the
// indexes its loading statements use. The file appears complete or not at
// all (written beside the target, then renamed over it).
class LevelDbWriter
{
public:
    // Returns false with a message in error when the file cannot be written.
    static bool write(const QString &path, const QVector<SourceObjectType> &types,
        const QVector<SourceLevel> &levels, QString *error);
};

#endif

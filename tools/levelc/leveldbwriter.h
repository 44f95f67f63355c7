// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELDBWRITER_H
#define LEVELDBWRITER_H

#include "levelsource.h"

#include <QString>

// Writes the level database: the tables level, grounditem, groundvertex,
// objecttype and physicsobject with the columns the game reads, plus the
// indexes its loading statements use. The display names ride along where a
// reader of the original layout does not look: level.name, a column of its
// own, and the table levelpack (number, name, picture, ground, surface,
// ambient). The file appears complete or not at all (written beside the
// target, then renamed over it).
class LevelDbWriter
{
public:
    // Returns false with a message in error when the file cannot be written.
    static bool write(const QString &path, const QVector<SourceObjectType> &types,
        const QVector<SourceLevel> &levels, const QVector<SourcePack> &packs, QString *error);
};

#endif

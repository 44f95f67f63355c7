// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELADMISSION_H
#define LEVELADMISSION_H

#include <QSet>

class QSqlDatabase;

// Decides once, when the level database is opened, which levels may be
// played. A level whose number the level grid cannot show, or whose start,
// finish or playing area lies outside the coordinate limits, is refused: it
// is not listed, not loaded, and no result is stored for it. Each refusal
// is logged with its reason.
class LevelAdmission
{
public:
    // Ids of the refused levels of db's "level" table.
    static QSet<int> refusedLevelIds(const QSqlDatabase &db);
    // Whether a level row's start, finish and playing-area values are usable.
    static bool positionsValid(
        double startX, double startY, double finishX, double finishY, double sceneMinY, double sceneMaxY);
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELBUILDER_H
#define LEVELBUILDER_H

#include <QSet>
#include <QSqlDatabase>

class Level;
class PackTable;
class ResultsStore;
class Physics;

// Fills a Level from its row of levels.db's "level" table (read by column
// name), the player's result in the attached results.db and the level's
// terrain and objects (PhysicsItemHelper), all through the connection it is
// given. The pack's ground texture and surface strip come from the pack
// table. Failures of the statements are fatal ("DB error").
class LevelBuilder
{
public:
    // refused: the level ids LevelAdmission refused when the file was opened.
    // results answers for the player's result while another program holds
    // a lock on results.db.
    LevelBuilder(const QSqlDatabase &db, const QSet<int> &refused, const ResultsStore *results = nullptr);

    // Fills level (new and empty) with the level pack/number names, the one
    // with the highest id among several; its items go into physics and, as
    // the level adds them, its scene. False, with a log line and level left
    // empty, when there is no such level, it was refused, or its positions
    // are unusable.
    bool build(
        Level *level, Physics *physics, int levelPackNumber, int levelNumber, const PackTable &packs) const;

private:
    QSqlDatabase m_db;
    QSet<int> m_refused;
    const ResultsStore *m_results = nullptr;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PHYSICSITEMHELPER_H
#define PHYSICSITEMHELPER_H

#include <QString>
#include <QVector>

class Physics;
class PhysicsItem;
class QSqlDatabase;

// Builds the items of one level from the level database db: its terrain pieces
// first, then its placed objects, each after its object type. Rows whose
// values the physics world cannot take (non-finite or out-of-range numbers,
// sizes or masses that are not positive, negative friction or bounciness)
// are skipped with a log line. Database failures are fatal ("DB error").
class PhysicsItemHelper
{
public:
    // The caller takes ownership of the returned items.
    static QVector<PhysicsItem *> loadPhysicsItems(
        const QSqlDatabase &db, Physics *physics, int levelId, const QString &groundTexture);
};

#endif

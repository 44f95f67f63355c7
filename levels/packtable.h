// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PACKTABLE_H
#define PACKTABLE_H

#include <QSqlDatabase>
#include <QString>

// The level packs as levels.db describes them in its table "levelpack"
// (number, name, picture, ground, surface, ambient; compiled from
// levels/sources/packs.json). Every lookup reads the file. A file written
// before a column was kept, or without a row for the pack, gives the values
// packs 1 and 2 always had (and no name); a NULL in a pack's row means the
// pack has none.
class PackTable
{
public:
    explicit PackTable(const QSqlDatabase &db);

    // The number of packs (numbered from 1).
    int count() const;
    // The name the menus show; empty when unknown.
    QString name(int pack) const;
    // Resource path of the background picture behind the pack's levels;
    // empty when the pack has none.
    QString picture(int pack) const;
    // The picture the pack's levels are shown on: the pack's own, or the
    // first pack's for a pack without one.
    QString background(int pack) const;
    // Resource paths of the terrain's fill texture and of the strip laid
    // along its top edges; empty: a plain colour, no strip.
    QString ground(int pack) const;
    QString surface(int pack) const;
    // Name of the pack's ambient sound loop; empty when it has none.
    QString ambient(int pack) const;

private:
    QString column(int pack, const QString &name) const;

    QSqlDatabase m_db;
};

#endif

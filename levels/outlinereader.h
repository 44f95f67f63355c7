// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OUTLINEREADER_H
#define OUTLINEREADER_H

#include <QHash>
#include <QPointF>
#include <QSqlQuery>
#include <QString>
#include <QVector>

class GroundItem;
class Physics;

// Reads outlines from the tables grounditem and groundvertex of the level
// database (the connection it is given) with statements prepared once, and
// keeps each outline it has read: the placed objects of one type share
// their type's outline, which is then read once per reader, not once per
// object. Lives for one level load; a reader never sees the database change.
class OutlineReader
{
public:
    explicit OutlineReader(const QSqlDatabase &db);

    // Ground item groundItemId with its vertices, completed. Vertices with a
    // non-finite or out-of-range point are skipped with a log line (each
    // time the outline is built); a start point of that kind yields null
    // (the caller skips the item). A missing row is fatal.
    GroundItem *build(
        int groundItemId, Physics *physics, const QString &texturePath, const QString &pixmapPath);
    // The ground item of an object type's outline (its first one), or -1
    // when the type has none.
    int typeOutlineId(int typeId);

private:
    struct Outline
    {
        QPointF start;
        bool startValid = false;
        QVector<QPointF> points;
        // Ids of the vertices left out, for the log.
        QVector<int> skippedVertexIds;
    };
    const Outline &outline(int groundItemId);

    QSqlQuery m_itemQuery;
    QSqlQuery m_vertexQuery;
    QSqlQuery m_typeQuery;
    QHash<int, Outline> m_outlines;
    QHash<int, int> m_typeOutlineIds;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "outlinereader.h"

#include "base/fatalerror.h"
#include "dbfailure.h"
#include "grounditem.h"
#include "levellimits.h"

#include <QDebug>
#include <QSqlError>

OutlineReader::OutlineReader(const QSqlDatabase &db)
    : m_itemQuery(db)
    , m_vertexQuery(db)
    , m_typeQuery(db)
{
    // Rows are read once, in order: no cache of them is needed.
    m_itemQuery.setForwardOnly(true);
    m_vertexQuery.setForwardOnly(true);
    m_typeQuery.setForwardOnly(true);
    if (!m_itemQuery.prepare(QStringLiteral("SELECT id, startx, starty FROM grounditem WHERE id = ?")))
        dbFailure("Error preparing grounditem query:", m_itemQuery);
    if (!m_vertexQuery.prepare(
            QStringLiteral("SELECT id, endx, endy FROM groundvertex WHERE grounditem_id = ? ORDER BY "
                           "vertexnumber ASC")))
        dbFailure("Error preparing groundvertex query:", m_vertexQuery);
    if (!m_typeQuery.prepare(QStringLiteral("SELECT id FROM grounditem WHERE objecttype_id = ?")))
        dbFailure("Error preparing generic item query:", m_typeQuery);
}

int OutlineReader::typeOutlineId(int typeId)
{
    const auto known = m_typeOutlineIds.constFind(typeId);
    if (known != m_typeOutlineIds.constEnd())
        return known.value();
    m_typeQuery.bindValue(0, typeId);
    if (!m_typeQuery.exec())
        dbFailure("Error selecting groundItem for static physics item:", m_typeQuery);
    const int id = m_typeQuery.next() ? m_typeQuery.value(0).toInt() : -1;
    m_typeQuery.finish();
    m_typeOutlineIds.insert(typeId, id);
    return id;
}

const OutlineReader::Outline &OutlineReader::outline(int groundItemId)
{
    const auto known = m_outlines.constFind(groundItemId);
    if (known != m_outlines.constEnd())
        return known.value();

    Outline outline;
    m_itemQuery.bindValue(0, groundItemId);
    if (!m_itemQuery.exec())
        dbFailure("Error loading groundItem item:", m_itemQuery);
    if (!m_itemQuery.next()) {
        qDebug() << "Error loading groundItem item with id" << groundItemId;
        fatalError(QStringLiteral("DB error"));
    }
    outline.start = QPointF(m_itemQuery.value(1).toDouble(), m_itemQuery.value(2).toDouble());
    m_itemQuery.finish();
    outline.startValid
        = LevelLimits::validCoordinate(outline.start.x()) && LevelLimits::validCoordinate(outline.start.y());
    if (outline.startValid) {
        m_vertexQuery.bindValue(0, groundItemId);
        if (!m_vertexQuery.exec())
            dbFailure("Error selecting vertexes for groundItem:", m_vertexQuery);
        while (m_vertexQuery.next()) {
            const double x = m_vertexQuery.value(1).toDouble();
            const double y = m_vertexQuery.value(2).toDouble();
            if (!LevelLimits::validCoordinate(x) || !LevelLimits::validCoordinate(y))
                outline.skippedVertexIds.append(m_vertexQuery.value(0).toInt());
            else
                outline.points.append(QPointF(x, y));
        }
        m_vertexQuery.finish();
    }
    return m_outlines.insert(groundItemId, outline).value();
}

GroundItem *OutlineReader::build(
    int groundItemId, Physics *physics, const QString &texturePath, const QString &pixmapPath)
{
    const Outline &o = outline(groundItemId);
    if (!o.startValid) {
        qDebug() << "GroundItem::loadGroundItem - skipping ground item" << groundItemId
                 << "with an invalid start point";
        return nullptr;
    }
    auto *item = new GroundItem(physics, o.start.x(), o.start.y(), 0.0, texturePath, pixmapPath);
    for (const int vertexId : o.skippedVertexIds)
        qDebug() << "GroundItem::loadGroundItem - skipping invalid vertex" << vertexId << "of ground item"
                 << groundItemId;
    for (const QPointF &p : o.points)
        item->addPoint(p, true);
    item->completeOutline();
    return item;
}

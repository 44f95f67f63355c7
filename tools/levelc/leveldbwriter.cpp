// SPDX-License-Identifier: GPL-3.0-or-later
#include "leveldbwriter.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {
const QStringList kSchema = {
    "CREATE TABLE level (id INTEGER PRIMARY KEY, levelpack_number INTEGER, level_number INTEGER, "
    "bike_number INTEGER, bike_startx REAL, bike_starty REAL, goldtime REAL, silvertime REAL, bronzetime "
    "REAL, "
    "background_number INTEGER, finishline_x REAL, finishline_y REAL, scene_min_y REAL, scene_max_y REAL, "
    "name TEXT)",
    "CREATE TABLE levelpack (number INTEGER PRIMARY KEY, name TEXT, picture TEXT, ground TEXT, surface TEXT, "
    "ambient TEXT)",
    "CREATE TABLE grounditem (id      INTEGER PRIMARY KEY, level_id INTEGER, objecttype_id INTEGER, startx   "
    "REAL, starty   REAL)",
    "CREATE TABLE groundvertex (id           INTEGER PRIMARY KEY, grounditem_id INTEGER, vertexnumber  "
    "INTEGER, "
    "type          INTEGER, endx          REAL, endy          REAL)",
    "CREATE TABLE objecttype (id INTEGER PRIMARY KEY, physics_height REAL, physics_width REAL, physics_mass "
    "REAL, "
    "physics_bounciness REAL, physics_friction REAL, pixmapfile TEXT, physicsitem_type TEXT)",
    "CREATE TABLE physicsobject (id INTEGER PRIMARY KEY, level_id INTEGER, objecttype_id INTEGER, x REAL, y "
    "REAL, "
    "angle REAL)",
    "CREATE INDEX level_pack_number ON level (levelpack_number, level_number)",
    "CREATE INDEX grounditem_level ON grounditem (level_id)",
    "CREATE INDEX grounditem_objecttype ON grounditem (objecttype_id)",
    "CREATE INDEX groundvertex_item ON groundvertex (grounditem_id, vertexnumber)",
    "CREATE INDEX physicsobject_level ON physicsobject (level_id)",
};
const char *const kConnection = "levelc";

// Writes everything in one transaction; the first failure stops it with the
// database's message in m_error.
class Writer
{
public:
    explicit Writer(QSqlDatabase db)
        : m_db(db)
        , m_item(db)
        , m_vertex(db)
        , m_type(db)
        , m_level(db)
        , m_object(db)
        , m_pack(db)
    { }

    bool write(const QVector<SourceObjectType> &types, const QVector<SourceLevel> &levels,
        const QVector<SourcePack> &packs)
    {
        QSqlQuery schema(m_db);
        for (const QString &statement : kSchema) {
            if (!schema.exec(statement))
                return fail(schema);
        }
        if (!m_db.transaction() || !prepare())
            return fail(m_db.lastError().text());
        for (const SourceObjectType &t : types) {
            if (!insert(m_type,
                    {t.id, t.height, t.width, t.mass, t.bounciness, t.friction, t.pixmapFile, t.kind}))
                return false;
            if (t.hasOutline && !outline(t.outline, QVariant(), t.id))
                return false;
        }
        for (const SourceLevel &l : levels) {
            if (!insert(m_level,
                    {l.id, l.pack, l.number, l.bikeNumber, l.bikeStart.x(), l.bikeStart.y(), l.goldTime,
                        l.silverTime, l.bronzeTime, l.backgroundNumber, l.finishLine.x(), l.finishLine.y(),
                        l.sceneMinY, l.sceneMaxY, l.name}))
                return false;
            for (const SourceOutline &piece : l.terrain) {
                if (!outline(piece, l.id, QVariant()))
                    return false;
            }
            for (const SourceObject &o : l.objects) {
                if (!insert(m_object, {++m_objectId, l.id, o.typeId, o.x, o.y, o.angle}))
                    return false;
            }
        }
        for (const SourcePack &p : packs) {
            if (!insert(m_pack,
                    {p.number, p.name, orNull(p.picture), orNull(p.ground), orNull(p.surface),
                        orNull(p.ambient)}))
                return false;
        }
        return m_db.commit() || fail(m_db.lastError().text());
    }

    QString error() const { return m_error; }

private:
    bool prepare()
    {
        return m_item.prepare("INSERT INTO grounditem (id, level_id, objecttype_id, startx, starty) "
                              "VALUES (?, ?, ?, ?, ?)")
            && m_vertex.prepare(
                "INSERT INTO groundvertex (id, grounditem_id, vertexnumber, type, endx, endy) "
                "VALUES (?, ?, ?, ?, ?, ?)")
            && m_type.prepare(
                "INSERT INTO objecttype (id, physics_height, physics_width, physics_mass, "
                "physics_bounciness, physics_friction, pixmapfile, physicsitem_type) VALUES (?, ?, "
                "?, ?, ?, ?, ?, ?)")
            && m_level.prepare(
                "INSERT INTO level (id, levelpack_number, level_number, bike_number, "
                "bike_startx, bike_starty, goldtime, silvertime, bronzetime, background_number, "
                "finishline_x, finishline_y, scene_min_y, scene_max_y, name) VALUES (?, ?, ?, ?, ?, "
                "?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
            && m_pack.prepare("INSERT INTO levelpack (number, name, picture, ground, surface, ambient) "
                              "VALUES (?, ?, ?, ?, ?, ?)")
            && m_object.prepare("INSERT INTO physicsobject (id, level_id, objecttype_id, x, y, angle) VALUES "
                                "(?, ?, ?, ?, ?, ?)");
    }

    // A value not given is stored as NULL.
    static QVariant orNull(const QString &text)
    {
        return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
    }

    // Runs a prepared insert with the given values, in order.
    bool insert(QSqlQuery &q, const QVariantList &values)
    {
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values[i]);
        return q.exec() || fail(q);
    }

    // Terrain carries its level id and no type; an outline the reverse, so
    // that it is never loaded as terrain.
    bool outline(const SourceOutline &o, const QVariant &levelId, const QVariant &typeId)
    {
        const int itemId = ++m_itemId;
        if (!insert(m_item, {itemId, levelId, typeId, o.start.x(), o.start.y()}))
            return false;
        for (int i = 0; i < o.vertices.size(); ++i) {
            const SourceVertex &v = o.vertices[i];
            if (!insert(m_vertex, {++m_vertexId, itemId, i + 1, v.type, v.point.x(), v.point.y()}))
                return false;
        }
        return true;
    }

    bool fail(const QSqlQuery &q) { return fail(q.lastError().text()); }
    bool fail(const QString &message)
    {
        m_error = message;
        return false;
    }

    QSqlDatabase m_db;
    QSqlQuery m_item, m_vertex, m_type, m_level, m_object, m_pack;
    int m_itemId = 0;
    int m_vertexId = 0;
    int m_objectId = 0;
    QString m_error;
};
} // namespace

bool LevelDbWriter::write(const QString &path, const QVector<SourceObjectType> &types,
    const QVector<SourceLevel> &levels, const QVector<SourcePack> &packs, QString *error)
{
    const QString temporary = path + QStringLiteral(".tmp");
    QFile::remove(temporary);
    bool ok = false;
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QString::fromLatin1(kConnection));
        db.setDatabaseName(temporary);
        if (!db.open())
            *error = db.lastError().text();
        else {
            Writer writer(db);
            ok = writer.write(types, levels, packs);
            if (!ok)
                *error = writer.error();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    if (ok) {
        QFile::remove(path);
        ok = QFile::rename(temporary, path);
        if (!ok)
            *error = QStringLiteral("cannot rename %1 to %2").arg(temporary, path);
    }
    if (!ok)
        QFile::remove(temporary);
    return ok;
}

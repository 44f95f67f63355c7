// SPDX-License-Identifier: GPL-3.0-or-later
#include "sourcereader.h"

#include "levels/levellimits.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {
const QStringList kKinds = {"Ball", "Box", "Generic_Static", "Generic_Static_Foreground"};
const QString kImagePrefix = QStringLiteral(":/images/");
// Levels of pack -1 are retired; real packs are numbered from 1.
constexpr int kRetiredPack = -1;
constexpr int kMaxPack = 999;
// Default level id: pack x kPackIdStride + number, so that ids (which the
// player's results refer to) stay the same when levels are added.
constexpr int kPackIdStride = 1000;
// Where the pictures a pack names live.
const char *const kPictureResources = ":/images/";

// A number as written, without rounding (100000.5 stays 100000.5).
QString shown(double d)
{
    return QString::number(d, 'g', QLocale::FloatingPointShortest);
}

QString quoted(const QString &s)
{
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// Line and column (from 1) of a byte offset into the raw text.
QString position(const QByteArray &raw, int offset)
{
    const QByteArray before = raw.left(offset);
    const int line = before.count('\n') + 1;
    const int column = offset - (before.lastIndexOf('\n') + 1) + 1;
    return QStringLiteral("%1:%2").arg(line).arg(column);
}
} // namespace

void SourceReader::reject(const QString &field, const QString &problem) const
{
    QString line = m_context.file;
    if (!m_context.subject.isEmpty())
        line += QStringLiteral(": ") + m_context.subject;
    if (!field.isEmpty())
        line += QStringLiteral(": field ") + field;
    line += QStringLiteral(": ") + problem;
    std::fprintf(stderr, "levelc: %s\n", qPrintable(line));
    std::exit(EXIT_FAILURE);
}

// A JSON syntax error (NaN and infinite numbers are syntax errors in JSON)
// is reported with the level and the key in front of it, found in the raw
// text, since there is no document to read them from.
QJsonObject SourceReader::readDocument(const QString &file)
{
    m_context = Context {file, QString()};
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        reject(QString(), QStringLiteral("cannot read the file: ") + f.errorString());
    const QByteArray raw = f.readAll();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(raw, &error);
    if (error.error != QJsonParseError::NoError) {
        const QString before = QString::fromUtf8(raw.left(error.offset));
        const auto pack = QRegularExpression(QStringLiteral("\"pack\"\\s*:\\s*(-?\\d+)")).match(raw);
        const auto number = QRegularExpression(QStringLiteral("\"number\"\\s*:\\s*(\\d+)")).match(raw);
        if (pack.hasMatch() && number.hasMatch())
            m_context.subject = QStringLiteral("level %1/%2").arg(pack.captured(1), number.captured(1));
        QString key;
        auto keys = QRegularExpression(QStringLiteral("\"(\\w+)\"\\s*:")).globalMatch(before);
        while (keys.hasNext())
            key = keys.next().captured(1);
        QString problem
            = QStringLiteral("JSON error at %1: %2").arg(position(raw, error.offset), error.errorString());
        if (error.error == QJsonParseError::IllegalNumber)
            problem += QStringLiteral(" (NaN and infinite values are not allowed)");
        reject(key.isEmpty() ? QString() : quoted(key), problem);
    }
    if (!doc.isObject())
        reject(QString(), QStringLiteral("the file must hold one JSON object"));
    return doc.object();
}

void SourceReader::checkKeys(const QJsonObject &o, const QString &path, const QStringList &allowed) const
{
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (!allowed.contains(it.key()))
            reject(path + it.key(),
                QStringLiteral("unknown field (expected one of: %1)").arg(allowed.join(", ")));
    }
}

QJsonValue SourceReader::require(const QJsonObject &o, const QString &key, const QString &path) const
{
    if (!o.contains(key))
        reject(path + key, QStringLiteral("missing"));
    return o.value(key);
}

double SourceReader::number(const QJsonValue &v, const QString &field) const
{
    if (!v.isDouble())
        reject(field, QStringLiteral("must be a number"));
    const double d = v.toDouble();
    if (!std::isfinite(d))
        reject(field, QStringLiteral("must be finite"));
    return d;
}

int SourceReader::wholeNumber(const QJsonValue &v, const QString &field) const
{
    const double d = number(v, field);
    if (d != std::floor(d) || std::fabs(d) > 1e9)
        reject(field, QStringLiteral("must be a whole number"));
    return int(d);
}

QString SourceReader::text(const QJsonValue &v, const QString &field) const
{
    if (!v.isString())
        reject(field, QStringLiteral("must be a string"));
    return v.toString();
}

double SourceReader::coordinate(const QJsonValue &v, const QString &field) const
{
    const double d = number(v, field);
    if (!LevelLimits::validCoordinate(d))
        reject(field, QStringLiteral("%1 is outside -%2..%2").arg(shown(d)).arg(LevelLimits::maxCoordinate));
    return d;
}

QPointF SourceReader::point(const QJsonValue &v, const QString &field) const
{
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 2)
        reject(field, QStringLiteral("must be a point [x, y]"));
    return QPointF(coordinate(a[0], field + "[0]"), coordinate(a[1], field + "[1]"));
}

SourceVertex SourceReader::vertex(const QJsonValue &v, const QString &field) const
{
    const QJsonArray a = v.toArray();
    if (!v.isArray() || (a.size() != 2 && a.size() != 3))
        reject(field, QStringLiteral("must be a vertex [x, y] or [x, y, type]"));
    SourceVertex vertex;
    vertex.point = QPointF(coordinate(a[0], field + "[0]"), coordinate(a[1], field + "[1]"));
    if (a.size() == 3) {
        vertex.type = wholeNumber(a[2], field + "[2]");
        if (vertex.type < 0)
            reject(field + "[2]", QStringLiteral("a vertex type is 0 or more"));
    }
    return vertex;
}

SourceOutline SourceReader::outline(const QJsonValue &v, const QString &field) const
{
    if (!v.isObject())
        reject(field, QStringLiteral("must be an object with \"start\" and \"vertices\""));
    const QJsonObject o = v.toObject();
    const QString path = field + QLatin1Char('.');
    checkKeys(o, path, {"start", "vertices"});
    SourceOutline result;
    result.start = point(require(o, "start", path), path + "start");
    const QJsonValue vertices = require(o, "vertices", path);
    if (!vertices.isArray())
        reject(path + "vertices", QStringLiteral("must be a list of vertices"));
    const QJsonArray a = vertices.toArray();
    if (a.size() < 2)
        reject(path + "vertices",
            QStringLiteral("has %1 vertices; an outline needs at least two").arg(a.size()));
    for (int i = 0; i < a.size(); ++i)
        result.vertices.append(vertex(a[i], path + QStringLiteral("vertices[%1]").arg(i)));
    return result;
}

SourceObjectType SourceReader::objectType(const QJsonValue &v, const QString &field) const
{
    if (!v.isObject())
        reject(field, QStringLiteral("must be an object"));
    const QJsonObject o = v.toObject();
    const QString path = field + QLatin1Char('.');
    checkKeys(o, path,
        {"name", "id", "kind", "width", "height", "mass", "bounciness", "friction", "picture", "outline"});
    SourceObjectType t;
    t.name = text(require(o, "name", path), path + "name");
    if (!QRegularExpression(QStringLiteral("^[A-Za-z0-9_-]+$")).match(t.name).hasMatch())
        reject(path + "name", QStringLiteral("use letters, digits, '_' and '-' only"));
    const QString subjectPath = QStringLiteral("objecttypes[\"%1\"].").arg(t.name);
    t.id = wholeNumber(require(o, "id", path), subjectPath + "id");
    if (t.id < 1)
        reject(subjectPath + "id", QStringLiteral("must be 1 or more"));
    t.kind = text(require(o, "kind", path), subjectPath + "kind");
    if (!kKinds.contains(t.kind))
        reject(subjectPath + "kind",
            QStringLiteral("unknown kind %1 (one of %2; case matters)")
                .arg(quoted(t.kind), kKinds.join(", ")));
    const bool dynamic = t.kind == "Ball" || t.kind == "Box";
    if (o.contains("picture")) {
        const QString picture = text(o.value("picture"), subjectPath + "picture");
        if (!QRegularExpression(QStringLiteral("^[A-Za-z0-9_.-]+\\.(png|jpg)$")).match(picture).hasMatch())
            reject(subjectPath + "picture", QStringLiteral("must be a picture file name such as crate1.png"));
        t.pixmapFile = kImagePrefix + picture;
    }
    if (dynamic) {
        const QString sizeRange = QStringLiteral("must be %1..%2")
                                      .arg(LevelLimits::minObjectSize)
                                      .arg(LevelLimits::maxObjectSize);
        t.width = number(require(o, "width", path), subjectPath + "width");
        if (!LevelLimits::validSize(t.width))
            reject(subjectPath + "width", sizeRange);
        t.height = t.kind == "Ball" && !o.contains("height")
            ? t.width
            : number(require(o, "height", path), subjectPath + "height");
        if (!LevelLimits::validSize(t.height))
            reject(subjectPath + "height", sizeRange);
        t.mass = number(require(o, "mass", path), subjectPath + "mass");
        if (!LevelLimits::validMass(t.mass))
            reject(subjectPath + "mass",
                QStringLiteral("is %1; a %2 needs a mass of %3..%4")
                    .arg(shown(t.mass))
                    .arg(t.kind)
                    .arg(LevelLimits::minMass)
                    .arg(LevelLimits::maxMass));
        t.bounciness = number(require(o, "bounciness", path), subjectPath + "bounciness");
        t.friction = number(require(o, "friction", path), subjectPath + "friction");
        if (!LevelLimits::validBounciness(t.bounciness))
            reject(
                subjectPath + "bounciness", QStringLiteral("must be 0..%1").arg(LevelLimits::maxBounciness));
        if (!LevelLimits::validFriction(t.friction))
            reject(subjectPath + "friction", QStringLiteral("must be 0..%1").arg(LevelLimits::maxFriction));
        if (o.contains("outline"))
            reject(subjectPath + "outline", QStringLiteral("only static kinds have an outline"));
    } else {
        for (const char *key : {"width", "height", "mass", "bounciness", "friction"}) {
            if (o.contains(key))
                reject(subjectPath + key, QStringLiteral("has no effect on a static object; leave it out"));
        }
        if (o.contains("outline")) {
            t.hasOutline = true;
            t.outline = outline(o.value("outline"), subjectPath + "outline");
        }
    }
    return t;
}

QVector<SourceObjectType> SourceReader::readObjectTypes(const QString &file)
{
    const QJsonObject root = readDocument(file);
    checkKeys(root, QString(), {"objecttypes"});
    const QJsonValue list = require(root, "objecttypes", QString());
    if (!list.isArray())
        reject("objecttypes", QStringLiteral("must be a list of object types"));
    QVector<SourceObjectType> types;
    QSet<int> ids;
    const QJsonArray a = list.toArray();
    for (int i = 0; i < a.size(); ++i) {
        SourceObjectType t = objectType(a[i], QStringLiteral("objecttypes[%1]").arg(i));
        const QString field = QStringLiteral("objecttypes[\"%1\"]").arg(t.name);
        if (m_typeIds.contains(t.name))
            reject(field + ".name", QStringLiteral("object type %1 is defined twice").arg(quoted(t.name)));
        if (ids.contains(t.id))
            reject(field + ".id", QStringLiteral("id %1 is used by another object type").arg(t.id));
        ids.insert(t.id);
        m_typeIds.insert(t.name, t.id);
        types.append(t);
    }
    return types;
}

QVector<SourcePack> SourceReader::readPacks(const QString &file)
{
    const QJsonObject root = readDocument(file);
    checkKeys(root, QString(), {"packs"});
    const QJsonValue list = require(root, "packs", QString());
    if (!list.isArray())
        reject("packs", QStringLiteral("must be a list of packs"));
    QVector<SourcePack> packs;
    QSet<int> numbers;
    const QJsonArray a = list.toArray();
    for (int i = 0; i < a.size(); ++i) {
        const QString path = QStringLiteral("packs[%1].").arg(i);
        if (!a[i].isObject())
            reject(path.chopped(1), QStringLiteral("must be an object with number and name"));
        const QJsonObject o = a[i].toObject();
        checkKeys(o, path, {"number", "name", "picture", "ground", "surface", "ambient"});
        SourcePack pack;
        pack.number = wholeNumber(require(o, "number", path), path + "number");
        pack.name = text(require(o, "name", path), path + "name").trimmed();
        if (pack.number < 1 || pack.number > kMaxPack)
            reject(path + "number", QStringLiteral("must be 1..%1").arg(kMaxPack));
        if (pack.name.isEmpty())
            reject(path + "name", QStringLiteral("a pack needs a name"));
        for (const auto &[key, value] : {std::pair {"picture", &pack.picture},
                 std::pair {"ground", &pack.ground}, std::pair {"surface", &pack.surface}}) {
            if (!o.contains(QLatin1String(key)))
                continue;
            *value = text(o.value(QLatin1String(key)), path + key);
            if (!value->startsWith(QLatin1String(kPictureResources)))
                reject(path + key,
                    QStringLiteral("must be a picture resource path (%1...)").arg(kPictureResources));
        }
        if (o.contains(QLatin1String("ambient")))
            pack.ambient = text(o.value(QLatin1String("ambient")), path + "ambient");
        if (numbers.contains(pack.number))
            reject(path + "number", QStringLiteral("pack %1 is named twice").arg(pack.number));
        numbers.insert(pack.number);
        packs.append(pack);
    }
    return packs;
}

void SourceReader::readTimes(const QJsonObject &o, SourceLevel &level) const
{
    const QJsonValue v = require(o, "times", QString());
    if (!v.isObject())
        reject("times", QStringLiteral("must be an object with gold, silver and bronze"));
    const QJsonObject times = v.toObject();
    checkKeys(times, "times.", {"gold", "silver", "bronze"});
    level.goldTime = number(require(times, "gold", "times."), "times.gold");
    level.silverTime = number(require(times, "silver", "times."), "times.silver");
    level.bronzeTime = number(require(times, "bronze", "times."), "times.bronze");
    if (!(level.goldTime > 0))
        reject("times.gold", QStringLiteral("must be above 0 seconds"));
    if (level.silverTime < level.goldTime)
        reject("times.silver",
            QStringLiteral("%1 s is faster than gold (%2 s); times must be gold <= silver <= bronze")
                .arg(level.silverTime)
                .arg(level.goldTime));
    if (level.bronzeTime < level.silverTime)
        reject("times.bronze",
            QStringLiteral("%1 s is faster than silver (%2 s); times must be gold <= silver <= bronze")
                .arg(level.bronzeTime)
                .arg(level.silverTime));
}

void SourceReader::readScene(const QJsonObject &o, SourceLevel &level) const
{
    const QJsonValue v = require(o, "scene", QString());
    if (!v.isObject())
        reject("scene", QStringLiteral("must be an object with minY and maxY"));
    const QJsonObject scene = v.toObject();
    checkKeys(scene, "scene.", {"minY", "maxY"});
    level.sceneMinY = coordinate(require(scene, "minY", "scene."), "scene.minY");
    level.sceneMaxY = coordinate(require(scene, "maxY", "scene."), "scene.maxY");
    if (!(level.sceneMinY < level.sceneMaxY))
        reject("scene.maxY", QStringLiteral("must be below minY's value (y grows downwards): maxY > minY"));
}

SourceLevel SourceReader::readLevel(const QString &file)
{
    const QJsonObject o = readDocument(file);
    SourceLevel level;
    level.file = file;
    level.pack = wholeNumber(require(o, "pack", QString()), "pack");
    level.number = wholeNumber(require(o, "number", QString()), "number");
    m_context.subject = QStringLiteral("level %1/%2").arg(level.pack).arg(level.number);
    level.name = text(require(o, "name", QString()), "name").trimmed();
    m_context.subject += QLatin1Char(' ') + quoted(level.name);
    if (level.name.isEmpty())
        reject("name", QStringLiteral("a level needs a short name"));
    checkKeys(o, QString(),
        {"name", "id", "pack", "number", "bikeNumber", "backgroundNumber", "bikeStart", "finishLine", "times",
            "scene", "terrain", "objects"});
    if (level.pack != kRetiredPack && (level.pack < 1 || level.pack > kMaxPack))
        reject("pack", QStringLiteral("must be 1..%1, or -1 for a retired level").arg(kMaxPack));
    if (!LevelLimits::validLevelNumber(level.number))
        reject("number",
            QStringLiteral("must be 1..%1 (the level grid shows %1 levels per pack)")
                .arg(LevelLimits::levelsPerPack));
    if (o.contains("id")) {
        level.id = wholeNumber(o.value("id"), "id");
        if (level.id < 1)
            reject("id", QStringLiteral("must be 1 or more"));
    } else if (level.pack == kRetiredPack) {
        reject("id", QStringLiteral("a retired level (pack -1) keeps its id: give it"));
    } else {
        level.id = level.pack * kPackIdStride + level.number;
    }
    if (o.contains("bikeNumber"))
        level.bikeNumber = wholeNumber(o.value("bikeNumber"), "bikeNumber");
    level.backgroundNumber = o.contains("backgroundNumber")
        ? wholeNumber(o.value("backgroundNumber"), "backgroundNumber")
        : qMax(level.pack, 1);
    level.bikeStart = point(require(o, "bikeStart", QString()), "bikeStart");
    level.finishLine = point(require(o, "finishLine", QString()), "finishLine");
    readTimes(o, level);
    readScene(o, level);

    const QJsonValue terrain = require(o, "terrain", QString());
    if (!terrain.isArray() || terrain.toArray().isEmpty())
        reject("terrain", QStringLiteral("must be a list of at least one terrain piece"));
    const QJsonArray pieces = terrain.toArray();
    for (int i = 0; i < pieces.size(); ++i)
        level.terrain.append(outline(pieces[i], QStringLiteral("terrain[%1]").arg(i)));

    const QJsonValue objects = o.value("objects");
    if (!objects.isUndefined() && !objects.isArray())
        reject("objects", QStringLiteral("must be a list of objects"));
    const QJsonArray list = objects.toArray();
    if (list.size() > LevelLimits::maxObjectsPerLevel)
        reject("objects",
            QStringLiteral("has %1 objects; a level holds at most %2")
                .arg(list.size())
                .arg(LevelLimits::maxObjectsPerLevel));
    QHash<long long, int> perArea;
    for (int i = 0; i < list.size(); ++i) {
        const QString path = QStringLiteral("objects[%1].").arg(i);
        if (!list[i].isObject())
            reject(path.chopped(1), QStringLiteral("must be an object with type, x, y and angle"));
        const QJsonObject object = list[i].toObject();
        checkKeys(object, path, {"type", "x", "y", "angle"});
        const QString type = text(require(object, "type", path), path + "type");
        if (!m_typeIds.contains(type))
            reject(path + "type", QStringLiteral("unknown object type %1").arg(quoted(type)));
        SourceObject placed;
        placed.typeId = m_typeIds.value(type);
        placed.x = coordinate(require(object, "x", path), path + "x");
        placed.y = coordinate(require(object, "y", path), path + "y");
        if (object.contains("angle")) {
            placed.angle = number(object.value("angle"), path + "angle");
            if (!LevelLimits::validAngle(placed.angle))
                reject(path + "angle",
                    QStringLiteral("%1 is outside -%2..%2 degrees")
                        .arg(shown(placed.angle))
                        .arg(LevelLimits::maxAngle));
        }
        if (++perArea[LevelLimits::areaKey(placed.x, placed.y)] > LevelLimits::maxObjectsPerArea)
            reject(path.chopped(1),
                QStringLiteral("more than %1 objects have their centre in the %2 x %2 square around this one")
                    .arg(LevelLimits::maxObjectsPerArea)
                    .arg(LevelLimits::areaSize));
        level.objects.append(placed);
    }
    return level;
}

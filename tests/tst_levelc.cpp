// SPDX-License-Identifier: GPL-3.0-or-later
// The level compiler: good sources become a level database; each kind of bad
// source is rejected with one line naming the file, the level (or object
// type) and the field, and no database is written.

#include "testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kCompiler = QStringLiteral(LEVELC_PATH);

QJsonObject catalogue()
{
    return QJsonDocument::fromJson(R"({"objecttypes": [
        {"name": "crate", "id": 4, "kind": "Box", "width": 40, "height": 40, "mass": 3,
         "bounciness": 0.1, "friction": 0.9, "picture": "crate1.png"},
        {"name": "rock", "id": 10, "kind": "Generic_Static", "picture": "rock1.png",
         "outline": {"start": [30, 0], "vertices": [[0, 20], [-30, 0], [0, -20]]}}]})")
        .object();
}

QJsonObject level()
{
    return QJsonDocument::fromJson(R"({"name": "Bad one", "pack": 1, "number": 5,
        "bikeStart": [0, -50], "finishLine": [900, 0],
        "times": {"gold": 10, "silver": 12, "bronze": 15},
        "scene": {"minY": -1200, "maxY": 300},
        "terrain": [{"start": [0, 0], "vertices": [[1000, 0], [1000, 100], [0, 100]]}],
        "objects": [{"type": "crate", "x": 100, "y": -20, "angle": 0}]})")
        .object();
}

void write(const QString &path, const QByteArray &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray json(const QJsonObject &o)
{
    return QJsonDocument(o).toJson();
}

// The catalogue with one field of the crate (index 0) or the rock (1) set.
QByteArray catalogueWith(int index, const QString &field, const QJsonValue &value)
{
    QJsonObject c = catalogue();
    QJsonArray types = c["objecttypes"].toArray();
    QJsonObject type = types[index].toObject();
    type[field] = value;
    types[index] = type;
    c["objecttypes"] = types;
    return json(c);
}

QByteArray levelWith(const QString &field, const QJsonValue &value)
{
    QJsonObject l = level();
    l[field] = value;
    return json(l);
}

QByteArray levelWithCrateAngle(double angle)
{
    return levelWith(
        "objects", QJsonArray {QJsonObject {{"type", "crate"}, {"x", 100}, {"y", -20}, {"angle", angle}}});
}

// count crates, spread over the grid squares (perSquare in each) or all at
// one point.
QByteArray levelWithCrates(int count, int perSquare)
{
    constexpr int kSquare = 200;
    constexpr int kColumns = 100;
    QJsonArray objects;
    for (int i = 0; i < count; ++i) {
        const int square = i / perSquare;
        objects.append(QJsonObject {{"type", "crate"}, {"x", 20 + kSquare * (square % kColumns)},
            {"y", -180 + kSquare * (square / kColumns)}});
    }
    return levelWith("objects", objects);
}
} // namespace

class TestLevelc : public QObject
{
    Q_OBJECT
private slots:
    void compilesGoodSources()
    {
        QTemporaryDir dir;
        write(dir.filePath("types.json"), json(catalogue()));
        write(dir.filePath("a.json"), json(level()));
        const auto r = TestSupport::runProcess(kCompiler,
            {"--objecttypes", dir.filePath("types.json"), "--output", dir.filePath("out.db"),
                dir.filePath("a.json")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.standardError.isEmpty(), qPrintable(r.standardError));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
            db.setDatabaseName(dir.filePath("out.db"));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("SELECT id, levelpack_number, level_number, goldtime FROM level"));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 1005);
            QCOMPARE(q.value(3).toDouble(), 10.0);
            // The rock's outline belongs to its type, not to any level.
            QVERIFY(q.exec("SELECT count(*) FROM grounditem WHERE level_id IS NULL AND objecttype_id = 10"));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 1);
            QVERIFY(q.exec("SELECT count(*) FROM groundvertex"));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 6);
            QVERIFY(q.exec("SELECT pixmapfile, physicsitem_type FROM objecttype WHERE id = 4"));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), QString(":/images/crate1.png"));
            QCOMPARE(q.value(1).toString(), QString("Box"));
        }
        QSqlDatabase::removeDatabase("check");
    }

    void rejectsBadSources_data()
    {
        QTest::addColumn<QByteArray>("types");
        QTest::addColumn<QByteArray>("levelText");
        QTest::addColumn<QString>("badFile");
        QTest::addColumn<QString>("expected"); // after the file name

        QJsonObject l = level();
        QJsonArray objects {QJsonObject {{"type", "crat"}, {"x", 1}, {"y", 1}}};
        l["objects"] = objects;
        QTest::newRow("unknown object type")
            << json(catalogue()) << json(l) << "a.json"
            << ": level 1/5 \"Bad one\": field objects[0].type: unknown object type \"crat\"";

        QByteArray text = json(level());
        text.replace("\"x\": 100", "\"x\": NaN");
        QTest::newRow("NaN coordinate") << json(catalogue()) << text << "a.json"
                                        << ": level 1/5: field \"x\": JSON error at";
        text = json(level());
        text.replace("\"finishLine\": [\n        900", "\"finishLine\": [\n        1e999");
        QTest::newRow("infinite coordinate") << json(catalogue()) << text << "a.json"
                                             << ": level 1/5: field \"finishLine\": JSON error at";

        l = level();
        l["bikeStart"] = QJsonArray {0, 1e12};
        QTest::newRow("coordinate out of range") << json(catalogue()) << json(l) << "a.json"
                                                 << ": level 1/5 \"Bad one\": field bikeStart[1]: ";

        QJsonObject c = catalogue();
        QJsonArray types = c["objecttypes"].toArray();
        QJsonObject crate = types[0].toObject();
        crate["mass"] = 0;
        types[0] = crate;
        c["objecttypes"] = types;
        QTest::newRow("box mass 0")
            << json(c) << json(level()) << "types.json"
            << ": field objecttypes[\"crate\"].mass: is 0; a Box needs a mass of 0.01..1000";

        l = level();
        l["times"] = QJsonObject {{"gold", 10}, {"silver", 8}, {"bronze", 15}};
        QTest::newRow("times out of order")
            << json(catalogue()) << json(l) << "a.json"
            << ": level 1/5 \"Bad one\": field times.silver: 8 s is faster than gold";

        l = level();
        l["terrain"] = QJsonArray {
            QJsonObject {{"start", QJsonArray {0, 0}}, {"vertices", QJsonArray {QJsonArray {5, 5}}}}};
        QTest::newRow("fewer than two vertices") << json(catalogue()) << json(l) << "a.json"
                                                 << ": level 1/5 \"Bad one\": field terrain[0].vertices: has "
                                                    "1 vertices; an outline needs at least two";

        c = catalogue();
        types = c["objecttypes"].toArray();
        crate = types[0].toObject();
        crate["kind"] = "box";
        types[0] = crate;
        c["objecttypes"] = types;
        QTest::newRow("unknown kind word") << json(c) << json(level()) << "types.json"
                                           << ": field objecttypes[\"crate\"].kind: unknown kind \"box\"";

        l = level();
        l["finishline"] = QJsonArray {1, 2};
        QTest::newRow("misspelt field") << json(catalogue()) << json(l) << "a.json"
                                        << ": level 1/5 \"Bad one\": field finishline: unknown field";
        addLimitRows(true);
    }

    void rejectsBadSources()
    {
        QFETCH(QByteArray, types);
        QFETCH(QByteArray, levelText);
        QFETCH(QString, badFile);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        write(dir.filePath("types.json"), types);
        write(dir.filePath("a.json"), levelText);
        const QString out = dir.filePath("out.db");
        write(out, "previous build");
        const auto r = TestSupport::runProcess(kCompiler,
            {"--objecttypes", dir.filePath("types.json"), "--output", out, dir.filePath("a.json")});
        QCOMPARE(r.exitCode, 1);
        const QStringList lines = r.standardError.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith("levelc: " + dir.filePath(badFile) + expected),
            qPrintable(lines.first()));
        QFile previous(out); // a failed run writes nothing
        QVERIFY(previous.open(QIODevice::ReadOnly));
        QCOMPARE(previous.readAll(), QByteArray("previous build"));
    }

    // Each limit of the level data, just inside (accepted) and just outside
    // or far outside (refused with the one-line message naming the field):
    // the refused rows join rejectsBadSources, the accepted ones
    // acceptsValuesAtTheLimits.
    static void addLimitRows(bool refused)
    {
        struct Row
        {
            bool refused;
            const char *name;
            QByteArray types, levelText;
            QString expected; // "<file>: ..." when refused
            Row &operator<<(const QByteArray &text)
            {
                (types.isNull() ? types : levelText) = text;
                return *this;
            }
            Row &operator<<(const QString &message)
            {
                expected = message;
                return *this;
            }
            Row &operator<<(const char *message) { return *this << QString::fromUtf8(message); }
            ~Row()
            {
                if (expected.isEmpty() == refused)
                    return;
                if (!refused) {
                    QTest::newRow(name) << types << levelText;
                    return;
                }
                const int colon = int(expected.indexOf(QLatin1Char(':')));
                QTest::newRow(name) << types << levelText << expected.left(colon) << expected.mid(colon);
            }
        };
        const auto row = [refused](const char *name) { return Row {refused, name, {}, {}, {}}; };

        const QByteArray types = json(catalogue());
        const QString crate = "types.json: field objecttypes[\"crate\"].";
        const QString placed = "a.json: level 1/5 \"Bad one\": field ";

        row("angle 360") << types << levelWithCrateAngle(360) << "";
        row("angle -360") << types << levelWithCrateAngle(-360) << "";
        row("angle 360.5") << types << levelWithCrateAngle(360.5)
                           << placed + "objects[0].angle: 360.5 is outside";
        row("angle 1e308") << types << levelWithCrateAngle(1e308)
                           << placed + "objects[0].angle: 1e+308 is outside";

        row("width 1") << catalogueWith(0, "width", 1) << json(level()) << "";
        row("width 0.99") << catalogueWith(0, "width", 0.99) << json(level())
                          << crate + "width: must be 1..10000";
        row("width 1e-300") << catalogueWith(0, "width", 1e-300) << json(level())
                            << crate + "width: must be 1..10000";
        row("height 10000") << catalogueWith(0, "height", 10000) << json(level()) << "";
        row("height 10001") << catalogueWith(0, "height", 10001) << json(level())
                            << crate + "height: must be 1..10000";

        row("bounciness 1") << catalogueWith(0, "bounciness", 1) << json(level()) << "";
        row("bounciness 1.01") << catalogueWith(0, "bounciness", 1.01) << json(level())
                               << crate + "bounciness: must be 0..1";
        row("bounciness 1e300") << catalogueWith(0, "bounciness", 1e300) << json(level())
                                << crate + "bounciness: must be 0..1";
        row("friction 10") << catalogueWith(0, "friction", 10) << json(level()) << "";
        row("friction 10.5") << catalogueWith(0, "friction", 10.5) << json(level())
                             << crate + "friction: must be 0..10";

        row("mass 0.01") << catalogueWith(0, "mass", 0.01) << json(level()) << "";
        row("mass 0.009") << catalogueWith(0, "mass", 0.009) << json(level())
                          << crate + "mass: is 0.009; a Box needs a mass of 0.01..1000";
        row("mass 1000") << catalogueWith(0, "mass", 1000) << json(level()) << "";
        row("mass 1000.5") << catalogueWith(0, "mass", 1000.5) << json(level()) << crate + "mass: is 1000.5";
        row("static type with negative mass")
            << catalogueWith(1, "mass", -5) << json(level())
            << "types.json: field objecttypes[\"rock\"].mass: has no effect on a static object";

        row("coordinate 100000") << types << levelWith("bikeStart", QJsonArray {100000, -100000}) << "";
        row("coordinate 100000.5") << types << levelWith("bikeStart", QJsonArray {100000.5, 0})
                                   << placed + "bikeStart[0]: 100000.5 is outside";

        row("500 objects") << types << levelWithCrates(500, 32) << "";
        row("501 objects") << types << levelWithCrates(501, 32)
                           << placed + "objects: has 501 objects; a level holds at most 500";
        row("10000 objects") << types << levelWithCrates(10000, 32) << placed + "objects: has 10000 objects";
        row("32 objects in one square") << types << levelWithCrates(64, 32) << "";
        row("33 objects in one square")
            << types << levelWithCrates(33, 33) << placed + "objects[32]: more than 32 objects";
        row("1000 objects at one point")
            << types << levelWithCrates(1000, 1000) << placed + "objects: has 1000 objects";
        row("400 objects at one point")
            << types << levelWithCrates(400, 400) << placed + "objects[32]: more than 32 objects";

        row("number 24") << types << levelWith("number", 24) << "";
        row("number 25") << types << levelWith("number", 25)
                         << "a.json: level 1/25 \"Bad one\": field number: must be 1..24";
        row("number 0") << types << levelWith("number", 0)
                        << "a.json: level 1/0 \"Bad one\": field number: must be 1..24";
        row("negative number") << types << levelWith("number", -7)
                               << "a.json: level 1/-7 \"Bad one\": field number: must be 1..24";
        row("huge number") << types << levelWith("number", 100000000)
                           << "a.json: level 1/100000000 \"Bad one\": field number: must be 1..24";
    }

    void acceptsValuesAtTheLimits_data()
    {
        QTest::addColumn<QByteArray>("types");
        QTest::addColumn<QByteArray>("levelText");
        addLimitRows(false);
    }

    void acceptsValuesAtTheLimits()
    {
        QFETCH(QByteArray, types);
        QFETCH(QByteArray, levelText);
        QTemporaryDir dir;
        write(dir.filePath("types.json"), types);
        write(dir.filePath("a.json"), levelText);
        const auto r = TestSupport::runProcess(kCompiler,
            {"--objecttypes", dir.filePath("types.json"), "--output", dir.filePath("out.db"),
                dir.filePath("a.json")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.standardError));
        QVERIFY(QFile::exists(dir.filePath("out.db")));
    }

    void rejectsDuplicatePackAndNumber()
    {
        QTemporaryDir dir;
        write(dir.filePath("types.json"), json(catalogue()));
        write(dir.filePath("a.json"), json(level()));
        QJsonObject copy = level();
        copy["name"] = "Copy";
        copy["id"] = 7;
        write(dir.filePath("b.json"), json(copy));
        const QStringList args {"--objecttypes", dir.filePath("types.json"), "--output",
            dir.filePath("out.db"), dir.filePath("b.json"), dir.filePath("a.json")};
        auto r = TestSupport::runProcess(kCompiler, args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.standardError.startsWith("levelc: " + dir.filePath("b.json")
                     + ": level 1/5 \"Copy\": field number: pack 1 already has a level 5"),
            qPrintable(r.standardError));
        QVERIFY(!QFile::exists(dir.filePath("out.db")));
        // Test packs may hold such pairs on purpose (the loader takes the
        // highest id); ids stay unique even then.
        r = TestSupport::runProcess(kCompiler, QStringList {"--allow-duplicate-levels"} + args);
        QCOMPARE(r.exitCode, 0);
        copy["id"] = 1005;
        write(dir.filePath("b.json"), json(copy));
        r = TestSupport::runProcess(kCompiler, QStringList {"--allow-duplicate-levels"} + args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(
            r.standardError.contains("field id: id 1005 is already used by"), qPrintable(r.standardError));
    }

    // The names the game shows: the level's from its source, the packs'
    // from the pack list, in places a reader of the original layout skips.
    void writesLevelAndPackNames()
    {
        QTemporaryDir dir;
        write(dir.filePath("types.json"), json(catalogue()));
        write(dir.filePath("a.json"), json(level()));
        write(dir.filePath("packs.json"),
            R"({"packs": [{"number": 1, "name": " Farmland "}, {"number": 2, "name": "Canyon", "picture": )"
            R"(":/images/b.jpg", "ground": ":/images/g.jpg", "surface": ":/images/s.png", "ambient": "ambient2"}]})");
        const auto r = TestSupport::runProcess(kCompiler,
            {"--packs", dir.filePath("packs.json"), "--objecttypes", dir.filePath("types.json"), "--output",
                dir.filePath("out.db"), dir.filePath("a.json")});
        QCOMPARE(r.exitCode, 0);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "names");
            db.setDatabaseName(dir.filePath("out.db"));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("SELECT name FROM level WHERE id = 1005"));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), QString("Bad one"));
            QVERIFY(q.exec(
                "SELECT number, name, picture, ground, surface, ambient FROM levelpack ORDER BY number"));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 1);
            QCOMPARE(q.value(1).toString(), QString("Farmland"));
            // Not given: NULL, the game's sign that the pack has none.
            for (int column = 2; column <= 5; ++column)
                QVERIFY(q.value(column).isNull());
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 2);
            QCOMPARE(q.value(2).toString(), QString(":/images/b.jpg"));
            QCOMPARE(q.value(3).toString(), QString(":/images/g.jpg"));
            QCOMPARE(q.value(4).toString(), QString(":/images/s.png"));
            QCOMPARE(q.value(5).toString(), QString("ambient2"));
            QVERIFY(!q.next());
        }
        QSqlDatabase::removeDatabase("names");
    }

    void rejectsBadPackLists_data()
    {
        QTest::addColumn<QByteArray>("packs");
        QTest::addColumn<QString>("message");
        QTest::newRow("no list") << QByteArray(R"({"packs": 3})") << "field packs: must be a list of packs";
        QTest::newRow("empty name") << QByteArray(R"({"packs": [{"number": 1, "name": " "}]})")
                                    << "field packs[0].name: a pack needs a name";
        QTest::newRow("twice") << QByteArray(
            R"({"packs": [{"number": 2, "name": "A"}, {"number": 2, "name": "B"}]})")
                               << "field packs[1].number: pack 2 is named twice";
        QTest::newRow("unknown key") << QByteArray(R"({"packs": [{"number": 1, "name": "A", "title": "B"}]})")
                                     << "packs[0].title";
        QTest::newRow("picture outside the resources")
            << QByteArray(R"({"packs": [{"number": 1, "name": "A", "picture": "/tmp/bg.jpg"}]})")
            << "field packs[0].picture: must be a picture resource path (:/images/...)";
        QTest::newRow("ambient not a string")
            << QByteArray(R"({"packs": [{"number": 1, "name": "A", "ambient": 2}]})")
            << "field packs[0].ambient: must be a string";
    }

    void rejectsBadPackLists()
    {
        QFETCH(QByteArray, packs);
        QFETCH(QString, message);
        QTemporaryDir dir;
        write(dir.filePath("types.json"), json(catalogue()));
        write(dir.filePath("a.json"), json(level()));
        write(dir.filePath("packs.json"), packs);
        const auto r = TestSupport::runProcess(kCompiler,
            {"--packs", dir.filePath("packs.json"), "--objecttypes", dir.filePath("types.json"), "--output",
                dir.filePath("out.db"), dir.filePath("a.json")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(
            r.standardError.startsWith("levelc: " + dir.filePath("packs.json")), qPrintable(r.standardError));
        QVERIFY2(r.standardError.contains(message), qPrintable(r.standardError));
        QVERIFY(!QFile::exists(dir.filePath("out.db")));
    }
};

QTEST_GUILESS_MAIN(TestLevelc)
#include "tst_levelc.moc"

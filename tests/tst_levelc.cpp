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
            << ": field objecttypes[\"crate\"].mass: is 0; a Box needs a mass above 0";

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
        write(dir.filePath("packs.json"), R"({"packs": [{"number": 1, "name": " Farmland "}]})");
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
            QVERIFY(q.exec("SELECT number, name FROM levelpack"));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 1);
            QCOMPARE(q.value(1).toString(), QString("Farmland"));
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

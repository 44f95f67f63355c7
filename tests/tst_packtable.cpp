// SPDX-License-Identifier: GPL-3.0-or-later
// PackTable: what levels.db says about each pack is what packs.json says;
// files without the table, without its newer columns or without a pack's
// row give the values the packs always had.

#include "levels/packtable.h"
#include "testsupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QStringList kColumns {"name", "picture", "ground", "surface", "ambient"};

// A copy of the shipped levels.db, changed by statements, read through a
// connection of its own while the object lives.
struct Levels
{
    explicit Levels(const QStringList &statements = {})
    {
        path = dir.filePath("levels.db");
        QFile::copy(TestSupport::binaryDir() + "/levels.db", path);
        error = TestSupport::execSql(path, statements);
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "packs");
        db.setDatabaseName(path);
        db.open();
    }
    ~Levels() { QSqlDatabase::removeDatabase("packs"); }
    PackTable table() const { return PackTable(QSqlDatabase::database("packs")); }

    QTemporaryDir dir;
    QString path;
    QString error;
};

QString value(const PackTable &packs, int pack, const QString &column)
{
    if (column == "name")
        return packs.name(pack);
    if (column == "picture")
        return packs.picture(pack);
    if (column == "ground")
        return packs.ground(pack);
    if (column == "surface")
        return packs.surface(pack);
    return packs.ambient(pack);
}
} // namespace

class TestPackTable : public QObject
{
    Q_OBJECT
private slots:
    void shippedFileDescribesThePacksOfPacksJson()
    {
        QFile source(TestSupport::sourceDir() + "/levels/sources/packs.json");
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QJsonArray packs = QJsonDocument::fromJson(source.readAll()).object().value("packs").toArray();
        QVERIFY(packs.size() >= 2);
        Levels levels;
        const PackTable table = levels.table();
        QCOMPARE(table.count(), packs.size());
        for (const QJsonValue &pack : packs) {
            const QJsonObject o = pack.toObject();
            const int number = o.value("number").toInt();
            for (const QString &column : kColumns)
                QCOMPARE(value(table, number, column), o.value(column).toString());
            QCOMPARE(table.background(number), o.value("picture").toString());
            for (const QString &picture :
                {table.picture(number), table.ground(number), table.surface(number)})
                QVERIFY2(QFile::exists(picture), qPrintable(picture));
        }
    }

    // The table drives the result: a changed row changes what the game shows.
    void changedRowIsWhatIsRead()
    {
        Levels levels({"UPDATE levelpack SET picture = ':/images/levelpack1bg.jpg', ground = NULL, "
                       "ambient = 'ambient1' WHERE number = 2"});
        QCOMPARE(levels.error, QString());
        const PackTable table = levels.table();
        QCOMPARE(table.picture(2), QString(":/images/levelpack1bg.jpg"));
        QCOMPARE(table.ground(2), QString()); // NULL: the pack has none
        QCOMPARE(table.ambient(2), QString("ambient1"));
        QCOMPARE(table.surface(2), QString(":/images/surface_306.png"));
    }

    // A pack without a picture, or unknown, is shown on the first pack's.
    void backgroundFallsBackToTheFirstPack()
    {
        Levels levels({"UPDATE levelpack SET picture = NULL WHERE number = 2",
            "UPDATE levelpack SET picture = ':/images/levelpack2bg.jpg' WHERE number = 1"});
        const PackTable table = levels.table();
        for (int pack : {0, 2, 3})
            QCOMPARE(table.background(pack), QString(":/images/levelpack2bg.jpg"));
        QCOMPARE(table.ground(3), QString());
        QCOMPARE(table.name(3), QString());
    }

    // What the game showed before levels.db described the packs.
    void olderFilesGiveTheValuesPacksAlwaysHad_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("name1");
        QTest::newRow("no table") << QStringList {"DROP TABLE levelpack"} << QString();
        QTest::newRow("names only")
            << QStringList {"CREATE TABLE named AS SELECT number, name FROM levelpack",
                   "DROP TABLE levelpack", "ALTER TABLE named RENAME TO levelpack"}
            << QString("Farmland");
        QTest::newRow("no rows") << QStringList {"DELETE FROM levelpack"} << QString();
    }

    void olderFilesGiveTheValuesPacksAlwaysHad()
    {
        QFETCH(QStringList, statements);
        QFETCH(QString, name1);
        Levels levels(statements);
        QCOMPARE(levels.error, QString());
        const PackTable table = levels.table();
        QCOMPARE(table.count(), 2);
        QCOMPARE(table.name(1), name1);
        QCOMPARE(table.background(1), QString(":/images/levelpack1bg.jpg"));
        QCOMPARE(table.background(2), QString(":/images/levelpack2bg.jpg"));
        QCOMPARE(table.background(3), QString(":/images/levelpack1bg.jpg"));
        QCOMPARE(table.ground(1), QString(":/images/groundtexture_305.jpg"));
        QCOMPARE(table.surface(2), QString(":/images/surface_306.png"));
        QCOMPARE(table.ambient(2), QString("ambient2"));
        QCOMPARE(table.ground(3), QString());
    }
};

QTEST_GUILESS_MAIN(TestPackTable)
#include "tst_packtable.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// A damaged results.db: the check before any write, the damaged file kept
// byte for byte under a dated name, every row that can still be read carried
// into a fresh file, a file that is only locked left alone, and the fresh
// file of a salvage that a stop cut short removed at the next start.

#include "levels/resultssalvage.h"
#include "levels/resultsschema.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kResults = 2000;
constexpr int kSettings = 60;
const QDateTime kNow(QDate(2026, 12, 8), QTime(1, 15, 0));

// The rows every test file holds, as "a|b|c" text per row.
QStringList resultRows(const QString &file)
{
    QStringList rows;
    for (const QVariant &v : TestSupport::querySql(file,
             "SELECT id || '|' || level_id || '|' || status || '|' || besttime FROM levelresult ORDER BY id"))
        rows.append(v.toString());
    return rows;
}

QStringList settingRows(const QString &file)
{
    QStringList rows;
    for (const QVariant &v :
        TestSupport::querySql(file, "SELECT name || '=' || value FROM playersetting ORDER BY name"))
        rows.append(v.toString());
    return rows;
}

// A results file as the game writes it, with enough rows that the results
// and the settings each take several pages.
QString writeResults(const QString &file)
{
    QStringList statements;
    for (int i = 1; i <= kResults; ++i)
        statements << QStringLiteral("INSERT INTO levelresult VALUES (%1, %2, %3, %4)")
                          .arg(i)
                          .arg(1000 + i)
                          .arg(1 + i % 4)
                          .arg(10.0 + i * 0.5);
    for (int i = 0; i < kSettings; ++i)
        statements << QStringLiteral("INSERT INTO playersetting VALUES ('setting%1', '%2')")
                          .arg(i, 3, 10, QLatin1Char('0'))
                          .arg(QString(200, QLatin1Char('a' + i % 26)));
    statements << "UPDATE gamesettings SET sounds_enabled = 0";
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName(file);
        db.open();
        QString error;
        ResultsSchema::complete(db, "main", &error);
        db.close();
    }
    QSqlDatabase::removeDatabase("fixture");
    return TestSupport::execSql(file, statements);
}

int pageSize(const QString &file)
{
    return TestSupport::querySql(file, "PRAGMA page_size").value(0).toInt();
}

int rootPage(const QString &file, const QString &table)
{
    return TestSupport::querySql(
        file, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = '%1'").arg(table))
        .value(0)
        .toInt();
}

QByteArray readAll(const QString &file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// The pages a table's root points to (a root that is itself a leaf: none).
QVector<int> childPages(const QByteArray &bytes, int pageSize, int root)
{
    const int offset = (root - 1) * pageSize + (root == 1 ? 100 : 0);
    auto u16 = [&](int at) { return (uchar(bytes[at]) << 8) | uchar(bytes[at + 1]); };
    auto u32 = [&](int at) {
        return int((uchar(bytes[at]) << 24) | (uchar(bytes[at + 1]) << 16) | (uchar(bytes[at + 2]) << 8)
            | uchar(bytes[at + 3]));
    };
    constexpr uchar kInteriorTablePage = 0x05;
    QVector<int> pages;
    if (uchar(bytes[offset]) != kInteriorTablePage)
        return pages;
    const int cells = u16(offset + 3);
    for (int c = 0; c < cells; ++c)
        pages.append(u32((root - 1) * pageSize + u16(offset + 12 + 2 * c)));
    pages.append(u32(offset + 8));
    return pages;
}

void overwrite(QByteArray &bytes, qsizetype at, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i)
        bytes[at + i] = char(0xA5 ^ (i * 37));
}

void writeFile(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
} // namespace

class TestResultsSalvage : public QObject
{
    Q_OBJECT
private slots:
    void soundFileIsLeftAsItIs()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("results.db");
        QCOMPARE(writeResults(file), QString());
        const QByteArray before = readAll(file);
        const ResultsSalvage::Report report = ResultsSalvage::checkAndSalvage(file, kNow);
        QCOMPARE(report.outcome, ResultsSalvage::Report::Outcome::Sound);
        QVERIFY(report.notice().isEmpty());
        QCOMPARE(readAll(file), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {"results.db"});
        // No file yet: nothing to check.
        QCOMPARE(ResultsSalvage::checkAndSalvage(dir.filePath("none.db"), kNow).outcome,
            ResultsSalvage::Report::Outcome::Sound);
    }

    void lockedFileIsNoDamage()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("results.db");
        QCOMPARE(writeResults(file), QString());
        {
            QSqlDatabase holder = QSqlDatabase::addDatabase("QSQLITE", "holder");
            holder.setDatabaseName(file);
            QVERIFY(holder.open());
            QSqlQuery lock(holder);
            QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
            QVERIFY(lock.exec("UPDATE gamesettings SET sounds_enabled = 1"));
            QCOMPARE(
                ResultsSalvage::checkAndSalvage(file, kNow).outcome, ResultsSalvage::Report::Outcome::Sound);
            lock.exec("ROLLBACK");
            holder.close();
        }
        QSqlDatabase::removeDatabase("holder");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {"results.db"});
    }

    void damagedPageIsSalvaged_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("header") << "header";
        QTest::newRow("levelresult leaf") << "levelresult";
        QTest::newRow("gamesettings") << "gamesettings";
        QTest::newRow("playersetting leaf") << "playersetting";
    }

    void damagedPageIsSalvaged()
    {
        QFETCH(QString, where);
        QTemporaryDir dir;
        const QString file = dir.filePath("results.db");
        QCOMPARE(writeResults(file), QString());
        const QStringList results = resultRows(file);
        const QStringList settings = settingRows(file);
        QCOMPARE(results.size(), kResults);

        const int size = pageSize(file);
        QByteArray bytes = readAll(file);
        if (where == "header") {
            overwrite(bytes, 0, 100);
        } else {
            const int root = rootPage(file, where);
            const QVector<int> leaves = childPages(bytes, size, root);
            const int page = leaves.isEmpty() ? root : leaves[leaves.size() / 2];
            if (where != "gamesettings")
                QVERIFY2(leaves.size() >= 3, "the table should take several pages");
            overwrite(bytes, qsizetype(page - 1) * size, size);
        }
        writeFile(file, bytes);

        const ResultsSalvage::Report report = ResultsSalvage::checkAndSalvage(file, kNow);
        QCOMPARE(report.outcome, ResultsSalvage::Report::Outcome::Salvaged);
        // The damaged file is kept as it was, under a name with the time.
        QCOMPARE(report.damagedCopy,
            QDir::toNativeSeparators(dir.filePath("results-damaged-2026-12-08-011500.db")));
        QCOMPARE(readAll(report.damagedCopy), bytes);
        QVERIFY(report.notice().contains(report.damagedCopy));
        // The fresh file is sound and holds exactly the rows that could be read.
        QCOMPARE(TestSupport::querySql(file, "PRAGMA quick_check"), QVariantList {"ok"});
        const QStringList keptResults = resultRows(file);
        const QStringList keptSettings = settingRows(file);
        for (const QString &row : keptResults)
            QVERIFY2(results.contains(row), qPrintable(row));
        for (const QString &row : keptSettings)
            QVERIFY2(settings.contains(row), qPrintable(row.left(20)));
        const QVariantList sounds = TestSupport::querySql(file, "SELECT sounds_enabled FROM gamesettings");
        QCOMPARE(report.resultsKept, keptResults.size());
        QCOMPARE(report.settingsKept, keptSettings.size() + (sounds == QVariantList {0} ? 1 : 0));
        if (where == "header") {
            QCOMPARE(keptResults.size() + keptSettings.size(), 0);
            QVERIFY(report.notice().contains("Nothing in it could be read"));
            QCOMPARE(sounds, QVariantList {1});
        } else if (where == "levelresult") {
            // Only the rows of the damaged page are lost, not the ones after it.
            QVERIFY(keptResults.size() < kResults);
            QVERIFY(keptResults.size() > kResults / 2);
            QCOMPARE(keptResults.last(), results.last());
            QCOMPARE(keptSettings, settings);
        } else if (where == "gamesettings") {
            QCOMPARE(keptResults, results);
            QCOMPARE(keptSettings, settings);
            QCOMPARE(sounds, QVariantList {1});
        } else {
            QCOMPARE(keptResults, results);
            QVERIFY(keptSettings.size() < kSettings);
            QCOMPARE(keptSettings.last(), settings.last());
            QCOMPARE(sounds, QVariantList {0});
        }
        // A second start finds a sound file.
        QCOMPARE(ResultsSalvage::checkAndSalvage(file, kNow).outcome, ResultsSalvage::Report::Outcome::Sound);
    }

    void damagedCopyNeverReplacesAnEarlierOne()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("results.db");
        QFile earlier(ResultsSalvage::damagedCopyPath(file, kNow));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
        earlier.close();
        QCOMPARE(ResultsSalvage::damagedCopyPath(file, kNow),
            dir.filePath("results-damaged-2026-12-08-011500-2.db"));
    }

    // The fresh file and its journal go once they are older than a save
    // takes; results.db, its own journal (which undoes a write cut short)
    // and whatever else lies beside them stay.
    void staleFreshFileIsRemoved()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("results.db");
        QCOMPARE(ResultsSalvage::freshPath(file), dir.filePath("results.db.salvage"));
        const QStringList planted {"results.db", "results.db-journal", "results.db.salvage",
            "results.db.salvage-journal", "results-damaged-2026-12-08-011500.db", "results.db.salvage.bak"};
        const QDateTime old = kNow.addSecs(-2 * ResultsSalvage::kStaleTemporarySeconds);
        for (const QString &name : planted) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("bytes");
            QVERIFY(f.flush());
            QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
        }
        // Written within the last minute: perhaps another copy's salvage.
        QCOMPARE(
            ResultsSalvage::removeStaleTemporaries(file, old.addSecs(ResultsSalvage::kStaleTemporarySeconds)),
            0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), planted.size());

        QCOMPARE(ResultsSalvage::removeStaleTemporaries(file, kNow), 2);
        QStringList left = QDir(dir.path()).entryList(QDir::Files);
        QStringList expected = planted;
        expected.removeAll("results.db.salvage");
        expected.removeAll("results.db.salvage-journal");
        left.sort();
        expected.sort();
        QCOMPARE(left, expected);
    }
};

QTEST_GUILESS_MAIN(TestResultsSalvage)
#include "tst_resultssalvage.moc"

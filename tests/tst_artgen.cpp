// SPDX-License-Identifier: GPL-3.0-or-later
// The picture generator run at build time: layers and recolouring, clear
// errors for a broken picture list, and byte-identical output on every run.

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString artgen()
{
    return TestSupport::binaryDir() + "/tools/artgen/artgen";
}

void writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// Test data is written with single quotes for readability.
QByteArray withDoubleQuotes(const char *text)
{
    return QByteArray(text).replace('\'', '"');
}

const QByteArray kSquareSvg
    = withDoubleQuotes("<svg xmlns='http://www.w3.org/2000/svg' width='8' height='8' viewBox='0 0 8 8'>"
                       "  <rect x='0' y='0' width='4' height='8' fill='#f5a623'/><rect x='4' y='0' width='4' "
                       "height='8' fill='#c77a0a'/>"
                       "</svg>");

} // namespace

class TestArtgen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(artgen()), qPrintable(artgen())); }

    void rendersLayersWithSwappedColours()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("square.svg"), kSquareSvg);
        // The two colours trade places: a substitution must not chain.
        writeFile(dir.filePath("pictures.json"),
            withDoubleQuotes("{'palettes': {'swap': {'#f5a623': '#c77a0a', '#C77A0A': '#f5a623'}},"
                             "            'pictures': ["
                             "              {'file': 'plain.png', 'width': 16, 'height': 16, 'layers': "
                             "[{'svg': 'square.svg'}]},"
                             "              {'file': 'swapped.png', 'width': 16, 'height': 16, 'layers': "
                             "[{'svg': 'square.svg', 'recolor': 'swap'}]}"
                             "            ]}"));
        const auto result = TestSupport::runProcess(
            artgen(), {"render", dir.filePath("pictures.json"), dir.filePath("out")});
        QCOMPARE(result.exitCode, 0);
        const QImage plain(dir.filePath("out/plain.png")), swapped(dir.filePath("out/swapped.png"));
        QCOMPARE(plain.size(), QSize(16, 16));
        QCOMPARE(plain.pixelColor(2, 8), QColor("#f5a623"));
        QCOMPARE(plain.pixelColor(13, 8), QColor("#c77a0a"));
        QCOMPARE(swapped.pixelColor(2, 8), QColor("#c77a0a"));
        QCOMPARE(swapped.pixelColor(13, 8), QColor("#f5a623"));
    }

    void brokenListsFailWithAClearMessage_data()
    {
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<QString>("message");
        QTest::newRow("not json") << QByteArray("{\"pictures\": [") << "pictures.json";
        QTest::newRow("missing svg") << QByteArray(
            withDoubleQuotes("{'pictures': [{'file': 'a.png', 'width': 8, 'height': 8,"
                             "            'layers': [{'svg': 'nowhere.svg'}]}]}"))
                                     << "nowhere.svg";
        QTest::newRow("unknown generator")
            << QByteArray(withDoubleQuotes("{'pictures': [{'file': 'a.png', 'width': 8, 'height': 8,"
                                           "            'generator': 'volcano'}]}"))
            << "unknown generator volcano";
        QTest::newRow("no size") << QByteArray(
            withDoubleQuotes("{'pictures': [{'file': 'a.png', 'layers': [{'svg': 'square.svg'}]}]}"))
                                 << "a.png needs a name, a size";
        QTest::newRow("layers and generator") << QByteArray(withDoubleQuotes(
            "{'pictures': [{'file': 'a.png', 'width': 8,"
            "            'height': 8, 'generator': 'digits', 'layers': [{'svg': 'square.svg'}]}]}"))
                                              << "either layers or a generator";
        QTest::newRow("not svg") << QByteArray(
            withDoubleQuotes("{'pictures': [{'file': 'a.png', 'width': 8, 'height': 8,"
                             "            'layers': [{'svg': 'pictures.json'}]}]}"))
                                 << "is not valid SVG";
    }

    void brokenListsFailWithAClearMessage()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(QString, message);
        QTemporaryDir dir;
        writeFile(dir.filePath("square.svg"), kSquareSvg);
        writeFile(dir.filePath("pictures.json"), manifest);
        const auto result = TestSupport::runProcess(
            artgen(), {"render", dir.filePath("pictures.json"), dir.filePath("out")});
        QCOMPARE(result.crashed, false);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.standardError.contains(message), qPrintable(result.standardError));
        QVERIFY(!QFile::exists(dir.filePath("out/a.png")));
    }

    void usageErrorIsReported()
    {
        const auto result = TestSupport::runProcess(artgen(), {"paint"});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.standardError.contains("usage"));
    }

    void renderingIsReproducible()
    {
        // The same sources give the same bytes, so builds are reproducible.
        QTemporaryDir dir;
        const QString manifest = TestSupport::sourceDir() + "/assets/pictures.json";
        for (const char *out : {"a", "b"})
            QCOMPARE(TestSupport::runProcess(artgen(), {"render", manifest, dir.filePath(out)}).exitCode, 0);
        const QStringList files = QDir(dir.filePath("a")).entryList(QDir::Files);
        QVERIFY(files.size() > 50);
        for (const QString &file : files) {
            QFile a(dir.filePath("a/" + file)), b(dir.filePath("b/" + file));
            QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            QVERIFY2(a.readAll() == b.readAll(), qPrintable(file));
        }
    }

    void contactSheetShowsEveryPicture()
    {
        QTemporaryDir dir;
        const QString manifest = TestSupport::sourceDir() + "/assets/pictures.json";
        QCOMPARE(TestSupport::runProcess(artgen(), {"render", manifest, dir.filePath("img")}).exitCode, 0);
        const auto result = TestSupport::runProcess(
            artgen(), {"sheet", manifest, dir.filePath("img"), dir.filePath("sheet.png")});
        QCOMPARE(result.exitCode, 0);
        const QImage sheet(dir.filePath("sheet.png"));
        QVERIFY(sheet.width() >= 2000 && sheet.height() > 2000);
        // A missing picture is an error, not a blank cell.
        QVERIFY(QFile::remove(dir.filePath("img/wheel.png")));
        const auto missing = TestSupport::runProcess(
            artgen(), {"sheet", manifest, dir.filePath("img"), dir.filePath("sheet2.png")});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.standardError.contains("wheel.png"));
    }
};

QTEST_MAIN(TestArtgen)
#include "tst_artgen.moc"

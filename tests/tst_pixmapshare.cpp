// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures shared while a level is built: one picture per path within a
// share, the resources' pictures carried into the next share and nothing
// else, the outermost of nested shares in charge.

#include "base/densepixmap.h"
#include "base/pixmapshare.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kCrate = QStringLiteral(":/images/crate1.png");
const QString kRock = QStringLiteral(":/images/rock1.png");
constexpr qreal kRatio = 1.0;

// A picture no file holds: where a load returns it, it came from the share.
QPixmap marker()
{
    QPixmap pixmap(3, 5);
    pixmap.fill(Qt::magenta);
    return pixmap;
}
} // namespace

class TestPixmapShare : public QObject
{
    Q_OBJECT

private slots:
    void noShareOutsideOne()
    {
        QVERIFY(!PixmapShare::current());
        {
            const PixmapShare share;
            QCOMPARE(PixmapShare::current(), &share);
        }
        QVERIFY(!PixmapShare::current());
    }

    void oneDecodedPicturePerPath()
    {
        const PixmapShare share;
        const QPixmap first = DensePixmap::load(kCrate, kRatio);
        QVERIFY(!first.isNull());
        QCOMPARE(share.resourcePictures().size(), 1);
        QCOMPARE(DensePixmap::load(kCrate, kRatio).cacheKey(), first.cacheKey());
    }

    void earlierResourcePicturesAreReused()
    {
        PixmapShare::Pictures earlier;
        earlier.insert({kCrate, kRatio}, marker());
        const PixmapShare share(earlier);
        QCOMPARE(DensePixmap::load(kCrate, kRatio).size(), QSize(3, 5));
        // Another ratio is another picture.
        QVERIFY(DensePixmap::load(kCrate, 2.0).size() != QSize(3, 5));
    }

    void earlierFilesAreReadAgain()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("picture.png"));
        QPixmap onDisk(7, 2);
        onDisk.fill(Qt::cyan);
        QVERIFY(onDisk.save(file));
        PixmapShare::Pictures earlier;
        earlier.insert({file, kRatio}, marker());
        const PixmapShare share(earlier);
        QCOMPARE(DensePixmap::load(file, kRatio).size(), QSize(7, 2));
        QVERIFY(share.resourcePictures().isEmpty());
    }

    void resourcesWithoutSlashAreCarried()
    {
        const QString menu = QStringLiteral(":images/ingamemenu.png");
        PixmapShare::Pictures earlier;
        earlier.insert({menu, kRatio}, marker());
        const PixmapShare share(earlier);
        QCOMPARE(DensePixmap::load(menu, kRatio).size(), QSize(3, 5));
        QVERIFY(share.resourcePictures().contains({menu, kRatio}));
    }

    void onlyPicturesHandedOutAreCarried()
    {
        PixmapShare::Pictures earlier;
        earlier.insert({kCrate, kRatio}, marker());
        earlier.insert({kRock, kRatio}, marker());
        const PixmapShare share(earlier);
        DensePixmap::load(kRock, kRatio);
        const PixmapShare::Pictures carried = share.resourcePictures();
        QCOMPARE(carried.size(), 1);
        QVERIFY(carried.contains({kRock, kRatio}));
    }

    void nestedShareDefersToOuter()
    {
        PixmapShare::Pictures earlier;
        earlier.insert({kCrate, kRatio}, marker());
        const PixmapShare outer(earlier);
        {
            const PixmapShare inner;
            QCOMPARE(PixmapShare::current(), &outer);
            QCOMPARE(DensePixmap::load(kCrate, kRatio).size(), QSize(3, 5));
        }
        QCOMPARE(PixmapShare::current(), &outer);
    }
};

QTEST_MAIN(TestPixmapShare)
#include "tst_pixmapshare.moc"

// Pictures for dense screens: at a device pixel ratio of 2 (this test runs
// with QT_SCALE_FACTOR=2) buttons and panels draw from the @2x pictures,
// which have twice the pixels each way and the same size on screen.

#include "menus/buttonpixmap.h"
#include "menus/densepixmap.h"
#include "menus/menuwidget.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {
class Panel : public MenuWidget
{
public:
    using MenuWidget::MenuWidget;
};
} // namespace

class TestDensePixmap : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(qApp->devicePixelRatio(), 2.0); }

    void variantPaths()
    {
        QCOMPARE(DensePixmap::variantPath(":/images/back_off.png", 2), QString(":/images/back_off@2x.png"));
        QCOMPARE(DensePixmap::variantPath("a.b/c", 2), QString("a.b/c@2x"));
    }

    void buttonPictureHasTwiceThePixels()
    {
        ButtonPixmap button(":/images/back_off.png", ":/images/back_on.png", 0, 0, 64, 64, 0, 0, 64, 64, 0);
        const QPixmap plain(":/images/back_off.png");
        QVERIFY(!plain.isNull());
        const QPixmap &shown = button.currentPixmap();
        QCOMPARE(shown.size(), plain.size() * 2);
        QCOMPARE(shown.devicePixelRatio(), 2.0);
        QCOMPARE(shown.deviceIndependentSize(), QSizeF(plain.size()));
        button.setPressed(true);
        QCOMPARE(button.currentPixmap().size(), plain.size() * 2);
    }

    void panelBackgroundHasTwiceThePixels()
    {
        Panel panel;
        panel.setBackground(":/images/ingamemenu.png");
        const QPixmap plain(":/images/ingamemenu.png");
        QCOMPARE(panel.background().size(), plain.size() * 2);
        QCOMPARE(panel.background().deviceIndependentSize(), QSizeF(plain.size()));
    }

    // The dense picture is the same drawing, not the plain one enlarged: it
    // has detail between the plain picture's pixels.
    void denseVariantIsDrawnNotEnlarged()
    {
        const QImage plain(":/images/back_off.png");
        const QImage dense(":/images/back_off@2x.png");
        const QImage enlarged = plain.scaled(plain.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        QCOMPARE(dense.size(), enlarged.size());
        QVERIFY(dense.convertToFormat(QImage::Format_ARGB32) != enlarged.convertToFormat(QImage::Format_ARGB32));
    }

    // Every picture drawn from SVG sources comes in both ratios; generated
    // textures and backgrounds only in one.
    void everyDrawnPictureHasItsVariant()
    {
        QFile file(TestSupport::sourceDir() + "/assets/pictures.json");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonArray pictures = QJsonDocument::fromJson(file.readAll()).object().value("pictures").toArray();
        QVERIFY(!pictures.isEmpty());
        int dense = 0;
        for (const QJsonValue &v : pictures) {
            const QJsonObject o = v.toObject();
            const QString path = ":/images/" + o.value("file").toString();
            const QString variant = DensePixmap::variantPath(path, 2);
            if (o.contains("generator")) {
                QVERIFY2(!QFile::exists(variant), qPrintable(variant));
                QCOMPARE(DensePixmap::load(path).devicePixelRatio(), 1.0);
                continue;
            }
            const QImage image(variant);
            QVERIFY2(!image.isNull(), qPrintable(variant));
            QCOMPARE(image.size(), QSize(o.value("width").toInt(), o.value("height").toInt()) * 2);
            ++dense;
        }
        QVERIFY(dense > 50);
    }

    void plainRatioLoadsThePlainPicture()
    {
        const QPixmap pixmap = DensePixmap::load(":/images/back_off.png", 1.0);
        QCOMPARE(pixmap.devicePixelRatio(), 1.0);
        QCOMPARE(pixmap.size(), QSize(64, 64));
        QVERIFY(DensePixmap::load(":/images/no-such-picture.png", 2.0).isNull());
    }
};

QTEST_MAIN(TestDensePixmap)
#include "tst_densepixmap.moc"

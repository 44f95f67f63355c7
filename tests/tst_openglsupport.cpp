// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the drawing path: software rasterizers are told apart from real
// drivers, and platforms without OpenGL never claim it.

#include "game/openglsupport.h"

#include <QGuiApplication>
#include <QtTest>

class TestOpenGLSupport : public QObject
{
    Q_OBJECT

private slots:
    void softwareRenderers_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("software");
        QTest::newRow("llvmpipe") << QByteArray("llvmpipe (LLVM 15.0.6, 256 bits)") << true;
        QTest::newRow("softpipe") << QByteArray("softpipe") << true;
        QTest::newRow("swrast, upper case") << QByteArray("Mesa SWRast") << true;
        QTest::newRow("generic software") << QByteArray("Software Rasterizer") << true;
        QTest::newRow("intel") << QByteArray("Mesa Intel(R) UHD Graphics 620 (KBL GT2)") << false;
        QTest::newRow("radeon") << QByteArray("AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void softwareRenderers()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, software);
        QCOMPARE(OpenGLSupport::isSoftwareRenderer(name), software);
    }

    // The probe is skipped only where no accelerated renderer can answer it.
    void acceleratedRuledOut_data()
    {
        QTest::addColumn<QByteArray>("alwaysSoftware");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<bool>("device");
        QTest::addColumn<bool>("ruledOut");
        const QString xcb = QStringLiteral("xcb");
        QTest::newRow("GPU, local X") << QByteArray() << xcb << QByteArray(":0") << true << false;
        QTest::newRow("GPU, software asked for")
            << QByteArray("1") << xcb << QByteArray(":0") << true << true;
        QTest::newRow("software: true") << QByteArray("TRUE") << xcb << QByteArray(":0") << true << true;
        QTest::newRow("software: yes") << QByteArray("yes") << xcb << QByteArray(":0") << true << true;
        QTest::newRow("software: 0") << QByteArray("0") << xcb << QByteArray(":0") << true << false;
        QTest::newRow("software: other")
            << QByteArray("sometimes") << xcb << QByteArray(":0") << true << false;
        QTest::newRow("no GPU, local X") << QByteArray() << xcb << QByteArray(":99") << false << true;
        QTest::newRow("no GPU, unix socket")
            << QByteArray() << xcb << QByteArray("unix:1.0") << false << true;
        QTest::newRow("no GPU, forwarded X")
            << QByteArray() << xcb << QByteArray("localhost:10.0") << false << false;
        QTest::newRow("no GPU, remote X") << QByteArray() << xcb << QByteArray("host:0") << false << false;
        QTest::newRow("no GPU, no display") << QByteArray() << xcb << QByteArray() << false << false;
        QTest::newRow("no GPU, wayland")
            << QByteArray() << QStringLiteral("wayland") << QByteArray() << false << true;
        QTest::newRow("GPU, wayland")
            << QByteArray() << QStringLiteral("wayland") << QByteArray() << true << false;
    }
    void acceleratedRuledOut()
    {
        QFETCH(QByteArray, alwaysSoftware);
        QFETCH(QString, platform);
        QFETCH(QByteArray, display);
        QFETCH(bool, device);
        QFETCH(bool, ruledOut);
        QCOMPARE(OpenGLSupport::acceleratedRuledOut(alwaysSoftware, platform, display, device), ruledOut);
    }

    void offscreenHasNoOpenGL()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        QVERIFY(OpenGLSupport::rendererName().isEmpty());
        QVERIFY(!OpenGLSupport::available(false));
        QVERIFY(!OpenGLSupport::available(true));
    }
};

QTEST_MAIN(TestOpenGLSupport)
#include "tst_openglsupport.moc"

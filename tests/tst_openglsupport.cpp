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

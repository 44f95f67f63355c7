// SPDX-License-Identifier: GPL-3.0-or-later
// The picture button: press/release rules, hit area, pictures by state.

#include "menus/buttonpixmap.h"
#include "menutesting.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestButtonPixmap : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_off, m_on, m_disabled;

    QString solidPicture(const QString &name, QColor colour)
    {
        return MenuTesting::solidPicture(QDir(m_dir.path()), name, QSize(20, 10), colour);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_off = solidPicture("off.png", Qt::red);
        m_on = solidPicture("on.png", Qt::green);
        m_disabled = solidPicture("disabled.png", Qt::blue);
    }

    void pressAndReleaseEmitOncePerChange()
    {
        ButtonPixmap button(m_off, m_on, 10, 20, 64, 64, 0, 0, 64, 64, 7, nullptr);
        QSignalSpy pressed(&button, &ButtonPixmap::pressed);
        QSignalSpy released(&button, &ButtonPixmap::released);

        button.setPressed(false); // already released: nothing
        QCOMPARE(released.count(), 0);

        button.setPressed(true);
        button.setPressed(true);
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(pressed.first().first().toInt(), 7);
        QVERIFY(button.isPressed());

        button.setPressed(false);
        button.setPressed(false);
        QCOMPARE(released.count(), 1);
        QCOMPARE(released.first().first().toInt(), 7);
        QVERIFY(!button.isPressed());
    }

    void disabledOrHiddenButtonsNeverPress()
    {
        ButtonPixmap button(m_off, m_on, 0, 0, 64, 64, 0, 0, 64, 64, 0, nullptr);
        QSignalSpy pressed(&button, &ButtonPixmap::pressed);

        button.setEnabled(false);
        QVERIFY(!button.isActive());
        button.setPressed(true);
        QVERIFY(!button.isPressed());

        button.setEnabled(true);
        button.setVisible(false);
        QVERIFY(!button.isActive());
        button.setPressed(true);
        QVERIFY(!button.isPressed());
        QCOMPARE(pressed.count(), 0);

        button.setVisible(true);
        button.setPressed(true);
        QCOMPARE(pressed.count(), 1);
    }

    // Hiding or disabling a held button drops the press without a release,
    // so showing it again later cannot fire a stale release.
    void hidingOrDisablingDropsPressSilently()
    {
        ButtonPixmap button(m_off, m_on, 0, 0, 64, 64, 0, 0, 64, 64, 0, nullptr);
        QSignalSpy released(&button, &ButtonPixmap::released);

        button.setPressed(true);
        button.setVisible(false);
        QVERIFY(!button.isPressed());
        button.setVisible(true);
        button.setPressed(false);

        button.setPressed(true);
        button.setEnabled(false);
        QVERIFY(!button.isPressed());
        button.setEnabled(true);
        button.setPressed(false);
        QCOMPARE(released.count(), 0);
    }

    // A level-pack button: a 64 picture with an 80 x 80 hit area.
    void hitAreaLargerThanPicture()
    {
        ButtonPixmap button(m_off, m_on, 257.5, 120, 64, 64, 0, 0, 80, 80, -2, nullptr);
        QCOMPARE(button.hitRect(), QRectF(257.5, 120, 80, 80));
        QVERIFY(button.contains(QPointF(257.5 + 75, 120 + 75)));
        QVERIFY(!button.contains(QPointF(257.5 + 81, 130)));
        QVERIFY(!button.contains(QPointF(257, 130)));

        button.setPos(10, 20);
        QCOMPARE(button.hitRect(), QRectF(10, 20, 80, 80));
        button.setY(30);
        QCOMPARE(button.hitRect(), QRectF(10, 30, 80, 80));
        button.setHitArea(-5, -6, 20, 30);
        QCOMPARE(button.hitRect(), QRectF(5, 24, 20, 30));
    }

    void pictureFollowsState()
    {
        ButtonPixmap button(m_off, m_on, 0, 0, 64, 64, 0, 0, 64, 64, 0, nullptr);
        button.setDisabledPixmap(m_disabled);
        auto colour = [&] { return button.currentPixmap().toImage().pixelColor(0, 0); };
        QCOMPARE(colour(), QColor(Qt::red));
        button.setPressed(true);
        QCOMPARE(colour(), QColor(Qt::green));
        button.setEnabled(false);
        QCOMPARE(colour(), QColor(Qt::blue));
    }

    // Drawn at its truncated position in its picture's own size; a hidden
    // button draws nothing, a disabled one its disabled picture.
    void paintsAtTruncatedPosition()
    {
        ButtonPixmap button(m_off, m_on, 5.9, 3.7, 64, 64, 0, 0, 64, 64, 0, nullptr);
        button.setDisabledPixmap(m_disabled);
        auto render = [&] {
            QImage canvas(40, 20, QImage::Format_ARGB32);
            canvas.fill(Qt::white);
            QPainter painter(&canvas);
            button.paint(&painter);
            return canvas;
        };
        QImage canvas = render();
        QCOMPARE(canvas.pixelColor(4, 3), QColor(Qt::white));
        QCOMPARE(canvas.pixelColor(5, 3), QColor(Qt::red));
        QCOMPARE(canvas.pixelColor(24, 12), QColor(Qt::red));
        QCOMPARE(canvas.pixelColor(25, 13), QColor(Qt::white)); // 20 x 10, not 64 x 64

        button.setEnabled(false);
        QCOMPARE(render().pixelColor(10, 5), QColor(Qt::blue));

        button.setVisible(false);
        QCOMPARE(render().pixelColor(10, 5), QColor(Qt::white));
    }
};

QTEST_MAIN(TestButtonPixmap)
#include "tst_buttonpixmap.moc"

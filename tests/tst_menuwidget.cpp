// SPDX-License-Identifier: GPL-3.0-or-later
// The menu base: centring, the "y" property, mouse routing to buttons,
// painting order, button ownership, and the keyboard focus and its ring.

#include "menus/buttonpixmap.h"
#include "menus/menuwidget.h"
#include "menutesting.h"

#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtMath>
#include <QtTest>

using namespace MenuTesting;

namespace {
// The base with its protected set-up opened for the test.
class ProbeMenu : public MenuWidget
{
public:
    using MenuWidget::MenuWidget;
    void setSize(int w, int h) { setMenuSize(w, h); }
    void setOffsets(int x, int y)
    {
        m_offsetX = x;
        m_offsetY = y;
    }
    ButtonPixmap *add(const QString &picture, qreal x, qreal y, qreal size, int id = 0)
    {
        return addButton(picture, picture, x, y, size, size, id);
    }
    using MenuWidget::focusButton;
};

// Records the mouse presses that reach it.
class Backdrop : public QWidget
{
public:
    int presses = 0;
    int releases = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
    void mouseReleaseEvent(QMouseEvent *) override { ++releases; }
};
} // namespace

class TestMenuWidget : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString solidPicture(const QString &name, QSize size, QColor colour)
    {
        return MenuTesting::solidPicture(QDir(m_dir.path()), name, size, colour);
    }

private slots:
    void centresOnScreen()
    {
        ProbeMenu menu;
        menu.setSize(400, 180);
        menu.setOffsets(0, -65);
        menu.updateScreenPosition(QRect(0, 0, 1000, 700));
        QCOMPARE(menu.geometry(), QRect(300, 195, 400, 180));

        // The rectangle's own origin (a window's position) is not added.
        menu.setOffsets(7, 0);
        menu.updateScreenPosition(QRect(250, 100, 1001, 701));
        QCOMPARE(menu.geometry(), QRect(307, 260, 400, 180));
    }

    // Fitting with its 8-pixel margins, the panel keeps its size and offsets.
    void fittingPanelIsNotScaled()
    {
        ProbeMenu menu;
        menu.setSize(400, 180);
        menu.setOffsets(3, -5);
        menu.updateScreenPosition(QRect(0, 0, 416, 196));
        QCOMPARE(menu.panelScale(), 1.0);
        QCOMPARE(menu.geometry(), QRect(11, 3, 400, 180));
    }

    // Too big for its window, the panel is drawn scaled down uniformly and
    // centred, and a click lands on the button drawn under it.
    void bigPanelIsScaledToFit()
    {
        Backdrop backdrop;
        backdrop.resize(300, 200);
        ProbeMenu menu(&backdrop);
        menu.setSize(400, 300);
        menu.setOffsets(20, -40);
        menu.setBackground(solidPicture("fitbg.png", QSize(400, 300), Qt::gray));
        ButtonPixmap *button = menu.add(solidPicture("fitred.png", QSize(40, 40), Qt::red), 100, 80, 40, 3);
        menu.updateScreenPosition(QRect(0, 0, 300, 200));
        // The height limits: 200 - 2 * 8 pixels for 300.
        const qreal scale = 184.0 / 300.0;
        QCOMPARE(menu.panelScale(), scale);
        QCOMPARE(menu.size(), QSize(qCeil(400 * scale), qCeil(300 * scale)));
        QCOMPARE(menu.geometry(),
            QRect((300 - menu.width()) / 2, (200 - menu.height()) / 2, menu.width(), menu.height()));

        const QImage shot = menu.grab().toImage();
        QCOMPARE(shot.size(), menu.size());
        QCOMPARE(shot.pixelColor((QPointF(120, 100) * scale).toPoint()), QColor(Qt::red));
        QCOMPARE(shot.pixelColor((QPointF(150, 100) * scale).toPoint()), QColor(Qt::gray));

        // The button's place at full size, outside its scaled place: nothing.
        press(&menu, QPointF(110, 90));
        QVERIFY(!button->isPressed());
        release(&menu, QPointF(110, 90));
        press(&menu, QPointF(120, 100) * scale);
        QVERIFY(button->isPressed());
        release(&menu, QPointF(120, 100) * scale);

        // Back in a big window, it is the full-size panel again.
        menu.updateScreenPosition(QRect(0, 0, 1000, 700));
        QCOMPARE(menu.panelScale(), 1.0);
        QCOMPARE(menu.geometry(), QRect(320, 160, 400, 300));
    }

    void zeroSizeLeavesGeometry()
    {
        ProbeMenu menu;
        menu.setGeometry(11, 12, 13, 14);
        QTest::ignoreMessage(QtDebugMsg, "MenuWidget::updateScreenPosition - zero width, returning\n");
        menu.updateScreenPosition(QRect(0, 0, 1000, 700));
        QCOMPARE(menu.geometry(), QRect(11, 12, 13, 14));

        menu.setSize(400, 0);
        QTest::ignoreMessage(QtDebugMsg, "MenuWidget::updateScreenPosition - zero height, returning\n");
        menu.updateScreenPosition(QRect(0, 0, 1000, 700));
        QCOMPARE(menu.geometry(), QRect(11, 12, 13, 14));
    }

    void yPropertyMovesOnlyVertically()
    {
        ProbeMenu menu;
        menu.setGeometry(30, 40, 200, 100);
        QVERIFY(menu.setProperty("y", 77));
        QCOMPARE(menu.geometry(), QRect(30, 77, 200, 100));
        QCOMPARE(menu.property("y").toInt(), 77);

        QPropertyAnimation slide(&menu, "y");
        slide.setStartValue(-100);
        slide.setEndValue(50);
        slide.setDuration(300);
        slide.start();
        slide.setCurrentTime(300);
        QCOMPARE(menu.geometry(), QRect(30, 50, 200, 100));
    }

    void pressOnButtonReleaseAnywhere()
    {
        Backdrop backdrop;
        ProbeMenu menu(&backdrop);
        menu.setGeometry(0, 0, 300, 200);
        ButtonPixmap *button = menu.add(QString(), 10, 10, 64, 5);
        QSignalSpy released(button, &ButtonPixmap::released);

        press(&menu, QPointF(20, 20));
        QVERIFY(button->isPressed());
        release(&menu, QPointF(250, 190)); // far outside the button
        QCOMPARE(released.count(), 1);
        QCOMPARE(released.first().first().toInt(), 5);

        // A press beside every button presses nothing; its release fires nothing.
        click(&menu, QPointF(200, 150));
        QCOMPARE(released.count(), 1);

        // The panel keeps its clicks from the view beneath.
        QCOMPARE(backdrop.presses, 0);
        QCOMPARE(backdrop.releases, 0);
    }

    void inactiveButtonsNeverPress()
    {
        ProbeMenu menu;
        menu.setGeometry(0, 0, 300, 200);
        ButtonPixmap *disabled = menu.add(QString(), 10, 10, 64);
        ButtonPixmap *hidden = menu.add(QString(), 100, 10, 64);
        disabled->setEnabled(false);
        hidden->setVisible(false);
        QSignalSpy disabledReleased(disabled, &ButtonPixmap::released);
        QSignalSpy hiddenReleased(hidden, &ButtonPixmap::released);

        click(&menu, QPointF(20, 20));
        click(&menu, QPointF(110, 20));
        QVERIFY(!disabled->isPressed());
        QVERIFY(!hidden->isPressed());
        QCOMPARE(disabledReleased.count() + hiddenReleased.count(), 0);
    }

    // Arrows and Tab pass over disabled and hidden buttons; a button that
    // is hidden while focused hands the focus to the nearest one.
    void focusSkipsInactiveButtons()
    {
        ProbeMenu menu;
        menu.setGeometry(0, 0, 400, 200);
        ButtonPixmap *a = menu.add(QString(), 10, 10, 64);
        ButtonPixmap *disabled = menu.add(QString(), 90, 10, 64);
        ButtonPixmap *hidden = menu.add(QString(), 170, 10, 64);
        ButtonPixmap *d = menu.add(QString(), 250, 10, 64);
        ButtonPixmap *below = menu.add(QString(), 250, 100, 64);
        disabled->setEnabled(false);
        hidden->setVisible(false);
        QCOMPARE(menu.focusedButton(), a);
        QTest::keyClick(&menu, Qt::Key_Right);
        QCOMPARE(menu.focusedButton(), d);
        QTest::keyClick(&menu, Qt::Key_Left);
        QCOMPARE(menu.focusedButton(), a);
        QTest::keyClick(&menu, Qt::Key_Tab);
        QCOMPARE(menu.focusedButton(), d);
        QTest::keyClick(&menu, Qt::Key_Tab);
        QCOMPARE(menu.focusedButton(), below);
        QTest::keyClick(&menu, Qt::Key_Tab);
        QCOMPARE(menu.focusedButton(), a);
        // Right at the end of a row goes on to the next row.
        QTest::keyClick(&menu, Qt::Key_Right);
        QTest::keyClick(&menu, Qt::Key_Right);
        QCOMPARE(menu.focusedButton(), below);
        QTest::keyClick(&menu, Qt::Key_Up);
        QCOMPARE(menu.focusedButton(), d);
        d->setVisible(false);
        hidden->setVisible(true);
        QCOMPARE(menu.focusedButton(), hidden);
    }

    // Return presses the focused button and fires it on release; a key
    // the menu does not use goes on to the parent.
    void returnFiresTheFocusedButton()
    {
        Backdrop backdrop;
        ProbeMenu menu(&backdrop);
        menu.setGeometry(0, 0, 300, 200);
        menu.add(QString(), 10, 10, 64);
        ButtonPixmap *second = menu.add(QString(), 100, 10, 64);
        QSignalSpy released(second, &ButtonPixmap::released);
        menu.focusButton(second);
        QTest::keyPress(&menu, Qt::Key_Return);
        QVERIFY(second->isPressed());
        QCOMPARE(released.count(), 0);
        QTest::keyRelease(&menu, Qt::Key_Return);
        QVERIFY(!second->isPressed());
        QCOMPARE(released.count(), 1);
        // Alt+Return belongs to the window (fullscreen), not to the button.
        QTest::keyClick(&menu, Qt::Key_Return, Qt::AltModifier);
        QCOMPARE(released.count(), 1);
        QKeyEvent other(QEvent::KeyPress, Qt::Key_W, Qt::NoModifier);
        QCoreApplication::sendEvent(&menu, &other);
        QVERIFY(!other.isAccepted());
    }

    // The ring shows after a key and goes with a mouse press; on a dense
    // screen it is drawn at the device's pixels.
    void ringDrawnAfterKeysOnly()
    {
        ProbeMenu menu;
        menu.setSize(200, 120);
        menu.setBackground(solidPicture("ringbg.png", QSize(200, 120), Qt::gray));
        menu.updateScreenPosition(QRect(0, 0, 400, 300));
        QCOMPARE(menu.panelScale(), 1.0);
        menu.add(solidPicture("ringa.png", QSize(40, 40), Qt::red), 30, 40, 40);
        menu.add(solidPicture("ringb.png", QSize(40, 40), Qt::red), 130, 40, 40);
        MenuWidget::setFocusRingShown(false);
        const QImage plain = menu.grab().toImage();
        QTest::keyClick(&menu, Qt::Key_Right);
        QVERIFY(MenuWidget::focusRingShown());
        const QImage ringed = menu.grab().toImage();
        // Around the second button, not around the first.
        QVERIFY(plain.pixelColor(127, 60) != ringed.pixelColor(127, 60));
        QCOMPARE(plain.pixelColor(27, 60), ringed.pixelColor(27, 60));
        press(&menu, QPointF(5, 5));
        QVERIFY(!MenuWidget::focusRingShown());
        QCOMPARE(menu.grab().toImage(), plain);

        QTest::keyClick(&menu, Qt::Key_Left);
        QPixmap dense(menu.size() * 2);
        dense.setDevicePixelRatio(2);
        dense.fill(Qt::transparent);
        menu.render(&dense);
        const QImage denseImage = dense.toImage();
        // The ring's 3-pixel band: device pixels inside it in the ring's colour.
        int ringPixels = 0;
        for (int x = 2 * 20; x < 2 * 30; ++x)
            ringPixels += denseImage.pixelColor(x, 2 * 60).red() > 240
                && denseImage.pixelColor(x, 2 * 60).green() > 190;
        QVERIFY(ringPixels >= 4);
        MenuWidget::setFocusRingShown(false);
    }

    void doubleClickPressesLikeAClick()
    {
        ProbeMenu menu;
        menu.setGeometry(0, 0, 300, 200);
        ButtonPixmap *button = menu.add(QString(), 10, 10, 64);
        QSignalSpy released(button, &ButtonPixmap::released);
        sendMouse(&menu, QEvent::MouseButtonDblClick, QPointF(30, 30));
        QVERIFY(button->isPressed());
        release(&menu, QPointF(30, 30));
        QCOMPARE(released.count(), 1);
    }

    void overlappingButtonsPressTogether()
    {
        ProbeMenu menu;
        menu.setGeometry(0, 0, 300, 200);
        ButtonPixmap *a = menu.add(QString(), 10, 10, 64);
        ButtonPixmap *b = menu.add(QString(), 40, 40, 64);
        press(&menu, QPointF(50, 50));
        QVERIFY(a->isPressed());
        QVERIFY(b->isPressed());
    }

    // Background at its natural size, then the buttons in list order, so a
    // later button covers an earlier one.
    void paintOrder()
    {
        QVERIFY(m_dir.isValid());
        ProbeMenu menu;
        menu.setSize(100, 60);
        menu.setGeometry(0, 0, 100, 60);
        menu.setBackground(solidPicture("bg.png", QSize(80, 50), Qt::gray));
        menu.add(solidPicture("red.png", QSize(20, 20), Qt::red), 10, 10, 20);
        menu.add(solidPicture("blue.png", QSize(20, 20), Qt::blue), 20, 20, 20);

        QImage canvas(100, 60, QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        menu.paint(&painter);
        painter.end();
        QCOMPARE(canvas.pixelColor(5, 5), QColor(Qt::gray));
        QCOMPARE(canvas.pixelColor(90, 55), QColor(Qt::white)); // outside the picture
        QCOMPARE(canvas.pixelColor(15, 15), QColor(Qt::red));
        QCOMPARE(canvas.pixelColor(25, 25), QColor(Qt::blue));
    }

    void ownsItsButtons()
    {
        auto *menu = new ProbeMenu;
        QPointer<ButtonPixmap> button = menu->add(QString(), 0, 0, 64);
        QCOMPARE(menu->buttons().size(), 1);
        delete menu;
        QVERIFY(button.isNull());
    }

    void setUpAsAPanel()
    {
        ProbeMenu menu;
        QVERIFY(menu.testAttribute(Qt::WA_StaticContents));
        QVERIFY(menu.testAttribute(Qt::WA_NoSystemBackground));
        QCOMPARE(menu.windowModality(), Qt::ApplicationModal);
        QCOMPARE(menu.menuWidth(), 0);
        QCOMPARE(menu.menuHeight(), 0);
    }
};

QTEST_MAIN(TestMenuWidget)
#include "tst_menuwidget.moc"

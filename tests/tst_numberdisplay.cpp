// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap digit display: formatting, clamps, buffer size, layout.

#include "menus/numberdisplay.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <limits>

using Glyph = NumberDisplay::Glyph;

namespace {
// The columns (x) of a painted display that hold ink, in ascending order.
QVector<int> inkColumns(const NumberDisplay &display)
{
    QImage image(400, 100, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    display.paint(&painter);
    painter.end();
    QVector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qAlpha(image.pixel(x, y)) >= 40) {
                columns.append(x);
                break;
            }
        }
    }
    return columns;
}
} // namespace

class TestNumberDisplay : public QObject
{
    Q_OBJECT
private slots:
    void formatsIntegers_data()
    {
        QTest::addColumn<bool>("useMinutes");
        QTest::addColumn<bool>("plus");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("level number") << false << false << 12 << "12";
        QTest::newRow("unpadded seconds") << true << false << 65 << "1:5";
        QTest::newRow("just below a minute") << true << false << 59 << "59";
        QTest::newRow("negative minutes") << true << false << -75 << "-1:15";
        QTest::newRow("plus sign") << true << true << 5 << "+5";
        QTest::newRow("plus sign on zero") << false << true << 0 << "+0";
        QTest::newRow("clamped high") << true << true << 2000000000 << "+166:40";
        QTest::newRow("clamped low") << true << true << std::numeric_limits<int>::min() << "-16:40";
        QTest::newRow("clamped high plain") << false << true << 123456 << "+10000";
        QTest::newRow("clamped low plain") << false << false << -123456 << "-1000";
    }

    void formatsIntegers()
    {
        QFETCH(bool, useMinutes);
        QFETCH(bool, plus);
        QFETCH(int, value);
        QFETCH(QString, text);
        NumberDisplay display(0, 0, 150, 80, useMinutes, plus);
        QVERIFY(display.setValue(value));
        QCOMPARE(display.text(), text);
    }

    void formatsTimes_data()
    {
        QTest::addColumn<bool>("useMinutes");
        QTest::addColumn<bool>("plus");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("minutes") << true << false << 75.3 << "1:15.3";
        QTest::newRow("padded seconds") << true << false << 61.04 << "1:01.0";
        QTest::newRow("clamped to 10000") << true << false << 12345.6 << "166:40.0";
        QTest::newRow("below a minute") << true << false << 42.25 << "42.2";
        QTest::newRow("no minutes wanted") << false << false << 75.3 << "75.3";
        QTest::newRow("plus") << true << true << 3.5 << "+3.5";
        QTest::newRow("negative minutes") << true << true << -75.0 << "-1:15.0";
        QTest::newRow("negative seconds") << true << true << -5.5 << "-5.5";
        QTest::newRow("tiny negative keeps its sign") << true << true << -0.04 << "-0.0";
        QTest::newRow("zero with plus") << true << true << 0.0 << "+0.0";
        QTest::newRow("clamped low") << true << true << -5000.0 << "-16:40.0";
        QTest::newRow("infinity") << true << true << std::numeric_limits<double>::infinity() << "+166:40.0";
        QTest::newRow("clamped high plain") << false << true << 1e9 << "+10000.0";
        QTest::newRow("minus infinity")
            << false << false << -std::numeric_limits<double>::infinity() << "-1000.0";
        // Seconds that round up to a full minute carry into the minutes.
        QTest::newRow("rounds into next minute") << true << false << 119.97 << "2:00.0";
        QTest::newRow("rounds up to one minute") << true << false << 59.97 << "1:00.0";
        QTest::newRow("negative rounds to a minute") << true << true << -59.96 << "-1:00.0";
    }

    void formatsTimes()
    {
        QFETCH(bool, useMinutes);
        QFETCH(bool, plus);
        QFETCH(double, value);
        QFETCH(QString, text);
        NumberDisplay display(0, 0, 150, 80, useMinutes, plus);
        QVERIFY(display.setValue(qreal(value)));
        QCOMPARE(display.text(), text);
    }

    // The longest texts the clamps allow fit the ten-character buffer with
    // its terminator, whatever the options.
    void extremesFitTheBuffer()
    {
        // A text that did not fit would be cut, with a warning.
        QTest::failOnWarning(QRegularExpression(".*"));
        const double values[] = {10000.0, -1000.0, 9999.99, -999.99, 1e300, -1e300, 600.05, -600.05};
        int longest = 0;
        for (bool minutes : {false, true}) {
            for (bool plus : {false, true}) {
                for (double v : values) {
                    NumberDisplay display(0, 0, 150, 80, minutes, plus);
                    display.setValue(qreal(v));
                    longest = qMax(longest, int(display.text().size()));
                    NumberDisplay ints(0, 0, 150, 80, minutes, plus);
                    ints.setValue(int(qBound(-2e9, v, 2e9)));
                    longest = qMax(longest, int(ints.text().size()));
                }
            }
        }
        QCOMPARE(longest, 9); // "+166:40.0"
        QVERIFY(longest < NumberDisplay::kTextCapacity);
    }

    void sameValueTwiceIsNoChange()
    {
        NumberDisplay display(0, 0, 150, 80, true, false);
        QVERIFY(display.setValue(qreal(75.3)));
        QVERIFY(!display.setValue(qreal(75.3)));
        QCOMPARE(display.text(), QString("1:15.3"));
        QVERIFY(display.setValue(qreal(75.4)));
        QCOMPARE(display.text(), QString("1:15.4"));

        NumberDisplay ints(0, 0, 150, 80, false, false);
        QVERIFY(ints.setValue(3));
        QVERIFY(!ints.setValue(3));
        QCOMPARE(ints.text(), QString("3"));
    }

    // The dash stands for "no value": the next value is always shown, even
    // one equal to the value shown before the dash.
    void dashThenValue()
    {
        NumberDisplay display(0, 0, 150, 80, true, true);
        display.setValue(qreal(0.0));
        display.setDash();
        QCOMPARE(display.text(), QString("-"));
        QVERIFY(display.setValue(qreal(0.0)));
        QCOMPARE(display.text(), QString("+0.0"));
    }

    void nothingBeforeTheFirstValue()
    {
        NumberDisplay display(0, 0, 150, 80, true, true);
        QCOMPARE(display.text(), QString());
        QVERIFY(display.layout().isEmpty());
    }

    // Right-aligned: the ink of the last glyph ends 10 pixels inside the
    // rectangle's right edge; left-aligned: the first glyph's ink starts at
    // its left edge. Glyph positions are truncated to whole pixels.
    void alignedLayouts()
    {
        NumberDisplay right(80, 60, 150, 80, true, false);
        right.setValue(qreal(75.3));
        const QVector<Glyph> glyphs = right.layout();
        QCOMPARE(glyphs.size(), 6);
        const int expectedIndex[] = {1, NumberDisplay::GlyphColon, 1, 5, NumberDisplay::GlyphDot, 3};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(glyphs[i].index, expectedIndex[i]);
            QCOMPARE(glyphs[i].pos.y(), 70);
        }
        QCOMPARE(inkColumns(right).last(), 80 + 150 - 10 - 1);

        NumberDisplay left(208.6, 10.9, 150, 80, true, true);
        left.setLeftAligned(true);
        left.setValue(qreal(-75.0));
        QCOMPARE(left.layout().first().index, int(NumberDisplay::GlyphMinus));
        QCOMPARE(left.layout().first().pos.y(), 20);
        QCOMPARE(inkColumns(left).first(), 208);
        left.setValue(qreal(3.5));
        QCOMPARE(left.layout().first().index, int(NumberDisplay::GlyphPlus));
    }

    // Neighbouring glyphs stand as close as their ink allows: "10" reads as
    // one number, not "1 0".
    void digitsStandClose_data()
    {
        QTest::addColumn<int>("value");
        for (int v : {10, 11, 17, 24, 1000})
            QTest::newRow(qPrintable(QString::number(v))) << v;
    }

    void digitsStandClose()
    {
        QFETCH(int, value);
        NumberDisplay display(0, 0, 150, 40, false, false);
        display.setLeftAligned(true);
        display.setValue(value);
        const QVector<int> ink = inkColumns(display);
        QVERIFY(!ink.isEmpty());
        int widestGap = 0;
        for (int i = 1; i < ink.size(); ++i)
            widestGap = qMax(widestGap, ink[i] - ink[i - 1] - 1);
        QVERIFY2(widestGap <= 2, qPrintable(QString("gap of %1 pixels").arg(widestGap)));
    }

    void hiddenDisplayDrawsNothing()
    {
        NumberDisplay display(0, 0, 150, 80, false, false);
        display.setValue(5);
        display.setVisible(false);
        QVERIFY(display.layout().isEmpty());
        display.setVisible(true);
        QCOMPARE(display.layout().size(), 1);
    }

    void invalidCharacterStopsPainting()
    {
        NumberDisplay display(0, 0, 150, 80, true, false);
        display.setValue(std::numeric_limits<qreal>::quiet_NaN());
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression("^NumberDisplay::invalid character '.',numbers "
                               "'-?nan'$"));
        QVERIFY(display.layout().isEmpty());
    }

    void rectangleSetters()
    {
        NumberDisplay display(10, 20, 150, 80, false, false);
        display.setTop(50);
        QCOMPARE(display.rect(), QRectF(10, 50, 150, 50));
        display.setRect(1, 2, 3, 4);
        QCOMPARE(display.rect(), QRectF(1, 2, 3, 4));
    }

    void glyphSources()
    {
        const int xs[] = {0, 18, 37, 56, 75, 94, 113, 131, 150, 169};
        for (int i = 0; i < 10; ++i)
            QCOMPARE(NumberDisplay::glyphSourceRect(i), QRect(xs[i], 0, 16, 16));
        QCOMPARE(NumberDisplay::glyphSourceRect(NumberDisplay::GlyphDot), QRect(188, 0, 8, 16));
        QCOMPARE(NumberDisplay::glyphSourceRect(NumberDisplay::GlyphColon), QRect(197, 0, 8, 16));
        QCOMPARE(NumberDisplay::glyphSourceRect(NumberDisplay::GlyphPlus), QRect(211, 0, 16, 16));
        QCOMPARE(NumberDisplay::glyphSourceRect(NumberDisplay::GlyphMinus), QRect(230, 0, 16, 16));
        QTest::ignoreMessage(QtDebugMsg, "invalid number: 14");
        QVERIFY(NumberDisplay::glyphSourceRect(14).isNull());
        QTest::ignoreMessage(QtDebugMsg, "invalid number: -1");
        QVERIFY(NumberDisplay::glyphSourceRect(-1).isNull());
    }
};

QTEST_MAIN(TestNumberDisplay)
#include "tst_numberdisplay.moc"

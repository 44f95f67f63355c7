// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef NUMBERDISPLAY_H
#define NUMBERDISPLAY_H

#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QVector>

class QPainter;

// Level numbers, times and time differences drawn with the bitmap digit strip
// ":/images/numbers.png" (14 glyphs: 0-9 . : + -), set by the glyphs' ink. The owner formats a value
// with setValue() and paints the display with its own painter later on.
class NumberDisplay : public QObject
{
    Q_OBJECT
public:
    // Glyph indexes past the ten digits.
    enum SpecialGlyph { GlyphDot = 10, GlyphColon = 11, GlyphPlus = 12, GlyphMinus = 13, GlyphCount = 14 };

    // One glyph of the laid-out text at its truncated drawing position.
    struct Glyph
    {
        int index;
        QPoint pos;
    };

    NumberDisplay(qreal x, qreal y, qreal width, qreal height, bool useMinutes, bool showPlusSign,
        QObject *parent = nullptr);

    // Both return false, doing nothing, when the value equals the last one
    // formatted; otherwise the text is rebuilt and they return true. Values
    // are clamped to -1000 ... 10000 (seconds, for times).
    bool setValue(int value);
    bool setValue(qreal value);
    // Shows "-" (no value). The next setValue() always formats.
    void setDash();

    void setVisible(bool visible) { m_visible = visible; }
    bool isVisible() const { return m_visible; }
    void setLeftAligned(bool leftAligned) { m_leftAligned = leftAligned; }
    bool isLeftAligned() const { return m_leftAligned; }

    void setRect(qreal x, qreal y, qreal width, qreal height);
    // Moves the top edge and keeps the bottom edge where it is.
    void setTop(qreal y);
    QRectF rect() const { return QRectF(m_x, m_y, m_width, m_height); }

    QString text() const { return QString::fromLatin1(m_text); }

    // Where paint() puts each glyph of the current text. Empty when hidden;
    // stops (with a warning) at a character the strip has no glyph for.
    QVector<Glyph> layout() const;
    void paint(QPainter *painter) const;

    // Source rectangle of a glyph in the digit strip; a null rectangle (and
    // a debug message) for an index outside 0 ... 13.
    static QRect glyphSourceRect(int index);
    // Width in pixels of glyphs set side by side by their ink, and their
    // drawing positions when the first one's ink starts at x = left.
    static int inkWidth(const QVector<int> &indexes);
    static QVector<Glyph> setGlyphs(const QVector<int> &indexes, int left, int top);

    // Room for the longest text the clamps allow ("+166:40.0") and its NUL.
    static constexpr int kTextCapacity = 10;

private:
    void writeText(const char *format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(2, 3);

    double m_lastValue;
    qreal m_x;
    qreal m_y;
    qreal m_width;
    qreal m_height;
    // Decoded when first drawn: several displays are built at start on
    // panels shown later.
    mutable QPixmap m_digits;
    char m_text[kTextCapacity];
    bool m_useMinutes;
    bool m_showPlusSign;
    bool m_visible = true;
    bool m_leftAligned = false;
};

#endif

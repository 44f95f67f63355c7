// SPDX-License-Identifier: GPL-3.0-or-later
#include "numberdisplay.h"

#include "base/densepixmap.h"

#include <QDebug>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace {
// "Nothing formatted yet": NaN equals no value, so the next setValue()
// always formats.
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

constexpr int kMinValue = -1000;
constexpr int kMaxValue = 10000;
constexpr int kSecondsPerMinute = 60;

// Digit strip geometry, pixels.
constexpr double kGlyphPitch = 18.85;
constexpr int kGlyphHeight = 16;
constexpr int kWideGlyphWidth = 16;
constexpr int kNarrowGlyphWidth = 8;
constexpr int kColonSourceShift = 10;
constexpr int kSignSourceShift = 15;

// Layout, pixels: glyph top below the rectangle's top; every character is
// counted 16 wide for right alignment, which leaves a margin on the right.
// Glyphs are set by their ink (the opaque columns of their cell in the
// strip) with kGlyphGap pixels between neighbours, so that "10" reads as one
// number however narrow the "1" is.
constexpr qreal kGlyphTopOffset = 10;
constexpr qreal kRightMargin = 10;
constexpr int kGlyphGap = 1;
// A column belongs to the ink when a pixel in it is at least this opaque.
constexpr int kInkAlpha = 40;

struct Ink
{
    int left = 0; // first ink column, relative to the glyph's source rectangle
    int width = 0;
};

// Ink extents of every glyph, measured once from the strip; a glyph without
// ink (or no strip at all) keeps its whole cell.
const Ink &glyphInk(int index)
{
    static const QVector<Ink> inks = [] {
        QVector<Ink> result(NumberDisplay::GlyphCount);
        const QImage strip
            = QImage(QStringLiteral(":/images/numbers.png")).convertToFormat(QImage::Format_ARGB32);
        for (int i = 0; i < NumberDisplay::GlyphCount; ++i) {
            const QRect cell = NumberDisplay::glyphSourceRect(i);
            int first = -1;
            int last = -1;
            for (int x = cell.left(); x <= cell.right(); ++x) {
                for (int y = cell.top(); y <= cell.bottom() && !strip.isNull(); ++y) {
                    if (strip.valid(x, y) && qAlpha(strip.pixel(x, y)) >= kInkAlpha) {
                        first = first < 0 ? x : first;
                        last = x;
                        break;
                    }
                }
            }
            result[i] = first < 0 ? Ink {0, cell.width()} : Ink {first - cell.left(), last - first + 1};
        }
        return result;
    }();
    return inks[qBound(0, index, int(NumberDisplay::GlyphCount) - 1)];
}
} // namespace

NumberDisplay::NumberDisplay(
    qreal x, qreal y, qreal width, qreal height, bool useMinutes, bool showPlusSign, QObject *parent)
    : QObject(parent)
    , m_lastValue(kNoValue)
    , m_x(x)
    , m_y(y)
    , m_width(width)
    , m_height(height)
    , m_text {}
    , m_useMinutes(useMinutes)
    , m_showPlusSign(showPlusSign)
{ }

bool NumberDisplay::setValue(int value)
{
    if (double(value) == m_lastValue)
        return false;
    m_lastValue = value;

    int v = qBound(kMinValue, value, kMaxValue);
    const char *prefix = (m_showPlusSign && v >= 0) ? "+" : "";
    if (m_useMinutes && std::abs(v) >= kSecondsPerMinute) {
        if (v < 0) {
            v = -v;
            prefix = "-";
        }
        writeText("%s%d:%d", prefix, v / kSecondsPerMinute, v % kSecondsPerMinute);
    } else {
        writeText("%s%d", prefix, v);
    }
    return true;
}

bool NumberDisplay::setValue(qreal value)
{
    if (value == m_lastValue)
        return false;
    m_lastValue = value;

    // NaN passes the clamp unchanged and is printed as "nan", which paint()
    // refuses; it never reaches the integer conversion below.
    const qreal v = std::isnan(value) ? value : qBound(qreal(kMinValue), value, qreal(kMaxValue));
    const char *prefix = (m_showPlusSign && v >= 0) ? "+" : "";
    // Minutes and seconds are split from the value as it will be shown, to
    // one decimal: 119.97 is "2:00.0", not "1:60.0", and 59.97 is "1:00.0".
    const qreal shown = std::round(v * 10.0) / 10.0;
    if (m_useMinutes && std::abs(shown) >= kSecondsPerMinute) {
        if (v < 0)
            prefix = "-";
        const qreal magnitude = std::abs(shown);
        const int minutes = int(magnitude / kSecondsPerMinute);
        writeText("%s%d:%04.1f", prefix, minutes, magnitude - kSecondsPerMinute * minutes);
    } else {
        writeText("%s%.1f", prefix, v);
    }
    return true;
}

void NumberDisplay::setDash()
{
    m_lastValue = kNoValue;
    writeText("-");
}

void NumberDisplay::setRect(qreal x, qreal y, qreal width, qreal height)
{
    m_x = x;
    m_y = y;
    m_width = width;
    m_height = height;
}

void NumberDisplay::setTop(qreal y)
{
    m_height -= y - m_y;
    m_y = y;
}

QVector<NumberDisplay::Glyph> NumberDisplay::layout() const
{
    QVector<Glyph> glyphs;
    const int length = int(qstrlen(m_text));
    if (!m_visible || length == 0)
        return glyphs;

    QVector<int> indexes;
    for (int i = 0; i < length; ++i) {
        const char c = m_text[i];
        const int index = (c >= '0' && c <= '9') ? c - '0'
            : c == '.'                           ? int(GlyphDot)
            : c == ':'                           ? int(GlyphColon)
            : c == '+'                           ? int(GlyphPlus)
            : c == '-'                           ? int(GlyphMinus)
                                                 : -1;
        if (index < 0) {
            qWarning("NumberDisplay::invalid character '%c',numbers '%s'", c, m_text);
            break;
        }
        indexes.append(index);
    }
    const int y = int(m_y + kGlyphTopOffset);
    const int left = int(m_leftAligned ? m_x : m_x + m_width - kRightMargin - inkWidth(indexes));
    return setGlyphs(indexes, left, y);
}

int NumberDisplay::inkWidth(const QVector<int> &indexes)
{
    int width = 0;
    for (int index : indexes)
        width += glyphInk(index).width;
    return indexes.isEmpty() ? 0 : width + kGlyphGap * int(indexes.size() - 1);
}

QVector<NumberDisplay::Glyph> NumberDisplay::setGlyphs(const QVector<int> &indexes, int left, int top)
{
    QVector<Glyph> glyphs;
    int x = left;
    for (int index : indexes) {
        const Ink &ink = glyphInk(index);
        glyphs.append({index, QPoint(x - ink.left, top)});
        x += ink.width + kGlyphGap;
    }
    return glyphs;
}

void NumberDisplay::paint(QPainter *painter) const
{
    // Glyph rectangles count the strip's logical pixels.
    const QVector<Glyph> glyphs = layout();
    if (m_digits.isNull() && !glyphs.isEmpty())
        m_digits = DensePixmap::load(QStringLiteral(":/images/numbers.png"));
    for (const Glyph &glyph : glyphs) {
        const QRect source = glyphSourceRect(glyph.index);
        if (!source.isNull())
            painter->drawPixmap(QRectF(glyph.pos, QSizeF(source.size())), m_digits,
                DensePixmap::sourceRect(m_digits, source));
    }
}

QRect NumberDisplay::glyphSourceRect(int index)
{
    if (index < 0 || index >= GlyphCount) {
        qDebug("invalid number: %d", index);
        return QRect();
    }
    const int pitchX = int(index * kGlyphPitch);
    switch (index) {
    case GlyphDot:
        return QRect(pitchX, 0, kNarrowGlyphWidth, kGlyphHeight);
    case GlyphColon:
        return QRect(pitchX - kColonSourceShift, 0, kNarrowGlyphWidth, kGlyphHeight);
    case GlyphPlus:
    case GlyphMinus:
        return QRect(pitchX - kSignSourceShift, 0, kWideGlyphWidth, kGlyphHeight);
    default:
        return QRect(pitchX, 0, kWideGlyphWidth, kGlyphHeight);
    }
}

void NumberDisplay::writeText(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(m_text, sizeof m_text, format, args);
    va_end(args);
    // The clamps keep every text within the buffer; a longer one would be
    // cut here rather than overrun it.
    if (written < 0 || written >= kTextCapacity)
        qWarning("NumberDisplay: text '%s' cut to fit %d characters", m_text, kTextCapacity - 1);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "levelstartcard.h"

#include "base/densepixmap.h"
#include "cardstyle.h"
#include "menutext.h"

#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QTimer>

namespace {
// Card size and place, pixels: centred, its top this fraction of the view's
// height down (under the run clock's row).
constexpr int kWidth = 460;
constexpr int kHeight = 104;
constexpr qreal kTopFraction = 0.1;
using CardStyle::kBorderWidth;
using CardStyle::kCornerRadius;
using CardStyle::kFill;
using CardStyle::kTextColour;
using CardStyle::kTitleColour;
const QColor kBorder(245, 166, 35);

constexpr int kTitlePixelSize = 20;
constexpr int kTextPixelSize = 15;
constexpr qreal kTitleBaseline = 34;
constexpr qreal kRowTop = 52;
// Medal pictures (64 x 80) drawn at this size, each followed by its time.
constexpr QSizeF kMedalSize(26, 32.5);
constexpr qreal kMedalColumn = 104;
constexpr qreal kFirstMedalX = 22;
constexpr qreal kTimeGap = 6;
constexpr qreal kBestX = 338;

} // namespace

LevelStartCard::LevelStartCard(QWidget *parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
    , m_fade(new QPropertyAnimation(this, "opacity", this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    m_medals[0] = DensePixmap::load(QStringLiteral(":/images/gold.png"));
    m_medals[1] = DensePixmap::load(QStringLiteral(":/images/silver.png"));
    m_medals[2] = DensePixmap::load(QStringLiteral(":/images/bronze.png"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(kShowMs);
    m_fade->setDuration(kFadeMs);
    m_fade->setStartValue(1.0);
    m_fade->setEndValue(0.0);
    connect(m_timer, &QTimer::timeout, m_fade, [this] { m_fade->start(); });
    connect(m_fade, &QPropertyAnimation::finished, this, &QWidget::hide);
    hide();
}

void LevelStartCard::showLevel(
    int levelNumber, const QString &name, double gold, double silver, double bronze, double best)
{
    m_title
        = name.isEmpty() ? tr("Level %1").arg(levelNumber) : tr("Level %1: %2").arg(levelNumber).arg(name);
    m_times = {formatRunTime(gold), formatRunTime(silver), formatRunTime(bronze)};
    m_best = tr("Best: %1").arg(formatRunTime(best));
    m_face = QPixmap();
    m_fade->stop();
    setOpacity(1.0);
    place();
    show();
    raise();
    m_timer->start();
}

void LevelStartCard::dismiss()
{
    m_timer->stop();
    m_fade->stop();
    hide();
}

void LevelStartCard::setOpacity(qreal opacity)
{
    m_opacity = opacity;
    update();
}

void LevelStartCard::place()
{
    const QWidget *view = parentWidget();
    const int width = view ? view->width() : kWidth;
    const int height = view ? view->height() : kHeight;
    setGeometry((width - kWidth) / 2, int(height * kTopFraction), kWidth, kHeight);
}

void LevelStartCard::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    if (m_face.isNull() || m_face.devicePixelRatio() != ratio
        || m_face.deviceIndependentSize() != QSizeF(size()))
        paintFace();
    QPainter painter(this);
    painter.setOpacity(m_opacity);
    painter.drawPixmap(0, 0, m_face);
}

void LevelStartCard::paintFace()
{
    const qreal ratio = devicePixelRatioF();
    m_face = QPixmap(size() * ratio);
    m_face.setDevicePixelRatio(ratio);
    m_face.fill(Qt::transparent);
    QPainter painter(&m_face);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF card = QRectF(rect()).adjusted(kBorderWidth, kBorderWidth, -kBorderWidth, -kBorderWidth);
    painter.setPen(QPen(kBorder, kBorderWidth));
    painter.setBrush(kFill);
    painter.drawRoundedRect(card, kCornerRadius, kCornerRadius);

    painter.setFont(menuFont(kTitlePixelSize, true));
    painter.setPen(kTitleColour);
    painter.drawText(QRectF(0, 0, width(), kTitleBaseline + 6), Qt::AlignHCenter | Qt::AlignBottom,
        painter.fontMetrics().elidedText(m_title, Qt::ElideRight, width() - 24));

    painter.setFont(menuFont(kTextPixelSize, false));
    painter.setPen(kTextColour);
    for (int i = 0; i < 3 && i < m_times.size(); ++i) {
        const qreal x = kFirstMedalX + i * kMedalColumn;
        painter.drawPixmap(QRectF(QPointF(x, kRowTop), kMedalSize), m_medals[i], m_medals[i].rect());
        painter.drawText(
            QRectF(x + kMedalSize.width() + kTimeGap, kRowTop, kMedalColumn, kMedalSize.height()),
            Qt::AlignLeft | Qt::AlignVCenter, m_times[i]);
    }
    painter.setFont(menuFont(kTextPixelSize, true));
    painter.drawText(QRectF(kBestX, kRowTop, width() - kBestX - 12, kMedalSize.height()),
        Qt::AlignLeft | Qt::AlignVCenter, m_best);
}

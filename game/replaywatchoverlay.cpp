// SPDX-License-Identifier: GPL-3.0-or-later
#include "replaywatchoverlay.h"

#include "menus/cardstyle.h"
#include "menus/menutext.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QTimer>
#include <algorithm>

namespace {
// Band size, pixels: centred, its bottom this far above the view's bottom.
constexpr int kWidth = 840;
// The band keeps this much of the view's width free at either side.
constexpr int kSideMargin = 16;
constexpr int kBandHeight = 58;
constexpr int kMessageHeight = 30;
// A notice takes two lines at least, more where it needs them (a long file
// name), with this much room above and below its text.
constexpr int kNoticeHeight = 50;
constexpr int kNoticePadding = 20;
constexpr int kBottomMargin = 14;
using CardStyle::kBorderWidth;
using CardStyle::kCornerRadius;
using CardStyle::kFill;
const QColor kBorder(58, 143, 216);
const QColor kNoticeBorder(226, 70, 58);
const QColor kStateColour = CardStyle::kTitleColour;
const QColor kHintColour = CardStyle::kTextColour;
const QColor kMessageColour(255, 209, 102);

constexpr int kStatePixelSize = 18;
constexpr int kHintPixelSize = 12;
constexpr int kMessagePixelSize = 13;
constexpr qreal kStateBaseline = 26;
constexpr qreal kTextMargin = 14;
} // namespace

ReplayWatchOverlay::ReplayWatchOverlay(QWidget *parent)
    : QWidget(parent)
    , m_noticeTimer(new QTimer(this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    // The band keeps its place at the bottom of the view as the window
    // changes size (the view is sized after the band is made).
    if (parent)
        parent->installEventFilter(this);
    m_noticeTimer->setSingleShot(true);
    m_noticeTimer->setInterval(kNoticeMs);
    connect(m_noticeTimer, &QTimer::timeout, this, [this] {
        m_notice.clear();
        if (m_state.isEmpty())
            hide();
        else
            place();
    });
    hide();
}

QString ReplayWatchOverlay::keysHint()
{
    return tr("Space pause    Left / Right slower / faster    R restart    Esc back");
}

void ReplayWatchOverlay::showState(const QString &state, const QString &message)
{
    m_state = state;
    m_message = message;
    place();
    show();
    raise();
    update();
}

void ReplayWatchOverlay::showNotice(const QString &notice, int ms)
{
    m_notice = notice;
    place();
    show();
    raise();
    update();
    m_noticeTimer->start(ms);
}

int ReplayWatchOverlay::noticeHeight(int width) const
{
    const QFontMetrics metrics(menuFont(kMessagePixelSize, true));
    const int textWidth = width - 2 * int(kBorderWidth + kTextMargin);
    const QRect text = metrics.boundingRect(
        QRect(0, 0, std::max(1, textWidth), 0), Qt::AlignCenter | Qt::TextWordWrap, m_notice);
    return std::max(kNoticeHeight, text.height() + kNoticePadding);
}

void ReplayWatchOverlay::dismiss()
{
    m_state.clear();
    m_message.clear();
    if (m_notice.isEmpty())
        hide();
    else
        place();
}

bool ReplayWatchOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && !isHidden())
        place();
    return QWidget::eventFilter(watched, event);
}

void ReplayWatchOverlay::place()
{
    const QWidget *view = parentWidget();
    const int viewWidth = view ? view->width() : kWidth;
    const int viewHeight = view ? view->height() : kBandHeight;
    const int width = std::min(kWidth, viewWidth - 2 * kSideMargin);
    int height = 0;
    if (!m_state.isEmpty())
        height += kBandHeight + (m_message.isEmpty() ? 0 : kMessageHeight);
    if (!m_notice.isEmpty())
        height += noticeHeight(width) + (m_state.isEmpty() ? 0 : int(kBorderWidth) * 2);
    setGeometry((viewWidth - width) / 2, viewHeight - height - kBottomMargin, width, height);
}

void ReplayWatchOverlay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF area = QRectF(rect()).adjusted(kBorderWidth, kBorderWidth, -kBorderWidth, -kBorderWidth);
    if (!m_notice.isEmpty()) {
        const QRectF box(area.topLeft(), QSizeF(area.width(), noticeHeight(width()) - kBorderWidth * 2));
        painter.setPen(QPen(kNoticeBorder, kBorderWidth));
        painter.setBrush(kFill);
        painter.drawRoundedRect(box, kCornerRadius, kCornerRadius);
        painter.setFont(menuFont(kMessagePixelSize, true));
        painter.setPen(kStateColour);
        painter.drawText(
            box.adjusted(kTextMargin, 0, -kTextMargin, 0), Qt::AlignCenter | Qt::TextWordWrap, m_notice);
        area.setTop(box.bottom() + kBorderWidth * 3);
    }
    if (m_state.isEmpty())
        return;
    painter.setPen(QPen(kBorder, kBorderWidth));
    painter.setBrush(kFill);
    painter.drawRoundedRect(area, kCornerRadius, kCornerRadius);
    const QRectF text = area.adjusted(kTextMargin, 0, -kTextMargin, 0);
    qreal y = area.top();
    if (!m_message.isEmpty()) {
        painter.setFont(menuFont(kMessagePixelSize, true));
        painter.setPen(kMessageColour);
        painter.drawText(QRectF(text.left(), y, text.width(), kMessageHeight), Qt::AlignCenter,
            painter.fontMetrics().elidedText(m_message, Qt::ElideRight, int(text.width())));
        y += kMessageHeight;
    }
    painter.setFont(menuFont(kStatePixelSize, true));
    painter.setPen(kStateColour);
    painter.drawText(QRectF(text.left(), y, text.width(), kStateBaseline + 4),
        Qt::AlignHCenter | Qt::AlignBottom, m_state);
    painter.setFont(menuFont(kHintPixelSize, false));
    painter.setPen(kHintColour);
    painter.drawText(
        QRectF(text.left(), y + kStateBaseline + 6, text.width(), area.bottom() - y - kStateBaseline - 6),
        Qt::AlignHCenter | Qt::AlignTop, keysHint());
}

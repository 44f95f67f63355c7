#include "infomenu.h"

#include "buttonpixmap.h"
#include "menutext.h"
#include "projectinfo.h"

#include <QKeyEvent>
#include <QPainter>

namespace {
constexpr int kSmallScreenLift = 12;

constexpr int kTitlePixelSize = 18;
constexpr int kTextPixelSize = 12;
// Text block inside the panel's paper (pixels): left edge, width, the
// title's top and the distance between lines.
constexpr qreal kTextX = 30;
constexpr qreal kTextWidth = 419;
constexpr qreal kTitleY = 20;
constexpr qreal kFirstLineY = 52;
constexpr qreal kLineStep = 24;

// Where the main menu has its back button (the same panel picture).
constexpr qreal kButtonSize = 64;
constexpr qreal kBackX = 10;
constexpr qreal kBackY = 274;

} // namespace

InfoMenu::InfoMenu(const QSize &windowSize, QWidget *parent)
    : SubMenu(QStringLiteral(":images/mainmenu.png"), kSmallScreenLift, windowSize, parent)
    , m_titleFont(menuFont(kTitlePixelSize, true))
    , m_textFont(menuFont(kTextPixelSize, false))
{
    ButtonPixmap *back = addButton(QStringLiteral(":/images/back_off.png"),
        QStringLiteral(":/images/back_on.png"), kBackX, kBackY, kButtonSize, kButtonSize);
    connect(back, &ButtonPixmap::released, this, &InfoMenu::hideMenu);
}

void InfoMenu::setProgressPath(const QString &path)
{
    m_progressPath = path;
}

QStringList InfoMenu::lines() const
{
    QStringList text = {QString::fromLatin1(ProjectInfo::kName), QString::fromLatin1(ProjectInfo::kPublisher),
        tr("Version: %1.%2.%3 (PC)")
            .arg(ProjectInfo::kVersionMajor)
            .arg(ProjectInfo::kVersionMinor)
            .arg(ProjectInfo::kVersionBuild),
        QString::fromLatin1(ProjectInfo::kWebAddress),
        tr("Fonts: Bitstream Vera, (c) 2003 Bitstream, Inc., Bitstream Vera licence")};
    if (!m_progressPath.isEmpty())
        text.append(tr("Progress is kept in %1").arg(m_progressPath));
    text.append(tr("Keys: W / Up throttle, S / Down brake, A D / Left Right lean"));
    text.append(tr("R retry, Esc menu, G ghost, + - zoom, Page Up / Down volume (see Settings)"));
    return text;
}

void InfoMenu::paint(QPainter *painter)
{
    MenuWidget::paint(painter);
    const QStringList text = lines();
    painter->setPen(Qt::black);
    painter->setFont(m_titleFont);
    painter->drawText(
        QRectF(kTextX, kTitleY, kTextWidth, kLineStep), Qt::AlignLeft | Qt::AlignVCenter, text.first());
    painter->setFont(m_textFont);
    qreal y = kFirstLineY;
    for (int i = 1; i < text.size(); ++i, y += kLineStep) {
        // A long results path keeps its start and its file name.
        const QString line = painter->fontMetrics().elidedText(text[i], Qt::ElideMiddle, int(kTextWidth));
        painter->drawText(QRectF(kTextX, y, kTextWidth, kLineStep), Qt::AlignLeft | Qt::AlignVCenter, line);
    }
}

void InfoMenu::keyPressEvent(QKeyEvent *e)
{
    if (isBackKey(e->key())) {
        hideMenu();
        return;
    }
    SubMenu::keyPressEvent(e);
}

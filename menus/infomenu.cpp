#include "infomenu.h"

#include "buttonpixmap.h"
#include "projectinfo.h"

#include <QKeyEvent>
#include <QPainter>

namespace {
constexpr int kSmallScreenLift = 12;

constexpr int kTitlePointSize = 14;
constexpr int kTextPointSize = 12;
constexpr qreal kTextX = 30;
constexpr qreal kTitleY = 30;
constexpr qreal kPublisherY = 65;
constexpr qreal kVersionY = 95;
constexpr qreal kWebAddressY = 125;

constexpr qreal kButtonSize = 64;
constexpr qreal kBackX = 405;
constexpr qreal kBackY = 274;
} // namespace

InfoMenu::InfoMenu(QWidget *parent)
    : SubMenu(QStringLiteral(":images/mainmenu.png"), kSmallScreenLift, parent)
    , m_titleFont(QStringLiteral("Verdana"), kTitlePointSize, QFont::Bold)
    , m_textFont(QStringLiteral("Verdana"), kTextPointSize)
    , m_title(QString::fromLatin1(ProjectInfo::kName))
    , m_publisher(QString::fromLatin1(ProjectInfo::kPublisher))
    , m_version(QStringLiteral("Version: %1.%2.%3 (PC)")
                    .arg(ProjectInfo::kVersionMajor)
                    .arg(ProjectInfo::kVersionMinor)
                    .arg(ProjectInfo::kVersionBuild))
    , m_webAddress(QString::fromLatin1(ProjectInfo::kWebAddress))
{
    ButtonPixmap *back = addButton(QStringLiteral(":/images/back_off.png"),
        QStringLiteral(":/images/back_on.png"), kBackX, kBackY, kButtonSize, kButtonSize);
    connect(back, &ButtonPixmap::released, this, &InfoMenu::hideMenu);
}

QStringList InfoMenu::lines() const
{
    return {m_title.text(), m_publisher.text(), m_version.text(), m_webAddress.text()};
}

void InfoMenu::paint(QPainter *painter)
{
    MenuWidget::paint(painter);
    painter->setPen(Qt::black);
    painter->setFont(m_titleFont);
    painter->drawStaticText(QPointF(kTextX, kTitleY), m_title);
    painter->setFont(m_textFont);
    painter->drawStaticText(QPointF(kTextX, kPublisherY), m_publisher);
    painter->drawStaticText(QPointF(kTextX, kVersionY), m_version);
    painter->drawStaticText(QPointF(kTextX, kWebAddressY), m_webAddress);
}

void InfoMenu::keyPressEvent(QKeyEvent *e)
{
    if (isBackKey(e->key())) {
        hideMenu();
        return;
    }
    SubMenu::keyPressEvent(e);
}

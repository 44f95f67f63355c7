// SPDX-License-Identifier: GPL-3.0-or-later
#include "onscreencontrols.h"

#include "game/mygame.h"
#include "menus/buttonpixmap.h"

#include <QAbstractScrollArea>
#include <QPropertyAnimation>

namespace {
constexpr int kShowMs = 400;
constexpr int kHideMs = 300;

// Button pictures are 64 x 64; their hit areas reach far beyond them so
// that the lower corners of the window act as pads.
constexpr qreal kButtonSize = 64.0;
constexpr qreal kBrakeX = 15.0;
constexpr qreal kThrottleX = 500.0;
constexpr qreal kBottomInitialY = 100.0;
constexpr qreal kBrakeHitX = -60.0;
constexpr qreal kThrottleHitX = -70.0;
constexpr qreal kPadHitY = -110.0;
constexpr qreal kBrakeHitWidth = 204.0;
constexpr qreal kThrottleHitWidth = 194.0;
constexpr qreal kPadHitHeight = 234.0;
constexpr qreal kMenuButtonX = 14.0;
constexpr qreal kMenuButtonY = 6.0;
constexpr qreal kMenuButtonHit = -10.0;
constexpr qreal kMenuButtonHitSize = 66.0;
constexpr qreal kTopButtonsY = 10.0;
// The whole top strip of the window opens the in-game menu.
constexpr qreal kMenuStripHeight = 90.0;

// Margins: large windows keep the pads further from the edges.
constexpr int kLargeViewMinHeight = 501;
constexpr qreal kLargeMargin = 35.0;
constexpr qreal kLargeExtra = 15.0;
constexpr qreal kSmallMargin = 20.0;
// Resting y of the pads lies this far below the top of their picture slot.
constexpr qreal kBottomRestOffset = 12.0;
} // namespace

OnScreenControls::OnScreenControls(QAbstractScrollArea *view)
    : QObject(view)
    , m_view(view)
{
    m_showAnimation = new QPropertyAnimation(this, "controlsPosition", this);
    m_showAnimation->setDuration(kShowMs);
    m_showAnimation->setStartValue(kHidden);
    m_showAnimation->setEndValue(kShown);
    m_showAnimation->setEasingCurve(QEasingCurve::OutBack);
    connect(m_showAnimation, &QPropertyAnimation::finished, this, &OnScreenControls::layoutMenuButtonHitArea);

    m_hideAnimation = new QPropertyAnimation(this, "controlsPosition", this);
    m_hideAnimation->setDuration(kHideMs);
    m_hideAnimation->setStartValue(kShown);
    m_hideAnimation->setEndValue(kHidden);
    m_hideAnimation->setEasingCurve(QEasingCurve::InCubic);
    connect(m_hideAnimation, &QPropertyAnimation::finished, this, &OnScreenControls::hideFinished);
}

OnScreenControls::~OnScreenControls()
{
    qDeleteAll(m_buttons);
}

ButtonPixmap *OnScreenControls::newButton(const QString &off, const QString &on, qreal x, qreal y, qreal hitX,
    qreal hitY, qreal hitWidth, qreal hitHeight)
{
    auto *button
        = new ButtonPixmap(off, on, x, y, kButtonSize, kButtonSize, hitX, hitY, hitWidth, hitHeight, 0);
    m_buttons.append(button);
    return button;
}

void OnScreenControls::create(MyGame *game)
{
    qDeleteAll(m_buttons);
    m_buttons.clear();
    m_touchHeld.clear();

    m_brakeButton
        = newButton(QStringLiteral(":/images/brake_off.png"), QStringLiteral(":/images/brake_on.png"),
            kBrakeX, kBottomInitialY, kBrakeHitX, kPadHitY, kBrakeHitWidth, kPadHitHeight);
    connect(m_brakeButton, &ButtonPixmap::pressed, game, &MyGame::brakeOnBike);
    connect(m_brakeButton, &ButtonPixmap::released, game, &MyGame::brakeOffBike);

    m_throttleButton
        = newButton(QStringLiteral(":/images/throttle_off.png"), QStringLiteral(":/images/throttle_on.png"),
            kThrottleX, kBottomInitialY, kThrottleHitX, kPadHitY, kThrottleHitWidth, kPadHitHeight);
    connect(m_throttleButton, &ButtonPixmap::pressed, game, &MyGame::throttleOnBike);
    connect(m_throttleButton, &ButtonPixmap::released, game, &MyGame::throttleOffBike);

    m_topButtonsY = kTopButtonsY;
    m_menuButton = newButton(QStringLiteral(":/images/ingamemenu_off.png"),
        QStringLiteral(":/images/ingamemenu_on.png"), kMenuButtonX, kMenuButtonY, kMenuButtonHit,
        kMenuButtonHit, kMenuButtonHitSize, kMenuButtonHitSize);
    connect(m_menuButton, &ButtonPixmap::pressed, this, [this] { m_menuReleaseSuppressed = false; });
    connect(m_menuButton, &ButtonPixmap::released, this, [this] {
        if (!m_menuReleaseSuppressed)
            emit menuRequested();
    });

    layout();
    hideFinished();
    m_menuButton->setVisible(true);
    setPosition(kHidden);
}

void OnScreenControls::update()
{
    m_view->viewport()->update();
}

void OnScreenControls::setPosition(qreal position)
{
    m_position = position;
    const qreal bottomY = (kShown - position) + m_bottomButtonsY;
    if (m_throttleButton)
        m_throttleButton->setY(bottomY);
    if (m_brakeButton)
        m_brakeButton->setY(bottomY);
    if (m_menuButton)
        m_menuButton->setY(position - kShown + m_topButtonsY);
    layoutMenuButtonHitArea();
    update();
}

void OnScreenControls::show()
{
    for (ButtonPixmap *button : {m_throttleButton, m_brakeButton, m_menuButton}) {
        if (button)
            button->setVisible(true);
    }
    update();
    m_showAnimation->start();
}

void OnScreenControls::hide()
{
    m_hideAnimation->start();
}

void OnScreenControls::hideFinished()
{
    if (m_throttleButton)
        m_throttleButton->setVisible(false);
    if (m_brakeButton)
        m_brakeButton->setVisible(false);
    layoutMenuButtonHitArea();
    update();
}

void OnScreenControls::setButtonsOff()
{
    for (ButtonPixmap *button : {m_throttleButton, m_brakeButton}) {
        if (button && button->isVisible())
            button->setPressed(false);
    }
}

void OnScreenControls::layout()
{
    if (!m_throttleButton || !m_brakeButton)
        return;
    const qreal vw = m_view->viewport()->width();
    const qreal vh = m_view->viewport()->height();
    const bool large = vh >= kLargeViewMinHeight;
    const qreal margin = large ? kLargeMargin : kSmallMargin;
    const qreal extra = large ? kLargeExtra : 0.0;
    const qreal y = vh - m_throttleButton->size().height() - margin - extra;
    m_bottomButtonsY = y + kBottomRestOffset;
    m_brakeButton->setPos(margin, y);
    m_throttleButton->setPos(vw - m_throttleButton->size().width() - margin, y);
    layoutMenuButtonHitArea();
}

void OnScreenControls::layoutMenuButtonHitArea()
{
    if (m_menuButton)
        m_menuButton->setHitArea(
            -m_menuButton->x(), -m_menuButton->y(), m_view->viewport()->width(), kMenuStripHeight);
}

bool OnScreenControls::pressAt(const QPointF &pos)
{
    bool hit = false;
    for (ButtonPixmap *button : std::as_const(m_buttons)) {
        if (button->isActive() && button->contains(pos)) {
            button->setPressed(true);
            update();
            hit = true;
        }
    }
    return hit;
}

bool OnScreenControls::pressTouch(int pointId, const QPointF &pos)
{
    QVector<ButtonPixmap *> &held = m_touchHeld[pointId];
    for (ButtonPixmap *button : std::as_const(m_buttons)) {
        if (button->isActive() && button->contains(pos) && !held.contains(button))
            held.append(button);
    }
    return pressAt(pos);
}

void OnScreenControls::releaseTouch(int pointId)
{
    const QVector<ButtonPixmap *> released = m_touchHeld.take(pointId);
    QVector<ButtonPixmap *> stillHeld;
    for (const QVector<ButtonPixmap *> &buttons : std::as_const(m_touchHeld))
        stillHeld += buttons;
    bool padLifted = false;
    for (ButtonPixmap *button : released) {
        if (stillHeld.contains(button) || !m_buttons.contains(button) || !button->isPressed())
            continue;
        button->setPressed(false);
        padLifted = padLifted || button == m_throttleButton || button == m_brakeButton;
        update();
    }
    if (!padLifted)
        return;
    for (ButtonPixmap *pad : {m_brakeButton, m_throttleButton}) {
        if (pad && pad->isActive() && pad->isPressed())
            emit pad->pressed(pad->buttonId());
    }
}

void OnScreenControls::releaseAll()
{
    m_touchHeld.clear();
    for (ButtonPixmap *button : std::as_const(m_buttons)) {
        if (button->isActive() && button->isPressed()) {
            button->setPressed(false);
            update();
        }
    }
}

bool OnScreenControls::padPressed() const
{
    return (m_throttleButton && m_throttleButton->isPressed())
        || (m_brakeButton && m_brakeButton->isPressed());
}

void OnScreenControls::paint(QPainter *painter) const
{
    for (ButtonPixmap *button : std::as_const(m_buttons))
        button->paint(painter);
}

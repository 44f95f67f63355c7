// SPDX-License-Identifier: GPL-3.0-or-later
#include "submenu.h"

#include <QPropertyAnimation>

namespace {
constexpr int kMenuWidth = 479;
constexpr int kMenuHeight = 344;
constexpr int kHiddenY = -401;
constexpr int kSmallScreenHeight = 350;
constexpr int kShowMs = 750;
constexpr int kHideMs = 487;
} // namespace

SubMenu::SubMenu(const QString &background, int smallScreenLift, const QSize &windowSize, QWidget *parent)
    : MenuWidget(parent)
{
    setMenuSize(kMenuWidth, kMenuHeight);
    setBackground(background);

    const QRect screen(QPoint(), windowSize);
    m_hiddenY = kHiddenY;
    m_visibleY = int((screen.height() - kMenuHeight) * 0.5);
    if (screen.height() < kSmallScreenHeight) {
        m_visibleY -= smallScreenLift;
        m_offsetY = -smallScreenLift;
    }
    placeAtVisibleY(screen);

    setUpSliding(kShowMs, kHideMs);
    connect(m_hideAnimation, &QPropertyAnimation::finished, this, &SubMenu::hideMenuFinished);
}

void SubMenu::showMenu()
{
    slideIn();
}

void SubMenu::hideMenu()
{
    slideOut();
}

void SubMenu::hideMenuFinished()
{
    setVisible(false);
    emit ok();
}

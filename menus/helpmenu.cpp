// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpmenu.h"

#include "buttonpixmap.h"

#include <QKeyEvent>

namespace {
constexpr qreal kButtonSize = 64;
constexpr qreal kNextX = 395;
constexpr qreal kNextY = 264;
} // namespace

HelpMenu::HelpMenu(const QSize &windowSize, QWidget *parent)
    : SubMenu(QStringLiteral(":images/helpmenu-pc.png"), 0, windowSize, parent)
{
    m_next = addButton(QStringLiteral(":/images/next_off.png"), QStringLiteral(":/images/next_on.png"),
        kNextX, kNextY, kButtonSize, kButtonSize);
    connect(m_next, &ButtonPixmap::released, this, &HelpMenu::hideMenu);
}

bool HelpMenu::isCloseKey(int key)
{
    return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
}

void HelpMenu::keyPressEvent(QKeyEvent *e)
{
    if (isCloseKey(e->key())) {
        m_next->setPressed(true);
        update();
        return;
    }
    SubMenu::keyPressEvent(e);
}

void HelpMenu::keyReleaseEvent(QKeyEvent *e)
{
    if (isCloseKey(e->key())) {
        m_next->setPressed(false);
        hideMenu();
        update();
        return;
    }
    SubMenu::keyReleaseEvent(e);
}

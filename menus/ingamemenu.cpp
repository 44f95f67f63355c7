// SPDX-License-Identifier: GPL-3.0-or-later
#include "ingamemenu.h"

#include "buttonpixmap.h"

#include <QKeyEvent>
#include <QPropertyAnimation>

namespace {
constexpr int kMenuWidth = 400;
constexpr int kMenuHeight = 180;
constexpr int kHiddenY = -230;
// The panel rests in the upper part of the screen: at 3/8 of the free
// height rather than at 1/2.
constexpr double kVisibleShare = 0.75 * 0.5;
constexpr double kOffsetShare = -0.25 * 0.5;
constexpr int kShowMs = 550;
constexpr int kHideMs = 357;

// Five buttons 74 apart, centred under the captions of the panel picture.
constexpr qreal kButtonSize = 64;
constexpr qreal kButtonY = 58;
constexpr qreal kButtonSpacing = 74;
constexpr qreal kBackX = 20;
constexpr qreal kResetX = kBackX + kButtonSpacing;
constexpr qreal kMenuX = kResetX + kButtonSpacing;
constexpr qreal kSettingsX = kMenuX + kButtonSpacing;
constexpr qreal kExitX = kSettingsX + kButtonSpacing;
// The ghost's button in the top-right corner, beside the title.
constexpr qreal kGhostButtonSize = 44;
constexpr qreal kGhostX = 336;
constexpr qreal kGhostY = 10;
const QString kGhostOnImage = QStringLiteral(":/images/ghoston");
const QString kGhostOffImage = QStringLiteral(":/images/ghostoff");
const QString kGhostAuthorImage = QStringLiteral(":/images/ghostauthor");
} // namespace

InGameMenu::InGameMenu(const QSize &windowSize, QWidget *parent)
    : MenuWidget(parent)
{
    setMenuSize(kMenuWidth, kMenuHeight);
    setBackground(QStringLiteral(":images/ingamemenu.png"));

    const QRect screen(QPoint(), windowSize);
    const int freeHeight = screen.height() - kMenuHeight;
    m_hiddenY = kHiddenY;
    m_visibleY = int(freeHeight * kVisibleShare);
    m_offsetY = int(freeHeight * kOffsetShare);
    placeAtVisibleY(screen);

    auto add = [this](const char *name, qreal x) {
        const QString base = QStringLiteral(":/images/") + QLatin1String(name);
        return addButton(base + QStringLiteral("_off.png"), base + QStringLiteral("_on.png"), x, kButtonY,
            kButtonSize, kButtonSize);
    };
    m_back = add("back", kBackX);
    connect(m_back, &ButtonPixmap::released, this, &InGameMenu::hideMenu);
    connect(add("reset", kResetX), &ButtonPixmap::released, this, &InGameMenu::resetAction);
    connect(add("menu", kMenuX), &ButtonPixmap::released, this, &InGameMenu::menuAction);
    m_settings = add("settings", kSettingsX);
    connect(m_settings, &ButtonPixmap::released, this, &InGameMenu::settingsAction);
    connect(add("exit", kExitX), &ButtonPixmap::released, this, &InGameMenu::exitAction);
    m_ghost = addButton(kGhostOnImage + QStringLiteral("_off.png"), kGhostOnImage + QStringLiteral("_on.png"),
        kGhostX, kGhostY, kGhostButtonSize, kGhostButtonSize);
    connect(m_ghost, &ButtonPixmap::released, this, &InGameMenu::ghostToggled);

    setUpSliding(kShowMs, kHideMs);
    connect(m_hideAnimation, &QPropertyAnimation::finished, this, &InGameMenu::hideMenuFinished);
}

void InGameMenu::setGhostShown(GhostShown shown)
{
    m_ghostShown = shown;
    const QString base = shown == GhostShown::Off ? kGhostOffImage
        : shown == GhostShown::Author             ? kGhostAuthorImage
                                                  : kGhostOnImage;
    m_ghost->setOffPixmap(base + QStringLiteral("_off.png"));
    m_ghost->setOnPixmap(base + QStringLiteral("_on.png"));
    update();
}

void InGameMenu::showMenu()
{
    focusButton(m_back);
    slideIn();
}

void InGameMenu::showAgain()
{
    m_pendingAction = Action::None;
    slideIn();
}

void InGameMenu::slideOut(Action action)
{
    m_pendingAction = action;
    MenuWidget::slideOut();
}

void InGameMenu::hideMenu()
{
    slideOut(Action::BackInGame);
}

void InGameMenu::hideAndReset()
{
    slideOut(Action::Reset);
}

void InGameMenu::exitAction()
{
    slideOut(Action::Exit);
}

void InGameMenu::resetAction()
{
    slideOut(Action::Reset);
}

void InGameMenu::settingsAction()
{
    slideOut(Action::Settings);
}

void InGameMenu::menuAction()
{
    slideOut(Action::MainMenu);
}

void InGameMenu::keyPressEvent(QKeyEvent *e)
{
    // Back from the pause panel leads to the main menu, not into the run.
    if (isBackKey(e->key())) {
        slideOut(Action::MainMenu);
        return;
    }
    MenuWidget::keyPressEvent(e);
}

void InGameMenu::hideMenuFinished()
{
    setVisible(false);
    switch (m_pendingAction) {
    case Action::Reset:
        emit reset();
        break;
    case Action::MainMenu:
        emit mainmenu();
        break;
    case Action::BackInGame:
        emit backInGame();
        break;
    case Action::Exit:
        emit exit();
        break;
    case Action::Settings:
        emit settingsRequested();
        break;
    case Action::None:
        break;
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "gamepanels.h"

#include "game/gameview.h"
#include "levels/level.h"
#include "levels/levelmanager.h"
#include "menus/helpmenu.h"
#include "menus/infomenu.h"
#include "menus/ingamemenu.h"
#include "menus/levelcompletedmenu.h"
#include "menus/levelstartcard.h"
#include "menus/mainmenu.h"
#include "menus/settingsmenu.h"
#include "world/runoutcome.h"

#include <QEvent>

using Screen = ScreenFlow::Screen;

GamePanels::GamePanels(LevelManager *levels, bool soundsOn, const QSize &windowSize, GameView *view,
    ScreenFlow *flow, QObject *parent)
    : QObject(parent)
    , m_flow(flow)
{
    m_mainMenu = new MainMenu(levels, soundsOn, windowSize, view);
    m_inGameMenu = new InGameMenu(windowSize, view);
    m_levelCompletedMenu = new LevelCompletedMenu(windowSize, view);
    m_startCard = view ? new LevelStartCard(view) : nullptr;
    m_settingsMenu = new SettingsMenu(windowSize, view);
    for (MenuWidget *menu : slidingMenus())
        if (menu)
            menu->installEventFilter(this);
}

QVector<MenuWidget *> GamePanels::slidingMenus() const
{
    return {m_settingsMenu, m_mainMenu->helpMenu(), m_mainMenu->infoMenu(), m_mainMenu, m_inGameMenu,
        m_levelCompletedMenu};
}

std::optional<ScreenFlow::Screen> GamePanels::screenOf(const QObject *object) const
{
    if (!object)
        return std::nullopt;
    if (object == m_settingsMenu)
        return Screen::Settings;
    if (object == m_mainMenu->helpMenu())
        return Screen::Help;
    if (object == m_mainMenu->infoMenu())
        return Screen::Info;
    if (object == m_mainMenu)
        return Screen::MainMenu;
    if (object == m_inGameMenu)
        return Screen::Paused;
    if (object == m_levelCompletedMenu)
        return Screen::Results;
    return std::nullopt;
}

MenuWidget *GamePanels::activePanel() const
{
    for (MenuWidget *menu : slidingMenus()) {
        if (menu && screenOf(menu) == m_flow->screen())
            return menu;
    }
    return nullptr;
}

bool GamePanels::deferBackKey()
{
    for (MenuWidget *menu : slidingMenus()) {
        if (menu && menu->isSlidingOut()) {
            menu->deferBackKey();
            return true;
        }
    }
    return false;
}

bool GamePanels::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        if (const std::optional<Screen> screen = screenOf(watched)) {
            if (event->type() == QEvent::Show) {
                m_flow->enter(*screen);
            } else if (m_flow->is(*screen)) {
                emit slidOut();
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

bool GamePanels::carryOut(ScreenFlow::Action action, Need need)
{
    using Action = ScreenFlow::Action;
    if (need == Need::NoLevel) {
        if (action == Action::CloseSettings)
            m_settingsMenu->hideMenu();
        else if (action == Action::CloseHelp)
            m_mainMenu->hideHelp();
        else if (action == Action::Quit)
            m_mainMenu->exitAction();
        else
            return false;
        return true;
    }
    if (action == Action::Resume)
        m_inGameMenu->hideMenu();
    else if (action == Action::PanelRetry && m_flow->is(Screen::Paused))
        m_inGameMenu->hideAndReset();
    else if (action == Action::PanelRetry)
        m_levelCompletedMenu->hideAndReset();
    else if (action == Action::MenuRetry)
        m_mainMenu->hideAndResetCurrentLevel();
    else
        return false;
    return true;
}

void GamePanels::updateScreenPosition(const QRect &screen, bool fullScreen)
{
    m_inGameMenu->updateScreenPosition(screen);
    m_levelCompletedMenu->updateScreenPosition(screen);
    m_mainMenu->updateScreenPosition(screen);
    m_settingsMenu->updateScreenPosition(screen);
    // F11 may switch the window while the settings panel shows.
    m_settingsMenu->setFullScreen(fullScreen);
}

void GamePanels::dismissStartCard()
{
    if (m_startCard)
        m_startCard->dismiss();
}

void GamePanels::showStartCard(Level *level, LevelManager *levels)
{
    if (!m_startCard || !level || level->levelNumber() < 1)
        return;
    m_startCard->showLevel(level->levelNumber(),
        levels->levelName(level->levelPackNumber(), level->levelNumber()), level->goldTime(),
        level->silverTime(), level->bronzeTime(), level->bestTime());
}

void GamePanels::showRunOutcome(const RunOutcome &outcome, Level *level, LevelManager *levels, qreal runTime)
{
    dismissStartCard();
    const bool finished = !outcome.failed;
    // The medal to aim for next: one better than this run's, or, after a
    // crash, one better than the level holds.
    const std::optional<LevelStatus> aim = nextBetterMedal(finished ? outcome.medal : level->status());
    const double aimTime = aim == LevelStatus::Gold ? level->goldTime()
        : aim == LevelStatus::Silver                ? level->silverTime()
                                                    : level->bronzeTime();
    m_levelCompletedMenu->setRunDetails(levels->levelName(level->levelPackNumber(), level->levelNumber()),
        finished ? runTime : 0.0, aim, aim ? aimTime : 0.0);
    m_levelCompletedMenu->showMenu(outcome);
}

void GamePanels::showGhostMode(GhostRider::Mode mode)
{
    switch (mode) {
    case GhostRider::Mode::Off:
        m_inGameMenu->setGhostShown(InGameMenu::GhostShown::Off);
        break;
    case GhostRider::Mode::Best:
        m_inGameMenu->setGhostShown(InGameMenu::GhostShown::Best);
        break;
    case GhostRider::Mode::Author:
        m_inGameMenu->setGhostShown(InGameMenu::GhostShown::Author);
        break;
    }
}

void GamePanels::openSettings(
    MenuWidget *returnTo, int volume, bool soundsOn, bool fullScreen, const KeyBindings &keys)
{
    m_settingsReturn = returnTo;
    m_settingsMenu->setVolume(volume);
    m_settingsMenu->setSoundsOn(soundsOn);
    m_settingsMenu->setFullScreen(fullScreen);
    m_settingsMenu->setKeyBindings(keys);
    m_settingsMenu->showMenu();
}

void GamePanels::closeSettings()
{
    MenuWidget *returnTo = m_settingsReturn;
    m_settingsReturn = nullptr;
    if (returnTo == m_inGameMenu)
        m_inGameMenu->showAgain();
    else
        m_mainMenu->showAgain();
}

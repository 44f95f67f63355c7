// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GAMEPANELS_H
#define GAMEPANELS_H

#include "game/ghostrider.h"
#include "game/screenflow.h"

#include <QObject>
#include <QVector>
#include <optional>

class GameView;
class InGameMenu;
class KeyBindings;
class Level;
class LevelCompletedMenu;
class LevelManager;
class LevelStartCard;
class MainMenu;
class MenuWidget;
class QRect;
class QSize;
class SettingsMenu;
struct RunOutcome;

// The panels over the view (main menu with its info and help panels, the
// pause panel, the results, the settings) and the level's start card, and
// the screen each panel is: a panel sliding in is the flow's screen from
// then on; the screen's panel sliding out leaves a screen without a panel,
// which slidOut() asks the controller for. It fills the panels with what
// they show; which one shows is the controller's choice.
class GamePanels : public QObject
{
    Q_OBJECT
public:
    // The panels are children of view (which owns them); levels feeds the
    // main menu; flow is the controller's (outlives the panels' object).
    GamePanels(LevelManager *levels, bool soundsOn, const QSize &windowSize, GameView *view, ScreenFlow *flow,
        QObject *parent = nullptr);

    MainMenu *mainMenu() const { return m_mainMenu; }
    InGameMenu *inGameMenu() const { return m_inGameMenu; }
    LevelCompletedMenu *levelCompletedMenu() const { return m_levelCompletedMenu; }
    LevelStartCard *startCard() const { return m_startCard; }
    SettingsMenu *settingsMenu() const { return m_settingsMenu; }
    // Every panel that slides in and out.
    QVector<MenuWidget *> slidingMenus() const;
    // The screen a panel is; none for anything else.
    std::optional<ScreenFlow::Screen> screenOf(const QObject *object) const;
    // The panel of the flow's screen now, null on a screen without one.
    MenuWidget *activePanel() const;
    // While a panel slides out its decision is being carried out: a back
    // key is kept for the screen that follows (true then).
    bool deferBackKey();

    // Carries out a flow's action that is the panels' alone: closing the
    // settings or the help, quitting, resuming, retrying (a panel slides
    // out, then asks for the restart again). need: the actions done with
    // no level loaded, or those that need one. False for any other action.
    enum class Need { NoLevel, Level };
    bool carryOut(ScreenFlow::Action action, Need need);

    void updateScreenPosition(const QRect &screen, bool fullScreen);
    void dismissStartCard();
    // The level's name and goal times over the view as the run starts.
    void showStartCard(Level *level, LevelManager *levels);
    // The results panel of a finish or a crash (runTime of the finish).
    void showRunOutcome(const RunOutcome &outcome, Level *level, LevelManager *levels, qreal runTime);
    // The pause panel's ghost button shows the ghost's choice.
    void showGhostMode(GhostRider::Mode mode);
    // The settings panel over returnTo (the main or the pause panel), which
    // shows again when it closes (closeSettings).
    void openSettings(
        MenuWidget *returnTo, int volume, bool soundsOn, bool fullScreen, const KeyBindings &keys);
    void closeSettings();

signals:
    // The flow's screen lost its panel.
    void slidOut();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ScreenFlow *m_flow;
    MainMenu *m_mainMenu = nullptr;
    InGameMenu *m_inGameMenu = nullptr;
    LevelCompletedMenu *m_levelCompletedMenu = nullptr;
    LevelStartCard *m_startCard = nullptr;
    SettingsMenu *m_settingsMenu = nullptr;
    MenuWidget *m_settingsReturn = nullptr;
};

#endif

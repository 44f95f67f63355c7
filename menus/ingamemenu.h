// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef INGAMEMENU_H
#define INGAMEMENU_H

#include "menuwidget.h"

class ButtonPixmap;

// Pause panel of a run: back to the game, restart, main menu, settings or
// exit; a small button in the corner steps the ghost through its choices
// (the best run, the author's ride, off) and shows the current one, without
// leaving the panel.
class InGameMenu : public MenuWidget
{
    Q_OBJECT
public:
    // What the slide-out ends in.
    enum class Action { None, Reset, MainMenu, BackInGame, Exit, Settings };

    // windowSize: the window the layout is made for (the game's window at
    // start; updateScreenPosition() follows later resizes).
    explicit InGameMenu(const QSize &windowSize, QWidget *parent = nullptr);

    ButtonPixmap *backButton() const { return m_back; }
    ButtonPixmap *settingsButton() const { return m_settings; }
    ButtonPixmap *ghostButton() const { return m_ghost; }
    // The ghost's choices as the button shows them.
    enum class GhostShown { Off, Best, Author };
    void setGhostShown(GhostShown shown);
    GhostShown ghostShown() const { return m_ghostShown; }

signals:
    void backInGame();
    void exit();
    void reset();
    void mainmenu();
    // The settings button's slide-out has ended.
    void settingsRequested();
    // The ghost button was pressed: the ghost takes its next choice.
    void ghostToggled();

public slots:
    // Opens with the focus on the resume button.
    void showMenu();
    // Slides in again with the focus where it was, after the settings.
    void showAgain();
    void hideMenu();
    void hideAndReset();
    void exitAction();

protected:
    void keyPressEvent(QKeyEvent *e) override;

private slots:
    void resetAction();
    void menuAction();
    void settingsAction();
    void hideMenuFinished();

private:
    void slideOut(Action action);

    Action m_pendingAction = Action::None;
    ButtonPixmap *m_back = nullptr;
    ButtonPixmap *m_settings = nullptr;
    ButtonPixmap *m_ghost = nullptr;
    GhostShown m_ghostShown = GhostShown::Best;
};

#endif

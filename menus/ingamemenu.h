#ifndef INGAMEMENU_H
#define INGAMEMENU_H

#include "menuwidget.h"

class ButtonPixmap;

// Pause panel of a run: back to the game, restart, main menu, settings or
// exit; a small button in the corner turns the ghost on and off (and shows
// which it is) without leaving the panel.
class InGameMenu : public MenuWidget
{
    Q_OBJECT
public:
    // What the slide-out ends in.
    enum Action {
        NoAction = 0,
        ResetAction = 1,
        MainMenuAction = 2,
        BackInGameAction = 3,
        ExitAction = 4,
        SettingsAction = 5
    };

    // windowSize: the window the layout is made for (the game's window at
    // start; updateScreenPosition() follows later resizes).
    explicit InGameMenu(const QSize &windowSize, QWidget *parent = nullptr);

    ButtonPixmap *backButton() const { return m_back; }
    ButtonPixmap *settingsButton() const { return m_settings; }
    ButtonPixmap *ghostButton() const { return m_ghost; }
    // The ghost button's picture: on or off.
    void setGhostOn(bool on);
    bool ghostShownOn() const { return m_ghostOn; }

signals:
    void backInGame();
    void exit();
    void reset();
    void mainmenu();
    // The settings button's slide-out has ended.
    void settingsRequested();
    // The ghost button was pressed: the ghost goes on or off.
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
    ButtonPixmap *m_back = nullptr;
    ButtonPixmap *m_settings = nullptr;
    ButtonPixmap *m_ghost = nullptr;
    bool m_ghostOn = true;
};

#endif

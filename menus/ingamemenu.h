#ifndef INGAMEMENU_H
#define INGAMEMENU_H

#include "menuwidget.h"

// Pause panel of a run: back to the game, restart, main menu or exit.
class InGameMenu : public MenuWidget
{
    Q_OBJECT
public:
    // What the slide-out ends in.
    enum Action { NoAction = 0, ResetAction = 1, MainMenuAction = 2, BackInGameAction = 3, ExitAction = 4 };

    // windowSize: the window the layout is made for (the game's window at
    // start; updateScreenPosition() follows later resizes).
    explicit InGameMenu(const QSize &windowSize, QWidget *parent = nullptr);

signals:
    void backInGame();
    void exit();
    void reset();
    void mainmenu();

public slots:
    void showMenu();
    void hideMenu();
    void hideAndReset();
    void exitAction();

protected:
    void keyPressEvent(QKeyEvent *e) override;

private slots:
    void resetAction();
    void menuAction();
    void hideMenuFinished();
};

#endif

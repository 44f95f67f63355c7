// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SUBMENU_H
#define SUBMENU_H

#include "menuwidget.h"

// A 479 x 344 panel opened from the main menu (info, help). It slides in and
// out like every menu and emits ok() once it has slid out; the main menu then
// shows itself again.
class SubMenu : public MenuWidget
{
    Q_OBJECT
public:
    // smallScreenLift: pixels the panel sits higher on a screen lower than
    // 350 pixels.
    // windowSize: the window the layout is made for (the game's window at
    // start; updateScreenPosition() follows later resizes).
    SubMenu(
        const QString &background, int smallScreenLift, const QSize &windowSize, QWidget *parent = nullptr);

signals:
    void ok();

public slots:
    void showMenu();
    void hideMenu();

private slots:
    void hideMenuFinished();
};

#endif

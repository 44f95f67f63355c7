// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GAMEWINDOW_H
#define GAMEWINDOW_H

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// The game window covers 66 % of the primary screen in each direction and
// sits one sixth of the screen away from its top-left corner. Layouts ask
// gameWindowRect() rather than the window, so every menu built during a run
// agrees on the same size.
QRect gameWindowRect();
void placeGameWindow(QWidget *window);

// The arithmetic behind both, as a function of the screen size.
QRect gameWindowRectForScreen(const QSize &screen);
QPoint gameWindowPosForScreen(const QSize &screen);

#endif

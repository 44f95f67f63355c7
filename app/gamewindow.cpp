// SPDX-License-Identifier: GPL-3.0-or-later
#include "gamewindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {
// Share of the screen, each direction. Single precision on purpose: the
// window sizes (1267 x 712 on 1920 x 1080) follow from this exact value.
constexpr float kWindowShare = 0.66f;
constexpr int kOffsetDivisor = 6;

QSize primaryScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}
} // namespace

QRect gameWindowRectForScreen(const QSize &screen)
{
    const int h = int(double(kWindowShare) * screen.height());
    const int w = int(double(kWindowShare) * screen.width());
    return QRect(0, 0, w, h);
}

QPoint gameWindowPosForScreen(const QSize &screen)
{
    return QPoint(screen.width() / kOffsetDivisor, screen.height() / kOffsetDivisor);
}

QRect gameWindowRect()
{
    return gameWindowRectForScreen(primaryScreenSize());
}

void placeGameWindow(QWidget *window)
{
    const QSize screen = primaryScreenSize();
    const QRect r = gameWindowRectForScreen(screen);
    window->setGeometry(QRect(gameWindowPosForScreen(screen), r.size()));
    window->setVisible(true);
}

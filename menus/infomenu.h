// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef INFOMENU_H
#define INFOMENU_H

#include "keybindings.h"
#include "submenu.h"

#include <QFont>
#include <QStringList>

// Panel with the game's name, publisher, version and web address, the
// fonts' licence credit, where the player's progress is kept and the
// player's keys (as set in the settings).
class InfoMenu : public SubMenu
{
    Q_OBJECT
public:
    explicit InfoMenu(const QSize &windowSize, QWidget *parent = nullptr);

    void paint(QPainter *painter) override;

    // The results file named under "progress"; empty leaves that line out.
    void setProgressPath(const QString &path);
    // The keys the key lines name (the default keys until set).
    void setKeyBindings(const KeyBindings &bindings);
    // The text lines in drawing order (the title first).
    QStringList lines() const;

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    QFont m_titleFont;
    QFont m_textFont;
    QString m_progressPath;
    KeyBindings m_bindings;
};

#endif

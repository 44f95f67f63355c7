// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef INFOMENU_H
#define INFOMENU_H

#include "input/keybindings.h"
#include "submenu.h"

#include <QFont>
#include <QStringList>

// Panel with two views. The info view: the game's name, publisher,
// version and licences in short, the fonts' licence credit, where the
// player's progress is kept and the player's keys (as set in the
// settings). The about view: name, version, copyright, the licences of the
// code and of the levels, pictures and sounds, the fonts' credit, and that
// there is no warranty.
class InfoMenu : public SubMenu
{
    Q_OBJECT
public:
    enum View { InfoView, AboutView };

    explicit InfoMenu(const QSize &windowSize, QWidget *parent = nullptr);

    // The view shown (the info view until set); set it before showMenu().
    void setView(View view);
    View view() const { return m_view; }

    void paint(QPainter *painter) override;

    // The results file named under "progress"; empty leaves that line out.
    void setProgressPath(const QString &path);
    // The keys the key lines name (the default keys until set).
    void setKeyBindings(const KeyBindings &bindings);
    // The text lines of the view in drawing order (the title first).
    QStringList lines() const;

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    QStringList infoLines() const;
    QStringList aboutLines() const;
    QString versionLine() const;
    QString fontsLine() const;

    View m_view = InfoView;
    QFont m_titleFont;
    QFont m_textFont;
    QString m_progressPath;
    KeyBindings m_bindings;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HELPMENU_H
#define HELPMENU_H

#include "submenu.h"

// Panel with a picture of the controls, closed by its next button or by
// Escape, Return or Enter.
class HelpMenu : public SubMenu
{
    Q_OBJECT
public:
    explicit HelpMenu(const QSize &windowSize, QWidget *parent = nullptr);

protected:
    // The closing keys show the next button pressed and act on release.
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;

private:
    static bool isCloseKey(int key);

    ButtonPixmap *m_next;
};

#endif

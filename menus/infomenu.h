#ifndef INFOMENU_H
#define INFOMENU_H

#include "submenu.h"

#include <QFont>
#include <QStringList>

// Panel with the game's name, publisher, version and web address, the
// fonts' licence credit, where the player's progress is kept and the keys.
class InfoMenu : public SubMenu
{
    Q_OBJECT
public:
    explicit InfoMenu(const QSize &windowSize, QWidget *parent = nullptr);

    void paint(QPainter *painter) override;

    // The results file named under "progress"; empty leaves that line out.
    void setProgressPath(const QString &path);
    // The text lines in drawing order (the title first).
    QStringList lines() const;

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    QFont m_titleFont;
    QFont m_textFont;
    QString m_progressPath;
};

#endif

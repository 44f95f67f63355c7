#ifndef INFOMENU_H
#define INFOMENU_H

#include "submenu.h"

#include <QFont>
#include <QStaticText>

// Panel with the game's name, publisher, version and web address.
class InfoMenu : public SubMenu
{
    Q_OBJECT
public:
    explicit InfoMenu(QWidget *parent = nullptr);

    void paint(QPainter *painter) override;

    // The four text lines in drawing order.
    QStringList lines() const;

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    QFont m_titleFont;
    QFont m_textFont;
    QStaticText m_title;
    QStaticText m_publisher;
    QStaticText m_version;
    QStaticText m_webAddress;
};

#endif

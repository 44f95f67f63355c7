// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BUTTONPIXMAP_H
#define BUTTONPIXMAP_H

#include <QObject>
#include <QPixmap>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

// A picture button painted by its owner (a menu or the game view). The owner
// routes presses inside hitRect() and releases to setPressed(); the button
// only keeps its state and reports changes. Coordinates are the owner's.
class ButtonPixmap : public QObject
{
    Q_OBJECT
public:
    ButtonPixmap(const QString &offImage, const QString &onImage, qreal x, qreal y, qreal width, qreal height,
        qreal hitX, qreal hitY, qreal hitWidth, qreal hitHeight, int buttonId, QObject *parent = nullptr);

    void setOnPixmap(const QString &path);
    void setOffPixmap(const QString &path);
    void setDisabledPixmap(const QString &path);

    qreal x() const { return m_x; }
    qreal y() const { return m_y; }
    void setPos(qreal x, qreal y);
    void setY(qreal y);
    // Nominal size given at construction; drawing uses the picture's size.
    QSizeF size() const { return QSizeF(m_width, m_height); }

    // Hit area relative to the button's position.
    void setHitArea(qreal hitX, qreal hitY, qreal hitWidth, qreal hitHeight);
    QRectF hitRect() const { return m_hitRect; }
    bool contains(const QPointF &p) const { return m_hitRect.contains(p); }

    // Disabling or hiding a button drops a press silently, so a button that
    // comes back later never fires a release nobody started.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    void setVisible(bool visible);
    bool isVisible() const { return m_visible; }
    bool isActive() const { return m_enabled && m_visible; }
    bool isPressed() const { return m_pressed; }
    int buttonId() const { return m_buttonId; }

    const QPixmap &currentPixmap() const;
    void paint(QPainter *painter) const;

signals:
    void pressed(int buttonId);
    void released(int buttonId);

public slots:
    // Ignored unless the button is active and the state really changes.
    void setPressed(bool newval);

private:
    void updateHitRect();

    bool m_pressed = false;
    // Each picture is decoded when first drawn: most buttons are built at
    // start on panels shown later, if ever, and a pressed or disabled
    // picture may never be needed.
    QString m_onPath;
    QString m_offPath;
    QString m_disabledPath;
    mutable QPixmap m_onPixmap;
    mutable QPixmap m_offPixmap;
    mutable QPixmap m_disabledPixmap;
    mutable bool m_onDecoded = false;
    mutable bool m_offDecoded = false;
    mutable bool m_disabledDecoded = false;
    qreal m_x;
    qreal m_y;
    qreal m_width;
    qreal m_height;
    qreal m_hitX;
    qreal m_hitY;
    QSizeF m_hitSize;
    QRectF m_hitRect;
    bool m_enabled = true;
    bool m_visible = true;
    int m_buttonId;
};

#endif

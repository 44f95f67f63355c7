// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ONSCREENCONTROLS_H
#define ONSCREENCONTROLS_H

#include <QHash>
#include <QObject>
#include <QPointF>
#include <QVector>

class ButtonPixmap;
class MyGame;
class QAbstractScrollArea;
class QPainter;
class QPropertyAnimation;

// The buttons drawn over the game: brake and throttle pads in the lower
// corners and the in-game menu button at the top left, whose hit area is the
// whole top strip of the window. They slide in and out together:
// `controlsPosition` runs from 0 (off the screen) to 100 (in place), and is
// also the distance in pixels they travel. Positions are viewport pixels.
class OnScreenControls : public QObject
{
    Q_OBJECT
    Q_PROPERTY(qreal controlsPosition READ position WRITE setPosition)
public:
    static constexpr int kHidden = 0;
    static constexpr int kShown = 100;

    // view: the window whose viewport the controls are laid out in and
    // repainted through (the viewport may be replaced later).
    explicit OnScreenControls(QAbstractScrollArea *view);
    ~OnScreenControls() override;

    // Makes the buttons and connects the pads to the controller; a second
    // call replaces every button. The controls start hidden.
    void create(MyGame *game);

    qreal position() const { return m_position; }
    void setPosition(qreal position);
    // Resting y of the pads when shown.
    qreal bottomButtonsY() const { return m_bottomButtonsY; }

    ButtonPixmap *throttleButton() const { return m_throttleButton; }
    ButtonPixmap *brakeButton() const { return m_brakeButton; }
    ButtonPixmap *menuButton() const { return m_menuButton; }
    const QVector<ButtonPixmap *> &buttons() const { return m_buttons; }
    QPropertyAnimation *showAnimation() const { return m_showAnimation; }
    QPropertyAnimation *hideAnimation() const { return m_hideAnimation; }

    void show();
    void hide();
    // Lifts the visible pads: a new run starts with nothing held.
    void setButtonsOff();
    // Places the pads for the viewport's current size.
    void layout();

    // Presses every active button whose hit area holds pos; true when one
    // was hit (overlapping hit areas press several).
    bool pressAt(const QPointF &pos);
    // Releases every pressed button (and forgets every touch point).
    void releaseAll();
    // Touch: the point with this id presses what lies under pos and holds it
    // until releaseTouch(id); a button stays pressed while any point holds
    // it, and a pad still held after another one lets go takes effect again
    // (releasing the brake also ends the throttle).
    bool pressTouch(int pointId, const QPointF &pos);
    void releaseTouch(int pointId);
    bool padPressed() const;
    // A pinch ended: the menu button's release must not open the menu.
    void suppressMenuRelease() { m_menuReleaseSuppressed = true; }
    bool menuReleaseSuppressed() const { return m_menuReleaseSuppressed; }

    void paint(QPainter *painter) const;

signals:
    // The menu button (or the top strip) was pressed and released.
    void menuRequested();

private:
    ButtonPixmap *newButton(const QString &off, const QString &on, qreal x, qreal y, qreal hitX, qreal hitY,
        qreal hitWidth, qreal hitHeight);
    void layoutMenuButtonHitArea();
    void hideFinished();
    void update();

    QAbstractScrollArea *m_view;
    QVector<ButtonPixmap *> m_buttons;
    ButtonPixmap *m_throttleButton = nullptr;
    ButtonPixmap *m_brakeButton = nullptr;
    ButtonPixmap *m_menuButton = nullptr;
    QPropertyAnimation *m_showAnimation = nullptr;
    QPropertyAnimation *m_hideAnimation = nullptr;
    qreal m_position = kHidden;
    qreal m_topButtonsY = 10.0;
    qreal m_bottomButtonsY = 0.0;
    bool m_menuReleaseSuppressed = false;
    QHash<int, QVector<ButtonPixmap *>> m_touchHeld; // touch point id -> buttons it holds
};

#endif

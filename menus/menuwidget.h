// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MENUWIDGET_H
#define MENUWIDGET_H

#include <QList>
#include <QPixmap>
#include <QRectF>
#include <QVector>
#include <QWidget>

class ButtonPixmap;
class QPropertyAnimation;

// Base of every menu panel: a fixed-size child widget over the game view
// with a background picture and picture buttons painted over it. It centres
// itself on a screen rectangle, routes the mouse to its buttons and, for the
// menus that slide, animates its "y" property between a hidden position above
// the screen and its resting position.
//
// A panel that does not fit its screen rectangle with a small margin is
// shown scaled down uniformly and centred: the widget takes the scaled size,
// painting happens in the panel's own (unscaled) coordinates and mouse
// positions are mapped back, so buttons keep working where they are drawn.
//
// Keyboard and pad: arrows move a focus ring to the nearest focusable item
// that way, Tab and Shift+Tab go in reading order, Return and Enter press
// the focused item and fire it on release. Hidden and disabled buttons are
// never focused. The ring is drawn once keys or a pad are used
// and until the mouse is pressed again, on every panel alike.
//
// Menu actions are deferred: a subclass keeps its own typed action, stores
// it and calls slideOut(); it emits the matching signal when the slide-out
// has finished.
class MenuWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int y READ y WRITE setY)
public:
    explicit MenuWidget(QWidget *parent = nullptr);
    ~MenuWidget() override;

    void setY(int y);

    int menuWidth() const { return m_menuWidth; }
    int menuHeight() const { return m_menuHeight; }
    // Drawing scale of the panel: 1 where it fits, else below 1.
    qreal panelScale() const { return m_scale; }
    // The scale the panel takes on a screen of that size.
    qreal fitScale(const QSize &screen) const;
    const QList<ButtonPixmap *> &buttons() const { return m_buttons; }
    // Decoded on first use: most panels are built at start and not shown
    // until later, if ever.
    const QPixmap &background() const;

    // A focusable part of the panel: a button, or an item the panel draws
    // itself (id != 0). rect is in panel coordinates.
    struct FocusItem
    {
        QRectF rect;
        ButtonPixmap *button = nullptr;
        int id = 0;
    };
    // What can take the focus now; by default the active buttons.
    virtual QVector<FocusItem> focusItems() const;
    // Index of the focused item in focusItems(), -1 when there is none.
    int focusIndex() const;
    ButtonPixmap *focusedButton() const;
    int focusedId() const;
    static bool focusRingShown() { return s_focusRingShown; }
    static void setFocusRingShown(bool shown) { s_focusRingShown = shown; }
    // A pad button read as the key it stands for (Up, Down, Left, Right;
    // Return for A, Escape for B). Panels tell the two apart with
    // isPadKey() where it matters.
    void padKey(int key, bool pressed);

    // The panel is sliding out with its decision made.
    bool isSlidingOut() const;
    // A back key (Escape, a pad's B) that arrives while the panel slides
    // out is not the panel's any more: it is kept and handed on as
    // backKeyAfterSlideOut() once the panel is gone and its decision has
    // been carried out, for the state that follows.
    void deferBackKey();

    // Centres the menu on a screen rectangle of the given size (its origin is
    // not added), shifted by the menu's offsets. A sliding menu moves the ends
    // of its animations to the new resting y as well.
    virtual void updateScreenPosition(const QRect &screen);
    // Background at its natural size, then the buttons in list order.
    virtual void paint(QPainter *painter);
    virtual void setBackground(const QString &path);

signals:
    void backKeyAfterSlideOut();

protected:
    bool event(QEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

    void setMenuSize(int width, int height);
    // Creates a button owned by the menu and appends it to the button list.
    ButtonPixmap *addButton(const QString &offImage, const QString &onImage, qreal x, qreal y, qreal width,
        qreal height, int buttonId = 0);
    void paintButtons(QPainter *painter) const;

    // Puts the focus on a button or on a panel-drawn item.
    void focusButton(ButtonPixmap *button);
    void focusItemId(int id);
    // Fires a panel-drawn item (Return on it); buttons fire by themselves.
    virtual void activateFocusItem(const FocusItem &item);
    // Left (-1) or Right (+1) on the focused item; true when the item took
    // it (a slider), false to move the focus instead.
    virtual bool stepFocusItem(const FocusItem &item, int step);
    // True while a pad's button is being handled as a key.
    bool isPadKey() const { return m_padKey; }

    // y at which the menu rests on a screen of that size.
    int insideY(const QRect &screen, int y) const;
    int restingY(const QRect &screen) const;
    // Places the menu horizontally centred at y = m_visibleY (when scaled
    // down, centred both ways, which sets m_visibleY).
    void placeAtVisibleY(const QRect &screen);
    // Creates the show (m_hiddenY -> m_visibleY, OutBack) and hide
    // (m_visibleY -> m_hiddenY, InCubic) animations (durations in ms), then
    // leaves the menu hidden, taking keyboard focus by click or tab.
    void setUpSliding(int showMs, int hideMs);
    // Slide in: show, animate, take the keyboard.
    void slideIn();
    // Starts sliding out, once the subclass has stored what to do then. The
    // menu stays interactive meanwhile; a later action replaces the pending
    // one.
    void slideOut();
    // Escape and the media "previous" key: a menu's way back.
    static bool isBackKey(int key);

    int m_offsetX = 0;
    int m_offsetY = 0;
    int m_hiddenY = 0;
    int m_visibleY = 0;
    QPropertyAnimation *m_showAnimation = nullptr;
    QPropertyAnimation *m_hideAnimation = nullptr;

private:
    bool isHiddenPanel() const;
    static int scaledLength(int length, qreal scale);
    QSize scaledSize() const;
    // Left edge centring the panel, shifted by offsetX unless scaled.
    int centredX(const QRect &screen, int offsetX) const;

    void moveFocus(int index, const QVector<FocusItem> &items);

    static bool s_focusRingShown;
    FocusItem m_focus;
    bool m_hasFocus = false;
    bool m_padKey = false;
    bool m_backKeyDeferred = false;
    // The item Return/Enter pressed, fired by their release.
    ButtonPixmap *m_keyPressedButton = nullptr;
    int m_keyPressedId = 0;
    QString m_backgroundPath;
    mutable QPixmap m_background;
    mutable bool m_backgroundDecoded = false;
    QList<ButtonPixmap *> m_buttons;
    int m_menuWidth = 0;
    int m_menuHeight = 0;
    qreal m_scale = 1.0;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSMENU_H
#define SETTINGSMENU_H

#include "input/keybindings.h"
#include "submenu.h"

#include <QFont>

// The player's settings: volume (slider 0..100), sounds and fullscreen on
// or off, and the keys of each riding action. Choosing an action (click or
// Return) waits for the next key, which becomes the action's first key; a
// key another action held is taken from it and a note under the grid names
// both. Escape cancels the wait, a pad's B too; a pad's other buttons never
// become keys. The panel only shows and edits values: each change is
// announced by a signal, and the owner keeps, applies and stores it.
class SettingsMenu : public SubMenu
{
    Q_OBJECT
public:
    // Ids of the panel-drawn focus items (see MenuWidget::FocusItem); the
    // action cells are kActionItem + KeyBindings::Action.
    enum Item { VolumeItem = 1, SoundsItem, FullScreenItem, RestoreItem, kActionItem = 100 };
    static constexpr int kVolumeKeyStep = 5;

    // windowSize: the window the layout is made for (see SubMenu).
    explicit SettingsMenu(const QSize &windowSize, QWidget *parent = nullptr);

    void setVolume(int volume);
    void setSoundsOn(bool on);
    void setFullScreen(bool on);
    void setKeyBindings(const KeyBindings &bindings);
    int volume() const { return m_volume; }
    bool soundsOn() const { return m_soundsOn; }
    bool fullScreen() const { return m_fullScreen; }
    const KeyBindings &keyBindings() const { return m_bindings; }
    // The action waiting for its key, or KeyBindings::kNoAction.
    int capturingAction() const { return m_capturing; }
    // The line under the key grid ("J moved from Zoom in to Throttle").
    QString note() const { return m_note; }
    ButtonPixmap *backButton() const { return m_back; }

    QVector<FocusItem> focusItems() const override;
    void paint(QPainter *painter) override;

signals:
    void volumeChanged(int volume);
    void soundsChanged(bool on);
    void fullScreenChanged(bool on);
    void keyBindingsChanged(const KeyBindings &bindings);

public slots:
    // Opens with the volume slider focused and no note.
    void showMenu();

protected:
    void activateFocusItem(const FocusItem &item) override;
    bool stepFocusItem(const FocusItem &item, int step) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    void changeVolume(int volume);
    void volumeAt(qreal x);
    void startCapture(KeyBindings::Action action);
    void cancelCapture();
    void capture(int key);
    void restoreDefaults();
    void paintRow(QPainter *painter, const QRectF &rect, const QString &label) const;
    void paintToggle(QPainter *painter, const QRectF &rect, const QString &label, bool on) const;
    void paintSlider(QPainter *painter) const;
    void paintActionCell(QPainter *painter, int action) const;
    void paintRestoreButton(QPainter *painter) const;

    ButtonPixmap *m_back;
    QFont m_titleFont;
    QFont m_labelFont;
    QFont m_smallFont;
    int m_volume = 0;
    bool m_soundsOn = true;
    bool m_fullScreen = false;
    KeyBindings m_bindings;
    int m_capturing = KeyBindings::kNoAction;
    // The key just taken: its release must not fire the focused cell again.
    int m_swallowRelease = 0;
    bool m_draggingVolume = false;
    QString m_note;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KEYBINDINGS_H
#define KEYBINDINGS_H

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <array>

// The keyboard keys of the riding actions. Each action holds up to
// kMaxKeysPerAction keys (Qt::Key values, modifiers ignored) and a key
// belongs to at most one action. A key given to an action goes first in its
// list; the action's oldest key beyond the limit is dropped, and the key is
// taken away from whichever action held it before.
//
// Stored as text: a JSON object naming every action with the list of its
// key names, e.g. {"throttle":["W","Up"],...}; an action may have no key.
class KeyBindings
{
    Q_DECLARE_TR_FUNCTIONS(KeyBindings)
public:
    enum Action { Throttle, Brake, LeanBack, LeanForward, Restart, Menu, ZoomIn, ZoomOut };
    static constexpr int kActionCount = 8;
    static constexpr int kMaxKeysPerAction = 2;
    // actionForKey() and assign() when no action is meant.
    static constexpr int kNoAction = -1;

    // The default keys.
    KeyBindings();

    QList<int> keys(Action action) const { return m_keys[action]; }
    // The action of a key, or kNoAction.
    int actionForKey(int key) const;
    // Gives the key to the action; returns the action it was taken from, or
    // kNoAction. A key that is not assignable changes nothing.
    int assign(Action action, int key);
    void restoreDefaults();
    bool isDefault() const;

    // Keys the player cannot give to an action: the menus' own keys
    // (Escape, Tab), the volume keys, the fullscreen key and lone modifiers.
    static bool isAssignable(int key);
    // Shift, Control, Alt, Meta and the like, pressed on their own.
    static bool isModifier(int key);

    QString toText() const;
    // Parses toText()'s form. A text that is not a complete, consistent
    // binding of every action (bad JSON, unknown action or key name, a key
    // not assignable, listed twice or too many keys) is refused: false with
    // the reason in *error, and *this unchanged.
    bool fromText(const QString &text, QString *error);

    // Name in the stored text ("throttle") and name shown to the player.
    static QString actionName(Action action);
    static QString actionLabel(Action action);
    // The key as the player reads it ("Up", "W", "Backspace").
    static QString keyName(int key);
    // An action's keys for display, "W, Up"; "none" when it has none.
    QString keysText(Action action) const;

    bool operator==(const KeyBindings &other) const;
    bool operator!=(const KeyBindings &other) const { return !(*this == other); }

private:
    std::array<QList<int>, kActionCount> m_keys;
};

#endif

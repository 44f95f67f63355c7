// SPDX-License-Identifier: GPL-3.0-or-later
#include "keybindings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequence>
#include <QSet>

namespace {
struct ActionDefaults
{
    const char *name;
    const char *label;
    int keys[KeyBindings::kMaxKeysPerAction];
};

// In the order of KeyBindings::Action.
constexpr ActionDefaults kActions[KeyBindings::kActionCount] = {
    {"throttle", QT_TRANSLATE_NOOP("KeyBindings", "Throttle"), {Qt::Key_W, Qt::Key_Up}},
    {"brake", QT_TRANSLATE_NOOP("KeyBindings", "Brake"), {Qt::Key_S, Qt::Key_Down}},
    {"leanback", QT_TRANSLATE_NOOP("KeyBindings", "Lean back"), {Qt::Key_A, Qt::Key_Left}},
    {"leanforward", QT_TRANSLATE_NOOP("KeyBindings", "Lean forward"), {Qt::Key_D, Qt::Key_Right}},
    {"restart", QT_TRANSLATE_NOOP("KeyBindings", "Restart"), {Qt::Key_R, Qt::Key_Backspace}},
    {"menu", QT_TRANSLATE_NOOP("KeyBindings", "Menu"), {Qt::Key_Escape, Qt::Key_MediaPrevious}},
    {"zoomin", QT_TRANSLATE_NOOP("KeyBindings", "Zoom in"), {Qt::Key_Plus, Qt::Key_J}},
    {"zoomout", QT_TRANSLATE_NOOP("KeyBindings", "Zoom out"), {Qt::Key_Minus, Qt::Key_K}},
};

// A stored key the player cannot assign is still valid where it is one of
// the action's defaults (Escape for the menu).
bool isDefaultKeyOf(int action, int key)
{
    for (int k : kActions[action].keys) {
        if (k == key)
            return true;
    }
    return false;
}

// The key of a portable key name, or 0 when the name is not one plain key.
int parseKeyName(const QString &name)
{
    const QKeySequence sequence = QKeySequence::fromString(name, QKeySequence::PortableText);
    if (sequence.count() != 1)
        return 0;
    const QKeyCombination combination = sequence[0];
    if (combination.keyboardModifiers() != Qt::NoModifier)
        return 0;
    const int key = int(combination.key());
    return key == Qt::Key_unknown ? 0 : key;
}

QString portableName(int key)
{
    return QKeySequence(key).toString(QKeySequence::PortableText);
}
} // namespace

KeyBindings::KeyBindings()
{
    restoreDefaults();
}

void KeyBindings::restoreDefaults()
{
    for (int a = 0; a < kActionCount; ++a)
        m_keys[a] = {kActions[a].keys[0], kActions[a].keys[1]};
}

bool KeyBindings::operator==(const KeyBindings &other) const
{
    // Key by key: QList's own comparison hands an empty list's null data to
    // memcmp, which the undefined-behaviour checker reports.
    for (int a = 0; a < kActionCount; ++a) {
        const QList<int> &mine = m_keys[a];
        const QList<int> &theirs = other.m_keys[a];
        if (mine.size() != theirs.size())
            return false;
        for (int i = 0; i < mine.size(); ++i) {
            if (mine[i] != theirs[i])
                return false;
        }
    }
    return true;
}

bool KeyBindings::isDefault() const
{
    return *this == KeyBindings();
}

int KeyBindings::actionForKey(int key) const
{
    for (int a = 0; a < kActionCount; ++a) {
        if (m_keys[a].contains(key))
            return a;
    }
    return kNoAction;
}

bool KeyBindings::isModifier(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

bool KeyBindings::isAssignable(int key)
{
    switch (key) {
    case 0:
    case Qt::Key_unknown:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_F11:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return false;
    default:
        return !isModifier(key);
    }
}

int KeyBindings::assign(Action action, int key)
{
    if (!isAssignable(key))
        return kNoAction;
    const int from = actionForKey(key);
    if (from == action) {
        // Already this action's: it only moves to the front.
        m_keys[action].removeAll(key);
        m_keys[action].prepend(key);
        return kNoAction;
    }
    if (from != kNoAction)
        m_keys[from].removeAll(key);
    m_keys[action].prepend(key);
    while (m_keys[action].size() > kMaxKeysPerAction)
        m_keys[action].removeLast();
    return from;
}

QString KeyBindings::toText() const
{
    QJsonObject object;
    for (int a = 0; a < kActionCount; ++a) {
        QJsonArray names;
        for (int key : m_keys[a])
            names.append(portableName(key));
        object.insert(QLatin1String(kActions[a].name), names);
    }
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

bool KeyBindings::fromText(const QString &text, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *error = QStringLiteral("not a JSON object");
        return false;
    }
    const QJsonObject object = document.object();
    std::array<QList<int>, kActionCount> keys;
    QSet<int> seen;
    for (int a = 0; a < kActionCount; ++a) {
        const QString name = QLatin1String(kActions[a].name);
        const QJsonValue value = object.value(name);
        if (!value.isArray()) {
            *error = QStringLiteral("no key list for '%1'").arg(name);
            return false;
        }
        const QJsonArray names = value.toArray();
        if (names.size() > kMaxKeysPerAction) {
            *error = QStringLiteral("more than %1 keys for '%2'").arg(kMaxKeysPerAction).arg(name);
            return false;
        }
        for (const QJsonValue &keyName : names) {
            const int key = parseKeyName(keyName.toString());
            if (key == 0 || (!isAssignable(key) && !isDefaultKeyOf(a, key))) {
                *error = QStringLiteral("unknown key '%1' for '%2'").arg(keyName.toString(), name);
                return false;
            }
            if (seen.contains(key)) {
                *error = QStringLiteral("key '%1' given twice").arg(keyName.toString());
                return false;
            }
            seen.insert(key);
            keys[a].append(key);
        }
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool known = false;
        for (const ActionDefaults &action : kActions)
            known = known || it.key() == QLatin1String(action.name);
        if (!known) {
            *error = QStringLiteral("unknown action '%1'").arg(it.key());
            return false;
        }
    }
    m_keys = keys;
    return true;
}

QString KeyBindings::actionName(Action action)
{
    return QLatin1String(kActions[action].name);
}

QString KeyBindings::actionLabel(Action action)
{
    return tr(kActions[action].label);
}

QString KeyBindings::keyName(int key)
{
    switch (key) {
    case Qt::Key_Plus:
        return QStringLiteral("+");
    case Qt::Key_Minus:
        return QStringLiteral("-");
    case Qt::Key_MediaPrevious:
        return tr("Media back");
    default:
        return QKeySequence(key).toString(QKeySequence::NativeText);
    }
}

QString KeyBindings::keysText(Action action) const
{
    QStringList names;
    for (int key : m_keys[action])
        names.append(keyName(key));
    return names.isEmpty() ? tr("none") : names.join(QStringLiteral(", "));
}

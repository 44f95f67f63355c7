// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLAYERSETTINGS_H
#define PLAYERSETTINGS_H

#include "game/ghostrider.h"
#include "input/keybindings.h"

#include <QtGlobal>
#include <optional>

class LevelManager;

// The player's settings as typed values: the sound volume, the riding keys,
// the key zoom, fullscreen and the ghost's choice. Every name, default and
// check of what is stored lives here; the values are kept through
// LevelManager's player settings (results.db), as text. A stored value that
// does not pass its check is logged and the default is used instead, the
// stored text staying as it is until the player changes the setting.
class PlayerSettings
{
public:
    static constexpr int kDefaultVolume = 60;
    static constexpr int kMaxVolume = 100;

    // levels: where the settings are kept (outlives this).
    explicit PlayerSettings(LevelManager *levels);

    // Reads the volume and the keys (the values below until then are the
    // defaults).
    void restore();

    // The sound volume 0..100. setVolume clamps and keeps the value without
    // writing it; storeVolume writes it unless it is there already.
    int volume() const { return m_volume; }
    void setVolume(int volume);
    void storeVolume();

    const KeyBindings &keys() const { return m_keys; }
    // Keeps and writes the keys.
    void setKeys(const KeyBindings &keys);

    // The key zoom kept across starts, none when never set or damaged.
    std::optional<qreal> storedZoom() const;
    void storeZoom(qreal zoom);

    // Whether the game starts fullscreen, none when never set or damaged.
    std::optional<bool> storedFullScreen() const;
    void storeFullScreen(bool on);

    // The ghost's choice; the best run when never set or damaged.
    GhostRider::Mode storedGhost() const;
    void storeGhost(GhostRider::Mode mode);

private:
    LevelManager *m_levels;
    int m_volume = kDefaultVolume;
    KeyBindings m_keys;
};

#endif

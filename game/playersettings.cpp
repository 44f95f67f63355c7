// SPDX-License-Identifier: GPL-3.0-or-later
#include "playersettings.h"

#include "game/zoomlimits.h"
#include "levels/levelmanager.h"

#include <QDebug>
#include <algorithm>

namespace {
// The zoom is written with enough digits to read back the same double.
const QString kZoomSetting = QStringLiteral("zoom");
constexpr int kZoomDigits = 17;
// The volume 0..100 and the keys (KeyBindings' text).
const QString kVolumeSetting = QStringLiteral("volume");
const QString kKeysSetting = QStringLiteral("keys");
// "1" fullscreen, "0" in a window.
const QString kFullScreenSetting = QStringLiteral("fullscreen");
const QString kFullScreenOn = QStringLiteral("1");
const QString kFullScreenOff = QStringLiteral("0");
// The ghost: "on" (the best run), "author" or "off".
const QString kGhostSetting = QStringLiteral("ghost");
const QString kGhostBest = QStringLiteral("on");
const QString kGhostOff = QStringLiteral("off");
const QString kGhostAuthor = QStringLiteral("author");
} // namespace

PlayerSettings::PlayerSettings(LevelManager *levels)
    : m_levels(levels)
{ }

void PlayerSettings::restore()
{
    const QString volume = m_levels->playerSetting(kVolumeSetting);
    if (!volume.isNull()) {
        bool ok = false;
        const int value = volume.toInt(&ok);
        if (ok && value >= 0 && value <= kMaxVolume) {
            m_volume = value;
        } else {
            qWarning().noquote() << QStringLiteral(
                "Stored volume '%1' is not a number from 0 to %2; using %3.")
                                        .arg(volume)
                                        .arg(kMaxVolume)
                                        .arg(kDefaultVolume);
        }
    }

    const QString keys = m_levels->playerSetting(kKeysSetting);
    if (!keys.isNull()) {
        QString error;
        KeyBindings stored;
        if (stored.fromText(keys, &error))
            m_keys = stored;
        else
            qWarning().noquote() << QStringLiteral(
                "Stored keys '%1' are damaged (%2); using the default keys.")
                                        .arg(keys, error);
    }
}

void PlayerSettings::setVolume(int volume)
{
    m_volume = std::clamp(volume, 0, kMaxVolume);
}

void PlayerSettings::storeVolume()
{
    const QString value = QString::number(m_volume);
    if (m_levels->playerSetting(kVolumeSetting) != value)
        m_levels->setPlayerSetting(kVolumeSetting, value);
}

void PlayerSettings::setKeys(const KeyBindings &keys)
{
    m_keys = keys;
    m_levels->setPlayerSetting(kKeysSetting, keys.toText());
}

std::optional<qreal> PlayerSettings::storedZoom() const
{
    const QString stored = m_levels->playerSetting(kZoomSetting);
    if (stored.isNull())
        return std::nullopt;
    bool ok = false;
    const qreal z = stored.toDouble(&ok);
    if (!ok || !(z >= kMinZoom && z <= kMaxZoom)) {
        qWarning().noquote() << QStringLiteral(
            "Stored zoom '%1' is not a number in the zoom range; using the default.")
                                    .arg(stored);
        return std::nullopt;
    }
    return z;
}

void PlayerSettings::storeZoom(qreal zoom)
{
    m_levels->setPlayerSetting(kZoomSetting, QString::number(zoom, 'g', kZoomDigits));
}

std::optional<bool> PlayerSettings::storedFullScreen() const
{
    const QString value = m_levels->playerSetting(kFullScreenSetting);
    if (value.isNull())
        return std::nullopt;
    if (value != kFullScreenOn && value != kFullScreenOff) {
        qWarning("fullscreen setting \"%s\" is neither 1 nor 0; starting in a window", qPrintable(value));
        return std::nullopt;
    }
    return value == kFullScreenOn;
}

void PlayerSettings::storeFullScreen(bool on)
{
    m_levels->setPlayerSetting(kFullScreenSetting, on ? kFullScreenOn : kFullScreenOff);
}

GhostRider::Mode PlayerSettings::storedGhost() const
{
    const QString stored = m_levels->playerSetting(kGhostSetting);
    if (stored == kGhostOff)
        return GhostRider::Mode::Off;
    if (stored == kGhostAuthor)
        return GhostRider::Mode::Author;
    if (!stored.isNull() && stored != kGhostBest) {
        qWarning().noquote() << QStringLiteral(
            "Stored ghost setting '%1' is none of '%2', '%3' and '%4'; the ghost is on.")
                                    .arg(stored, kGhostBest, kGhostAuthor, kGhostOff);
    }
    return GhostRider::Mode::Best;
}

void PlayerSettings::storeGhost(GhostRider::Mode mode)
{
    m_levels->setPlayerSetting(kGhostSetting,
        mode == GhostRider::Mode::Off          ? kGhostOff
            : mode == GhostRider::Mode::Author ? kGhostAuthor
                                               : kGhostBest);
}

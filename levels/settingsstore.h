// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSSTORE_H
#define SETTINGSSTORE_H

#include "readbackoff.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <optional>

class QSqlError;

// The player's settings in results.db (attached as "result"): the sound
// setting in row 1 of "gamesettings" and the others as name/value text
// pairs in "playersetting". A change is queued and stored by savePending();
// one whose write failed stays queued, and reads back as if stored, until a
// write succeeds. While another program holds a lock on the file, reads
// answer from what was read at start or stored since (see ReadBackoff);
// other read failures are fatal ("DB error").
class SettingsStore
{
public:
    explicit SettingsStore(const QSqlDatabase &db);

    // True unless the stored (or queued) setting is off.
    bool soundsEnabled() const;
    void setSoundsEnabled(bool enabled) { m_pendingSounds = enabled; }
    // A name never set reads as a null QString, a value set to NULL as an
    // empty one.
    QString playerSetting(const QString &name) const;
    void setPlayerSetting(const QString &name, const QString &value)
    {
        m_pendingSettings.insert(name, value);
    }

    // Stores the sound setting, then the others. False with *error when a
    // write failed; what is not stored stays queued.
    bool savePending(QSqlError *error);
    bool hasPending() const { return m_pendingSounds || !m_pendingSettings.isEmpty(); }

private:
    void readKnown();
    bool readFailedBusy(const QSqlError &error) const;

    QSqlDatabase m_db;
    bool m_knownSounds = true;
    QHash<QString, QString> m_knownSettings;
    mutable ReadBackoff m_backoff;
    std::optional<bool> m_pendingSounds;
    QHash<QString, QString> m_pendingSettings;
};

#endif

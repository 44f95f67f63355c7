// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsstore.h"

#include "dbfailure.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
// The one row of "gamesettings" the game uses.
constexpr int kSettingsRow = 1;
} // namespace

SettingsStore::SettingsStore(const QSqlDatabase &db)
    : m_db(db)
{
    readKnown();
}

void SettingsStore::readKnown()
{
    m_knownSounds = soundsEnabled();
    if (!m_backoff.mayRead())
        return;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT name, value FROM result.playersetting"))) {
        if (readFailedBusy(query.lastError()))
            return;
        dbFailure("Error selecting playersetting:", query);
    }
    while (query.next()) {
        const QString value = query.value(1).toString();
        m_knownSettings.insert(query.value(0).toString(), value.isNull() ? QStringLiteral("") : value);
    }
}

bool SettingsStore::readFailedBusy(const QSqlError &error) const
{
    if (!ReadBackoff::isBusy(error))
        return false;
    m_backoff.busy();
    return true;
}

bool SettingsStore::soundsEnabled() const
{
    if (m_pendingSounds)
        return *m_pendingSounds;
    if (!m_backoff.mayRead())
        return m_knownSounds;
    QSqlQuery query(m_db);
    if (!query.prepare(QStringLiteral("SELECT sounds_enabled FROM result.gamesettings WHERE id = ? ")))
        dbFailure("Error preparing settings query:", query);
    query.addBindValue(kSettingsRow);
    if (!query.exec()) {
        if (readFailedBusy(query.lastError()))
            return m_knownSounds;
        dbFailure("Error selecting gamesettings:", query);
    }
    bool enabled = true;
    while (query.next()) {
        if (query.value(0).toInt() == 0)
            enabled = false;
    }
    return enabled;
}

QString SettingsStore::playerSetting(const QString &name) const
{
    const auto pending = m_pendingSettings.constFind(name);
    if (pending != m_pendingSettings.constEnd())
        return pending.value().isNull() ? QStringLiteral("") : pending.value();
    if (!m_backoff.mayRead())
        return m_knownSettings.value(name);
    QSqlQuery query(m_db);
    if (!query.prepare(QStringLiteral("SELECT value FROM result.playersetting WHERE name = ?")))
        dbFailure("Error preparing player-setting query:", query);
    query.addBindValue(name);
    if (!query.exec()) {
        if (readFailedBusy(query.lastError()))
            return m_knownSettings.value(name);
        dbFailure("Error selecting playersetting:", query);
    }
    if (!query.next())
        return QString();
    const QString value = query.value(0).toString();
    // A stored NULL reads as an empty, not a null, string: "set to nothing".
    return value.isNull() ? QStringLiteral("") : value;
}

bool SettingsStore::savePending(QSqlError *error)
{
    if (m_pendingSounds) {
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("UPDATE result.gamesettings SET sounds_enabled = ? WHERE id = ?"));
        query.addBindValue(*m_pendingSounds ? 1 : 0);
        query.addBindValue(kSettingsRow);
        if (!query.exec()) {
            *error = query.lastError();
            return false;
        }
        m_knownSounds = *m_pendingSounds;
        m_pendingSounds.reset();
    }
    for (auto it = m_pendingSettings.begin(); it != m_pendingSettings.end();) {
        QSqlQuery query(m_db);
        query.prepare(
            QStringLiteral("INSERT OR REPLACE INTO result.playersetting (name, value) VALUES (?, ?)"));
        query.addBindValue(it.key());
        query.addBindValue(it.value());
        if (!query.exec()) {
            *error = query.lastError();
            return false;
        }
        m_knownSettings.insert(it.key(), it.value().isNull() ? QStringLiteral("") : it.value());
        it = m_pendingSettings.erase(it);
    }
    return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "datapaths.h"

#include <QDir>
#include <QFileInfo>

namespace {
const char *const kLevelsDbName = "levels.db";
const char *const kResultsDbName = "results.db";
// Folder of the game's own files, both under the installation's share folder
// and under the player's data folder.
const char *const kGameFolder = "velocrag";

DataPaths &currentPaths()
{
    static DataPaths paths = DataPaths::workingDirectory();
    return paths;
}
} // namespace

DataPaths::DataPaths(const QStringList &levelsDbCandidates, const QString &resultsDbPath)
    : m_levelsDbCandidates(levelsDbCandidates)
    , m_resultsDbPath(resultsDbPath)
{ }

DataPaths DataPaths::workingDirectory()
{
    return DataPaths({QString::fromLatin1(kLevelsDbName)}, QString::fromLatin1(kResultsDbName));
}

DataPaths DataPaths::forExecutable(const QString &executableDir, const QString &dataHome)
{
    const QDir bin(executableDir);
    const QString shipped = QDir::cleanPath(bin.filePath(
        QStringLiteral("../share/%1/%2").arg(QLatin1String(kGameFolder), QLatin1String(kLevelsDbName))));
    const QString beside = QDir::cleanPath(bin.filePath(QString::fromLatin1(kLevelsDbName)));
    const QString results = QDir::cleanPath(
        QStringLiteral("%1/%2/%3").arg(dataHome, QLatin1String(kGameFolder), QLatin1String(kResultsDbName)));
    return DataPaths({shipped, beside}, results);
}

const DataPaths &DataPaths::current()
{
    return currentPaths();
}

void DataPaths::setCurrent(const DataPaths &paths)
{
    currentPaths() = paths;
}

QString DataPaths::findLevelsDb() const
{
    for (const QString &path : m_levelsDbCandidates) {
        const QFileInfo info(path);
        if (info.isFile() && info.isReadable())
            return path;
    }
    return QString();
}

QString DataPaths::levelsDbMissingMessage() const
{
    if (m_levelsDbCandidates.size() == 1) {
        const QString path = m_levelsDbCandidates.first();
        return QFileInfo::exists(path) ? QStringLiteral("Database file '%1' is not readable.").arg(path)
                                       : QStringLiteral("Database file '%1' is missing.").arg(path);
    }
    return QStringLiteral("Database file '%1' is missing or unreadable; tried '%2'.")
        .arg(QLatin1String(kLevelsDbName), m_levelsDbCandidates.join(QLatin1String("', '")));
}

QString DataPaths::replaysDir() const
{
    return QFileInfo(m_resultsDbPath).absolutePath() + QStringLiteral("/replays");
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "levelmanager.h"

#include "base/datapaths.h"
#include "base/fatalerror.h"
#include "base/pixmapshare.h"
#include "level.h"
#include "leveladmission.h"
#include "levelbuilder.h"
#include "levellimits.h"
#include "packtable.h"
#include "resultsstore.h"
#include "settingsstore.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QString nativeAbsolute(const QString &fileName)
{
    return QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
}
} // namespace

LevelManager::LevelManager(Physics *physics, QGraphicsScene *scene)
    : m_physics(physics)
    , m_scene(scene)
    , m_databases(nativeAbsolute(DataPaths::current().resultsDbPath()))
{
    if (!openDb())
        fatalError(QStringLiteral("Could not open db."));
}

LevelManager::~LevelManager()
{
    delete m_currentLevel;
}

bool LevelManager::openDb()
{
    if (!m_databases.open())
        return false;
    const QSqlDatabase db = m_databases.database();
    m_refusedLevels = LevelAdmission::refusedLevelIds(db);
    m_packs = std::make_unique<PackTable>(db);
    m_results = std::make_unique<ResultsStore>(db);
    m_builder = std::make_unique<LevelBuilder>(db, m_refusedLevels, m_results.get());
    m_settings = std::make_unique<SettingsStore>(db);
    return true;
}

bool LevelManager::createResultsDb()
{
    return m_databases.createResultsDb();
}

void LevelManager::unloadLevel()
{
    if (m_currentLevel) {
        m_currentLevel->clearItems();
        delete m_currentLevel;
        m_currentLevel = nullptr;
    }
}

Level *LevelManager::LoadLevel(int levelPackNumber, int levelNumber)
{
    unloadLevel();
    // The level's items share their pictures (a type's objects show one),
    // and those of the level before.
    PixmapShare pictures(m_levelPictures);
    m_currentLevel = new Level(m_physics, m_scene, nullptr);
    if (!m_builder->build(m_currentLevel, m_physics, levelPackNumber, levelNumber, *m_packs))
        return m_currentLevel;
    m_levelPictures = pictures.resourcePictures();
    m_currentLevelNumber = levelNumber;
    m_currentLevelPack = levelPackNumber;
    return m_currentLevel;
}

int LevelManager::levelsPerPack() const
{
    return LevelLimits::levelsPerPack;
}

QVector<LevelInfo> LevelManager::levelInfos(int levelPackNumber)
{
    if (levelPackNumber == 0)
        levelPackNumber = m_currentLevelPack;
    return m_results->levelInfos(levelPackNumber, m_refusedLevels);
}

int LevelManager::nextLevelNumber()
{
    const QVector<LevelInfo> infos = levelInfos(m_currentLevelPack);
    for (int i = 0; i < infos.size(); ++i) {
        if (infos[i].levelNumber() == m_currentLevelNumber)
            return i + 1 < infos.size() ? infos[i + 1].levelNumber() : 0;
    }
    return 0;
}

int LevelManager::frontierLevel(int levelPackNumber)
{
    for (const LevelInfo &info : levelInfos(levelPackNumber)) {
        if (!hasMedal(info.status()))
            return info.levelNumber();
    }
    return 0;
}

// Afterwards the level holds the stored best and its status (another copy
// of the game may have stored a better one, see ResultsStore).
bool LevelManager::saveLevelResult(Level *level)
{
    if (!level->isPlayable()) {
        qDebug("LevelManager::saveLevelResult - the level is not playable, nothing stored");
        return savePendingWrites();
    }
    m_results->queue(level->levelId(), levelStatusCode(level->status()), level->bestTime());
    const bool saved = savePendingWrites();
    if (saved || !m_results->isPending(level->levelId())) {
        const ResultsStore::Stored stored = m_results->lastStored(level->levelId());
        level->setLevelResultId(stored.rowId);
        if (stored.bestTime > 0.0 && stored.bestTime < level->bestTime()) {
            level->setBestTime(stored.bestTime, false);
            level->setStatus(levelStatusFromCode(stored.status));
        }
    }
    return saved;
}

bool LevelManager::savePendingWrites()
{
    QSqlError error;
    if (!m_results->savePending(&error) || !m_settings->savePending(&error))
        return writeFailed(error);
    m_lastWriteError.clear();
    return true;
}

bool LevelManager::hasPendingWrites() const
{
    return m_results->hasPending() || m_settings->hasPending();
}

bool LevelManager::writeFailed(const QSqlError &error)
{
    m_lastWriteError = LevelDatabases::failureReason(error);
    qWarning().noquote() << "LevelManager - could not write to" << resultsDbPath() << ":" << error.text();
    return false;
}

bool LevelManager::soundsEnabled()
{
    return m_settings->soundsEnabled();
}

bool LevelManager::setSoundsEnabled(bool enabled)
{
    m_settings->setSoundsEnabled(enabled);
    return savePendingWrites();
}

QString LevelManager::playerSetting(const QString &name)
{
    return m_settings->playerSetting(name);
}

bool LevelManager::setPlayerSetting(const QString &name, const QString &value)
{
    m_settings->setPlayerSetting(name, value);
    return savePendingWrites();
}

QString LevelManager::backgroundImage(int levelPackNumber) const
{
    return m_packs->background(levelPackNumber);
}

QString LevelManager::levelName(int levelPackNumber, int levelNumber) const
{
    // A file written before the names were kept fails to prepare: no name.
    QSqlQuery query(m_databases.database());
    if (!query.prepare(
            QStringLiteral("SELECT name FROM level WHERE levelpack_number = ? AND level_number = ? "
                           "ORDER BY id DESC LIMIT 1")))
        return QString();
    query.addBindValue(levelPackNumber);
    query.addBindValue(levelNumber);
    if (!query.exec() || !query.next())
        return QString();
    return query.value(0).toString();
}

QString LevelManager::packName(int levelPackNumber) const
{
    return m_packs->name(levelPackNumber);
}

int LevelManager::packCount() const
{
    return m_packs->count();
}

QString LevelManager::packPicture(int levelPackNumber) const
{
    return m_packs->picture(levelPackNumber);
}

QString LevelManager::packGround(int levelPackNumber) const
{
    return m_packs->ground(levelPackNumber);
}

QString LevelManager::packSurface(int levelPackNumber) const
{
    return m_packs->surface(levelPackNumber);
}

QString LevelManager::packAmbient(int levelPackNumber) const
{
    return m_packs->ambient(levelPackNumber);
}

double LevelManager::bestTime(int levelPackNumber, int levelNumber) const
{
    return m_results->bestTime(levelPackNumber, levelNumber);
}

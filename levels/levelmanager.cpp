// SPDX-License-Identifier: GPL-3.0-or-later
#include "levelmanager.h"

#include "datapaths.h"
#include "dbfailure.h"
#include "grounditem.h"
#include "level.h"
#include "leveladmission.h"
#include "levellimits.h"
#include "physics/fatalerror.h"
#include "physics/physicsitem.h"
#include "physics/pixmapshare.h"
#include "physicsitemhelper.h"
#include "resultssalvage.h"
#include "resultsschema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace {
// Playing areas lower than this are widened upwards on loading, scene units.
constexpr double kMinSceneHeight = 1200.0;

// A lock another program holds on results.db is waited for this long before
// a write gives up (and keeps its data for the next try), ms.
constexpr int kBusyTimeoutMs = 250;

// SQLite's result codes for the failures a player can do something about.
const QString kSqliteBusy = QStringLiteral("5");
const QString kSqliteLocked = QStringLiteral("6");
const QString kSqliteReadOnly = QStringLiteral("8");
const QString kSqliteIoError = QStringLiteral("10");
const QString kSqliteFull = QStringLiteral("13");
const QString kSqliteCantOpen = QStringLiteral("14");

// The player's words for a failed write.
QString writeFailureReason(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    if (code == kSqliteFull)
        return QCoreApplication::translate("LevelManager", "the disk is full");
    if (code == kSqliteReadOnly || code == kSqliteCantOpen)
        return QCoreApplication::translate("LevelManager", "the results file or its folder is read-only");
    if (code == kSqliteBusy || code == kSqliteLocked)
        return QCoreApplication::translate("LevelManager", "another program holds the results file");
    if (code == kSqliteIoError)
        return QCoreApplication::translate("LevelManager", "the disk reported an error");
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

QString nativeAbsolute(const QString &fileName)
{
    return QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
}

// SQLite URI of a file opened read only. Only this file is: a database
// attached to the connection later inherits the connection's flags, which
// stay read-write.
QString readOnlyUri(const QString &fileName)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath());
    url.setQuery(QStringLiteral("mode=ro"));
    return url.toString(QUrl::FullyEncoded);
}
} // namespace

LevelManager::LevelManager(Physics *physics, QGraphicsScene *scene)
    : m_physics(physics)
    , m_scene(scene)
    , m_resultsDbPath(nativeAbsolute(DataPaths::current().resultsDbPath()))
{
    if (!openDb())
        fatalError(QStringLiteral("Could not open db."));
}

LevelManager::~LevelManager()
{
    delete m_currentLevel;
    const QString name = m_database.connectionName();
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

bool LevelManager::openDb()
{
    // Nothing is written to a damaged file: it is set aside and a fresh one
    // with whatever could be read from it takes its place.
    const ResultsSalvage::Report salvage
        = ResultsSalvage::checkAndSalvage(m_resultsDbPath, QDateTime::currentDateTime());
    if (salvage.outcome == ResultsSalvage::Report::Outcome::Failed)
        fatalError(salvage.notice());
    if (salvage.outcome == ResultsSalvage::Report::Outcome::Salvaged) {
        qWarning().noquote() << salvage.notice();
        m_startNotice = salvage.notice();
    }
    if (!QFileInfo::exists(m_resultsDbPath) && !createResultsDb())
        fatalError(QStringLiteral("Could not create results db."));

    // The first manager takes the default connection. Another one open at
    // the same time (a world of its own that rides the author's ghost) gets
    // a connection of its own instead of replacing the first one's.
    static int otherConnections = 0;
    const QString connection = QSqlDatabase::contains(QLatin1String(QSqlDatabase::defaultConnection))
        ? QStringLiteral("velocrag-levels-%1").arg(++otherConnections)
        : QLatin1String(QSqlDatabase::defaultConnection);
    m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    const DataPaths &paths = DataPaths::current();
    const QString levelsPath = paths.findLevelsDb();
    if (levelsPath.isEmpty())
        fatalError(paths.levelsDbMissingMessage());
    m_database.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    m_database.setDatabaseName(readOnlyUri(levelsPath));
    if (!m_database.open()) {
        qWarning().noquote() << "LevelManager::openDb - cannot open" << nativeAbsolute(levelsPath) << ":"
                             << m_database.lastError().text();
        return false;
    }
    {
        // SQLite opens lazily: read the schema once so that a file that is
        // not a database fails here, as "cannot open", not at the first level.
        QSqlQuery probe(m_database);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            qWarning().noquote() << "LevelManager::openDb - not a level database:"
                                 << nativeAbsolute(levelsPath) << probe.lastError().text();
            return false;
        }
    }
    // The path is bound, not spliced into the statement: any character may
    // appear in the working directory's path.
    QSqlQuery attach(m_database);
    if (!attach.prepare(QStringLiteral("ATTACH DATABASE ? AS result")))
        dbFailure("Error executing db attach query:", attach);
    attach.addBindValue(m_resultsDbPath);
    if (!attach.exec()) {
        const QFileInfo results(m_resultsDbPath);
        const QString reason = results.isDir()
            ? QCoreApplication::translate("LevelManager", "it is a folder, not a file")
            : results.exists() && !results.isReadable()
            ? QCoreApplication::translate("LevelManager", "it cannot be read")
            : attach.lastError().databaseText();
        fatalError(QStringLiteral("Could not open the results file %1: %2").arg(m_resultsDbPath, reason));
    }
    completeResultsDb();
    m_refusedLevels = LevelAdmission::refusedLevelIds(m_database);
    return true;
}

// Creates results.db with its tables in one transaction: a start stopped
// half-way leaves a file without tables, never one with half of them.
bool LevelManager::createResultsDb()
{
    if (QFileInfo::exists(m_resultsDbPath)) {
        qWarning().noquote() << QStringLiteral("Game results db '%1'' already exists.").arg(m_resultsDbPath);
        return false;
    }
    QString connectionName;
    QString error;
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("velocrag-create"));
        db.setDatabaseName(m_resultsDbPath);
        if (!db.open())
            fatalError(QStringLiteral("Could not create the results file %1: %2")
                           .arg(m_resultsDbPath, writeFailureReason(db.lastError())));
        if (!ResultsSchema::complete(db, QStringLiteral("main"), &error))
            fatalError(
                QStringLiteral("Could not create the results file %1: %2").arg(m_resultsDbPath, error));
        connectionName = db.connectionName();
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    return true;
}

// An attached results.db may lack its tables or its settings row (a first
// start stopped while creating it, or a file made by hand). Add what is
// missing; never touch what is there.
void LevelManager::completeResultsDb()
{
    QString error;
    if (!ResultsSchema::complete(m_database, QStringLiteral("result"), &error))
        fatalError(QStringLiteral("Could not complete the results file %1: %2").arg(m_resultsDbPath, error));
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
    Level *level = m_currentLevel;

    QSqlQuery query(m_database);
    if (!query.prepare(QStringLiteral(
            "SELECT  level.id AS level_id, bike_startx, bike_starty,  finishline_x, finishline_y, goldtime, "
            "silvertime, bronzetime,  scene_min_y, scene_max_y,  levelresult.id AS levelresult_id, "
            "levelresult.status,  levelresult.besttime FROM level LEFT OUTER JOIN result.levelresult "
            "levelresult "
            "ON level.id=levelresult.level_id WHERE levelpack_number = ? AND level_number = ? ORDER BY "
            "level.id "
            "DESC")))
        dbFailure("Error preparing level query:", query);
    query.addBindValue(levelPackNumber);
    query.addBindValue(levelNumber);
    if (!query.exec())
        dbFailure("Error selecting levels:", query);
    if (!query.next()) {
        qDebug().noquote() << QStringLiteral(
            "LevelManager::LoadLevel - No level found from levelpack %1 with "
            "number %2\n")
                                  .arg(levelPackNumber)
                                  .arg(levelNumber);
        return level;
    }

    const int levelId = query.value(0).toInt();
    if (m_refusedLevels.contains(levelId)) {
        qDebug().noquote() << QStringLiteral(
            "LevelManager::LoadLevel - level %1 of levelpack %2 was refused, not "
            "loaded")
                                  .arg(levelNumber)
                                  .arg(levelPackNumber);
        return level;
    }
    const double startX = query.value(1).toDouble();
    const double startY = query.value(2).toDouble();
    const double finishX = query.value(3).toDouble();
    const double finishY = query.value(4).toDouble();
    const double gold = query.value(5).toDouble();
    const double silver = query.value(6).toDouble();
    const double bronze = query.value(7).toDouble();
    double sceneMinY = query.value(8).toDouble();
    const double sceneMaxY = query.value(9).toDouble();
    const QVariant resultId = query.value(10);

    // The bike is put at the start and the scene is sized from these: a value
    // the physics world or the scene cannot hold makes the level unusable.
    if (!LevelAdmission::positionsValid(startX, startY, finishX, finishY, sceneMinY, sceneMaxY)) {
        qDebug().noquote() << QStringLiteral("LevelManager::LoadLevel - level %1 of levelpack %2 has "
                                             "invalid positions, not loaded\n")
                                  .arg(levelNumber)
                                  .arg(levelPackNumber);
        return level;
    }

    level->setLevelId(levelId);
    level->setLevelNumber(levelNumber);
    level->setLevelPackNumber(levelPackNumber);
    level->setBikeStartPos(QPointF(startX, startY));
    level->setFinishLine(finishX, finishY);
    level->setGoldTime(gold);
    level->setSilverTime(silver);
    level->setBronzeTime(bronze);
    if (sceneMaxY - sceneMinY < kMinSceneHeight)
        sceneMinY -= kMinSceneHeight - (sceneMaxY - sceneMinY);
    level->setSceneMinY(sceneMinY);
    level->setSceneMaxY(sceneMaxY);

    qint64 levelResultId = -1;
    LevelStatus status = LevelStatus::NotFinished;
    double bestTime = 0.0;
    if (!resultId.isNull()) {
        levelResultId = resultId.toLongLong();
        status = levelStatusFromCode(query.value(11).toInt());
        bestTime = query.value(12).toDouble();
    }
    level->setLevelResultId(levelResultId);
    level->setBestTime(bestTime, false);
    level->setStatus(status);
    query.finish();

    const QVector<PhysicsItem *> items
        = PhysicsItemHelper::loadPhysicsItems(m_physics, levelId, groundTexture(levelPackNumber));
    const QString surface = surfaceStrip(levelPackNumber);
    for (PhysicsItem *item : items) {
        if (GroundItem *ground = qgraphicsitem_cast<GroundItem *>(item); ground && ground->isTerrain())
            ground->setSurface(surface);
        level->addPhysicsItem(item);
    }
    // Placing static objects moved their outlines away from the origin.
    level->dropStaleIndexEntries();

    level->setPlayable(true);
    m_levelPictures = pictures.resourcePictures();
    m_currentLevelNumber = levelNumber;
    m_currentLevelPack = levelPackNumber;
    return level;
}

int LevelManager::levelsPerPack() const
{
    return LevelLimits::levelsPerPack;
}

QString LevelManager::groundTexture(int levelPackNumber) const
{
    if (levelPackNumber == 1)
        return QStringLiteral(":/images/groundtexture_305.jpg");
    if (levelPackNumber == 2)
        return QStringLiteral(":/images/groundtexture_306.jpg");
    return QString();
}

QString LevelManager::surfaceStrip(int levelPackNumber) const
{
    if (levelPackNumber == 1)
        return QStringLiteral(":/images/surface_305.png");
    if (levelPackNumber == 2)
        return QStringLiteral(":/images/surface_306.png");
    return QString();
}

QVector<LevelInfo> LevelManager::levelInfos(int levelPackNumber)
{
    if (levelPackNumber == 0)
        levelPackNumber = m_currentLevelPack;
    QSqlQuery query(m_database);
    if (!query.prepare(
            QStringLiteral("SELECT level_number, levelresult.status, level.id FROM level LEFT OUTER JOIN "
                           "result.levelresult levelresult ON level.id=levelresult.level_id WHERE "
                           "levelpack_number = ? ORDER BY level_number ")))
        dbFailure("Error preparing level-info query:", query);
    query.addBindValue(levelPackNumber);
    if (!query.exec())
        dbFailure("Error selecting level-infos:", query);
    QVector<LevelInfo> infos;
    while (query.next()) {
        if (!m_refusedLevels.contains(query.value(2).toInt()))
            infos.append(LevelInfo(query.value(0).toInt(), levelStatusFromCode(query.value(1).toInt())));
    }
    return infos;
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

// The stored best decides, not the one read when the level was loaded:
// another copy of the game on the same data folder may have stored a better
// time since. The compare and the write happen in one write transaction
// (taken before the first read), so no save ever makes a stored best worse.
// Afterwards the level holds the stored best and its status.
bool LevelManager::saveLevelResult(Level *level)
{
    if (!level->isPlayable()) {
        qDebug("LevelManager::saveLevelResult - the level is not playable, nothing stored");
        return savePendingWrites();
    }
    PendingResult &pending = m_pendingResults[level->levelId()];
    if (pending.bestTime <= 0.0 || level->bestTime() < pending.bestTime) {
        pending.status = level->status();
        pending.bestTime = level->bestTime();
    }
    const bool saved = savePendingWrites();
    if (saved || !m_pendingResults.contains(level->levelId())) {
        const StoredResult stored = m_lastStored.value(level->levelId());
        level->setLevelResultId(stored.rowId);
        if (stored.bestTime > 0.0 && stored.bestTime < level->bestTime()) {
            level->setBestTime(stored.bestTime, false);
            level->setStatus(stored.status);
        }
    }
    return saved;
}

bool LevelManager::savePendingWrites()
{
    for (auto it = m_pendingResults.begin(); it != m_pendingResults.end();) {
        if (!storeResult(it.key(), it.value()))
            return false;
        it = m_pendingResults.erase(it);
    }
    if (m_pendingSounds) {
        QSqlQuery query(m_database);
        query.prepare(QStringLiteral("UPDATE result.gamesettings SET sounds_enabled = ? WHERE id = 1"));
        query.addBindValue(*m_pendingSounds ? 1 : 0);
        if (!query.exec())
            return writeFailed(query.lastError());
        m_pendingSounds.reset();
    }
    for (auto it = m_pendingSettings.begin(); it != m_pendingSettings.end();) {
        QSqlQuery query(m_database);
        query.prepare(
            QStringLiteral("INSERT OR REPLACE INTO result.playersetting (name, value) VALUES (?, ?)"));
        query.addBindValue(it.key());
        query.addBindValue(it.value());
        if (!query.exec())
            return writeFailed(query.lastError());
        it = m_pendingSettings.erase(it);
    }
    m_lastWriteError.clear();
    return true;
}

bool LevelManager::hasPendingWrites() const
{
    return !m_pendingResults.isEmpty() || m_pendingSounds || !m_pendingSettings.isEmpty();
}

bool LevelManager::writeFailed(const QSqlError &error)
{
    m_lastWriteError = writeFailureReason(error);
    qWarning().noquote() << "LevelManager - could not write to" << m_resultsDbPath << ":" << error.text();
    return false;
}

bool LevelManager::storeResult(int levelId, const PendingResult &result)
{
    QSqlQuery query(m_database);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return writeFailed(query.lastError());
    auto rollBack = [&](const QSqlError &error) {
        query.finish();
        QSqlQuery(m_database).exec(QStringLiteral("ROLLBACK"));
        return writeFailed(error);
    };
    if (!query.prepare(
            QStringLiteral("UPDATE result.levelresult SET status = ?, besttime = ? WHERE level_id = ? "
                           "AND (besttime IS NULL OR besttime <= 0 OR besttime > ?)")))
        return rollBack(query.lastError());
    query.addBindValue(levelStatusCode(result.status));
    query.addBindValue(result.bestTime);
    query.addBindValue(levelId);
    query.addBindValue(result.bestTime);
    if (!query.exec())
        return rollBack(query.lastError());
    query.finish();
    if (!query.prepare(QStringLiteral(
            "SELECT id, status, besttime FROM result.levelresult WHERE level_id = ? ORDER BY id LIMIT 1")))
        return rollBack(query.lastError());
    query.addBindValue(levelId);
    if (!query.exec())
        return rollBack(query.lastError());
    StoredResult stored;
    if (query.next()) {
        stored.rowId = query.value(0).toLongLong();
        stored.status = levelStatusFromCode(query.value(1).toInt());
        stored.bestTime = query.value(2).toDouble();
        query.finish();
    } else {
        query.finish();
        if (!query.prepare(QStringLiteral(
                "INSERT INTO result.levelresult (id, level_id, status, besttime) values(NULL, ?, ?, ?)")))
            return rollBack(query.lastError());
        query.addBindValue(levelId);
        query.addBindValue(levelStatusCode(result.status));
        query.addBindValue(result.bestTime);
        if (!query.exec())
            return rollBack(query.lastError());
        stored.rowId = query.lastInsertId().toLongLong();
        stored.status = result.status;
        stored.bestTime = result.bestTime;
    }
    if (!query.exec(QStringLiteral("COMMIT")))
        return rollBack(query.lastError());
    m_lastStored.insert(levelId, stored);
    return true;
}

bool LevelManager::soundsEnabled()
{
    if (m_pendingSounds)
        return *m_pendingSounds;
    QSqlQuery query(m_database);
    if (!query.prepare(QStringLiteral("SELECT sounds_enabled FROM result.gamesettings WHERE id = ? ")))
        dbFailure("Error preparing settings query:", query);
    query.addBindValue(1);
    if (!query.exec())
        dbFailure("Error selecting gamesettings:", query);
    bool enabled = true;
    while (query.next()) {
        if (query.value(0).toInt() == 0)
            enabled = false;
    }
    return enabled;
}

bool LevelManager::setSoundsEnabled(bool enabled)
{
    m_pendingSounds = enabled;
    return savePendingWrites();
}

QString LevelManager::playerSetting(const QString &name)
{
    const auto pending = m_pendingSettings.constFind(name);
    if (pending != m_pendingSettings.constEnd())
        return pending.value().isNull() ? QStringLiteral("") : pending.value();
    QSqlQuery query(m_database);
    if (!query.prepare(QStringLiteral("SELECT value FROM result.playersetting WHERE name = ?")))
        dbFailure("Error preparing player-setting query:", query);
    query.addBindValue(name);
    if (!query.exec())
        dbFailure("Error selecting playersetting:", query);
    if (!query.next())
        return QString();
    const QString value = query.value(0).toString();
    // A stored NULL reads as an empty, not a null, string: "set to nothing".
    return value.isNull() ? QStringLiteral("") : value;
}

bool LevelManager::setPlayerSetting(const QString &name, const QString &value)
{
    m_pendingSettings.insert(name, value);
    return savePendingWrites();
}

QString LevelManager::backgroundImage(int levelPackNumber) const
{
    if (levelPackNumber == 2)
        return QStringLiteral(":/images/levelpack2bg.jpg");
    return QStringLiteral(":/images/levelpack1bg.jpg");
}

// --- Display names ------------------------------------------------------------

namespace {
// The first column of the first row of a lookup, or a null variant. A file
// without the names (written before they were added) fails to prepare; that
// is no error, the names are just missing.
QVariant lookUp(const QSqlDatabase &db, const QString &statement, const QVariantList &values)
{
    QSqlQuery query(db);
    if (!query.prepare(statement))
        return QVariant();
    for (const QVariant &v : values)
        query.addBindValue(v);
    if (!query.exec() || !query.next())
        return QVariant();
    return query.value(0);
}
} // namespace

QString LevelManager::levelName(int levelPackNumber, int levelNumber) const
{
    return lookUp(m_database,
        QStringLiteral("SELECT name FROM level WHERE levelpack_number = ? AND level_number = ? "
                       "ORDER BY id DESC LIMIT 1"),
        {levelPackNumber, levelNumber})
        .toString();
}

QString LevelManager::packName(int levelPackNumber) const
{
    return lookUp(
        m_database, QStringLiteral("SELECT name FROM levelpack WHERE number = ?"), {levelPackNumber})
        .toString();
}

int LevelManager::packCount() const
{
    // A file written before the pack names were kept holds the two first packs.
    constexpr int kPacksOfOldFiles = 2;
    const QVariant count = lookUp(m_database, QStringLiteral("SELECT COUNT(*) FROM levelpack"), {});
    return count.isNull() || count.toInt() < 1 ? kPacksOfOldFiles : count.toInt();
}

double LevelManager::bestTime(int levelPackNumber, int levelNumber) const
{
    return lookUp(m_database,
        QStringLiteral("SELECT levelresult.besttime FROM level JOIN result.levelresult levelresult ON "
                       "level.id = levelresult.level_id WHERE levelpack_number = ? AND level_number = ? "
                       "ORDER BY level.id DESC LIMIT 1"),
        {levelPackNumber, levelNumber})
        .toDouble();
}

#include "levelmanager.h"

#include "datapaths.h"
#include "dbfailure.h"
#include "grounditem.h"
#include "level.h"
#include "leveladmission.h"
#include "levellimits.h"
#include "physics/fatalerror.h"
#include "physics/physicsitem.h"
#include "physicsitemhelper.h"

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

const char *const kCreateLevelResult = "create table levelresult (id         INTEGER PRIMARY KEY,level_id    "
                                       "INTEGER, status      INTEGER, besttime    REAL)";
const char *const kCreateGameSettings
    = "create table gamesettings (id INTEGER PRIMARY KEY, sounds_enabled INTEGER)";
const char *const kInsertDefaultSettings = "INSERT INTO gamesettings(id, sounds_enabled) VALUES(1, 1)";
// Added after the first release: created on opening when missing, so older
// results files gain it in place.
const char *const kCreatePlayerSetting
    = "create table playersetting (name TEXT PRIMARY KEY NOT NULL, value TEXT)";

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
    m_database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
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
            qWarning().noquote() << "LevelManager::openDb - not a level database:" << nativeAbsolute(levelsPath)
                                 << probe.lastError().text();
            return false;
        }
    }
    // The path is bound, not spliced into the statement: any character may
    // appear in the working directory's path.
    QSqlQuery attach(m_database);
    if (!attach.prepare(QStringLiteral("ATTACH DATABASE ? AS result")))
        dbFailure("Error executing db attach query:", attach);
    attach.addBindValue(m_resultsDbPath);
    if (!attach.exec())
        dbFailure("Error executing db attach query:", attach);
    completeResultsDb();
    m_refusedLevels = LevelAdmission::refusedLevelIds(m_database);
    return true;
}

// Creates results.db in one transaction: a start stopped half-way leaves a
// file without tables, never one with half of them.
bool LevelManager::createResultsDb()
{
    if (QFileInfo::exists(m_resultsDbPath)) {
        qWarning().noquote() << QStringLiteral("Game results db '%1'' already exists.").arg(m_resultsDbPath);
        return false;
    }
    QString connectionName;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(m_resultsDbPath);
        if (!db.open())
            fatalError(
                QStringLiteral("Could not create game result database connection to database file '%1'.")
                    .arg(m_resultsDbPath));
        db.transaction();
        QSqlQuery query(db);
        if (!query.exec(QString::fromLatin1(kCreateLevelResult))) {
            qDebug() << "Error:" << query.lastError().text();
            fatalError(QStringLiteral("Could not create table level."));
        }
        if (!query.exec(QString::fromLatin1(kCreateGameSettings))) {
            qDebug() << "Error:" << query.lastError().text();
            fatalError(QStringLiteral("Could not create table gameresults."));
        }
        if (!query.exec(QString::fromLatin1(kInsertDefaultSettings)))
            dbFailure("Error inserting default gameresults:", query);
        if (!query.exec(QString::fromLatin1(kCreatePlayerSetting)))
            dbFailure("Error creating playersetting:", query);
        query.finish();
        if (!db.commit()) {
            qDebug() << "Error:" << db.lastError().text();
            fatalError(QStringLiteral("Could not create results db."));
        }
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
    QSqlQuery query(m_database);
    if (!query.exec(QStringLiteral("SELECT name FROM result.sqlite_master WHERE type = 'table'")))
        dbFailure("Error reading results db schema:", query);
    QStringList tables;
    while (query.next())
        tables.append(query.value(0).toString().toLower());
    query.finish();

    const bool hasResults = tables.contains(QLatin1String("levelresult"));
    const bool hasSettings = tables.contains(QLatin1String("gamesettings"));
    bool hasSettingsRow = false;
    if (hasSettings) {
        if (!query.exec(QStringLiteral("SELECT count(*) FROM result.gamesettings WHERE id = 1"))
            || !query.next())
            dbFailure("Error selecting gamesettings:", query);
        hasSettingsRow = query.value(0).toInt() > 0;
        query.finish();
    }
    const bool hasPlayerSettings = tables.contains(QLatin1String("playersetting"));
    if (hasResults && hasSettings && hasSettingsRow && hasPlayerSettings)
        return;

    qDebug() << "LevelManager::completeResultsDb - completing" << m_resultsDbPath;
    m_database.transaction();
    QString create = QString::fromLatin1(kCreateLevelResult);
    if (!hasResults && !query.exec(create.replace(QLatin1String("table "), QLatin1String("table result."))))
        dbFailure("Error:", query);
    create = QString::fromLatin1(kCreateGameSettings);
    if (!hasSettings && !query.exec(create.replace(QLatin1String("table "), QLatin1String("table result."))))
        dbFailure("Error:", query);
    if (!hasSettingsRow
        && !query.exec(QStringLiteral("INSERT INTO result.gamesettings(id, sounds_enabled) VALUES(1, 1)")))
        dbFailure("Error inserting default gameresults:", query);
    create = QString::fromLatin1(kCreatePlayerSetting);
    if (!hasPlayerSettings
        && !query.exec(create.replace(QLatin1String("table "), QLatin1String("table result."))))
        dbFailure("Error:", query);
    query.finish();
    if (!m_database.commit())
        fatalError(QStringLiteral("DB error"));
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
    int status = 0;
    double bestTime = 0.0;
    if (!resultId.isNull()) {
        levelResultId = resultId.toLongLong();
        status = query.value(11).toInt();
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
        if (item->physicsItemType() == PhysicsItem::KindTerrain)
            static_cast<GroundItem *>(item)->setSurface(surface);
        level->addPhysicsItem(item);
    }
    // Placing static objects moved their outlines away from the origin.
    level->dropStaleIndexEntries();

    level->setPlayable(true);
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
            infos.append(LevelInfo(query.value(0).toInt(), query.value(1).toInt()));
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
        if (info.status() < 1 || info.status() > 3)
            return info.levelNumber();
    }
    return 0;
}

// The stored best decides, not the one read when the level was loaded:
// another copy of the game on the same data folder may have stored a better
// time since. The compare and the write happen in one write transaction
// (taken before the first read), so no save ever makes a stored best worse.
// Afterwards the level holds the stored best and its status.
void LevelManager::saveLevelResult(Level *level)
{
    if (!level->isPlayable()) {
        qDebug("LevelManager::saveLevelResult - the level is not playable, nothing stored");
        return;
    }
    QSqlQuery query(m_database);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        dbFailure("Error starting levelresult transaction:", query);
    if (!query.prepare(
            QStringLiteral("UPDATE result.levelresult SET status = ?, besttime = ? WHERE level_id = ? "
                           "AND (besttime IS NULL OR besttime <= 0 OR besttime > ?)")))
        dbFailure("Error preparing leverresult update:", query);
    query.addBindValue(level->status());
    query.addBindValue(level->bestTime());
    query.addBindValue(level->levelId());
    query.addBindValue(level->bestTime());
    if (!query.exec())
        dbFailure("Error:", query);
    query.finish();
    if (!query.prepare(QStringLiteral(
            "SELECT id, status, besttime FROM result.levelresult WHERE level_id = ? ORDER BY id LIMIT 1")))
        dbFailure("Error preparing levelresult query:", query);
    query.addBindValue(level->levelId());
    if (!query.exec())
        dbFailure("Error selecting levelresult:", query);
    if (query.next()) {
        level->setLevelResultId(query.value(0).toLongLong());
        const double stored = query.value(2).toDouble();
        if (stored > 0.0 && stored < level->bestTime()) {
            level->setBestTime(stored, false);
            level->setStatus(query.value(1).toInt());
        }
        query.finish();
    } else {
        query.finish();
        insertLevelResult(level);
    }
    if (!query.exec(QStringLiteral("COMMIT")))
        dbFailure("Error storing levelresult:", query);
}

// Plain write of the level's values into its row; saveLevelResult is the
// safe way to store a result.
bool LevelManager::updateLevelResult(Level *level)
{
    QSqlQuery query(m_database);
    if (!query.prepare(QStringLiteral("UPDATE result.levelresult SET status = ?, besttime = ? WHERE id = ?")))
        dbFailure("Error preparing leverresult update:", query);
    query.addBindValue(level->status());
    query.addBindValue(level->bestTime());
    query.addBindValue(level->levelResultId());
    if (!query.exec())
        dbFailure("Error:", query);
    return query.numRowsAffected() == 1;
}

bool LevelManager::insertLevelResult(Level *level)
{
    QSqlQuery query(m_database);
    if (!query.prepare(QStringLiteral(
            "INSERT INTO result.levelresult (id, level_id, status, besttime) values(NULL, ?, ?, ?)")))
        dbFailure("Error preparing levelresult insertion:", query);
    query.addBindValue(level->levelId());
    query.addBindValue(level->status());
    query.addBindValue(level->bestTime());
    if (!query.exec())
        dbFailure("Error:", query);
    level->setLevelResultId(query.lastInsertId().toLongLong());
    return true;
}

bool LevelManager::soundsEnabled()
{
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

void LevelManager::setSoundsEnabled(bool enabled)
{
    QSqlQuery query(m_database);
    if (!query.prepare(QStringLiteral("UPDATE result.gamesettings SET sounds_enabled = ? WHERE id = ?")))
        dbFailure("Error preparing gameresults update:", query);
    query.addBindValue(enabled ? 1 : 0);
    query.addBindValue(1);
    if (!query.exec())
        dbFailure("Error:", query);
    m_database.commit();
}

QString LevelManager::playerSetting(const QString &name)
{
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

void LevelManager::setPlayerSetting(const QString &name, const QString &value)
{
    QSqlQuery query(m_database);
    if (!query.prepare(
            QStringLiteral("INSERT OR REPLACE INTO result.playersetting (name, value) VALUES (?, ?)")))
        dbFailure("Error preparing player-setting update:", query);
    query.addBindValue(name);
    query.addBindValue(value);
    if (!query.exec())
        dbFailure("Error:", query);
    m_database.commit();
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

double LevelManager::bestTime(int levelPackNumber, int levelNumber) const
{
    return lookUp(m_database,
        QStringLiteral("SELECT levelresult.besttime FROM level JOIN result.levelresult levelresult ON "
                       "level.id = levelresult.level_id WHERE levelpack_number = ? AND level_number = ? "
                       "ORDER BY level.id DESC LIMIT 1"),
        {levelPackNumber, levelNumber})
        .toDouble();
}

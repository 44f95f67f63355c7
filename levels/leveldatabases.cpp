// SPDX-License-Identifier: GPL-3.0-or-later
#include "leveldatabases.h"

#include "base/datapaths.h"
#include "base/fatalerror.h"
#include "dbfailure.h"
#include "resultssalvage.h"
#include "resultsschema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace {
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

LevelDatabases::LevelDatabases(const QString &resultsDbPath)
    : m_resultsDbPath(resultsDbPath)
{ }

LevelDatabases::~LevelDatabases()
{
    const QString name = m_database.connectionName();
    m_database.close();
    m_database = QSqlDatabase();
    if (!name.isEmpty())
        QSqlDatabase::removeDatabase(name);
}

QString LevelDatabases::failureReason(const QSqlError &error)
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

bool LevelDatabases::open()
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
    if (!openLevels())
        return false;
    attachResults();
    // An attached results.db may lack its tables or its settings row (a
    // first start stopped while creating it, a file made by hand) or be of
    // an older layout: add what is missing, never touch what is there.
    QString error;
    if (!ResultsSchema::complete(m_database, QStringLiteral("result"), &error))
        fatalError(QStringLiteral("Could not complete the results file %1: %2").arg(m_resultsDbPath, error));
    return true;
}

bool LevelDatabases::openLevels()
{
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
    // SQLite opens lazily: read the schema once so that a file that is not a
    // database fails here, as "cannot open", not at the first level.
    QSqlQuery probe(m_database);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        qWarning().noquote() << "LevelManager::openDb - not a level database:" << nativeAbsolute(levelsPath)
                             << probe.lastError().text();
        return false;
    }
    return true;
}

void LevelDatabases::attachResults()
{
    // The path is bound, not spliced into the statement: any character may
    // appear in the working directory's path.
    QSqlQuery attach(m_database);
    if (!attach.prepare(QStringLiteral("ATTACH DATABASE ? AS result")))
        dbFailure("Error executing db attach query:", attach);
    attach.addBindValue(m_resultsDbPath);
    if (attach.exec())
        return;
    const QFileInfo results(m_resultsDbPath);
    const QString reason = results.isDir()
        ? QCoreApplication::translate("LevelManager", "it is a folder, not a file")
        : results.exists() && !results.isReadable()
        ? QCoreApplication::translate("LevelManager", "it cannot be read")
        : attach.lastError().databaseText();
    fatalError(QStringLiteral("Could not open the results file %1: %2").arg(m_resultsDbPath, reason));
}

// One transaction: a start stopped half-way leaves a file without tables,
// never one with half of them.
bool LevelDatabases::createResultsDb()
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
                           .arg(m_resultsDbPath, failureReason(db.lastError())));
        if (!ResultsSchema::complete(db, QStringLiteral("main"), &error))
            fatalError(
                QStringLiteral("Could not create the results file %1: %2").arg(m_resultsDbPath, error));
        connectionName = db.connectionName();
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    return true;
}

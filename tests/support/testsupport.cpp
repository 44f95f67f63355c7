// SPDX-License-Identifier: GPL-3.0-or-later
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtGlobal>
#include <sys/stat.h>

namespace TestSupport {

QString sourceDir()
{
    return qEnvironmentVariable("VELOCRAG_SOURCE_DIR");
}
QString binaryDir()
{
    return qEnvironmentVariable("VELOCRAG_BINARY_DIR");
}

bool plantNonFile(const QString &kind, const QString &path, qint64 largeBytes)
{
    if (kind == QLatin1String("named pipe"))
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    if (kind == QLatin1String("folder"))
        return QDir().mkpath(path);
    if (kind == QLatin1String("device"))
        return QFile::link(QStringLiteral("/dev/zero"), path);
    if (kind == QLatin1String("too large")) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.resize(largeBytes);
    }
    return false;
}

ProcessResult runProcess(
    const QString &program, const QStringList &arguments, const QString &workingDirectory, int timeoutMs)
{
    ProcessResult result;
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs)) {
        result.standardError = process.errorString();
        return result;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.crashed = true;
    } else {
        result.crashed = process.exitStatus() == QProcess::CrashExit;
    }
    result.exitCode = process.exitCode();
    result.standardOutput = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.standardError = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

int shapeCount(cpSpace *space)
{
    int n = 0;
    cpSpaceEachShape(
        space, [](cpShape *, void *count) { ++*static_cast<int *>(count); }, &n);
    return n;
}

namespace {
const char *const kSqlConnection = "testsupport";
} // namespace

QString execSql(const QString &file, const QStringList &statements)
{
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", kSqlConnection);
        db.setDatabaseName(file);
        if (!db.open())
            error = db.lastError().text();
        QSqlQuery q(db);
        db.transaction();
        for (const QString &s : statements) {
            if (error.isEmpty() && !q.exec(s))
                error = s + ": " + q.lastError().text();
        }
        db.commit();
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(kSqlConnection);
    return error;
}

QVariantList querySql(const QString &file, const QString &statement)
{
    QVariantList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", kSqlConnection);
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(statement)) {
                while (q.next())
                    rows.append(q.value(0));
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(kSqlConnection);
    return rows;
}

} // namespace TestSupport

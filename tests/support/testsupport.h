// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <chipmunk/chipmunk.h>

// Helpers shared by the tests.
namespace TestSupport {

// Folder of the source tree and of the build tree (set by CTest).
QString sourceDir();
QString binaryDir();

// Result of running a command to its end.
struct ProcessResult
{
    int exitCode = -1;
    bool crashed = false; // ended by a signal
    QString standardOutput;
    QString standardError;
};

// Runs a program with arguments in a working directory and waits for it
// (timeout in ms). Used for fatal paths that must end the process.
ProcessResult runProcess(const QString &program, const QStringList &arguments,
    const QString &workingDirectory = QString(), int timeoutMs = 60000);

// Puts at path something a reader must refuse by what it is, not by its
// bytes: "named pipe", "folder", "device" (a link to /dev/zero, which has
// no end) or "too large" (a sparse file of largeBytes bytes, nothing of it
// on the disk). False when it cannot be made.
bool plantNonFile(const QString &kind, const QString &path, qint64 largeBytes = 0);

// Number of shapes in a physics space, static and moving.
int shapeCount(cpSpace *space);

// Runs statements on an SQLite file through a connection of its own, in one
// transaction; returns the first error (with its statement), or empty.
QString execSql(const QString &file, const QStringList &statements);
// The first column of every row a query on an SQLite file returns (empty
// when the file or the query fails).
QVariantList querySql(const QString &file, const QString &statement);

} // namespace TestSupport

#endif

#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <QString>
#include <QStringList>

// Helpers shared by the tests.
namespace TestSupport {

// Folder of the source tree and of the build tree (set by CTest).
QString sourceDir();
QString binaryDir();

// Result of running a command to its end.
struct ProcessResult {
    int exitCode = -1;
    bool crashed = false; // ended by a signal
    QString standardOutput;
    QString standardError;
};

// Runs a program with arguments in a working directory and waits for it
// (timeout in ms). Used for fatal paths that must end the process.
ProcessResult runProcess(const QString &program, const QStringList &arguments,
                         const QString &workingDirectory = QString(), int timeoutMs = 60000);

} // namespace TestSupport

#endif

#include "testsupport.h"

#include <QProcess>
#include <QtGlobal>

namespace TestSupport {

QString sourceDir() { return qEnvironmentVariable("VELOCRAG_SOURCE_DIR"); }
QString binaryDir() { return qEnvironmentVariable("VELOCRAG_BINARY_DIR"); }

ProcessResult runProcess(const QString &program, const QStringList &arguments,
                         const QString &workingDirectory, int timeoutMs)
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

} // namespace TestSupport

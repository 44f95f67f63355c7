// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GOLDENRIDE_H
#define GOLDENRIDE_H

// The committed solution rides of the shipped levels and their golden
// lines, and a working folder holding the build's shipped levels.db, for
// the tests that ride them.

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

// A solution's recorded outcome: the step the ride finishes at and the
// first 16 hex digits of the SHA-256 of the trace's last row.
struct GoldenRide
{
    int steps = -1;
    QString state;
};

inline QString solutionPath(int pack, int level)
{
    return TestSupport::sourceDir()
        + QStringLiteral("/levels/solutions/pack%1/%2.txt").arg(pack).arg(level, 2, 10, QLatin1Char('0'));
}

inline GoldenRide goldenRide(const QString &solution)
{
    QFile file(solution);
    GoldenRide golden;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return golden;
    static const QRegularExpression line(
        QStringLiteral("^# Golden ride: finishes at step (\\d+), final state ([0-9a-f]{16})$"),
        QRegularExpression::MultilineOption);
    const auto match = line.match(QString::fromUtf8(file.readAll()));
    if (match.hasMatch()) {
        golden.steps = match.captured(1).toInt();
        golden.state = match.captured(2);
    }
    return golden;
}

// The build's levels.db in a temporary working folder, which is also the
// player's data folder of the tests (DataPaths' default); the previous
// working folder comes back with the object's end.
class LevelsFolder
{
public:
    LevelsFolder()
        : m_previous(QDir::currentPath())
    {
        QFile::copy(TestSupport::binaryDir() + QStringLiteral("/levels.db"), m_dir.filePath("levels.db"));
        QDir::setCurrent(m_dir.path());
    }
    ~LevelsFolder() { QDir::setCurrent(m_previous); }
    LevelsFolder(const LevelsFolder &) = delete;
    LevelsFolder &operator=(const LevelsFolder &) = delete;
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

#endif

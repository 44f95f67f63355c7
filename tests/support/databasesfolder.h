// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DATABASESFOLDER_H
#define DATABASESFOLDER_H

#include "levels/leveldatabases.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A temporary working folder holding a copy of the test levels as levels.db
// and a results.db the databases create, opened for the test's lifetime.
struct DatabasesFolder
{
    DatabasesFolder()
    {
        QFile::copy(TestSupport::binaryDir() + "/testlevels.db", dir.filePath("levels.db"));
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        databases.open();
    }
    ~DatabasesFolder() { QDir::setCurrent(previous); }
    QString results() const { return dir.filePath("results.db"); }

    QTemporaryDir dir;
    QString previous;
    LevelDatabases databases {QDir::toNativeSeparators(dir.filePath("results.db"))};
};

#endif

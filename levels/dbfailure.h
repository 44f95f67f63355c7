// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DBFAILURE_H
#define DBFAILURE_H

#include "base/fatalerror.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

// A failed statement of the level or results database: logs what failed with
// the database's error text, then ends the program with the fixed message.
[[noreturn]] inline void dbFailure(const char *what, const QSqlQuery &query, const char *fatal = "DB error")
{
    qDebug() << what << query.lastError().text();
    fatalError(QString::fromLatin1(fatal));
}

#endif

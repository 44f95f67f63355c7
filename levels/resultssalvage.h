// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RESULTSSALVAGE_H
#define RESULTSSALVAGE_H

#include <QDateTime>
#include <QString>

// The check of results.db before the game writes to it. A file that fails
// SQLite's quick check (a page overwritten by a disk fault or another tool,
// a torn header) is never written: it is kept as it is under a name that
// says what happened and when, and a fresh results.db takes its place,
// holding every result and setting that could still be read from it.
class ResultsSalvage
{
public:
    struct Report
    {
        enum class Outcome {
            Sound, // the file passed the check, or there is none yet
            Salvaged, // damaged: set aside, a fresh file holds what was read
            Failed, // damaged, and it could not be set aside or replaced
        };
        Outcome outcome = Outcome::Sound;
        // Where the damaged file is: set aside (Salvaged), or where it was
        // found (Failed).
        QString damagedCopy;
        // What the check found.
        QString damage;
        // Rows carried over into the fresh file.
        int resultsKept = 0;
        int settingsKept = 0;
        // Why the salvage failed (Failed).
        QString reason;
        // The player's words: what was kept and where the damaged file is,
        // or why the game cannot go on; empty when the file was sound.
        QString notice() const;
    };

    // Checks the results file at path and salvages it when it is damaged.
    // now names the damaged copy. A file that cannot be checked for another
    // reason (locked, unreadable) counts as sound here: opening it reports
    // that reason.
    static Report checkAndSalvage(const QString &path, const QDateTime &now);
    // The name the damaged file at path is kept under at time now, beside it.
    static QString damagedCopyPath(const QString &path, const QDateTime &now);
    // The fresh file a salvage writes beside path before it renames it over
    // path (SQLite keeps its journal beside it, with "-journal" added).
    static QString freshPath(const QString &path);
    // Removes the fresh file of a salvage that a stop cut short, and its
    // journal, when they were last written more than
    // kStaleTemporarySeconds before now (a younger one may be the salvage
    // of another running copy of the game). Nothing else is touched:
    // results.db's own journal, which SQLite needs to undo a write cut
    // short, stays. Returns how many files went.
    static int removeStaleTemporaries(const QString &path, const QDateTime &now);
    static constexpr qint64 kStaleTemporarySeconds = 60;
};

#endif

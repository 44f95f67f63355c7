// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TARGETTIMES_H
#define TARGETTIMES_H

#include <QString>

// Target times from a solution ride's run time t (seconds, in tenths):
// gold t, silver 1.25 t and bronze 1.6 t, each rounded to the nearest tenth.
struct TargetTimes
{
    double gold = 0.0;
    double silver = 0.0;
    double bronze = 0.0;

    static TargetTimes fromRunTime(double runTime);
};

// Rides every solution levels/solutions/pack<P>/<NN>.txt against the level
// database and writes the target times into the level's source file (the
// "times" line; the rest of the file stays as it is). Returns false with one
// line per problem in *errors when a solution is missing or does not finish.
bool updateTargetTimes(const QString &levelsDb, const QString &sourcesDir, const QString &solutionsDir,
    QString *report, QString *errors);

#endif

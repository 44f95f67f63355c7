// SPDX-License-Identifier: GPL-3.0-or-later
#include "targettimes.h"

#include "riderun.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>

namespace {
constexpr double kSilverFactor = 1.25;
constexpr double kBronzeFactor = 1.6;

double tenths(double seconds)
{
    return std::round(seconds * 10.0) / 10.0;
}

QString number(double v)
{
    return QString::number(v, 'f', 1).remove(QRegularExpression(QStringLiteral("\\.0$")));
}
} // namespace

TargetTimes TargetTimes::fromRunTime(double runTime)
{
    TargetTimes t;
    t.gold = tenths(runTime);
    t.silver = tenths(runTime * kSilverFactor);
    t.bronze = tenths(runTime * kBronzeFactor);
    return t;
}

bool updateTargetTimes(const QString &levelsDb, const QString &sourcesDir, const QString &solutionsDir,
    QString *report, QString *errors)
{
    static const QRegularExpression timesLine(QStringLiteral("\"times\"\\s*:\\s*\\{[^}]*\\}"));
    bool ok = true;
    for (const QString &packDir : {QStringLiteral("pack1"), QStringLiteral("pack2")}) {
        const QDir dir(sourcesDir + QLatin1Char('/') + packDir);
        for (const QString &name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly)) {
                *errors += QStringLiteral("cannot read %1\n").arg(file.fileName());
                ok = false;
                continue;
            }
            const QString text = QString::fromUtf8(file.readAll());
            file.close();
            const QJsonObject level = QJsonDocument::fromJson(text.toUtf8()).object();
            const int pack = level.value(QStringLiteral("pack")).toInt();
            const int number_ = level.value(QStringLiteral("number")).toInt();
            const QString solution = QStringLiteral("%1/pack%2/%3.txt")
                                         .arg(solutionsDir)
                                         .arg(pack)
                                         .arg(number_, 2, 10, QLatin1Char('0'));
            QString error;
            const auto timeline = InputTimeline::load(solution, &error);
            if (!timeline) {
                *errors += QStringLiteral("%1: %2\n").arg(name, error);
                ok = false;
                continue;
            }
            RideRun::Options options;
            options.levelsDb = levelsDb;
            options.pack = pack;
            options.level = number_;
            options.timeline = *timeline;
            RideRun::Result result;
            if (!RideRun::run(options, &result, &error) || !result.finished || result.crashed) {
                *errors += QStringLiteral("%1: the solution %2 does not finish %3\n")
                               .arg(name, solution, error.isEmpty() ? QStringLiteral("cleanly") : error);
                ok = false;
                continue;
            }
            const TargetTimes t = TargetTimes::fromRunTime(result.runTime);
            const QString times = QStringLiteral("\"times\": {\"gold\": %1, \"silver\": %2, \"bronze\": %3}")
                                      .arg(number(t.gold), number(t.silver), number(t.bronze));
            QString updated = text;
            updated.replace(timesLine, times);
            if (updated != text) {
                if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                    *errors += QStringLiteral("cannot write %1\n").arg(file.fileName());
                    ok = false;
                    continue;
                }
                file.write(updated.toUtf8());
            }
            *report += QStringLiteral("%1/%2 %3: %4 s -> %5\n")
                           .arg(pack)
                           .arg(number_, 2, 10, QLatin1Char('0'))
                           .arg(level.value(QStringLiteral("name")).toString())
                           .arg(number(result.runTime), times);
        }
    }
    return ok;
}

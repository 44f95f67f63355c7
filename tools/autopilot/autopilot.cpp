// SPDX-License-Identifier: GPL-3.0-or-later
// autopilot: finds solution rides for levels and sets target times from them.
//
//   autopilot solve --levels build/levels.db --pack 1 --level 3 --output 03.txt [--prefix 03.prefix.txt]
//   autopilot times --levels build/levels.db --sources levels/sources --solutions levels/solutions
//
// solve exits 0 with the timeline written, 1 when the search gave up, 2 on
// bad input. times exits 1 when a solution is missing or does not finish.

#include "pilotsearch.h"
#include "targettimes.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <cstdio>

namespace {
int fail(const QString &message)
{
    std::fprintf(stderr, "autopilot: %s\n", qPrintable(message));
    return 2;
}

int solve(const QCommandLineParser &parser)
{
    PilotSearch::Options options;
    options.levelsDb = parser.value(QStringLiteral("levels"));
    bool okPack = false;
    bool okLevel = false;
    options.pack = parser.value(QStringLiteral("pack")).toInt(&okPack);
    options.level = parser.value(QStringLiteral("level")).toInt(&okLevel);
    const QString output = parser.value(QStringLiteral("output"));
    if (options.levelsDb.isEmpty() || !okPack || !okLevel || output.isEmpty())
        return fail(QStringLiteral("solve needs --levels, --pack, --level and --output"));
    if (parser.isSet(QStringLiteral("prefix"))) {
        QString error;
        const auto prefix = InputTimeline::load(parser.value(QStringLiteral("prefix")), &error);
        if (!prefix)
            return fail(error);
        options.prefix = *prefix;
    }
    bool ok = false;
    const int rides = parser.value(QStringLiteral("max-rides")).toInt(&ok);
    if (!ok || rides < 1)
        return fail(QStringLiteral("--max-rides must be a positive whole number"));
    options.maxRides = rides;
    const int segment = parser.value(QStringLiteral("segment")).toInt(&ok);
    if (!ok || segment < 1)
        return fail(QStringLiteral("--segment must be a positive whole number"));
    options.segmentSteps = segment;
    options.verbose = parser.isSet(QStringLiteral("verbose"));

    const PilotSearch::Outcome outcome = PilotSearch::search(options);
    if (!outcome.error.isEmpty())
        return fail(outcome.error);
    if (!outcome.found) {
        std::fprintf(stderr, "autopilot: pack %d level %d: no solution within %d rides\n", options.pack,
            options.level, outcome.rides);
        return 1;
    }
    QFile file(output);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return fail(QStringLiteral("cannot write %1").arg(output));
    const QString header
        = QStringLiteral("# SPDX-License-Identifier: CC-BY-SA-4.0\n"
                         "# Pack %1, level %2: solution found by tools/autopilot (seed 1, %3 rides).\n"
                         "# Run time %4 s (%5 steps).\n")
              .arg(options.pack)
              .arg(options.level)
              .arg(outcome.rides)
              .arg(QString::number(outcome.runTime, 'f', 1))
              .arg(outcome.steps);
    file.write((header + outcome.timeline.toText()).toUtf8());
    std::printf(
        "pack %d level %d: %.1f s (%d rides)\n", options.pack, options.level, outcome.runTime, outcome.rides);
    return 0;
}

int times(const QCommandLineParser &parser)
{
    const QString levels = parser.value(QStringLiteral("levels"));
    const QString sources = parser.value(QStringLiteral("sources"));
    const QString solutions = parser.value(QStringLiteral("solutions"));
    if (levels.isEmpty() || sources.isEmpty() || solutions.isEmpty())
        return fail(QStringLiteral("times needs --levels, --sources and --solutions"));
    QString report;
    QString errors;
    const bool ok = updateTargetTimes(levels, sources, solutions, &report, &errors);
    std::printf("%s", qPrintable(report));
    if (!ok) {
        std::fprintf(stderr, "%s", qPrintable(errors));
        return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Finds solution rides of Velocrag levels and sets their target times."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("solve or times"));
    parser.addOptions({
        {QStringLiteral("levels"), QStringLiteral("Level database."), QStringLiteral("file")},
        {QStringLiteral("pack"), QStringLiteral("Level pack (solve)."), QStringLiteral("n")},
        {QStringLiteral("level"), QStringLiteral("Level number (solve)."), QStringLiteral("n")},
        {QStringLiteral("output"), QStringLiteral("Timeline to write (solve)."), QStringLiteral("file")},
        {QStringLiteral("prefix"), QStringLiteral("Hand-written start of the ride (solve)."),
            QStringLiteral("file")},
        {QStringLiteral("max-rides"), QStringLiteral("Search budget in rides (solve, default 1000)."),
            QStringLiteral("n"), QStringLiteral("1000")},
        {QStringLiteral("segment"), QStringLiteral("Steps per control segment (solve, default 22)."),
            QStringLiteral("n"), QStringLiteral("22")},
        {QStringLiteral("verbose"), QStringLiteral("Report every segment on standard error.")},
        {QStringLiteral("sources"), QStringLiteral("Level source folder (times)."), QStringLiteral("dir")},
        {QStringLiteral("solutions"), QStringLiteral("Solution folder (times)."), QStringLiteral("dir")},
    });
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1)
        return fail(QStringLiteral("give one command: solve or times (see --help)"));
    if (args.first() == QLatin1String("solve"))
        return solve(parser);
    if (args.first() == QLatin1String("times"))
        return times(parser);
    return fail(QStringLiteral("unknown command \"%1\"").arg(args.first()));
}

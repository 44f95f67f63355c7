// SPDX-License-Identifier: GPL-3.0-or-later
// ride: rides one level headlessly from an input timeline and prints one
// JSON line with the outcome. See README.md beside this file.

#include "riderun.h"

#include "physics/physicsconventions.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QRegularExpression>
#include <cstdio>
#include <optional>

namespace {
// Exit status of a re-simulated replay that does not end as recorded.
constexpr int kReplayDiffers = 3;

int fail(const QString &message)
{
    std::fprintf(stderr, "ride: %s\n", qPrintable(message));
    return 2;
}

bool parseInt(const QString &text, int min, int *out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < min)
        return false;
    *out = v;
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Rides a Velocrag level headlessly from an input timeline."));
    parser.addHelpOption();
    const QCommandLineOption levelsOpt(
        QStringLiteral("levels"), QStringLiteral("Level database."), QStringLiteral("levels.db"));
    const QCommandLineOption packOpt(
        QStringLiteral("pack"), QStringLiteral("Level pack number."), QStringLiteral("n"));
    const QCommandLineOption levelOpt(
        QStringLiteral("level"), QStringLiteral("Level number."), QStringLiteral("n"));
    const QCommandLineOption timelineOpt(
        QStringLiteral("timeline"), QStringLiteral("Input timeline file."), QStringLiteral("file"));
    const QCommandLineOption seedOpt(QStringLiteral("seed"),
        QStringLiteral("Seed of the simulation (default 1)."), QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption stepsOpt(QStringLiteral("max-steps"),
        QStringLiteral("Step limit (default 6600, two minutes of run time)."), QStringLiteral("n"),
        QStringLiteral("6600"));
    const QCommandLineOption traceOpt(
        QStringLiteral("trace"), QStringLiteral("Per-step CSV trace."), QStringLiteral("file.csv"));
    const QCommandLineOption snapshotOpt(QStringLiteral("snapshot"),
        QStringLiteral("PNG of the scene after <step> steps (repeatable)."), QStringLiteral("step:file.png"));
    const QCommandLineOption sizeOpt(QStringLiteral("snapshot-size"),
        QStringLiteral("Snapshot size (default 800x480)."), QStringLiteral("WxH"), QStringLiteral("800x480"));
    const QCommandLineOption zoomOpt(QStringLiteral("snapshot-zoom"),
        QStringLiteral("Snapshot zoom (default 1)."), QStringLiteral("z"), QStringLiteral("1"));
    const QCommandLineOption shapesOpt(
        QStringLiteral("snapshot-shapes"), QStringLiteral("Outline the collision shapes in snapshots."));
    const QCommandLineOption timingOpt(
        QStringLiteral("timing"), QStringLiteral("Report the real-time factor on standard error."));
    const QCommandLineOption replayOpt(QStringLiteral("replay"),
        QStringLiteral(
            "Re-simulate a replay file (its level unless --pack/--level say otherwise); exit 3 when "
            "the ride differs from the recording."),
        QStringLiteral("file"));
    const QCommandLineOption recordOpt(
        QStringLiteral("record"), QStringLiteral("Write a replay file of the ride."), QStringLiteral("file"));
    parser.addOptions({levelsOpt, packOpt, levelOpt, timelineOpt, seedOpt, stepsOpt, traceOpt, snapshotOpt,
        sizeOpt, zoomOpt, shapesOpt, timingOpt, replayOpt, recordOpt});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));

    RideRun::Options options;
    std::optional<ReplayFile> replay;
    if (parser.isSet(replayOpt)) {
        if (parser.isSet(timelineOpt))
            return fail(QStringLiteral("--replay and --timeline exclude each other"));
        QString error;
        replay = ReplayFile::load(parser.value(replayOpt), &error);
        if (!replay)
            return fail(error);
        options.replay = &*replay;
        options.pack = replay->pack;
        options.level = replay->level;
    }
    if (!parser.isSet(levelsOpt) || (!replay && (!parser.isSet(packOpt) || !parser.isSet(levelOpt))))
        return fail(QStringLiteral("--levels, --pack and --level are required (see --help)"));
    options.levelsDb = parser.value(levelsOpt);
    if (parser.isSet(packOpt) && !parseInt(parser.value(packOpt), 1, &options.pack))
        return fail(QStringLiteral("--pack must be a positive whole number"));
    if (parser.isSet(levelOpt) && !parseInt(parser.value(levelOpt), 1, &options.level))
        return fail(QStringLiteral("--level must be a positive whole number"));
    options.recordPath = parser.value(recordOpt);
    bool ok = false;
    const qulonglong seed = parser.value(seedOpt).toULongLong(&ok);
    if (!ok || seed > 0xFFFFFFFFull)
        return fail(QStringLiteral("--seed must be a whole number from 0 to 4294967295"));
    options.seed = std::uint32_t(seed);
    if (!parseInt(parser.value(stepsOpt), 0, &options.maxSteps))
        return fail(QStringLiteral("--max-steps must be a whole number of at least 0"));
    if (parser.isSet(timelineOpt)) {
        QString error;
        const auto timeline = InputTimeline::load(parser.value(timelineOpt), &error);
        if (!timeline)
            return fail(error);
        options.timeline = *timeline;
    }
    options.tracePath = parser.value(traceOpt);
    static const QRegularExpression snapshotSpec(QStringLiteral("^(\\d+):(.+)$"));
    for (const QString &spec : parser.values(snapshotOpt)) {
        const auto match = snapshotSpec.match(spec);
        int step = 0;
        if (!match.hasMatch() || !parseInt(match.captured(1), 0, &step))
            return fail(QStringLiteral("--snapshot wants <step>:<file.png>, got \"%1\"").arg(spec));
        options.snapshots.insert(step, match.captured(2));
    }
    static const QRegularExpression sizeSpec(QStringLiteral("^(\\d+)x(\\d+)$"));
    const auto size = sizeSpec.match(parser.value(sizeOpt));
    int width = 0;
    int height = 0;
    if (!size.hasMatch() || !parseInt(size.captured(1), 1, &width) || !parseInt(size.captured(2), 1, &height)
        || width > 8192 || height > 8192)
        return fail(QStringLiteral("--snapshot-size wants WxH of 1 to 8192 pixels"));
    options.snapshotSize = QSize(width, height);
    options.snapshotZoom = parser.value(zoomOpt).toDouble(&ok);
    if (!ok || !(options.snapshotZoom > 0.01 && options.snapshotZoom < 100.0))
        return fail(QStringLiteral("--snapshot-zoom wants a number between 0.01 and 100"));

    options.snapshotShapes = parser.isSet(shapesOpt);

    RideRun::Result result;
    QString error;
    if (!RideRun::run(options, &result, &error))
        return fail(error);
    std::printf("%s\n", qPrintable(RideRun::toJson(options, result)));
    std::fflush(stdout);

    if (parser.isSet(timingOpt)) {
        const double simulated = result.steps * (1.0 / kPhysicsStepsPerSecond);
        const double wall = result.wallNs / 1e9;
        std::fprintf(stderr,
            "ride: %d steps, %.3f s simulated in %.3f s: %.0fx real time, %.1f us per step\n", result.steps,
            simulated, wall, wall > 0 ? simulated / wall : 0.0,
            result.steps ? result.wallNs / 1000.0 / result.steps : 0.0);
    }
    if (replay) {
        const QString difference = RideRun::replayDifference(*replay, result);
        if (!difference.isEmpty()) {
            std::fprintf(stderr, "ride: the ride differs from the recording: %s\n", qPrintable(difference));
            return kReplayDiffers;
        }
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// ridebench: rides the loose-objects test level with the game's simulation
// step and reports microseconds per step and the ride tool's real-time
// factor. Usage: ridebench [testlevels.db] [steps]
// Per-step times are given both as wall time and as the thread's CPU time
// (the latter is what the step costs when the machine is shared), then the
// cost of recording the same ride as a replay.

#include "riderun.h"

#include "physics/physicsconventions.h"

#include <QApplication>
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {
constexpr int kDefaultSteps = 5000;
constexpr int kBenchPack = 95;
constexpr int kBenchLevel = 2;
constexpr double kStepSeconds = 1.0 / kPhysicsStepsPerSecond;

double percentileUs(QVector<qint64> ns, double fraction)
{
    std::sort(ns.begin(), ns.end());
    return ns.isEmpty() ? 0.0 : ns.at(int(fraction * (ns.size() - 1))) / 1000.0;
}

qint64 threadCpuNs()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RideRun::Options options;
    options.levelsDb = argc > 1
        ? QString::fromLocal8Bit(argv[1])
        : QCoreApplication::applicationDirPath() + QStringLiteral("/../../testlevels.db");
    options.maxSteps = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultSteps;
    options.pack = kBenchPack;
    options.level = kBenchLevel;
    options.keepRiding = true;
    options.timeSteps = true;
    QString error;
    // Full throttle into the objects, leaning now and then.
    const auto timeline = InputTimeline::parse(QStringLiteral("0 throttle 1\n200 lean -1\n215 lean 0\n"
                                                              "400 lean 1\n410 lean 0\n"),
        &error);
    options.timeline = *timeline;

    // The thread's CPU time of one ride in microseconds, or a negative
    // number when the ride cannot be set up.
    auto ride = [&options, &error](RideRun::Result *result) {
        const qint64 cpuStart = threadCpuNs();
        if (!RideRun::run(options, result, &error)) {
            std::fprintf(stderr, "ridebench: %s\n", qPrintable(error));
            return -1.0;
        }
        return (threadCpuNs() - cpuStart) / 1000.0;
    };
    RideRun::Result result;
    const double cpuUs = ride(&result);
    if (cpuUs < 0)
        return 2;
    const double wallS = result.wallNs / 1e9;
    const double simulatedS = result.steps * kStepSeconds;
    std::printf("ridebench: %d steps of pack %d level %d (%s)\n", result.steps, kBenchPack, kBenchLevel,
        result.crashed ? "rider thrown off on the way" : "rider on the bike");
    std::printf("  wall time per step: median %.1f us, p95 %.1f us, mean %.1f us\n",
        percentileUs(result.stepNs, 0.5), percentileUs(result.stepNs, 0.95),
        result.wallNs / 1000.0 / std::max(1, result.steps));
    std::printf(
        "  thread CPU per step (whole ride incl. set-up): mean %.1f us\n", cpuUs / std::max(1, result.steps));
    std::printf("  real-time factor of the ride: %.0fx by wall time (%.2f s simulated in %.3f s), %.0fx by "
                "CPU time\n",
        wallS > 0 ? simulatedS / wallS : 0.0, simulatedS, wallS,
        cpuUs > 0 ? simulatedS / (cpuUs / 1e6) : 0.0);

    // The same ride recorded as the game records every run.
    options.record = true;
    RideRun::Result recorded;
    const double recordCpuUs = ride(&recorded);
    if (recordCpuUs < 0)
        return 2;
    const int steps = std::max(1, recorded.steps);
    std::printf("  recording: %.3f us per step in the recorder (%d pose samples, %lld bytes of replay)\n",
        recorded.recordNs / 1000.0 / steps, recorded.recording.poseCount,
        qlonglong(recorded.recording.toBytes().size()));
    std::printf("  thread CPU per step with recording: mean %.1f us (without: %.1f us)\n",
        recordCpuUs / steps, cpuUs / std::max(1, result.steps));
    return 0;
}

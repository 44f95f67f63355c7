// SPDX-License-Identifier: GPL-3.0-or-later
// Child process of the replay kill test: writes two different long replays
// to one path in turn, for ever, printing "saved" after the first. The test
// kills it at any moment and checks that the path holds one of the two.
//   velocrag_replaywriter <path>

#include "replays/posetrack.h"
#include "replays/replayfile.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
ReplayFile longRun(int variant)
{
    ReplayFile f;
    f.gameVersion = QStringLiteral("kill-test");
    f.pack = 1;
    f.level = variant;
    f.steps = ReplayFile::kMaxSteps;
    f.poseStride = 6;
    f.controls = {{1.0, false, 0.0}};
    f.inputs = {{0, f.steps}};
    PoseTrack track;
    for (int i = 0; i < ReplayFile::poseSamplesFor(f.steps, f.poseStride); ++i) {
        PoseTrack::Sample s;
        s.parts = 0x0f;
        for (int part = 0; part < 4; ++part)
            s.bodies[part] = {double(i * (variant + 1)), double(part), 0.01 * i};
        track.append(s);
    }
    f.poseBytes = track.bytes();
    f.poseCount = track.count();
    return f;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: velocrag_replaywriter <path>\n");
        return 2;
    }
    const QString path = app.arguments().at(1);
    const ReplayFile files[2] = {longRun(1), longRun(2)};
    QString error;
    for (long i = 0;; ++i) {
        if (!files[i % 2].save(path, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        if (i == 0) {
            std::printf("saved\n");
            std::fflush(stdout);
        }
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPLAYFILE_H
#define REPLAYFILE_H

#include "replays/posetrack.h"
#include "world/simulationstep.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <QtGlobal>
#include <optional>

// One recorded run of a level: what identifies the level and the game that
// made it, the bike's inputs per simulation step (run-length encoded) and
// the pose track. The byte format is described in replays/README.md;
// reading checks everything and refuses a damaged, cut, foreign or newer
// file with one line saying why.
class ReplayFile
{
public:
    static constexpr char kMagic[] = "VCRGRPLY";
    static constexpr int kMagicSize = 8;
    // Files of a higher version are refused (made by a newer game).
    static constexpr quint16 kFormatVersion = 1;
    // Limits a file must keep (a run of one hour).
    static constexpr int kMaxSteps = SimulationStep::kStepsPerRunSecond * 60 * 60;
    static constexpr int kMaxGameVersionBytes = 64;
    static constexpr int kMaxControls = 65535;
    // The largest file the format holds: every count at its limit, every
    // field at its longest (about 24 MiB). Nothing larger is read.
    static const qint64 kMaxFileBytes;

    enum class Outcome : quint8 { Finished = 0, Failed = 1, Unfinished = 2 };

    // What the bike is told before a step: throttle (1 full, 0 none,
    // negative brakes the front wheel), the rear brake, and the lean speed
    // (tilt change per step, 0 when no lean is held).
    struct Controls
    {
        double throttle = 0.0;
        bool brake = false;
        double lean = 0.0;
        bool operator==(const Controls &o) const
        {
            return throttle == o.throttle && brake == o.brake && lean == o.lean;
        }
        bool operator!=(const Controls &o) const { return !(*this == o); }
    };
    // steps consecutive steps with controls[controls].
    struct InputRun
    {
        int controls = 0;
        int steps = 0;
    };

    QString gameVersion;
    int pack = 0;
    int level = 0;
    int levelId = 0;
    // WorldChecksum of the level's world at the start of the run.
    quint64 levelChecksum = 0;
    // The bike's random sequence (mud) where the run started.
    quint64 randomState = 1;
    // Simulation steps of the run.
    int steps = 0;
    Outcome outcome = Outcome::Unfinished;
    // BikeState::hash after the last step.
    quint64 finalStateHash = 0;
    // Steps between pose samples; samples are taken after 0, stride,
    // 2 stride ... steps and after the last one.
    int poseStride = 1;
    // The distinct controls of the run and the runs that use them.
    QVector<Controls> controls;
    QVector<InputRun> inputs;
    QByteArray poseBytes;
    int poseCount = 0;

    // Pose samples a run of steps steps holds with stride.
    static int poseSamplesFor(int steps, int stride);

    QByteArray toBytes() const;
    // The file in bytes; nothing (with *error) when they are not a replay
    // this game can read.
    static std::optional<ReplayFile> fromBytes(const QByteArray &bytes, QString *error);

    // Writes to a temporary file beside path and renames it over path: a
    // crash leaves the old file or the new one, never a mix (and perhaps
    // the temporary: see removeStaleTemporaries).
    bool save(const QString &path, QString *error) const;
    // Reads the replay at path, which must be a regular file no larger
    // than kMaxFileBytes: a named pipe, a device or a folder is refused
    // without waiting on it or reading it.
    static std::optional<ReplayFile> load(const QString &path, QString *error);

    // The temporary save() writes for path: path, then ".saving-" and six
    // random letters or digits, a name nothing else in the game makes.
    static QString temporaryPathFor(const QString &path);
    // Removes from folder the temporaries of saves that a stop cut short:
    // regular files named as temporaryPathFor() names them and last written
    // more than kStaleTemporarySeconds before now (a younger one may be a
    // save of another running copy of the game). Nothing else is touched.
    // Returns how many went.
    static int removeStaleTemporaries(const QString &folder, const QDateTime &now);
    static constexpr qint64 kStaleTemporarySeconds = 60;

    std::optional<QVector<PoseTrack::Sample>> poses(QString *error) const;
    // The controls of every step, expanded (steps entries).
    QVector<Controls> controlsPerStep() const;

    static QString outcomeName(Outcome outcome);
};

#endif

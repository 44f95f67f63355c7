// SPDX-License-Identifier: GPL-3.0-or-later
#include "riderun.h"

#include "levels/level.h"
#include "physics/ballitem.h"
#include "physics/physics.h"
#include "replays/replayplayer.h"
#include "replays/replayrecorder.h"
#include "replays/worldchecksum.h"
#include "vehicle/bikeitem.h"
#include "world/bikestate.h"
#include "world/levelworld.h"
#include "world/simulationstep.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>
#include <chipmunk/chipmunk_structs.h>
#include <memory>

namespace {
const QColor kSnapshotSky(178, 208, 230);

QString number(double v)
{
    return QString::number(v, 'g', 17);
}

// Restores the working folder when the ride ends.
class WorkingFolder
{
public:
    explicit WorkingFolder(const QString &path)
        : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~WorkingFolder() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
};

// Outlines of the collision shapes, to check that pictures sit on their
// bodies; shapes that collide with nothing (the fallen rider's head) in grey.
void drawShapes(QPainter *painter, cpSpace *space)
{
    cpSpaceEachShape(
        space,
        [](cpShape *shape, void *data) {
            auto *p = static_cast<QPainter *>(data);
            cpBody *body = cpShapeGetBody(shape);
            const bool collides = cpShapeGetFilter(shape).categories != 0;
            p->setPen(QPen(collides ? QColor(255, 230, 0) : QColor(128, 128, 128), 0));
            p->setBrush(Qt::NoBrush);
            const cpShapeType type = shape->klass->type;
            if (type == CP_POLY_SHAPE) {
                QPolygonF poly;
                for (int i = 0; i < cpPolyShapeGetCount(shape); ++i) {
                    const cpVect v = cpBodyLocalToWorld(body, cpPolyShapeGetVert(shape, i));
                    poly << QPointF(v.x, v.y);
                }
                p->drawPolygon(poly);
            } else if (type == CP_SEGMENT_SHAPE) {
                const cpVect a = cpBodyLocalToWorld(body, cpSegmentShapeGetA(shape));
                const cpVect b = cpBodyLocalToWorld(body, cpSegmentShapeGetB(shape));
                p->drawLine(QPointF(a.x, a.y), QPointF(b.x, b.y));
            } else {
                const cpVect offset = cpCircleShapeGetOffset(shape);
                const qreal r = cpCircleShapeGetRadius(shape);
                const cpVect c = cpBodyLocalToWorld(body, offset);
                const cpVect rim = cpBodyLocalToWorld(body, cpvadd(offset, cpv(r, 0)));
                p->drawEllipse(QPointF(c.x, c.y), r, r);
                p->drawLine(QPointF(c.x, c.y), QPointF(rim.x, rim.y));
            }
        },
        painter);
}

bool writeSnapshot(QGraphicsScene &scene, cpSpace *space, const BikeItem &bike,
    const RideRun::Options &options, const QString &path, QString *error)
{
    QImage image(options.snapshotSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(kSnapshotSky);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QSizeF sourceSize(options.snapshotSize.width() / options.snapshotZoom,
        options.snapshotSize.height() / options.snapshotZoom);
    const QPointF centre = bike.scenePos();
    const QRectF source(centre - QPointF(sourceSize.width() / 2, sourceSize.height() / 2), sourceSize);
    scene.render(
        &painter, QRectF(QPointF(0, 0), QSizeF(options.snapshotSize)), source, Qt::IgnoreAspectRatio);
    if (options.snapshotShapes) {
        painter.scale(options.snapshotZoom, options.snapshotZoom);
        painter.translate(-source.topLeft());
        drawShapes(&painter, space);
    }
    painter.end();
    if (!image.save(path, "PNG")) {
        *error = QStringLiteral("cannot write snapshot %1").arg(path);
        return false;
    }
    return true;
}
} // namespace

bool RideRun::run(const Options &options, Result *result, QString *error)
{
    const QFileInfo levelsFile(options.levelsDb);
    if (!levelsFile.isFile()) {
        *error = QStringLiteral("no level database at %1").arg(options.levelsDb);
        return false;
    }
    QTemporaryDir folder;
    if (!folder.isValid()
        || !QFile::copy(levelsFile.absoluteFilePath(), folder.filePath(QStringLiteral("levels.db")))) {
        *error = QStringLiteral("cannot prepare a working folder for %1").arg(options.levelsDb);
        return false;
    }
    std::unique_ptr<QFile> trace;
    std::unique_ptr<QTextStream> traceOut;
    if (!options.tracePath.isEmpty()) {
        trace = std::make_unique<QFile>(QFileInfo(options.tracePath).absoluteFilePath());
        if (!trace->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            *error = QStringLiteral("cannot write trace %1").arg(options.tracePath);
            return false;
        }
        traceOut = std::make_unique<QTextStream>(trace.get());
        *traceOut << BikeState::header() << '\n';
    }
    QMap<int, QString> snapshots;
    for (auto it = options.snapshots.cbegin(); it != options.snapshots.cend(); ++it)
        snapshots.insert(it.key(), QFileInfo(it.value()).absoluteFilePath());

    // Relative to the caller's folder, not the ride's.
    const QString recordPath
        = options.recordPath.isEmpty() ? QString() : QFileInfo(options.recordPath).absoluteFilePath();
    WorkingFolder inFolder(folder.path());
    // The level manager opens the level database of the working folder.
    LevelWorld world;
    QGraphicsScene &scene = *world.scene();
    // Every item moves every step: a spatial index of the scene would cost
    // more to keep up than it saves.
    scene.setItemIndexMethod(QGraphicsScene::NoIndex);
    Level *level = world.loadLevel(options.pack, options.level);
    if (level->levelPackNumber() != options.pack || level->levelNumber() != options.level) {
        *error = QStringLiteral("no level %1 in pack %2 of %3")
                     .arg(options.level)
                     .arg(options.pack)
                     .arg(options.levelsDb);
        return false;
    }
    BikeItem *bike = world.bike();
    bool groundHitted = false;
    QObject::connect(bike, &BikeItem::permanentlyGroundHitted, [&groundHitted] { groundHitted = true; });

    SimulationStep &sim = world.step();
    std::optional<ReplayPlayer> player;
    int maxSteps = options.maxSteps;
    if (options.replay) {
        player.emplace(*options.replay);
        player->restart(&world);
        maxSteps = std::min(maxSteps, options.replay->steps);
    } else {
        bike->random().setSeed(options.seed);
        world.restart();
    }
    result->levelChecksum = WorldChecksum::of(world.physics()->space());
    ReplayRecorder recorder;
    const bool recording = options.record || !recordPath.isEmpty();
    if (recording)
        recorder.start(world);
    result->finishLineX = level->finishLineX();

    int cursor = 0;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const int taken = sim.stepCount();
        if (snapshots.contains(taken)
            && !writeSnapshot(scene, world.physics()->space(), *bike, options, snapshots.value(taken), error))
            return false;
        if (taken >= maxSteps || (!options.keepRiding && (result->finished || groundHitted)))
            break;
        if (player)
            player->applyStep(taken, bike);
        else
            options.timeline.applyDue(taken, bike, &cursor);
        if (recording) {
            const qint64 start = options.timeSteps ? clock.nsecsElapsed() : 0;
            recorder.beforeStep(*bike);
            if (options.timeSteps)
                result->recordNs += clock.nsecsElapsed() - start;
        }
        const qint64 before = options.timeSteps ? clock.nsecsElapsed() : 0;
        sim.step([&] {
            if (sim.reached(level->finishLineX()))
                result->finished = true;
        });
        if (options.timeSteps)
            result->stepNs.append(clock.nsecsElapsed() - before);
        if (recording) {
            const qint64 start = options.timeSteps ? clock.nsecsElapsed() : 0;
            recorder.afterStep(*bike, sim.stepCount());
            if (options.timeSteps)
                result->recordNs += clock.nsecsElapsed() - start;
        }
        if (!bike->isActive() && !result->crashed) {
            result->crashed = true;
            result->crashStep = sim.stepCount();
        }
        if (traceOut)
            *traceOut << BikeState::row(sim.stepCount(), *bike) << '\n';
    }
    result->wallNs = clock.nsecsElapsed();
    result->failed = groundHitted;
    result->steps = sim.stepCount();
    result->runTime = sim.runTime();
    result->frontmostX = bike->frontmostX();
    result->stateHash = BikeState::hash(sim.stepCount(), *bike);
    result->outcome = result->finished ? ReplayFile::Outcome::Finished
        : groundHitted                 ? ReplayFile::Outcome::Failed
                                       : ReplayFile::Outcome::Unfinished;
    if (recording) {
        result->recording = recorder.finish(*bike, sim.stepCount(), result->outcome);
        if (!recordPath.isEmpty() && !result->recording.save(recordPath, error))
            return false;
    }
    return true;
}

QString RideRun::replayDifference(const ReplayFile &replay, const Result &result)
{
    QStringList differences;
    if (result.levelChecksum != replay.levelChecksum)
        differences << QStringLiteral("the level changed since the recording");
    if (result.outcome != replay.outcome)
        differences << QStringLiteral("outcome %1, recorded %2")
                           .arg(ReplayFile::outcomeName(result.outcome),
                               ReplayFile::outcomeName(replay.outcome));
    if (result.steps != replay.steps)
        differences << QStringLiteral("%1 steps, recorded %2").arg(result.steps).arg(replay.steps);
    if (result.stateHash != replay.finalStateHash)
        differences << QStringLiteral("final state %1, recorded %2")
                           .arg(BikeState::hashText(result.stateHash),
                               BikeState::hashText(replay.finalStateHash));
    return differences.join(QStringLiteral("; "));
}

QString RideRun::toJson(const Options &options, const Result &result)
{
    return QStringLiteral(
        "{\"pack\":%1,\"level\":%2,\"seed\":%3,\"finished\":%4,\"failed\":%5,\"steps\":%6,"
        "\"runTime\":%7,\"crashed\":%8,\"crashStep\":%9,\"frontmostX\":%10,\"finishLineX\":%11}")
        .arg(options.pack)
        .arg(options.level)
        .arg(options.seed)
        .arg(result.finished ? "true" : "false")
        .arg(result.failed ? "true" : "false")
        .arg(result.steps)
        .arg(QString::number(result.runTime, 'f', 1))
        .arg(result.crashed ? "true" : "false")
        .arg(result.crashed ? QString::number(result.crashStep) : QStringLiteral("null"))
        .arg(number(result.frontmostX))
        .arg(number(result.finishLineX));
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped level packs: every level loads into a playable shape, the
// packs are numbered 1..24 without gaps, and every level is finished by its
// committed solution ride (replayed with the ride tool) inside its bronze time,
// at exactly the step and in exactly the final state the ride records
// (its golden line, written by tools/autopilot/golden-rides.sh).

#include "goldenride.h"
#include "testsupport.h"

#include "levels/grounditem.h"
#include "levels/level.h"
#include "levels/levelmanager.h"
#include "physics/physics.h"
#include "physics/physicsconventions.h"
#include "physics/physicsitem.h"
#include "world/levelworld.h"

#include <QCryptographicHash>
#include <QDir>
#include <QGraphicsScene>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
constexpr int kPacks[] = {1, 2};
constexpr int kLevelsPerPack = 24;
// The bike's wheels hang about 45 units below its start position: the
// terrain must be below that, and not too far (the bike drops onto it).
constexpr double kMinStartClearance = 30.0;
constexpr double kMaxStartClearance = 400.0;
#ifdef VELOCRAG_SANITIZED_BUILD
// The sanitized build is many times slower: replay one level in six there.
constexpr int kReplayStride = 6;
#else
constexpr int kReplayStride = 1;
#endif

bool isTerrain(const PhysicsItem *item)
{
    const GroundItem *ground = qgraphicsitem_cast<const GroundItem *>(item);
    return ground && ground->isTerrain();
}

QString levelsDb()
{
    return TestSupport::binaryDir() + QStringLiteral("/levels.db");
}

// Rides a level with the ride tool; with a trace path, the tool writes its
// per-step trace there.
QJsonObject ride(int pack, int level, const QString &timeline, TestSupport::ProcessResult *raw,
    const QString &trace = QString())
{
    QStringList args {QStringLiteral("--levels"), levelsDb(), QStringLiteral("--pack"), QString::number(pack),
        QStringLiteral("--level"), QString::number(level), QStringLiteral("--timeline"), timeline};
    if (!trace.isEmpty())
        args << QStringLiteral("--trace") << trace;
    *raw = TestSupport::runProcess(TestSupport::binaryDir() + QStringLiteral("/tools/ride/ride"), args);
    return QJsonDocument::fromJson(raw->standardOutput.toUtf8()).object();
}

// The hash of the last row of a ride trace, as the golden line records it.
QString finalStateHash(const QString &tracePath)
{
    QFile file(tracePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QList<QByteArray> rows = file.readAll().trimmed().split('\n');
    return QString::fromLatin1(
        QCryptographicHash::hash(rows.last(), QCryptographicHash::Sha256).toHex().left(16));
}

double bronzeTime(int pack, int level)
{
    const QVariantList v = TestSupport::querySql(levelsDb(),
        QStringLiteral("SELECT bronzetime FROM level WHERE levelpack_number = %1 AND level_number = %2")
            .arg(pack)
            .arg(level));
    return v.isEmpty() ? -1.0 : v.first().toDouble();
}

// The level database copied into a working folder for the manager.
struct GameFolder
{
    GameFolder()
        : previous(QDir::currentPath())
    {
        QFile::copy(levelsDb(), dir.filePath(QStringLiteral("levels.db")));
        QDir::setCurrent(dir.path());
    }
    ~GameFolder() { QDir::setCurrent(previous); }
    QTemporaryDir dir;
    QString previous;
};

// Teardown order: manager, scene (frees the items), world.
struct Game
{
    Physics physics {LevelWorld::kGravity};
    QGraphicsScene scene;
    std::unique_ptr<LevelManager> manager {new LevelManager(&physics, &scene)};
};

void allLevels()
{
    QTest::addColumn<int>("pack");
    QTest::addColumn<int>("level");
    for (int pack : kPacks)
        for (int level = 1; level <= kLevelsPerPack; ++level)
            QTest::addRow("pack %d level %02d", pack, level) << pack << level;
}

// Nearest terrain below (x, y) down to maxY, or +inf.
double terrainBelow(cpSpace *space, double x, double y, double maxY)
{
    cpSegmentQueryInfo info;
    const cpShapeFilter filter = cpShapeFilterNew(CP_NO_GROUP, CP_ALL_CATEGORIES, CP_ALL_CATEGORIES);
    cpShape *hit = cpSpaceSegmentQueryFirst(space, cpv(x, y), cpv(x, maxY), 0.0, filter, &info);
    return hit ? info.point.y : std::numeric_limits<double>::infinity();
}
} // namespace

class TestShippedLevels : public QObject
{
    Q_OBJECT
private slots:
    void packsAreNumberedWithoutGaps()
    {
        for (int pack : kPacks) {
            const QVariantList numbers = TestSupport::querySql(levelsDb(),
                QStringLiteral("SELECT level_number FROM level WHERE levelpack_number = %1 ORDER BY "
                               "level_number")
                    .arg(pack));
            QCOMPARE(numbers.size(), kLevelsPerPack);
            for (int i = 0; i < numbers.size(); ++i)
                QCOMPARE(numbers.at(i).toInt(), i + 1);
        }
        // Only the two packs ship: no test levels, no stray pack numbers.
        QCOMPARE(TestSupport::querySql(levelsDb(),
                     QStringLiteral("SELECT count(*) FROM level WHERE levelpack_number NOT IN (1, 2, -1)")),
            QVariantList {0});
    }

    void objectTypesAreValid()
    {
        QCOMPARE(TestSupport::querySql(levelsDb(),
                     QStringLiteral("SELECT count(*) FROM physicsobject p LEFT JOIN objecttype t ON "
                                    "t.id = p.objecttype_id WHERE t.id IS NULL OR t.physicsitem_type NOT IN "
                                    "('Ball', 'Box', 'Generic_Static', 'Generic_Static_Foreground')")),
            QVariantList {0});
        // Every picture of the catalogue is placed in some level.
        QCOMPARE(TestSupport::querySql(levelsDb(),
                     QStringLiteral("SELECT count(*) FROM objecttype t WHERE NOT EXISTS (SELECT 1 FROM "
                                    "physicsobject p JOIN level l ON l.id = p.level_id WHERE p.objecttype_id "
                                    "= t.id AND l.levelpack_number IN (1, 2))")),
            QVariantList {0});
    }

    void targetTimesAreOrdered()
    {
        QCOMPARE(TestSupport::querySql(levelsDb(),
                     QStringLiteral("SELECT count(*) FROM level WHERE NOT (0 < goldtime AND goldtime <= "
                                    "silvertime AND silvertime <= bronzetime)")),
            QVariantList {0});
    }

    void levelLoads_data() { allLevels(); }
    void levelLoads()
    {
        QFETCH(int, pack);
        QFETCH(int, level);
        GameFolder folder;
        Game game;
        Level *l = game.manager->LoadLevel(pack, level);
        QCOMPARE(l->levelPackNumber(), pack);
        QCOMPARE(l->levelNumber(), level);
        QVERIFY(!l->physicsItems().isEmpty());
        QVERIFY(isTerrain(l->physicsItems().first()));
        // The scene is as wide as the terrain; the finish stands inside it.
        const double width = l->groundMaxX();
        QVERIFY(l->finishLineX() > l->bikeStartPos().x());
        QVERIFY2(l->finishLineX() > 0 && l->finishLineX() < width,
            qPrintable(QStringLiteral("finish %1, terrain to %2").arg(l->finishLineX()).arg(width)));
        QVERIFY(l->finishLineY() >= l->sceneMinY() && l->finishLineY() <= l->sceneMaxY());
        // The finish picture stands on the ground.
        const double finishGround
            = terrainBelow(game.physics.space(), l->finishLineX(), l->finishLineY() - 5.0, l->sceneMaxY());
        QVERIFY2(std::abs(finishGround - l->finishLineY()) < 5.0,
            qPrintable(
                QStringLiteral("finish line y %1, ground at %2").arg(l->finishLineY()).arg(finishGround)));
        // The start is inside the scene and a little above the ground.
        const QPointF start = l->bikeStartPos();
        QVERIFY(start.x() > 0 && start.x() < width);
        QVERIFY(start.y() > l->sceneMinY() && start.y() < l->sceneMaxY());
        const double ground = terrainBelow(game.physics.space(), start.x(), start.y(), l->sceneMaxY());
        QVERIFY2(ground - start.y() >= kMinStartClearance && ground - start.y() <= kMaxStartClearance,
            qPrintable(QStringLiteral("start y %1, ground at %2").arg(start.y()).arg(ground)));
        // No terrain between the start and the sky: the bike is not buried.
        QCOMPARE(terrainBelow(game.physics.space(), start.x(), l->sceneMinY(), start.y()),
            std::numeric_limits<double>::infinity());
        // The earth reaches below the scene's bottom edge, so the camera at
        // its lowest never shows the background beneath the ground.
        qreal earthBottom = -std::numeric_limits<qreal>::infinity();
        for (PhysicsItem *item : l->physicsItems()) {
            if (isTerrain(item))
                earthBottom = std::max(earthBottom, item->sceneBoundingRect().bottom());
        }
        QVERIFY2(earthBottom >= l->sceneMaxY(),
            qPrintable(
                QStringLiteral("ground ends at y %1, scene at %2").arg(earthBottom).arg(l->sceneMaxY())));
    }

    void solutionFinishesInsideBronze_data() { allLevels(); }
    void solutionFinishesInsideBronze()
    {
        QFETCH(int, pack);
        QFETCH(int, level);
        if ((level - 1) % kReplayStride != 0)
            QSKIP("replayed in the unsanitized build only");
        const QString timeline = solutionPath(pack, level);
        QVERIFY2(QFile::exists(timeline), qPrintable(timeline));
        const GoldenRide golden = goldenRide(timeline);
        QVERIFY2(golden.steps > 0,
            qPrintable(
                QStringLiteral("%1 has no golden line (tools/autopilot/golden-rides.sh)").arg(timeline)));
        QTemporaryDir dir;
        const QString trace = dir.filePath(QStringLiteral("trace.csv"));
        TestSupport::ProcessResult raw;
        const QJsonObject out = ride(pack, level, timeline, &raw, trace);
        QVERIFY2(raw.exitCode == 0, qPrintable(raw.standardError));
        // The physics is deterministic: any change of the bike, the step or
        // the level shows here first. When intended, `make solutions`
        // rewrites the golden lines.
        QCOMPARE(out.value(QStringLiteral("steps")).toInt(), golden.steps);
        QCOMPARE(finalStateHash(trace), golden.state);
        QVERIFY2(out.value(QStringLiteral("finished")).toBool(), qPrintable(raw.standardOutput));
        QVERIFY2(!out.value(QStringLiteral("crashed")).toBool(), qPrintable(raw.standardOutput));
        QVERIFY(!out.value(QStringLiteral("failed")).toBool());
        const double bronze = bronzeTime(pack, level);
        QVERIFY(bronze > 0);
        QVERIFY2(out.value(QStringLiteral("runTime")).toDouble() <= bronze,
            qPrintable(QStringLiteral("%1 against bronze %2").arg(raw.standardOutput).arg(bronze)));
    }

    // The first start: holding the throttle alone finishes pack 1, level 1.
    void firstLevelOnThrottleAlone()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("throttle.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("0 throttle 1\n");
        file.close();
        TestSupport::ProcessResult raw;
        const QJsonObject out = ride(1, 1, file.fileName(), &raw);
        QVERIFY2(raw.exitCode == 0, qPrintable(raw.standardError));
        QVERIFY2(out.value(QStringLiteral("finished")).toBool(), qPrintable(raw.standardOutput));
        QVERIFY(!out.value(QStringLiteral("crashed")).toBool());
        QVERIFY(out.value(QStringLiteral("runTime")).toDouble() <= bronzeTime(1, 1));
    }
};

QTEST_MAIN(TestShippedLevels)
#include "tst_shippedlevels.moc"

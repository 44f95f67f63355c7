// SPDX-License-Identifier: GPL-3.0-or-later
// The ghost's rider: the best run's or the level author's pose track along
// the player's run, switched with G and the pause panel's button and
// remembered in results.db; it never touches the player's run.

#include "game/ghostitem.h"
#include "game/ghostrider.h"
#include "gametesting.h"
#include "goldenride.h"
#include "levels/level.h"
#include "levels/levelmanager.h"
#include "menus/buttonpixmap.h"
#include "menus/ingamemenu.h"
#include "physics/ballitem.h"
#include "physics/physics.h"
#include "replays/replayfile.h"
#include "replays/replayrecorder.h"
#include "vehicle/bikeitem.h"
#include "world/bikestate.h"
#include "world/inputtimeline.h"
#include "world/levelworld.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {
constexpr int kPack = 1;
constexpr int kLevel = 1;
// The game's first start on pack 1 level 1 shows the help first: the game's
// tests ride the next level.
constexpr int kGameLevel = 2;
constexpr int kStride = 6;
constexpr int kMaxTicks = 55 * 60;

// A made-up run of `steps` steps: the frame moves 2 units right and turns
// 0.004 rad per step from (100, -40), the wheels sit 30 units either side
// of it, the rider 25 above.
PoseTrack::Sample madeUpPose(double step)
{
    PoseTrack::Sample s;
    const double x = 100.0 + 2.0 * step;
    const double y = -40.0;
    const double a = 0.004 * step;
    auto put = [&s](PoseTrack::Part part, double px, double py, double angle) {
        s.parts |= quint8(1u << part);
        s.bodies[part] = PoseTrack::BodyPose {px, py, angle};
    };
    put(PoseTrack::Frame, x, y, a);
    put(PoseTrack::RearWheel, x - 30.0, y + 20.0, -0.5 * step);
    put(PoseTrack::FrontWheel, x + 30.0, y + 20.0, -0.5 * step);
    put(PoseTrack::RiderMass, x, y - 25.0, a);
    return s;
}

ReplayFile madeUpRun(int pack, int level, int steps)
{
    PoseTrack track;
    for (int step = 0; step < steps; step += kStride)
        track.append(madeUpPose(step));
    if (steps % kStride != 0)
        track.append(madeUpPose(steps));
    ReplayFile file;
    file.gameVersion = ReplayRecorder::gameVersion();
    file.pack = pack;
    file.level = level;
    file.steps = steps;
    file.outcome = ReplayFile::Outcome::Finished;
    file.poseStride = kStride;
    file.controls = {ReplayFile::Controls {1.0, false, 0.0}};
    file.inputs = {ReplayFile::InputRun {0, steps}};
    file.poseBytes = track.bytes();
    file.poseCount = track.count();
    return file;
}

bool near(QPointF a, QPointF b, double tolerance = 1.0 / 16)
{
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance;
}

QString text(QPointF p)
{
    return QStringLiteral("(%1, %2)").arg(p.x(), 0, 'f', 4).arg(p.y(), 0, 'f', 4);
}

// Plays the timeline through the running game, one tick per step, until the
// run ends; returns the final BikeState hash.
quint64 play(GameRig &r, const InputTimeline &timeline)
{
    int cursor = 0;
    for (int tick = 0; tick < kMaxTicks && !r.game->isPaused(); ++tick) {
        timeline.applyDue(r.game->stepCount(), r.game->bike(), &cursor);
        r.game->advance();
    }
    return BikeState::hash(r.game->stepCount(), *r.game->bike());
}

InputTimeline solution(int pack, int level)
{
    QString error;
    const std::optional<InputTimeline> timeline = InputTimeline::load(solutionPath(pack, level), &error);
    if (!timeline)
        qFatal("%s", qPrintable(error));
    return *timeline;
}

// The ghost's own world and settings beside a scene of the test's.
struct Rider
{
    LevelWorld world;
    std::unique_ptr<GhostRider> ghost;
    Rider() { ghost = std::make_unique<GhostRider>(world.scene(), world.openLevels()); }
};
} // namespace

class TestGhostRider : public QObject
{
    Q_OBJECT
private slots:
    // The ghost shows the run's pose at the player's step: between two
    // samples on the straight line, every part where the track puts it.
    void followsThePoseTrack()
    {
        LevelsFolder folder;
        QTemporaryDir dir;
        const QString best = dir.filePath("best.vcreplay");
        QString error;
        QVERIFY2(madeUpRun(kPack, kLevel, 100).save(best, &error), qPrintable(error));
        Rider r;
        r.ghost->setSolutionsFolder(dir.path());
        r.ghost->startRun(kPack, kLevel, best);
        QCOMPARE(r.ghost->source(), GhostRider::Source::Best);
        QCOMPARE(r.ghost->trackSteps(), 100);
        GhostItem *item = r.ghost->item();
        QCOMPARE(item->scene(), r.world.scene());
        for (int step : {0, 3, 6, 10, 41, 97, 100}) {
            r.ghost->showStep(step);
            QVERIFY(item->isVisible());
            const PoseTrack::Sample expected = madeUpPose(step);
            for (PoseTrack::Part part :
                {PoseTrack::Frame, PoseTrack::RearWheel, PoseTrack::FrontWheel, PoseTrack::RiderMass}) {
                const PoseTrack::BodyPose &body = expected.bodies[part];
                QVERIFY2(near(item->partScenePos(part), QPointF(body.x, body.y)),
                    qPrintable(QStringLiteral("step %1 part %2: %3, expected %4")
                                   .arg(step)
                                   .arg(part)
                                   .arg(text(item->partScenePos(part)), text(QPointF(body.x, body.y)))));
            }
            QVERIFY2(near(item->pos(), QPointF(expected.bodies[PoseTrack::Frame].x, -40.0)),
                qPrintable(text(item->pos())));
            QVERIFY(std::abs(item->rotation() - 0.004 * step * 180.0 / M_PI) < 0.01);
            QCOMPARE(item->opacity(), GhostItem::kOpacity);
        }
        // After its run it fades out over a second and then is gone.
        r.ghost->showStep(100 + GhostRider::kFadeSteps / 2);
        QVERIFY(item->isVisible());
        QVERIFY(item->opacity() < GhostItem::kOpacity * 0.6);
        QVERIFY(item->opacity() > GhostItem::kOpacity * 0.4);
        QVERIFY(near(item->pos(), QPointF(300, -40)));
        r.ghost->showStep(100 + GhostRider::kFadeSteps);
        QVERIFY(!item->isVisible());
        // A restart brings it back at the start.
        r.ghost->startRun(kPack, kLevel, best);
        QVERIFY(item->isVisible());
        QVERIFY(near(item->pos(), QPointF(100, -40)));
    }

    // Without a best the author's ride is the ghost: simulated from the
    // built-in solution a few steps ahead of the player, to the golden
    // finish.
    void authorsRideWithoutABest()
    {
        LevelsFolder folder;
        const GoldenRide golden = goldenRide(solutionPath(kPack, kLevel));
        QVERIFY(golden.steps > 0);
        Rider r;
        r.ghost->startRun(kPack, kLevel, folder.path() + "/replays/none.vcreplay");
        QCOMPARE(r.ghost->source(), GhostRider::Source::Author);
        QVERIFY(r.ghost->item()->isVisible());
        QVERIFY(!r.ghost->trackComplete());
        int step = 0;
        for (; step < 2 * golden.steps && !r.ghost->trackComplete(); ++step) {
            r.ghost->showStep(step);
            QVERIFY(
                r.ghost->trackSteps() <= step + GhostRider::kAuthorLead + GhostRider::kAuthorStepsPerTick);
        }
        QVERIFY(r.ghost->trackComplete());
        QCOMPARE(r.ghost->trackSteps(), golden.steps);
        // Kept: a restart needs no new ride.
        r.ghost->startRun(kPack, kLevel, QString());
        QVERIFY(r.ghost->trackComplete());
        QCOMPARE(r.ghost->trackSteps(), golden.steps);
    }

    // The author's ghost rides exactly as the player's bike does with the
    // same inputs: at every sampled step it is where the bike is.
    void authorsGhostMatchesTheSameRideInTheGame()
    {
        LevelsFolder folder;
        const InputTimeline timeline = solution(kPack, kGameLevel);
        GameRig r;
        r.build(QSize(), nullptr);
        r.ride(kPack, kGameLevel);
        QVERIFY(r.game->ghost()->isOn());
        QCOMPARE(r.game->ghost()->source(), GhostRider::Source::Author);
        GhostItem *item = r.game->ghost()->item();
        int cursor = 0;
        int compared = 0;
        for (int tick = 0; tick < kMaxTicks && !r.game->isPaused(); ++tick) {
            timeline.applyDue(r.game->stepCount(), r.game->bike(), &cursor);
            r.game->advance();
            if (r.game->stepCount() % kStride != 0)
                continue;
            QVERIFY(item->isVisible());
            QVERIFY2(near(item->pos(), r.game->bike()->pos(), 1e-9),
                qPrintable(QStringLiteral("step %1: ghost %2, bike %3")
                               .arg(r.game->stepCount())
                               .arg(text(item->pos()), text(r.game->bike()->pos()))));
            QVERIFY(
                near(item->partScenePos(PoseTrack::FrontWheel), r.game->bike()->frontWheel()->pos(), 1e-9));
            ++compared;
        }
        QVERIFY(compared > 20);
    }

    // The ghost has no body: a run with it gives the same state, bit for
    // bit, as without it, whether it is the author's or the best run.
    void ghostDoesNotChangeTheRun()
    {
        LevelsFolder folder;
        const InputTimeline timeline = solution(kPack, kGameLevel);
        const GoldenRide golden = goldenRide(solutionPath(kPack, kGameLevel));
        GameRig r;
        r.build(QSize(), nullptr);
        r.game->ghost()->setOn(false);
        r.ride(kPack, kGameLevel);
        QVERIFY(!r.game->ghost()->item()->isVisible());
        const quint64 without = play(r, timeline);
        QCOMPARE(r.game->stepCount(), golden.steps);
        QCOMPARE(BikeState::hashText(without), golden.state);
        QVERIFY(QFile::exists(MyGame::bestReplayPath(kPack, kGameLevel)));

        // The same run with the best run's ghost.
        r.game->ghost()->setOn(true);
        r.game->reset();
        r.settle();
        QCOMPARE(r.game->ghost()->source(), GhostRider::Source::Best);
        QCOMPARE(play(r, timeline), without);

        // And with the author's ghost, simulated between the player's steps.
        QVERIFY(QFile::remove(MyGame::bestReplayPath(kPack, kGameLevel)));
        r.game->reset();
        r.settle();
        QCOMPARE(r.game->ghost()->source(), GhostRider::Source::Author);
        QVERIFY(r.game->ghost()->item()->isVisible());
        QCOMPARE(play(r, timeline), without);
    }

    // A new best rides as the ghost from the next run on.
    void aNewBestIsTheNextGhost()
    {
        LevelsFolder folder;
        QString error;
        QDir().mkpath(QFileInfo(MyGame::bestReplayPath(kPack, kGameLevel)).absolutePath());
        GameRig r;
        r.build(QSize(), nullptr);
        QVERIFY(madeUpRun(kPack, kGameLevel, 2000).save(MyGame::bestReplayPath(kPack, kGameLevel), &error));
        r.ride(kPack, kGameLevel);
        QCOMPARE(r.game->ghost()->source(), GhostRider::Source::Best);
        QCOMPARE(r.game->ghost()->trackSteps(), 2000);
        // The level's best time is not the made-up run's: the real finish
        // sets the first record and replaces the file.
        const GoldenRide golden = goldenRide(solutionPath(kPack, kGameLevel));
        play(r, solution(kPack, kGameLevel));
        QCOMPARE(r.game->stepCount(), golden.steps);
        r.game->reset();
        r.settle();
        QCOMPARE(r.game->ghost()->source(), GhostRider::Source::Best);
        QCOMPARE(r.game->ghost()->trackSteps(), golden.steps);
        QCOMPARE(r.game->ghost()->item()->tag(), QString("your best"));

        // The author's ride, chosen over the best, joins at the run's step
        // and stays through restarts; the next choice brings no ghost.
        r.ticks(30);
        MenuTesting::keyClick(r.view.get(), Qt::Key_G);
        QCOMPARE(r.game->ghost()->mode(), GhostRider::Mode::Author);
        QCOMPARE(r.game->ghost()->source(), GhostRider::Source::Author);
        QCOMPARE(r.game->ghost()->item()->tag(), QString("author"));
        r.ticks(3);
        QVERIFY(r.game->ghost()->item()->isVisible());
        r.game->reset();
        r.settle();
        QCOMPARE(r.game->ghost()->source(), GhostRider::Source::Author);
        MenuTesting::keyClick(r.view.get(), Qt::Key_G);
        QCOMPARE(r.game->ghost()->mode(), GhostRider::Mode::Off);
        QCOMPARE(r.game->ghost()->source(), GhostRider::Source::None);
        MenuTesting::keyClick(r.view.get(), Qt::Key_G);
        QCOMPARE(r.game->ghost()->source(), GhostRider::Source::Best);
    }

    // G and the pause panel's button step through the best run, the
    // author's ride and off; the choice is kept in results.db for the next
    // start, and an older results.db without the settings table gains it
    // with every row it had.
    void choiceIsKeptAcrossStarts()
    {
        LevelsFolder folder;
        const QString results = folder.path() + "/results.db";
        QCOMPARE(TestSupport::execSql(results,
                     {"CREATE TABLE levelresult (id INTEGER PRIMARY KEY, level_id INTEGER, status INTEGER, "
                      "besttime REAL)",
                         "CREATE TABLE gamesettings (id INTEGER PRIMARY KEY, sounds_enabled INTEGER)",
                         "INSERT INTO gamesettings VALUES (1, 1)",
                         "INSERT INTO levelresult VALUES (3, 1002, 4, 19.5)"}),
            QString());
        using Shown = InGameMenu::GhostShown;
        GameRig r;
        r.build(QSize(), nullptr);
        r.ride(kPack, kGameLevel);
        GhostRider *ghost = r.game->ghost();
        QCOMPARE(ghost->mode(), GhostRider::Mode::Best); // never set
        QVERIFY(ghost->item()->isVisible());
        QCOMPARE(r.game->inGameMenu()->ghostShown(), Shown::Best);

        MenuTesting::keyClick(r.view.get(), Qt::Key_G);
        QCOMPARE(ghost->mode(), GhostRider::Mode::Author);
        QCOMPARE(r.game->inGameMenu()->ghostShown(), Shown::Author);
        QCOMPARE(r.game->levelManager()->playerSetting("ghost"), QString("author"));
        MenuTesting::keyClick(r.view.get(), Qt::Key_G);
        QVERIFY(!ghost->isOn());
        QVERIFY(!ghost->item()->isVisible());
        QCOMPARE(r.game->inGameMenu()->ghostShown(), Shown::Off);
        QCOMPARE(r.game->levelManager()->playerSetting("ghost"), QString("off"));
        r.ticks(5);
        QVERIFY(!ghost->item()->isVisible());

        // The pause panel's button, which leaves the panel open.
        r.game->showInGameMenu();
        r.settle();
        InGameMenu *menu = r.game->inGameMenu();
        QVERIFY(menu->isVisible());
        const QPointF button = menu->ghostButton()->hitRect().center();
        MenuTesting::click(menu, button);
        QCOMPARE(ghost->mode(), GhostRider::Mode::Best);
        QCOMPARE(menu->ghostShown(), Shown::Best);
        QVERIFY(menu->isVisible());
        QCOMPARE(r.game->levelManager()->playerSetting("ghost"), QString("on"));
        MenuTesting::click(menu, button);
        QCOMPARE(ghost->mode(), GhostRider::Mode::Author);
        QCOMPARE(r.game->levelManager()->playerSetting("ghost"), QString("author"));

        r.restart();
        QCOMPARE(r.game->ghost()->mode(), GhostRider::Mode::Author);
        QCOMPARE(r.game->inGameMenu()->ghostShown(), Shown::Author);
        r.ride(kPack, kGameLevel);
        QCOMPARE(r.game->ghost()->source(), GhostRider::Source::Author);
        MenuTesting::keyClick(r.view.get(), Qt::Key_G);
        r.restart();
        QVERIFY(!r.game->ghost()->isOn());
        QCOMPARE(r.game->inGameMenu()->ghostShown(), Shown::Off);
        r.ride(kPack, kGameLevel);
        QVERIFY(!r.game->ghost()->item()->isVisible());
        MenuTesting::keyClick(r.view.get(), Qt::Key_G);
        QVERIFY(r.game->ghost()->isOn());
        r.ticks(3);
        QVERIFY(r.game->ghost()->item()->isVisible());
        r.tearDown();
        QCOMPARE(TestSupport::querySql(results, "SELECT value FROM playersetting WHERE name = 'ghost'"),
            QVariantList {"on"});
        QCOMPARE(TestSupport::querySql(results, "SELECT besttime FROM levelresult WHERE id = 3"),
            QVariantList {19.5});
    }

    // A stored value the game does not know is logged; the ghost stays on.
    void badStoredSettingFallsBackToOn()
    {
        LevelsFolder folder;
        Rider first;
        first.world.levelManager()->setPlayerSetting("ghost", "sometimes");
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(
                "Stored ghost setting 'sometimes' is none of 'on', 'author' and 'off'; the ghost is on"));
        Rider r;
        QVERIFY(r.ghost->isOn());
    }

    // A best file that cannot be read, or of another level, is named in the
    // log and passed over; with no author's ride there is no ghost.
    void badBestFileGivesNoGhost()
    {
        LevelsFolder folder;
        QTemporaryDir dir;
        Rider r;
        r.ghost->setSolutionsFolder(dir.path()); // no author's rides here
        const QString best = dir.filePath("best.vcreplay");

        r.ghost->startRun(kPack, kLevel, best); // missing: nothing to say
        QCOMPARE(r.ghost->source(), GhostRider::Source::None);
        QVERIFY(!r.ghost->item()->isVisible());

        QFile file(best);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("VCRGRPLY but then nothing a replay holds");
        file.close();
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(
                "^The best run of level 1 of pack 1 cannot ride as a ghost \\(.*best\\.vcreplay\\): .+"));
        r.ghost->startRun(kPack, kLevel, best);
        QCOMPARE(r.ghost->source(), GhostRider::Source::None);
        r.ghost->showStep(10);
        QVERIFY(!r.ghost->item()->isVisible());
        // A restart says nothing new (a message not ignored fails the test).
        QTest::failOnWarning(QRegularExpression("cannot ride as a ghost"));
        r.ghost->startRun(kPack, kLevel, best);
        QCOMPARE(r.ghost->source(), GhostRider::Source::None);

        QString error;
        QVERIFY(madeUpRun(kPack, 2, 100).save(best, &error));
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression("cannot ride as a ghost .*: it is a run of level 2 of pack 1$"));
        r.ghost->startRun(kPack, kLevel, best);
        QCOMPARE(r.ghost->source(), GhostRider::Source::None);

        // A damaged author's ride is named too.
        QVERIFY(QDir(dir.path()).mkpath("pack1"));
        QFile ride(GhostRider::solutionPath(dir.path(), kPack, kLevel));
        QVERIFY(ride.open(QIODevice::WriteOnly));
        ride.write("0 throttle lots\n");
        ride.close();
        QFile::remove(best);
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression("^The author's ride .*01\\.txt cannot ride as a ghost: .+"));
        r.ghost->startRun(kPack, kLevel, best);
        QCOMPARE(r.ghost->source(), GhostRider::Source::None);
    }

    // Every shipped level's author's ride is built into the game.
    void everyShippedSolutionIsBuiltIn()
    {
        const QDir solutions(TestSupport::sourceDir() + "/levels/solutions");
        int count = 0;
        for (const QString &pack : solutions.entryList({"pack*"}, QDir::Dirs)) {
            for (const QString &name : QDir(solutions.filePath(pack)).entryList({"??.txt"}, QDir::Files)) {
                QFile shipped(solutions.filePath(pack + "/" + name));
                QFile builtIn(":/solutions/" + pack + "/" + name);
                QVERIFY2(builtIn.open(QIODevice::ReadOnly), qPrintable(builtIn.fileName()));
                QVERIFY(shipped.open(QIODevice::ReadOnly));
                QCOMPARE(builtIn.readAll(), shipped.readAll());
                ++count;
            }
        }
        QVERIFY(count >= 48);
        QCOMPARE(GhostRider::solutionPath(":/solutions", 2, 9), QString(":/solutions/pack2/09.txt"));
    }
};

QTEST_MAIN(TestGhostRider)
#include "tst_ghostrider.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef GHOSTRIDER_H
#define GHOSTRIDER_H

#include "replays/posetrack.h"
#include "world/simulationstep.h"

#include <QString>
#include <QVector>
#include <map>
#include <memory>
#include <utility>

class AuthorRide;
class GhostItem;
class LevelManager;
class LevelWorld;
class QGraphicsScene;

// The ghost of a run: the player's best run of the level (the level
// author's ride while the player has none), or the author's ride if the
// player chose it, riding along the player's run as a see-through bike
// (GhostItem) at the same step. It starts and restarts with the run and
// fades out once its own run is over. The choice is the player's setting
// "ghost": "on" (the best), "author" or "off"; "on" when never set.
//
// The best run comes from its replay file, read again at every start, so a
// new best rides from the next run on. The author's ride is simulated in a
// world of its own a few steps ahead of the player (never stalling a
// frame) and kept for the rest of the game once complete.
class GhostRider
{
public:
    enum class Source { None, Best, Author };
    // What the player chose to ride along.
    enum class Mode { Off, Best, Author };
    // Steps of the author's ride simulated per shown step at most, and how
    // far ahead of the player it keeps.
    static constexpr int kAuthorStepsPerTick = 40;
    static constexpr int kAuthorLead = 3 * 6; // three pose samples
    // Steps (one second) the ghost takes to fade out after its run ended.
    static constexpr int kFadeSteps = SimulationStep::kStepsPerRunSecond;

    // scene: where the ghost rides (outlives the rider); levels: the
    // player's settings.
    GhostRider(QGraphicsScene *scene, LevelManager *levels);
    ~GhostRider();
    GhostRider(const GhostRider &) = delete;
    GhostRider &operator=(const GhostRider &) = delete;

    Mode mode() const { return m_mode; }
    bool isOn() const { return m_mode != Mode::Off; }
    // Chooses the ghost and keeps the choice in the settings; a change
    // during a run shows at the run's step.
    void setMode(Mode mode);
    void setOn(bool on) { setMode(on ? Mode::Best : Mode::Off); }
    // The next choice, as G and the pause panel's button step through
    // them: the best, the author's ride, off, the best again.
    void cycle();

    // The author's rides: "<folder>/pack<P>/<LL>.txt" (by default the ones
    // built into the game).
    void setSolutionsFolder(const QString &folder) { m_solutionsFolder = folder; }
    static QString solutionPath(const QString &folder, int pack, int level);

    // A new run of a level starts: the ghost is the best run kept at
    // bestReplayPath, or the author's ride without one. A best file that
    // cannot be read is reported in the log (once, not at every restart) and
    // passed over.
    void startRun(int pack, int level, const QString &bestReplayPath);
    // The player's run has taken `steps` steps: the ghost shows its pose
    // after as many steps of its own run.
    void showStep(int steps);
    // No run of the player's is on (a recorded run is watched): no ghost
    // until the next startRun, whatever the switch does meanwhile.
    void leaveRun();

    Source source() const { return m_source; }
    GhostItem *item() const { return m_item; }
    // Steps of the ghost's run known so far and whether that is all of it.
    int trackSteps() const;
    bool trackComplete() const;

private:
    struct Track
    {
        QVector<PoseTrack::Sample> samples;
        int stride = 1;
        int steps = 0;
    };
    void prepare();
    bool loadBest();
    bool prepareAuthor();
    void forget();

    LevelManager *m_levels;
    GhostItem *m_item;
    Mode m_mode = Mode::Best;
    QString m_solutionsFolder;
    int m_pack = 0;
    int m_level = 0;
    QString m_bestPath;
    // The last damaged best file reported, so that restarts do not repeat it.
    QString m_lastReport;
    int m_lastStep = 0;
    Source m_source = Source::None;
    Track m_best;
    // The author's rides that are complete, by (pack, level).
    std::map<std::pair<int, int>, Track> m_authorTracks;
    const Track *m_authorTrack = nullptr;
    std::unique_ptr<LevelWorld> m_authorWorld;
    std::unique_ptr<AuthorRide> m_authorRide;
    std::pair<int, int> m_authorLevel;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "watchsession.h"

#include "game/crowdreactions.h"
#include "game/gamepanels.h"
#include "game/gamerun.h"
#include "game/gameview.h"
#include "game/ghostrider.h"
#include "game/replaywatch.h"
#include "game/replaywatchoverlay.h"
#include "game/screenflow.h"
#include "levels/level.h"
#include "menus/helpmenu.h"
#include "menus/infomenu.h"
#include "menus/levelcompletedmenu.h"
#include "menus/levelstartcard.h"
#include "menus/mainmenu.h"
#include "replays/replayplayback.h"
#include "world/levelworld.h"
#include "world/simulationstep.h"

#include <QDebug>
#include <QDir>

using Screen = ScreenFlow::Screen;

WatchSession::WatchSession(ReplayWatch *watch, GameRun *run, GamePanels *panels, ScreenFlow *flow,
    GameView *view, SoundManager *soundManager, Hooks hooks, QObject *parent)
    : QObject(parent)
    , m_watch(watch)
    , m_run(run)
    , m_panels(panels)
    , m_flow(flow)
    , m_view(view)
    , m_soundManager(soundManager)
    , m_hooks(std::move(hooks))
{
    connect(m_watch, &ReplayWatch::leaveRequested, this, &WatchSession::stop);
    connect(
        m_watch, &ReplayWatch::worldRestarted, this, [this] { m_run->setLevel(m_run->world()->level()); });
    connect(m_watch, &ReplayWatch::runEndReached, this, &WatchSession::runEnded);
    connect(m_watch, &ReplayWatch::timeShown, this, [this](double seconds) {
        if (m_view)
            m_view->setTime(seconds);
    });
}

bool WatchSession::isWatching() const
{
    return m_watch && m_watch->isWatching();
}

bool WatchSession::watch(const ReplayFile &file, Origin origin, QString *error)
{
    // The file may be the last run, which ending a run replaces.
    const ReplayFile watched = file;
    m_hooks.leaveRun();
    m_panels->dismissStartCard();
    MainMenu *mainMenu = m_panels->mainMenu();
    if (!m_run->load(watched.pack, watched.level)->isPlayable()) {
        *error = tr("level %1 of pack %2 does not exist").arg(watched.level).arg(watched.pack);
        m_run->setLevel(nullptr);
        if (!m_flow->is(Screen::MainMenu))
            mainMenu->showMenu(nullptr);
        return false;
    }
    m_hooks.showLevel(watched.pack);
    m_run->setWatched();
    if (!m_watch->start(watched, error)) {
        if (!m_flow->is(Screen::MainMenu))
            mainMenu->showMenu(m_run->level());
        return false;
    }
    m_flow->enter(Screen::Watching);
    m_origin = origin;
    m_run->setLevel(m_run->world()->level());
    m_run->ghost()->leaveRun();
    if (m_view) {
        m_view->hideControls();
        m_view->setButtonsOff();
        m_view->setTime(0.0);
        m_view->setFocus(Qt::OtherFocusReason);
    }
    m_hooks.started();
    return true;
}

void WatchSession::runEnded()
{
    const ReplayFile &file = m_watch->playback()->file();
    Level *level = m_run->level();
    if (file.outcome != ReplayFile::Outcome::Finished || !level)
        return;
    // A kept best (or a run someone shared) is cheered as the record it
    // was; a run just finished as the results called it.
    const bool record
        = m_origin == Origin::MainMenu || (m_origin == Origin::LevelCompleted && m_run->isBest());
    const qreal time = SimulationStep::runTimeForSteps(file.steps);
    CrowdReactions::play(
        m_soundManager, CrowdReactions::atFinish(record, levelStatusCode(level->medalForTime(time))));
}

bool WatchSession::watchFile(const QString &path, QString *error)
{
    QString reason;
    std::optional<ReplayFile> file = ReplayFile::load(path, &reason);
    if (file) {
        // The main menu of the start goes at once.
        m_panels->mainMenu()->hide();
        if (watch(*file, Origin::MainMenu, &reason))
            return true;
    }
    *error = tr("Cannot watch the replay '%1': %2").arg(QDir::toNativeSeparators(path), reason);
    if (!m_flow->is(Screen::MainMenu))
        m_panels->mainMenu()->showMenu(m_run->level());
    if (m_watch->overlay())
        m_watch->overlay()->showNotice(*error);
    return false;
}

void WatchSession::watchLastRun()
{
    QString error;
    // The last run is this level's run that just ended (the recorder keeps
    // none of a run with more distinct inputs than a file holds).
    if (!m_run->lastRun() || !m_run->lastRunIsLatest()) {
        error = tr("this run was not recorded");
    } else if (watch(*m_run->lastRun(), Origin::LevelCompleted, &error)) {
        return;
    }
    qWarning().noquote() << "The run cannot be watched:" << error;
    if (m_watch->overlay())
        m_watch->overlay()->showNotice(tr("The run cannot be watched: %1").arg(error));
    if (m_run->level() && !m_flow->is(Screen::MainMenu))
        m_panels->levelCompletedMenu()->showAgain();
}

void WatchSession::stop()
{
    if (!isWatching())
        return;
    m_watch->stop();
    m_hooks.pause();
    if (m_origin == Origin::LevelCompleted && m_run->level())
        m_panels->levelCompletedMenu()->showAgain();
    else
        m_panels->mainMenu()->showMenu(m_run->level());
}

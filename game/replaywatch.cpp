// SPDX-License-Identifier: GPL-3.0-or-later
#include "replaywatch.h"

#include "game/replaywatchoverlay.h"
#include "input/keybindings.h"
#include "physics/physicsconventions.h"
#include "replays/replayplayback.h"
#include "sound/soundmanager.h"
#include "world/levelworld.h"
#include "world/simulationstep.h"

#include <QKeyEvent>
#include <QWidget>
#include <functional>

ReplayWatch::ReplayWatch(
    LevelWorld *world, SoundManager *soundManager, const KeyBindings *keys, QWidget *view, QObject *parent)
    : QObject(parent)
    , m_world(world)
    , m_soundManager(soundManager)
    , m_keys(keys)
    , m_view(view)
{
    if (m_view) {
        m_overlay = new ReplayWatchOverlay(m_view);
        m_view->installEventFilter(this);
    }
}

ReplayWatch::~ReplayWatch()
{
    if (m_view)
        m_view->removeEventFilter(this);
}

bool ReplayWatch::start(const ReplayFile &file, QString *error)
{
    auto playback = std::make_unique<ReplayPlayback>(m_world, file);
    if (!playback->start(error))
        return false;
    m_playback = std::move(playback);
    m_speed = kNormalSpeed;
    m_paused = false;
    emit worldRestarted();
    changed();
    return true;
}

void ReplayWatch::stop()
{
    if (!m_playback)
        return;
    m_playback.reset();
    m_paused = false;
    if (m_overlay)
        m_overlay->dismiss();
    if (m_soundManager)
        m_soundManager->mute(false);
}

void ReplayWatch::tick()
{
    if (!m_playback || m_paused || m_playback->atEnd())
        return;
    const void *bike = m_world->bike();
    const bool wasAtEnd = m_playback->atEnd();
    const auto mode = m_playback->mode();
    m_playback->advance(physicsStepsPerTick * speed());
    if (m_world->bike() != bike)
        emit worldRestarted();
    if (mode != m_playback->mode() || wasAtEnd != m_playback->atEnd())
        changed();
    emit timeShown(SimulationStep::runTimeForSteps(int(m_playback->position())));
    if (m_playback->atEnd())
        emit runEndReached();
}

void ReplayWatch::restart()
{
    if (!m_playback)
        return;
    m_playback->restart();
    emit worldRestarted();
    changed();
    emit timeShown(0.0);
}

void ReplayWatch::togglePause()
{
    setPaused(!m_paused);
}

void ReplayWatch::setPaused(bool paused)
{
    if (!m_playback)
        return;
    m_paused = paused;
    changed();
}

void ReplayWatch::faster()
{
    if (m_speed + 1 < int(kSpeeds.size()))
        ++m_speed;
    changed();
}

void ReplayWatch::slower()
{
    if (m_speed > 0)
        --m_speed;
    changed();
}

QString ReplayWatch::stateText() const
{
    if (!m_playback)
        return QString();
    const QString speedText = tr("%1x").arg(speed());
    if (m_playback->atEnd())
        return tr("REPLAY  \u00b7  END");
    if (m_paused)
        return tr("REPLAY  \u00b7  PAUSED  \u00b7  %1").arg(speedText);
    return tr("REPLAY  \u00b7  %1").arg(speedText);
}

void ReplayWatch::changed()
{
    if (!m_playback)
        return;
    // The bike's sounds belong to the simulation: silent on the recorded
    // path, while paused and once the run is over.
    const bool sounding
        = !m_paused && !m_playback->atEnd() && m_playback->mode() == ReplayPlayback::Mode::Simulating;
    if (m_soundManager) {
        if (sounding)
            m_soundManager->unmute();
        else
            m_soundManager->mute(false);
    }
    if (m_overlay)
        m_overlay->showState(stateText(), m_playback->message());
}

bool ReplayWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (m_playback && watched == m_view
        && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        auto *e = static_cast<QKeyEvent *>(event);
        if (key(e->key(), event->type() == QEvent::KeyPress && !e->isAutoRepeat()))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

bool ReplayWatch::key(int key, bool press)
{
    const int action = m_keys ? m_keys->actionForKey(key) : KeyBindings::kNoAction;
    std::function<void()> command;
    if (key == Qt::Key_Space)
        command = [this] { togglePause(); };
    else if (key == Qt::Key_Left || action == KeyBindings::LeanBack)
        command = [this] { slower(); };
    else if (key == Qt::Key_Right || action == KeyBindings::LeanForward)
        command = [this] { faster(); };
    else if (key == Qt::Key_R || action == KeyBindings::Restart)
        command = [this] { restart(); };
    else if (key == Qt::Key_Escape || action == KeyBindings::Menu)
        command = [this] { emit leaveRequested(); };
    else if (action == KeyBindings::Throttle || action == KeyBindings::Brake)
        command = [] {}; // the player's riding keys do not reach the bike
    else
        return false;
    if (press)
        command();
    return true;
}

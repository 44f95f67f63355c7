// SPDX-License-Identifier: GPL-3.0-or-later
#include "ghostrider.h"

#include "game/ghostitem.h"
#include "game/playersettings.h"
#include "levels/levelmanager.h"
#include "replays/authorride.h"
#include "replays/replayfile.h"
#include "replays/replayrecorder.h"
#include "world/inputtimeline.h"
#include "world/levelworld.h"

#include <QDebug>
#include <QFileInfo>
#include <QGraphicsScene>

namespace {
const QString kBuiltInSolutions = QStringLiteral(":/solutions");
// The word over the ghost: whose run it is.
const QString kBestTag = QStringLiteral("your best");
const QString kAuthorTag = QStringLiteral("author");
} // namespace

GhostRider::GhostRider(QGraphicsScene *scene, LevelManager *levels)
    : m_levels(levels)
    , m_item(new GhostItem)
    , m_solutionsFolder(kBuiltInSolutions)
{
    scene->addItem(m_item);
    m_mode = PlayerSettings(m_levels).storedGhost();
}

GhostRider::~GhostRider()
{
    m_authorRide.reset();
    m_authorWorld.reset();
    if (m_item->scene())
        m_item->scene()->removeItem(m_item);
    delete m_item;
}

QString GhostRider::solutionPath(const QString &folder, int pack, int level)
{
    return folder + QStringLiteral("/pack%1/%2.txt").arg(pack).arg(level, 2, 10, QLatin1Char('0'));
}

void GhostRider::setMode(Mode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    PlayerSettings(m_levels).storeGhost(mode);
    if (mode == Mode::Off) {
        forget();
        m_item->setVisible(false);
        return;
    }
    // Chosen during a run: the ghost joins at the run's step.
    prepare();
    showStep(m_lastStep);
}

void GhostRider::cycle()
{
    switch (m_mode) {
    case Mode::Best:
        setMode(Mode::Author);
        break;
    case Mode::Author:
        setMode(Mode::Off);
        break;
    case Mode::Off:
        setMode(Mode::Best);
        break;
    }
}

void GhostRider::startRun(int pack, int level, const QString &bestReplayPath)
{
    m_pack = pack;
    m_level = level;
    m_bestPath = bestReplayPath;
    m_lastStep = 0;
    forget();
    if (m_mode == Mode::Off) {
        m_item->setVisible(false);
        return;
    }
    prepare();
    showStep(0);
}

void GhostRider::leaveRun()
{
    m_pack = 0;
    m_level = 0;
    m_lastStep = 0;
    forget();
    m_item->setVisible(false);
}

void GhostRider::forget()
{
    m_source = Source::None;
    m_best = Track();
    m_authorTrack = nullptr;
}

void GhostRider::prepare()
{
    forget();
    if (m_pack <= 0)
        return;
    if (m_mode == Mode::Best && loadBest())
        m_source = Source::Best;
    else if (prepareAuthor())
        m_source = Source::Author;
    m_item->setTag(m_source == Source::Best ? kBestTag : m_source == Source::Author ? kAuthorTag : QString());
}

bool GhostRider::loadBest()
{
    if (m_bestPath.isEmpty() || !QFileInfo::exists(m_bestPath))
        return false;
    QString error;
    std::optional<ReplayFile> file = ReplayFile::load(m_bestPath, &error);
    std::optional<QVector<PoseTrack::Sample>> samples;
    if (file && (file->pack != m_pack || file->level != m_level)) {
        error = QStringLiteral("it is a run of level %1 of pack %2").arg(file->level).arg(file->pack);
    } else if (file) {
        samples = file->poses(&error);
        if (samples && samples->isEmpty())
            error = QStringLiteral("it holds no poses");
    }
    if (!samples || samples->isEmpty()) {
        const QString report
            = QStringLiteral("The best run of level %1 of pack %2 cannot ride as a ghost (%3): %4")
                  .arg(m_level)
                  .arg(m_pack)
                  .arg(m_bestPath, error);
        // Once, not at every restart of the level.
        if (report != m_lastReport)
            qWarning().noquote() << report;
        m_lastReport = report;
        return false;
    }
    m_lastReport.clear();
    m_best.samples = *samples;
    m_best.stride = file->poseStride;
    m_best.steps = file->steps;
    return true;
}

bool GhostRider::prepareAuthor()
{
    const auto key = std::make_pair(m_pack, m_level);
    if (auto it = m_authorTracks.find(key); it != m_authorTracks.end()) {
        m_authorTrack = &it->second;
        return true;
    }
    // The ride in preparation may be this level's already (a restart).
    if (m_authorRide && m_authorLevel == key)
        return true;
    m_authorRide.reset();
    const QString path = solutionPath(m_solutionsFolder, m_pack, m_level);
    if (!QFileInfo::exists(path))
        return false;
    QString error;
    const std::optional<InputTimeline> timeline = InputTimeline::load(path, &error);
    if (!timeline) {
        qWarning().noquote()
            << QStringLiteral("The author's ride %1 cannot ride as a ghost: %2").arg(path, error);
        return false;
    }
    if (!m_authorWorld)
        m_authorWorld = std::make_unique<LevelWorld>();
    m_authorRide = std::make_unique<AuthorRide>(m_authorWorld.get(), *timeline);
    m_authorLevel = key;
    if (!m_authorRide->start(m_pack, m_level, &error)) {
        qWarning().noquote()
            << QStringLiteral("The author's ride %1 cannot ride as a ghost: %2").arg(path, error);
        m_authorRide.reset();
        return false;
    }
    return true;
}

int GhostRider::trackSteps() const
{
    switch (m_source) {
    case Source::Best:
        return m_best.steps;
    case Source::Author:
        if (m_authorTrack)
            return m_authorTrack->steps;
        return m_authorRide ? m_authorRide->steps() : 0;
    case Source::None:
        break;
    }
    return 0;
}

bool GhostRider::trackComplete() const
{
    return m_source == Source::Best || (m_source == Source::Author && m_authorTrack);
}

void GhostRider::showStep(int steps)
{
    m_lastStep = steps;
    if (m_mode == Mode::Off || m_source == Source::None) {
        m_item->setVisible(false);
        return;
    }
    if (m_source == Source::Author && !m_authorTrack) {
        m_authorRide->rideTo(steps + kAuthorLead, kAuthorStepsPerTick);
        if (m_authorRide->isComplete()) {
            Track done;
            done.samples = m_authorRide->samples();
            done.stride = ReplayRecorder::kPoseStride;
            done.steps = m_authorRide->steps();
            m_authorTrack = &(m_authorTracks[std::make_pair(m_pack, m_level)] = done);
            m_authorRide.reset();
        }
    }
    const QVector<PoseTrack::Sample> *samples = nullptr;
    int stride = ReplayRecorder::kPoseStride;
    int total = 0;
    if (m_source == Source::Best) {
        samples = &m_best.samples;
        stride = m_best.stride;
        total = m_best.steps;
    } else if (m_authorTrack) {
        samples = &m_authorTrack->samples;
        total = m_authorTrack->steps;
    } else {
        // Still riding: every sample so far lies on the stride.
        samples = &m_authorRide->samples();
        total = int(samples->size() - 1) * stride;
        if (steps > total) {
            // Not there yet (switched on late): no ghost until it is.
            m_item->setVisible(false);
            return;
        }
    }
    const qreal fade = trackComplete() && steps > total ? 1.0 - qreal(steps - total) / kFadeSteps : 1.0;
    m_item->showPose(PoseTrack::poseAt(*samples, stride, total, steps), fade);
}

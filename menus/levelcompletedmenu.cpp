// SPDX-License-Identifier: GPL-3.0-or-later
#include "levelcompletedmenu.h"

#include "base/densepixmap.h"
#include "buttonpixmap.h"
#include "menutext.h"
#include "numberdisplay.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPropertyAnimation>

namespace {
constexpr int kMenuWidth = 356;
constexpr int kMenuHeight = 264;
constexpr int kHiddenY = -296;
constexpr int kOffsetY = 20;
// Narrow screens (width in pixels below this) get the panel a little lower.
constexpr int kNarrowScreenWidth = 600;
constexpr int kNarrowVisibleShift = 17;
constexpr int kNarrowHiddenY = -326;
constexpr int kNarrowOffsetY = 37;
constexpr int kShowMs = 500;
constexpr int kHideMs = 350;

// Five buttons 64 apart across the panel's foot (its inner width is 330).
constexpr qreal kButtonSize = 64;
constexpr qreal kButtonY = 184;
constexpr qreal kButtonSpacing = 64;
constexpr qreal kNextX = 13;
constexpr qreal kResetX = kNextX + kButtonSpacing;
constexpr qreal kWatchX = kResetX + kButtonSpacing;
constexpr qreal kMenuX = kWatchX + kButtonSpacing;
constexpr qreal kExitX = kMenuX + kButtonSpacing;

// Number display areas (x, y, width, height).
// The three rows (run time, best, difference) hold their labels in the
// panel picture.
constexpr QRectF kLevelNumberRect(208, 10, 150, 80);
constexpr QRectF kRunTimeRect(80, 66, 150, 80);
constexpr QRectF kBestTimeRect(80, 94, 150, 80);
constexpr QRectF kTimeDiffRect(80, 122, 150, 80);

constexpr QPoint kStarPos(275, 80);
constexpr QPoint kMedalPos(22, 74);

// Text lines: the level's name under the title band, the next medal's time
// above the buttons (rectangles in panel pixels).
constexpr QRectF kNameRect(16, 46, 318, 22);
constexpr QRectF kNextMedalRect(16, 158, 318, 20);
constexpr int kNamePixelSize = 15;
constexpr int kNextMedalPixelSize = 12;
const QColor kNameColour(42, 34, 48);
const QColor kNextMedalColour(110, 70, 20);
} // namespace

LevelCompletedMenu::LevelCompletedMenu(const QSize &windowSize, QWidget *parent)
    : MenuWidget(parent)
    , m_star(DensePixmap::load(QStringLiteral(":/images/star.png")))
    , m_gold(DensePixmap::load(QStringLiteral(":/images/gold.png")))
    , m_silver(DensePixmap::load(QStringLiteral(":/images/silver.png")))
    , m_bronze(DensePixmap::load(QStringLiteral(":/images/bronze.png")))
    , m_failed(DensePixmap::load(QStringLiteral(":/images/failed.png")))
{
    setMenuSize(kMenuWidth, kMenuHeight);
    setBackground(QStringLiteral(":images/levelfinished.png"));

    const QRect screen(QPoint(), windowSize);
    m_hiddenY = kHiddenY;
    m_visibleY = int((screen.height() - kMenuHeight) * 0.5);
    m_offsetY = kOffsetY;
    if (screen.width() < kNarrowScreenWidth) {
        m_visibleY += kNarrowVisibleShift;
        m_hiddenY = kNarrowHiddenY;
        m_offsetY = kNarrowOffsetY;
    }
    placeAtVisibleY(screen);

    auto add = [this](const char *name, qreal x) {
        const QString base = QStringLiteral(":/images/") + QLatin1String(name);
        return addButton(base + QStringLiteral("_off.png"), base + QStringLiteral("_on.png"), x, kButtonY,
            kButtonSize, kButtonSize);
    };
    m_next = add("next", kNextX);
    m_next->setDisabledPixmap(QStringLiteral(":/images/next_disabled.png"));
    m_reset = add("reset", kResetX);
    m_watch = add("watch", kWatchX);
    m_menu = add("menu", kMenuX);
    m_exit = add("exit", kExitX);
    connect(m_next, &ButtonPixmap::released, this, &LevelCompletedMenu::nextLevelAction);
    connect(m_reset, &ButtonPixmap::released, this, &LevelCompletedMenu::resetAction);
    connect(m_menu, &ButtonPixmap::released, this, &LevelCompletedMenu::menuAction);
    connect(m_exit, &ButtonPixmap::released, this, &LevelCompletedMenu::exitAction);
    connect(m_watch, &ButtonPixmap::released, this, &LevelCompletedMenu::watchAction);

    auto display = [this](const QRectF &r, bool useMinutes, bool showPlusSign) {
        return new NumberDisplay(r.x(), r.y(), r.width(), r.height(), useMinutes, showPlusSign, this);
    };
    m_levelNumberDisplay = display(kLevelNumberRect, false, false);
    m_levelNumberDisplay->setLeftAligned(true);
    m_runTime = display(kRunTimeRect, true, false);
    m_bestTime = display(kBestTimeRect, true, false);
    m_timeDiff = display(kTimeDiffRect, true, true);

    setUpSliding(kShowMs, kHideMs);
    connect(m_showAnimation, &QPropertyAnimation::finished, this, &LevelCompletedMenu::showMenuFinished);
    connect(m_hideAnimation, &QPropertyAnimation::finished, this, &LevelCompletedMenu::hideMenuFinished);
}

void LevelCompletedMenu::setRunDetails(
    const QString &levelName, qreal runTime, std::optional<LevelStatus> nextMedal, qreal nextMedalTime)
{
    m_levelName = levelName;
    m_runTime->setValue(runTime);
    if (runTime <= 0)
        m_runTime->setDash();
    const QString medal = nextMedal ? medalName(*nextMedal) : QString();
    m_nextMedalText = medal.isEmpty() || nextMedalTime <= 0
        ? QString()
        : tr("Next: %1 in %2").arg(medal, formatRunTime(nextMedalTime));
}

void LevelCompletedMenu::showAgain()
{
    focusButton(m_watch);
    slideIn();
}

void LevelCompletedMenu::showMenu(const RunOutcome &outcome)
{
    m_levelNumber = outcome.levelNumber;
    m_lastLevelOfLevelpack = outcome.lastLevelOfPack;
    m_isNewRecord = outcome.newRecord;
    m_status = outcome.medal;
    m_next->setEnabled(outcome.nextLevelAvailable);

    m_bestTime->setValue(outcome.bestTime.value_or(0.0));
    if (!outcome.bestTime)
        m_bestTime->setDash();
    m_levelNumberDisplay->setValue(outcome.levelNumber);
    if (outcome.timeDiff && !outcome.failed) {
        m_timeDiff->setValue(*outcome.timeDiff);
        m_timeDiff->setVisible(true);
    } else if (outcome.failed && outcome.bestTime) {
        m_timeDiff->setDash();
    } else {
        m_timeDiff->setVisible(false);
    }
    focusButton(m_next->isActive() ? m_next : (m_lastLevelOfLevelpack ? m_menu : m_reset));
    slideIn();
}

void LevelCompletedMenu::slideOut(Action action)
{
    m_pendingAction = action;
    MenuWidget::slideOut();
}

void LevelCompletedMenu::hideMenu()
{
    slideOut(Action::None);
}

void LevelCompletedMenu::hideAndReset()
{
    slideOut(Action::Reset);
}

void LevelCompletedMenu::resetAction()
{
    slideOut(Action::Reset);
}

void LevelCompletedMenu::menuAction()
{
    slideOut(Action::MainMenu);
}

void LevelCompletedMenu::nextLevelAction()
{
    slideOut(Action::NextLevel);
}

void LevelCompletedMenu::exitAction()
{
    slideOut(Action::Exit);
}

void LevelCompletedMenu::watchAction()
{
    slideOut(Action::Watch);
}

void LevelCompletedMenu::hideMenuFinished()
{
    setVisible(false);
    switch (m_pendingAction) {
    case Action::Reset:
        emit reset();
        break;
    case Action::MainMenu:
        emit mainmenu();
        break;
    case Action::NextLevel:
        emit nextLevel();
        break;
    case Action::Exit:
        emit exit();
        break;
    case Action::Watch:
        emit watch();
        break;
    case Action::None:
        break;
    }
}

const QPixmap *LevelCompletedMenu::statusPixmap() const
{
    switch (m_status) {
    case LevelStatus::NotFinished:
    case LevelStatus::NoMedal:
        return &m_failed;
    case LevelStatus::Gold:
        return &m_gold;
    case LevelStatus::Silver:
        return &m_silver;
    case LevelStatus::Bronze:
        return &m_bronze;
    default:
        return nullptr;
    }
}

void LevelCompletedMenu::paint(QPainter *painter)
{
    MenuWidget::paint(painter);
    painter->setPen(kNameColour);
    painter->setFont(menuFont(kNamePixelSize, true));
    painter->drawText(kNameRect, Qt::AlignCenter,
        painter->fontMetrics().elidedText(m_levelName, Qt::ElideRight, int(kNameRect.width())));
    if (!m_nextMedalText.isEmpty()) {
        painter->setPen(kNextMedalColour);
        painter->setFont(menuFont(kNextMedalPixelSize, true));
        painter->drawText(kNextMedalRect, Qt::AlignCenter, m_nextMedalText);
    }
    m_runTime->paint(painter);
    m_bestTime->paint(painter);
    m_timeDiff->paint(painter);
    m_levelNumberDisplay->paint(painter);
    if (m_isNewRecord)
        painter->drawPixmap(kStarPos, m_star);
    if (const QPixmap *medal = statusPixmap())
        painter->drawPixmap(kMedalPos, *medal);
}

void LevelCompletedMenu::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_R:
        m_reset->setPressed(true);
        update();
        break;
    default:
        // Return, Enter and Space press the focused button (next, else menu
        // on a pack's last level, else retry until the keys move it).
        MenuWidget::keyPressEvent(e);
        break;
    }
}

void LevelCompletedMenu::keyReleaseEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_R:
    case Qt::Key_Backspace:
        if (m_reset->isActive() && m_reset->isPressed())
            m_reset->setPressed(false);
        update();
        break;
    default:
        MenuWidget::keyReleaseEvent(e);
        break;
    }
}

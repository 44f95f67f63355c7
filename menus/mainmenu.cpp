// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainmenu.h"

#include "buttonpixmap.h"
#include "helpmenu.h"
#include "infomenu.h"
#include "levels/level.h"
#include "levels/levelmanager.h"
#include "menutext.h"
#include "physics/fatalerror.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>

namespace {
constexpr int kMenuWidth = 479;
constexpr int kMenuHeight = 344;
constexpr int kShowMs = 700;
constexpr int kHideMs = 455;

// Screens lower than this (pixels) get a tighter grid, a little higher up.
constexpr int kSmallScreenHeight = 350;
constexpr int kHiddenY = -401;
constexpr int kSmallHiddenY = -421;
constexpr int kSmallScreenLift = 9;
constexpr qreal kGridTop = 36;
constexpr qreal kRowStep = 57;
constexpr qreal kSmallGridTop = 38;
constexpr qreal kSmallRowStep = 56;

// Caption line over the grid in the level view: the pack's name on the
// left, the shown level's number, name and best time on the right.
constexpr QRectF kCaptionRect(26, 12, 427, 22);
constexpr int kCaptionPixelSize = 14;
const QColor kCaptionColour(42, 34, 48);
const QColor kCaptionLevelColour(110, 70, 20);

// Level grid: 54 x 54 buttons, 75 apart, six to a row.
constexpr qreal kLevelButtonSize = 54;
constexpr qreal kGridLeft = 25;
constexpr qreal kColumnStep = 75;
constexpr qreal kGridRight = 464;

constexpr qreal kPackButtonSize = 80;
constexpr qreal kPack2PictureSize = 64;
constexpr qreal kPack1X = 142.5;
constexpr qreal kPack2X = 257.5;
constexpr qreal kPackY = 120;

// Bottom row: seven slots, 66 apart from the left margin. The first holds
// back (level view) or about (pack view), the second next level
// or current level (level view only).
constexpr qreal kButtonSize = 64;
constexpr qreal kBottomRowY = 274;
constexpr qreal kLeftMargin = 10;
constexpr qreal kButtonSpacing = 66;
constexpr qreal kSettingsX = kLeftMargin + 2 * kButtonSpacing;
constexpr qreal kHelpX = kSettingsX + kButtonSpacing;
constexpr qreal kInfoX = kHelpX + kButtonSpacing;
constexpr qreal kSoundsX = kInfoX + kButtonSpacing;
constexpr qreal kExitX = kSoundsX + kButtonSpacing;
constexpr qreal kCurrentLevelStartX = kLeftMargin + kButtonSpacing;
// The current-level picture sits a little left of its slot.
constexpr qreal kCurrentLevelNudge = 2;

// Watch buttons on the top-left corner of a level's tile (offset from the
// tile's corner, size), with ids after the level numbers.
constexpr qreal kWatchSize = 24;
constexpr qreal kWatchDX = -7;
constexpr qreal kWatchDY = -4;
constexpr int kWatchIdBase = 1000;

// Level numbers over the level buttons: top offset from the picture's corner.
constexpr qreal kNumberY = 18;
constexpr int kMaxLevelNumber = 99;

enum Status { Gold = 1, Silver = 2, Bronze = 3 };

QString image(const char *name)
{
    return QStringLiteral(":/images/") + QLatin1String(name);
}
} // namespace

MainMenu::MainMenu(LevelManager *levelManager, bool soundsEnabled, const QSize &windowSize, QWidget *parent)
    : MenuWidget(parent)
    , m_digits(image("numbers.png"))
    , m_levelManager(levelManager)
{
    setBackground(QStringLiteral(":images/levelpackselection.png"));
    setMenuSize(kMenuWidth, kMenuHeight);

    const QRect screen(QPoint(), windowSize);
    const bool small = screen.height() < kSmallScreenHeight;
    m_visibleY = int((screen.height() - kMenuHeight) * 0.5);
    m_hiddenY = small ? kSmallHiddenY : kHiddenY;
    if (small) {
        m_visibleY -= kSmallScreenLift;
        m_offsetY = -kSmallScreenLift;
    }
    placeAtVisibleY(screen);

    createLevelButtons(small ? kSmallGridTop : kGridTop, small ? kSmallRowStep : kRowStep);

    ButtonPixmap *pack1 = addButton(image("levelpack1_off.png"), image("levelpack1_on.png"), kPack1X, kPackY,
        kPackButtonSize, kPackButtonSize, -1);
    ButtonPixmap *pack2 = addButton(image("levelpack2_off.png"), image("levelpack2_on.png"), kPack2X, kPackY,
        kPack2PictureSize, kPack2PictureSize, -2);
    pack2->setHitArea(0, 0, kPackButtonSize, kPackButtonSize);
    m_levelPackButtons = {pack1, pack2};
    for (ButtonPixmap *pack : std::as_const(m_levelPackButtons))
        connect(pack, &ButtonPixmap::released, this, &MainMenu::levelPackButtonPressed);

    createBottomRow(soundsEnabled);
    // Hovering a level button names the level in the caption.
    setMouseTracking(true);

    setUpSliding(kShowMs, kHideMs);
    connect(m_hideAnimation, &QPropertyAnimation::finished, this, &MainMenu::hideMenuFinished);

    m_helpMenu = new HelpMenu(windowSize, parent);
    connect(m_helpMenu, &HelpMenu::ok, this, &MainMenu::helpFinished);
    m_infoMenu = new InfoMenu(windowSize, parent);
    if (m_levelManager)
        m_infoMenu->setProgressPath(m_levelManager->resultsDbPath());
    connect(m_infoMenu, &InfoMenu::ok, this, &MainMenu::infoFinished);
}

MainMenu::~MainMenu()
{
    delete m_infoMenu;
    delete m_helpMenu;
}

void MainMenu::createLevelButtons(qreal gridTop, qreal rowStep)
{
    const int count = m_levelManager ? m_levelManager->levelsPerPack() : 0;
    qreal x = kGridLeft;
    qreal y = gridTop;
    for (int n = 1; n <= count; ++n) {
        ButtonPixmap *button = addButton(image("menu_notavailable.png"), image("menu_notavailable.png"), x, y,
            kLevelButtonSize, kLevelButtonSize, n);
        connect(button, &ButtonPixmap::released, this, &MainMenu::buttonPressed);
        m_levelButtons.append(button);
        x += kColumnStep;
        if (x > kGridRight) {
            x = kGridLeft;
            y += rowStep;
        }
    }
    // After every tile, so that they are painted over them.
    for (ButtonPixmap *tile : std::as_const(m_levelButtons)) {
        ButtonPixmap *watch
            = addButton(image("watchbadge_off.png"), image("watchbadge_on.png"), tile->x() + kWatchDX,
                tile->y() + kWatchDY, kWatchSize, kWatchSize, kWatchIdBase + tile->buttonId());
        watch->setVisible(false);
        connect(watch, &ButtonPixmap::released, this, &MainMenu::watchPressed);
        m_watchButtons.append(watch);
    }
}

ButtonPixmap *MainMenu::watchButton(int levelNumber) const
{
    if (levelNumber < 1 || levelNumber > m_watchButtons.size())
        return nullptr;
    return m_watchButtons.at(levelNumber - 1);
}

void MainMenu::watchPressed(int buttonId)
{
    m_watchLevel = buttonId - kWatchIdBase;
    slideOut(WatchAction);
}

void MainMenu::createBottomRow(bool soundsEnabled)
{
    auto add = [this](const char *name, qreal x) {
        const QString base = image(name);
        return addButton(base + QStringLiteral("_off.png"), base + QStringLiteral("_on.png"), x, kBottomRowY,
            kButtonSize, kButtonSize);
    };
    m_back = add("back", kLeftMargin);
    m_next = add("next", kLeftMargin);
    m_next->setVisible(false);
    m_currentLevel = add("reset", kCurrentLevelStartX);
    m_currentLevel->setVisible(false);
    ButtonPixmap *exitButton = add("exit", kExitX);
    m_soundsOn = add("soundson", kSoundsX);
    m_soundsOn->setVisible(soundsEnabled);
    m_soundsOff = add("soundsoff", kSoundsX);
    m_soundsOff->setVisible(!soundsEnabled);
    m_info = add("info", kInfoX);
    m_help = add("help", kHelpX);
    m_settings = add("settings", kSettingsX);
    m_about = add("about", kLeftMargin);

    connect(m_back, &ButtonPixmap::released, this, &MainMenu::backAction);
    connect(m_next, &ButtonPixmap::released, this, &MainMenu::nextLevelAction);
    connect(m_currentLevel, &ButtonPixmap::released, this, &MainMenu::currentLevelAction);
    connect(exitButton, &ButtonPixmap::released, this, &MainMenu::exitAction);
    connect(m_info, &ButtonPixmap::released, this, &MainMenu::infoAction);
    connect(m_about, &ButtonPixmap::released, this, &MainMenu::aboutClicked);
    connect(m_help, &ButtonPixmap::released, this, &MainMenu::helpAction);
    connect(m_settings, &ButtonPixmap::released, this, &MainMenu::settingsAction);
    connect(m_soundsOn, &ButtonPixmap::released, this, &MainMenu::soundsAction);
    connect(m_soundsOff, &ButtonPixmap::released, this, &MainMenu::soundsAction);
}

ButtonPixmap *MainMenu::levelButton(int levelNumber) const
{
    if (levelNumber < 1 || levelNumber > m_levelButtons.size())
        return nullptr;
    return m_levelButtons.at(levelNumber - 1);
}

void MainMenu::updateScreenPosition(const QRect &screen)
{
    if (m_helpMenu)
        m_helpMenu->updateScreenPosition(screen);
    if (m_infoMenu)
        m_infoMenu->updateScreenPosition(screen);
    MenuWidget::updateScreenPosition(screen);
}

bool MainMenu::subMenusHidden() const
{
    if (m_infoMenu && !m_infoMenu->isHidden())
        return false;
    return !m_helpMenu || m_helpMenu->isHidden();
}

bool MainMenu::helpPending() const
{
    return m_pendingAction == HelpReturningAction || m_pendingAction == HelpOnlyAction;
}

void MainMenu::showMenu()
{
    showMenu(nullptr);
}

void MainMenu::showMenu(Level *level)
{
    m_pendingAction = NoAction;
    if (level) {
        m_levelPackNumber = level->levelPackNumber();
        m_levelNumber = level->levelNumber();
    }
    for (ButtonPixmap *button : buttons()) {
        if (button->buttonId() != 0)
            button->setVisible(false);
    }
    if (m_levelPackNumber == 0)
        showLevelPackView();
    else
        showLevelView(level != nullptr);
    // Keys start where Return does what the menu offers: the current
    // level, the level to ride next, or the first pack.
    if (!m_levelView)
        focusButton(m_levelPackButtons.value(0));
    else if (m_currentLevel->isVisible())
        focusButton(m_currentLevel);
    else
        focusButton(levelButton(m_levelNumber) ? levelButton(m_levelNumber) : m_back);
    slideIn();
}

void MainMenu::showAgain()
{
    m_pendingAction = NoAction;
    slideIn();
}

void MainMenu::setSoundsOn(bool on)
{
    m_soundsOn->setVisible(on);
    m_soundsOff->setVisible(!on);
    update();
}

void MainMenu::showLevelPackView()
{
    m_levelView = false;
    setBackground(QStringLiteral(":images/levelpackselection.png"));
    m_next->setVisible(false);
    m_currentLevel->setVisible(false);
    m_back->setVisible(false);
    m_about->setVisible(true);
    for (ButtonPixmap *pack : std::as_const(m_levelPackButtons))
        pack->setVisible(true);
}

void MainMenu::showLevelView(bool openedFromLevel)
{
    m_levelView = true;
    m_packName = m_levelManager->packName(m_levelPackNumber);
    m_hoveredLevel = 0;
    setBackground(QStringLiteral(":images/mainmenu.png"));

    const int frontier = m_levelManager->frontierLevel(m_levelPackNumber);
    for (const LevelInfo &info : m_levelManager->levelInfos(m_levelPackNumber)) {
        ButtonPixmap *button = levelButton(info.levelNumber());
        if (!button) {
            qDebug("MainMenu::showLevelView - no button for level %d of levelpack %d", info.levelNumber(),
                m_levelPackNumber);
            continue;
        }
        QString off = image("menu_notavailable.png");
        QString on = off;
        bool enabled = false;
        if (info.levelNumber() == frontier) {
            off = image("menu_green_off.png");
            on = image("menu_green_on.png");
            enabled = true;
            m_levelNumber = frontier;
        } else if (info.status() == Gold || info.status() == Silver || info.status() == Bronze) {
            const char *medal = info.status() == Gold ? "gold"
                : info.status() == Silver             ? "silver"
                                                      : "bronze";
            off = image("menu_") + QLatin1String(medal) + QStringLiteral("_off.png");
            on = image("menu_") + QLatin1String(medal) + QStringLiteral("_on.png");
            enabled = true;
        }
        button->setVisible(true);
        if (enabled) {
            button->setOffPixmap(off);
            button->setOnPixmap(on);
            button->setEnabled(true);
        } else {
            button->setEnabled(false);
            button->setDisabledPixmap(off);
        }
        if (ButtonPixmap *watch = watchButton(info.levelNumber()))
            watch->setVisible(m_bestRunCheck && m_bestRunCheck(m_levelPackNumber, info.levelNumber()));
    }

    const bool current = openedFromLevel && m_levelNumber >= 1;
    m_currentLevel->setVisible(current);
    m_next->setVisible(!current && frontier >= 1);
    m_back->setVisible(true);
    m_about->setVisible(false);

    qreal x = kLeftMargin;
    m_back->setPos(x, kBottomRowY);
    x += kButtonSpacing;
    if (m_next->isVisible()) {
        m_next->setPos(x, kBottomRowY);
        x += kButtonSpacing;
    }
    if (m_currentLevel->isVisible())
        m_currentLevel->setPos(x - kCurrentLevelNudge, kBottomRowY);
}

QVector<NumberDisplay::Glyph> MainMenu::levelNumberGlyphs(int number, qreal x, qreal y)
{
    if (number < 1)
        return {};
    if (number > kMaxLevelNumber) {
        qDebug("invalid number: %d", number);
        number = kMaxLevelNumber;
    }
    const QVector<int> digits = number < 10 ? QVector<int> {number} : QVector<int> {number / 10, number % 10};
    // Centred on the button by the digits' ink.
    const int width = NumberDisplay::inkWidth(digits);
    return NumberDisplay::setGlyphs(digits, int(x + (kLevelButtonSize - width) / 2.0), int(y + kNumberY));
}

int MainMenu::captionLevel() const
{
    if (m_hoveredLevel > 0)
        return m_hoveredLevel;
    // The level in the ring, while keys or a pad choose.
    ButtonPixmap *focused = focusRingShown() ? focusedButton() : nullptr;
    if (focused && m_levelButtons.contains(focused))
        return focused->buttonId();
    if (focused && m_watchButtons.contains(focused))
        return focused->buttonId() - kWatchIdBase;
    return m_levelNumber;
}

QString MainMenu::levelCaption() const
{
    const int number = captionLevel();
    if (!m_levelView || number < 1 || !m_levelManager)
        return QString();
    const QString name = m_levelManager->levelName(m_levelPackNumber, number);
    const QString best = formatRunTime(m_levelManager->bestTime(m_levelPackNumber, number));
    return name.isEmpty() ? tr("%1 - best %2").arg(number).arg(best)
                          : tr("%1 %2 - best %3").arg(number).arg(name, best);
}

void MainMenu::paintCaption(QPainter *painter) const
{
    painter->setFont(menuFont(kCaptionPixelSize, true));
    painter->setPen(kCaptionColour);
    painter->drawText(kCaptionRect, Qt::AlignLeft | Qt::AlignVCenter, m_packName);
    const int packWidth = painter->fontMetrics().horizontalAdvance(m_packName + QStringLiteral("  "));
    painter->setPen(kCaptionLevelColour);
    painter->drawText(kCaptionRect, Qt::AlignRight | Qt::AlignVCenter,
        painter->fontMetrics().elidedText(
            levelCaption(), Qt::ElideRight, int(kCaptionRect.width()) - packWidth));
}

void MainMenu::mouseMoveEvent(QMouseEvent *e)
{
    int hovered = 0;
    for (const ButtonPixmap *button : std::as_const(m_levelButtons)) {
        if (button->isVisible() && button->contains(e->position()))
            hovered = button->buttonId();
    }
    for (const ButtonPixmap *button : std::as_const(m_watchButtons)) {
        if (button->isVisible() && button->contains(e->position()))
            hovered = button->buttonId() - kWatchIdBase;
    }
    if (hovered != m_hoveredLevel) {
        m_hoveredLevel = hovered;
        update();
    }
    MenuWidget::mouseMoveEvent(e);
}

void MainMenu::mousePressEvent(QMouseEvent *e)
{
    const QPointF p = e->position() / panelScale();
    for (ButtonPixmap *watch : std::as_const(m_watchButtons)) {
        if (watch->isActive() && watch->contains(p)) {
            setFocusRingShown(false);
            watch->setPressed(true);
            focusButton(watch);
            update();
            e->accept();
            return;
        }
    }
    MenuWidget::mousePressEvent(e);
}

void MainMenu::paint(QPainter *painter)
{
    painter->drawPixmap(QRect(0, 0, menuWidth(), menuHeight()), background());
    if (m_levelView)
        paintCaption(painter);
    for (const ButtonPixmap *button : buttons()) {
        button->paint(painter);
        if (!button->isVisible() || button->buttonId() <= 0 || button->buttonId() >= kWatchIdBase)
            continue;
        for (const NumberDisplay::Glyph &glyph :
            levelNumberGlyphs(button->buttonId(), button->x(), button->y()))
            painter->drawPixmap(glyph.pos, m_digits, NumberDisplay::glyphSourceRect(glyph.index));
    }
}

void MainMenu::hideMenu()
{
    if (m_back->isVisible())
        m_hideAnimation->start();
}

void MainMenu::hideAndResetCurrentLevel()
{
    slideOut(CurrentLevelAction);
    if (m_helpMenu && !m_helpMenu->isHidden())
        m_helpMenu->setVisible(false);
}

void MainMenu::buttonPressed(int buttonId)
{
    if (buttonId < 1)
        return;
    m_levelNumber = buttonId;
    slideOut(LevelSelectedAction);
}

void MainMenu::levelPackButtonPressed(int buttonId)
{
    if (buttonId >= 0) {
        qDebug("Invalid levelpack id: %d", buttonId);
        fatalError(QStringLiteral("invalid levelpack"));
    }
    m_levelPackNumber = -buttonId;
    m_levelNumber = 0;
    slideOut(LevelPackAction);
}

void MainMenu::showHelp()
{
    showHelp(false);
}

void MainMenu::showHelp(bool returnToMenu)
{
    slideOut(returnToMenu ? HelpReturningAction : HelpOnlyAction);
}

void MainMenu::hideHelp()
{
    if (m_helpMenu && helpPending())
        m_helpMenu->hideMenu();
}

void MainMenu::exitAction()
{
    slideOut(ExitAction);
}

void MainMenu::nextLevelAction()
{
    slideOut(LevelSelectedAction);
}

void MainMenu::currentLevelAction()
{
    slideOut(CurrentLevelAction);
}

void MainMenu::infoAction()
{
    slideOut(InfoAction);
}

void MainMenu::aboutClicked()
{
    slideOut(AboutAction);
}

void MainMenu::settingsAction()
{
    slideOut(SettingsAction);
}

void MainMenu::helpAction()
{
    showHelp(true);
}

void MainMenu::backAction()
{
    if (m_levelPackNumber != 0) {
        m_levelPackNumber = 0;
        slideOut(BackToPacksAction);
    } else {
        slideOut(ExitAction);
    }
}

void MainMenu::soundsAction()
{
    const bool wasOn = m_soundsOn->isVisible();
    m_soundsOn->setVisible(!wasOn);
    m_soundsOff->setVisible(wasOn);
    update();
    emit soundsChanged(!wasOn);
}

void MainMenu::infoFinished()
{
    m_pendingAction = NoAction;
    slideIn();
}

void MainMenu::helpFinished()
{
    const bool returnToMenu = m_pendingAction == HelpReturningAction;
    m_pendingAction = NoAction;
    if (returnToMenu)
        slideIn();
    else
        emit helpDone();
}

void MainMenu::keyPressEvent(QKeyEvent *e)
{
    if (isBackKey(e->key())) {
        backAction();
        return;
    }
    MenuWidget::keyPressEvent(e);
}

void MainMenu::hideMenuFinished()
{
    setVisible(false);
    switch (m_pendingAction) {
    case ExitAction:
        emit exit();
        break;
    case LevelSelectedAction:
        emit levelSelected(m_levelPackNumber, m_levelNumber);
        break;
    case WatchAction:
        emit watchRequested(m_levelPackNumber, m_watchLevel);
        break;
    case CurrentLevelAction:
        emit currentLevel();
        break;
    case InfoAction:
    case AboutAction:
        if (m_infoMenu) {
            m_infoMenu->setView(m_pendingAction == AboutAction ? InfoMenu::AboutView : InfoMenu::InfoView);
            m_infoMenu->showMenu();
        }
        break;
    case HelpReturningAction:
    case HelpOnlyAction:
        if (m_helpMenu)
            m_helpMenu->showMenu();
        break;
    case SettingsAction:
        emit settingsRequested();
        break;
    case LevelPackAction:
    case BackToPacksAction:
        showMenu(nullptr);
        break;
    default:
        emit backInGame();
        break;
    }
}

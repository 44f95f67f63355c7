// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainmenu.h"

#include "base/fatalerror.h"
#include "buttonpixmap.h"
#include "helpmenu.h"
#include "infomenu.h"
#include "levels/level.h"
#include "levels/levelmanager.h"
#include "menutext.h"

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

    const auto add = [this](const QString &off, const QString &on, qreal x, qreal y, qreal w, qreal h) {
        return addButton(off, on, x, y, w, h);
    };
    m_grid = std::make_unique<LevelTileGrid>(add, m_levelManager ? m_levelManager->levelsPerPack() : 0,
        small ? kSmallGridTop : kGridTop, small ? kSmallRowStep : kRowStep);
    for (const LevelTileGrid::Tile &tile : m_grid->tiles()) {
        const int level = tile.levelNumber;
        connect(tile.button, &ButtonPixmap::released, this, [this, level] { selectLevel(level); });
        connect(tile.watch, &ButtonPixmap::released, this, [this, level] { watchLevel(level); });
    }
    createPackButtons();
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

void MainMenu::createPackButtons()
{
    ButtonPixmap *pack1 = addButton(image("levelpack1_off.png"), image("levelpack1_on.png"), kPack1X, kPackY,
        kPackButtonSize, kPackButtonSize);
    ButtonPixmap *pack2 = addButton(image("levelpack2_off.png"), image("levelpack2_on.png"), kPack2X, kPackY,
        kPack2PictureSize, kPack2PictureSize);
    pack2->setHitArea(0, 0, kPackButtonSize, kPackButtonSize);
    m_levelPackButtons = {pack1, pack2};
    for (int i = 0; i < m_levelPackButtons.size(); ++i) {
        const int pack = i + 1;
        connect(
            m_levelPackButtons[i], &ButtonPixmap::released, this, [this, pack] { selectLevelPack(pack); });
    }
}

void MainMenu::watchLevel(int levelNumber)
{
    m_watchLevel = levelNumber;
    slideOut(Action::Watch);
}

void MainMenu::slideOut(Action action)
{
    m_pendingAction = action;
    MenuWidget::slideOut();
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
    return m_pendingAction == Action::HelpReturning || m_pendingAction == Action::HelpOnly;
}

void MainMenu::showMenu()
{
    showMenu(nullptr);
}

void MainMenu::showMenu(Level *level)
{
    m_pendingAction = Action::None;
    if (level) {
        m_levelPackNumber = level->levelPackNumber();
        m_levelNumber = level->levelNumber();
    }
    m_grid->hideAll();
    for (ButtonPixmap *pack : std::as_const(m_levelPackButtons))
        pack->setVisible(false);
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
    m_pendingAction = Action::None;
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
    const QVector<LevelInfo> infos = m_levelManager->levelInfos(m_levelPackNumber);
    m_grid->dress(infos, frontier,
        [this](int level) { return m_bestRunCheck && m_bestRunCheck(m_levelPackNumber, level); });
    if (frontier >= 1 && levelButton(frontier))
        m_levelNumber = frontier;
    takeCaptionSnapshot();

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

void MainMenu::takeCaptionSnapshot()
{
    m_captions.clear();
    QVector<int> levels;
    for (const LevelTileGrid::Tile &tile : m_grid->tiles())
        levels.append(tile.levelNumber);
    if (m_levelNumber >= 1 && !levels.contains(m_levelNumber))
        levels.append(m_levelNumber);
    for (int level : std::as_const(levels)) {
        m_captions.insert(level,
            {m_levelManager->levelName(m_levelPackNumber, level),
                m_levelManager->bestTime(m_levelPackNumber, level)});
    }
}

int MainMenu::captionLevel() const
{
    if (m_hoveredLevel > 0)
        return m_hoveredLevel;
    // The level in the ring, while keys or a pad choose.
    const ButtonPixmap *focused = focusRingShown() ? focusedButton() : nullptr;
    if (const int level = m_grid->levelOf(focused))
        return level;
    return m_levelNumber;
}

QString MainMenu::levelCaption() const
{
    const int number = captionLevel();
    if (!m_levelView || number < 1 || !m_levelManager)
        return QString();
    const LevelCaption caption = m_captions.value(number);
    const QString &name = caption.name;
    const QString best = formatRunTime(caption.bestTime);
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
    const int hovered = m_grid->levelAt(e->position());
    if (hovered != m_hoveredLevel) {
        m_hoveredLevel = hovered;
        update();
    }
    MenuWidget::mouseMoveEvent(e);
}

void MainMenu::mousePressEvent(QMouseEvent *e)
{
    const QPointF p = e->position() / panelScale();
    if (ButtonPixmap *watch = m_grid->watchAt(p)) {
        setFocusRingShown(false);
        watch->setPressed(true);
        focusButton(watch);
        update();
        e->accept();
        return;
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
        const int level = button->isVisible() ? m_grid->tileLevelOf(button) : 0;
        if (level == 0)
            continue;
        for (const NumberDisplay::Glyph &glyph :
            LevelTileGrid::levelNumberGlyphs(level, button->x(), button->y()))
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
    slideOut(Action::CurrentLevel);
    if (m_helpMenu && !m_helpMenu->isHidden())
        m_helpMenu->setVisible(false);
}

void MainMenu::selectLevel(int levelNumber)
{
    if (levelNumber < 1)
        return;
    m_levelNumber = levelNumber;
    slideOut(Action::LevelSelected);
}

void MainMenu::selectLevelPack(int packNumber)
{
    if (packNumber < 1 || packNumber > m_levelPackButtons.size()) {
        qDebug("Invalid levelpack number: %d", packNumber);
        fatalError(QStringLiteral("invalid levelpack"));
    }
    m_levelPackNumber = packNumber;
    m_levelNumber = 0;
    slideOut(Action::LevelPack);
}

void MainMenu::showHelp()
{
    showHelp(false);
}

void MainMenu::showHelp(bool returnToMenu)
{
    slideOut(returnToMenu ? Action::HelpReturning : Action::HelpOnly);
}

void MainMenu::hideHelp()
{
    if (m_helpMenu && helpPending())
        m_helpMenu->hideMenu();
}

void MainMenu::exitAction()
{
    slideOut(Action::Exit);
}

void MainMenu::nextLevelAction()
{
    slideOut(Action::LevelSelected);
}

void MainMenu::currentLevelAction()
{
    slideOut(Action::CurrentLevel);
}

void MainMenu::infoAction()
{
    slideOut(Action::Info);
}

void MainMenu::aboutClicked()
{
    slideOut(Action::About);
}

void MainMenu::settingsAction()
{
    slideOut(Action::Settings);
}

void MainMenu::helpAction()
{
    showHelp(true);
}

void MainMenu::backAction()
{
    if (m_levelPackNumber != 0) {
        m_levelPackNumber = 0;
        slideOut(Action::BackToPacks);
    } else {
        slideOut(Action::Exit);
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
    m_pendingAction = Action::None;
    slideIn();
}

void MainMenu::helpFinished()
{
    const bool returnToMenu = m_pendingAction == Action::HelpReturning;
    m_pendingAction = Action::None;
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
    case Action::Exit:
        emit exit();
        break;
    case Action::LevelSelected:
        emit levelSelected(m_levelPackNumber, m_levelNumber);
        break;
    case Action::Watch:
        emit watchRequested(m_levelPackNumber, m_watchLevel);
        break;
    case Action::CurrentLevel:
        emit currentLevel();
        break;
    case Action::Info:
    case Action::About:
        if (m_infoMenu) {
            m_infoMenu->setView(m_pendingAction == Action::About ? InfoMenu::AboutView : InfoMenu::InfoView);
            m_infoMenu->showMenu();
        }
        break;
    case Action::HelpReturning:
    case Action::HelpOnly:
        if (m_helpMenu)
            m_helpMenu->showMenu();
        break;
    case Action::Settings:
        emit settingsRequested();
        break;
    case Action::LevelPack:
    case Action::BackToPacks:
        showMenu(nullptr);
        break;
    case Action::None:
        emit backInGame();
        break;
    }
}

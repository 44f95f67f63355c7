// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MAINMENU_H
#define MAINMENU_H

#include "leveltilegrid.h"
#include "menuwidget.h"

#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QVector>
#include <functional>
#include <memory>

class ButtonPixmap;
class HelpMenu;
class InfoMenu;
class Level;
class LevelManager;

// Start panel of the game with two views on one widget: the level-pack view
// (two pack buttons and the about button) and the level view of one pack (a
// grid of level buttons showing the medal won in each level, with back and
// next-level or current-level). Both share a bottom row with settings, help,
// info, sounds on/off and exit. A level with a best run kept has a small
// watch button on its tile's corner. Owns the info and help panels and shows
// them.
class MainMenu : public MenuWidget
{
    Q_OBJECT
public:
    // What the slide-out ends in.
    enum class Action {
        None, // backInGame()
        Exit,
        LevelSelected,
        CurrentLevel,
        Info,
        HelpReturning, // help, then this menu again
        HelpOnly, // help, then helpDone()
        LevelPack, // into the level view of the chosen pack
        BackToPacks, // back to the level-pack view
        Settings, // settingsRequested(); showAgain() brings it back
        Watch, // watchRequested() for the level of the watch button
        About, // the info panel's about view
    };

    // levelManager gives the levels of a pack; not owned. The info and help
    // panels are created with the same parent as this menu.
    // windowSize: the window the layout is made for (the game's window at
    // start; updateScreenPosition() follows later resizes).
    MainMenu(
        LevelManager *levelManager, bool soundsEnabled, const QSize &windowSize, QWidget *parent = nullptr);
    // Deletes the info and help panels too (they are not its children).
    ~MainMenu() override;

    void updateScreenPosition(const QRect &screen) override;
    void paint(QPainter *painter) override;

    // False while the info or the help panel is showing.
    bool subMenusHidden() const;
    // True while the help panel opened from this menu is showing.
    bool helpPending() const;

    int levelPackNumber() const { return m_levelPackNumber; }
    int levelNumber() const { return m_levelNumber; }
    bool isLevelView() const { return m_levelView; }
    Action pendingAction() const { return m_pendingAction; }
    InfoMenu *infoMenu() const { return m_infoMenu; }
    HelpMenu *helpMenu() const { return m_helpMenu; }
    // Level button n (1-based), or null.
    ButtonPixmap *levelButton(int levelNumber) const { return m_grid->tileButton(levelNumber); }
    // The watch button on level n's tile (1-based), or null; shown where
    // the check below says the level has a best run.
    ButtonPixmap *watchButton(int levelNumber) const { return m_grid->watchButton(levelNumber); }
    // Whether a level (pack, number) has a best run to watch; none by default.
    void setBestRunCheck(std::function<bool(int, int)> check) { m_bestRunCheck = std::move(check); }
    const QList<ButtonPixmap *> &levelPackButtons() const { return m_levelPackButtons; }
    ButtonPixmap *backButton() const { return m_back; }
    ButtonPixmap *nextButton() const { return m_next; }
    ButtonPixmap *currentLevelButton() const { return m_currentLevel; }
    ButtonPixmap *soundsOnButton() const { return m_soundsOn; }
    ButtonPixmap *soundsOffButton() const { return m_soundsOff; }
    ButtonPixmap *infoButton() const { return m_info; }
    ButtonPixmap *helpButton() const { return m_help; }
    ButtonPixmap *aboutButton() const { return m_about; }
    ButtonPixmap *settingsButton() const { return m_settings; }

    // The pack's name and the caption of the level the pointer rests on (or
    // else the one in the focus ring while keys choose, or else the one the
    // menu offers: frontier or current), "7 Ball pit -
    // best 12.3 s"; both shown over the grid in the level view. Names and
    // best times are read once as the level view opens, never while
    // painting.
    QString packName() const { return m_packName; }
    QString levelCaption() const;
    int captionLevel() const;

signals:
    void exit();
    void backInGame();
    void currentLevel();
    void levelSelected(int levelPackNumber, int levelNumber);
    void soundsChanged(bool isSoundsOn);
    void helpDone();
    // The settings button's slide-out has ended.
    void settingsRequested();
    // A level's watch button's slide-out has ended.
    void watchRequested(int levelPackNumber, int levelNumber);

public slots:
    // Opens the menu: with a level, in the level view of its pack with the
    // current-level button; without, in the view last chosen.
    void showMenu(Level *level);
    void showMenu();
    // Slides in again in the view it had, as after the info panel.
    void showAgain();
    // Shows the sounds button of that state (no signal).
    void setSoundsOn(bool on);
    // Back into the run; only while the back button is offered.
    void hideMenu();
    void hideAndResetCurrentLevel();
    // A level's tile (levels from 1; others are ignored).
    void selectLevel(int levelNumber);
    void watchLevel(int levelNumber);
    // A pack's button (packs from 1; any other number is a fatal error).
    void selectLevelPack(int packNumber);
    // returnToMenu: show this menu again after the help, else helpDone().
    void showHelp(bool returnToMenu);
    void showHelp();
    void hideHelp();
    void exitAction();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    // A level's watch button lies over its tile's corner: a press there
    // presses the watch button alone.
    void mousePressEvent(QMouseEvent *e) override;

private slots:
    void nextLevelAction();
    void currentLevelAction();
    void infoAction();
    void aboutClicked();
    void helpAction();
    void settingsAction();
    void backAction();
    void soundsAction();
    void infoFinished();
    void helpFinished();
    void hideMenuFinished();

private:
    // What the caption says of a level: read as the level view opens.
    struct LevelCaption
    {
        QString name;
        double bestTime = 0.0;
    };

    void slideOut(Action action);
    void createPackButtons();
    void createBottomRow(bool soundsEnabled);
    void takeCaptionSnapshot();
    void showLevelPackView();
    void showLevelView(bool openedFromLevel);
    void paintCaption(QPainter *painter) const;

    QPixmap m_digits;
    Action m_pendingAction = Action::None;
    std::unique_ptr<LevelTileGrid> m_grid;
    QHash<int, LevelCaption> m_captions;
    std::function<bool(int, int)> m_bestRunCheck;
    int m_watchLevel = 0;
    ButtonPixmap *m_back = nullptr;
    ButtonPixmap *m_next = nullptr;
    ButtonPixmap *m_currentLevel = nullptr;
    ButtonPixmap *m_soundsOn = nullptr;
    ButtonPixmap *m_soundsOff = nullptr;
    ButtonPixmap *m_info = nullptr;
    ButtonPixmap *m_help = nullptr;
    ButtonPixmap *m_about = nullptr;
    ButtonPixmap *m_settings = nullptr;
    LevelManager *m_levelManager;
    QPointer<InfoMenu> m_infoMenu;
    QPointer<HelpMenu> m_helpMenu;
    int m_levelPackNumber = 0;
    int m_levelNumber = 0;
    QList<ButtonPixmap *> m_levelPackButtons;
    bool m_levelView = false;
    QString m_packName;
    int m_hoveredLevel = 0; // level button under the pointer, 0 none
};

#endif

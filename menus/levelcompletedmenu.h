// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELCOMPLETEDMENU_H
#define LEVELCOMPLETEDMENU_H

#include "menuwidget.h"
#include "world/runoutcome.h"

#include <QPixmap>
#include <optional>

class ButtonPixmap;
class NumberDisplay;

// Results panel after a run, finished or failed: level number and name, the
// run's time, the best time, the difference to the previous best (each row
// labelled), the medal (or the failed mark), a star for a new record and the
// time the next better medal takes; next level, retry, watch the run, main
// menu and exit.
class LevelCompletedMenu : public MenuWidget
{
    Q_OBJECT
public:
    // What the slide-out ends in.
    enum class Action { None, Reset, MainMenu, NextLevel, Exit, Watch };

    // windowSize: the window the layout is made for (the game's window at
    // start; updateScreenPosition() follows later resizes).
    explicit LevelCompletedMenu(const QSize &windowSize, QWidget *parent = nullptr);

    void paint(QPainter *painter) override;

    // The medal picture drawn for the run's medal (the failed mark for
    // NotFinished and NoMedal); null for a code outside the statuses.
    const QPixmap *statusPixmap() const;

    ButtonPixmap *nextButton() const { return m_next; }
    ButtonPixmap *resetButton() const { return m_reset; }
    ButtonPixmap *menuButton() const { return m_menu; }
    ButtonPixmap *exitButton() const { return m_exit; }
    ButtonPixmap *watchButton() const { return m_watch; }
    NumberDisplay *runTimeDisplay() const { return m_runTime; }
    NumberDisplay *bestTimeDisplay() const { return m_bestTime; }
    QString levelName() const { return m_levelName; }
    // E.g. "Next: Silver in 14.0 s"; empty when there is no better medal.
    QString nextMedalText() const { return m_nextMedalText; }
    NumberDisplay *timeDiffDisplay() const { return m_timeDiff; }
    NumberDisplay *levelNumberDisplay() const { return m_levelNumberDisplay; }
    bool isNewRecord() const { return m_isNewRecord; }

    // What the next showMenu() shows beside the numbers: the level's name,
    // the run's time (0 for a run that did not finish: a dash) and the next
    // better medal, if any, with its time.
    void setRunDetails(
        const QString &levelName, qreal runTime, std::optional<LevelStatus> nextMedal, qreal nextMedalTime);

signals:
    void reset();
    void exit();
    void nextLevel();
    void mainmenu();
    void showMenuFinished();
    // The watch button's slide-out has ended.
    void watch();

public slots:
    // The difference shows with its sign where the outcome has one; a
    // failed run shows a dash there when the level has a best time.
    void showMenu(const RunOutcome &outcome);
    void hideMenu();
    void hideAndReset();
    // Slides in again as it was shown last, the focus on the watch button
    // (after watching the run).
    void showAgain();

protected:
    // Keys show their button pressed and act on release: Return/Enter for
    // next (or menu on a pack's last level, or retry), R/Backspace retry.
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;

private slots:
    void resetAction();
    void menuAction();
    void nextLevelAction();
    void exitAction();
    void watchAction();
    void hideMenuFinished();

private:
    void slideOut(Action action);
    QPixmap m_star;
    QPixmap m_gold;
    QPixmap m_silver;
    QPixmap m_bronze;
    QPixmap m_failed;
    bool m_isNewRecord = false;
    int m_levelNumber = 0;
    LevelStatus m_status = LevelStatus::NotFinished;
    Action m_pendingAction = Action::None;
    ButtonPixmap *m_next;
    ButtonPixmap *m_reset;
    ButtonPixmap *m_menu;
    ButtonPixmap *m_exit;
    ButtonPixmap *m_watch;
    NumberDisplay *m_runTime;
    NumberDisplay *m_bestTime;
    NumberDisplay *m_timeDiff;
    NumberDisplay *m_levelNumberDisplay;
    bool m_lastLevelOfLevelpack = false;
    QString m_levelName;
    QString m_nextMedalText;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
// What the player's "go back" inputs do on every screen, without widgets:
// the Escape rules, the restart keys and a pad's Start and Back, and the
// focus of the window.

#include "game/screenflow.h"

#include <QtTest>

using Screen = ScreenFlow::Screen;
using Input = ScreenFlow::Input;
using Action = ScreenFlow::Action;
Q_DECLARE_METATYPE(Screen)
Q_DECLARE_METATYPE(Input)
Q_DECLARE_METATYPE(Action)

class TestScreenFlow : public QObject
{
    Q_OBJECT
private slots:
    void inputs_data()
    {
        QTest::addColumn<Screen>("screen");
        QTest::addColumn<bool>("level");
        QTest::addColumn<Input>("input");
        QTest::addColumn<Action>("action");
        // Escape: the help closes; the first menu without a level leaves
        // the game; the pause panel goes back to the run; the results
        // retry; the main menu over a level restarts it; a run pauses; a
        // run stopped without a panel stays as it is. Settings close and a
        // watched run ends.
        QTest::newRow("help") << Screen::Help << true << Input::Escape << Action::CloseHelp;
        QTest::newRow("menu, no level") << Screen::MainMenu << false << Input::Escape << Action::Quit;
        QTest::newRow("paused") << Screen::Paused << true << Input::Escape << Action::Resume;
        QTest::newRow("results") << Screen::Results << true << Input::Escape << Action::PanelRetry;
        QTest::newRow("menu over a level") << Screen::MainMenu << true << Input::Escape << Action::MenuRetry;
        QTest::newRow("riding") << Screen::Riding << true << Input::Escape << Action::Pause;
        QTest::newRow("halted") << Screen::Halted << true << Input::Escape << Action::None;
        QTest::newRow("settings") << Screen::Settings << true << Input::Escape << Action::CloseSettings;
        QTest::newRow("watching") << Screen::Watching << true << Input::Escape << Action::StopWatching;
        QTest::newRow("info") << Screen::Info << false << Input::Escape << Action::None;
        // A pad's Start is Escape.
        QTest::newRow("pad start riding") << Screen::Riding << true << Input::PadStart << Action::Pause;
        QTest::newRow("pad start results")
            << Screen::Results << true << Input::PadStart << Action::PanelRetry;
        // Restart: a panel over the run slides out first; the submenus and a
        // menu without a level take no restart; a watched run starts over.
        QTest::newRow("restart riding") << Screen::Riding << true << Input::Restart << Action::RestartNow;
        QTest::newRow("restart halted") << Screen::Halted << true << Input::Restart << Action::RestartNow;
        QTest::newRow("restart paused") << Screen::Paused << true << Input::Restart << Action::PanelRetry;
        QTest::newRow("restart results") << Screen::Results << true << Input::Restart << Action::PanelRetry;
        QTest::newRow("restart menu") << Screen::MainMenu << true << Input::Restart << Action::MenuRetry;
        QTest::newRow("restart menu, no level")
            << Screen::MainMenu << false << Input::Restart << Action::None;
        QTest::newRow("restart settings") << Screen::Settings << true << Input::Restart << Action::None;
        QTest::newRow("restart help") << Screen::Help << true << Input::Restart << Action::None;
        QTest::newRow("restart watching")
            << Screen::Watching << true << Input::Restart << Action::RestartWatch;
        QTest::newRow("pad back riding") << Screen::Riding << true << Input::PadBack << Action::RestartNow;
        // The window's focus changes the sounds on every screen, nothing else.
        QTest::newRow("focus lost riding")
            << Screen::Riding << true << Input::FocusLost << Action::MuteSounds;
        QTest::newRow("focus lost menu")
            << Screen::MainMenu << false << Input::FocusLost << Action::MuteSounds;
        QTest::newRow("focus back paused")
            << Screen::Paused << true << Input::FocusGained << Action::UnmuteSounds;
    }

    void inputs()
    {
        QFETCH(Screen, screen);
        QFETCH(bool, level);
        QFETCH(Input, input);
        QFETCH(Action, action);
        ScreenFlow flow;
        flow.enter(screen);
        QCOMPARE(flow.actionFor(input, level), action);
        QCOMPARE(flow.screen(), screen);
    }

    // Each screen and input has at most one rule that applies: the table
    // never depends on its order for a screen it names.
    void rulesDoNotOverlap()
    {
        qsizetype count = 0;
        const ScreenFlow::Rule *rules = ScreenFlow::table(&count);
        for (qsizetype i = 0; i < count; ++i) {
            for (qsizetype j = i + 1; j < count; ++j) {
                const ScreenFlow::Rule &a = rules[i];
                const ScreenFlow::Rule &b = rules[j];
                const bool sameScreen = !a.screen || !b.screen || *a.screen == *b.screen;
                const bool sameLevel = a.level == ScreenFlow::Level::Any || b.level == ScreenFlow::Level::Any
                    || a.level == b.level;
                QVERIFY2(!(sameScreen && a.input == b.input && sameLevel),
                    qPrintable(QString("rules %1 and %2 overlap").arg(i).arg(j)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestScreenFlow)
#include "tst_screenflow.moc"

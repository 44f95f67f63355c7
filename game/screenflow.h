// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SCREENFLOW_H
#define SCREENFLOW_H

#include <QtGlobal>
#include <optional>

// Which screen of the game is showing, and what the player's "go back"
// inputs do on each. The controller moves the flow when a screen comes (a
// panel has slid in, a run starts) and shows the panels the screen names;
// it asks the flow what an input means instead of reading the panels'
// visibility. The table of inputs is data (ScreenFlow::table()), so a test
// can state every rule without building a widget.
class ScreenFlow
{
public:
    enum class Screen {
        MainMenu, // the pack or level view, over a level or not
        Info, // the info panel opened from the main menu
        Help, // the help panel (from the main menu or before the first ride)
        Settings, // the settings panel over the main or the pause menu
        Riding, // a run on, no panel
        Halted, // a run stopped without a panel (e.g. between a finish and its results)
        Paused, // the pause panel
        Results, // the results panel after a finish or a crash
        Watching, // a recorded run played back
    };
    enum class Input {
        Escape, // the Escape key on the view, or the menu action's keys
        PadStart, // a pad's Start button
        Restart, // the restart keys (R, Backspace)
        PadBack, // a pad's Back (Select) button
        FocusLost, // the game's window is no longer the active one
        FocusGained,
    };
    enum class Action {
        None,
        Quit, // the main menu's exit, as its exit button
        CloseHelp,
        CloseSettings,
        StopWatching, // back to the panel the watch came from
        RestartWatch, // the watched run from its start
        Pause, // stop the run and slide the pause panel in
        Resume, // the pause panel slides out into the run
        PanelRetry, // the panel slides out, then the level restarts
        MenuRetry, // the main menu slides out, then its level restarts
        RestartNow,
        MuteSounds, // the window lost the focus: sounds stop, the run waits
        UnmuteSounds,
    };
    // Whether a level is loaded matters on the main menu only.
    enum class Level { Any, Loaded, None };

    struct Rule
    {
        std::optional<Screen> screen; // none: every screen
        Input input;
        Level level;
        Action action;
    };

    Screen screen() const { return m_screen; }
    void enter(Screen screen) { m_screen = screen; }
    bool is(Screen screen) const { return m_screen == screen; }
    // The action of an input on the current screen; None where no rule
    // says otherwise.
    Action actionFor(Input input, bool levelLoaded) const { return actionFor(m_screen, input, levelLoaded); }
    static Action actionFor(Screen screen, Input input, bool levelLoaded);
    // Every rule; an input on a screen without a rule does nothing.
    static const Rule *table(qsizetype *count);

private:
    Screen m_screen = Screen::MainMenu;
};

#endif

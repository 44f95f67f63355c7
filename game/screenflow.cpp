// SPDX-License-Identifier: GPL-3.0-or-later
#include "screenflow.h"

namespace {
using Screen = ScreenFlow::Screen;
using Input = ScreenFlow::Input;
using Level = ScreenFlow::Level;
using Action = ScreenFlow::Action;

// A pad's Start is the Escape key of the view, a pad's Back its restart key.
// The first rule that matches decides.
constexpr ScreenFlow::Rule kRules[] = {
    {std::nullopt, Input::FocusLost, Level::Any, Action::MuteSounds},
    {std::nullopt, Input::FocusGained, Level::Any, Action::UnmuteSounds},
    {Screen::Help, Input::Escape, Level::Any, Action::CloseHelp},
    {Screen::Help, Input::PadStart, Level::Any, Action::CloseHelp},
    {Screen::Settings, Input::Escape, Level::Any, Action::CloseSettings},
    {Screen::Settings, Input::PadStart, Level::Any, Action::CloseSettings},
    {Screen::Watching, Input::Escape, Level::Any, Action::StopWatching},
    {Screen::Watching, Input::PadStart, Level::Any, Action::StopWatching},
    {Screen::Watching, Input::Restart, Level::Any, Action::RestartWatch},
    {Screen::Watching, Input::PadBack, Level::Any, Action::RestartWatch},
    {Screen::MainMenu, Input::Escape, Level::None, Action::Quit},
    {Screen::MainMenu, Input::PadStart, Level::None, Action::Quit},
    {Screen::MainMenu, Input::Escape, Level::Loaded, Action::MenuRetry},
    {Screen::MainMenu, Input::PadStart, Level::Loaded, Action::MenuRetry},
    {Screen::MainMenu, Input::Restart, Level::Loaded, Action::MenuRetry},
    {Screen::MainMenu, Input::PadBack, Level::Loaded, Action::MenuRetry},
    {Screen::Paused, Input::Escape, Level::Any, Action::Resume},
    {Screen::Paused, Input::PadStart, Level::Any, Action::Resume},
    {Screen::Paused, Input::Restart, Level::Any, Action::PanelRetry},
    {Screen::Paused, Input::PadBack, Level::Any, Action::PanelRetry},
    {Screen::Results, Input::Escape, Level::Any, Action::PanelRetry},
    {Screen::Results, Input::PadStart, Level::Any, Action::PanelRetry},
    {Screen::Results, Input::Restart, Level::Any, Action::PanelRetry},
    {Screen::Results, Input::PadBack, Level::Any, Action::PanelRetry},
    {Screen::Riding, Input::Escape, Level::Any, Action::Pause},
    {Screen::Riding, Input::PadStart, Level::Any, Action::Pause},
    {Screen::Riding, Input::Restart, Level::Any, Action::RestartNow},
    {Screen::Riding, Input::PadBack, Level::Any, Action::RestartNow},
    {Screen::Halted, Input::Restart, Level::Any, Action::RestartNow},
    {Screen::Halted, Input::PadBack, Level::Any, Action::RestartNow},
};

bool levelMatches(Level level, bool loaded)
{
    return level == Level::Any || (level == Level::Loaded) == loaded;
}
} // namespace

ScreenFlow::Action ScreenFlow::actionFor(Screen screen, Input input, bool levelLoaded)
{
    for (const Rule &rule : kRules) {
        if ((!rule.screen || *rule.screen == screen) && rule.input == input
            && levelMatches(rule.level, levelLoaded))
            return rule.action;
    }
    return Action::None;
}

const ScreenFlow::Rule *ScreenFlow::table(qsizetype *count)
{
    *count = qsizetype(sizeof(kRules) / sizeof(kRules[0]));
    return kRules;
}
